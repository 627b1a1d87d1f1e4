// The core's entry points behind the plug-in's binary interface, on a module
// state of the fuzzer's choosing: each input can start from a fresh state
// (the exported functions share one for the life of the process), and the
// messages the operator would see are recorded instead of printed, so that
// they can be checked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "plugin/module_state.h"
#include "plugin_calls.h"

namespace zelk::fuzz {

struct RecordedMessage {
    std::string text;
    std::optional<std::string> caption;
};

// The real POSIX platform, except that message boxes are recorded.
class RecordingPlatform final : public Platform {
  public:
    std::vector<RecordedMessage> messages;

    std::string ReadProfileString(std::string_view section, std::string_view key,
                                  std::string_view fallback, std::string_view file) override;
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                            std::string_view file) override;
    void ShowMessage(MessageOwner owner, const std::string& text,
                     const std::optional<std::string>& caption, MessageIcon icon) override;
    int RunSetupDialog(Master& dialog) override;
    int RunHeaderDialog(Cabrillo& dialog) override;
    std::unique_ptr<AutomationSession> BeginAutomation(HostClassId& clsid) override;
    std::vector<std::string> ListExecutables() override;
    std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& name) override;
    std::optional<std::string> ReadTextFile(std::string_view name) override;
    bool FileExists(std::string_view name) override;
    bool StartFile(std::string_view name, std::string_view content) override;
    bool AppendToFile(std::string_view name, std::string_view content) override;
    bool ReplaceFile(std::string_view name, std::string_view content) override;

  private:
    PosixPlatform m_posix;
};

// Makes `state` the module state that CoreEntryPoints() works on.
void UseModuleState(ModuleState* state);

// The ten entry points with the host's parameter lists, converting their
// arguments as the export layer does, on the state given to UseModuleState.
const reliability::EntryPoints& CoreEntryPoints();

}  // namespace zelk::fuzz
