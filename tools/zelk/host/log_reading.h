// Reading a log for a command: the file, ADIF or Cabrillo told apart by its
// content, mapped to the host's contacts with the warnings and skipped
// contacts on the way; and what the commands take from it alike: the own
// call, the contest date and the station coordinate the plug-in will send.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/cabrillo_contacts.h"
#include "host/contact.h"
#include "logfile/adif_reader.h"

namespace zelk::host {

// How a log is read: file, own call, group field and contest folder.
struct LogOptions {
    std::string log;
    std::string call;
    std::string groupBy = "band";
    std::filesystem::path folder = ".";
};

// A value, or the message that says why there is none.
template <typename T>
using Checked = std::variant<T, std::string>;

template <typename T>
const std::string* Problem(const Checked<T>& checked) {
    return std::get_if<std::string>(&checked);
}

// A log read and mapped: the contacts to hand over, and what was said on the way.
struct LogReading {
    std::vector<Contact> contacts;
    std::vector<logfile::AdifNote> warnings;
    std::vector<logfile::AdifNote> skipped;  // contacts not handed over, and why
    // A Cabrillo log's notes (its contacts are moved to `contacts`), CALLSIGN
    // and sent coordinate; empty for an ADIF log.
    std::optional<CabrilloContacts> cabrillo;

    std::size_t SkippedCount() const {
        return skipped.size() + (cabrillo ? cabrillo->SkippedCount() : 0);
    }
};

// Reads the log and maps its records; a message when the file cannot be read,
// is UTF-16 text, holds no log at all (no ADIF record or header, no Cabrillo
// log) or its structure cannot be followed. `stationCoordinate` is the one
// the plug-in will send, to compare with a coordinate in STX_STRING.
Checked<LogReading> ReadContacts(const LogOptions& options, const std::string& stationCoordinate);

// Lists the skipped contacts and the warnings on `err` in the order of the
// file. A warning that recurs word for word (the same frequency above the
// host's limit in every record) is listed once, with how often it recurs; a
// Cabrillo log's lines of another contest are one note, with their count.
void ListNotes(std::ostream& err, std::string_view command, const std::string& log,
               const LogReading& reading);

// The coordinate the plug-in will send: the one stored in the contest
// folder, else the one it builds from the fallback latitude and longitude.
std::string StationCoordinate(const std::filesystem::path& folder, double latitude,
                              double longitude);

// The date part of a contact time; null and invalid times stay as they are.
ZelkOleDateTime DateOf(const ZelkOleDateTime& time);

// The contestant: --call, else the Cabrillo log's CALLSIGN:, else the own
// call of the first contact that names one; empty when none does.
std::string Contestant(const std::string& call, const LogReading& reading);

}  // namespace zelk::host
