// The result output stage.
#include "scoring/output_stage.h"

#include "plugin/module_state.h"
#include "scoring/host_automation.h"

namespace zelk {

inline constexpr std::string_view kCabrilloModeCode = "CW";

void RunOutputStage(ModuleState& state, int* result) {
    if (state.g_cabrilloWanted != 0) {
        CCabrilloLog& cabrillo = state.g_cabrilloLog;
        for (std::size_t i = 0; i < state.g_qsoLog.Count(); ++i) {
            const CInfo& r = state.g_qsoLog.At(i);
            cabrillo.AddQsoLine(r.m_strCall, r.m_nFreqKHz, kCabrilloModeCode, r.m_time,
                                r.m_strExchSent, r.m_strExchRcvd);
        }
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
