// Host automation: sends the running host its two command texts, once.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace zelk {

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

// One attempt to deliver the commands. The host's class id is filled in
// `clsid`, a reference to the running host kept in `host`; `commandsSent`
// becomes 1 once both commands were delivered, and then nothing more is sent.
void AutomateHost(Platform& platform, HostClassId& clsid, HostDispatchHolder& host,
                  int32_t& commandsSent);

}  // namespace zelk
