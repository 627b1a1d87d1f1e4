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

// One meaning each, for every subcommand (and so for scripts):
enum ExitStatus : int {
    // Done: every file asked for is written, every answer printed (warnings
    // on standard error may name lines or files that were left out).
    kExitOk = 0,
    // What was given could be used, but the run failed on its way: a file
    // could not be written (of zelk adjudicate's results: one entrant's
    // report, the rest written; or the results, the previous ones kept), or
    // the plug-in (or the reference list zelk ships) could not be found,
    // loaded or run.
    kExitFailure = 1,
    // Nothing usable was given: wrong arguments, a log or a folder that
    // cannot be used, a rules or decisions file with a fault, an output that
    // would take an input's place. Nothing is written.
    kExitBadInput = 2,
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

// The status when host::OpenContest failed for `folder`: kExitBadInput when
// the folder given is no contest folder, else kExitFailure (the plug-in).
int OpenFailureStatus(const std::filesystem::path& folder);

Subcommand DeclareInit(CLI::App& app, SharedInstallation installation);
Subcommand DeclareScore(CLI::App& app, SharedInstallation installation);
Subcommand DeclareReport(CLI::App& app);
Subcommand DeclareSetup(CLI::App& app, SharedInstallation installation);
Subcommand DeclareCheck(CLI::App& app, SharedInstallation installation);
Subcommand DeclareAdjudicate(CLI::App& app);
#ifndef _WIN32
Subcommand DeclareServe(CLI::App& app);   // POSIX only
Subcommand DeclareMailIn(CLI::App& app);  // POSIX only
#endif

}  // namespace zelk::commands
