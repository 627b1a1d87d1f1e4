// What every zelk subcommand shares: its exit statuses, the way it is
// declared on the command line (its options, parsed into values it keeps)
// with the function that runs it, and the plug-in's installation.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <memory>

#include "host/open_contest.h"

namespace zelk::commands {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,   // the plug-in or the contest folder let the run down
    kExitBadInput = 2,  // wrong arguments, or a log that cannot be read
};

// A subcommand declared on the command line, and what runs it once the
// command line is parsed into its options. `run` writes the results to
// `out`, the complaints to `err`, and returns the exit status.
struct Subcommand {
    CLI::App* command = nullptr;
    std::function<int(std::ostream& out, std::ostream& err)> run;
};

// The installation every command that loads the plug-in uses: the running
// program's path, and --plugin when it is given.
using SharedInstallation = std::shared_ptr<host::Installation>;
SharedInstallation AddPluginOption(CLI::App& app);

Subcommand DeclareInit(CLI::App& app, SharedInstallation installation);
Subcommand DeclareScore(CLI::App& app, SharedInstallation installation);
Subcommand DeclareReport(CLI::App& app);
Subcommand DeclareSetup(CLI::App& app, SharedInstallation installation);
Subcommand DeclareCheck(CLI::App& app, SharedInstallation installation);
Subcommand DeclareAdjudicate(CLI::App& app);

}  // namespace zelk::commands
