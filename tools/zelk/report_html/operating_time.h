// Operating time and breaks. A break is a gap of at least the minimum
// off-time between two consecutive contacts, measured from the minute of
// the one to the minute of the next, so contacts at 10:00 and 10:30 make a
// break of 30 minutes. The operating time is the time from the first contact
// to the last, less the breaks; a single contact operates for no time.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zelk::report_html {

struct Break {
    int64_t from = 0;  // minute of the contact before the break
    int64_t to = 0;    // minute of the contact after it
};

struct OperatingTime {
    std::optional<int64_t> first;
    std::optional<int64_t> last;
    std::vector<Break> breaks;
    int64_t onMinutes = 0;
    int64_t offMinutes = 0;  // the breaks added up
};

// `sortedMinutes` ascending; a minimum below one minute counts as one.
OperatingTime MeasureOperatingTime(const std::vector<int64_t>& sortedMinutes, int minOffMinutes);

}  // namespace zelk::report_html
