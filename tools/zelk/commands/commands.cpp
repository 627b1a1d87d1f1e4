// The zelk commands: read and check the log first, then load the plug-in,
// move into the contest folder (the plug-in's files are relative to it) and
// drive the plug-in as the host does.
#include "commands/command.h"
#include "text/text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "logfile/adif_reader.h"
#include "cabrillo/cabrillo_log.h"
#include "host/cabrillo_contacts.h"
#include "host/contact.h"
#include "host/contest_folder.h"
#include "host/log_reading.h"
#include "host/plugin.h"
#include "host/result_report.h"
#include "commands/score_output.h"
#include "host/system.h"

namespace zelk::host {

namespace {

// The plug-in's dialogs answer to this variable when no terminal is there.
constexpr const char* kDialogVariable = "ZELK_DIALOG";

Checked<fs::path> PluginPath(const Installation& installation) {
    if (!installation.pluginOverride.empty()) {
        return fs::absolute(installation.pluginOverride);
    }
    if (auto found = FindShippedFile(installation.program, os::PluginFileName(), "lib/zelk")) {
        return fs::absolute(*found);
    }
    return std::string("cannot find the plug-in ") + os::PluginFileName() +
           " beside zelk or in ../lib/zelk; give --plugin PATH";
}

// The plug-in loaded and checked to offer the ZELK set, with the process
// moved into the contest folder.
Checked<Plugin> OpenContest(const Installation& installation, const fs::path& folder) {
    if (!IsContestFolder(folder)) {
        return folder.string() + " is not a contest folder (it has no " +
               std::string(kPluginsFolder) + "/" + std::string(kReferenceFile) +
               "); make it one with: zelk init " + folder.string();
    }
    auto path = PluginPath(installation);
    if (auto* problem = Problem(path)) {
        return *problem;
    }
    const fs::path& pluginPath = std::get<fs::path>(path);
    auto loaded = Plugin::Load(pluginPath);
    if (auto* problem = std::get_if<std::string>(&loaded)) {
        return "the plug-in " + pluginPath.string() + " cannot be used: " + *problem;
    }
    Plugin plugin = std::get<Plugin>(std::move(loaded));
    if (plugin.NumberOfSets() < 1 || plugin.SetName(0).empty()) {
        return "the plug-in " + pluginPath.string() + " offers no statistics set";
    }
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        return "cannot enter " + folder.string() + ": " + error.message();
    }
    return plugin;
}

}  // namespace

int RunInit(const Installation& installation, const fs::path& folder,
            const std::optional<std::string>& coordinate, std::ostream& out, std::ostream& err) {
    if (coordinate && !IsCoordinateText(*coordinate)) {
        err << "zelk init: '" << *coordinate
            << "' is not a station coordinate such as 55N37O or 33S70W\n";
        return kExitBadInput;
    }
    auto shipped = FindShippedFile(installation.program, kReferenceFile, "share/zelk");
    if (!shipped) {
        err << "zelk init: cannot find the shipped reference list " << kReferenceFile
            << " beside zelk or in ../share/zelk\n";
        return kExitFailure;
    }
    try {
        for (const std::string& line : InitContestFolder(folder, *shipped, coordinate)) {
            out << line << '\n';
        }
    } catch (const std::exception& problem) {
        err << "zelk init: " << problem.what() << '\n';
        return kExitFailure;
    }
    out << folder.string() << " is a contest folder\n";
    return kExitOk;
}

