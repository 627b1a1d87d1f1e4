// The one seam between the plug-in and the operating system. Everything the
// plug-in needs from its platform goes through this interface: the settings
// store, message boxes, the two modal dialogs, host automation, the host
// executable's version and the files in the host's current folder. The core
// never includes an operating-system header; posix/ and win32/ each implement
// this interface, and the tests put a fake in its place.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The dialogs' data: the seam exchanges them and nothing else of the rules.
#include "contest/cabrillo_dialog.h"
#include "contest/master_dialog.h"

namespace zelk {

// Owner window of a message box.
enum class MessageOwner {
    None,          // no owner window
    ActiveWindow,  // the calling thread's active window, or none when there is none
};

enum class MessageIcon { None, Information };

// The fixed file version of an executable, as its version resource holds it.
struct FixedFileVersion {
    uint32_t mostSignificant = 0;   // major << 16 | minor
    uint32_t leastSignificant = 0;  // third << 16 | fourth
};

// The host's class identifier, filled from its programmatic identifier.
using HostClassId = std::array<uint8_t, 16>;

// One automation reference to the host's running application object.
class HostDispatch {
  public:
    virtual ~HostDispatch() = default;
    // Invokes the host's command method with one text argument. Returns
    // whether the host took the call; never throws.
    virtual bool SendHostCommand(const std::string& text) = 0;
};

// One attempt to reach the running host: the automation apartment is entered
// when the session begins and left when it is destroyed, on every path.
class AutomationSession {
  public:
    virtual ~AutomationSession() = default;
    // The running host's dispatch interface, or null when no host is
    // registered, none is running or it offers no dispatch interface.
    virtual std::unique_ptr<HostDispatch> FindRunningHost() = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Settings store: a private profile file of sections and keys. Names are
    // matched without regard to case; `file` is the host's relative path
    // ("Plugins\ZELK.ini"). Reads return the whole value, or `fallback` when
    // the file, section or key is absent.
    virtual std::string ReadProfileString(std::string_view section, std::string_view key,
                                          std::string_view fallback, std::string_view file) = 0;
    virtual bool WriteProfileString(std::string_view section, std::string_view key,
                                    std::string_view value, std::string_view file) = 0;

    // A modal message box with one OK button; returns when it is closed. An
    // absent caption means the platform's default caption.
    virtual void ShowMessage(MessageOwner owner, const std::string& text,
                             const std::optional<std::string>& caption, MessageIcon icon) = 0;

    // The two modal dialogs. Each shows the fields of `dialog`, and when the
    // operator confirms, puts the edited fields back. Returns 1 when OK ended
    // the dialog, anything else otherwise (then `dialog` is unchanged).
    virtual int RunSetupDialog(Master& dialog) = 0;
    virtual int RunHeaderDialog(Cabrillo& dialog) = 0;

    // Host automation: begins one attempt, filling `clsid` from the host's
    // programmatic identifier.
    virtual std::unique_ptr<AutomationSession> BeginAutomation(HostClassId& clsid) = 0;

    // The host executable: the names of the entries of the current folder
    // that match "*.exe", in listing order, and the fixed version of one.
    virtual std::vector<std::string> ListExecutables() = 0;
    virtual std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& name) = 0;

    // Files in the host's current folder, named as the host names them (a
    // backslash separates folders). Content is written byte for byte.
    // Reads a file the way the C runtime's text mode does (CR LF becomes LF);
    // nullopt when the file cannot be opened for reading.
    virtual std::optional<std::string> ReadTextFile(std::string_view name) = 0;
    virtual bool FileExists(std::string_view name) = 0;
    // Creates or empties the file, then writes `content`. Other programs may
    // read and write the file meanwhile.
    virtual bool StartFile(std::string_view name, std::string_view content) = 0;
    // Appends `content` (possibly nothing) to the file, creating it when
    // absent, and flushes it.
    virtual bool AppendToFile(std::string_view name, std::string_view content) = 0;
    // Replaces the file with `content` as a whole: written to a temporary file
    // in the same folder and renamed over it, so a failed write never destroys
    // the previous file.
    virtual bool ReplaceFile(std::string_view name, std::string_view content) = 0;
};

}  // namespace zelk
