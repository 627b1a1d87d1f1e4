// The groups (bands) a report shows, in one order for every piece, each
// with its colour, so the map, the rate sheet and the chart agree.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "report_html/report_model.h"

namespace zelk::report_html {

// The score table's groups in its order, then any group that only contacts
// name, in the order they first appear.
std::vector<std::string> ReportGroups(const ReportModel& model);

// The position of `group` in `groups`; groups.size() when absent.
std::size_t GroupIndex(const std::vector<std::string>& groups, std::string_view group);

// A colour for the group at `index`, told apart also by readers with
// red-green colour blindness; repeats after eight groups.
std::string_view GroupColour(std::size_t index);

}  // namespace zelk::report_html
