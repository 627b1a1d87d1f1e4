// The organiser's check from the server, on the same path as the command
// line: the current log of each call (removed ones left out) is exported
// byte for byte into CONTEST_DIR/current/ (a new folder swapped in whole),
// and that folder is checked exactly as `zelk adjudicate CONTEST_DIR/current
// -o CONTEST_DIR/results --html` checks it, with the categories the
// organiser set in place of their headers'. Beside the results the check
// writes the page the public will see, with the site's navigation, without
// and with the lists for the organiser's review. Publishing copies results/
// into published/, which /results serves, so a later check changes nothing
// public until it is published too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "adjudication/line_status.h"
#include "serve/contest_dir.h"
#include "serve/file_store.h"
#include "serve/live_settings.h"
#include "serve/submissions.h"

namespace zelk::serve {

// The results page as the public sees it, in results/ beside the check's
// own files, without and with the lists for the organiser's review.
inline constexpr const char* kPublicPage = "results-public.html";
inline constexpr const char* kPublicReviewPage = "results-public-review.html";

struct CheckOutcome {
    int64_t checkId = 0;
    std::string runAt;
    std::size_t logs = 0;
    std::string table;                  // results.txt
    std::vector<std::string> problems;  // files not read, lines not checked
};

// The name a call's log is exported under: letters, digits and "-" as they
// are, every other byte "_" and its two hex digits ("A/B" is A_2FB.log,
// "A_B" A_5FB.log), so that no two calls share a name, in any letter case;
// a name longer than 100 bytes is cut and ends in "~" and the submission's
// id, which no other name holds (an empty call's is "~" and the id).
std::string ExportName(std::string_view call, int64_t id);

// Writes the given submissions into `folder` (replaced whole), each file
// checked against its SHA-256 first and read back after; returns their
// names, in the order given. Throws std::runtime_error when a stored file
// is missing or differs from what was received, or the folder written holds
// other files than these.
std::vector<std::string> ExportCurrentLogs(const std::vector<Submission>& current,
                                           const LogStore& files,
                                           const std::filesystem::path& folder);

// Puts the folder `fresh` in the place of `target` in one step (the old one
// is removed afterwards).
void ReplaceFolder(const std::filesystem::path& fresh, const std::filesystem::path& target);

// Removes the folders an export or a publishing cut off by a kill left in
// the contest folder (.current-XXXXXX, .published-XXXXXX); returns how many.
std::size_t RemoveExportLeftovers(const ContestDir& dir);

class ContestChecker {
  public:
    ContestChecker(const ContestDir& dir, SubmissionStore& submissions, const LogStore& files,
                   LiveSettings& settings)
        : m_dir(dir), m_submissions(submissions), m_files(files), m_settings(settings) {}

    // One check at a time, with the rules as the settings give them at this
    // moment; throws std::runtime_error when it cannot be run.
    CheckOutcome Run(UtcTime now);
    // Publishes the last check's results: its public page, the reports, the
    // CSV; with `reviewLists`, the page with the lists for the organiser's
    // review, and results.txt and results.json, which hold them too. Throws
    // when there are none.
    void Publish(UtcTime now, bool reviewLists);

  private:
    const ContestDir& m_dir;
    SubmissionStore& m_submissions;
    const LogStore& m_files;
    LiveSettings& m_settings;
    std::mutex m_mutex;
};

}  // namespace zelk::serve
