// The public pages.
#include "serve/public_pages.h"

#include "report_html/html_text.h"
#include "serve/page_frame.h"
#include "text/text.h"

namespace zelk::serve {

namespace {

using report_html::Escape;

std::string Row(std::string_view name, const std::string& valueHtml) {
    return "<dt>" + std::string(name) + "</dt><dd>" + valueHtml + "</dd>\n";
}

std::string NotesList(const std::vector<LineNote>& notes) {
    std::string html = "<ul class=\"notes\">\n";
    for (const LineNote& note : notes) {
        html += "<li>" + (note.line != 0 ? "line " + std::to_string(note.line) + ": " : "") +
                Text(note.text, 300) + "</li>\n";
    }
    return html + "</ul>\n";
}

}  // namespace

std::string UploadPage(const ServeSettings& settings, bool open) {
    const std::string contest = Escape(settings.contestName);
    std::string body = "<h1>" + contest + " contest: send your log</h1>\n<div class=\"card\"><p>";
    body += settings.deadline ? "Logs are received until <strong>" +
                                    Escape(UtcTextForPeople(*settings.deadline)) + "</strong>."
                              : std::string("Logs are received now.");
    body +=
        " Send the Cabrillo file your logging program writes for the contest. You are "
        "told at once what was read and get a receipt; a later log of the same call "
        "replaces the earlier one. The <a href=\"/received\">list of logs received</a> "
        "shows every call.</p></div>\n";
    if (!open) {
        return Document(settings.contestName + " contest: logs closed",
                        body +
                            "<div class=\"card\"><p class=\"refused\">The deadline has "
                            "passed: logs are no longer received here.</p></div>\n");
    }
    body +=
        "<form class=\"card\" method=\"post\" action=\"/api/logs\" "
        "enctype=\"multipart/form-data\">\n"
        "<label for=\"log\">Cabrillo log file</label>\n"
        "<input id=\"log\" name=\"log\" type=\"file\" accept=\".log,.cbr,.txt,text/plain\">\n"
        "<label for=\"log_text\">or paste the log</label>\n"
        "<textarea id=\"log_text\" name=\"log_text\" spellcheck=\"false\" "
        "placeholder=\"START-OF-LOG: 3.0&#10;CALLSIGN: ...\"></textarea>\n"
        "<label for=\"email\">E-mail address (optional)</label>\n"
        "<input id=\"email\" name=\"email\" type=\"email\" autocomplete=\"email\" "
        "maxlength=\"254\">\n"
        "<p class=\"hint\">Only the organiser sees it, to write to you about your log.</p>\n"
        "<button type=\"submit\">Send the log</button>\n</form>\n";
    return Document(settings.contestName + " contest: send your log", body);
}

std::string ReceiptPage(const Receipt& receipt, const std::string& contestName) {
    const UploadReading& reading = receipt.reading;
    std::string body = "<h1 class=\"ok\">Log received: " + Text(reading.call, 40) + "</h1>\n";
    body += "<div class=\"card\"><dl class=\"receipt\">\n";
    body += Row("Receipt", "<span id=\"receipt-id\">" + std::to_string(receipt.id) + "</span>");
    body += Row("Call", "<span id=\"call\">" + Text(reading.call, 40) + "</span>");
    body += Row("Category", reading.category.empty() ? "none given" : Text(reading.category));
    body += Row("QSOs", "<span id=\"qsos\">" + std::to_string(reading.qsos) + "</span>");
    body += Row("Claimed score",
                reading.claimedScore ? std::to_string(*reading.claimedScore) : "none given");
    body += Row("Score by " + Escape(contestName) + "'s rules",
                "<span id=\"score\">" + std::to_string(reading.score) + "</span>");
    body += Row("Received", TimeText(receipt.receivedAt));
    if (receipt.replaces) {
        body += Row("Replaces", "your earlier log, receipt " + std::to_string(*receipt.replaces));
    }
    body += Row("File", std::to_string(receipt.size) + " bytes, SHA-256 <code>" +
                            Escape(receipt.sha256) + "</code>");
    body += "</dl></div>\n";
    body +=
        "<p class=\"hint\">The score is what the contest's rules give the log as sent, before "
        "the check against the other logs.</p>\n";
    if (!reading.unreadable.empty()) {
        body += "<h2>Lines that could not be read (" + std::to_string(reading.unreadable.size()) +
                ")</h2>\n<div class=\"card\">" + NotesList(reading.unreadable) +
                "<p class=\"hint\">These lines are not scored. Correct them and send the log "
                "again: the new log replaces this one.</p></div>\n";
    }
    if (!reading.warnings.empty()) {
        body += "<h2>Warnings (" + std::to_string(reading.warnings.size()) +
                ")</h2>\n<div class=\"card\">" + NotesList(reading.warnings) + "</div>\n";
    }
    body +=
        "<p><a href=\"/received\">Logs received</a> &middot; <a href=\"/\">Send another "
        "log</a></p>\n";
    return Document("Log received: " + Printable(reading.call, 40), body);
}

std::string ReceivedPage(const std::vector<Submission>& current, const std::string& contestName) {
    std::string body = "<h1>" + Escape(contestName) + " contest: logs received</h1>\n";
    body += "<p><strong id=\"count\">" + std::to_string(current.size()) + "</strong> " +
            (current.size() == 1 ? "log" : "logs") +
            " received; a later log of a call replaces its earlier one.</p>\n";
    body +=
        "<div class=\"scroll\"><table class=\"received\">\n<thead><tr><th>Call</th>"
        "<th>Category</th><th class=\"n\">QSOs</th><th>Received</th></tr></thead>\n"
        "<tbody>\n";
    for (const Submission& row : current) {
        const UploadReading reading = ReadingFromSummary(row.call, row.category, row.summary);
        body += "<tr><td>" + Text(row.call, 40) + "</td><td>" + Text(row.category, 80) +
                "</td><td class=\"n\">" + std::to_string(reading.qsos) + "</td><td>" +
                TimeText(row.receivedAt) + "</td></tr>\n";
    }
    body += "</tbody>\n</table></div>\n";
    return Document(contestName + " contest: logs received", body);
}

std::string NotPublishedPage(const std::string& contestName) {
    return Document(contestName + " contest: results",
                    "<h1>" + Escape(contestName) +
                        " contest: results</h1>\n<div class=\"card\"><p>The results are not yet "
                        "published. They appear here once the organiser has checked the logs."
                        "</p></div>\n<p><a href=\"/received\">Logs received</a></p>\n");
}

}  // namespace zelk::serve
