// Dates and times of the minutes after the contest start, as the logs write
// them: from sixteen days before the start to three days after the end, so
// that contacts out of the period, clocks an hour off and another contest's
// log of a fortnight before all have their dates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "simulator.h"

namespace zelk::sim {

class ContestClock {
  public:
    explicit ContestClock(const SimulationParameters& parameters);
    std::string_view Date(int32_t minute) const;  // "2024-05-12"
    std::string_view Time(int32_t minute) const;  // "0602"
    std::string AdifDate(int32_t minute) const;   // "20240512"
    int64_t UnixTime(int32_t minute) const;       // seconds since 1970-01-01
    // Minutes since 1970-01-01 00:00, as a QSO line's date and time.
    int64_t UnixMinute(int32_t minute) const { return UnixTime(minute) / 60; }

  private:
    int64_t Day(int32_t minute) const;  // days since the first of m_dates

    int32_t m_startMinuteOfDay = 0;
    int64_t m_startDay = 0;  // days since 1970-01-01
    std::vector<std::string> m_dates;
    std::vector<std::string> m_times;
};

}  // namespace zelk::sim
