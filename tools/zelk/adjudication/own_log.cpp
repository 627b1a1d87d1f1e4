// The first steps: every line indexed by its worked call and band, repeats
// included (which of a repeat's lines counts is decided once the partners
// have been looked at); then what each log says about itself: lines that
// cannot be read (but whose fixed fields and call could), X-QSO lines, lines
// in other modes than CW, lines outside the contest period, lines whose
// frequency lies in no band and a single-band entry's lines on other bands
// are set aside. They still pair.
#include <algorithm>
#include <span>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

bool KeyLess(const PartnerIndex::Entry& e, uint64_t key) {
    return e.key < key;
}

// A run of one key's entries (lines with one call on one band) by the
// lines' times, then their places in the file.
void SortByTime(std::span<PartnerIndex::Entry> run, const std::vector<CheckedLine>& lines) {
    std::sort(run.begin(), run.end(), [&lines](const auto& a, const auto& b) {
        const CheckedLine& x = lines[a.line];
        const CheckedLine& y = lines[b.line];
        return x.minute != y.minute ? x.minute < y.minute : x.lineNumber < y.lineNumber;
    });
}

// By key, then time. Sorted by key and place first (plain numbers, no look
// at the lines), then each run of a repeated key by time: runs are one
// entry but for a log's repeats.
void SortByKeyThenTime(std::span<PartnerIndex::Entry> entries,
                       const std::vector<CheckedLine>& lines) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.key != b.key ? a.key < b.key : a.line < b.line;
    });
    for (std::size_t first = 0; first < entries.size();) {
        std::size_t last = first + 1;
        while (last < entries.size() && entries[last].key == entries[first].key) {
            ++last;
        }
        if (last - first > 1) {
            SortByTime(entries.subspan(first, last - first), lines);
        }
        first = last;
    }
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
    SortByKeyThenTime(
        std::span(m_entries).subspan(m_begin[entrant], m_begin[entrant + 1] - m_begin[entrant]),
        lines);
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
        SortByKeyThenTime(entries, lines);
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
            if (line.unreadable) {
                line.status = LineStatus::kUnreadable;
            } else if (line.xQso) {
                line.status = LineStatus::kXQso;
            } else if (line.mode != logfile::CabrilloMode::kCw) {
                line.status = LineStatus::kNotCw;
            } else if ((rules.start && line.minute < *rules.start) ||
                       (rules.end && line.minute >= *rules.end)) {
                line.status = LineStatus::kOutOfPeriod;
            } else if (line.band == logfile::kNoBand) {
                line.status = LineStatus::kOutOfBand;
            } else if (singleBand && line.band != entryBand) {
                line.status = LineStatus::kOtherBand;
            }
        }
    }
}

}  // namespace zelk::adjudication
