// The plug-in's result report read back into numbers: the title values, one
// row per group, the total line and the claimed score. The report is fixed
// text (tab-separated columns, CR LF line ends); reading it is the only way a
// host learns the rows, so it is kept in this one function.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zelk::host {

struct ReportRow {
    std::string group;
    int qsos = 0;
    int points = 0;
    int lat = 0;
    int lon = 0;
    int zelk = 0;
    int polar = 0;
};

struct ContestReport {
    std::string date;
    std::string contestant;
    std::vector<ReportRow> rows;
    ReportRow totals;  // group "Total"; qsos counts every stored record
    int claimedScore = 0;
};

// The report, or a message saying which line is not as expected.
std::variant<ContestReport, std::string> ParseReport(std::string_view text);

// The report with the platform's line ends in place of CR LF, for printing.
std::string ReportForPrinting(std::string_view text);

}  // namespace zelk::host
