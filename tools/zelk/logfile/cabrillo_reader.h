// Reader for Cabrillo 3.0 contest logs, as our own writer and other loggers
// write them for this contest. It is the ground the log checker stands on:
// it reads every entrant's file once, fast, and keeps every line it cannot
// read, with its line number and why, instead of dropping it.
//
// The rules, where a file or a line may be written more than one way:
// - Lines end in CR LF, LF or a lone CR; the last line needs no end. A UTF-8
//   byte order mark is skipped. Tags match without regard to case; a tag's
//   value is kept as written, without the blanks around it.
// - Lines before START-OF-LOG: and after END-OF-LOG: are ignored; blank lines
//   are ignored. A log without END-OF-LOG: is read to the end of the file
//   (endLine stays 0). A second START-OF-LOG: inside the log is unreadable.
// - Every tag line other than QSO: and X-QSO: is kept in file order with its
//   line number, known, unknown and X- tags alike; repeated tags (ADDRESS,
//   SOAPBOX, OPERATORS) each keep their own line.
// - QSO: and X-QSO: lines are QSOs; X-QSO: ones are flagged and never to be
//   credited. A QSO line is read in capitals (calls and coordinates compare
//   as written otherwise), its fields separated by any run of blanks and tabs:
//     frequency  mode  date  time  own-call  sent  call  received  [transmitter]
//   The frequency is whole kHz (a fraction is dropped) or a Cabrillo band
//   designator (50, 70, 144, 222, 432, 902, 1.2G ... 241G, LIGHT); the mode
//   is CW, PH, FM, RY or DG; the date yyyy-mm-dd; the time hhmm (UTC).
// - The sent exchange is the fields after the own call up to the first one
//   that ends in a coordinate (degrees, N or S, degrees, O or W); the next
//   field is the worked call; the received exchange runs to the next field
//   that ends in a coordinate; a transmitter id 0 or 1 may close the line.
//   Each exchange is one of
//       serial coordinate           001 55N37O
//       report serial coordinate    599 001 55N37O
//       typed                       1255N37O     (serial 12, coordinate 55N37O)
//       report typed                599 1255N37O
//   A coordinate has one or two digits of latitude and one to three of
//   longitude; a serial has one to six digits. A typed exchange is split by
//   the plug-in's own rule (NormaliseReceivedExchange), which takes the last
//   two digits before N or S as the latitude and up to four digits as serial.
// - A QSO line holding a control byte other than tab is unreadable; header
//   values keep whatever bytes they hold.
// - A line that fits none of this is unreadable, with the first reason found.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "logfile/bands.h"

namespace zelk::logfile {

enum class CabrilloMode : uint8_t { kCw, kPhone, kFm, kRtty, kDigital };

// "CW", "PH", "FM", "RY", "DG".
std::string_view ModeCode(CabrilloMode mode);

// A piece of a QSO line: where it starts in the line and how many bytes.
struct LineSpan {
    uint16_t begin = 0;
    uint16_t size = 0;
};

struct CabrilloExchange {
    LineSpan report;        // size 0 when the exchange has none
    LineSpan serialText;    // as written: "1", "001", "12" of "1255N37O"
    LineSpan coordinate;    // "55N37O": the coordinate text as the plug-in stores it
    uint32_t serial = 0;    // the serial as a number: "001" and "1" are both 1
    int32_t latitude = 0;   // the coordinate as the plug-in's scoring reads it
    int32_t longitude = 0;  // (ParseCoordinate: magnitudes, letters not applied)

    // The exchange as the plug-in stores a received exchange typed without a
    // blank, "012 55N37O" for 12 and 55N37O; where that form would not split
    // serial and coordinate again (a one-digit latitude, a serial of five or
    // more digits), as it stores one typed with a blank: "12345 55N37O".
    std::string_view Normalised() const { return {normalised, normalisedSize}; }

