// zelk: scores a ZELK contest log written by any logging program (ADIF or
// Cabrillo) with the ZELK plug-in, loaded at run time and driven through its
// exported functions exactly as the host program drives it; draws a log as
// an HTML report and a summary (report); and checks a whole contest's logs
// for the organiser (adjudicate). Each subcommand is declared and run by its
// own file in commands/.
#include <CLI/CLI.hpp>
#include <iostream>

#include "commands/command.h"

#ifndef ZELK_VERSION
#define ZELK_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    using namespace zelk::commands;
    CLI::App app{
        "Scores a ZELK contest log (ADIF or Cabrillo) with the ZELK plug-in, the way the "
        "logging program drives it, and writes the report, the list of refused contacts and a "
        "Cabrillo file; draws the log as an HTML report with a map and rate sheet (report); "
        "checks a whole contest's logs for the organiser (adjudicate); receives the contest's "
        "logs on the web (serve) and by e-mail (mail-in, serve --imap).",
        "zelk"};
    // The statuses as command.h defines them, for scripts and the man page.
    app.footer(
        "Exit status: 0 done (every file asked for is written); 1 a file could not be written, "
        "or the plug-in or a file zelk ships could not be found, loaded or run (zelk "
        "adjudicate still writes the "
        "rest when one entrant's report cannot be written, and keeps the previous results "
        "when anything else fails); 2 nothing usable was given (wrong arguments, a log or "
        "folder that cannot be used, a rules or decisions file with a fault, an output that "
        "would take an input's place), and nothing is written.");
    app.set_version_flag("--version",
                         std::string("zelk ") + ZELK_VERSION +
                             "\nCopyright (c) 2026 ZELK developers.\nMIT licence: see LICENSE "
                             "(installed: /usr/share/doc/zelk/copyright, with the\nlicences of "
                             "the libraries zelk links).");
    app.require_subcommand(1);
    app.fallthrough();
    // A path such as /home/me/log.adi is a path on every platform, never an option.
    app.allow_windows_style_options(false);

    const SharedInstallation installation = AddPluginOption(app);
    const Subcommand subcommands[] = {
        DeclareInit(app, installation),
        DeclareScore(app, installation),
        DeclareReport(app),
        DeclareSetup(app, installation),
        DeclareCheck(app, installation),
        DeclareAdjudicate(app),
#ifndef _WIN32
        DeclareServe(app),
        DeclareMailIn(app),
#endif
    };

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitBadInput;
    }
    for (const Subcommand& subcommand : subcommands) {
        if (*subcommand.command) {
            return subcommand.run(std::cout, std::cerr);
        }
    }
    return kExitBadInput;  // require_subcommand(1) lets no other case through
}
