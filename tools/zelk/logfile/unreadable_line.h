// A line of a Cabrillo log that the reader could not read: where, why, of
// which kind, and what its fixed fields gave; and how commands say many of
// them. Part of the Cabrillo reader (cabrillo_reader.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/cabrillo_qso.h"

namespace zelk::logfile {

enum class UnreadableKind : uint8_t {
    kQsoLine,       // a QSO: or X-QSO: line that cannot be read
    kOtherContest,  // a QSO: or X-QSO: line whose exchange is no ZELK exchange
    kNoQsoLine,     // a line of the log that is no QSO line: no tag, a second START-OF-LOG:
    kAfterEnd,      // a line after END-OF-LOG:
};

// Whether the line is a QSO: or X-QSO: line, a contact that was not read.
inline bool IsQsoLine(UnreadableKind kind) {
    return kind == UnreadableKind::kQsoLine || kind == UnreadableKind::kOtherContest;
}

struct UnreadableLine {
    uint32_t line = 0;
    std::string reason;  // printable (Printable): control bytes and bytes that are no
                         // UTF-8 escaped, long texts cut
    UnreadableKind kind = UnreadableKind::kQsoLine;
    // Where a QSO line's fixed fields could be read (frequency, mode, date,
    // time, own call): its date and time as minutes since 1970-01-01 00:00
    // and its band, so that a partner's check can say that a line near that
    // time could not be read. Nullopt and kNoBand otherwise.
    std::optional<int64_t> minutes{};
    BandIndex band = kNoBand;
    CabrilloMode mode = CabrilloMode::kCw;  // read with the fixed fields
    bool xQso = false;                      // an X-QSO: line, which would never count
    // The worked call, in capitals, its bytes as the line holds them (make it
    // printable before a message quotes it), where it could be located: the field
    // after the sent exchange's coordinate, or, on a line of another
    // contest, the first field after the own call shaped like a call sign
    // (letters and digits with a letter before a digit and after it, and no
    // locator such as FN42AA). Empty otherwise.
    std::string call{};

    // "line 57: QSO: has 6 fields, ..."
    std::string Describe() const;
};

// The unreadable lines as a command lists them, in file order: each line by
// itself, but the lines of another contest, and the lines after END-OF-LOG:,
// where there are more than one, in one group per kind, so that a log of
// another contest is one line of output, not thousands.
struct UnreadableGroup {
    const UnreadableLine* first = nullptr;  // the line, or the first of the group
    std::size_t count = 1;

    // For a group of more than one line (one line is said by its Describe):
    // "32,279 QSO lines hold no ZELK exchange (first at line 12: no
    // coordinate in '599 05 DL1XYZ 599 14' after the own call)".
    std::string Summary() const;
};
// The groups point into `lines`.
std::vector<UnreadableGroup> GroupUnreadable(const std::vector<UnreadableLine>& lines);

// Why a QSO line of another contest is not read starts so; the rest names
// the fields that hold no coordinate.
inline constexpr std::string_view kNoZelkExchange = "no ZELK exchange: ";
// Why a line after END-OF-LOG: is not read starts so; the rest quotes it.
inline constexpr std::string_view kAfterEndOfLog = "after END-OF-LOG:, not part of the log: ";

}  // namespace zelk::logfile
