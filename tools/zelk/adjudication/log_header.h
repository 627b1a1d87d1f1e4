// What a log's header says of its entry, as the results rank it: the
// category (CATEGORY-OPERATOR, -BAND, -POWER, -TRANSMITTER, read in any
// letter case, or Cabrillo 2.0's CATEGORY: line where the log has none of
// them, by logfile::ReadHeaderCategory; the values the contest knows are the
// rules file's, by default those the plug-in's header dialog offers), and what
// the organiser is told of the header: a tag missing (its default taken), a
// value the contest does not know (the log is ranked under it as written),
// CALLSIGN: unlike the own call of most QSO lines, CLAIMED-SCORE: missing or
// no number.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "adjudication/contest_categories.h"
#include "logfile/bands.h"
#include "logfile/cabrillo_category.h"
#include "logfile/cabrillo_reader.h"

namespace zelk::adjudication {

// The four parts of a category, in the order the results rank them:
// operator, then band, then power; the transmitter is told, not ranked.
enum class CategoryPart : uint8_t { kOperator, kBand, kPower, kTransmitter };
inline constexpr std::size_t kCategoryParts = 4;

// The tag ("CATEGORY-OPERATOR"), the values the contest knows in the order
// the results list them, and the default a log without the tag takes.
struct CategoryPartRule {
    std::string_view tag;
    std::vector<std::string_view> values;
    std::string_view byDefault;
};
const CategoryPartRule& RuleOf(CategoryPart part);

inline constexpr std::string_view kCheckLog = "CHECKLOG";

struct LogCategory {
    std::array<std::string, kCategoryParts> values;  // in capitals
    std::array<bool, kCategoryParts> defaulted{};    // the tag was missing
    std::string version2Line;  // the Cabrillo 2.0 CATEGORY: line it was read from, if it was

    const std::string& Of(CategoryPart part) const {
        return values[static_cast<std::size_t>(part)];
    }
    bool IsCheckLog() const { return Of(CategoryPart::kOperator) == kCheckLog; }
    // The band of a single-band entry; kNoBand for ALL or a value the
    // contest does not know.
    logfile::BandIndex EntryBand(const ContestCategories& known) const;
    // "SINGLE-OP 40M LOW": the parts the results rank by.
    std::string RankedName() const;
    // Where the category sorts among the others, part by part (operator,
    // band, power): its place in the part's list, values the contest does
    // not know after them, by their text.
    std::array<std::pair<std::size_t, std::string_view>, 3> SortKey(
        const ContestCategories& known) const;
};

LogCategory ReadCategory(const logfile::CabrilloLog& log);

// What the organiser is told about a log's header, one sentence each; the
// category's values the contest does not know are told by
// UnknownCategoryNotes, once the contest's categories are known.
std::vector<std::string> HeaderNotes(const logfile::CabrilloLog& log, const LogCategory& category,
                                     std::string_view call);

// "CATEGORY-POWER: MEDIUM is not a value of this contest; ranked under it as
// written", for each part whose value `known` does not hold, in the notes
// after the one on missing tags.
void AddUnknownCategoryNotes(const LogCategory& category, const ContestCategories& known,
                             std::vector<std::string>& notes);

}  // namespace zelk::adjudication
