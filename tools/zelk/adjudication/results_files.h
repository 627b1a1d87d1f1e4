// The result files of a contest check, as texts: the ranked table
// (results.txt, also printed), the same as CSV and JSON, and each entrant's
// check report (ubn/<CALL>.ubn). None holds a time or a path that differs
// between runs: the same folder gives the same bytes.
#pragma once

#include <string>
#include <vector>

#include "adjudication/contest_check.h"

namespace zelk::adjudication {

// An entrant's report as the results name it: its file in ubn/, and the
// reason it could not be written (empty when it was); the results then say
// so in its place, and the rest of the results still stand.
struct UbnFile {
    std::string name;
    std::string notWritten;
};

// `ubnFiles` is per entrant, in the order of contest.entrants, as UbnFiles
// gives them.
std::string ResultsText(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles);
// Every text cell that came from a log is made inert for spreadsheets.
std::string ResultsCsv(const ContestCheck& contest);
// {"entrants": [...], "not_read": [...], "settings": {...}}.
std::string ResultsJson(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles);
std::string UbnReport(const ContestCheck& contest, const Entrant& entrant);
// What a results page holds beyond the results: its title, the site's
// navigation above them, and whether it lists what is for the organiser's
// review (files not read or not used, calls taken from QSO lines, missing
// logs, logs that cost others NILs, corrected clocks, header notes,
// decisions not applied). zelk serve publishes the page without them unless
// the organiser chooses otherwise.
struct ResultsPage {
    std::string title;       // empty: the page zelk adjudicate writes
    std::string navigation;  // HTML placed first in the body; empty: none
    std::string style;       // CSS for the navigation
    bool reviewLists = true;
};

// The results as one self-contained page: the ranked table, and per entrant
// its map and rate sheet of the credited lines with a link to its report
// (relative to the page).
std::string ResultsHtml(const ContestCheck& contest, const std::vector<UbnFile>& ubnFiles,
                        const ResultsPage& page = {});

// Each entrant's report file, all written: its call cut to 40 bytes, every
// character a Windows file name cannot hold (and blanks and non-ASCII bytes)
// made "_", a "_" after a Windows device name (CON, NUL, COM1, CONIN$ ...:
// "NUL.tar" is NUL_.tar.ubn), ".ubn" added; "-2", "-3" ... added where two
// calls would give one name, without regard to case.
std::vector<UbnFile> UbnFiles(const ContestCheck& contest);

// "time window 5 minutes, call distance 2, ..." as the results state them.
std::string RulesText(const CheckRules& rules);

}  // namespace zelk::adjudication
