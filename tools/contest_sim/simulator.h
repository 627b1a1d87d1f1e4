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
// The organiser's rules (all off unless asked for; WithOrganiserRules turns
// them on in small numbers), placed the same way:
// - The contest period is [period start, period end) in minutes after the
//   start (by default the whole contest). Every contact lies inside it, as
//   each side logs it (after the check's clock correction), except the
//   out-of-period contacts: those lie up to 90 minutes before or after it,
//   both lines out_of_period; or across one edge, one line out_of_period and
//   the partner's line, which pairs with it within the window, confirmed
//   (both clocks right, both entrants of all bands). All are between two
//   entrants, so a station without a log is never in an out-of-period line.
// - Categories: each entrant's header names its category (operator, band,
//   power, transmitter) in capitals, as the plug-in writes it, or as other
//   loggers do in mixed case ("Single-Op", "40m") or not at all (then
//   SINGLE-OP, ALL, HIGH, ONE apply); one value the check does not know
//   ("Medium" power or a "Single-Op-Assisted" operator) is ranked as written,
//   in capitals. A log without CATEGORY-TRANSMITTER: is ONE. A check log
//   (CHECKLOG) takes full part but has no place. A single-band entrant's
//   lines outside its band (160M 1800-2000 kHz, 80M 3500-4000, 40M
//   7000-7300, 20M 14000-14350, 15M 21000-21450, 10M 28000-29700, edges in)
//   are other_band. Whether a station without a log has enough appearances
//   never hangs on a check log or a line out of the period or on another
//   band: single-band entrants work such stations on their own band only,
//   no check log works a few-times-worked one, and every other one has
//   enough appearances without check logs.
// - Clocks: a log's clock may be an hour off, or off by window + 2 to window
//   + 15 minutes, or by 1 to window - 1 minutes; a log of the last kind logs
//   every contact inside the period by its own clock, which the check keeps.
//   Contacts of such a log carry no other time error on either side, two
//   such logs never work each other, and a log corrected never works a
//   single-band entrant, so the two lines of such a contact differ by
//   exactly the log's error. Each of these logs has at least five clean
//   pairs (a contact both log in CW, each side copied right, no repeat, both
//   lines inside the period and on the entry's band) with logs whose clocks
//   are right; each log with a right clock that works logs off by more than
//   the window has at least two more clean pairs with the others than pairs
//   of any kind with those, so its median stays within the window. Hence the
//   check's rule (at least 5 pairs that match in all but time, 80 % of them
//   within a minute of their median, the median more than the window)
//   corrects exactly the logs off by more than the window, by their error,
//   whether or not it counts pairs of repeats, phone lines, out-of-period or
//   other-band lines.
// - Logs of another contest: an entrant may also send a newer file of
//   another contest (CONTEST: CQ-WW-CW, that contest's lines); its ZELK log
//   says CONTEST: zelk (lower case) or no CONTEST: at all, in turn, and is
//   the one used. An entrant may send only a log whose CONTEST: names another
//   contest but that holds ZELK lines: it is checked as ZELK's. The plug-in's
//   layout always says CONTEST: ZELK.
// - Statuses take precedence in this order: unreadable, x_qso, not_cw,
//   out_of_period, out_of_band, other_band, dupe, then the pairing's. The
//   check's own faults (busted calls and exchanges, NILs, repeats) are
//   placed only on contacts whose two lines are neither out of the period
//   nor on another band.
// - Each band of the contest has its lowest 60 kHz (where its contacts are)
//   inside an amateur band, and no two lie in one: the check's band is the
//   amateur band.
//
// Shapes real logs hold (all off unless asked for; WithRealLogShapes turns
// them on in small numbers), each on a contact of its own between two
// entrants, placed as the check's own faults are unless said otherwise:
// - Lines that cannot be read: a received coordinate that lost a letter
//   ("5037O", "50N370": O typed as a zero), unreadable; the partner's line
//   pairs with it and is confirmed, or busted_exchange where it miscopied
//   the serial (every other one). A sent coordinate that lost a letter,
//   unreadable; the worked call (never ZELK, which is not shaped like a
//   call) is still found before the received coordinate, and the partner's
//   copy of an exchange that cannot be read is not judged: confirmed, even
//   where it miscopied the serial (every other one). An X-QSO: line whose
//   received coordinate lost a letter (its partner did not log it):
//   unreadable, not x_qso. A line whose time is written "07:00" (its
//   partner did not log it) is not even read in part: it has no row in the
//   truth, and only the entrant's count of unreadable lines holds it.
// - A frequency typed with a digit lost (1401 for 14010) or, where that is
//   in a band, one added: out_of_band. Its partner's line pairs with it
//   across the band (the two stations have no other contact within a
//   repeat's gap on any band) and is confirmed, or busted_exchange where it
//   miscopied the serial (every other one).
// - Portable calls: an entrant of plain role (clock right, all bands, no
//   check log, one log of this contest, not the plug-in's layout) whose
//   CALLSIGN: says CALL and whose every line sends CALL/P; its partners copy
//   CALL/P, one copies CALL: busted_call, the entrant's line
//   partner_busted_call. CALL/P is two edits from CALL and three from every
//   other call. It works no log whose clock is off, and its pairs are not
//   among those that keep the clock rule's medians, so that the rule finds
//   the truth whether it matches a copy with the call sent or with
//   CALLSIGN:. min-appearances is 2 or more, so CALL, in one log, stands as
//   no station without a log.
// - Busted calls whose other side miscopied the busted side's exchange (the
//   serial or the coordinate, in turn): busted_call and busted_exchange.
//   The busted side copied the other's exchange right.
// - A station without a log (in enough logs) that one log copied at
//   another coordinate while two other logs or more, without check logs,
//   copied it right: that line busted_exchange. A station without a log
//   worked by exactly 2 * SplitHalf(min-appearances) entrants of all kinds
//   but check logs, half of them copying one wrong coordinate: no
//   coordinate has more logs, every line no_log_credited.
// - Near-call claims: a station without a log takes a call one letter from
//   an entrant of plain role (three edits or more from every other call);
//   the entrant logs a QSO with a partner of that station (clock right, no
//   check log) two minutes (at most the window) after the partner's line
//   with the station, on its band, with an exchange the partner never sent;
//   the partner did not log it. The partner's line stays no_log_credited
//   (the station stands, and the partner copied no exchange of the
//   claimant), the claimant's is nil.
// - Newer logs without CONTEST:: of the entrants who send two logs (not in
//   the plug-in's layout), the older says CONTEST: ZELK and the newer, the
//   one used, has none.
// - Symmetric clock pairs: two entrants with no other role who work only each
//   other, once on each band (five bands at least), in the period's last
//   hour; one's clock an hour fast, its lines after the period's end (or,
//   every other pair, an hour slow in the first hour, its lines before the
//   start). The evidence is symmetric; the period tells the log off: it is
//   corrected by its error and every line confirmed. The truth holds for a
//   check given the period.
// - Cabrillo 2.0 headers: START-OF-LOG: 2.0 and one CATEGORY: line instead
//   of the CATEGORY- lines, in turn "SINGLE-OP <band> QRP CW" (a single-band
//   entry), "CHECKLOG", "MULTI-ONE ALL LOW", "MULTI-TWO" (band and power by
//   default), "MULTI-MULTI ALL LOW CW" and "SINGLE-OP-ASSISTED ALL HIGH"
//   (ranked as written).
// Only the portable bare call (two edits from CALL/P) and the near calls
// (one letter) break "every call three edits from the next", on purpose.
//
// The truth as a TSV file (TruthTsv): a comment line "# zelk-contest-sim
// ..." with every parameter as the program's options (the time window, the
// min-appearances, the NIL penalty and the period among them), then the
// header line, then one row per QSO line of every log that is read, one per
// file that is not used, and one per entrant:
//
//   file  line  call  status  note  [entrant rows only: operator  band  power
//                                    transmitter  checked_score
//                                    category_place  clock_offset_minutes
//                                    unreadable_lines]
//
//   file    the file name in the contest folder
//   line    1-based line number of the QSO line (empty on file and entrant rows)
//   call    the entrant whose file it is (as its CALLSIGN: says)
//   status  for a QSO line one of: confirmed, partner_busted_call,
//           no_log_credited, busted_exchange, busted_call, nil, unique, dupe,
//           not_cw, x_qso, out_of_period, other_band, unreadable (read in
//           part: its fixed fields and worked call), out_of_band; for a
//           file: not_read (not a Cabrillo log) or superseded (an older log
//           of an entrant who sent a newer one, or a log of another
//           contest); for the log used of an entrant: entrant
//   note    what the fault was, for a person reading the file
//
// An entrant row (after all other rows, in order of file) has eight columns
// more: its category as the check must read it (in capitals), its checked
// score (ScoreContacts of the core over its lines confirmed,
// partner_busted_call and no_log_credited: the call, the group the amateur
// band's lower edge in whole megahertz, the exchange received, from the
// coordinate it sent; less the NIL penalty, never below 0), its place in
// its category (operator, band, power; ranked by checked score, equal scores
// sharing a place and the next place skipped: 1, 1, 3; empty for a check
// log), the minutes the check must take off its times (the clock's error
// when more than the window, logged minus true time; else 0), and its QSO
// lines that cannot be read (those read in part, which have rows, and those
// whose time cannot be read, which have none).
#pragma once

