// The steps of the contest check, in the order CheckContest runs them, and
// the index they share. Each step decides the lines the ones before it left
// pending.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "adjudication/contest_check.h"

namespace zelk::adjudication {

// Every line takes part in pairing, whatever its status will be: an
// unreadable (but partly read), X-QSO, non-CW, out-of-period, out-of-band or
// other-band line still confirms the partner's line (the partner is not to
// blame for our typo, mode, hours or entry), and a repeat's lines pair too
// (the line the partner backs is then the one that counts).

// Per entrant, its lines that take part in pairing, by worked call and band,
// then by time: several lines per call and band where the log repeats a QSO.
class PartnerIndex {
  public:
    struct Entry {
        uint64_t key = 0;   // call id << 8 | band
        uint32_t line = 0;  // in the entrant's log
    };

    static uint64_t Key(uint32_t call, uint8_t band) { return uint64_t{call} << 8 | band; }
    static uint32_t CallOf(uint64_t key) { return static_cast<uint32_t>(key >> 8); }
    static uint8_t BandOf(uint64_t key) { return static_cast<uint8_t>(key & 0xFF); }

    // The entrant's lines with `call` on `band`, earliest first.
    std::span<const Entry> Find(uint32_t entrant, uint32_t call, uint8_t band) const;
    // The entrant's lines with `call` on any band, by band.
    std::span<const Entry> WithCall(uint32_t entrant, uint32_t call) const;
    // All the entrant's lines that take part, by key, then time.
    std::span<const Entry> Of(uint32_t entrant) const {
        return std::span(m_entries).subspan(m_begin[entrant],
                                            m_begin[entrant + 1] - m_begin[entrant]);
    }

    void Reserve(std::size_t entries, std::size_t entrants);
    // Adds the next entrant's entries, sorted by key, then time.
    void AddEntrant(std::span<const Entry> entries);
    // Sorts the entrant's entries again, by key, then by the lines' times.
    void Resort(uint32_t entrant, const std::vector<CheckedLine>& lines);

  private:
    std::vector<Entry> m_entries;
    std::vector<uint32_t> m_begin{0};  // per entrant, and the end
};

// The runs of equal keys in an entrant's entries, each handed to `visit`.
template <typename Visit>
void ForEachKey(std::span<const PartnerIndex::Entry> entries, Visit&& visit) {
    for (std::size_t first = 0; first < entries.size();) {
        std::size_t last = first + 1;
        while (last < entries.size() && entries[last].key == entries[first].key) {
            ++last;
        }
        visit(entries.subspan(first, last - first));
        first = last;
    }
}

// Indexes every line of every log by its worked call and band.
PartnerIndex IndexLines(const ContestCheck& contest);

// Each log's clock, once the lines are paired with their times as logged:
// where the pairs of its lines with partners' lines that match in everything
// but time show it off by more than the time window, its lines' times are
// corrected (clocks.cpp states the rule) and the index's runs of the log
// sorted again. True when a clock was corrected: the lines must then be
// decided and paired again.
bool CorrectClocks(ContestCheck& contest, PartnerIndex& index);

// Every line back to pending and unpaired.
void ForgetDecisions(ContestCheck& contest);

// unreadable, x_qso, not_cw, out_of_period, out_of_band and other_band,
// from each log alone.
void DecideOwnLogs(ContestCheck& contest);

// confirmed and busted_exchange: each line paired with the partner's line
// with our call on the band within the time window, the nearest in time
// first; then a line whose frequency lies in no band with the partner's
// line on any band.
void MatchPartners(ContestCheck& contest, const PartnerIndex& index);

// confirmed when `ours` copied the serial (as a number) and the coordinate
// that `theirs` sent, else busted_exchange; confirmed too where what
// `theirs` sent could not be read (the copy is then not judged).
LineStatus JudgeCopy(const CheckedLine& ours, const CheckedLine& theirs);

// Pairs two lines (contest-wide numbers): each names the other, and a line
// whose own log has not decided it is judged by its copy of what the other
// sent.
void PairLines(ContestCheck& contest, uint32_t first, uint32_t second);
// The same, for lines at hand: `x` is line `first`, `y` line `second`.
void PairLines(ContestCheck& contest, CheckedLine& x, uint32_t first, CheckedLine& y,
               uint32_t second);

// ContestCheck::appearances: per call, the logs that hold it in a readable
// CW QSO: line.
void CountAppearances(ContestCheck& contest);

// busted_call, and on the other side partner_busted_call (or
// busted_exchange, where that side miscopied the exchange), among the lines
// left unpaired.
void FindBustedCalls(ContestCheck& contest, const PartnerIndex& index);

// dupe: of a log's lines with one call on one band, the earliest that the
// partner's log backs counts, else the earliest; the others are dupes.
void DecideDupes(ContestCheck& contest, const PartnerIndex& index);

// nil, no_log_credited and unique, for every line still pending; and
// busted_exchange where the logs that worked a call without a log agree on
// a coordinate the line's copy differs from.
void DecideTheRest(ContestCheck& contest, const PartnerIndex& index);

// What the organiser reviews: how many NILs each log cost the others, and
// the calls without a log that at least kLeastLogsOfAMissingLog logs hold.
void ReviewForTheOrganiser(ContestCheck& contest);

// The adjudicator's decisions on single lines (CheckRules::decisions),
// applied to the lines they name; the others kept aside as stale.
void ApplyDecisions(ContestCheck& contest);

// The counts of every status, the checked scores, the places overall and
// within each category (check logs are scored, not ranked).
void ScoreEntrants(ContestCheck& contest);

// The group `zelk score` gives a line: its frequency in whole megahertz, for
// a band designator its band's lower edge. The texts stay put for the
// contacts that point into them.
class GroupTexts {
  public:
    std::string_view Of(const CheckedLine& line);

  private:
    std::vector<std::string> m_byBand;                  // a band's text, once asked for
    std::unordered_map<uint64_t, std::string> m_texts;  // by megahertz, of frequencies in no band
};

// A credited line as the checked score takes it: the worked call, the group
// and the received exchange, pointing into `contest` and `groups`.
ScoredContact ScoredLine(const ContestCheck& contest, const CheckedLine& line, GroupTexts& groups);

}  // namespace zelk::adjudication
