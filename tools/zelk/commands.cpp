// The zelk commands: read and check the log first, then load the plug-in,
// move into the contest folder (the plug-in's files are relative to it) and
// drive the plug-in as the host does.
#include "commands.h"
#include "text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "adif_reader.h"
#include "contact.h"
#include "contest_folder.h"
#include "plugin.h"
#include "report.h"
#include "score_output.h"
#include "system.h"

namespace zelk::host {

namespace {

// The plug-in's dialogs answer to this variable when no terminal is there.
constexpr const char* kDialogVariable = "ZELK_DIALOG";

template <typename T>
using Checked = std::variant<T, std::string>;

template <typename T>
const std::string* Problem(const Checked<T>& checked) {
    return std::get_if<std::string>(&checked);
}

Checked<std::vector<Contact>> ReadContacts(const LogOptions& options) {
    std::error_code error;
    if (fs::is_directory(options.log, error)) {
        return options.log + ": is a folder, not a log";
    }
    std::ifstream file(options.log, std::ios::binary);
    if (!file) {
        return options.log + ": cannot be read (" + std::strerror(errno) + ")";
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) {
        return options.log + ": cannot be read";
    }
    const std::string text = std::move(bytes).str();

    auto read = ReadAdif(text);
    if (auto* problem = std::get_if<AdifError>(&read)) {
        return options.log + ": " + problem->Describe();
    }
    const AdifLog& log = std::get<AdifLog>(read);
    MappingOptions mapping;
    mapping.fallbackCall = options.call;
    if (Upper(options.groupBy) != "BAND") {
        mapping.groupField = Upper(options.groupBy);
    }
    std::vector<Contact> contacts;
    for (std::size_t i = 0; i < log.records.size(); ++i) {
        auto mapped = MapRecord(log.records[i], i + 1, mapping);
        if (auto* problem = std::get_if<AdifError>(&mapped)) {
            return options.log + ": " + problem->Describe();
        }
        contacts.push_back(std::get<Contact>(std::move(mapped)));
    }
    return contacts;
}

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

// The date part of a contact time; null and invalid times stay as they are.
ZelkOleDateTime DateOf(const ZelkOleDateTime& time) {
    if (time.m_status != kZelkDateTimeValid) {
        return time;
    }
    return ZelkOleDateTime{std::floor(time.m_dt), kZelkDateTimeValid};
}

std::string Contestant(const std::string& call, const std::vector<Contact>& contacts) {
    if (!call.empty()) {
        return call;
    }
    auto named = std::find_if(contacts.begin(), contacts.end(),
                              [](const Contact& c) { return !c.ownCall.empty(); });
    return named != contacts.end() ? named->ownCall : std::string();
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
    auto read = ReadContacts(options.input);
    if (auto* problem = Problem(read)) {
        err << "zelk score: " << *problem << '\n';
        return kExitBadInput;
    }
    const std::vector<Contact>& contacts = std::get<std::vector<Contact>>(read);

    ContestStart start;
    start.cabrillo = options.cabrillo;
    start.contestant = Contestant(options.input.call, contacts);
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
    start.latitude = options.latitude.value_or(0.0);
    start.longitude = options.longitude.value_or(0.0);

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
    for (const Contact& contact : contacts) {
        ++outcome.counts.read;
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
            << ReportForPrinting(reportText);
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
        out << ReportForPrinting(reportText) << SummaryLine(outcome) << '\n';
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
    auto read = ReadContacts(options.input);
    if (auto* problem = Problem(read)) {
        err << "zelk check: " << *problem << '\n';
        return kExitBadInput;
    }
    const std::vector<Contact>& contacts = std::get<std::vector<Contact>>(read);
    ContestStart start;
    start.contestant = Contestant(options.input.call, contacts);
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
