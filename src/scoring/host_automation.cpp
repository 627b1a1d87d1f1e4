// Host automation: one attempt per result request until the host has
// received both commands.
#include "scoring/host_automation.h"

#include "plugin/module_state.h"

namespace zelk {

void AutomateHost(ModuleState& state) {
    // The session enters the automation apartment and leaves it on every path.
    std::unique_ptr<AutomationSession> session =
        state.platform().BeginAutomation(state.g_hostClsid);
    if (session == nullptr) {
        return;
    }
    std::unique_ptr<HostDispatch> host = session->FindRunningHost();
    if (host == nullptr) {
        return;
    }
    state.g_hostDispatch.Hold(std::move(host));
    if (state.g_hostCommandsSent != 0) {
        return;
    }
    // A command the host did not take is tried again, in order, at the next
    // result request.
    for (const char* command : kHostCommands) {
        if (!state.g_hostDispatch.SendHostCommand(command)) {
            return;
        }
    }
    state.g_hostCommandsSent = 1;
}

}  // namespace zelk
