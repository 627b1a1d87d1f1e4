// Reader for Cabrillo 3.0 contest logs, as our own writer and other loggers
// write them for this contest. It is the ground the log checker stands on:
// it reads every entrant's file once, fast, and keeps every line it cannot
// read, with its line number and why, instead of dropping it.
//
// The rules, where a file or a line may be written more than one way:
// - Lines end in CR LF, LF or a lone CR; the last line needs no end. A UTF-8
//   byte order mark is skipped. Tags match without regard to case; a tag's
//   value is kept as written, without the blanks around it.
// - Lines before START-OF-LOG: are ignored; blank lines (and a line that is
//   a DOS end-of-file mark, Ctrl-Z) are ignored. A log without END-OF-LOG:
//   is read to the end of the file (endLine stays 0). A second START-OF-LOG:
//   inside the log is unreadable. Every line after END-OF-LOG: but blank
//   ones is unreadable too: a file holds one log, and a second log pasted
//   after the first, or anything else there, is listed rather than dropped
//   unsaid.
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
//   longitude; a serial has one to six digits. East may be written E, as
//   English-language loggers write it (50N10E): the plug-in reads the
//   degrees only, so 50N10E scores as 50N10O, and the exchange is kept as
//   written, as the plug-in stores it.
// - The fixed fields (frequency, mode, date, time, own call) are read first.
//   A QSO line whose fields after the own call hold no coordinate at all is
//   a line of another contest: unreadable, of its own kind, so that commands
//   say such lines once per log rather than once per line. A typed exchange is split by
//   the plug-in's own rule (NormaliseReceivedExchange), which takes the last
//   two digits before N or S as the latitude and up to four digits as serial.
// - A QSO line holding a control byte other than tab is unreadable; header
//   values keep whatever bytes they hold.
// - A line that fits none of this is unreadable, with the first reason found.
//   Where its fixed fields and the worked call could be read, it is kept as
//   partly read too. The call is located before the exchanges are read; when
//   the sent exchange cannot be read (its coordinate broken, so that the
//   first coordinate found is the received one), the call is the last field
//   before that coordinate shaped like a call.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "logfile/cabrillo_qso.h"
#include "logfile/unreadable_line.h"

namespace zelk::logfile {

struct CabrilloTag {
    std::string_view name;  // upper case
    std::string_view value;
    uint32_t line = 0;
};

struct CabrilloLog {
    std::vector<CabrilloTag> tags;  // every tag line but QSO: and X-QSO:, in file order
    std::vector<CabrilloQso> qsos;  // QSO: and X-QSO: lines, in file order
    std::vector<UnreadableLine> unreadable;
    // Of the unreadable QSO lines of this contest, those whose fixed fields
    // and worked call could be read, as far as they were (sentRead and
    // receivedRead say which exchanges), in file order: the check still
    // pairs them with the partner's line. Each is in `unreadable` too.
    std::vector<CabrilloQso> partlyRead;
    uint32_t startLine = 0;  // of START-OF-LOG:
    uint32_t endLine = 0;    // of END-OF-LOG:; 0 when the log has none
    // The bytes every view above points into; copies of the log share them.
    std::shared_ptr<const std::string> text;

    // The first value of a tag (given in upper case); empty when it has none.
    std::string_view Value(std::string_view tag) const;
    // Whether the log has a line of the tag, empty or not.
    bool Has(std::string_view tag) const;
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

// A file that is no Cabrillo log at all: empty (or blank), UTF-16 (with a
// byte order mark, or without one where every other byte is zero), or
// without a START-OF-LOG: line, told apart as binary data (a zero byte), an
// ADIF log or other text.
struct NotCabrillo {
    std::string reason;
};

// Whether the bytes are UTF-16 text: they start with a byte order mark (FF FE
// or FE FF), or, of their first bytes, every other one is zero and the
// others are not (ASCII written as UTF-16 without a mark).
bool IsUtf16Text(std::string_view bytes);

std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string_view bytes);
// The same without copying the bytes: the log keeps them.
std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(std::string&& bytes);
inline std::variant<CabrilloLog, NotCabrillo> ReadCabrillo(const char* bytes) {
    return ReadCabrillo(std::string_view(bytes));
}

}  // namespace zelk::logfile
