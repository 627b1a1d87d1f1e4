// The second step: each line that takes part is looked for in its partner's
// log. The partner is the entrant that sends the call we logged; a line of
// ours and a line of the partner's are the two sides of one QSO when each
// logged the call the other's line sent (the own call of a QSO line is the
// call sent on the air, so DL1ABC/P is matched as DL1ABC/P, not as the
// header's DL1ABC). Our lines with the partner's call on a band and the
// partner's lines with our call on that band are paired, the nearest in
// time first, within the time window; a line pairs with one line at most.
// The rule is the same from both sides, so each pair of logs is looked at
// once, from the entrant first in order. Then a line whose frequency lies in
// no band looks for its partner without the band. What each side copied is
// compared with what the other sent.
#include <algorithm>
#include <cstdlib>

#include "adjudication/check_steps.h"

namespace zelk::adjudication {

namespace {

// Whether two lines name each other: each logged the call the other sent.
bool NameEachOther(const CheckedLine& x, const CheckedLine& y) {
    return x.call == y.ownCall && y.call == x.ownCall;
}

struct Candidate {
    int64_t apart = 0;
    uint32_t ours = 0;  // places in the two runs of entries, or contest-wide line numbers
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
    auto& x = contest.entrants[a].log.lines;
    auto& y = contest.entrants[b].log.lines;
    const uint32_t first = contest.entrants[a].firstLine;
    const uint32_t partnerFirst = contest.entrants[b].firstLine;
    if (ours.size() == 1 && theirs.size() == 1) {
        CheckedLine& mine = x[ours[0].line];
        CheckedLine& other = y[theirs[0].line];
        if (NameEachOther(mine, other) && mine.match == kNoLine && other.match == kNoLine &&
            std::llabs(mine.minute - other.minute) <= window) {
            PairLines(contest, mine, first + ours[0].line, other, partnerFirst + theirs[0].line);
        }
        return;
    }
    candidates.clear();
    for (uint32_t i = 0; i < ours.size(); ++i) {
        for (uint32_t j = 0; j < theirs.size(); ++j) {
            const CheckedLine& mine = x[ours[i].line];
            const CheckedLine& other = y[theirs[j].line];
            const int64_t apart = std::llabs(mine.minute - other.minute);
            if (apart <= window && NameEachOther(mine, other)) {
                candidates.push_back({apart, i, j});
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const Candidate& c : candidates) {
        CheckedLine& mine = x[ours[c.ours].line];
        CheckedLine& other = y[theirs[c.theirs].line];
        if (mine.match == kNoLine && other.match == kNoLine) {
            PairLines(contest, mine, first + ours[c.ours].line, other,
                      partnerFirst + theirs[c.theirs].line);
        }
    }
}

// A line whose frequency lies in no band, unpaired, against the partner's
// unpaired lines with the two calls on any band within the window: every
// such pair of lines, nearest first, each line in one pair at most.
void PairWithoutBand(ContestCheck& contest, const PartnerIndex& index) {
    const int64_t window = contest.rules.timeWindowMinutes;
    std::vector<Candidate> candidates;
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        const Entrant& ours = contest.entrants[a];
        for (uint32_t i = 0; i < ours.log.lines.size(); ++i) {
            const CheckedLine& line = ours.log.lines[i];
            const uint32_t b = contest.SenderOf(line.call);
            if (line.band != logfile::kNoBand || line.match != kNoLine ||
                b == ContestCheck::kNoEntrant || b == a) {
                continue;
            }
            const Entrant& theirs = contest.entrants[b];
            for (const PartnerIndex::Entry& entry : index.WithCall(b, line.ownCall)) {
                const CheckedLine& other = theirs.log.lines[entry.line];
                const int64_t apart = std::llabs(other.minute - line.minute);
                if (other.match == kNoLine && apart <= window && NameEachOther(line, other) &&
                    contest.SenderOf(other.call) == a) {
                    // From either side the same pair: its lower number first.
                    const uint32_t x = ours.firstLine + i;
                    const uint32_t y = theirs.firstLine + entry.line;
                    candidates.push_back({apart, std::min(x, y), std::max(x, y)});
                }
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const Candidate& c : candidates) {
        if (contest.LineAt(c.ours).match == kNoLine && contest.LineAt(c.theirs).match == kNoLine) {
            PairLines(contest, c.ours, c.theirs);
        }
    }
}

}  // namespace

LineStatus JudgeCopy(const CheckedLine& ours, const CheckedLine& theirs) {
    if (!theirs.sentRead) {
        return LineStatus::kConfirmed;
    }
    return ours.receivedSerial == theirs.sentSerial &&
                   ours.receivedCoordinate == theirs.sentCoordinate
               ? LineStatus::kConfirmed
               : LineStatus::kBustedExchange;
}

void PairLines(ContestCheck& contest, uint32_t first, uint32_t second) {
    PairLines(contest, contest.LineAt(first), first, contest.LineAt(second), second);
}

void PairLines(ContestCheck&, CheckedLine& x, uint32_t first, CheckedLine& y, uint32_t second) {
    x.match = second;
    y.match = first;
    if (x.status == LineStatus::kPending) {
        x.status = JudgeCopy(x, y);
        x.decidedBy = second;
    }
    if (y.status == LineStatus::kPending) {
        y.status = JudgeCopy(y, x);
        y.decidedBy = first;
    }
}

void MatchPartners(ContestCheck& contest, const PartnerIndex& index) {
    std::vector<Candidate> candidates;
    const auto entrants = static_cast<uint32_t>(contest.entrants.size());
    for (uint32_t a = 0; a < entrants; ++a) {
        const std::vector<uint32_t>& sent = contest.entrants[a].sentCalls;
        ForEachKey(index.Of(a), [&](std::span<const PartnerIndex::Entry> ours) {
            // A partner before us in order has looked at this pair already.
            const uint32_t b = contest.SenderOf(PartnerIndex::CallOf(ours.front().key));
            const uint8_t band = PartnerIndex::BandOf(ours.front().key);
            if (b == ContestCheck::kNoEntrant || b <= a || band == logfile::kNoBand) {
                return;
            }
            // The partner's lines that logged a call we sent: mostly one
            // call. A call that names another entrant (its CALLSIGN:, or
            // sent by one before us) is that entrant's to pair.
            for (uint32_t call : sent) {
                if (contest.SenderOf(call) != a) {
                    continue;
                }
                const std::span<const PartnerIndex::Entry> theirs = index.Find(b, call, band);
                if (!theirs.empty()) {
                    PairRuns(contest, a, ours, b, theirs, candidates);
                }
            }
        });
    }
    PairWithoutBand(contest, index);
}

}  // namespace zelk::adjudication
