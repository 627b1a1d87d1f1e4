// The tables of a report as HTML fragments: the score per group, the rate
// sheet with the best rates, operating time and breaks, and the refused
// contacts.
#pragma once

#include <string>

#include "report_html/operating_time.h"
#include "report_html/rate_sheet.h"
#include "report_html/report_model.h"

namespace zelk::report_html {

// The score table with what each group earned, and the score line
// "Score: p+lat+lon+zelk+polar = total" as `zelk score` prints it.
std::string ScoreTableHtml(const ReportModel& model);

// The best 60- and 10-minute rates and the hourly table. Each count cell
// carries class "rate" and data-qsos, and all of them add up to the
// admitted contacts.
std::string RateSheetHtml(const RateSheet& sheet);

// First and last contact, operating and off time, and the breaks.
std::string OperatingTimeHtml(const ReportModel& model, const OperatingTime& time);

// The refused contacts, each with its reason.
std::string RefusedHtml(const ReportModel& model);

}  // namespace zelk::report_html
