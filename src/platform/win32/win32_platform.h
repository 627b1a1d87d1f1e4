// The Windows side of the platform seam. Only the files of this folder
// include <windows.h>; the rest of the plug-in sees the Platform interface.
#pragma once

#include <windows.h>
// <windows.h> maps these names to their ANSI or wide functions; here they
// are the names of the platform interface's operations.
#undef ReplaceFile
#undef WriteProfileString

#include <optional>

#include "platform/platform.h"

namespace zelk {

class Win32Platform final : public Platform {
  public:
    // Takes the instance handle of the module this code is linked into: the
    // dialog templates are that module's resources.
    Win32Platform();

    HINSTANCE ModuleHandle() const { return m_module; }

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
    HINSTANCE m_module = nullptr;
};

// A scripted run (zelk --yes, tests) answers the dialogs through the
// environment variable ZELK_DIALOG: "ok" confirms each dialog as it opens,
// anything else cancels it; message boxes then go to standard error. A host
// that does not set it gets the real dialogs and boxes.
std::optional<int> ScriptedDialogAnswer();

}  // namespace zelk
