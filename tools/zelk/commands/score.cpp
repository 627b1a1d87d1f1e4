// zelk score: the log read and checked first, then the plug-in loaded, the
// process moved into the contest folder (the plug-in's files are relative to
// it) and the plug-in driven as the host drives it: one reset, one call per
// contact, one result request.
#include <algorithm>
#include <ostream>

#include "cabrillo/cabrillo_log.h"
#include "commands/command.h"
#include "commands/log_options.h"
#include "commands/score_output.h"
#include "host/contest_folder.h"
#include "host/system.h"

namespace zelk::commands {

namespace {

namespace fs = std::filesystem;

struct ScoreOptions {
    ScoredLogOptions log;
    bool cabrillo = false;
    bool json = false;
    bool yes = false;
};

// The Cabrillo file the plug-in writes, told apart from one left by an
// earlier run by its time.
class CabrilloFileWatch {
  public:
    explicit CabrilloFileWatch(fs::path file) : m_file(std::move(file)) {
        std::error_code error;
        m_existed = fs::exists(m_file, error);
        if (m_existed) {
            m_before = fs::last_write_time(m_file, error);
        }
    }

    bool Written() const {
        std::error_code error;
        return fs::exists(m_file, error) &&
               (!m_existed || fs::last_write_time(m_file, error) != m_before);
    }

    const fs::path& File() const { return m_file; }

