// zelk report: a log (ADIF or Cabrillo) as one self-contained HTML page
// (-o FILE: score table, map, rate sheet and chart, operating time, refused
// contacts) and as the plain summary a score site asks for (--summary). The
// log is read as `zelk score` reads it and scored by the core's own rules,
// without loading the plug-in, so a contest folder is needed only for the
// station coordinate it stores.
#include <ostream>

#include "commands/command.h"
#include "commands/log_options.h"
#include "host/contest_folder.h"
#include "platform/file_replace.h"
#include "report_html/page.h"
#include "report_html/summary.h"
#include "report_scoring/log_report.h"
#include "text/text.h"

namespace zelk::commands {

namespace {

namespace fs = std::filesystem;

// What a score site is told when neither the log nor --category says more.
constexpr const char* kDefaultCategory = "SINGLE-OP ALL CW";

struct ReportOptions {
    ScoredLogOptions log;  // its folder is used only when `folderGiven`, else "." when it is one
    bool folderGiven = false;
    std::string category;  // empty: the Cabrillo header's, else kDefaultCategory
    int minOffMinutes = 30;
    std::filesystem::path output;  // the HTML page; empty: none
    bool summary = false;
};

constexpr const char* kCommand = "zelk report: ";
std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// "201 contacts read: 199 admitted, 2 refused, 1 duplicate; 198 QSOs, score 15475"
std::string CountsLine(const report_scoring::LogReport& report, std::size_t skipped) {
    const std::size_t read = report.admitted + report.refused + skipped;
    std::string line = Counted(read, "contact", "contacts") +
                       " read: " + std::to_string(report.admitted) + " admitted, " +
                       std::to_string(report.refused) + " refused, " +
                       Counted(report.duplicates, "duplicate", "duplicates");
    if (skipped != 0) {
        line += ", " + std::to_string(skipped) + " skipped";
    }
    return line + "; " +
           Counted(static_cast<std::size_t>(report.model.score.totals.qsos), "QSO", "QSOs") +
           ", score " + std::to_string(report.model.score.claimedScore);
}

}  // namespace

namespace {

// The station the log is scored from, into `settings`: the contest folder's
// stored coordinate (of the folder given, else of the current folder when it
// is a contest folder), --lat and --lon, or a Cabrillo log's sent
// coordinate. False, with the complaint on `err`, when none is known.
bool ChooseReportStation(const ReportOptions& options, const std::string& stored,
                         const host::LogReading& reading,
                         report_scoring::LogReportSettings& settings, std::ostream& err) {
    bool known = !stored.empty() || options.log.latitude.has_value();
    if (reading.cabrillo) {
        const host::StationChoice station = host::ChooseStation(
            reading.cabrillo->sentCoordinate, stored, options.log.latitude, options.log.longitude);
        // Scored from the sent coordinate's text, as from a stored one.
        if (!station.coordinate.empty()) {
            settings.storedCoordinate = station.coordinate;
        }
        known = known || !station.coordinate.empty();
        if (!station.note.empty()) {
            err << kCommand << station.note << '\n';
        }
    }
    if (!known) {
        err << kCommand << kNoStationCoordinate << '\n';
    }
    return known;
}

// Writes the page and prints the summary and the counts.
int Publish(const ReportOptions& options, const report_scoring::LogReport& report,
            std::size_t skipped, std::ostream& out, std::ostream& err) {
    std::string counts = CountsLine(report, skipped);
    if (!options.output.empty()) {
        if (const std::error_code error =
                ReplaceFileWhole(options.output.string(), report_html::ReportPage(report.model))) {
            err << kCommand << options.output.string() << ": cannot be written: " << error.message()
                << '\n';
            return kExitFailure;
        }
        counts += "; report written to " + options.output.string();
    }
    if (options.summary) {
        // The entrant's texts come from the log: printed, they stay one printable line.
        report_html::ReportModel printed = report.model;
        printed.entrant.call = Printable(printed.entrant.call, 80);
        printed.entrant.category = Printable(printed.entrant.category, 80);
        out << report_html::SummaryText(printed);
        err << counts << '\n';
    } else {
        out << counts << '\n';
    }
    return kExitOk;
}

int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    if (options.output.empty() && !options.summary) {
        err << kCommand
            << "nothing to make: give -o FILE for the page, --summary for the text, "
               "or both\n";
        return kExitBadInput;
    }
    const host::LogOptions& input = options.log.input;
    auto contestDate = DateOption(options.log.date);
    if (auto* problem = host::Problem(contestDate)) {
        err << kCommand << *problem << '\n';
        return kExitBadInput;
    }
    // The page never takes the log's place, whatever the name it is given
    // by: the same file is the same file through a link or a second name.
    std::error_code error;
    if (!options.output.empty() && fs::equivalent(options.output, input.log, error)) {
        err << kCommand << options.output.string() << " is the log " << input.log
            << " itself; the page would take its place: give another file with -o\n";
        return kExitBadInput;
    }
    const fs::path& folder = input.folder;
    if (options.folderGiven && !host::IsContestFolder(folder)) {
        err << kCommand << folder.string() << " is not a contest folder (it has no "
            << host::kPluginsFolder << "/" << host::kReferenceFile
            << "); make it one with: zelk init " << folder.string() << '\n';
        return kExitBadInput;
    }
    const bool contestFolder = options.folderGiven || host::IsContestFolder(folder);
    const std::string stored = contestFolder ? host::StoredStationCoordinate(folder) : "";
    if (const std::string note = contestFolder ? host::UnreadSettingsNote(folder) : "";
        !note.empty()) {
        err << kCommand << "warning: " << note << '\n';
    }
    report_scoring::LogReportSettings settings;
    settings.storedCoordinate = stored;
    settings.latitude = options.log.latitude.value_or(0.0);
    settings.longitude = options.log.longitude.value_or(0.0);
    settings.minOffMinutes = options.minOffMinutes;

