// The legend under the map, drawn with the same symbols as the map.
#include <cstdlib>

#include "report_html/groups.h"
#include "report_html/html_text.h"
#include "report_html/map_marks.h"
#include "report_html/svg_map.h"

namespace zelk::report_html {

namespace {

std::string Symbol(const std::string& shapes) {
    return "<svg class=\"symbol\" viewBox=\"0 0 24 24\" width=\"18\" height=\"18\" "
           "aria-hidden=\"true\">" +
           shapes + "</svg>";
}

}  // namespace

std::string MapLegendHtml(const ReportModel& model) {
    const std::vector<std::string> groups = ReportGroups(model);
    std::vector<int64_t> perGroup(groups.size(), 0);
    int64_t withoutPlace = 0;
    for (const AdmittedContact& contact : model.contacts) {
        ++perGroup[GroupIndex(groups, contact.group)];
        if (!contact.position || std::abs(contact.position->latitude) > 90 ||
            std::abs(contact.position->longitude) > 180) {
            ++withoutPlace;
        }
    }
    std::string html = "<ul class=\"legend\">\n";
    for (std::size_t g = 0; g < groups.size(); ++g) {
        html += "<li>" +
                Symbol("<circle cx=\"12\" cy=\"12\" r=\"7\" fill=\"" + std::string(GroupColour(g)) +
                       "\"/>") +
                Escape(groups[g]) + " <span class=\"muted\">(" + Int(perGroup[g]) +
                ")</span></li>\n";
    }
    html += "<li>" +
            Symbol(
                "<path d=\"M12 1L14.8 8.1 23.4 8.3 16.6 13.5 19.1 21.7 12 16.8 4.9 21.7 7.4 "
                "13.5 0.6 8.3 9.2 8.1Z\" fill=\"#c0392b\"/>") +
            "own station</li>\n<li>" +
            Symbol(
                "<circle cx=\"12\" cy=\"12\" r=\"5\" fill=\"#888\"/><path d=\"M12 2L22 12 12 "
                "22 2 12Z\" fill=\"none\" stroke=\"#000\" stroke-width=\"2\"/>") +
            "the ZELK station</li>\n<li>" +
            Symbol(
                "<circle cx=\"12\" cy=\"12\" r=\"5\" fill=\"#888\"/><circle cx=\"12\" "
                "cy=\"12\" r=\"9\" fill=\"none\" stroke=\"#00607a\" stroke-width=\"1.5\" "
                "stroke-dasharray=\"3 2\"/>") +
            "polar (latitude 66 or more)</li>\n</ul>\n";
    html +=
        "<p class=\"note\">One mark for each worked place (whole degrees); its area grows with "
        "the number of contacts there, and a pie shows the bands. Point at a mark for its "
        "contacts and points.";
    if (withoutPlace > 0) {
        html += " " + Int(withoutPlace) + (withoutPlace == 1 ? " contact has" : " contacts have") +
                " no position that can be drawn.";
    }
    return html + "</p>\n";
}

}  // namespace zelk::report_html