  private:
    fs::path m_file;
    bool m_existed = false;
    fs::file_time_type m_before;
};

int RunScore(const host::Installation& installation, const ScoreOptions& options, std::ostream& out,
             std::ostream& err) {
    const host::LogOptions& input = options.log.input;
    auto contestDate = DateOption(options.log.date);
    if (auto* problem = host::Problem(contestDate)) {
        err << "zelk score: " << *problem << '\n';
        return kExitBadInput;
    }
    double latitude = options.log.latitude.value_or(0.0);
    double longitude = options.log.longitude.value_or(0.0);
    const std::string storedCoordinate = host::StoredStationCoordinate(input.folder);
    // Asked before the run moves into the contest folder.
    const std::string settingsNote =
        storedCoordinate.empty() ? host::UnreadSettingsNote(input.folder) : "";
    auto read = host::ReadContacts(input, storedCoordinate.empty()
                                              ? host::CoordinateText(latitude, longitude)
                                              : storedCoordinate);
    if (auto* problem = host::Problem(read)) {
        err << "zelk score: " << *problem << '\n';
        return kExitBadInput;
    }
    const host::LogReading& reading = std::get<host::LogReading>(read);
    host::ListNotes(err, "zelk score", input.log, reading);
    bool stationKnown = !storedCoordinate.empty() || options.log.latitude.has_value();
    if (reading.cabrillo) {
        const host::StationChoice station =
            host::ChooseStation(reading.cabrillo->sentCoordinate, storedCoordinate,
                                options.log.latitude, options.log.longitude);
        latitude = station.latitude.value_or(latitude);
        longitude = station.longitude.value_or(longitude);
        stationKnown = stationKnown || station.latitude.has_value();
        if (!station.note.empty()) {
            const std::string signedNote = host::SignedFallbackNote(station);
            err << "zelk score: " << station.note << (signedNote.empty() ? "" : "; ") << signedNote
                << '\n';
        }
    }

    host::ContestStart start;
    start.cabrillo = options.cabrillo;
    start.contestant = host::Contestant(input.call, reading);
    if (start.contestant.empty()) {
        err << "zelk score: " << kNoOwnCall << '\n';
        return kExitBadInput;
    }
    start.date = ContestDate(std::get<std::optional<ZelkOleDateTime>>(contestDate), reading);
    start.latitude = latitude;
    start.longitude = longitude;

    const fs::path folder = fs::absolute(input.folder).lexically_normal();
    if (options.yes) {
        // Confirm the plug-in's dialogs with the stored values; a terminal on
        // standard input would still make them ask.
        host::os::SetEnvironment(host::kDialogVariable, "ok");
        if (host::os::StdinIsTerminal()) {
            host::os::DetachStdin();
        }
    }
    auto opened = host::OpenContest(installation, folder);
    if (auto* problem = host::Problem(opened)) {
        err << "zelk score: " << *problem << '\n';
        return OpenFailureStatus(folder);
    }
    const host::Plugin& plugin = std::get<host::Plugin>(opened);
    if (!settingsNote.empty()) {
        err << "zelk score: warning: " << settingsNote << '\n';
    }
    if (!stationKnown) {
        // The plug-in scores from 0N0O when it is given nothing; so does
        // zelk score, as the logging program would, but not in silence.
        err << "zelk score: warning: " << kNoStationCoordinate
            << "; scored from 0N0O, as the plug-in scores without one\n";
    }

    ScoreOutcome outcome;
    outcome.errorFile = folder / host::kErrorFile;
    // The name the plug-in gives the file, by the plug-in's own rule.
    const CabrilloFileWatch cabrilloFile(folder / CabrilloFileName(start.contestant));

    if (!plugin.Reset(start)) {
        err << "zelk score: the plug-in would not start the contest in " << folder.string() << '\n';
        return kExitFailure;
    }
    outcome.counts.skipped = reading.SkippedCount();
    outcome.counts.read = reading.contacts.size() + reading.SkippedCount();
    for (const host::Contact& contact : reading.contacts) {
        if (plugin.Add(contact)) {
            ++outcome.counts.admitted;
        } else {
            ++outcome.counts.refused;
        }
    }
    int result = 0;
    const std::string reportText = plugin.Result(result);
    auto parsed = host::ParseReport(reportText);
    if (auto* problem = host::Problem(parsed)) {
        err << "zelk score: the plug-in's report cannot be read: " << *problem << '\n'
            << WithLineEnd(host::ReportForPrinting(reportText));
        return kExitFailure;
    }
    outcome.report = std::get<host::ContestReport>(std::move(parsed));
    // Without removals the log holds every admitted contact once, so the
    // admitted ones it does not hold were equal to one already stored.
    const auto stored = static_cast<std::size_t>(std::max(outcome.report.totals.qsos, 0));
    outcome.counts.duplicates =
        outcome.counts.admitted > stored ? outcome.counts.admitted - stored : 0;

    if (options.cabrillo) {
        if (cabrilloFile.Written()) {
            outcome.cabrilloFile = cabrilloFile.File();
        } else {
            err << "zelk score: the plug-in did not write the Cabrillo file "
                << cabrilloFile.File().string() << '\n';
        }
    }

    if (options.json) {
        out << ToJson(outcome);
        err << SummaryLine(outcome) << '\n';
    } else {
        out << TextOutput(host::ReportForPrinting(reportText), outcome);
    }
    return options.cabrillo && !outcome.cabrilloFile ? kExitFailure : kExitOk;
}

}  // namespace

Subcommand DeclareScore(CLI::App& app, SharedInstallation installation) {
    auto options = std::make_shared<ScoreOptions>();
    auto format = std::make_shared<std::string>("text");
    CLI::App* score = app.add_subcommand(
        "score",
        "Score an ADIF log or a Cabrillo file (told apart by their content): prints the "
        "report and a summary; refused contacts go to err.txt "
        "in the contest folder, and with --cabrillo the log to <CALL>.cbr. Contacts with a "
        "value that cannot be used are skipped and listed with the warnings on standard "
        "error; a log whose structure cannot be followed stops with exit status 2 before "
        "anything is written.");
    AddScoredLogOptions(*score, options->log);
    score->add_flag("--cabrillo", options->cabrillo,
                    "Write the Cabrillo file; the plug-in asks for its header first");
    score->add_option("--format", *format, "Report as text or as JSON")
        ->check(CLI::IsMember({"text", "json"}))
        ->capture_default_str();
    score->add_flag(
        "-y,--yes", options->yes,
        "Confirm the plug-in's dialogs without asking (the stored header and coordinate are "
        "used as they are; standard input is detached from the terminal)");
    return {score, [installation, options, format](std::ostream& out, std::ostream& err) {
                options->json = *format == "json";
                return RunScore(*installation, *options, out, err);
            }};
}

}  // namespace zelk::commands
