// The report as one self-contained HTML page: no script, no font, no
// request to anywhere (its Content-Security-Policy forbids them), printable
// on A4. The sections of one entrant are a piece of their own, so a results
// page can hold many.
#pragma once

#include <string>
#include <string_view>

#include "report_html/report_model.h"
#include "report_html/world_outline.h"

namespace zelk::report_html {

// An HTML5 document with the report's style (and `extraStyle` after it);
// `body` is inserted as it is.
std::string HtmlDocument(std::string_view title, std::string_view body,
                         std::string_view generator = "zelk report",
                         std::string_view extraStyle = {});

// How a page with many entrants holds one entrant's sections.
struct SectionOptions {
    bool refused = true;     // the refused contacts' card and section
    std::string headerNote;  // HTML put under the key figures
    std::string sharedLand;  // the id of the page's SharedLandSvg; empty: the map draws its own
};

// The entrant's heading, key figures and every section: score, map, rate,
// operating time, refused contacts.
std::string EntrantSectionsHtml(const ReportModel& model, const Outline& outline,
                                const SectionOptions& options = {});

// The whole report page of one entrant.
std::string ReportPage(const ReportModel& model, const Outline& outline = WorldOutline());

}  // namespace zelk::report_html
