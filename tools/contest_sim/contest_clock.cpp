// The contest's dates and times.
#include "contest_clock.h"

#include "text_append.h"

namespace zelk::sim {
namespace {

constexpr int64_t kDaysBefore = 16;
constexpr int64_t kDaysAfter = 3;

// Howard Hinnant's days-from-civil and civil-from-days (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

std::string CivilText(int64_t days, bool withDashes) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    std::string text;
    AppendNumber(text, static_cast<uint32_t>(y), 4);
    if (withDashes) {
        text += '-';
    }
    AppendNumber(text, m, 2);
    if (withDashes) {
        text += '-';
    }
    AppendNumber(text, d, 2);
    return text;
}

}  // namespace

ContestClock::ContestClock(const SimulationParameters& p)
    : m_startMinuteOfDay(p.startHour * 60),
      m_startDay(DaysFromCivil(p.startYear, static_cast<unsigned>(p.startMonth),
                               static_cast<unsigned>(p.startDay))) {
    const int64_t days = (m_startMinuteOfDay + p.lengthHours * 60) / 1440 + 1;
    for (int64_t d = -kDaysBefore; d < days + kDaysAfter; ++d) {
        m_dates.push_back(CivilText(m_startDay + d, true));
    }
    for (uint32_t minute = 0; minute < 1440; ++minute) {
        std::string time;
        AppendNumber(time, minute / 60, 2);
        AppendNumber(time, minute % 60, 2);
        m_times.push_back(std::move(time));
    }
}

int64_t ContestClock::Day(int32_t minute) const {
    const int64_t since = int64_t{m_startMinuteOfDay} + minute;
    return (since >= 0 ? since / 1440 : (since - 1439) / 1440) + kDaysBefore;
}

std::string_view ContestClock::Date(int32_t minute) const {
    return m_dates[static_cast<std::size_t>(Day(minute))];
}

std::string_view ContestClock::Time(int32_t minute) const {
    const int64_t since = int64_t{m_startMinuteOfDay} + minute;
    return m_times[static_cast<std::size_t>(((since % 1440) + 1440) % 1440)];
}

std::string ContestClock::AdifDate(int32_t minute) const {
    return CivilText(m_startDay + Day(minute) - kDaysBefore, false);
}

int64_t ContestClock::UnixTime(int32_t minute) const {
    return (m_startDay * 1440 + m_startMinuteOfDay + minute) * 60;
}

}  // namespace zelk::sim
