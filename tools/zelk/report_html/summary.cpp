// The summary text. The band table is right-aligned column by column, so it
// reads in any fixed-width font and pastes into a score site's text box.
#include "report_html/summary.h"

#include <algorithm>
#include <array>
#include <vector>

#include "report_html/clock.h"
#include "report_html/operating_time.h"
#include "report_html/rate_sheet.h"

namespace zelk::report_html {

namespace {

using Line = std::array<std::string, 8>;

Line TableLine(const ScoreRow& row, const std::string& group) {
    return {group,
            std::to_string(row.qsos),
            std::to_string(row.points),
            std::to_string(row.lat),
            std::to_string(row.lon),
            std::to_string(row.zelk),
            std::to_string(row.polar),
            std::to_string(Earned(row))};
}

std::string Table(const ScoreTable& score) {
    std::vector<Line> lines = {
        {"Band", "QSOs", "Points", "Lat", "Long", "ZELK", "Polar", "Earned"}};
    for (const ScoreRow& row : score.rows) {
        lines.push_back(TableLine(row, row.group));
    }
    lines.push_back(TableLine(score.totals, "Total"));
    std::array<std::size_t, 8> widths{};
    for (const Line& line : lines) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            widths[c] = std::max(widths[c], line[c].size());
        }
    }
    std::string text;
    for (const Line& line : lines) {
        std::string out = line[0] + std::string(widths[0] - line[0].size(), ' ');
        for (std::size_t c = 1; c < line.size(); ++c) {
            out += std::string(widths[c] - line[c].size() + 2, ' ') + line[c];
        }
        text += out + "\n";
    }
    return text;
}

}  // namespace

std::string SummaryText(const ReportModel& model) {
    const Entrant& entrant = model.entrant;
    const ScoreRow& totals = model.score.totals;
    const OperatingTime time =
        MeasureOperatingTime(SortedContactMinutes(model.contacts), model.options.minOffMinutes);
    std::string text =
        "ZELK Contest" + (entrant.contestDate.empty() ? "" : " " + entrant.contestDate) + "\n";
    text += "Call:           " + entrant.call + "\n";
    text += "Category:       " + entrant.category + "\n";
    text += "Station:        " + entrant.coordinateText + "\n\n";
    text += Table(model.score) + "\n";
    text += "QSOs:           " + std::to_string(totals.qsos) + "\n";
    text += "Score:          " + std::to_string(totals.points) + "+" + std::to_string(totals.lat) +
            "+" + std::to_string(totals.lon) + "+" + std::to_string(totals.zelk) + "+" +
            std::to_string(totals.polar) + " = " + std::to_string(model.score.claimedScore) + "\n";
    text += "Operating time: ";
    if (!time.first) {
        return text + "none (no contact has a time)\n";
    }
    return text + DurationText(time.onMinutes) + " (" + DateText(*time.first) + " " +
           ClockText(*time.first) + " to " + ClockTextNear(*time.last, *time.first) + " UTC, " +
           std::to_string(time.breaks.size()) + (time.breaks.size() == 1 ? " break" : " breaks") +
           " of " + DurationText(std::max(model.options.minOffMinutes, 1)) + " or more, " +
           DurationText(time.offMinutes) + " off)\n";
}

}  // namespace zelk::report_html
