// Reading the category and checking the header.
#include "adjudication/log_header.h"

#include <algorithm>

#include "text/text.h"

namespace zelk::adjudication {

namespace {

const CategoryPartRule kRules[kCategoryParts] = {
    {"CATEGORY-OPERATOR", {"SINGLE-OP", "MULTI-OP", "MULTI-MULTI", "CHECKLOG"}, "SINGLE-OP"},
    {"CATEGORY-BAND", {"ALL", "160M", "80M", "40M", "20M", "15M", "10M"}, "ALL"},
    {"CATEGORY-POWER", {"HIGH", "LOW", "QRP"}, "HIGH"},
    {"CATEGORY-TRANSMITTER", {"ONE", "TWO", "UNLIMITED"}, "ONE"},
};

bool Known(const ContestCategories& known, CategoryPart part, std::string_view value) {
    const auto& values = known.values[static_cast<std::size_t>(part)];
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

const CategoryPartRule& RuleOf(CategoryPart part) {
    return kRules[static_cast<std::size_t>(part)];
}

logfile::BandIndex LogCategory::EntryBand(const ContestCategories& known) const {
    const std::string& band = Of(CategoryPart::kBand);
    if (band == "ALL" || !Known(known, CategoryPart::kBand, band)) {
        return logfile::kNoBand;
    }
    // "40M" is the ADIF band "40m".
    std::string name = band;
    name.back() = 'm';
    return logfile::BandOfName(name);
}

std::string LogCategory::RankedName() const {
    return Of(CategoryPart::kOperator) + " " + Of(CategoryPart::kBand) + " " +
           Of(CategoryPart::kPower);
}

std::array<std::pair<std::size_t, std::string_view>, 3> LogCategory::SortKey(
    const ContestCategories& known) const {
    std::array<std::pair<std::size_t, std::string_view>, 3> key;
    for (std::size_t p = 0; p < key.size(); ++p) {
        const auto& list = known.values[p];
        const auto at = std::find(list.begin(), list.end(), values[p]);
        key[p] = {static_cast<std::size_t>(at - list.begin()),
                  at == list.end() ? std::string_view(values[p]) : std::string_view()};
    }
    return key;
}

LogCategory ReadCategory(const logfile::CabrilloLog& log) {
    logfile::HeaderCategory header = logfile::ReadHeaderCategory(log);
    LogCategory category;
    category.version2Line = std::move(header.version2Line);
    const std::array<std::string*, kCategoryParts> read = {&header.op, &header.band, &header.power,
                                                           &header.transmitter};
    for (std::size_t p = 0; p < kCategoryParts; ++p) {
        category.defaulted[p] = read[p]->empty();
        category.values[p] = read[p]->empty() ? std::string(kRules[p].byDefault) : *read[p];
    }
    return category;
}

std::vector<std::string> HeaderNotes(const logfile::CabrilloLog& log, const LogCategory& category,
                                     std::string_view call) {
    std::vector<std::string> notes;
    std::string missing;
    std::string taken;
    std::size_t missingCount = 0;
    for (std::size_t p = 0; p < kCategoryParts; ++p) {
        const CategoryPartRule& rule = kRules[p];
        if (category.defaulted[p]) {
            missing += (missing.empty() ? "" : ", ") + std::string(rule.tag) + ":";
            ++missingCount;
            taken += (taken.empty() ? "" : " ") + std::string(rule.byDefault);
        }
    }
    if (!category.version2Line.empty()) {
        // Read from the one line: what it does not name is not a missing tag.
        std::string unnamed;
        for (std::size_t p = 0; p < kCategoryParts; ++p) {
            if (category.defaulted[p]) {
                std::string part(kRules[p].tag.substr(kRules[p].tag.find('-') + 1));
                std::transform(part.begin(), part.end(), part.begin(),
                               [](char c) { return static_cast<char>(c - 'A' + 'a'); });
                unnamed += (unnamed.empty() ? "" : ", ") + part;
            }
        }
        notes.insert(notes.begin(),
                     "the category is read from the Cabrillo 2.0 line CATEGORY: " +
                         Printable(category.version2Line, 200) +
                         (unnamed.empty() ? std::string()
                                          : "; it names no " + unnamed + ", taken as " + taken));
    } else if (!missing.empty()) {
        notes.insert(notes.begin(), "no " + missing + (missingCount == 1 ? " line" : " lines") +
                                        "; taken as " + taken);
    }
    // The QSO lines' own calls, of the lines that cannot be read too.
    const std::string_view written = log.Callsign();
    const std::size_t lines = log.qsos.size() + log.partlyRead.size();
    if (!written.empty() && lines != 0) {
        std::size_t unlike = 0;
        for (const auto* qsos : {&log.qsos, &log.partlyRead}) {
            for (const logfile::CabrilloQso& qso : *qsos) {
                unlike += qso.OwnCall() != call ? 1 : 0;
            }
        }
        if (unlike * 2 > lines) {
            notes.push_back("CALLSIGN: " + Printable(written) + " differs from the own call of " +
                            std::to_string(unlike) + " of its " + std::to_string(lines) +
                            " QSO lines");
        }
    }
    const std::string_view claimed = log.Value("CLAIMED-SCORE");
    if (!log.Has("CLAIMED-SCORE")) {
        notes.push_back("no CLAIMED-SCORE: line");
    } else if (claimed.empty()) {
        notes.push_back("CLAIMED-SCORE: is empty");
    } else if (!log.ClaimedScore()) {
        notes.push_back("CLAIMED-SCORE: " + Printable(claimed) + " is not a number");
    }
    return notes;
}

void AddUnknownCategoryNotes(const LogCategory& category, const ContestCategories& known,
                             std::vector<std::string>& notes) {
    // After the note on missing tags, which HeaderNotes puts first.
    auto at = notes.begin();
    if (!category.version2Line.empty() ||
        std::any_of(category.defaulted.begin(), category.defaulted.end(),
                    [](bool defaulted) { return defaulted; })) {
        ++at;
    }
    for (std::size_t p = 0; p < kCategoryParts; ++p) {
        const auto part = static_cast<CategoryPart>(p);
        if (!category.defaulted[p] && !Known(known, part, category.values[p])) {
            at =
                notes.insert(at, std::string(kRules[p].tag) + ": " + Printable(category.values[p]) +
                                     " is not a value of this contest; ranked under it as "
                                     "written") +
                1;
        }
    }
}

}  // namespace zelk::adjudication
