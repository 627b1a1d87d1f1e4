// The rate sheet: QSOs per hour and group, with totals, and the best rates
// over sliding 60- and 10-minute windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report_html/report_model.h"

namespace zelk::report_html {

struct HourCounts {
    int64_t hourStart = 0;  // minute at which the hour starts
    std::vector<int32_t> perGroup;
    int32_t total = 0;
};

// The most contacts inside any window of a given width.
struct RateWindow {
    int32_t qsos = 0;
    int64_t first = 0;  // minute of the window's first contact
    int64_t last = 0;   // minute of its last contact
};

struct RateSheet {
    std::vector<std::string> groups;  // columns, in ReportGroups order
    std::vector<HourCounts> hours;
    std::vector<int32_t> untimed;  // per group: contacts without a time
    std::vector<int32_t> groupTotals;
    int32_t untimedTotal = 0;
    int32_t total = 0;
    RateWindow best60;
    RateWindow best10;
};

// Hours are clock hours in UTC. Every hour from the first contact's to the
// last contact's has a row while they lie at most kLongestSheetHours apart;
// a longer log (a mistyped date, say) lists only the hours with contacts.
inline constexpr int64_t kLongestSheetHours = 72;
RateSheet BuildRateSheet(const ReportModel& model);

// The minutes of all contacts that have a time, in ascending order.
std::vector<int64_t> SortedContactMinutes(const std::vector<AdmittedContact>& contacts);

// The window of `width` minutes (a contact at minute m lies in [m, m+1))
// that holds the most contacts; the earliest such window when several do.
RateWindow BestWindow(const std::vector<int64_t>& sortedMinutes, int64_t width);

}  // namespace zelk::report_html
