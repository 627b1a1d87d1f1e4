// Minutes to calendar texts through the proleptic Gregorian calendar of
// <chrono>, which both the Linux and the Windows build provide.
#include "report_html/clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace zelk::report_html {

namespace {

// 1970-01-01 as an OLE day number.
constexpr double kOleDayOfUnixEpoch = 25569.0;
// Years 1..9999 are enough for any log and keep every minute in 64 bits.
constexpr double kLargestDayCount = 3.0e6;

int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

std::chrono::year_month_day DayOf(int64_t minute) {
    return std::chrono::sys_days{std::chrono::days{FloorDiv(minute, kMinutesPerDay)}};
}

std::string TwoDigits(int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value));
    return text;
}

}  // namespace

std::optional<int64_t> MinuteFromOleDays(double days) {
    if (!std::isfinite(days) || std::fabs(days) > kLargestDayCount) {
        return std::nullopt;
    }
    // Seconds first, rounded, so 06:00 stored as 05:59:59.9999 stays 06:00.
    const auto seconds = static_cast<int64_t>(std::llround((days - kOleDayOfUnixEpoch) * 86400.0));
    return FloorDiv(seconds, 60);
}

int64_t HourStart(int64_t minute) {
    return FloorDiv(minute, kMinutesPerHour) * kMinutesPerHour;
}

std::string DateText(int64_t minute) {
    const std::chrono::year_month_day date = DayOf(minute);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string ContestDateText(int64_t minute) {
    const std::chrono::year_month_day date = DayOf(minute);
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04d", static_cast<unsigned>(date.day()),
                  static_cast<unsigned>(date.month()), static_cast<int>(date.year()));
    return text;
}

std::string ClockText(int64_t minute) {
    const int64_t ofDay = minute - FloorDiv(minute, kMinutesPerDay) * kMinutesPerDay;
    return TwoDigits(ofDay / kMinutesPerHour) + ":" + TwoDigits(ofDay % kMinutesPerHour);
}

std::string ClockTextNear(int64_t minute, int64_t sameDayAs) {
    if (FloorDiv(minute, kMinutesPerDay) == FloorDiv(sameDayAs, kMinutesPerDay)) {
        return ClockText(minute);
    }
    return DateText(minute) + " " + ClockText(minute);
}

std::string DurationText(int64_t minutes) {
    const int64_t hours = minutes / kMinutesPerHour;
    const int64_t rest = minutes % kMinutesPerHour;
    if (hours == 0) {
        return std::to_string(rest) + " min";
    }
    return std::to_string(hours) + " h" + (rest == 0 ? "" : " " + std::to_string(rest) + " min");
}

}  // namespace zelk::report_html
