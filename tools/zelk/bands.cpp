// The band table: the ADIF band enumeration with each band's edges, and the
// Cabrillo designators that name the bands from 50 MHz up.
#include "bands.h"

#include <algorithm>
#include <array>

#include "text.h"

namespace zelk::host {

namespace {

constexpr std::array kBands{
    Band{"2190M", "", 135, 138},
    Band{"630M", "", 472, 479},
    Band{"560M", "", 501, 504},
    Band{"160M", "", 1800, 2000},
    Band{"80M", "", 3500, 4000},
    Band{"60M", "", 5060, 5450},
    Band{"40M", "", 7000, 7300},
    Band{"30M", "", 10100, 10150},
    Band{"20M", "", 14000, 14350},
    Band{"17M", "", 18068, 18168},
    Band{"15M", "", 21000, 21450},
    Band{"12M", "", 24890, 24990},
    Band{"10M", "", 28000, 29700},
    Band{"8M", "", 40000, 45000},
    Band{"6M", "50", 50000, 54000},
    // 5 m starts just above 54 MHz, where 6 m ends.
    Band{"5M", "", 54001, 69900},
    Band{"4M", "70", 70000, 71000},
    Band{"2M", "144", 144000, 148000},
    Band{"1.25M", "222", 222000, 225000},
    Band{"70CM", "432", 420000, 450000},
    Band{"33CM", "902", 902000, 928000},
    Band{"23CM", "1.2G", 1240000, 1300000},
    Band{"13CM", "2.3G", 2300000, 2450000},
    Band{"9CM", "3.4G", 3300000, 3500000},
    Band{"6CM", "5.7G", 5650000, 5925000},
    Band{"3CM", "10G", 10000000, 10500000},
    Band{"1.25CM", "24G", 24000000, 24250000},
    Band{"6MM", "47G", 47000000, 47200000},
    Band{"4MM", "75G", 75500000, 81000000},
    Band{"2.5MM", "122G", 119980000, 123000000},
    Band{"2MM", "134G", 134000000, 149000000},
    Band{"1MM", "241G", 241000000, 250000000},
    // Cabrillo's LIGHT is the top of the table, as ADIF's SUBMM is.
    Band{"SUBMM", "LIGHT", 300000000, 7500000000},
};

static_assert(kBands.size() < kNoBand);

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

template <typename Key>
BandIndex Find(Key key) {
    for (std::size_t i = 0; i < kBands.size(); ++i) {
        if (key(kBands[i])) {
            return static_cast<BandIndex>(i);
        }
    }
    return kNoBand;
}

}  // namespace

std::span<const Band> Bands() {
    return kBands;
}

BandIndex BandOfKHz(uint64_t kHz) {
    // The last band starting at or below the frequency, if it reaches it.
    const auto above = std::upper_bound(kBands.begin(), kBands.end(), kHz,
                                        [](uint64_t f, const Band& b) { return f < b.lowerKHz; });
    if (above == kBands.begin() || std::prev(above)->upperKHz < kHz) {
        return kNoBand;
    }
    return static_cast<BandIndex>(std::prev(above) - kBands.begin());
}

BandIndex BandOfDesignator(std::string_view designator) {
    if (designator.empty()) {
        return kNoBand;
    }
    return Find([designator](const Band& b) { return EqualIgnoringCase(b.cabrillo, designator); });
}

BandIndex BandOfName(std::string_view adifName) {
    return Find([adifName](const Band& b) { return EqualIgnoringCase(b.name, adifName); });
}

bool SameBand(uint64_t kHzA, uint64_t kHzB) {
    const BandIndex a = BandOfKHz(kHzA);
    return a != kNoBand && a == BandOfKHz(kHzB);
}

std::string WholeMegahertzGroup(uint64_t kHz) {
    return std::to_string(kHz / 1000);
}

}  // namespace zelk::host
