// Host automation: one attempt per result request until the host has
// received both commands.
#include "scoring/host_automation.h"

namespace zelk {

void AutomateHost(Platform& platform, HostClassId& clsid, HostDispatchHolder& host,
                  int32_t& commandsSent) {
    // The session enters the automation apartment and leaves it on every path.
    std::unique_ptr<AutomationSession> session = platform.BeginAutomation(clsid);
    if (session == nullptr) {
        return;
    }
    std::unique_ptr<HostDispatch> running = session->FindRunningHost();
    if (running == nullptr) {
        return;
    }
    host.Hold(std::move(running));
    if (commandsSent != 0) {
        return;
    }
    // A command the host did not take is tried again, in order, at the next
    // result request.
    for (const char* command : kHostCommands) {
        if (!host.SendHostCommand(command)) {
            return;
        }
    }
    commandsSent = 1;
}

}  // namespace zelk
