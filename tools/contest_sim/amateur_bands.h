// The amateur bands a single-band entry names (CATEGORY-BAND) and the
// scoring group of a frequency. The simulator keeps its own table: it is the
// check's oracle, so it takes nothing from the check.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zelk::sim {

struct AmateurBand {
    std::string_view designator;  // as CATEGORY-BAND names it
    int32_t lowKHz = 0;           // both edges belong to the band
    int32_t highKHz = 0;
};

inline constexpr std::array kCategoryBands{
    AmateurBand{"160M", 1800, 2000},  AmateurBand{"80M", 3500, 4000},
    AmateurBand{"40M", 7000, 7300},   AmateurBand{"20M", 14000, 14350},
    AmateurBand{"15M", 21000, 21450}, AmateurBand{"10M", 28000, 29700},
};

// The band of the table holding the frequency, or null.
const AmateurBand* CategoryBandOf(int32_t kHz);

// The scoring group of a contact in whole megahertz: its band's lower edge,
// or for a frequency in no band of the table the frequency itself.
int32_t GroupMHz(int32_t kHz);

}  // namespace zelk::sim
