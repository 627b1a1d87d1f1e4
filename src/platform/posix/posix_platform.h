// The platform seam on POSIX systems: settings in a profile file, message
// boxes and dialogs on the terminal, no host automation, and the files of
// the current folder with the host's backslash paths turned into slashes.
#pragma once

#include "platform/platform.h"

namespace zelk {

class PosixPlatform final : public Platform {
  public:
    // Reads a UTF-16LE file (one that starts with FF FE) as Windows does,
    // converting it to single-byte text (posix::ProfileText).
    std::string ReadProfileString(std::string_view section, std::string_view key,
                                  std::string_view fallback, std::string_view file) override;
    // Refuses (returns false) a section, key or value that holds a line
    // break: the file has one entry per line and must not be corrupted. A
    // UTF-16 file is refused too and left as it is: it is read, never
    // edited, so that it never holds two encodings.
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                            std::string_view file) override;

    // One line on standard error: caption, ": ", text.
    void ShowMessage(MessageOwner owner, const std::string& text,
                     const std::optional<std::string>& caption, MessageIcon icon) override;

    // A form on the terminal when standard input and output are both
    // terminals; otherwise ZELK_DIALOG decides ("ok", the default, or "cancel").
    int RunSetupDialog(Master& dialog) override;
    int RunHeaderDialog(Cabrillo& dialog) override;

    // No host can be reached on POSIX: the session never finds one.
    std::unique_ptr<AutomationSession> BeginAutomation(HostClassId& clsid) override;

    std::vector<std::string> ListExecutables() override;
    std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& name) override;

    std::optional<std::string> ReadTextFile(std::string_view name) override;
    bool FileExists(std::string_view name) override;
    bool StartFile(std::string_view name, std::string_view content) override;
    bool AppendToFile(std::string_view name, std::string_view content) override;
    bool ReplaceFile(std::string_view name, std::string_view content) override;
};

}  // namespace zelk
