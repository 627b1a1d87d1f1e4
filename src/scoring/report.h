// The result report that GetResult0 hands the host.
#pragma once

#include <string>

#include "scoring/score.h"

namespace zelk {

// The report's four kinds of line, exactly as the host shows them.
inline constexpr const char* kReportTitleFormat =
    "\t\tZELK  Contest %s\r\n\t\t  Contestant: %s \r\n\tQSOs\tPoints  Lat    Long    ZELK    "
    "Polar\r\n";
inline constexpr const char* kReportRowFormat = "%s\t %i\t %i\t%i\t%i\t%i\t%i\r\n";
inline constexpr const char* kReportTotalFormat = "Total\t %i\t %i\t%i\t%i\t%i\t%i\r\n";
inline constexpr const char* kReportScoreFormat = "\r\nScore: %i+%i+%i+%i+%i = %i\r\n";

// The report of a score: the title with the contest date and the
// contestant, one line per row, the totals and the score line.
std::string ReportText(const std::string& contestDate, const std::string& contestant,
                       const ScoreResult& score);

// printf-style formatting into a std::string.
std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace zelk