#include <cstdint>
#include <optional>
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
    OutOfPeriod,
    OtherBand,
    Unreadable,
    OutOfBand,
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

    // The organiser's rules: none unless asked for (see WithOrganiserRules).
    int outOfPeriod = 0;          // contacts outside the period: two out_of_period lines
    int oneSideOutOfPeriod = 0;   // across an edge: one out_of_period line, the other confirmed
    int checkLogs = 0;            // entrants who send a CHECKLOG: no place
    int singleBandEntries = 0;    // entrants of one band: their lines on others other_band
    int multiOpEntries = 0;       // MULTI-OP (transmitters TWO), MULTI-MULTI (UNLIMITED) in turn
    int qrpEntries = 0;           // CATEGORY-POWER: QRP
    int mixedCaseCategories = 0;  // logs that write their category in mixed case
    int missingCategories = 0;    // logs without category lines: the defaults apply
    int unknownCategories = 0;    // logs with a category value the check does not know
    int clocksHourOff = 0;        // logs whose clock is an hour fast or slow
    int clocksMinutesOff = 0;     // logs whose clock is off by more than the window
    int clocksWithinWindow = 0;   // logs whose clock is off by less: never corrected
    int otherContestLogs = 0;     // entrants who also send a newer log of another contest
    int misnamedLogs = 0;         // entrants whose only log names another contest

    // Shapes real logs hold: none unless asked for (see WithRealLogShapes).
    int unreadableReceived = 0;   // a received coordinate that lost a letter: unreadable
    int unreadableSent = 0;       // a sent coordinate that lost a letter: unreadable
    int unreadableXQsos = 0;      // X-QSO: lines that cannot be read: unreadable, not x_qso
    int unreadableTimes = 0;      // lines whose time cannot be read: listed, no truth row
    int outOfBand = 0;            // a frequency typed in no band: out_of_band
    int portableCalls = 0;        // entrants whose lines send CALL/P; one partner copies CALL
    int bustedCallExchanges = 0;  // busted calls whose other side miscopied the exchange
    int noLogDissents = 0;        // stations without a log that one log copied elsewhere
    int noLogSplits = 0;          // stations without a log copied at two places, as many each
    int nearCallClaims = 0;       // an entrant one letter from a station without a log claims
    int newerWithoutContest = 0;  // an older log with CONTEST: ZELK, a newer without CONTEST:
    int symmetricClockPairs = 0;  // two logs that worked only each other, one clock an hour off
    int cabrillo2Headers = 0;     // logs whose category is a Cabrillo 2.0 CATEGORY: line
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
    int nilPenalty = 0;         // the check's contacts' worth of points taken per NIL
    // The contest period in minutes after the start: start <= t < end; no
    // end: the end of the contest (lengthHours).
    int periodStartMinute = 0;
    std::optional<int> periodEndMinute;
};

