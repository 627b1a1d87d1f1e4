// The refused contacts as the error file lists them, with the reason in
// words beside the file's own message.
#include "report_html/html_text.h"
#include "report_html/tables.h"

namespace zelk::report_html {

namespace {

std::string_view ReasonInWords(std::string_view message) {
    if (message == "NO TEST MODE !!!") {
        return "the mode is not CW";
    }
    if (message == "NO RX NUMBER !!!") {
        return "an exchange is missing";
    }
    return {};
}

}  // namespace

std::string RefusedHtml(const ReportModel& model) {
    if (model.refused.empty()) {
        return "<p>No contact was refused.</p>\n";
    }
    const std::size_t count = model.refused.size();
    std::string html = "<p>" + Int(static_cast<int64_t>(count)) +
                       (count == 1 ? " contact was refused and does not count"
                                   : " contacts were refused and do not count") +
                       ". The error file err.txt lists " + (count == 1 ? "it" : "them") +
                       ":</p>\n<table class=\"refused\">\n<thead><tr><th>Contact</th>"
                       "<th>Reason</th></tr></thead>\n<tbody>\n";
    for (const RefusedContact& refused : model.refused) {
        const std::string_view words = ReasonInWords(refused.reason);
        html += "<tr><td><code>" + Escape(refused.contact) + "</code></td><td>" +
                (words.empty() ? std::string() : std::string(words) + " ") + "<code>" +
                Escape(refused.reason) + "</code></td></tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

}  // namespace zelk::report_html
