// The report as one self-contained HTML page: no script, no font, no
// request to anywhere (its Content-Security-Policy forbids them), printable
// on A4. The sections of one entrant are a piece of their own, so a results
// page can hold many.
#pragma once

#include <string>
#include <string_view>

#include "report_model.h"
#include "world_outline.h"

namespace zelk::report_html {

// An HTML5 document with the report's style; `body` is inserted as it is.
std::string HtmlDocument(std::string_view title, std::string_view body);

// The entrant's heading, key figures and every section: score, map, rate,
// operating time, refused contacts.
std::string EntrantSectionsHtml(const ReportModel& model, const Outline& outline);

// The whole report page of one entrant.
std::string ReportPage(const ReportModel& model, const Outline& outline = WorldOutline());

}  // namespace zelk::report_html
