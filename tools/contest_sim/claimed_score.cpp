// The claimed score of one log, by the core's scoring function.
#include "claimed_score.h"

#include <string>

#include "scoring/score.h"

namespace zelk::sim {

int64_t ClaimedScore(int32_t ownLatitude, int32_t ownLongitude,
                     const std::vector<ClaimedContact>& contacts) {
    // The texts the plug-in keeps for a contact: the group, and the received
    // exchange (serial, blank, coordinate), of which scoring reads the
    // coordinate only.
    std::vector<std::string> groups;
    std::vector<std::string> exchanges;
    groups.reserve(contacts.size());
    exchanges.reserve(contacts.size());
    std::vector<ScoredContact> scored;
    scored.reserve(contacts.size());
    for (const ClaimedContact& c : contacts) {
        groups.push_back(std::to_string(c.freqKHz / 1000));
        exchanges.push_back("001 " + FormatCoordinate(c.latitude, c.longitude));
        scored.push_back({c.call, groups.back(), exchanges.back()});
    }
    return ScoreContacts(scored, Coordinate{ownLatitude, ownLongitude}).claimedScore;
}

}  // namespace zelk::sim
