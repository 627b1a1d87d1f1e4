// The organiser's pages.
#include "serve/organiser_pages.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "adjudication/log_header.h"
#include "report_html/html_text.h"
#include "serve/check_run.h"
#include "serve/page_frame.h"

namespace zelk::serve {

namespace {

using report_html::Escape;
using Column = DeskView::Column;

// The notes of a submission the desk shows in its row; the rest are on its page.
constexpr std::size_t kNotesInRow = 3;

struct ColumnName {
    Column column;
    std::string_view key;    // in the address: ?sort=call
    std::string_view title;  // in the table's head
    bool number;
};
constexpr std::array<ColumnName, 10> kColumns{{
    {Column::kId, "id", "#", true},
    {Column::kCall, "call", "Call", false},
    {Column::kCategory, "category", "Category", false},
    {Column::kQsos, "qsos", "QSOs", true},
    {Column::kClaimed, "claimed", "Claimed", true},
    {Column::kScore, "score", "Score", true},
    {Column::kProblems, "problems", "Problems", false},
    {Column::kEmail, "email", "E-mail", false},
    {Column::kReceived, "received", "Received", false},
    {Column::kState, "state", "State", false},
}};

std::string HiddenFormValue(const std::string& value) {
    return "<input type=\"hidden\" name=\"form\" value=\"" + Escape(value) + "\">\n";
}

std::string ActionForm(const std::string& action, const std::string& label,
                       const std::string& formValue, bool quiet = false) {
    return "<form class=\"inline\" method=\"post\" action=\"" + action + "\">\n" +
           HiddenFormValue(formValue) + "<button type=\"submit\"" +
           (quiet ? " class=\"quiet\"" : "") + ">" + label + "</button>\n</form>\n";
}

std::string ReasonField() {
    return "<label for=\"reason\">Why (kept with the action)</label>\n"
           "<input id=\"reason\" name=\"reason\" type=\"text\" maxlength=\"500\" required>\n";
}

// Where a submission stands: 0 current, 1 replaced, 2 removed.
int StateRank(const Submission& row) {
    return row.removed ? 2 : row.IsCurrent() ? 0 : 1;
}

std::string StateText(const Submission& row) {
    if (row.removed) {
        return "removed by the organiser";
    }
    if (row.replacedBy) {
        return "replaced by " + std::to_string(*row.replacedBy);
    }
    return "current";
}

std::string ProblemsCell(const UploadReading& reading) {
    std::string html;
    std::size_t shown = 0;
    const auto add = [&](const LineNote& note, std::string_view prefix) {
        if (shown++ < kNotesInRow) {
            html += "<li>" + (note.line != 0 ? "line " + std::to_string(note.line) + " " : "") +
                    std::string(prefix) + Text(note.text, 160) + "</li>";
        }
    };
    for (const LineNote& note : reading.unreadable) {
        add(note, "not read: ");
    }
    for (const LineNote& note : reading.warnings) {
        add(note, "");
    }
    const int64_t all = reading.unreadableCount + reading.warningCount;
    if (all > static_cast<int64_t>(kNotesInRow)) {
        html += "<li class=\"hint\">" + std::to_string(all - static_cast<int64_t>(kNotesInRow)) +
                " more on its page</li>";
    }
    return html.empty() ? "" : "<ul class=\"notes\">" + html + "</ul>";
}

// The door a log came in by.
std::string SourceText(const Submission& row) {
    if (row.source == "mail") {
        return "by mail";
    }
    return row.byOrganiser || row.source == "organiser" ? "added by the organiser" : "on the web";
}

std::string OutboxSection(const Desk& desk) {
    std::string html = "<h2 id=\"outbox\">Letters</h2>\n<div class=\"card\"><p>" +
                       std::to_string(desk.outboxCounts.waiting) + " waiting, " +
                       std::to_string(desk.outboxCounts.sent) + " sent, " +
                       std::to_string(desk.outboxCounts.failed) + " failed. " +
                       (desk.lettersOut ? std::string("They go out through the relay.")
                                        : std::string("No relay is set (--smtp): letters wait.")) +
                       "</p>\n";
    if (desk.published) {
        html += ActionForm("/organiser/reports", "Mail each entrant its check report",
                           desk.formValue, true);
    }
    html += "</div>\n";
    if (desk.outbox.empty()) {
        return html;
    }
    html +=
        "<div class=\"scroll\"><table class=\"outbox\">\n<thead><tr><th class=\"n\">#</th>"
        "<th>Written</th><th>What</th><th>To</th><th>Subject</th><th>State</th>"
        "<th>The relay's answer</th></tr></thead>\n<tbody>\n";
    for (const OutboxRow& row : desk.outbox) {
        const std::string state =
            row.status == "sent" ? "sent " + TimeText(row.sentAt)
            : row.status == "waiting"
                ? "waiting" + (row.tries > 0 ? ", tried " + std::to_string(row.tries) +
                                                   " times, next " + TimeText(row.nextTryAt)
                                             : std::string())
                : Text(row.status, 20);
        html += "<tr><td class=\"n\">" + std::to_string(row.id) + "</td><td>" +
                TimeText(row.createdAt) + "</td><td>" + KindName(row.kind) + "</td><td>" +
                Text(row.to, 254) + "</td><td>" + Text(row.subject, 120) + "</td><td>" + state +
                "</td><td>" + Text(row.lastAnswer, 300) + "</td></tr>\n";
    }
    return html + "</tbody>\n</table></div>\n";
}

std::string ViewHref(DeskView view) {
    std::string href = "/organiser?";
    if (view.problemsOnly) {
        href += "show=problems&amp;";
    }
    for (const ColumnName& column : kColumns) {
        if (column.column == view.sort) {
            href += "sort=" + std::string(column.key);
        }
    }
    return href + "&amp;order=" + (view.descending ? "desc" : "asc") + "#submissions";
}

std::string SubmissionsTable(const std::vector<Submission>& all, const DeskView& view) {
    const std::vector<Submission> rows = InView(all, view);
    DeskView everyLog = view;
    everyLog.problemsOnly = false;
    DeskView problems = view;
    problems.problemsOnly = true;
    const std::size_t withProblems = static_cast<std::size_t>(std::count_if(
        all.begin(), all.end(), [](const Submission& row) { return row.HasProblems(); }));
    std::string html =
        "<p class=\"filter\">Show: " +
        (view.problemsOnly
             ? "<a href=\"" + ViewHref(everyLog) + "\">every submission (" +
                   std::to_string(all.size()) +
                   ")</a> &middot; <strong>with "
                   "problems (" +
                   std::to_string(withProblems) + ")</strong>"
             : "<strong>every submission (" + std::to_string(all.size()) +
                   ")</strong> &middot; <a id=\"only-problems\" href=\"" + ViewHref(problems) +
                   "\">with problems (" + std::to_string(withProblems) + ")</a>") +
        ". Sort by a column's heading; again for the other way.</p>\n";
    html += "<div class=\"scroll\"><table class=\"submissions\">\n<thead><tr>";
    for (const ColumnName& column : kColumns) {
        DeskView sorted = view;
        sorted.sort = column.column;
        // A number, a time or the problems sort most first the first time, a
        // text A first.
        const bool firstDescending = column.number || column.column == Column::kReceived ||
                                     column.column == Column::kProblems;
        sorted.descending = view.sort == column.column ? !view.descending : firstDescending;
        const std::string mark =
            view.sort == column.column ? (view.descending ? " &#9660;" : " &#9650;") : "";
        const char* kind = column.number                        ? " class=\"n\""
                           : column.column == Column::kProblems ? " class=\"wide\""
                                                                : "";
        html += std::string("<th") + kind + "><a href=\"" + ViewHref(sorted) + "\">" +
                std::string(column.title) + mark + "</a></th>";
    }
    html += "<th>Log</th></tr></thead>\n<tbody>\n";
    for (const Submission& row : rows) {
        // Only a reading with notes is read back.
        const UploadReading reading = row.HasProblems()
                                          ? ReadingFromSummary(row.call, row.category, row.summary)
                                          : UploadReading{};
        const std::string id = std::to_string(row.id);
        const std::string rowClass = row.removed       ? " class=\"removed\""
                                     : row.IsCurrent() ? ""
                                                       : " class=\"replaced\"";
        html += "<tr" + rowClass + " id=\"submission-" + id + "\"><td class=\"n\"><a href=\"" +
                "/organiser/submissions/" + id + "\">" + id + "</a></td><td>" + Text(row.call, 40) +
                "</td><td class=\"line\">" + Text(row.Category(), 80) +
                (row.categorySet.empty() ? "" : " <span class=\"hint\">(set)</span>") +
                "</td><td class=\"n\">" + std::to_string(row.qsos) + "</td><td class=\"n\">" +
                (row.claimedScore ? std::to_string(*row.claimedScore) : "-") +
                "</td><td class=\"n\">" + std::to_string(row.score) + "</td><td class=\"wide\">" +
                ProblemsCell(reading) + "</td><td><span class=\"email\">" + Text(row.email, 254) +
                "</span>" + "</td><td class=\"line\">" + TimeText(row.receivedAt) +
                "<br><span class=\"hint\">" + SourceText(row) + "</span>" +
                "</td><td class=\"line\">" + Escape(StateText(row)) +
                "</td><td><a href=\"/organiser/logs/" + id + "\">download</a></td></tr>\n";
    }
    return html + "</tbody>\n</table></div>\n";
}

std::string ActionsTable(const std::vector<OrganiserAction>& actions) {
    if (actions.empty()) {
        return "<p>None yet.</p>\n";
    }
    std::string html =
        "<div class=\"scroll\"><table class=\"actions\">\n<thead><tr><th>When</th><th>What</th>"
        "<th>Of</th><th>Why</th></tr></thead>\n<tbody>\n";
    for (const OrganiserAction& action : actions) {
        std::string what = action.what;
        if (action.what == OrganiserAction::kSetCategory) {
            what = action.value.empty() ? "category as the header says"
                                        : "category set to " + action.value;
        } else if (action.what == OrganiserAction::kMailReports) {
            what = "check reports mailed: " + action.value + " letters written";
        }
        std::string of = action.submission ? "<a href=\"/organiser/submissions/" +
                                                 std::to_string(*action.submission) + "\">" +
                                                 std::to_string(*action.submission) + "</a> "
                                           : std::string();
        of += Text(action.call, 40);
        html += "<tr><td>" + TimeText(action.at) + "</td><td>" + Text(what, 120) + "</td><td>" +
                of + "</td><td>" + Text(action.reason, 500) + "</td></tr>\n";
    }
    return html + "</tbody>\n</table></div>\n";
}

std::string CheckSection(const Desk& desk) {
    std::string html = "<h2 id=\"check\">Check and results</h2>\n<div class=\"card\">\n<p>";
    if (desk.lastCheck) {
        html += "Last check " + TimeText(desk.lastCheck->runAt) + " on " +
                std::to_string(desk.lastCheck->logs) +
                " current logs: <a href=\"/organiser/results/results.html\">its results page</a>"
                " with the lists for your review; <a href=\"/organiser/results/" +
                std::string(kPublicPage) + "\">the page as the public would see it</a>.";
    } else {
        html += "No check has been run.";
    }
    html += desk.published ? " Published: the check of " + TimeText(desk.published->runAt) +
                                 " (since " + TimeText(desk.published->publishedAt) + ", " +
                                 (desk.published->publishedReview ? "with" : "without") +
                                 " the lists for review), at <a href=\"/results/\">/results/</a>."
                           : std::string(" Nothing is published yet.");
    html += "</p>\n" + ActionForm("/organiser/check", "Run the check", desk.formValue);
    if (desk.lastCheck) {
        html += "<form class=\"inline\" method=\"post\" action=\"/organiser/publish\">\n" +
                HiddenFormValue(desk.formValue) +
                "<button type=\"submit\" class=\"quiet\">Publish the last check's results"
                "</button>\n<label class=\"check\"><input type=\"checkbox\" name=\"review\" "
                "value=\"1\"> with the lists for review (logs that cost others NILs, header "
                "notes, files not used ...) and results.txt and results.json</label>\n</form>\n";
    }
    html +=
        "<p class=\"hint\">The check exports the current log of each call (removed ones left "
        "out) into current/ and writes results/ as <code>zelk adjudicate current -o results "
        "--html</code> does, with the categories you set.</p>\n</div>\n";
    if (!desk.problems.empty()) {
        html += "<div class=\"card\"><ul class=\"notes\">";
        for (const std::string& problem : desk.problems) {
            html += "<li>" + Text(problem, 300) + "</li>";
        }
        html += "</ul></div>\n";
    }
    if (!desk.resultsTable.empty()) {
        html += "<pre class=\"results\">" + Escape(desk.resultsTable) + "</pre>\n";
    }
    return html;
}

std::string CategoryForm(const Submission& row, const adjudication::ContestCategories& categories,
                         const std::string& formValue) {
    std::string html = "<form class=\"card\" method=\"post\" action=\"/organiser/submissions/" +
                       std::to_string(row.id) + "/category\">\n" + HiddenFormValue(formValue) +
                       "<p>The category of " + Text(row.call, 40) +
                       " for the check and the results, whichever of its logs is current: now " +
                       Text(row.Category(), 80) +
                       (row.categorySet.empty() ? " (as the header says)" : " (set)") +
                       ".</p>\n<div class=\"parts\">\n";
    // The parts the results rank by; the transmitter stays as the header says.
    static constexpr const char* kNames[] = {"operator", "band", "power"};
    std::vector<std::string> now;
    for (std::size_t at = 0; at <= row.Category().size();) {
        const std::size_t blank = std::min(row.Category().find(' ', at), row.Category().size());
        now.push_back(row.Category().substr(at, blank - at));
        at = blank + 1;
    }
    for (std::size_t part = 0; part < 3; ++part) {
        const std::string_view tag =
            adjudication::RuleOf(static_cast<adjudication::CategoryPart>(part)).tag;
        html += "<label>" + Escape(tag) + ": <select name=\"" + kNames[part] + "\">\n";
        for (const std::string& value : categories.values[part]) {
            const bool chosen = part < now.size() && now[part] == value;
            html += std::string("<option") + (chosen ? " selected" : "") + ">" + Escape(value) +
                    "</option>\n";
        }
        html += "</select></label>\n";
    }
    html += "</div>\n" + ReasonField() +
            "<button type=\"submit\">Set the category</button>\n"
            "<button type=\"submit\" name=\"header\" value=\"1\" class=\"quiet\">As the header "
            "says</button>\n</form>\n";
    return html;
}

}  // namespace

DeskView ReadDeskView(std::string_view show, std::string_view sort, std::string_view order) {
    DeskView view;
    view.problemsOnly = show == "problems";
    for (const ColumnName& column : kColumns) {
        if (sort == column.key) {
            view.sort = column.column;
        }
    }
    view.descending = order != "asc";
    return view;
}

std::vector<Submission> InView(std::vector<Submission> submissions, const DeskView& view) {
    if (view.problemsOnly) {
        std::erase_if(submissions, [](const Submission& row) { return !row.HasProblems(); });
    }
    const auto key = [&view](const Submission& row) {
        const int64_t problems = row.unreadableCount + row.warningCount;
        switch (view.sort) {
            case Column::kCall:
                return std::tuple(row.call, int64_t{0});
            case Column::kCategory:
                return std::tuple(row.Category(), int64_t{0});
            case Column::kQsos:
                return std::tuple(std::string(), row.qsos);
            case Column::kClaimed:
                return std::tuple(std::string(), row.claimedScore.value_or(-1));
            case Column::kScore:
                return std::tuple(std::string(), row.score);
            case Column::kProblems:
                return std::tuple(std::string(), problems);
            case Column::kEmail:
                return std::tuple(row.email, int64_t{0});
            case Column::kReceived:
                return std::tuple(std::string(), row.arrival);
            case Column::kState:
                return std::tuple(std::string(), int64_t{StateRank(row)});
            case Column::kId:
                break;
        }
        return std::tuple(std::string(), row.id);
    };
    // Equal keys keep the order of id, latest first.
    std::stable_sort(submissions.begin(), submissions.end(),
                     [](const Submission& a, const Submission& b) { return a.id > b.id; });
    std::stable_sort(submissions.begin(), submissions.end(),
                     [&](const Submission& a, const Submission& b) {
                         return view.descending ? key(b) < key(a) : key(a) < key(b);
                     });
    return submissions;
}

std::string LoginPage(const std::string& contestName, const std::string& problem) {
    std::string body = "<h1>" + Escape(contestName) + " contest: organiser</h1>\n";
    if (!problem.empty()) {
        body += "<p class=\"refused\">" + Escape(problem) + "</p>\n";
    }
    body +=
        "<form class=\"card\" method=\"post\" action=\"/organiser/login\">\n"
        "<label for=\"token\">Organiser's token</label>\n"
        "<input id=\"token\" name=\"token\" type=\"password\" autocomplete=\"current-password\">\n"
        "<p class=\"hint\">The token is in the file organiser-token of the contest folder.</p>\n"
        "<button type=\"submit\">Log in</button>\n</form>\n";
    return Document(contestName + " contest: organiser", body);
}

std::string DeskPage(const Desk& desk) {
    std::size_t current = 0;
    std::size_t removed = 0;
    for (const Submission& row : desk.submissions) {
        current += row.IsCurrent() ? 1 : 0;
        removed += row.removed ? 1 : 0;
    }
    std::string body = "<h1>" + Escape(desk.contestName) + " contest: organiser</h1>\n";
    if (!desk.notice.empty()) {
        body += "<div class=\"card ok\" id=\"notice\">" + Escape(desk.notice) + "</div>\n";
    }
    if (!desk.settingsProblem.empty()) {
        body += "<div class=\"card refused\" id=\"settings-problem\">The last change of " +
                Escape(desk.rulesFile) + " was not taken; the settings stay as they were: " +
                Text(desk.settingsProblem, 400) + "</div>\n";
    }
    body += "<p>" + std::to_string(desk.submissions.size()) + " submissions, " +
            std::to_string(current) + " current logs, " + std::to_string(removed) + " removed. " +
            (desk.deadline.empty() ? std::string("No deadline is set.")
                                   : "Deadline " + Escape(desk.deadline) +
                                         (desk.open ? ": uploads are open." : ": passed.")) +
            (desk.rulesFile.empty()
                 ? std::string()
                 : " The settings follow " + Escape(desk.rulesFile) + " as it changes.") +
            " <a href=\"#check\">Check and results</a> &middot; <a href=\"#add\">Add a log</a> "
            "&middot; <a href=\"#outbox\">Letters</a> &middot; <a href=\"#actions\">Your "
            "actions</a> &middot; <a "
            "href=\"/organiser/submissions.json\">as JSON</a>.</p>\n";
    body += "<h2 id=\"submissions\">Every submission</h2>\n" +
            SubmissionsTable(desk.submissions, desk.view) +
            "<p class=\"hint\">A submission's page (its number) has its whole reading and the "
            "forms to remove or restore it and to set its call's category.</p>\n";
    body += CheckSection(desk);
    body +=
        "<h2 id=\"add\">Add a log</h2>\n<form class=\"card\" method=\"post\" "
        "action=\"/api/logs\" enctype=\"multipart/form-data\">\n" +
        HiddenFormValue(desk.formValue) +
        "<label for=\"log\">Cabrillo log file</label>\n<input id=\"log\" name=\"log\" "
        "type=\"file\">\n<label for=\"email\">E-mail address of the entrant "
        "(optional)</label>\n<input id=\"email\" name=\"email\" type=\"email\">\n"
        "<p class=\"hint\">Logs you add are taken after the deadline too, and logs naming "
        "another contest.</p>\n"
        "<button type=\"submit\">Add the log</button>\n</form>\n";
    body += OutboxSection(desk);
    body += "<h2 id=\"actions\">Your actions</h2>\n" + ActionsTable(desk.actions);
    body += "<h2>Your session</h2>\n<div class=\"card\">" +
            ActionForm("/organiser/logout", "Log out", desk.formValue, true) +
            ActionForm("/organiser/token", "Make a new token", desk.formValue, true) +
            "<p class=\"hint\">A session ends when you log out, after 12 hours, or when the "
            "server stops. A new token ends the old one and every session, this one too."
            "</p></div>\n";
    return Document(desk.contestName + " contest: organiser", body, Width::kScreen);
}

std::string SubmissionPage(const Submission& row, const std::vector<OrganiserAction>& actions,
                           const adjudication::ContestCategories& categories,
                           const std::string& formValue, const std::string& notice) {
    const Receipt receipt = ReceiptOf(row);
    const UploadReading& reading = receipt.reading;
    const std::string id = std::to_string(row.id);
    std::string body = "<p><a href=\"/organiser\">Back to the desk</a></p>\n<h1>Submission " + id +
                       ": " + Text(row.call, 40) + "</h1>\n";
    if (!notice.empty()) {
        body += "<div class=\"card ok\" id=\"notice\">" + Escape(notice) + "</div>\n";
    }
    body +=
        "<div class=\"card\"><dl class=\"receipt\">\n<dt>State</dt><dd id=\"state\">" +
        Escape(StateText(row)) + "</dd>\n<dt>Category</dt><dd>" + Text(row.Category(), 80) +
        (row.categorySet.empty() ? "" : " (set; the header says " + Text(row.category, 80) + ")") +
        "</dd>\n<dt>QSOs</dt><dd>" + std::to_string(row.qsos) +
        "</dd>\n<dt>Claimed, score</dt><dd>" +
        (row.claimedScore ? std::to_string(*row.claimedScore) : "-") + ", " +
        std::to_string(row.score) + "</dd>\n<dt>E-mail</dt><dd>" + Text(row.email, 254) +
        "</dd>\n<dt>Received</dt><dd>" + TimeText(row.receivedAt) + ", " + SourceText(row) +
        "</dd>\n<dt>File</dt><dd>" + "<a href=\"/organiser/logs/" + id + "\">download</a>, " +
        std::to_string(row.size) + " bytes, SHA-256 <code>" + Escape(row.sha256) +
        "</code></dd>\n<dt>Receipt</dt><dd>" + "<a href=\"" + Escape(receipt.Link()) +
        "\">as the entrant sees it</a></dd>\n" + "</dl></div>\n";
    const auto notes = [](const std::vector<LineNote>& list, int64_t count, std::string_view what) {
        if (count == 0) {
            return std::string();
        }
        std::string html = "<h2>" + std::string(what) + " (" + std::to_string(count) +
                           ")</h2>\n<div class=\"card\"><ul class=\"notes\">";
        for (const LineNote& note : list) {
            html += "<li>" + (note.line != 0 ? "line " + std::to_string(note.line) + ": " : "") +
                    Text(note.text, kNoteCharacters) + "</li>";
        }
        if (count > static_cast<int64_t>(list.size())) {
            html += "<li class=\"hint\">and " +
                    std::to_string(count - static_cast<int64_t>(list.size())) +
                    " more, not kept</li>";
        }
        return html + "</ul></div>\n";
    };
    body += notes(reading.unreadable, reading.unreadableCount, "Lines that could not be read");
    body += notes(reading.warnings, reading.warningCount, "Warnings");

    body +=
        "<h2>Take it out, or put it back</h2>\n<form class=\"card\" method=\"post\" "
        "action=\"/organiser/submissions/" +
        id + (row.removed ? "/restore" : "/remove") + "\">\n" + HiddenFormValue(formValue) +
        std::string(row.removed ? "<p>It is out of the contest. Put back, it counts again if it is "
                                  "the latest log of its call.</p>\n"
                                : "<p>Taken out, it is no longer listed or checked; the previous "
                                  "log of its call, if any, counts in its place. Nothing is "
                                  "deleted.</p>\n") +
        ReasonField() + "<button type=\"submit\">" + (row.removed ? "Put it back" : "Take it out") +
        "</button>\n</form>\n";
    body += "<h2>Its call's category</h2>\n" + CategoryForm(row, categories, formValue);

    std::vector<OrganiserAction> theirs;
    for (const OrganiserAction& action : actions) {
        if (action.submission == row.id ||
            (!action.submission && action.call == row.call && !row.call.empty())) {
            theirs.push_back(action);
        }
    }
    body += "<h2>Your actions on it and its call</h2>\n" + ActionsTable(theirs);
    return Document("Submission " + id, body, Width::kScreen);
}

std::string NewTokenPage(const std::string& contestName, const std::string& token,
                         const std::string& tokenFile) {
    return Document(
        contestName + " contest: a new token",
        "<h1>A new organiser's token</h1>\n<div class=\"card\"><p>The old token and every "
        "session, this one too, no longer work. The new token, also in " +
            Escape(tokenFile) + ":</p>\n<pre id=\"token\">" + Escape(token) +
            "</pre>\n<p><a href=\"/organiser\">Log in with it</a></p></div>\n");
}

}  // namespace zelk::serve
