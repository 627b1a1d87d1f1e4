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

// Per entrant, its lines that count (CW, not X-QSO) and are no dupe, by
// worked call and band: at most one line per call and band.
class PartnerIndex {
  public:
    struct Entry {
        uint64_t key = 0;   // call id << 8 | band
        uint32_t line = 0;  // in the entrant's log
    };

    static uint64_t Key(uint32_t call, uint8_t band) { return uint64_t{call} << 8 | band; }

    // The entrant's line with `call` on `band`, or kNoLine.
    uint32_t Find(uint32_t entrant, uint32_t call, uint8_t band) const;
    // The entrant's lines with `call` on any band, by band.
    std::span<const Entry> WithCall(uint32_t entrant, uint32_t call) const;

    void Reserve(std::size_t entries, std::size_t entrants);
    // Adds the next entrant's entries (sorted by key, one per key).
    void AddEntrant(std::span<const Entry> entries);

  private:
    std::span<const Entry> Of(uint32_t entrant) const {
        return std::span(m_entries).subspan(m_begin[entrant],
                                            m_begin[entrant + 1] - m_begin[entrant]);
    }

    std::vector<Entry> m_entries;
    std::vector<uint32_t> m_begin{0};  // per entrant, and the end
};

// x_qso, not_cw and dupe, from each log alone; indexes the lines left.
PartnerIndex DecideOwnLogs(ContestCheck& contest);

// confirmed and busted_exchange: the partner's line on the band within the
// time window.
void MatchPartners(ContestCheck& contest, const PartnerIndex& index);

// busted_call, and partner_busted_call on the other side.
void FindBustedCalls(ContestCheck& contest, const PartnerIndex& index);

// nil, no_log_credited and unique, for every line still pending.
void DecideTheRest(ContestCheck& contest, const PartnerIndex& index);

// The counts of every status, the checked scores and the places.
void ScoreEntrants(ContestCheck& contest);

// The group `zelk score` gives a line: its frequency in whole megahertz, for
// a band designator its band's lower edge. The texts stay put for the
// contacts that point into them.
class GroupTexts {
  public:
    std::string_view Of(const CheckedLine& line);

  private:
    std::unordered_map<uint64_t, std::string> m_texts;
};

// A credited line as the checked score takes it: the worked call, the group
// and the received exchange, pointing into `contest` and `groups`.
ScoredContact ScoredLine(const ContestCheck& contest, const CheckedLine& line, GroupTexts& groups);

}  // namespace zelk::adjudication
