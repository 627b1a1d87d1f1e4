// The organiser's pages: the login form, and the desk with every submission
// (replaced ones too) with its e-mail address, download link and reading
// warnings and the door it came in by; the forms to add a log, run the
// check, publish and mail the check reports; the last check's results; and
// the outbox.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "serve/outbox.h"
#include "serve/submissions.h"

namespace zelk::serve {

std::string LoginPage(const std::string& contestName, const std::string& problem);

struct Desk {
    std::string contestName;
    std::string deadline;  // for people; empty when none
    bool open = true;
    std::vector<Submission> submissions;
    std::optional<CheckRun> lastCheck;
    std::optional<CheckRun> published;
    std::string resultsTable;           // results.txt of the last check; empty when none
    std::vector<std::string> problems;  // of the check just run
    std::string notice;                 // what the last action did
    std::string formValue;              // the hidden field of every form
    bool lettersOut = false;            // a relay sends the outbox
    std::vector<OutboxRow> outbox;      // the latest letters, newest first
    OutboxCounts outboxCounts;
};

std::string DeskPage(const Desk& desk);

}  // namespace zelk::serve
