// The organiser's pages.
#include "serve/organiser_pages.h"

#include "report_html/html_text.h"
#include "serve/page_frame.h"
#include "serve/receipt.h"

namespace zelk::serve {

namespace {

using report_html::Escape;

std::string HiddenFormValue(const std::string& value) {
    return "<input type=\"hidden\" name=\"form\" value=\"" + Escape(value) + "\">\n";
}

std::string ActionForm(const std::string& action, const std::string& label,
                       const std::string& formValue, bool quiet = false) {
    return "<form class=\"inline\" method=\"post\" action=\"" + action + "\">\n" +
           HiddenFormValue(formValue) + "<button type=\"submit\"" +
           (quiet ? " class=\"quiet\"" : "") + ">" + label + "</button>\n</form>\n";
}

std::string Notes(const UploadReading& reading) {
    std::string html;
    for (const LineNote& note : reading.unreadable) {
        html += "<li>line " + std::to_string(note.line) + " not read: " + Text(note.text, 200) +
                "</li>";
    }
    for (const LineNote& note : reading.warnings) {
        html += "<li>" + (note.line != 0 ? "line " + std::to_string(note.line) + ": " : "") +
                Text(note.text, 200) + "</li>";
    }
    return html.empty() ? "" : "<ul class=\"notes\">" + html + "</ul>";
}

std::string SourceText(const Submission& row) {
    if (row.source == "mail") {
        return " by mail";
    }
    return row.byOrganiser || row.source == "organiser" ? " (added by the organiser)"
                                                        : " on the web";
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

std::string SubmissionsTable(const std::vector<Submission>& submissions) {
    std::string html =
        "<div class=\"scroll\"><table class=\"submissions\">\n<thead><tr><th class=\"n\">#</th>"
        "<th>Call</th><th>Category</th><th class=\"n\">QSOs</th><th class=\"n\">Claimed</th>"
        "<th class=\"n\">Score</th><th>E-mail</th><th>Received</th><th>Log</th>"
        "<th>Reading</th></tr></thead>\n<tbody>\n";
    for (auto row = submissions.rbegin(); row != submissions.rend(); ++row) {
        const UploadReading reading = ReadingFromSummary(row->call, row->category, row->summary);
        const std::string id = std::to_string(row->id);
        html += std::string("<tr") + (row->IsCurrent() ? "" : " class=\"replaced\"") +
                " id=\"submission-" + id + "\"><td class=\"n\">" + id + "</td><td>" +
                Text(row->call, 40) + "</td><td>" + Text(row->category, 80) +
                "</td><td class=\"n\">" + std::to_string(reading.qsos) + "</td><td class=\"n\">" +
                (reading.claimedScore ? std::to_string(*reading.claimedScore) : "-") +
                "</td><td class=\"n\">" + std::to_string(reading.score) + "</td><td>" +
                Text(row->email, 254) + "</td><td>" + TimeText(row->receivedAt) + SourceText(*row) +
                (row->replacedBy ? "<br>replaced by " + std::to_string(*row->replacedBy) : "") +
                "</td><td><a href=\"/organiser/logs/" + id + "\">download</a> (" +
                std::to_string(row->size) + " bytes)</td><td>" + Notes(reading) + "</td></tr>\n";
    }
    return html + "</tbody>\n</table></div>\n";
}

std::string CheckSection(const Desk& desk) {
    std::string html = "<h2 id=\"check\">Check and results</h2>\n<div class=\"card\">\n<p>";
    if (desk.lastCheck) {
        html += "Last check " + Escape(desk.lastCheck->runAt) + " on " +
                std::to_string(desk.lastCheck->logs) +
                " current logs. <a href=\"/organiser/results/results.html\">Its results "
                "page</a>.";
    } else {
        html += "No check has been run.";
    }
    html += desk.published ? " Published: the check of " + Escape(desk.published->runAt) +
                                 " (since " + Escape(desk.published->publishedAt) +
                                 "), at <a href=\"/results/\">/results/</a>."
                           : std::string(" Nothing is published yet.");
    html += "</p>\n" + ActionForm("/organiser/check", "Run the check", desk.formValue);
    if (desk.lastCheck) {
        html += ActionForm("/organiser/publish", "Publish the last check's results", desk.formValue,
                           true);
    }
    html +=
        "<p class=\"hint\">The check exports the latest log of each call into current/ and "
        "writes results/ as <code>zelk adjudicate current -o results --html</code> "
        "does.</p>\n</div>\n";
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

}  // namespace

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
    for (const Submission& row : desk.submissions) {
        current += row.IsCurrent() ? 1 : 0;
    }
    std::string body = "<h1>" + Escape(desk.contestName) + " contest: organiser</h1>\n";
    if (!desk.notice.empty()) {
        body += "<div class=\"card ok\" id=\"notice\">" + Escape(desk.notice) + "</div>\n";
    }
    body += "<div class=\"card\"><p>" + std::to_string(desk.submissions.size()) + " submissions, " +
            std::to_string(current) + " current logs. " +
            (desk.deadline.empty() ? std::string("No deadline is set.")
                                   : "Deadline " + Escape(desk.deadline) +
                                         (desk.open ? ": uploads are open." : ": passed.")) +
            " <a href=\"/organiser/submissions.json\">As JSON</a>.</p>\n" +
            ActionForm("/organiser/logout", "Log out", desk.formValue, true) + "</div>\n";
    body += CheckSection(desk);
    body +=
        "<h2>Add a log</h2>\n<form class=\"card\" method=\"post\" action=\"/api/logs\" "
        "enctype=\"multipart/form-data\">\n" +
        HiddenFormValue(desk.formValue) +
        "<label for=\"log\">Cabrillo log file</label>\n<input id=\"log\" name=\"log\" "
        "type=\"file\">\n<label for=\"email\">E-mail address of the entrant "
        "(optional)</label>\n<input id=\"email\" name=\"email\" type=\"email\">\n"
        "<p class=\"hint\">Logs you add are taken after the deadline too.</p>\n"
        "<button type=\"submit\">Add the log</button>\n</form>\n";
    body += "<h2>Every submission</h2>\n" + SubmissionsTable(desk.submissions);
    body += OutboxSection(desk);
    return Document(desk.contestName + " contest: organiser", body);
}

}  // namespace zelk::serve
