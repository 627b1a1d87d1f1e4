// Host automation: sends the running host its two command texts, once.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace zelk {

struct ModuleState;

inline constexpr const char* kHostCommands[] = {"<MODE:CW>", "<BAUDRATE:25>"};

// Holds the one automation reference to the host, from the attempt that
// obtained it until the module is unloaded.
class HostDispatchHolder {
  public:
    void Hold(std::unique_ptr<HostDispatch> dispatch) { m_dispatch = std::move(dispatch); }
    bool Empty() const { return m_dispatch == nullptr; }
    bool SendHostCommand(const std::string& text) {
        return m_dispatch != nullptr && m_dispatch->SendHostCommand(text);
    }

  private:
    std::unique_ptr<HostDispatch> m_dispatch;
};

// One attempt to deliver the commands; does nothing once they were delivered.
void AutomateHost(ModuleState& state);

}  // namespace zelk
