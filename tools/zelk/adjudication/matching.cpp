// The second step: each line that counts is looked for in its partner's log.
// The partner's line with our call on the band, if it lies within the time
// window, matches ours (and ours matches it: the rule is the same from both
// sides), and what we copied is compared with what the partner sent.
#include <cstdlib>

#include "check_steps.h"

namespace zelk::adjudication {

void MatchPartners(ContestCheck& contest, const PartnerIndex& index) {
    const int64_t window = contest.rules.timeWindowMinutes;
    for (uint32_t a = 0; a < contest.entrants.size(); ++a) {
        for (CheckedLine& line : contest.entrants[a].log.lines) {
            // A call id below the entrants' count is an entrant's call.
            if (line.status != LineStatus::kPending || line.call >= contest.entrants.size() ||
                line.call == a || line.band == host::kNoBand) {
                continue;
            }
            const Entrant& partner = contest.entrants[line.call];
            const uint32_t found = index.Find(line.call, a, line.band);
            if (found == kNoLine) {
                continue;
            }
            const CheckedLine& theirs = partner.log.lines[found];
            if (std::llabs(theirs.minute - line.minute) > window) {
                continue;
            }
            const bool copied = line.receivedSerial == theirs.sentSerial &&
                                line.receivedCoordinate == theirs.sentCoordinate;
            line.status = copied ? LineStatus::kConfirmed : LineStatus::kBustedExchange;
            line.decidedBy = partner.firstLine + found;
        }
    }
}

}  // namespace zelk::adjudication
