// The second step: each line that counts is looked for in its partner's log.
// The partner's line with our call on the band, if it lies within the time
// window, matches ours, and ours matches it: the rule is the same from both
// sides, so each pair of logs is looked at once, from the entrant first in
// order, and both lines are decided together. What each side copied is
// compared with what the other sent.
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

}  // namespace

void MatchPartners(ContestCheck& contest, const PartnerIndex& index) {
    const int64_t window = contest.rules.timeWindowMinutes;
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        Entrant& entrant = contest.entrants[a];
        for (uint32_t i = 0; i < entrant.log.lines.size(); ++i) {
            CheckedLine& line = entrant.log.lines[i];
            // A call id below the entrants' count is an entrant's call; a
            // partner before us in order has looked at this pair already.
            if (line.status != LineStatus::kPending || line.call >= contest.entrants.size() ||
                line.call <= a || line.band == logfile::kNoBand) {
                continue;
            }
            Entrant& partner = contest.entrants[line.call];
            const uint32_t found = index.Find(line.call, a, line.band);
            if (found == kNoLine) {
                continue;
            }
            CheckedLine& theirs = partner.log.lines[found];
            if (std::llabs(theirs.minute - line.minute) > window) {
                continue;
            }
            line.status = Copied(line, theirs);
            line.decidedBy = partner.firstLine + found;
            theirs.status = Copied(theirs, line);
            theirs.decidedBy = entrant.firstLine + i;
        }
    }
}

}  // namespace zelk::adjudication
