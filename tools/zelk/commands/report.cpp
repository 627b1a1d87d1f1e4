// zelk report: read the log as `zelk score` reads it, build the report's
// model by the core's rules, write the page and print the summary.
#include "commands/report.h"

#include <exception>
#include <ostream>

#include "adjudication/output_folder.h"
#include "host/contest_folder.h"
#include "host/log_reading.h"
#include "report_html/page.h"
#include "report_html/summary.h"
#include "report_scoring/log_report.h"
#include "text/text.h"

namespace zelk::host {

namespace {

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

int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& err) {
    if (options.output.empty() && !options.summary) {
        err << kCommand
            << "nothing to make: give -o FILE for the page, --summary for the text, "
               "or both\n";
        return kExitBadInput;
    }
    std::optional<ZelkOleDateTime> contestDate;
    if (!options.date.empty()) {
        contestDate = ParseIsoDate(options.date);
        if (!contestDate) {
            err << kCommand << "--date '" << options.date << "' is not a date YYYY-MM-DD\n";
            return kExitBadInput;
        }
    }
    // The stored coordinate: of the folder given, else of the current folder
    // when it is a contest folder.
    const fs::path& folder = options.input.folder;
    if (options.folderGiven && !IsContestFolder(folder)) {
        err << kCommand << folder.string() << " is not a contest folder (it has no "
            << kPluginsFolder << "/" << kReferenceFile << "); make it one with: zelk init "
            << folder.string() << '\n';
        return kExitFailure;
    }
    const std::string stored =
        options.folderGiven || IsContestFolder(folder) ? StoredStationCoordinate(folder) : "";
    const bool degreesGiven = options.latitude.has_value();
    report_scoring::LogReportSettings settings;
    settings.storedCoordinate = stored;
    settings.latitude = options.latitude.value_or(0.0);
    settings.longitude = options.longitude.value_or(0.0);
    settings.minOffMinutes = options.minOffMinutes;

    // The coordinate an ADIF log's STX_STRING is compared with; none known, none compared.
    const std::string sent = !stored.empty() ? stored
                             : degreesGiven  ? CoordinateText(settings.latitude, settings.longitude)
                                             : std::string();
    auto read = ReadContacts(options.input, sent);
    if (auto* problem = Problem(read)) {
        err << kCommand << *problem << '\n';
        return kExitBadInput;
    }
    const LogReading& reading = std::get<LogReading>(read);
    ListNotes(err, "zelk report", options.input.log, reading);
    bool stationKnown = !stored.empty() || degreesGiven;
    if (reading.cabrillo) {
        const StationChoice station = ChooseStation(reading.cabrillo->sentCoordinate, stored,
                                                    options.latitude, options.longitude);
        settings.latitude = station.latitude.value_or(settings.latitude);
        settings.longitude = station.longitude.value_or(settings.longitude);
        stationKnown = stationKnown || station.latitude.has_value();
        if (!station.note.empty()) {
            err << kCommand << station.note << '\n';
        }
    }
    if (!stationKnown) {
        err << kCommand
            << "no station coordinate: the distances are measured from it. Give --lat and "
               "--lon, or -C with a contest folder that stores one (zelk init DIR --coordinate "
               "55N37O)\n";
        return kExitBadInput;
    }
    settings.contestant = Contestant(options.input.call, reading);
    if (settings.contestant.empty()) {
        err << kCommand
            << "the log names no own call (STATION_CALLSIGN or OPERATOR); give --call\n";
        return kExitBadInput;
    }
    settings.category = !options.category.empty() ? options.category
                        : reading.cabrillo && !reading.cabrillo->category.empty()
                            ? reading.cabrillo->category
                            : kDefaultCategory;
    if (contestDate) {
        settings.contestDate = *contestDate;
    } else if (!reading.contacts.empty()) {
        settings.contestDate = DateOf(reading.contacts.front().time);
    }

    const report_scoring::LogReport report =
        report_scoring::BuildLogReport(reading.contacts, settings);
    std::string counts = CountsLine(report, reading.SkippedCount());
    if (!options.output.empty()) {
        try {
            adjudication::ReplaceFile(options.output, report_html::ReportPage(report.model));
        } catch (const std::exception& error) {
            err << kCommand << error.what() << '\n';
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

}  // namespace zelk::host
