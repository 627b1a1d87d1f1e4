// zelk: scores a ZELK contest log written by any logging program (ADIF or
// Cabrillo) with the ZELK plug-in, loaded at run time and driven through its
// exported functions exactly as the host program drives it; draws a log as
// an HTML report and a summary (report); and checks a whole contest's logs
// for the organiser (adjudicate).
#include <CLI/CLI.hpp>
#include <iostream>

#include "commands/adjudicate.h"
#include "commands/command.h"
#include "commands/report.h"
#include "host/system.h"

#ifndef ZELK_VERSION
#define ZELK_VERSION "unknown"
#endif

namespace {

using namespace zelk::host;

void AddLogOptions(CLI::App& command, LogOptions& options) {
    command.add_option("-C,--folder", options.folder,
                       "Contest folder to work in (made by zelk init); default: the current one");
    command.add_option("--call", options.call,
                       "Own call sign, for contacts whose record names none and as the "
                       "contestant (default: the log's STATION_CALLSIGN or OPERATOR)");
    command
        .add_option("--group-by", options.groupBy,
                    "Group contacts by band (whole megahertz of FREQ, else of BAND) or by the "
                    "text of any ADIF field")
        ->capture_default_str();
}

// What zelk score and zelk report both read a log with: the log itself, its
// folder, call and grouping, the contest date and the station's degrees.
void AddScoredLogOptions(CLI::App& command, LogOptions& options, std::string& date,
                         std::optional<double>& latitude, std::optional<double>& longitude) {
    command
        .add_option("LOG", options.log,
                    "ADIF log (.adi), or a Cabrillo file: its X-QSO and unreadable lines are "
                    "skipped; the coordinate it sent is the station's when none is stored")
        ->required();
    AddLogOptions(command, options);
    command.add_option("--date", date,
                       "Contest date YYYY-MM-DD (default: the first contact's date)");
    auto* lat = command.add_option(
        "--lat", latitude,
        "Station latitude in degrees, used when the contest folder stores no coordinate");
    auto* lon =
        command.add_option("--lon", longitude, "Station longitude in degrees (east positive)");
    lat->needs(lon);
    lon->needs(lat);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Scores a ZELK contest log (ADIF or Cabrillo) with the ZELK plug-in, the way the "
        "logging program drives it, and writes the report, the list of refused contacts and a "
        "Cabrillo file; draws the log as an HTML report with a map and rate sheet (report); "
        "checks a whole contest's logs for the organiser (adjudicate).",
        "zelk"};
    app.set_version_flag("--version", std::string("zelk ") + ZELK_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    // A path such as /home/me/log.adi is a path on every platform, never an option.
    app.allow_windows_style_options(false);

    Installation installation;
    installation.program = zelk::host::os::ExecutablePath();
    app.add_option("--plugin", installation.pluginOverride,
                   "Plug-in library to load (default: the one installed beside zelk)");

    std::filesystem::path initFolder = ".";
    std::optional<std::string> coordinate;
    auto* init = app.add_subcommand(
        "init",
        "Make a folder a contest folder: Plugins/, the reference list Plugins/zelk.dat "
        "and, with --coordinate, the station coordinate in Plugins/ZELK.ini");
    init->add_option("DIR", initFolder, "Folder to lay out (created when absent)")
        ->capture_default_str();
    init->add_option("--coordinate", coordinate,
                     "Station coordinate in whole degrees, such as 55N37O or 33S70W");

    ScoreOptions score;
    std::string format = "text";
    auto* scoreCommand = app.add_subcommand(
        "score",
        "Score an ADIF log or a Cabrillo file (told apart by their content): prints the "
        "report and a summary; refused contacts go to err.txt "
        "in the contest folder, and with --cabrillo the log to <CALL>.cbr. Contacts with a "
        "value that cannot be used are skipped and listed with the warnings on standard "
        "error; a log whose structure cannot be followed stops with exit status 2 before "
        "anything is written.");
    AddScoredLogOptions(*scoreCommand, score.input, score.date, score.latitude, score.longitude);
    scoreCommand->add_flag("--cabrillo", score.cabrillo,
                           "Write the Cabrillo file; the plug-in asks for its header first");
    scoreCommand->add_option("--format", format, "Report as text or as JSON")
        ->check(CLI::IsMember({"text", "json"}))
        ->capture_default_str();
    scoreCommand->add_flag(
        "-y,--yes", score.yes,
        "Confirm the plug-in's dialogs without asking (the stored header and coordinate are "
        "used as they are; standard input is detached from the terminal)");

    ReportOptions report;
    auto* reportCommand = app.add_subcommand(
        "report",
        "The contest in pictures: an ADIF log or a Cabrillo file (read as zelk score reads it) "
        "as one self-contained HTML page (-o FILE: the score table per band, a map of the "
        "worked positions, the hourly rate sheet and chart, operating time and breaks, the "
        "refused contacts as err.txt lists them), and the plain summary a score site asks for "
        "(--summary). Scored by the plug-in's own rules, with the numbers zelk score prints; "
        "nothing is written into the contest folder.");
    AddScoredLogOptions(*reportCommand, report.input, report.date, report.latitude,
                        report.longitude);
    reportCommand->add_option("-o,--output", report.output, "Write the HTML page to FILE");
    reportCommand->add_flag("--summary", report.summary,
                            "Print the summary: call, category, band table, QSOs, score and "
                            "operating time");
    reportCommand->get_option("--folder")
        ->description(
            "Contest folder whose stored station coordinate to use (default: the current "
            "folder, when it is one; without one, --lat and --lon or the Cabrillo file's sent "
            "coordinate)");
    reportCommand
        ->add_option("--min-off", report.minOffMinutes,
                     "Shortest gap between two contacts, in minutes, that counts as a break")
        ->check(CLI::Range(1, 10000))
        ->capture_default_str();
    reportCommand->add_option("--category", report.category,
                              std::string("Category for the summary and the page (default: the "
                                          "Cabrillo header's, else ") +
                                  kDefaultCategory + ")");

    std::filesystem::path setupFolder = ".";
    auto* setup = app.add_subcommand(
        "setup", "Edit the station coordinate in the plug-in's own dialog (SetupSet0)");
    setup->add_option("-C,--folder", setupFolder, "Contest folder (default: the current one)");

    CheckOptions check;
    auto* checkCommand = app.add_subcommand(
        "check",
        "Ask the plug-in whether CALL is new in a group after the log (CheckCall0), "
        "with its reference text");
    checkCommand->add_option("CALL", check.call, "Call sign to check")->required();
    checkCommand->add_option("--log", check.input.log, "ADIF log worked so far")->required();
    checkCommand->add_option("--group", check.group, "Group text, such as the band 14")->required();
    checkCommand->add_option("--mode", check.mode, "Mode")->capture_default_str();
    AddLogOptions(*checkCommand, check.input);

    AdjudicateOptions adjudicate;
    auto* adjudicateCommand = app.add_subcommand(
        "adjudicate",
        "The organiser's check: cross-checks every Cabrillo log of LOGS against the others "
        "and writes, into -o DIR, the ranked results (results.txt, also printed; results.csv; "
        "results.json) and every entrant's report of the QSO lines not credited or credited "
        "without confirmation (ubn/<CALL>.ubn, replaced whole); with --html also results.html. "
        "Subfolders of LOGS are not read. Files that are no log, older logs of a call and lines "
        "that cannot be read are named on standard error.");
    adjudicateCommand->add_option("LOGS", adjudicate.logs, "Folder of the received logs")
        ->required();
    adjudicateCommand->add_option("-o,--output", adjudicate.output, "Folder for the results")
        ->required();
    adjudicateCommand->add_flag(
        "--html", adjudicate.html,
        "Also write results.html: the ranked table and each entrant's map and hourly rate sheet "
        "of its credited QSOs, linked to its check report; one self-contained page (without "
        "--html an earlier results.html is removed)");
    adjudicateCommand
        ->add_option("--time-window", adjudicate.rules.timeWindowMinutes,
                     "Minutes by which the two sides' times of a QSO may differ")
        ->check(CLI::Range(0, 24 * 60))
        ->capture_default_str();
    adjudicateCommand
        ->add_option("--call-distance", adjudicate.rules.callDistance,
                     "Edits (inserted, deleted or changed characters) between a call logged and "
                     "an entrant's call for a busted call; 0 finds none")
        ->check(CLI::Range(0, 8))
        ->capture_default_str();
    adjudicateCommand
        ->add_option("--nil-penalty", adjudicate.rules.nilPenalty,
                     "QSOs' worth of points (50 each) taken for each NIL beyond the QSO itself")
        ->check(CLI::Range(0, 1000))
        ->capture_default_str();
    adjudicateCommand
        ->add_option("--min-appearances", adjudicate.rules.minAppearances,
                     "Logs a call that sent no log must appear in for its QSOs to be credited")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitBadInput;
    }

    if (*init) {
        return RunInit(installation, initFolder, coordinate, std::cout, std::cerr);
    }
    if (*scoreCommand) {
        score.json = format == "json";
        return RunScore(installation, score, std::cout, std::cerr);
    }
    if (*reportCommand) {
        report.folderGiven = reportCommand->count("--folder") > 0;
        return RunReport(report, std::cout, std::cerr);
    }
    if (*adjudicateCommand) {
        adjudicate.progress = zelk::host::os::StderrIsTerminal();
        return RunAdjudicate(adjudicate, std::cout, std::cerr);
    }
    if (*setup) {
        return RunSetup(installation, setupFolder, std::cout, std::cerr);
    }
    return RunCheck(installation, check, std::cout, std::cerr);
}
