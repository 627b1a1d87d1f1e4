// Conversion of OLE date-times to calendar dates and their text forms.
#include "contest/ole_date_time.h"

#include <charconv>
#include <cmath>

namespace zelk {
namespace {

// The valid range is 0100-01-01 to 9999-12-31. A negative day count's
// fraction counts forward into its day, so every count above -657435 is on
// 0100-01-01 or later; 2958466 is the day after the last.
constexpr double kBeforeFirstValidDay = -657435.0;
constexpr double kPastLastValidDay = 2958466.0;
constexpr int64_t kSecondsPerDay = 86400;
constexpr double kMillisecondsPerDay = 86400000.0;
// Day number of 1899-12-30 counted from 1970-01-01.
constexpr int64_t kOleEpochFromUnixEpoch = -25569;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// As "%0*d" writes it: the sign counts toward the width, zeros fill after it.
void AppendNumber(std::string& out, int value, int width) {
    char digits[16];
    const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : value;
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, magnitude);
    const int length = static_cast<int>(end.ptr - digits) + (value < 0 ? 1 : 0);
    if (value < 0) {
        out += '-';
    }
    if (length < width) {
        out.append(static_cast<std::size_t>(width - length), '0');
    }
    out.append(digits, end.ptr);
}

}  // namespace

OleDateTime OleDateTime::FromHost(const ZelkOleDateTime* value) {
    OleDateTime time;
    if (value == nullptr) {
        time.m_status = DateTimeStatus::Null;
        return time;
    }
    time.m_dt = value->m_dt;
    switch (value->m_status) {
        case kZelkDateTimeValid:
        case kZelkDateTimeInvalid:
        case kZelkDateTimeNull:
        case kZelkDateTimeError:
            time.m_status = static_cast<DateTimeStatus>(value->m_status);
            break;
        default:
            time.m_status = DateTimeStatus::Error;
    }
    return time;
}

std::optional<CalendarTime> ToCalendar(double dayCount) {
    if (!std::isfinite(dayCount) || dayCount <= kBeforeFirstValidDay ||
        dayCount >= kPastLastValidDay) {
        return std::nullopt;
    }
    // The integer part is the day, the magnitude of the fraction the time of
    // that day. The time is rounded to the millisecond first, so that a day
    // count meant as an exact half second is not pushed below it by the
    // binary fraction, then to the nearest second, halves up.
    const double whole = std::trunc(dayCount);
    auto day = static_cast<int64_t>(whole);
    const int64_t milliseconds = std::llround(std::fabs(dayCount - whole) * kMillisecondsPerDay);
    int64_t seconds = (milliseconds + 500) / 1000;
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;  // midnight ends the day, for negative day counts too
    }
    if (day >= static_cast<int64_t>(kPastLastValidDay)) {
        return std::nullopt;
    }
    CalendarTime time;
    CivilFromDays(day + kOleEpochFromUnixEpoch, time.year, time.month, time.day);
    time.hour = static_cast<int>(seconds / 3600);
    time.minute = static_cast<int>(seconds / 60 % 60);
    time.second = static_cast<int>(seconds % 60);
    return time;
}

double FromCalendar(const CalendarTime& time) {
    const int64_t days = DaysFromCivil(time.year, time.month, time.day) - kOleEpochFromUnixEpoch;
    const double fraction =
        static_cast<double>(time.hour * 3600 + time.minute * 60 + time.second) / kSecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::string FormatDateTime(const OleDateTime& time, std::string_view format) {
    if (time.m_status == DateTimeStatus::Null) {
        return {};
    }
    std::optional<CalendarTime> calendar;
    if (time.m_status == DateTimeStatus::Valid) {
        calendar = ToCalendar(time.m_dt);
    }
    if (!calendar) {
        return std::string(kInvalidDateTimeText);
    }
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        switch (format[++i]) {
            case 'Y':
                AppendNumber(out, calendar->year, 4);
                break;
            case 'm':
                AppendNumber(out, calendar->month, 2);
                break;
            case 'd':
                AppendNumber(out, calendar->day, 2);
                break;
            case 'H':
                AppendNumber(out, calendar->hour, 2);
                break;
            case 'M':
                AppendNumber(out, calendar->minute, 2);
                break;
            case 'S':
                AppendNumber(out, calendar->second, 2);
                break;
            case '%':
                out += '%';
                break;
            default:
                out += '%';
                out += format[i];
        }
    }
    return out;
}

bool TimesEqual(const OleDateTime& a, const OleDateTime& b) {
    if (a.m_status != b.m_status) {
        return false;
    }
    switch (a.m_status) {
        case DateTimeStatus::Valid:
            return a.m_dt == b.m_dt;
        case DateTimeStatus::Null:
            return true;
        default:
            return false;
    }
}

}  // namespace zelk
