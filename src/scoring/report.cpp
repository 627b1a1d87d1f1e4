// The result report, line by line in the host's format.
#include "scoring/report.h"

#include <cstdarg>
#include <cstdio>

namespace zelk {

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    return text;
}

std::string ReportText(const std::string& contestDate, const std::string& contestant,
                       const ScoreResult& score) {
    std::string text = FormatText(kReportTitleFormat, contestDate.c_str(), contestant.c_str());
    for (const ScoreRow& row : score.rows) {
        text += FormatText(kReportRowFormat, row.group.c_str(), row.qsos, row.points, row.lat,
                           row.lon, row.zelk, row.polar);
    }
    const ScoreTotals& t = score.totals;
    text += FormatText(kReportTotalFormat, t.qsos, t.points, t.lat, t.lon, t.zelk, t.polar);
    text +=
        FormatText(kReportScoreFormat, t.points, t.lat, t.lon, t.zelk, t.polar, score.claimedScore);
    return text;
}

}  // namespace zelk
