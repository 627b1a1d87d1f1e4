// The plug-in converts the host's OLE date-times itself; here that conversion
// is held against the system's own (VariantTimeToSystemTime) on the cases
// where conversions tend to part: rounding to the second, negative day counts
// whose fraction counts forward, and the ends of the valid range.
//
// Where the two are known to part, the table gives the plug-in's text and says
// why; Wine's answer is printed next to it.
//  - Rounding past 9999-12-31 23:59:59: invalid for the plug-in, 10000-01-01
//    for Wine.
//  - NaN: invalid for the plug-in, 1899-12-30 for Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "contest/ole_date_time.h"

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

struct Case {
    double dayCount;
    const char* differs;  // why the plug-in parts from the system, or null
    const char* pluginText;
};

TEST(OleDateTimeAgainstTheSystem, CalendarTimesAgreeWithVariantTimeToSystemTime) {
    const Case cases[] = {
        {0.0, nullptr, nullptr},
        {1.0, nullptr, nullptr},
        {43600.5, nullptr, nullptr},
        {-0.5, nullptr, nullptr},
        {-1.25, nullptr, nullptr},
        {-1.0 - 0.5 * kSecond, nullptr, nullptr},
        {-2.0 - 0.75 * kSecond, nullptr, nullptr},
        {0.4 * kSecond, nullptr, nullptr},
        {0.6 * kSecond, nullptr, nullptr},
        {0.5 * kSecond, nullptr, nullptr},
        {0.5 * kSecond - 1e-12, nullptr, nullptr},
        {1.5 * kSecond, nullptr, nullptr},
        {59.5 * kSecond, nullptr, nullptr},
        {1.0 - 0.5 * kSecond, nullptr, nullptr},
        {1.0 - 0.4 * kSecond, nullptr, nullptr},
        {43600.0 + 0.49 * kSecond, nullptr, nullptr},
        {43600.0 + 0.51 * kSecond, nullptr, nullptr},
        {43600.5 + 10.0 / 1440.0, nullptr, nullptr},
        {-657434.0, nullptr, nullptr},
        {-657434.5, nullptr, nullptr},
        {-657434.0 - 0.4 * kSecond, nullptr, nullptr},
        {-657435.0, nullptr, nullptr},
        {2958465.0, nullptr, nullptr},
        {2958465.5, nullptr, nullptr},
        {2958465.99999, nullptr, nullptr},
        {2958465.999999, "rounds past the last day", kInvalidDateTimeText.data()},
        {2958466.0, nullptr, nullptr},
        {std::numeric_limits<double>::infinity(), nullptr, nullptr},
        {std::numeric_limits<double>::quiet_NaN(), "not a number", kInvalidDateTimeText.data()},
    };
    for (const Case& c : cases) {
        char dayCount[40];
        std::snprintf(dayCount, sizeof dayCount, "%.17g", c.dayCount);
        const std::string system = SystemText(c.dayCount);
        const std::string plugin = PluginText(c.dayCount);
        if (c.differs == nullptr) {
            EXPECT_EQ(plugin, system) << "day count " << dayCount;
            EXPECT_EQ(ToCalendar(c.dayCount).has_value(), system != kInvalidDateTimeText)
                << "day count " << dayCount;
        } else {
            EXPECT_EQ(plugin, c.pluginText) << "day count " << dayCount << ", " << c.differs;
            std::printf("day count %s (%s): plug-in %s, system %s\n", dayCount, c.differs,
                        plugin.c_str(), system.c_str());
        }
    }
}

}  // namespace
}  // namespace zelk
