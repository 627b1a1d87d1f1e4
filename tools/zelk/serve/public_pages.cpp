// The public pages.
#include "serve/public_pages.h"

#include "adjudication/contest_rules.h"
#include "adjudication/log_header.h"
#include "report_html/html_text.h"
#include "serve/page_frame.h"
#include "text/text.h"

namespace zelk::serve {

namespace {

using report_html::Escape;

std::string Row(std::string_view name, const std::string& valueHtml) {
    return "<dt>" + std::string(name) + "</dt><dd>" + valueHtml + "</dd>\n";
}

// The kept notes, and how many more there are.
std::string NotesList(const std::vector<LineNote>& notes, int64_t count) {
    std::string html = "<ul class=\"notes\">\n";
    for (const LineNote& note : notes) {
        html += "<li>" + (note.line != 0 ? "line " + std::to_string(note.line) + ": " : "") +
                Text(note.text, kNoteCharacters) + "</li>\n";
    }
    const int64_t more = count - static_cast<int64_t>(notes.size());
    if (more > 0) {
        html += "<li class=\"hint\">and " + std::to_string(more) + " more</li>\n";
    }
    return html + "</ul>\n";
}

std::string MinuteText(int64_t minutes) {
    return UtcTextForPeople(UtcTime{std::chrono::minutes{minutes}});
}

// What the contest is: its period, deadline, categories, rules and organiser.
std::string ContestFacts(const ServeSettings& settings) {
    const adjudication::CheckRules& rules = settings.rules;
    std::string html = "<dl class=\"receipt facts\">\n";
    if (rules.start && rules.end) {
        html += Row("Period",
                    Escape(MinuteText(*rules.start)) + " to " + Escape(MinuteText(*rules.end)));
    }
    html += Row("Deadline", settings.deadline ? Escape(UtcTextForPeople(*settings.deadline))
                                              : std::string("none set"));
    static constexpr const char* kParts[] = {"Operator", "Band", "Power", "Transmitter"};
    std::string categories;
    for (std::size_t part = 0; part < adjudication::kCategoryParts; ++part) {
        std::string values;
        for (const std::string& value : rules.categories.values[part]) {
            values += (values.empty() ? "" : ", ") + Escape(value);
        }
        categories +=
            "<span class=\"part\">" + std::string(kParts[part]) + ": " + values + "</span>";
    }
    html += Row("Categories", categories);
    if (!rules.intake.rulesLink.empty()) {
        html += Row("Rules", "<a href=\"" + Escape(rules.intake.rulesLink) +
                                 "\" rel=\"noopener noreferrer\">" +
                                 Text(rules.intake.rulesLink, 80) + "</a>");
    }
    if (!rules.intake.contact.empty()) {
        html += Row("Organiser", "<a href=\"mailto:" + Escape(rules.intake.contact) + "\">" +
                                     Escape(rules.intake.contact) + "</a>");
    }
    return html + "</dl>\n";
}

}  // namespace

std::string UploadPage(const ServeSettings& settings, bool open) {
    const std::string contest = Escape(settings.ContestName());
    std::string body = "<h1>" + contest + " contest: send your log</h1>\n<p>";
    body += settings.deadline ? "Logs are received until <strong>" +
                                    Escape(UtcTextForPeople(*settings.deadline)) + "</strong>."
                              : std::string("Logs are received now.");
    body += "</p>\n";
    const std::string about =
        "<div class=\"card\">" + ContestFacts(settings) +
        "<p class=\"hint\">Send the Cabrillo file your logging program writes for the contest. "
        "You are told at once what was read and get a receipt; a later log of the same call "
        "replaces the earlier one. The <a href=\"/received\">list of logs received</a> shows "
        "every call.</p></div>\n";
    if (!open) {
        return Document(settings.ContestName() + " contest: logs closed",
                        body +
                            "<div class=\"card\"><p class=\"refused\">The deadline has "
                            "passed: logs are no longer received here.</p></div>\n" +
                            about);
    }
    body +=
        "<form class=\"card\" method=\"post\" action=\"/api/logs\" "
        "enctype=\"multipart/form-data\">\n"
        "<label for=\"log\">Cabrillo log file</label>\n"
        "<input id=\"log\" name=\"log\" type=\"file\" accept=\".log,.cbr,.txt,text/plain\">\n"
        "<details><summary>or paste the log</summary>\n"
        "<textarea id=\"log_text\" name=\"log_text\" spellcheck=\"false\" aria-label=\"the log\" "
        "placeholder=\"START-OF-LOG: 3.0&#10;CALLSIGN: ...\"></textarea></details>\n"
        "<label for=\"email\">E-mail address (optional)</label>\n"
        "<input id=\"email\" name=\"email\" type=\"email\" autocomplete=\"email\" "
        "maxlength=\"254\">\n"
        "<p class=\"hint\">Only the organiser sees it, to write to you about your log.</p>\n"
        "<button type=\"submit\">Send the log</button>\n</form>\n";
    return Document(settings.ContestName() + " contest: send your log", body + about);
}

std::string ReceiptPage(const Receipt& receipt, const std::string& contestName, bool again,
                        const std::string& state) {
    const UploadReading& reading = receipt.reading;
    std::string body = again
                           ? "<h1>Receipt " + std::to_string(receipt.id) + ": " +
                                 Text(reading.call, 40) + "</h1>\n"
                           : "<h1 class=\"ok\">Log received: " + Text(reading.call, 40) + "</h1>\n";
    if (!state.empty()) {
        body += "<p id=\"state\">" + Escape(state) + "</p>\n";
    }
    body += "<div class=\"card\"><dl class=\"receipt\">\n";
    body += Row("Receipt", "<span id=\"receipt-id\">" + std::to_string(receipt.id) + "</span>");
    body += Row("Call", "<span id=\"call\">" + Text(reading.call, 40) + "</span>");
    body += Row("Category", "<span id=\"category\">" +
                                (reading.category.empty() ? std::string("none given")
                                                          : Text(reading.category)) +
                                "</span>");
    body += Row("QSOs", "<span id=\"qsos\">" + std::to_string(reading.qsos) + "</span>");
    body += Row("Claimed score",
                reading.claimedScore ? std::to_string(*reading.claimedScore) : "none given");
    body += Row("Score by " + Escape(contestName) + "'s rules",
                "<span id=\"score\">" + std::to_string(reading.score) + "</span>");
    body += Row("Received", TimeText(receipt.receivedAt));
    if (receipt.replaces) {
        body += Row("Replaces", "your earlier log, receipt " + std::to_string(*receipt.replaces));
    }
    if (receipt.replacedBy && !again) {
        body += Row("Replaced by", "a log of the same call that arrived after this one, receipt " +
                                       std::to_string(*receipt.replacedBy) + ": that one counts");
    }
    body += Row("File", std::to_string(receipt.size) + " bytes, SHA-256 <code>" +
                            Escape(receipt.sha256) + "</code>");
    body += Row("See it again", "<a id=\"receipt-link\" href=\"" + Escape(receipt.Link()) +
                                    "\">this receipt's own address</a> (keep it: only you have "
                                    "it)");
    body += "</dl></div>\n";
    body +=
        "<p class=\"hint\">The category is the one the check takes from the header. The score "
        "is what the contest's rules give the log as sent, before the check against the other "
        "logs.</p>\n";
    if (reading.unreadableCount > 0) {
        body += "<h2>Lines that could not be read (" + std::to_string(reading.unreadableCount) +
                ")</h2>\n<div class=\"card\">" +
                NotesList(reading.unreadable, reading.unreadableCount) +
                "<p class=\"hint\">These lines are not scored. Correct them and send the log "
                "again: the new log replaces this one.</p></div>\n";
    }
    if (reading.warningCount > 0) {
        body += "<h2>Warnings (" + std::to_string(reading.warningCount) +
                ")</h2>\n<div class=\"card\">" + NotesList(reading.warnings, reading.warningCount) +
                "</div>\n";
    }
    body +=
        "<p><a href=\"/received\">Logs received</a> &middot; <a href=\"/\">Send another "
        "log</a></p>\n";
    return Document((again ? "Receipt " + std::to_string(receipt.id) + ": " : "Log received: ") +
                        Printable(reading.call, 40),
                    body);
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
        body += "<tr><td>" + Text(row.call, 40) + "</td><td>" + Text(row.Category(), 80) +
                "</td><td class=\"n\">" + std::to_string(row.qsos) + "</td><td>" +
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
