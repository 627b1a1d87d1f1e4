// Putting the pieces on a page.
#include "report_html/page.h"

#include "report_html/clock.h"
#include "report_html/html_text.h"
#include "report_html/operating_time.h"
#include "report_html/page_style.h"
#include "report_html/rate_chart.h"
#include "report_html/rate_sheet.h"
#include "report_html/svg_map.h"
#include "report_html/tables.h"

namespace zelk::report_html {

namespace {

// Nothing may leave the file: styles are inline, images none but data: URLs.
constexpr std::string_view kContentPolicy =
    "default-src 'none'; style-src 'unsafe-inline'; img-src data:";

std::string Card(std::string_view name, const std::string& value) {
    return "<div><span>" + std::string(name) + "</span><strong>" + value + "</strong></div>";
}

std::string Section(std::string_view name, std::string_view heading, const std::string& body) {
    return "<section class=\"" + std::string(name) + "\">\n<h2>" + std::string(heading) +
           "</h2>\n" + body + "</section>\n";
}

}  // namespace

std::string HtmlDocument(std::string_view title, std::string_view body, std::string_view generator,
                         std::string_view extraStyle) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
           std::string(kContentPolicy) +
           "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<meta name=\"generator\" content=\"" +
           Escape(generator) + "\">\n<title>" + Escape(title) + "</title>\n<style>" +
           std::string(kPageStyle) + std::string(extraStyle) + "</style>\n</head>\n<body>\n" +
           std::string(body) + "</body>\n</html>\n";
}

std::string EntrantSectionsHtml(const ReportModel& model, const Outline& outline,
                                const SectionOptions& options) {
    const RateSheet sheet = BuildRateSheet(model);
    const OperatingTime time =
        MeasureOperatingTime(SortedContactMinutes(model.contacts), model.options.minOffMinutes);
    const Entrant& entrant = model.entrant;

    std::string facts;
    for (const std::string& fact :
         {entrant.category,
          entrant.coordinateText.empty() ? std::string() : "station " + entrant.coordinateText}) {
        if (!fact.empty()) {
            facts += (facts.empty() ? "" : " \u00b7 ") + Escape(fact);
        }
    }
    std::string html =
        "<header>\n<h1>" + Escape(entrant.call) + "<span class=\"contest\">ZELK Contest " +
        Escape(entrant.contestDate) + "</span></h1>\n<p class=\"entrant\">" + facts +
        "</p>\n<div class=\"cards\">" + Card("Score", Int(model.score.claimedScore)) +
        Card("QSOs", Int(model.score.totals.qsos)) +
        Card("Operating time", time.first ? DurationText(time.onMinutes) : "\u2013") +
        Card("Best hour", Int(sheet.best60.qsos) + " QSOs") +
        (options.refused ? Card("Refused", Int(static_cast<int64_t>(model.refused.size()))) : "") +
        "</div>\n" + options.headerNote + "</header>\n";
    html += Section("score", "Score per band", ScoreTableHtml(model));
    html += Section("map", "Where the contacts were",
                    MapSvg(model, outline, options.sharedLand) + MapLegendHtml(model));
    html += Section("rate", "Rate, hour by hour",
                    RateChartSvg(model, sheet, time) + RateSheetHtml(sheet));
    html += Section("time", "Operating time and breaks", OperatingTimeHtml(model, time));
    if (options.refused) {
        html += Section("refused", "Refused contacts", RefusedHtml(model));
    }
    return html;
}

std::string ReportPage(const ReportModel& model, const Outline& outline) {
    return HtmlDocument(model.entrant.call + " \u2013 ZELK Contest " + model.entrant.contestDate,
                        EntrantSectionsHtml(model, outline) +
                            "<footer>Made by zelk report from the log and the contest "
                            "rules. Times are UTC.</footer>\n");
}

}  // namespace zelk::report_html
