// Numbers read from text and the saturating arithmetic of scoring.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "contest/decimal.h"

namespace zelk {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(Decimal, ReadsLikeTheRuntimeAndHoldsAtTheLimits) {
    struct Case {
        std::string_view text;
        int32_t value;
    } cases[] = {
        {"55", 55},
        {"  \t-12x", -12},
        {"+7", 7},
        {"", 0},
        {"N37", 0},
        {"- 5", 0},
        {"--5", 0},
        {"0037O", 37},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"99999999999999999999", kMax},
        {"-2147483648", kMin},
        {"-99999999999999999999", kMin},
        {std::string_view("12\0"
                          "3",
                          4),
         12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecimalValue(c.text), c.value) << c.text;
    }
}

TEST(Decimal, ArithmeticNeverWraps) {
    EXPECT_EQ(SaturatingAdd(kMax, 1), kMax);
    EXPECT_EQ(SaturatingAdd(kMin, -1), kMin);
    EXPECT_EQ(SaturatingMul(kMax / 10, 50), kMax);
    EXPECT_EQ(SaturatingAbsDiff(kMin, kMax), kMax);
    EXPECT_EQ(SaturatingAbsDiff(50, 55), 5);
}

TEST(Decimal, FallbackDegreesTruncateTowardZeroAndStayInRange) {
    EXPECT_EQ(TruncateDegrees(55.9), 55);
    EXPECT_EQ(TruncateDegrees(-33.7), -33);
    EXPECT_EQ(TruncateDegrees(std::nan("")), 0);
    EXPECT_EQ(TruncateDegrees(1e12), kMax);
    EXPECT_EQ(TruncateDegrees(-1e12), kMin);
    EXPECT_EQ(TruncateDegrees(-std::numeric_limits<double>::infinity()), kMin);
}

}  // namespace
}  // namespace zelk
