// The --plugin option, shared by the commands that load the plug-in, and the
// status they give when the contest cannot be opened.
#include "commands/command.h"
#include "host/contest_folder.h"
#include "host/system.h"

namespace zelk::commands {

SharedInstallation AddPluginOption(CLI::App& app) {
    auto installation = std::make_shared<host::Installation>();
    installation->program = host::os::ExecutablePath();
    app.add_option("--plugin", installation->pluginOverride,
                   "Plug-in library to load (default: the one installed beside zelk)");
    return installation;
}

int OpenFailureStatus(const std::filesystem::path& folder) {
    return host::IsContestFolder(folder) ? kExitFailure : kExitBadInput;
}

}  // namespace zelk::commands
