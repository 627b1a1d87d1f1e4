// The second step: each line that takes part is looked for in its partner's
// log. Our lines with the partner's call on a band and the partner's lines
// with our call on that band are paired, the nearest in time first, within
// the time window; a line pairs with one line at most. The rule is the same
// from both sides, so each pair of logs is looked at once, from the entrant
// first in order. What each side copied is compared with what the other
// sent.
#include <algorithm>
#include <cstdlib>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

LineStatus Copied(const CheckedLine& ours, const CheckedLine& theirs) {
    return ours.receivedSerial == theirs.sentSerial &&
                   ours.receivedCoordinate == theirs.sentCoordinate
               ? LineStatus::kConfirmed
               : LineStatus::kBustedExchange;
}

// Pairs line `i` of entrant `a` with line `j` of entrant `b`: each names the
// other, and a line whose own log has not decided it takes its status.
void Pair(ContestCheck& contest, uint32_t a, uint32_t i, uint32_t b, uint32_t j) {
    Entrant& ours = contest.entrants[a];
    Entrant& theirs = contest.entrants[b];
    CheckedLine& x = ours.log.lines[i];
    CheckedLine& y = theirs.log.lines[j];
    x.match = theirs.firstLine + j;
    y.match = ours.firstLine + i;
    if (x.status == LineStatus::kPending) {
        x.status = Copied(x, y);
        x.decidedBy = x.match;
    }
    if (y.status == LineStatus::kPending) {
        y.status = Copied(y, x);
        y.decidedBy = y.match;
    }
}

struct Candidate {
    int64_t apart = 0;
    uint32_t ours = 0;  // places in the two runs of entries
    uint32_t theirs = 0;
    auto operator<=>(const Candidate&) const = default;
};

// Our run of lines with the partner's call on one band against the
// partner's run with ours: one line each, the common case, or the pairs
// within the window nearest first.
void PairRuns(ContestCheck& contest, uint32_t a, std::span<const PartnerIndex::Entry> ours,
              uint32_t b, std::span<const PartnerIndex::Entry> theirs,
              std::vector<Candidate>& candidates) {
    const int64_t window = contest.rules.timeWindowMinutes;
    const auto& x = contest.entrants[a].log.lines;
    const auto& y = contest.entrants[b].log.lines;
    if (ours.size() == 1 && theirs.size() == 1) {
        if (std::llabs(x[ours[0].line].minute - y[theirs[0].line].minute) <= window) {
            Pair(contest, a, ours[0].line, b, theirs[0].line);
        }
        return;
    }
    candidates.clear();
    for (uint32_t i = 0; i < ours.size(); ++i) {
        for (uint32_t j = 0; j < theirs.size(); ++j) {
            const int64_t apart = std::llabs(x[ours[i].line].minute - y[theirs[j].line].minute);
            if (apart <= window) {
                candidates.push_back({apart, i, j});
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const Candidate& c : candidates) {
        if (x[ours[c.ours].line].match == kNoLine && y[theirs[c.theirs].line].match == kNoLine) {
            Pair(contest, a, ours[c.ours].line, b, theirs[c.theirs].line);
        }
    }
}

}  // namespace

void MatchPartners(ContestCheck& contest, const PartnerIndex& index) {
    std::vector<Candidate> candidates;
    const auto entrants = static_cast<uint32_t>(contest.entrants.size());
    for (uint32_t a = 0; a < entrants; ++a) {
        ForEachKey(index.Of(a), [&](std::span<const PartnerIndex::Entry> ours) {
            // A call id below the entrants' count is an entrant's call; a
            // partner before us in order has looked at this pair already.
            const uint32_t b = PartnerIndex::CallOf(ours.front().key);
            const uint8_t band = PartnerIndex::BandOf(ours.front().key);
            if (b >= entrants || b <= a || band == logfile::kNoBand) {
                return;
            }
            const std::span<const PartnerIndex::Entry> theirs = index.Find(b, a, band);
            if (!theirs.empty()) {
                PairRuns(contest, a, ours, b, theirs, candidates);
            }
        });
    }
}

}  // namespace zelk::adjudication
