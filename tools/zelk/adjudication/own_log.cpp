// The first steps: every line indexed by its worked call and band, repeats
// included (which of a repeat's lines counts is decided once the partners
// have been looked at); then what each log says about itself: X-QSO lines,
// lines in other modes than CW, lines outside the contest period and a
// single-band entry's lines on other bands are set aside. They still pair.
#include <algorithm>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

bool KeyLess(const PartnerIndex::Entry& e, uint64_t key) {
    return e.key < key;
}

// By key, then the line's time, then its place in the file.
bool Before(const PartnerIndex::Entry& a, const PartnerIndex::Entry& b,
            const std::vector<CheckedLine>& lines) {
    if (a.key != b.key) {
        return a.key < b.key;
    }
    const CheckedLine& x = lines[a.line];
    const CheckedLine& y = lines[b.line];
    return x.minute != y.minute ? x.minute < y.minute : x.lineNumber < y.lineNumber;
}

}  // namespace

std::span<const PartnerIndex::Entry> PartnerIndex::Find(uint32_t entrant, uint32_t call,
                                                        uint8_t band) const {
    const std::span<const Entry> entries = Of(entrant);
    const uint64_t key = Key(call, band);
    const auto first = std::lower_bound(entries.begin(), entries.end(), key, KeyLess);
    // A run is one line, or a few where a log repeats a QSO: walked, not searched.
    auto last = first;
    while (last != entries.end() && last->key == key) {
        ++last;
    }
    return {first, last};
}

std::span<const PartnerIndex::Entry> PartnerIndex::WithCall(uint32_t entrant, uint32_t call) const {
    const std::span<const Entry> entries = Of(entrant);
    const auto first = std::lower_bound(entries.begin(), entries.end(), Key(call, 0), KeyLess);
    const auto last = std::lower_bound(first, entries.end(), Key(call + 1, 0), KeyLess);
    return {first, last};
}

void PartnerIndex::Reserve(std::size_t entries, std::size_t entrants) {
    m_entries.reserve(entries);
    m_begin.reserve(entrants + 1);
}

void PartnerIndex::AddEntrant(std::span<const Entry> entries) {
    m_entries.insert(m_entries.end(), entries.begin(), entries.end());
    m_begin.push_back(static_cast<uint32_t>(m_entries.size()));
}

void PartnerIndex::Resort(uint32_t entrant, const std::vector<CheckedLine>& lines) {
    const auto first = m_entries.begin() + m_begin[entrant];
    const auto last = m_entries.begin() + m_begin[entrant + 1];
    std::sort(first, last,
              [&lines](const Entry& a, const Entry& b) { return Before(a, b, lines); });
}

PartnerIndex IndexLines(const ContestCheck& contest) {
    PartnerIndex index;
    std::size_t lines = 0;
    for (const Entrant& entrant : contest.entrants) {
        lines += entrant.log.lines.size();
    }
    index.Reserve(lines, contest.entrants.size());
    std::vector<PartnerIndex::Entry> entries;
    for (const Entrant& entrant : contest.entrants) {
        const std::vector<CheckedLine>& lines = entrant.log.lines;
        entries.clear();
        for (uint32_t i = 0; i < lines.size(); ++i) {
            entries.push_back({PartnerIndex::Key(lines[i].call, lines[i].band), i});
        }
        std::sort(entries.begin(), entries.end(),
                  [&lines](const auto& a, const auto& b) { return Before(a, b, lines); });
        index.AddEntrant(entries);
    }
    return index;
}

void DecideOwnLogs(ContestCheck& contest) {
    const CheckRules& rules = contest.rules;
    for (Entrant& entrant : contest.entrants) {
        const logfile::BandIndex entryBand =
            entrant.log.category.EntryBand(contest.rules.categories);
        const bool singleBand =
            entrant.log.category.Of(CategoryPart::kBand) != "ALL" && entryBand != logfile::kNoBand;
        for (CheckedLine& line : entrant.log.lines) {
            if (line.xQso) {
                line.status = LineStatus::kXQso;
            } else if (line.mode != logfile::CabrilloMode::kCw) {
                line.status = LineStatus::kNotCw;
            } else if ((rules.start && line.minute < *rules.start) ||
                       (rules.end && line.minute >= *rules.end)) {
                line.status = LineStatus::kOutOfPeriod;
            } else if (singleBand && line.band != entryBand) {
                line.status = LineStatus::kOtherBand;
            }
        }
    }
}

}  // namespace zelk::adjudication
