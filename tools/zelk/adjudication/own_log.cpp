// The first step: what each log says about itself. X-QSO lines and lines in
// other modes than CW are set aside; every line that takes part in pairing
// goes into the index the partners are found by, repeats included: which of
// a repeat's lines counts is decided once the partners have been looked at.
#include <algorithm>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

bool KeyLess(const PartnerIndex::Entry& e, uint64_t key) {
    return e.key < key;
}

}  // namespace

std::span<const PartnerIndex::Entry> PartnerIndex::Find(uint32_t entrant, uint32_t call,
                                                        uint8_t band) const {
    const std::span<const Entry> entries = Of(entrant);
    const uint64_t key = Key(call, band);
    const auto first = std::lower_bound(entries.begin(), entries.end(), key, KeyLess);
    const auto last = std::lower_bound(first, entries.end(), key + 1, KeyLess);
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

PartnerIndex DecideOwnLogs(ContestCheck& contest) {
    PartnerIndex index;
    std::size_t lines = 0;
    for (const Entrant& entrant : contest.entrants) {
        lines += entrant.log.lines.size();
    }
    index.Reserve(lines, contest.entrants.size());
    std::vector<PartnerIndex::Entry> entries;
    for (Entrant& entrant : contest.entrants) {
        std::vector<CheckedLine>& lines = entrant.log.lines;
        entries.clear();
        for (uint32_t i = 0; i < lines.size(); ++i) {
            CheckedLine& line = lines[i];
            if (line.xQso) {
                line.status = LineStatus::kXQso;
            } else if (!line.Counts()) {
                line.status = LineStatus::kNotCw;
            }
            if (TakesPart(line)) {
                entries.push_back({PartnerIndex::Key(line.call, line.band), i});
            }
        }
        std::sort(entries.begin(), entries.end(), [&lines](const auto& a, const auto& b) {
            if (a.key != b.key) {
                return a.key < b.key;
            }
            const CheckedLine& x = lines[a.line];
            const CheckedLine& y = lines[b.line];
            return x.minute != y.minute ? x.minute < y.minute : x.lineNumber < y.lineNumber;
        });
        index.AddEntrant(entries);
    }
    return index;
}

}  // namespace zelk::adjudication
