// Scores by the contest's own scoring function, ScoreContacts of the core:
// the score an entrant's logger claims in its CLAIMED-SCORE line (its CW QSO
// lines grouped by frequency in whole megahertz, as `zelk score` groups),
// and the score of lines grouped by amateur band, which the checked score
// is. This is the one place the simulator scores.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zelk::sim {

// One CW QSO line as the logger scores it: the call as logged, and the
// coordinate as logged, given as the magnitudes the plug-in reads from a
// coordinate text (the letters are not signs).
struct ClaimedContact {
    std::string_view call;
    int32_t freqKHz = 0;
    int32_t latitude = 0;
    int32_t longitude = 0;
};

// The score of the contacts from the own station (magnitudes too, as the
// plug-in keeps a stored coordinate).
int64_t ClaimedScore(int32_t ownLatitude, int32_t ownLongitude,
                     const std::vector<ClaimedContact>& contacts);

// The same with each contact in the group of its amateur band's lower edge
// in whole megahertz (GroupMHz).
int64_t BandGroupedScore(int32_t ownLatitude, int32_t ownLongitude,
                         const std::vector<ClaimedContact>& contacts);

}  // namespace zelk::sim
