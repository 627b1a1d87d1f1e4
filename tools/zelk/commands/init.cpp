// zelk init: makes a folder a contest folder: Plugins/, the reference list
// and, with --coordinate, the station coordinate in the settings file.
#include <exception>
#include <optional>
#include <ostream>

#include "commands/command.h"
#include "host/contest_folder.h"

namespace zelk::commands {

namespace {

struct InitOptions {
    std::filesystem::path folder = ".";
    std::optional<std::string> coordinate;
};

int RunInit(const host::Installation& installation, const InitOptions& options, std::ostream& out,
            std::ostream& err) {
    if (options.coordinate && !host::IsCoordinateText(*options.coordinate)) {
        err << "zelk init: '" << *options.coordinate
            << "' is not a station coordinate such as 55N37O or 33S70W\n";
        return kExitBadInput;
    }
    auto shipped = host::FindShippedFile(installation.program, host::kReferenceFile, "share/zelk");
    if (!shipped) {
        err << "zelk init: cannot find the shipped reference list " << host::kReferenceFile
            << " beside zelk or in ../share/zelk\n";
        return kExitFailure;
    }
    try {
        for (const std::string& line :
             host::InitContestFolder(options.folder, *shipped, options.coordinate)) {
            out << line << '\n';
        }
    } catch (const std::exception& problem) {
        err << "zelk init: " << problem.what() << '\n';
        return kExitFailure;
    }
    out << options.folder.string() << " is a contest folder\n";
    return kExitOk;
}

}  // namespace

Subcommand DeclareInit(CLI::App& app, SharedInstallation installation) {
    auto options = std::make_shared<InitOptions>();
    CLI::App* init = app.add_subcommand(
        "init",
        "Make a folder a contest folder: Plugins/, the reference list Plugins/zelk.dat "
        "and, with --coordinate, the station coordinate in Plugins/ZELK.ini");
    init->add_option("DIR", options->folder, "Folder to lay out (created when absent)")
        ->capture_default_str();
    init->add_option("--coordinate", options->coordinate,
                     "Station coordinate in whole degrees, such as 55N37O or 33S70W");
    return {init, [installation, options](std::ostream& out, std::ostream& err) {
                return RunInit(*installation, *options, out, err);
            }};
}

}  // namespace zelk::commands
