// The stations of a simulated contest: call signs that look real, each at a
// position in whole degrees, and the edit distance that keeps calls apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "random.h"

namespace zelk::sim {

struct Station {
    std::string call;
    int32_t latitude = 0;    // whole degrees, north positive; |latitude| in 10..80
    int32_t longitude = 0;   // whole degrees, east positive
    std::string coordinate;  // as the plug-in writes it: "55N37O", "33S70W"
};

inline constexpr std::string_view kBonusCall = "ZELK";
inline constexpr std::string_view kPortable = "/P";  // a call's suffix when portable
inline constexpr int32_t kPolarLatitude = 66;

// "55N37O": the magnitudes with N/S and O/W, as the plug-in formats them.
std::string CoordinateText(int32_t latitude, int32_t longitude);

// Levenshtein distance: insertions, deletions and substitutions count one.
int EditDistance(std::string_view a, std::string_view b);

// The calls added so far, found by any text within two edits of them: every
// call is filed under each string left after deleting up to two of its
// characters, and two strings within two edits share such a string.
class NearCallIndex {
  public:
    void Add(std::string_view call, uint32_t id);
    // The ids of the added calls at most two edits from `text`.
    std::vector<uint32_t> Near(std::string_view text) const;

  private:
    std::unordered_map<uint64_t, std::vector<uint32_t>> m_byVariant;
    std::vector<std::string> m_calls;
};

// `count` stations with calls pairwise at least three edits apart: the first
// is ZELK, `polarCount` of them spread over the list lie at 66 degrees north
// or more, and the others at most at 65 north or 60 south.
std::vector<Station> MakeStations(Random& random, int count, int polarCount, NearCallIndex& index);

// A miscopy of `calls[id]`: one or two edits away from it, at least three from
// every other call, and not in `taken` (which it joins). Empty when no such
// miscopy turned up in a fair number of tries.
std::optional<std::string> BustCall(Random& random, const std::vector<Station>& stations,
                                    uint32_t id, const NearCallIndex& index,
                                    std::unordered_set<std::string>& taken);

}  // namespace zelk::sim
