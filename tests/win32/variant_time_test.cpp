// The plug-in converts the host's OLE date-times itself; here that conversion
// is held against the system's own (VariantTimeToSystemTime) on the cases
// where conversions tend to part: rounding to the second, negative day counts
// whose fraction counts forward, and the ends of the valid range.
#include <oleauto.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "log/ole_date_time.h"

namespace zelk {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

std::string SystemText(double dayCount) {
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(dayCount, &time)) {
        return std::string(kInvalidDateTimeText);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u%02u%02u", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::string PluginText(double dayCount) {
    return FormatDateTime(OleDateTime{dayCount, DateTimeStatus::Valid}, "%Y-%m-%d %H%M%S");
}

TEST(OleDateTimeAgainstTheSystem, CalendarTimesAgreeWithVariantTimeToSystemTime) {
    const double cases[] = {
        0.0,
        1.0,
        43600.5,  // 2019-05-15 12:00
        -0.5,
        -1.25,  // the day before the epoch's day before, 06:00
        -1.0 - 0.5 * kSecond,
        0.5 * kSecond,
        0.5 * kSecond - 1e-12,
        1.5 * kSecond,
        59.5 * kSecond,
        1.0 - 0.5 * kSecond,  // rounds into the next day
        1.0 - 0.4 * kSecond,
        43600.0 + 0.49 * kSecond,
        43600.0 + 0.51 * kSecond,
        -657434.0,  // 0100-01-01, the first valid day
        -657434.5,
        -657434.0 - 0.4 * kSecond,
        2958465.0,  // 9999-12-31, the last valid day
        2958465.99999,
        2958465.999999,  // less than half a second before the end
        2958466.0,
        -657435.0,
        std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(),
    };
    for (double dayCount : cases) {
        const std::string system = SystemText(dayCount);
        EXPECT_EQ(PluginText(dayCount), system) << "day count " << dayCount;
        const std::optional<CalendarTime> calendar = ToCalendar(dayCount);
        EXPECT_EQ(calendar.has_value(), system != kInvalidDateTimeText) << "day count " << dayCount;
    }
}

}  // namespace
}  // namespace zelk
