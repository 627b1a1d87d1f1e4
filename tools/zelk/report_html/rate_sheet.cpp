// Hour buckets and sliding windows over the contact times.
#include "report_html/rate_sheet.h"

#include <algorithm>
#include <map>

#include "report_html/clock.h"
#include "report_html/groups.h"

namespace zelk::report_html {

std::vector<int64_t> SortedContactMinutes(const std::vector<AdmittedContact>& contacts) {
    std::vector<int64_t> minutes;
    for (const AdmittedContact& contact : contacts) {
        if (contact.minute) {
            minutes.push_back(*contact.minute);
        }
    }
    std::sort(minutes.begin(), minutes.end());
    return minutes;
}

RateWindow BestWindow(const std::vector<int64_t>& sortedMinutes, int64_t width) {
    RateWindow best;
    std::size_t end = 0;
    for (std::size_t start = 0; start < sortedMinutes.size(); ++start) {
        while (end < sortedMinutes.size() && sortedMinutes[end] < sortedMinutes[start] + width) {
            ++end;
        }
        const auto inside = static_cast<int32_t>(end - start);
        if (inside > best.qsos) {
            best = {inside, sortedMinutes[start], sortedMinutes[end - 1]};
        }
    }
    return best;
}

RateSheet BuildRateSheet(const ReportModel& model) {
    RateSheet sheet;
    sheet.groups = ReportGroups(model);
    const std::size_t columns = sheet.groups.size();
    sheet.untimed.assign(columns, 0);
    sheet.groupTotals.assign(columns, 0);

    std::map<int64_t, HourCounts> hours;
    for (const AdmittedContact& contact : model.contacts) {
        const std::size_t column = GroupIndex(sheet.groups, contact.group);
        ++sheet.groupTotals[column];
        ++sheet.total;
        if (!contact.minute) {
            ++sheet.untimed[column];
            ++sheet.untimedTotal;
            continue;
        }
        HourCounts& hour = hours[HourStart(*contact.minute)];
        hour.perGroup.resize(columns, 0);
        ++hour.perGroup[column];
        ++hour.total;
    }
    if (!hours.empty()) {
        const int64_t first = hours.begin()->first;
        const int64_t last = hours.rbegin()->first;
        if (last - first <= kLongestSheetHours * kMinutesPerHour) {
            for (int64_t start = first; start <= last; start += kMinutesPerHour) {
                hours[start].perGroup.resize(columns, 0);
            }
        }
    }
    for (auto& [start, counts] : hours) {
        counts.hourStart = start;
        sheet.hours.push_back(std::move(counts));
    }

    const std::vector<int64_t> minutes = SortedContactMinutes(model.contacts);
    sheet.best60 = BestWindow(minutes, 60);
    sheet.best10 = BestWindow(minutes, 10);
    return sheet;
}

}  // namespace zelk::report_html
