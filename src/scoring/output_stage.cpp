// The result output stage.
#include "scoring/output_stage.h"

#include "plugin/module_state.h"
#include "scoring/host_automation.h"

namespace zelk {

inline constexpr std::string_view kCabrilloModeCode = "CW";

void RunOutputStage(ModuleState& state, int* result) {
    if (state.g_cabrilloWanted != 0) {
        CCabrilloLog& cabrillo = state.g_cabrilloLog;
        cabrillo.m_arrQsoLines.reserve(cabrillo.m_arrQsoLines.size() + state.g_qsoLog.Count());
        state.g_qsoLog.ForEach([&cabrillo](const QsoView& r) {
            cabrillo.AddQsoLine(r.Call(), r.FreqKHz(), kCabrilloModeCode, r.Time(), r.ExchSent(),
                                r.ExchRcvd());
        });
        const CCabrilloLog::WriteOutcome outcome = cabrillo.WriteLogFile(state);
        state.platform().ShowMessage(MessageOwner::ActiveWindow, outcome.message, kOutputCaption,
                                     MessageIcon::Information);
        // -1 tells the host that a file was produced; a file that could not
        // be written leaves the host its claimed score.
        if (outcome.written && result != nullptr) {
            *result = -1;
        }
    }
    if (state.g_hostCommandsSent == 0) {
        AutomateHost(state);
    }
}

}  // namespace zelk
