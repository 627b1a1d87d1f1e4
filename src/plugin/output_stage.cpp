// The result output stage.
#include "plugin/output_stage.h"

#include "plugin/module_state.h"
#include "scoring/host_automation.h"

namespace zelk {

void RunOutputStage(ModuleState& state, int* result) {
    if (state.g_cabrilloWanted != 0) {
        CCabrilloLog& cabrillo = state.g_cabrilloLog;
        cabrillo.AddQsoLines(state.g_qsoLog);
        Settings settings = state.settings();
        const CCabrilloLog::WriteOutcome outcome =
            cabrillo.WriteLogFile(state.platform(), settings, state.g_claimedScore);
        state.platform().ShowMessage(MessageOwner::ActiveWindow, outcome.message, kOutputCaption,
                                     MessageIcon::Information);
        // -1 tells the host that a file was produced; a file that could not
        // be written leaves the host its claimed score.
        if (outcome.written && result != nullptr) {
            *result = -1;
        }
    }
    if (state.g_hostCommandsSent == 0) {
        AutomateHost(state.platform(), state.g_hostClsid, state.g_hostDispatch,
                     state.g_hostCommandsSent);
    }
}

}  // namespace zelk
