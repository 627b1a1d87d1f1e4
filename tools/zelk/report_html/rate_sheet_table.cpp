// The rate sheet as a table: one row per hour, one column per group.
#include "report_html/clock.h"
#include "report_html/groups.h"
#include "report_html/html_text.h"
#include "report_html/tables.h"

namespace zelk::report_html {

namespace {

std::string CountCell(int32_t count) {
    return "<td class=\"rate\" data-qsos=\"" + Int(count) + "\">" +
           (count == 0 ? std::string() : Int(count)) + "</td>";
}

std::string BestRate(std::string_view name, const RateWindow& window, int64_t perHour) {
    if (window.qsos == 0) {
        return {};
    }
    std::string text = "<li>Best " + std::string(name) + ": <strong>" + Int(window.qsos) +
                       "</strong> " + (window.qsos == 1 ? "QSO" : "QSOs");
    if (perHour != 1) {
        text += " (" + Int(window.qsos * perHour) + " per hour)";
    }
    return text + ", " + ClockText(window.first) + "\u2013" +
           ClockTextNear(window.last, window.first) + "</li>\n";
}

}  // namespace

std::string RateSheetHtml(const RateSheet& sheet) {
    std::string html = "<ul class=\"best\">\n" + BestRate("60 minutes", sheet.best60, 1) +
                       BestRate("10 minutes", sheet.best10, 6) + "</ul>\n";
    html += "<table class=\"numbers rates\">\n<thead><tr><th>Hour (UTC)</th>";
    for (std::size_t g = 0; g < sheet.groups.size(); ++g) {
        html += "<th><span class=\"swatch\" style=\"background:" + std::string(GroupColour(g)) +
                "\"></span>" + Escape(sheet.groups[g]) + "</th>";
    }
    html += "<th>Total</th><th>Running</th></tr></thead>\n<tbody>\n";
    int64_t running = 0;
    int64_t previousDay = -1;
    for (const HourCounts& hour : sheet.hours) {
        const int64_t day = hour.hourStart / kMinutesPerDay;
        const std::string label = day == previousDay
                                      ? ClockText(hour.hourStart)
                                      : DateText(hour.hourStart) + " " + ClockText(hour.hourStart);
        previousDay = day;
        running += hour.total;
        html += "<tr><th scope=\"row\">" + label + "</th>";
        for (int32_t count : hour.perGroup) {
            html += CountCell(count);
        }
        html += "<td>" + Int(hour.total) + "</td><td>" + Int(running) + "</td></tr>\n";
    }
    if (sheet.untimedTotal > 0) {
        running += sheet.untimedTotal;
        html += "<tr><th scope=\"row\">no time</th>";
        for (int32_t count : sheet.untimed) {
            html += CountCell(count);
        }
        html += "<td>" + Int(sheet.untimedTotal) + "</td><td>" + Int(running) + "</td></tr>\n";
    }
    html += "</tbody>\n<tfoot><tr><th scope=\"row\">Total</th>";
    for (int32_t count : sheet.groupTotals) {
        html += "<td>" + Int(count) + "</td>";
    }
    return html + "<td>" + Int(sheet.total) + "</td><td></td></tr></tfoot>\n</table>\n";
}

}  // namespace zelk::report_html