int RunScore(const Installation& installation, const ScoreOptions& options, std::ostream& out,
             std::ostream& err) {
    std::optional<ZelkOleDateTime> contestDate;
    if (!options.date.empty()) {
        contestDate = ParseIsoDate(options.date);
        if (!contestDate) {
            err << "zelk score: --date '" << options.date << "' is not a date YYYY-MM-DD\n";
            return kExitBadInput;
        }
    }
    double latitude = options.latitude.value_or(0.0);
    double longitude = options.longitude.value_or(0.0);
    auto read =
        ReadContacts(options.input, StationCoordinate(options.input.folder, latitude, longitude));
    if (auto* problem = Problem(read)) {
        err << "zelk score: " << *problem << '\n';
        return kExitBadInput;
    }
    const LogReading& reading = std::get<LogReading>(read);
    ListNotes(err, "zelk score", options.input.log, reading);
    const std::vector<Contact>& contacts = reading.contacts;
    if (reading.cabrillo) {
        const StationChoice station = ChooseStation(reading.cabrillo->sentCoordinate,
                                                    StoredStationCoordinate(options.input.folder),
                                                    options.latitude, options.longitude);
        latitude = station.latitude.value_or(latitude);
        longitude = station.longitude.value_or(longitude);
        if (!station.note.empty()) {
            err << "zelk score: " << station.note << '\n';
        }
    }

    ContestStart start;
    start.cabrillo = options.cabrillo;
    start.contestant = Contestant(options.input.call, reading);
    if (start.contestant.empty()) {
        err << "zelk score: the log names no own call (STATION_CALLSIGN or OPERATOR); give "
               "--call\n";
        return kExitBadInput;
    }
    if (contestDate) {
        start.date = *contestDate;
    } else if (!contacts.empty()) {
        start.date = DateOf(contacts.front().time);
    }
    start.latitude = latitude;
    start.longitude = longitude;

    const fs::path folder = fs::absolute(options.input.folder).lexically_normal();
    if (options.yes) {
        // Confirm the plug-in's dialogs with the stored values; a terminal on
        // standard input would still make them ask.
        os::SetEnvironment(kDialogVariable, "ok");
        if (os::StdinIsTerminal()) {
            os::DetachStdin();
        }
    }
    auto opened = OpenContest(installation, folder);
    if (auto* problem = Problem(opened)) {
        err << "zelk score: " << *problem << '\n';
        return kExitFailure;
    }
    const Plugin& plugin = std::get<Plugin>(opened);

    ScoreOutcome outcome;
    outcome.errorFile = folder / kErrorFile;
    // The name the plug-in gives the file, by the plug-in's own rule.
    const fs::path cabrilloFile = folder / CabrilloFileName(start.contestant);
    std::error_code error;
    // The file is told apart from one left by an earlier run by its time.
    const bool cabrilloExisted = fs::exists(cabrilloFile, error);
    const fs::file_time_type cabrilloBefore =
        cabrilloExisted ? fs::last_write_time(cabrilloFile, error) : fs::file_time_type();

    if (!plugin.Reset(start)) {
        err << "zelk score: the plug-in would not start the contest in " << folder.string() << '\n';
        return kExitFailure;
    }
    outcome.counts.skipped = reading.SkippedCount();
    outcome.counts.read = contacts.size() + reading.SkippedCount();
    for (const Contact& contact : contacts) {
        if (plugin.Add(contact)) {
            ++outcome.counts.admitted;
        } else {
            ++outcome.counts.refused;
        }
    }
    int result = 0;
    const std::string reportText = plugin.Result(result);
    auto parsed = ParseReport(reportText);
    if (auto* problem = Problem(parsed)) {
        err << "zelk score: the plug-in's report cannot be read: " << *problem << '\n'
            << WithLineEnd(ReportForPrinting(reportText));
        return kExitFailure;
    }
    outcome.report = std::get<ContestReport>(std::move(parsed));
    // Without removals the log holds every admitted contact once, so the
    // admitted ones it does not hold were equal to one already stored.
    const auto stored = static_cast<std::size_t>(std::max(outcome.report.totals.qsos, 0));
    outcome.counts.duplicates =
        outcome.counts.admitted > stored ? outcome.counts.admitted - stored : 0;

    if (options.cabrillo) {
        if (fs::exists(cabrilloFile, error) &&
            (!cabrilloExisted || fs::last_write_time(cabrilloFile, error) != cabrilloBefore)) {
            outcome.cabrilloFile = cabrilloFile;
        } else {
            err << "zelk score: the plug-in did not write the Cabrillo file "
                << cabrilloFile.string() << '\n';
        }
    }

    if (options.json) {
        out << ToJson(outcome);
        err << SummaryLine(outcome) << '\n';
    } else {
        out << TextOutput(ReportForPrinting(reportText), outcome);
    }
    return options.cabrillo && !outcome.cabrilloFile ? kExitFailure : kExitOk;
}

int RunSetup(const Installation& installation, const fs::path& folder, std::ostream& out,
             std::ostream& err) {
    auto opened = OpenContest(installation, fs::absolute(folder).lexically_normal());
    if (auto* problem = Problem(opened)) {
        err << "zelk setup: " << *problem << '\n';
        return kExitFailure;
    }
    std::get<Plugin>(opened).Setup();
    const std::string coordinate = StoredStationCoordinate(".");
    if (coordinate.empty()) {
        out << "No station coordinate is stored; zelk score uses --lat and --lon.\n";
    } else {
        out << "Station coordinate: " << coordinate << '\n';
    }
    return kExitOk;
}

int RunCheck(const Installation& installation, const CheckOptions& options, std::ostream& out,
             std::ostream& err) {
    // zelk check passes no fallback coordinate to the plug-in.
    auto read = ReadContacts(options.input, StationCoordinate(options.input.folder, 0.0, 0.0));
    if (auto* problem = Problem(read)) {
        err << "zelk check: " << *problem << '\n';
        return kExitBadInput;
    }
    const LogReading& reading = std::get<LogReading>(read);
    ListNotes(err, "zelk check", options.input.log, reading);
    if (reading.SkippedCount() != 0) {
        err << "zelk check: the answer leaves out the " << reading.SkippedCount() << " skipped of "
            << reading.contacts.size() + reading.SkippedCount() << " contacts read\n";
    }
    const std::vector<Contact>& contacts = reading.contacts;
    ContestStart start;
    start.contestant = Contestant(options.input.call, reading);
    if (!contacts.empty()) {
        start.date = DateOf(contacts.front().time);
    }
    auto opened = OpenContest(installation, fs::absolute(options.input.folder).lexically_normal());
    if (auto* problem = Problem(opened)) {
        err << "zelk check: " << *problem << '\n';
        return kExitFailure;
    }
    const Plugin& plugin = std::get<Plugin>(opened);
    if (!plugin.Reset(start)) {
        err << "zelk check: the plug-in would not start the contest\n";
        return kExitFailure;
    }
    for (const Contact& contact : contacts) {
        plugin.Add(contact);
    }
    const CallCheck check = plugin.CheckCall(options.call, options.mode, options.group);
    out << options.call << (check.isNew ? " is new" : " was worked before") << " in group "
        << options.group << " (" << options.mode << ")\n";
    if (check.isNew) {
        out << "Reference: " << (check.reference.empty() ? "none" : check.reference) << '\n';
    }
    return kExitOk;
}

}  // namespace zelk::host
