// The chart of the contest against time: QSOs per hour as bars stacked by
// group (left axis), the score as it grew (right axis), and the breaks
// shaded, all as inline SVG.
#pragma once

#include <string>

#include "report_html/operating_time.h"
#include "report_html/rate_sheet.h"
#include "report_html/report_model.h"

namespace zelk::report_html {

// The <svg> element, or a short paragraph when no contact has a time.
std::string RateChartSvg(const ReportModel& model, const RateSheet& sheet,
                         const OperatingTime& time);

}  // namespace zelk::report_html
