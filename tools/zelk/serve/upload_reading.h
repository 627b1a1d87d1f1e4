// What an uploaded file is, as the receipt tells it: a Cabrillo log read
// with zelk's reader (or why it is none), the entrant's call as the contest
// check takes it, the header's problems, the lines that cannot be read, and
// the score as `zelk report --summary` computes it for the same file: the
// QSO lines mapped to the host's contacts, scored by the core's rules from
// the coordinate the log sent, with no contest folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zelk::serve {

// A remark on one line of the file (line 0: on the file as a whole).
struct LineNote {
    uint32_t line = 0;
    std::string text;

    bool operator==(const LineNote&) const = default;
};

struct UploadReading {
    std::string call;  // CALLSIGN: in capitals, else the own call of the first QSO line
    bool callFromQsoLines = false;
    std::string category;                 // the CATEGORY-* values, blank separated
    int64_t qsos = 0;                     // QSO: lines read (X-QSO: lines are not claimed)
    std::optional<int64_t> claimedScore;  // CLAIMED-SCORE:, when a whole number
    int64_t score = 0;                    // as zelk computes it
    std::string station;                  // the coordinate the log sent; empty without QSOs
    std::vector<LineNote> unreadable;     // lines that cannot be read, and why
    std::vector<LineNote> warnings;       // the header's problems, and contacts mapped
                                          // with a substitute value

    bool operator==(const UploadReading&) const = default;
};

// Why a file is refused, in a sentence for the person who sent it.
struct Refusal {
    std::string reason;
};

// Reads the bytes as a log for the contest `contestName` (the CONTEST: line
// is compared with it).
std::variant<UploadReading, Refusal> ReadUpload(std::string_view bytes,
                                                std::string_view contestName);

}  // namespace zelk::serve
