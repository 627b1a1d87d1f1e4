// Reading and mapping a log, shared by the commands.
#include "host/log_reading.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

#include "host/contest_folder.h"
#include "text/text.h"

namespace zelk::host {

Checked<LogReading> ReadContacts(const LogOptions& options, const std::string& stationCoordinate) {
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
    if (logfile::IsUtf16Text(text)) {
        return options.log +
               ": the file is UTF-16 text; a log is read as plain text (ASCII or UTF-8): save it "
               "as such";
    }

    std::optional<logfile::CabrilloLog> cabrillo = ReadIfCabrillo(text);
    std::optional<logfile::AdifLog> adif;
    if (!cabrillo) {
        auto read = logfile::ReadAdif(text);
        if (auto* problem = std::get_if<logfile::AdifNote>(&read)) {
            return options.log + ": " + problem->Describe();
        }
        adif = std::get<logfile::AdifLog>(std::move(read));
        if (adif->records.empty() && !adif->hasHeader) {
            // Not even an empty ADIF log: a Cabrillo log whose soapbox says
            // <EOR>, or no log at all, never a score of 0.
            auto asCabrillo = logfile::ReadCabrillo(text);
            if (auto* log = std::get_if<logfile::CabrilloLog>(&asCabrillo)) {
                cabrillo = std::move(*log);
            } else if (text.find_first_not_of(" \t\r\n\f\v") == std::string::npos) {
                return options.log + ": the file is empty";
            } else {
                return options.log +
                       ": holds no ADIF record (fields ended by <EOR>), no ADIF header (ended by "
                       "<EOH>) and no Cabrillo START-OF-LOG: line; it is no log";
            }
        }
    }
    if (cabrillo) {
        if (Upper(options.groupBy) != "BAND") {
            return options.log + ": a Cabrillo log is grouped by band; --group-by " +
                   options.groupBy + " names an ADIF field";
        }
        LogReading reading;
        reading.cabrillo = MapCabrilloLog(*cabrillo);
        reading.contacts = std::move(reading.cabrillo->contacts);
        return reading;
    }
    const logfile::AdifLog& log = *adif;
    MappingOptions mapping;
    mapping.fallbackCall = options.call;
    if (Upper(options.groupBy) != "BAND") {
        mapping.groupField = Upper(options.groupBy);
    }
    mapping.stationCoordinate = stationCoordinate;
    LogReading reading;
    reading.warnings = log.warnings;
    for (std::size_t i = 0; i < log.records.size(); ++i) {
        auto mapped = MapRecord(log.records[i], i + 1, mapping, reading.warnings);
        if (auto* skipped = std::get_if<logfile::AdifNote>(&mapped)) {
            reading.skipped.push_back(std::move(*skipped));
        } else {
            reading.contacts.push_back(std::get<Contact>(std::move(mapped)));
        }
    }
    return reading;
}

void ListNotes(std::ostream& err, std::string_view command, const std::string& log,
               const LogReading& reading) {
    struct Entry {
        const logfile::AdifNote* note;
        bool skipped;
    };
    std::vector<Entry> entries;
    std::map<std::pair<std::string, std::string>, std::size_t> recurring;
    for (const logfile::AdifNote& note : reading.warnings) {
        if (recurring[{note.field, note.message}]++ == 0) {
            entries.push_back({&note, false});
        }
    }
    for (const logfile::AdifNote& note : reading.skipped) {
        entries.push_back({&note, true});
    }
    if (reading.cabrillo) {
        std::vector<std::pair<const CabrilloNote*, bool>> notes;
        for (const CabrilloNote& note : reading.cabrillo->warnings) {
            notes.emplace_back(&note, false);
        }
        for (const CabrilloNote& note : reading.cabrillo->skipped) {
            notes.emplace_back(&note, true);
        }
        std::stable_sort(notes.begin(), notes.end(), [](const auto& a, const auto& b) {
            return a.first->line < b.first->line;
        });
        for (const auto& [note, skipped] : notes) {
            err << command
                << (!skipped           ? ": warning: "
                    : note->lines == 1 ? ": contact skipped: "
                                       : ": contacts skipped: ")
                << log << ": " << note->Describe() << '\n';
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.note->offset < b.note->offset;
    });
    for (const Entry& entry : entries) {
        err << command << (entry.skipped ? ": contact skipped: " : ": warning: ") << log << ": "
            << entry.note->Describe();
        if (!entry.skipped) {
            const std::size_t more = recurring[{entry.note->field, entry.note->message}] - 1;
            if (more > 0) {
                err << " (and " << more << " more alike)";
            }
        }
        err << '\n';
    }
}

std::string StationCoordinate(const fs::path& folder, double latitude, double longitude) {
    std::string stored = StoredStationCoordinate(folder);
    return stored.empty() ? CoordinateText(latitude, longitude) : stored;
}

ZelkOleDateTime DateOf(const ZelkOleDateTime& time) {
    if (time.m_status != kZelkDateTimeValid) {
        return time;
    }
    return ZelkOleDateTime{std::floor(time.m_dt), kZelkDateTimeValid};
}

std::string Contestant(const std::string& call, const LogReading& reading) {
    const std::vector<Contact>& contacts = reading.contacts;
    if (!call.empty()) {
        return call;
    }
    if (reading.cabrillo && !reading.cabrillo->callsign.empty()) {
        return reading.cabrillo->callsign;
    }
    auto named = std::find_if(contacts.begin(), contacts.end(),
                              [](const Contact& c) { return !c.ownCall.empty(); });
    return named != contacts.end() ? named->ownCall : std::string();
}

}  // namespace zelk::host
