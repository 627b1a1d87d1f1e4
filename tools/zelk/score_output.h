// What `zelk score` tells the user after a run: the counts of contacts, the
// one-line summary and the JSON form of the whole result.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "report.h"

namespace zelk::host {

struct ContactCounts {
    std::size_t read = 0;
    std::size_t admitted = 0;    // AddData0 returned 1
    std::size_t refused = 0;     // AddData0 returned 0; listed in the error file
    std::size_t duplicates = 0;  // admitted but equal to a contact already stored
};

struct ScoreOutcome {
    ContestReport report;
    ContactCounts counts;
    std::filesystem::path errorFile;
    std::optional<std::filesystem::path> cabrilloFile;  // when one was written
};

// "9 contacts read: 7 admitted, 2 refused (see /c/err.txt), 1 duplicate; ..."
std::string SummaryLine(const ScoreOutcome& outcome);

// The outcome as one JSON object: contest, date, contestant, rows, totals,
// claimed_score, contacts, error_file, cabrillo_file.
std::string ToJson(const ScoreOutcome& outcome);

// A JSON string literal. Text that is not UTF-8 is read as Latin-1, so any
// bytes a log holds give valid JSON.
std::string JsonString(std::string_view text);

}  // namespace zelk::host
