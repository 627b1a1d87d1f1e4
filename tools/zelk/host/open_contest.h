// A contest opened the way the logging program opens one: the installed
// plug-in found and loaded, checked to offer the ZELK set, and the process
// moved into the contest folder (the plug-in names its files relative to the
// current folder).
#pragma once

#include <filesystem>
#include <string>

#include "host/log_reading.h"
#include "host/plugin.h"

namespace zelk::host {

// The plug-in's dialogs answer to this variable when no terminal is there.
inline constexpr const char* kDialogVariable = "ZELK_DIALOG";

// Where the plug-in and the shipped files are: --plugin, else found from the
// program's own path.
struct Installation {
    std::filesystem::path program;
    std::filesystem::path pluginOverride;  // empty: look beside the program
};

// The plug-in loaded and checked to offer the ZELK set, with the process
// moved into `folder`; else why not.
Checked<Plugin> OpenContest(const Installation& installation, const std::filesystem::path& folder);

}  // namespace zelk::host
