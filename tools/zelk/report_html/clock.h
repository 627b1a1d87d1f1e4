// Contact times as whole minutes since 1970-01-01 00:00 UTC, and their
// texts in the report: dates, clock times and durations, all in UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelk::report_html {

inline constexpr int64_t kMinutesPerHour = 60;
inline constexpr int64_t kMinutesPerDay = 24 * kMinutesPerHour;

// An OLE date-time (days since 1899-12-30, the time of day as the fraction)
// as whole minutes, seconds dropped; none for values no calendar holds.
std::optional<int64_t> MinuteFromOleDays(double days);

// The minute at which the hour of `minute` starts.
int64_t HourStart(int64_t minute);

std::string DateText(int64_t minute);  // "2024-05-12"
// "12.05.2024": the day as the result report dates a contest.
std::string ContestDateText(int64_t minute);
std::string ClockText(int64_t minute);  // "06:02"
// "06:02", or "2024-05-13 06:02" when the day differs from `sameDayAs`.
std::string ClockTextNear(int64_t minute, int64_t sameDayAs);
std::string DurationText(int64_t minutes);  // "3 h 59 min", "45 min", "2 h"

}  // namespace zelk::report_html
