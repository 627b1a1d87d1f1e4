// Writing the result files into the output folder, so that the folder holds
// one run's results whole at every moment it can: every file of the run is
// written first into a folder of the run's own inside the output folder,
// all of them are put on the disk in one flush, and only then are the files
// moved into place (and the moves flushed); when anything fails, what was
// moved is moved back and the previous results stand as they were. One
// entrant's report that cannot be written does not stop the others.
#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "adjudication/contest_check.h"
#include "adjudication/results_files.h"

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

// What WriteResults does to the disk, one step at a time, so that a test can
// make any single step fail. Each returns the system's reason, empty on
// success.
struct OutputSteps {
    // Makes a new file inside the run's own folder, not yet flushed to the
    // disk: the reports (called from several threads at once) and the
    // results files.
    std::function<std::error_code(const std::filesystem::path& path, const std::string& bytes)>
        write;
    // Puts the files written and the folders on the disk, whole, in one go
    // (FlushToDisk); before the run's files are moved into place, and once
    // more for the moves.
    std::function<std::error_code(const std::filesystem::path& folder,
                                  std::span<const std::filesystem::path> files,
                                  std::span<const std::filesystem::path> folders)>
        flush;
    std::function<std::error_code(const std::filesystem::path& from,
                                  const std::filesystem::path& to)>
        rename;
};

// The steps as the system does them.
OutputSteps SystemSteps();

struct WrittenResults {
    std::string text;               // results.txt, to be printed
    std::vector<UbnFile> ubnFiles;  // per entrant; the ones not written say why
    // This run's own folder when it could not be removed after the results
    // were in place (they are whole; it holds the previous run's files).
    std::string leftOver;
};

// Writes results.txt, results.csv, results.json, ubn/<CALL>.ubn (the output
// folder is made when absent), and results.html when asked; the lines the
// reports quote are read again from the logs first (QuotedLines). Throws
// std::runtime_error naming the file and the system's reason when the
// results cannot be written, flushed or put in place, or a log changed
// since it was read; the output folder then holds what it held before.
WrittenResults WriteResults(const ContestCheck& contest, const std::filesystem::path& folder,
                            const ResultsFormats& formats = {},
                            const OutputSteps& steps = SystemSteps(), const PartDone& done = {});

// Why the results may not be written into `output` for the logs of `logs`:
// one lies in the other, or the logs lie in a part of `output` that a run
// replaces (ubn/, the results files). Compared by what the folders are on
// the disk, whatever their spelling, symbolic links or case, and for an
// output folder not made yet by the folders it would be made in. Empty when
// they are apart.
std::string OutputOverlapsLogs(const std::filesystem::path& logs,
                               const std::filesystem::path& output);

}  // namespace zelk::adjudication
