// The claimed score of one log.
#include "claimed_score.h"

#include <cstdlib>

#include "stations.h"

namespace zelk::sim {

inline constexpr int64_t kPointsPerContact = 50;
inline constexpr int64_t kBonusCallPoints = 300;
inline constexpr int64_t kPolarPoints = 100;

int64_t ClaimedScore(int32_t ownLatitude, int32_t ownLongitude,
                     const std::vector<ClaimedContact>& contacts) {
    struct Band {
        int32_t megahertz = 0;
        bool bonusCall = false;
        bool polar = false;
    };
    std::vector<Band> bands;  // a handful: a linear search is the fastest
    int64_t score = 0;
    for (const ClaimedContact& c : contacts) {
        const int32_t megahertz = c.freqKHz / 1000;
        Band* band = nullptr;
        for (Band& b : bands) {
            if (b.megahertz == megahertz) {
                band = &b;
            }
        }
        if (band == nullptr) {
            band = &bands.emplace_back(Band{megahertz});
        }
        score += kPointsPerContact + std::abs(int64_t{ownLatitude} - c.latitude) +
                 std::abs(int64_t{ownLongitude} - c.longitude);
        band->bonusCall = band->bonusCall || c.call == kBonusCall;
        band->polar = band->polar || c.latitude >= kPolarLatitude;
    }
    for (const Band& b : bands) {
        score += (b.bonusCall ? kBonusCallPoints : 0) + (b.polar ? kPolarPoints : 0);
    }
    return score;
}

}  // namespace zelk::sim
