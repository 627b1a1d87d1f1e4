// The organiser's pages: the login form, and the desk with every submission
// (replaced ones too) with its e-mail address, download link and reading
// warnings; the forms to add a log, run the check and publish; and the last
// check's results.
#pragma once

#include <optional>
#include <string>
#include <vector>

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
};

std::string DeskPage(const Desk& desk);

}  // namespace zelk::serve
