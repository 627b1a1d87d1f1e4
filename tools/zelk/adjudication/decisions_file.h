// The adjudicator's decisions file (zelk adjudicate --overrides FILE, or
// `overrides` in the rules file): CSV as a spreadsheet writes it, one
// decision a line,
//
//     call,line,verdict,reason
//     RK7P,21,credit,"RK3BMW sent a check log after the deadline, with this QSO"
//
// The first line may be that header. `line` is the line number in that
// entrant's log file, `verdict` is credit or deny (any case), the reason is
// shown in the entrant's report. A field may be quoted (RFC 4180: a quote
// inside doubled, commas inside kept) but not span lines; blanks around a
// field are dropped; blank lines and lines whose first character (blanks
// aside) is # are skipped. One call and line given twice with one verdict is
// kept once; with two verdicts it is a fault.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "adjudication/line_status.h"

namespace zelk::adjudication {

// The largest decisions file read.
inline constexpr std::uintmax_t kMaxDecisionsBytes = std::uintmax_t{16} << 20;

// The decisions of a decisions file's text, in file order, each with its
// source ("overrides.csv line 4": the file's name and the line). On a
// fault, what is wrong: "overrides.csv line 4: verdict: \"maybe\" is neither
// credit nor deny"; `file` names the file there as given.
std::variant<std::vector<Decision>, std::string> ReadDecisionsText(
    std::string_view text, const std::filesystem::path& file);

// The same, from the file; a file that cannot be read is named with the
// system's reason.
std::variant<std::vector<Decision>, std::string> ReadDecisionsFile(
    const std::filesystem::path& file);

}  // namespace zelk::adjudication
