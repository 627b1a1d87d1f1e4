// The score table: the result report's columns per group, and what each
// group earned in all.
#include "report_html/groups.h"
#include "report_html/html_text.h"
#include "report_html/tables.h"

namespace zelk::report_html {

namespace {

std::string Cells(const ScoreRow& row) {
    std::string cells;
    for (int64_t value : {int64_t{row.qsos}, int64_t{row.points}, int64_t{row.lat},
                          int64_t{row.lon}, int64_t{row.zelk}, int64_t{row.polar}, Earned(row)}) {
        cells += "<td>" + Int(value) + "</td>";
    }
    return cells;
}

}  // namespace

std::string ScoreTableHtml(const ReportModel& model) {
    const ScoreTable& score = model.score;
    const std::vector<std::string> groups = ReportGroups(model);
    std::string html =
        "<table class=\"numbers score\">\n<thead><tr><th>Band</th><th>QSOs</th><th>Points</th>"
        "<th>Lat</th><th>Long</th><th>ZELK</th><th>Polar</th><th>Earned</th></tr></thead>\n"
        "<tbody>\n";
    for (const ScoreRow& row : score.rows) {
        html += "<tr><th scope=\"row\"><span class=\"swatch\" style=\"background:" +
                std::string(GroupColour(GroupIndex(groups, row.group))) + "\"></span>" +
                Escape(row.group) + "</th>" + Cells(row) + "</tr>\n";
    }
    const ScoreRow& t = score.totals;
    html += "</tbody>\n<tfoot><tr><th scope=\"row\">Total</th>" + Cells(t) +
            "</tr></tfoot>\n</table>\n<p class=\"score-line\">Score: " + Int(t.points) + "+" +
            Int(t.lat) + "+" + Int(t.lon) + "+" + Int(t.zelk) + "+" + Int(t.polar) + " = <strong>" +
            Int(score.claimedScore) + "</strong></p>\n";
    return html;
}

}  // namespace zelk::report_html
