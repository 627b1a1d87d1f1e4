// The organiser's pages: the login form; the desk, as wide as the screen,
// with every submission (replaced and removed ones too) and the door it came
// in by, filtered to those with problems and sorted by any column at the
// organiser's choice, the organiser's actions, the forms to add a log, run
// the check, publish, mail the check reports, make a new token and log out,
// and the outbox; and a submission's own page with its reading and the forms
// to remove or restore it and set its call's category. No page holds a
// script: filtering and sorting are links.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/contest_categories.h"
#include "serve/outbox.h"
#include "serve/receipt.h"
#include "serve/submissions.h"

namespace zelk::serve {

std::string LoginPage(const std::string& contestName, const std::string& problem);

// How the desk lists the submissions, from its address's query: ?show=problems
// (else all), ?sort=<column>&order=desc (else by id, latest first).
struct DeskView {
    enum class Column {
        kId,
        kCall,
        kCategory,
        kQsos,
        kClaimed,
        kScore,
        kProblems,
        kEmail,
        kReceived,
        kState
    };
    bool problemsOnly = false;
    Column sort = Column::kId;
    bool descending = true;

    bool operator==(const DeskView&) const = default;
};
// Whatever the query holds: what it does not name stays as by default.
DeskView ReadDeskView(std::string_view show, std::string_view sort, std::string_view order);
// The submissions the view shows, in its order.
std::vector<Submission> InView(std::vector<Submission> submissions, const DeskView& view);

struct Desk {
    std::string contestName;
    std::string deadline;  // for people; empty when none
    bool open = true;
    std::vector<Submission> submissions;
    std::vector<OrganiserAction> actions;
    std::optional<CheckRun> lastCheck;
    std::optional<CheckRun> published;
    std::string resultsTable;           // results.txt of the last check; empty when none
    std::vector<std::string> problems;  // of the check just run
    std::string notice;                 // what the last action did
    std::string formValue;              // the hidden field of every form
    std::string rulesFile;              // the file the settings follow; empty when none
    std::string settingsProblem;        // why its last change was not taken
    DeskView view;
    bool lettersOut = false;        // a relay sends the outbox
    std::vector<OutboxRow> outbox;  // the latest letters, newest first
    OutboxCounts outboxCounts;
};

std::string DeskPage(const Desk& desk);

// A submission's page: its receipt, what became of it, the organiser's
// actions on it and its call, and the forms to remove or restore it and to
// set the call's category (of `categories`' values).
std::string SubmissionPage(const Submission& row, const std::vector<OrganiserAction>& actions,
                           const adjudication::ContestCategories& categories,
                           const std::string& formValue, const std::string& notice);

// The page that shows a new token once.
std::string NewTokenPage(const std::string& contestName, const std::string& token,
                         const std::string& tokenFile);

}  // namespace zelk::serve