    char normalised[15] = {};
    uint8_t normalisedSize = 0;
};

// The texts of a QSO are views into its log's bytes: keep the log (or a copy
// of it) while the QSO is used.
struct CabrilloQso {
    std::string_view line;  // the whole line, letters in capitals, without its line end
    uint32_t lineNumber = 0;
    bool xQso = false;        // an X-QSO: line: listed, never credited
    int8_t transmitter = -1;  // 0 or 1; -1 when the line gives none
    CabrilloMode mode = CabrilloMode::kCw;
    BandIndex band = kNoBand;  // the band of the frequency or designator
    uint32_t freqKHz = 0;      // 0 when the line gives a band designator
    int64_t minutes = 0;       // date and time as minutes since 1970-01-01 00:00
    LineSpan frequency;        // "3514", "144", "1.2G"
    LineSpan date;             // "2024-05-12"
    LineSpan time;             // "0602"
    LineSpan ownCall;
    LineSpan call;
    CabrilloExchange sent;
    CabrilloExchange received;

    std::string_view Text(LineSpan span) const { return line.substr(span.begin, span.size); }
    std::string_view OwnCall() const { return Text(ownCall); }
    std::string_view Call() const { return Text(call); }
    // The designator as the table spells it; empty when a frequency was given.
    std::string_view BandDesignator() const {
        return freqKHz == 0 && band != kNoBand ? Bands()[band].cabrillo : std::string_view();
    }
    // The group `zelk score` gives the contact by default: the frequency in
    // whole megahertz, for a designator its band's lower edge ("1240").
    std::string Group() const {
        return WholeMegahertzGroup(freqKHz != 0 ? freqKHz : Bands()[band].lowerHz / 1000);
    }
};

struct CabrilloTag {
    std::string_view name;  // upper case
    std::string_view value;
    uint32_t line = 0;
};

struct UnreadableLine {
    uint32_t line = 0;
    std::string reason;  // printable (Printable): control bytes and bytes that are no
                         // UTF-8 escaped, long texts cut

    // "line 57: QSO: has 6 fields, ..."
    std::string Describe() const;
};

struct CabrilloLog {
    std::vector<CabrilloTag> tags;  // every tag line but QSO: and X-QSO:, in file order
    std::vector<CabrilloQso> qsos;  // QSO: and X-QSO: lines, in file order
    std::vector<UnreadableLine> unreadable;
    uint32_t startLine = 0;  // of START-OF-LOG:
    uint32_t endLine = 0;    // of END-OF-LOG:; 0 when the log has none
    // The bytes every view above points into; copies of the log share them.
    std::shared_ptr<const std::string> text;

    // The first value of a tag (given in upper case); empty when it has none.
    std::string_view Value(std::string_view tag) const;
    // Every value of a tag, in file order.
    std::vector<std::string_view> Values(std::string_view tag) const;

    std::string_view Callsign() const { return Value("CALLSIGN"); }
    std::string_view Contest() const { return Value("CONTEST"); }
    std::string_view CreatedBy() const { return Value("CREATED-BY"); }
    std::string_view Location() const { return Value("LOCATION"); }
    // CATEGORY-<kind>: Category("OPERATOR"), Category("BAND") ...
    std::string_view Category(std::string_view kind) const;
    // The calls of every OPERATORS: line, split at blanks and commas.
    std::vector<std::string_view> Operators() const;
    // CLAIMED-SCORE: when it is a whole number.
    std::optional<int64_t> ClaimedScore() const;
};

// A file that is no Cabrillo log at all: empty (or blank), UTF-16, or
// without a START-OF-LOG: line, told apart as binary data (a zero byte), an
// ADIF log or other text.
struct NotCabrillo {
    std::string reason;
};

std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string_view bytes);
// The same without copying the bytes: the log keeps them.
std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string&& bytes);
inline std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(const char* bytes) {
    return ReadCabrillo(std::string_view(bytes));
}

}  // namespace zelk::logfile
