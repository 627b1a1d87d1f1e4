// Reads a result report as the host receives it from GetResult0 and checks
// that it holds together, whatever the texts in it: three title lines, one
// row per group, a total line whose columns are the sums of the rows, and a
// score line that adds up. Every sum holds at the 32-bit limits, as the
// plug-in's arithmetic does. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::reliability {

struct ReportLine {
    std::string label;  // the group text, or "Total"
    int32_t qsos = 0, points = 0, lat = 0, lon = 0, zelk = 0, polar = 0;
};

struct ReportFigures {
    std::string dateText;  // as the first title line shows it
    std::vector<ReportLine> rows;
    ReportLine total;
    int32_t claimed = 0;
};

// The sum of two 32-bit values, held at the limits.
int32_t SumHeld(int32_t a, int32_t b);

// Checks `report` for a contest run of `contestant` whose log holds contacts
// in each of `groups` (distinct texts, in any order; the report orders them).
// Rows are matched against the known group texts, so texts holding tabs or
// line breaks are read correctly. Returns the empty text when the report is
// sound, otherwise what is wrong with it; fills `figures` when given.
std::string CheckReport(std::string_view report, std::string_view contestant,
                        const std::vector<std::string>& groups, ReportFigures* figures = nullptr);

}  // namespace zelk::reliability
