// The organiser's check from the server, on the same path as the command
// line: the latest log of each call is exported byte for byte into
// CONTEST_DIR/current/ (a new folder swapped in whole), and that folder is
// checked exactly as `zelk adjudicate CONTEST_DIR/current -o
// CONTEST_DIR/results --html` checks it. Publishing copies results/ into
// published/, which /results serves, so a later check changes nothing
// public until it is published too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "adjudication/line_status.h"
#include "serve/contest_dir.h"
#include "serve/file_store.h"
#include "serve/serve_settings.h"
#include "serve/submissions.h"

namespace zelk::serve {

struct CheckOutcome {
    int64_t checkId = 0;
    std::string runAt;
    std::size_t logs = 0;
    std::string table;                  // results.txt
    std::vector<std::string> problems;  // files not read, lines not checked
};

// Writes the latest submission of each call into `folder` (replaced whole),
// each file checked against its SHA-256 first; the files are named after
// their calls. Throws std::runtime_error when a stored file is missing or
// differs from what was received.
std::vector<std::string> ExportCurrentLogs(const std::vector<Submission>& current,
                                           const LogStore& files,
                                           const std::filesystem::path& folder);

// Puts the folder `fresh` in the place of `target` in one step (the old one
// is removed afterwards).
void ReplaceFolder(const std::filesystem::path& fresh, const std::filesystem::path& target);

class ContestChecker {
  public:
    ContestChecker(const ContestDir& dir, SubmissionStore& submissions, const LogStore& files,
                   const ServeSettings& settings)
        : m_dir(dir), m_submissions(submissions), m_files(files), m_settings(settings) {}

    // One check at a time, with the rules as the settings give them at this
    // moment; throws std::runtime_error when it cannot be run.
    CheckOutcome Run(UtcTime now);
    // Publishes the last check's results; throws when there are none.
    void Publish(UtcTime now);

  private:
    const ContestDir& m_dir;
    SubmissionStore& m_submissions;
    const LogStore& m_files;
    const ServeSettings& m_settings;
    std::mutex m_mutex;
};

}  // namespace zelk::serve
