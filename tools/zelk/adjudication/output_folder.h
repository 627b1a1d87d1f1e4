// Writing the result files into the output folder. Nothing is ever seen
// half written: each results file is written beside its place under a
// temporary name and renamed over the old one, and the reports are written
// into a new folder that replaces ubn/ whole (so it holds this run's
// reports only).
#pragma once

#include <filesystem>
#include <string>

#include "adjudication/contest_check.h"

namespace zelk::adjudication {

inline constexpr const char* kResultsText = "results.txt";
inline constexpr const char* kResultsCsv = "results.csv";
inline constexpr const char* kResultsJson = "results.json";
inline constexpr const char* kResultsHtml = "results.html";
inline constexpr const char* kUbnFolder = "ubn";

struct ResultsFormats {
    // results.html too; without it an earlier run's results.html is removed,
    // so the folder holds this run's results only.
    bool html = false;
};

// Writes `bytes` beside `path` under a temporary name and renames it over
// `path`, so no reader meets half a file. Throws std::runtime_error naming
// the file when it cannot be written or put in place.
void ReplaceFile(const std::filesystem::path& path, const std::string& bytes);

// Writes results.txt, results.csv, results.json and ubn/<CALL>.ubn (the
// folders are made when absent), and results.html when asked. Returns the
// text of results.txt, or throws std::runtime_error naming the file that
// could not be written.
std::string WriteResults(const ContestCheck& contest, const std::filesystem::path& folder,
                         const ResultsFormats& formats = {});

}  // namespace zelk::adjudication
