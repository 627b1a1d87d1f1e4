// Operating time and the list of breaks.
#include "report_html/clock.h"
#include "report_html/html_text.h"
#include "report_html/tables.h"

namespace zelk::report_html {

std::string OperatingTimeHtml(const ReportModel& model, const OperatingTime& time) {
    if (!time.first) {
        return "<p class=\"note\">No contact has a time.</p>\n";
    }
    const std::string minimum = DurationText(std::max(model.options.minOffMinutes, 1));
    std::string html = "<dl class=\"facts\">\n<dt>First contact</dt><dd>" + DateText(*time.first) +
                       " " + ClockText(*time.first) + " UTC</dd>\n<dt>Last contact</dt><dd>" +
                       DateText(*time.last) + " " + ClockText(*time.last) +
                       " UTC</dd>\n<dt>Operating time</dt><dd><strong>" +
                       DurationText(time.onMinutes) + "</strong></dd>\n<dt>Off time</dt><dd>" +
                       DurationText(time.offMinutes) + " in " + Int(time.breaks.size()) +
                       (time.breaks.size() == 1 ? " break" : " breaks") + " of " + minimum +
                       " or more</dd>\n</dl>\n";
    if (time.breaks.empty()) {
        return html;
    }
    html +=
        "<table class=\"numbers breaks\">\n<thead><tr><th>Break</th><th>Last contact "
        "before</th><th>First contact after</th><th>Length</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < time.breaks.size(); ++i) {
        const Break& pause = time.breaks[i];
        html += "<tr><th scope=\"row\">" + Int(static_cast<int64_t>(i + 1)) + "</th><td>" +
                ClockTextNear(pause.from, *time.first) + "</td><td>" +
                ClockTextNear(pause.to, *time.first) + "</td><td>" +
                DurationText(pause.to - pause.from) + "</td></tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

}  // namespace zelk::report_html
