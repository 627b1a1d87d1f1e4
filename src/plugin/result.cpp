// GetResult0: score, report, claimed score, then the output stage.
#include "plugin/result.h"

#include "plugin/entry_points.h"
#include "plugin/output_stage.h"
#include "scoring/report.h"

namespace zelk {

ScoreResult ScoreLog(ModuleState& state) {
    return ScoreLog(state.g_qsoLog, state.g_groupList, state.g_scoreTally, state.station());
}

const char* GetResult0(ModuleState& state, int* result) {
    const ScoreResult score = ScoreLog(state);
    state.g_reportText = ReportText(state.g_contestDate, state.g_contestant, score);
    state.g_claimedScore = score.claimedScore;
    if (result != nullptr) {
        *result = score.claimedScore;
    }
    state.settings().Write(keys::kClaimed, std::to_string(score.claimedScore));
    RunOutputStage(state, result);
    return state.g_reportText.c_str();
}

}  // namespace zelk
