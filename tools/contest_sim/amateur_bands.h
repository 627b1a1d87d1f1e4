// The amateur bands a single-band entry names (CATEGORY-BAND), every
// amateur band up to 3 cm, and the scoring group of a frequency. The
// simulator keeps its own tables: it is the check's oracle, so it takes
// nothing from the check.
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

// Every amateur band up to 3 cm, edges as the ADIF band list gives them:
// a frequency in none of them is out of band.
inline constexpr std::array kAmateurBands{
    AmateurBand{"2190M", 136, 137},        AmateurBand{"630M", 472, 479},
    AmateurBand{"560M", 501, 504},         AmateurBand{"160M", 1800, 2000},
    AmateurBand{"80M", 3500, 4000},        AmateurBand{"60M", 5060, 5450},
    AmateurBand{"40M", 7000, 7300},        AmateurBand{"30M", 10100, 10150},
    AmateurBand{"20M", 14000, 14350},      AmateurBand{"17M", 18068, 18168},
    AmateurBand{"15M", 21000, 21450},      AmateurBand{"12M", 24890, 24990},
    AmateurBand{"10M", 28000, 29700},      AmateurBand{"8M", 40000, 45000},
    AmateurBand{"6M", 50000, 54000},       AmateurBand{"5M", 54001, 69900},
    AmateurBand{"4M", 70000, 71000},       AmateurBand{"2M", 144000, 148000},
    AmateurBand{"1.25M", 222000, 225000},  AmateurBand{"70CM", 420000, 450000},
    AmateurBand{"33CM", 902000, 928000},   AmateurBand{"23CM", 1240000, 1300000},
    AmateurBand{"13CM", 2300000, 2450000}, AmateurBand{"9CM", 3300000, 3500000},
    AmateurBand{"6CM", 5650000, 5925000},  AmateurBand{"3CM", 10000000, 10500000},
};

// The band of the category table holding the frequency, or null.
const AmateurBand* CategoryBandOf(int32_t kHz);
// The amateur band holding the frequency, or null.
const AmateurBand* AmateurBandOf(int32_t kHz);

// The scoring group of a contact in whole megahertz: its band's lower edge,
// or for a frequency in no band of the table the frequency itself.
int32_t GroupMHz(int32_t kHz);

}  // namespace zelk::sim
