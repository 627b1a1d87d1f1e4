// The entrants' calls within a few edits of a call, found without measuring
// every entrant. Each entrant's call is indexed under every text it gives
// with up to `distance` characters deleted; two calls within `distance`
// edits (inserted, deleted or changed characters) always share such a text,
// each reduced by deletions of its own, so the entrants under the texts of
// the call asked about are the only candidates, and only they are measured.
// A call that would give too many texts (long calls at large distances) is
// measured against every entrant instead, as are the entrants' calls that
// would.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log/hashing.h"

namespace zelk::adjudication {

struct NearEntrant {
    uint32_t entrant = 0;
    int edits = 0;
};

class NearCalls {
  public:
    // `entrantCalls[i]` is entrant i's call.
    NearCalls(std::vector<std::string_view> entrantCalls, int distance);

    // The entrants whose calls lie 1 .. distance edits from `call`, in order
    // of entrant.
    std::vector<NearEntrant> Of(std::string_view call) const;

  private:
    std::vector<NearEntrant> Measured(std::string_view call,
                                      const std::vector<uint32_t>& entrants) const;

    std::vector<std::string_view> m_calls;
    int m_distance;
    std::unordered_map<std::string, std::vector<uint32_t>, TextHash, std::equal_to<>> m_byText;
    std::vector<uint32_t> m_unindexed;  // entrants whose calls give too many texts
};

}  // namespace zelk::adjudication
