// What `zelk score` tells the user after a run: the counts of contacts, the
// one-line summary and the JSON form of the whole result.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "host/result_report.h"

namespace zelk::commands {

struct ContactCounts {
    std::size_t read = 0;
    std::size_t admitted = 0;    // AddData0 returned 1
    std::size_t refused = 0;     // AddData0 returned 0; listed in the error file
    std::size_t duplicates = 0;  // admitted but equal to a contact already stored
    std::size_t skipped = 0;     // never handed to the plug-in: a value could not be used
};

struct ScoreOutcome {
    host::ContestReport report;
    ContactCounts counts;
    std::filesystem::path errorFile;
    std::optional<std::filesystem::path> cabrilloFile;  // when one was written
};

// "9 contacts read: 7 admitted, 2 refused (see /c/err.txt), 1 duplicate; ...",
// with ", 2 skipped" after the duplicates when contacts were skipped.
std::string SummaryLine(const ScoreOutcome& outcome);

// The text with a line end after it, unless it is empty or ends with one: what
// the plug-in hands back need not end its last line.
std::string WithLineEnd(std::string_view text);

// What `zelk score` prints in text form: the report as printed, its last line
// ended, then the summary line.
std::string TextOutput(std::string_view printedReport, const ScoreOutcome& outcome);

// The outcome as one JSON object: contest, date, contestant, rows, totals,
// claimed_score, contacts (read, admitted, refused, duplicates, skipped),
// error_file, cabrillo_file.
std::string ToJson(const ScoreOutcome& outcome);

// A JSON string literal. Text that is not UTF-8 is read as Latin-1, so any
// bytes a log holds give valid JSON.
std::string JsonString(std::string_view text);

}  // namespace zelk::commands
