// Group order and colours.
#include "report_html/groups.h"

#include <algorithm>
#include <array>

namespace zelk::report_html {

namespace {

// The Okabe-Ito palette without its yellow, which is unreadable on white,
// and with a dark grey as the eighth colour.
constexpr std::array<std::string_view, 8> kColours = {
    "#0072b2", "#d55e00", "#009e73", "#cc79a7", "#e69f00", "#56b4e9", "#7a3d00", "#555555",
};

}  // namespace

std::vector<std::string> ReportGroups(const ReportModel& model) {
    std::vector<std::string> groups;
    auto add = [&groups](const std::string& group) {
        if (GroupIndex(groups, group) == groups.size()) {
            groups.push_back(group);
        }
    };
    for (const ScoreRow& row : model.score.rows) {
        add(row.group);
    }
    for (const AdmittedContact& contact : model.contacts) {
        add(contact.group);
    }
    return groups;
}

std::size_t GroupIndex(const std::vector<std::string>& groups, std::string_view group) {
    return static_cast<std::size_t>(std::find(groups.begin(), groups.end(), group) -
                                    groups.begin());
}

std::string_view GroupColour(std::size_t index) {
    return kColours[index % kColours.size()];
}

}  // namespace zelk::report_html
