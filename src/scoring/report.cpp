// GetResult0: score, report, claimed score, then the output stage.
#include "scoring/report.h"

#include <cstdarg>
#include <cstdio>

#include "plugin/entry_points.h"
#include "plugin/settings.h"
#include "scoring/output_stage.h"

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

const char* GetResult0(ModuleState& state, int* result) {
    state.g_reportText.clear();
    state.g_reportText +=
        FormatText(kReportTitleFormat, state.g_contestDate.c_str(), state.g_contestant.c_str());
    const ScoreResult score = ScoreLog(state);
    for (const ScoreRow& row : score.rows) {
        state.g_reportText += FormatText(kReportRowFormat, row.group.c_str(), row.qsos, row.points,
                                         row.lat, row.lon, row.zelk, row.polar);
    }
    const ScoreTotals& t = score.totals;
    state.g_reportText +=
        FormatText(kReportTotalFormat, t.qsos, t.points, t.lat, t.lon, t.zelk, t.polar);
    state.g_claimedScore = score.claimedScore;
    if (result != nullptr) {
        *result = score.claimedScore;
    }
    WriteSetting(state, keys::kClaimed, std::to_string(score.claimedScore));
    state.g_reportText +=
        FormatText(kReportScoreFormat, t.points, t.lat, t.lon, t.zelk, t.polar, score.claimedScore);
    RunOutputStage(state, result);
    return state.g_reportText.c_str();
}

}  // namespace zelk
