// zelk setup: the station coordinate edited in the plug-in's own dialog
// (SetupSet0), then read back from the settings file as the plug-in stored it.
#include <ostream>

#include "commands/command.h"
#include "host/contest_folder.h"

namespace zelk::commands {

namespace {

int RunSetup(const host::Installation& installation, const std::filesystem::path& folder,
             std::ostream& out, std::ostream& err) {
    const std::filesystem::path contest = std::filesystem::absolute(folder).lexically_normal();
    auto opened = host::OpenContest(installation, contest);
    if (auto* problem = host::Problem(opened)) {
        err << "zelk setup: " << *problem << '\n';
        return OpenFailureStatus(contest);
    }
    std::get<host::Plugin>(opened).Setup();
    const std::string coordinate = host::StoredStationCoordinate(".");
    if (coordinate.empty()) {
        out << "No station coordinate is stored; zelk score uses --lat and --lon.\n";
    } else {
        out << "Station coordinate: " << coordinate << '\n';
    }
    return kExitOk;
}

}  // namespace

Subcommand DeclareSetup(CLI::App& app, SharedInstallation installation) {
    auto folder = std::make_shared<std::filesystem::path>(".");
    CLI::App* setup = app.add_subcommand(
        "setup", "Edit the station coordinate in the plug-in's own dialog (SetupSet0)");
    setup->add_option("-C,--folder", *folder, "Contest folder (default: the current one)");
    return {setup, [installation, folder](std::ostream& out, std::ostream& err) {
                return RunSetup(*installation, *folder, out, err);
            }};
}

}  // namespace zelk::commands
