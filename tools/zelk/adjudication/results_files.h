// The result files of a contest check, as texts: the ranked table
// (results.txt, also printed), the same as CSV and JSON, and each entrant's
// check report (ubn/<CALL>.ubn). None holds a time or a path that differs
// between runs: the same folder gives the same bytes.
#pragma once

#include <string>
#include <vector>

#include "adjudication/contest_check.h"

namespace zelk::adjudication {

std::string ResultsText(const ContestCheck& contest);
std::string ResultsCsv(const ContestCheck& contest);
// {"entrants": [...], "not_read": [...], "settings": {...}}; `ubnFiles` as
// UbnFileNames gives them.
std::string ResultsJson(const ContestCheck& contest, const std::vector<std::string>& ubnFiles);
std::string UbnReport(const ContestCheck& contest, const Entrant& entrant);
// The results as one self-contained page: the ranked table, and per entrant
// its map and rate sheet of the credited lines with a link to its report
// (`ubnFiles` as UbnFileNames gives them, relative to the page).
std::string ResultsHtml(const ContestCheck& contest, const std::vector<std::string>& ubnFiles);

// Each entrant's report file name: its call with every character a Windows
// file name cannot hold (and blanks and non-ASCII bytes) made "_", ".ubn"
// added; "-2", "-3" ... added where two calls would give one name.
std::vector<std::string> UbnFileNames(const ContestCheck& contest);

// "time window 5 minutes, call distance 2, ..." as the results state them.
std::string RulesText(const CheckRules& rules);

}  // namespace zelk::adjudication
