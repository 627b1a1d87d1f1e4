// zelk adjudicate: the organiser's check of every log of a contest folder,
// with the ranked results and each entrant's report written into an output
// folder.
#pragma once

#include <filesystem>
#include <iosfwd>

#include "adjudication/line_status.h"

namespace zelk::host {

struct AdjudicateOptions {
    std::filesystem::path logs;
    std::filesystem::path output;
    adjudication::CheckRules rules;
    bool html = false;      // results.html too
    bool progress = false;  // redraw a progress line on `err` (a terminal)
};

int RunAdjudicate(const AdjudicateOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zelk::host
