// `zelk report --summary`: the plain text a score site asks for: call,
// category, the table per band, QSOs, score and operating time.
#pragma once

#include <string>

#include "report_html/report_model.h"

namespace zelk::report_html {

// Lines end with "\n"; columns are aligned with spaces.
std::string SummaryText(const ReportModel& model);

}  // namespace zelk::report_html
