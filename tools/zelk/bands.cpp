// The band table. Edges as the ADIF band enumeration gives them in MHz,
// written here in hertz.
#include "bands.h"
#include "text.h"

#include <algorithm>
#include <array>

namespace zelk::host {

namespace {

constexpr uint64_t kMHz = 1'000'000;

constexpr std::array kBands{
    Band{"2190M", 135'700, 137'800},
    Band{"630M", 472'000, 479'000},
    Band{"560M", 501'000, 504'000},
    Band{"160M", 1'800'000, 2'000'000},
    Band{"80M", 3'500'000, 4'000'000},
    Band{"60M", 5'060'000, 5'450'000},
    Band{"40M", 7'000'000, 7'300'000},
    Band{"30M", 10'100'000, 10'150'000},
    Band{"20M", 14'000'000, 14'350'000},
    Band{"17M", 18'068'000, 18'168'000},
    Band{"15M", 21'000'000, 21'450'000},
    Band{"12M", 24'890'000, 24'990'000},
    Band{"10M", 28'000'000, 29'700'000},
    Band{"8M", 40 * kMHz, 45 * kMHz},
    Band{"6M", 50 * kMHz, 54 * kMHz},
    Band{"5M", 54'000'001, 69'900'000},
    Band{"4M", 70 * kMHz, 71 * kMHz},
    Band{"2M", 144 * kMHz, 148 * kMHz},
    Band{"1.25M", 222 * kMHz, 225 * kMHz},
    Band{"70CM", 420 * kMHz, 450 * kMHz},
    Band{"33CM", 902 * kMHz, 928 * kMHz},
    Band{"23CM", 1240 * kMHz, 1300 * kMHz},
    Band{"13CM", 2300 * kMHz, 2450 * kMHz},
    Band{"9CM", 3300 * kMHz, 3500 * kMHz},
    Band{"6CM", 5650 * kMHz, 5925 * kMHz},
    Band{"3CM", 10'000 * kMHz, 10'500 * kMHz},
    Band{"1.25CM", 24'000 * kMHz, 24'250 * kMHz},
    Band{"6MM", 47'000 * kMHz, 47'200 * kMHz},
    Band{"4MM", 75'500 * kMHz, 81'000 * kMHz},
    Band{"2.5MM", 119'980 * kMHz, 123'000 * kMHz},
    Band{"2MM", 134'000 * kMHz, 149'000 * kMHz},
    Band{"1MM", 241'000 * kMHz, 250'000 * kMHz},
    Band{"SUBMM", 300'000 * kMHz, 7'500'000 * kMHz},
};

}  // namespace

const Band* BandNamed(std::string_view name) {
    const auto first = name.find_first_not_of(" \t\r\n");
    name = first == std::string_view::npos
               ? std::string_view()
               : name.substr(first, name.find_last_not_of(" \t\r\n") - first + 1);
    const std::string upper = Upper(name);
    auto it = std::find_if(kBands.begin(), kBands.end(),
                           [&upper](const Band& band) { return band.name == upper; });
    return it != kBands.end() ? &*it : nullptr;
}

const Band* BandOf(uint64_t hertz) {
    auto it = std::find_if(kBands.begin(), kBands.end(), [hertz](const Band& band) {
        return band.lowerHz <= hertz && hertz <= band.upperHz;
    });
    return it != kBands.end() ? &*it : nullptr;
}

bool IsSubmillimetre(const Band& band) {
    return &band == &kBands.back();
}

}  // namespace zelk::host
