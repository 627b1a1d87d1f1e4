// Contacts gathered by position.
#include "report_html/map_marks.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "report_html/groups.h"

namespace zelk::report_html {

std::vector<MapMark> CollectMarks(const ReportModel& model,
                                  const std::vector<std::string>& groups) {
    std::map<GeoPoint, MapMark> byPosition;
    for (std::size_t i = 0; i < model.contacts.size(); ++i) {
        const AdmittedContact& contact = model.contacts[i];
        if (!contact.position || std::abs(contact.position->latitude) > 90 ||
            std::abs(contact.position->longitude) > 180) {
            continue;
        }
        MapMark& mark = byPosition[*contact.position];
        mark.position = *contact.position;
        mark.perGroup.resize(groups.size(), 0);
        const std::size_t group = GroupIndex(groups, contact.group);
        if (group < groups.size()) {
            ++mark.perGroup[group];
        }
        ++mark.qsos;
        mark.zelkStation = mark.zelkStation || contact.zelkStation;
        mark.polar = mark.polar || contact.polar;
        mark.contacts.push_back(i);
    }
    std::vector<MapMark> marks;
    for (auto& [position, mark] : byPosition) {
        marks.push_back(std::move(mark));
    }
    std::stable_sort(marks.begin(), marks.end(), [](const MapMark& a, const MapMark& b) {
        if (a.qsos != b.qsos) {
            return a.qsos > b.qsos;
        }
        if (a.position.latitude != b.position.latitude) {
            return a.position.latitude > b.position.latitude;
        }
        return a.position.longitude < b.position.longitude;
    });
    return marks;
}

double MarkRadius(int32_t qsos) {
    constexpr double kSmallest = 5.0;
    constexpr double kGrowth = 2.4;
    constexpr double kLargest = 20.0;
    return std::min(kLargest, kSmallest + kGrowth * std::sqrt(std::max(qsos, 1) - 1.0));
}

}  // namespace zelk::report_html
