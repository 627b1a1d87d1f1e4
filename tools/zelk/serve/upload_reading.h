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

// Of the unreadable lines and of the warnings, the first this many are kept
// and shown, and the rest counted: a file of junk lines costs a receipt of a
// few kilobytes, not one as large as the file.
inline constexpr std::size_t kNotesKept = 100;
// And of each note's text, this many bytes (cut where no UTF-8 sequence is
// split).
inline constexpr std::size_t kNoteCharacters = 300;

struct UploadReading {
    std::string call;  // CALLSIGN: in capitals, else the own call of the first QSO line
    bool callFromQsoLines = false;
    // As the check ranks it (adjudication's ReadCategory): "SINGLE-OP ALL LOW".
    std::string category;
    int64_t qsos = 0;                     // QSO: lines read (X-QSO: lines are not claimed)
    std::optional<int64_t> claimedScore;  // CLAIMED-SCORE:, when a whole number
    int64_t score = 0;                    // as zelk computes it
    std::string station;                  // the coordinate the log sent; empty without QSOs
    std::vector<LineNote> unreadable;     // the first lines that cannot be read, and why
    int64_t unreadableCount = 0;          // all of them
    std::vector<LineNote> warnings;       // the first of the header's problems and the
                                          // contacts mapped with a substitute value
    int64_t warningCount = 0;             // all of them
    // The CONTEST: line, when it names another contest than this one and
    // none of its other names (its line and its value); line 0 otherwise.
    LineNote otherContest;

    bool operator==(const UploadReading&) const = default;
};

// Why a file is refused, in a sentence for the person who sent it.
struct Refusal {
    std::string reason;
};

// The names a log's CONTEST: line may give for the contest: its name and
// the others it answers to (any case).
struct ContestNames {
    std::string name = "ZELK";
    std::vector<std::string> aliases;

    bool Match(std::string_view contest) const;
    // "ZELK (or ZELK-CW, ZELK-TEST)"
    std::string Text() const;
};

// Keeps `note` in `notes` when fewer than kNotesKept are there, its text cut
// to kNoteCharacters bytes; counts it in `count` anyway.
void KeepNote(std::vector<LineNote>& notes, int64_t& count, LineNote note);

// Reads the bytes as a log for the contest `contest` (the CONTEST: line is
// compared with its names).
std::variant<UploadReading, Refusal> ReadUpload(std::string_view bytes,
                                                const ContestNames& contest);

}  // namespace zelk::serve
