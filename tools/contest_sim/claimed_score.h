// The score an entrant's logger claims in its CLAIMED-SCORE line. This is the
// one place the simulator scores: it follows the plug-in's rules and is to be
// pointed at the core's plain scoring function once the core offers one.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zelk::sim {

// One CW QSO line as the logger scores it: the call and the coordinate as
// logged, the coordinate as the plug-in parses it (whole-degree magnitudes;
// the letters are not signs).
struct ClaimedContact {
    std::string_view call;
    int32_t freqKHz = 0;
    int32_t latitude = 0;
    int32_t longitude = 0;
};

// Per band in whole megahertz: 50 points a contact plus the latitude and
// longitude differences from the own station, 300 once when ZELK was worked
// there and 100 once when a station at 66 degrees or more was; the sum of
// the bands. Own coordinate as magnitudes too, as the plug-in keeps it.
int64_t ClaimedScore(int32_t ownLatitude, int32_t ownLongitude,
                     const std::vector<ClaimedContact>& contacts);

}  // namespace zelk::sim
