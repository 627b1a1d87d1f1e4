// One file of the contest folder as the check keeps it: for a log, its
// entrant's call, claimed score, station coordinate and every QSO line packed
// into what the rules compare, beside the file's bytes; for any other file,
// why it is no log. A line here is a fifth of the reader's QSO, so a contest
// of a million lines fits in memory with its text.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjudication/line_status.h"
#include "adjudication/log_header.h"
#include "logfile/cabrillo_reader.h"

namespace zelk::adjudication {

// A line of the whole contest is named by one number: its entrant's first
// line number plus its place in the log (see ContestCheck::Line).
inline constexpr uint32_t kNoLine = UINT32_MAX;

struct CheckedLine {
    int64_t minute = 0;       // date and time as minutes since 1970-01-01 00:00 UTC
    uint32_t textBegin = 0;   // of the line in its log's text
    uint32_t lineNumber = 0;  // in the file, from 1
    uint32_t call = 0;        // the worked call: its id in the contest's CallTable
    uint32_t ownCall = 0;     // the call the line says was sent: its id in the CallTable
    uint32_t freqKHz = 0;     // 0 when the line gives a band designator
    uint32_t sentSerial = 0;
    uint32_t sentCoordinate = 0;  // as CoordinateKey packs it
    uint32_t receivedSerial = 0;
    uint32_t receivedCoordinate = 0;
    uint32_t decidedBy = kNoLine;  // the line that decided the status, where one did
    uint32_t match = kNoLine;      // the partner's line paired with this one, matched or busted
    uint16_t textSize = 0;
    uint16_t callBegin = 0;  // the worked call's place in the line
    uint16_t callSize = 0;
    uint16_t ownCallBegin = 0;  // the own call's
    uint16_t ownCallSize = 0;
    logfile::BandIndex band = logfile::kNoBand;
    logfile::CabrilloMode mode = logfile::CabrilloMode::kCw;
    bool xQso : 1 = false;
    // A line that could not be read but whose fixed fields and worked call
    // could: it pairs, and is never credited. Where its sent exchange could
    // not be read, the partner's copy of it is not judged; where its
    // received exchange could not, it is no evidence of a busted call.
    bool unreadable : 1 = false;
    bool sentRead : 1 = true;
    bool receivedRead : 1 = true;
    LineStatus status = LineStatus::kPending;
    // The received exchange as the plug-in stores it ("012 55N37O"), zero
    // filled: at most a serial of six digits, a blank and a coordinate of
    // seven characters, so the line stays 72 bytes.
    char received[14] = {};

    std::string_view Received() const { return {received, strnlen(received, sizeof received)}; }
    // Only readable CW lines of QSO: count; X-QSO: lines are listed, never credited.
    bool Counts() const { return !xQso && !unreadable && mode == logfile::CabrilloMode::kCw; }
};

// A contest of a million lines keeps its lines in 80 MB.
static_assert(sizeof(CheckedLine) <= 80);

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
    std::shared_ptr<const std::string> text;  // the bytes the lines point into

    bool IsLog() const { return notRead.empty(); }
    std::string_view LineText(const CheckedLine& line) const {
        return std::string_view(*text).substr(line.textBegin, line.textSize);
    }
    std::string_view CallText(const CheckedLine& line) const {
        return LineText(line).substr(line.callBegin, line.callSize);
    }
    std::string_view OwnCallText(const CheckedLine& line) const {
        return LineText(line).substr(line.ownCallBegin, line.ownCallSize);
    }
};

// The QSO and X-QSO lines of the log that were read whole.
std::size_t ReadableLines(const LogFile& log);

// The largest file read as a log; a contest log is a few hundred kilobytes.
inline constexpr std::size_t kMaxLogBytes = std::size_t{256} << 20;

// Reads one file's bytes as a log (the calls of its lines are not yet
// interned: `call` is 0 until the check numbers them).
LogFile ReadLogFile(std::string name, std::string bytes, int64_t modified);

// Why a file of that many bytes is not read.
std::string LogTooLargeReason(std::uintmax_t bytes);

// A file that could not be read at all.
LogFile UnreadableFile(std::string name, std::string reason);

}  // namespace zelk::adjudication