// The end of the period in minutes after the start.
int PeriodEnd(const SimulationParameters& parameters);

// `faults` with each of the organiser's rules' faults in a small number.
FaultCounts WithOrganiserRules(FaultCounts faults);
// The default contest of `seed` with the organiser's rules' faults.
SimulationParameters WithOrganiserRules(uint64_t seed);

// `faults` with each shape that real logs hold in a small number.
FaultCounts WithRealLogShapes(FaultCounts faults);

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

// What the check must find of an entrant beside its lines.
struct EntrantTruth {
    uint32_t file = 0;             // the log used: index into SimulatedContest::files
    std::string categoryOperator;  // as the check must read it: in capitals, defaults
    std::string categoryBand;      // filled in
    std::string categoryPower;
    std::string categoryTransmitter;
    int64_t checkedScore = 0;
    uint32_t categoryPlace = 0;      // 1 for the best; 0: none (a check log)
    int32_t clockOffsetMinutes = 0;  // the check takes this off the log's times
    // Its QSO lines that cannot be read, those without a truth row (their
    // time cannot be read) included.
    uint32_t unreadableLines = 0;
    std::string note;
};

struct SimulatedStation {
    std::string call;  // as it sends it on the air (a portable entrant's CALLSIGN: lacks the /P)
    std::string coordinate;
    bool sentLog = false;  // a Cabrillo log of it is read
};

struct SimulatedContest {
    SimulationParameters parameters;
    std::vector<SimulatedStation> stations;
    std::vector<SubmittedFile> files;    // in order of name
    std::vector<TruthLine> truth;        // by file, then by line
    std::vector<EntrantTruth> entrants;  // by file
    int64_t periodStartMinute = 0;       // the period in minutes since 1970-01-01 00:00 UTC,
    int64_t periodEndMinute = 0;         // as a QSO line's date and time: start <= t < end
};

// Makes the contest. Throws std::invalid_argument when CheckParameters
// objects, or when the contest has too few contacts between entrants for the
// faults asked for.
SimulatedContest Simulate(const SimulationParameters& parameters);

std::string TruthTsv(const SimulatedContest& contest);

// The zelk-contest-sim command line that makes the contest of `parameters`.
std::string CommandLine(const SimulationParameters& parameters);

}  // namespace zelk::sim
