// The contest report's model from scored contacts, for `zelk report` (a
// log as the plug-in keeps it) and `zelk adjudicate --html` (each entrant's
// credited lines) alike: every number comes from the core's scoring rules,
// the drawing positions from the same exchange texts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "report_html/report_model.h"
#include "scoring/score.h"

namespace zelk::report_scoring {

// The model's contacts: each one's points and the bonus its group first
// earned with it (ShareContacts), the ZELK station and polar flags, and the
// position of the coordinate its received exchange holds as scoring reads
// it, with the hemisphere letters applied. `minutes` gives each contact's
// time in minutes since 1970, or none.
std::vector<report_html::AdmittedContact> ReportContacts(
    std::span<const ScoredContact> contacts, std::span<const std::optional<int64_t>> minutes,
    Coordinate station);

// The score table of a result, rows in its order.
report_html::ScoreTable ReportScoreTable(const ScoreResult& result);

// The entrant of a report; its position is that of the coordinate text when
// it names a place that can be drawn.
report_html::Entrant ReportEntrant(std::string call, std::string category,
                                   std::string coordinateText, std::string contestDate);

}  // namespace zelk::report_scoring
