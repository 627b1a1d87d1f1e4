// One file of the contest folder as the check keeps it: for a log, its
// entrant's call, claimed score, station coordinate and every QSO line packed
// into what the rules compare; for any other file, why it is no log. A log's
// bytes are not kept once it is read: a line is 48 bytes, its calls numbers,
// so a contest of five million lines fits in a quarter of a gigabyte, and the
// few lines a report quotes are read again from the file (LineSource).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/call_table.h"
#include "adjudication/line_status.h"
#include "adjudication/log_header.h"
#include "logfile/cabrillo_reader.h"
#include "platform/files.h"

namespace zelk::adjudication {

// A line of the whole contest is named by one number: its entrant's first
// line number plus its place in the log (see ContestCheck::Line).
inline constexpr uint32_t kNoLine = UINT32_MAX;

struct CheckedLine {
    int64_t minute = 0;  // date and time as minutes since 1970-01-01 00:00 UTC
    // The worked call and the call the line says was sent: ids in the
    // contest's CallTable (until the check numbers them, in LogFile::calls).
    uint32_t call = 0;
    uint32_t ownCall = 0;
    uint32_t match = kNoLine;      // the partner's line paired with this one, matched or busted
    uint32_t decidedBy = kNoLine;  // the line that decided the status, where one did
    uint32_t sentCoordinate = 0;   // as CoordinateKey packs it
    uint32_t receivedCoordinate = 0;
    uint32_t freqKHz = 0;     // 0 when the line gives a band designator
    uint32_t lineNumber = 0;  // in the file, from 1
    // A serial has at most six digits (cabrillo_exchange.cpp): 20 bits.
    uint32_t sentSerial : 20 = 0;
    logfile::CabrilloMode mode : 3 = logfile::CabrilloMode::kCw;
    bool xQso : 1 = false;
    // A line that could not be read but whose fixed fields and worked call
    // could: it pairs, and is never credited. Where its sent exchange could
    // not be read, the partner's copy of it is not judged; where its
    // received exchange could not, it is no evidence of a busted call.
    bool unreadable : 1 = false;
    bool sentRead : 1 = true;
    bool receivedRead : 1 = true;
    // The status is written on the check's threads: the fields above, only
    // ever read once the line is, lie apart from it in memory.
    uint32_t : 0;
    uint32_t receivedSerial : 20 = 0;
    uint32_t band : 8 = logfile::kNoBand;
    LineStatus status : 4 = LineStatus::kPending;

    // Only readable CW lines of QSO: count; X-QSO: lines are listed, never credited.
    bool Counts() const { return !xQso && !unreadable && mode == logfile::CabrilloMode::kCw; }
};

// A contest of five million lines keeps its lines in 264 MB, with the
// bit-fields packed as GCC and Clang pack them on Linux. Windows' layout
// starts a new unit at each change of a bit-field's type: a few bytes more.
#if defined(_WIN32)
static_assert(sizeof(CheckedLine) <= 64);
#else
static_assert(sizeof(CheckedLine) == 48);
#endif
static_assert(kStatusCount <= 16 && logfile::kNoBand <= 0xFF);

// Where a log's lines are found again when a report quotes one: a log read
// from memory keeps its bytes; one read from a file keeps which file it was,
// and the file, read again, must still be that one (the same identity:
// device, number, size, write and change times), or nothing is quoted.
struct LineSource {
    std::shared_ptr<const std::string> bytes;  // a log read from memory
    std::filesystem::path path;                // a log read from a file
    FileIdentity identity;                     // of that file, when it was read
};

struct LogFile {
    std::string name;      // the file's name in the folder
    int64_t modified = 0;  // the file's modification time, only to order two logs of a call
    std::string notRead;   // why the file is no log; empty for a log

    std::string call;     // CALLSIGN: in capitals, else the own call of the first QSO line
    std::string contest;  // CONTEST: in capitals, without blanks around it; empty when none
    bool callFromQsoLines = false;
    std::optional<int64_t> claimedScore;  // CLAIMED-SCORE:, when it is a whole number
    LogCategory category;
    std::vector<std::string> headerNotes;  // what the organiser is told about the header
    std::string stationCoordinate;         // the coordinate it sent (StationCoordinateSent)
    // QSO: and X-QSO: lines, in file order: those read, and those partly read
    // (CheckedLine::unreadable), which are listed in `unreadable` too.
    std::vector<CheckedLine> lines;
    std::vector<logfile::UnreadableLine> unreadable;
    std::size_t partlyRead = 0;  // of `lines`, those that could not be read whole
    // The table the lines' call ids index while the log is read (shared by
    // the logs read on one thread); the check numbers the calls of the whole
    // contest and lets it go.
    std::shared_ptr<const CallTable> calls;
    LineSource source;

    bool IsLog() const { return notRead.empty(); }
};

// The largest file read as a log; a contest log is a few hundred kilobytes.
inline constexpr std::size_t kMaxLogBytes = std::size_t{256} << 20;
// A line's place in its log fits in 24 bits (PartnerIndex): a QSO line that
// is kept holds at least eight fields after its tag, so 20 bytes and more.
static_assert(kMaxLogBytes / 20 < (std::size_t{1} << 24));

// The QSO and X-QSO lines of the log that were read whole.
std::size_t ReadableLines(const LogFile& log);

// What reading logs one after another on one thread reuses: the buffer of
// a file's bytes, the buffer of its lines, and the table its calls are
// interned into (which the logs read share).
struct LogReader {
    std::string bytes;
    std::vector<CheckedLine> lines;
    std::shared_ptr<CallTable> calls = std::make_shared<CallTable>();
};

// Reads the file's bytes in reader.bytes as a log, in place: they are left
// in capitals and not kept (the caller gives the log its LineSource).
LogFile ReadLogFile(std::string name, int64_t modified, LogReader& reader);

// Reads one file's bytes as a log kept in memory (its bytes are its
// LineSource), its calls in a table of its own.
LogFile ReadLogFile(std::string name, std::string bytes, int64_t modified);

// Why a file of that many bytes is not read.
std::string LogTooLargeReason(std::uintmax_t bytes);

// A file that could not be read at all.
LogFile UnreadableFile(std::string name, std::string reason);

}  // namespace zelk::adjudication
