// Scores of lists of contacts, by the core's scoring function.
#include "claimed_score.h"

#include <string>

#include "amateur_bands.h"
#include "scoring/score.h"

namespace zelk::sim {
namespace {

template <typename Group>
int64_t Score(int32_t ownLatitude, int32_t ownLongitude,
              const std::vector<ClaimedContact>& contacts, Group group) {
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
        groups.push_back(std::to_string(group(c.freqKHz)));
        exchanges.push_back("001 " + FormatCoordinate(c.latitude, c.longitude));
        scored.push_back({c.call, groups.back(), exchanges.back()});
    }
    return ScoreContacts(scored, Coordinate{ownLatitude, ownLongitude}).claimedScore;
}

}  // namespace

int64_t ClaimedScore(int32_t ownLatitude, int32_t ownLongitude,
                     const std::vector<ClaimedContact>& contacts) {
    return Score(ownLatitude, ownLongitude, contacts, [](int32_t kHz) { return kHz / 1000; });
}

int64_t BandGroupedScore(int32_t ownLatitude, int32_t ownLongitude,
                         const std::vector<ClaimedContact>& contacts) {
    return Score(ownLatitude, ownLongitude, contacts, GroupMHz);
}

}  // namespace zelk::sim
