// The contact time as the host hands it over: an OLE date-time, a day count
// since 1899-12-30 with a status. Conversion to a calendar date-time follows
// the platform's rules (round to the nearest second; for a negative day count
// the integer part gives the day and the magnitude of the fraction the time of
// day; valid from 0100-01-01 to 9999-12-31).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "contest/plugin_abi.h"

namespace zelk {

enum class DateTimeStatus : int32_t {
    Error = kZelkDateTimeError,
    Valid = kZelkDateTimeValid,
    Invalid = kZelkDateTimeInvalid,
    Null = kZelkDateTimeNull,
};

struct OleDateTime {
    double m_dt = 0.0;
    DateTimeStatus m_status = DateTimeStatus::Valid;

    // A null pointer from the host reads as a null time; an unknown status as
    // the error status.
    static OleDateTime FromHost(const ZelkOleDateTime* value);
};

struct CalendarTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The calendar date-time of a day count, or nullopt outside the valid range
// (also for NaN and infinities).
std::optional<CalendarTime> ToCalendar(double dayCount);

// The day count of a calendar date-time (no range check beyond the calendar).
double FromCalendar(const CalendarTime& time);

// Formats with the conversions %Y %m %d %H %M %S and %%. A null time gives the
// empty text; an invalid or erroneous one, or one outside the valid range,
// gives "Invalid DateTime".
std::string FormatDateTime(const OleDateTime& time, std::string_view format);

inline constexpr std::string_view kInvalidDateTimeText = "Invalid DateTime";

// Two times are equal when their statuses are equal and, for valid times,
// their day counts are equal as floating-point values; invalid (and error)
// times are never equal, null times always.
bool TimesEqual(const OleDateTime& a, const OleDateTime& b);

}  // namespace zelk
