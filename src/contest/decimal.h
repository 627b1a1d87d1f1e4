// Numbers read from text, and the 32-bit arithmetic of scoring. Both hold
// at the 32-bit limits instead of wrapping.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace zelk {

// The decimal value of a text: leading white space and one sign skipped,
// digits up to the first other character, 0 without digits; a value beyond
// the 32-bit range is held at the nearest limit.
int32_t DecimalValue(std::string_view text);

inline int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

inline int32_t SaturatingAdd(int32_t a, int32_t b) {
    return Saturate(int64_t{a} + b);
}
inline int32_t SaturatingMul(int32_t a, int32_t b) {
    return Saturate(int64_t{a} * b);
}
inline int32_t SaturatingAbsDiff(int32_t a, int32_t b) {
    const int64_t d = int64_t{a} - b;
    return Saturate(d < 0 ? -d : d);
}

// A degree value truncated toward zero; NaN gives 0, values beyond the 32-bit
// range the nearest limit.
int32_t TruncateDegrees(double degrees);

}  // namespace zelk
