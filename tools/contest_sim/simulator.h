// The contest simulator: a whole ZELK contest made from a seed, with faults
// of every kind the organiser's check must find, in known numbers, and the
// status the check must give every QSO line (the truth).
//
// Stations sit at whole-degree coordinates (ZELK and a few polar stations
// among them) and work each other on several bands; each side logs a contact
// with its own serial counter, its own clock (within two minutes of the true
// time, so the sides differ by less than the time window) and its own
// frequency in the band. Every entrant's log is written as its logger would
// write it: the plug-in's fixed columns with CR LF, or blank- or
// tab-separated fields, with or without signal reports, zero-filled serials,
// the received exchange typed in one piece ("1255N37O"), lower-case tags with
// LF, repeated ADDRESS/SOAPBOX lines and an X- tag.
//
// Faults are placed so that each has one reading: no two faults concern the
// same two stations on the same band, repeats lie more than two windows
// after the contact they repeat, and a miscopied call is one or two edits
// from the true call and three or more from every other call (all calls are
// pairwise three or more apart).
//
// The truth as a TSV file (TruthTsv): a comment line "# zelk-contest-sim
// ..." with every parameter as the program's options (the time window and
// the min-appearances among them), then the header line, then one row per QSO line of every log
// that is read and one per file that is not used:
//
//   file  line  call  status  note
//
//   file    the file name in the contest folder
//   line    1-based line number of the QSO line (empty on a file row)
//   call    the entrant whose file it is
//   status  for a QSO line one of: confirmed, partner_busted_call,
//           no_log_credited, busted_exchange, busted_call, nil, unique, dupe,
//           not_cw, x_qso; for a file: not_read (not a Cabrillo log) or
//           superseded (an older log of an entrant who sent a newer one)
//   note    what the fault was, for a person reading the file
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::sim {

enum class LineStatus : uint8_t {
    Confirmed,
    PartnerBustedCall,
    NoLogCredited,
    BustedExchange,
    BustedCall,
    Nil,
    Unique,
    Dupe,
    NotCw,
    XQso,
};
std::string_view StatusName(LineStatus status);

enum class FileStatus : uint8_t { Read, NotRead, Superseded };
std::string_view StatusName(FileStatus status);

struct FaultCounts {
    int bustedCalls = 3;        // A logs a miscopied call: busted_call, B partner_busted_call
    int bustedSerials = 3;      // A copies B's serial wrong: busted_exchange, B confirmed
    int bustedCoordinates = 3;  // A copies B's coordinate wrong: as above
    int nils = 3;               // the contact is missing from B's log: A's line nil
    int dupes = 2;              // a contact repeated later and logged by both: two dupe lines
    int oneSidedDupes = 2;      // a repeat in one log only: one dupe line
    int uniqueStations = 2;     // stations without a log worked by fewer than minAppearances
    int notCabrillo = 1;        // files that are no Cabrillo log: an ADIF export, a binary file
    int resubmissions = 1;      // entrants who sent an older and a newer log
    int xQsos = 2;              // X-QSO: lines, each of a contact the partner did not log
    int nonCwContacts = 2;      // phone contacts, logged by both sides: two not_cw lines
};

struct SimulationParameters {
    uint64_t seed = 1;
    int stations = 40;            // every station in the contest
    int logs = 30;                // how many send a Cabrillo log that is read
    int contactsPerStation = 20;  // average QSO lines of one log
    int startYear = 2024;         // start of the contest, UTC
    int startMonth = 5;
    int startDay = 11;
    int startHour = 12;
    int lengthHours = 24;
    std::vector<int> bandsKHz = {3500, 7000, 14000, 21000, 28000};  // lower band edges
    FaultCounts faults;
    int timeWindowMinutes = 5;  // the check's window the truth is made for
    int minAppearances = 3;     // the check's least appearances of a station without a log
};

// The reason the parameters make no contest, or empty when they do.
std::string CheckParameters(const SimulationParameters& parameters);

struct SubmittedFile {
    std::string name;
    std::string call;  // the station that sent it
    std::string bytes;
    int64_t modifiedTime = 0;  // seconds since 1970-01-01 UTC; a newer log has a later time
    FileStatus status = FileStatus::Read;
    std::string note;
};

struct TruthLine {
    uint32_t file = 0;  // index into SimulatedContest::files
    uint32_t line = 0;  // 1-based
    LineStatus status = LineStatus::Confirmed;
    std::string note;
};

struct SimulatedStation {
    std::string call;
    std::string coordinate;
    bool sentLog = false;  // a Cabrillo log of it is read
};

struct SimulatedContest {
    SimulationParameters parameters;
    std::vector<SimulatedStation> stations;
    std::vector<SubmittedFile> files;  // in order of name
    std::vector<TruthLine> truth;      // by file, then by line
};

// Makes the contest. Throws std::invalid_argument when CheckParameters
// objects, or when the contest has too few contacts between entrants for the
// faults asked for.
SimulatedContest Simulate(const SimulationParameters& parameters);

std::string TruthTsv(const SimulatedContest& contest);

// The zelk-contest-sim command line that makes the contest of `parameters`.
std::string CommandLine(const SimulationParameters& parameters);

}  // namespace zelk::sim
