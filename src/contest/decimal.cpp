// Decimal text conversion and degree truncation.
#include "contest/decimal.h"

#include <cmath>

namespace zelk {

int32_t DecimalValue(std::string_view text) {
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kBeyond = int64_t{std::numeric_limits<int32_t>::max()} + 2;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kBeyond);
    }
    return Saturate(negative ? -value : value);
}

int32_t TruncateDegrees(double degrees) {
    if (std::isnan(degrees)) {
        return 0;
    }
    if (degrees >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (degrees <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(degrees);
}

}  // namespace zelk