    // The coordinate an ADIF log's STX_STRING is compared with; none known, none compared.
    const std::string sent = !stored.empty() ? stored
                             : options.log.latitude
                                 ? host::CoordinateText(settings.latitude, settings.longitude)
                                 : std::string();
    auto read = host::ReadContacts(input, sent);
    if (auto* problem = host::Problem(read)) {
        err << kCommand << *problem << '\n';
        return kExitBadInput;
    }
    const host::LogReading& reading = std::get<host::LogReading>(read);
    host::ListNotes(err, "zelk report", input.log, reading);
    if (!ChooseReportStation(options, stored, reading, settings, err)) {
        return kExitBadInput;
    }
    settings.contestant = host::Contestant(input.call, reading);
    if (settings.contestant.empty()) {
        err << kCommand << kNoOwnCall << '\n';
        return kExitBadInput;
    }
    settings.category = !options.category.empty() ? options.category
                        : reading.cabrillo && !reading.cabrillo->category.empty()
                            ? reading.cabrillo->category
                            : kDefaultCategory;
    settings.contestDate =
        ContestDate(std::get<std::optional<ZelkOleDateTime>>(contestDate), reading);
    return Publish(options, report_scoring::BuildLogReport(reading.contacts, settings),
                   reading.SkippedCount(), out, err);
}

}  // namespace

Subcommand DeclareReport(CLI::App& app) {
    auto options = std::make_shared<ReportOptions>();
    CLI::App* report = app.add_subcommand(
        "report",
        "The contest in pictures: an ADIF log or a Cabrillo file (read as zelk score reads it) "
        "as one self-contained HTML page (-o FILE: the score table per band, a map of the "
        "worked positions, the hourly rate sheet and chart, operating time and breaks, the "
        "refused contacts as err.txt lists them), and the plain summary a score site asks for "
        "(--summary). Scored by the plug-in's own rules, with the numbers zelk score prints; "
        "nothing is written into the contest folder.");
    AddScoredLogOptions(*report, options->log);
    report->add_option("-o,--output", options->output, "Write the HTML page to FILE");
    report->add_flag("--summary", options->summary,
                     "Print the summary: call, category, band table, QSOs, score and "
                     "operating time");
    report->get_option("--folder")
        ->description(
            "Contest folder whose stored station coordinate to use (default: the current "
            "folder, when it is one; without one, --lat and --lon or the Cabrillo file's sent "
            "coordinate)");
    report
        ->add_option("--min-off", options->minOffMinutes,
                     "Shortest gap between two contacts, in minutes, that counts as a break")
        ->check(CLI::Range(1, 10000))
        ->capture_default_str();
    report->add_option("--category", options->category,
                       std::string("Category for the summary and the page (default: the "
                                   "Cabrillo header's, else ") +
                           kDefaultCategory + ")");
    return {report, [report, options](std::ostream& out, std::ostream& err) {
                options->folderGiven = report->count("--folder") > 0;
                return RunReport(*options, out, err);
            }};
}

}  // namespace zelk::commands
