// Breaks from the gaps between consecutive contact times.
#include "report_html/operating_time.h"

#include <algorithm>

namespace zelk::report_html {

OperatingTime MeasureOperatingTime(const std::vector<int64_t>& sortedMinutes, int minOffMinutes) {
    OperatingTime time;
    if (sortedMinutes.empty()) {
        return time;
    }
    const int64_t minOff = std::max(minOffMinutes, 1);
    time.first = sortedMinutes.front();
    time.last = sortedMinutes.back();
    for (std::size_t i = 1; i < sortedMinutes.size(); ++i) {
        const int64_t gap = sortedMinutes[i] - sortedMinutes[i - 1];
        if (gap >= minOff) {
            time.breaks.push_back({sortedMinutes[i - 1], sortedMinutes[i]});
            time.offMinutes += gap;
        }
    }
    time.onMinutes = *time.last - *time.first - time.offMinutes;
    return time;
}

}  // namespace zelk::report_html
