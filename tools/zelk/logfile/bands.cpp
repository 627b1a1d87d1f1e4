// The band table. Edges as the ADIF band enumeration gives them in MHz,
// written here in hertz.
#include "logfile/bands.h"

#include <algorithm>
#include <array>

#include "text/text.h"

namespace zelk::logfile {

namespace {

constexpr uint64_t kMHz = 1'000'000;

constexpr std::array kBands{
    Band{"2190M", "", 135'700, 137'800},
    Band{"630M", "", 472'000, 479'000},
    Band{"560M", "", 501'000, 504'000},
    Band{"160M", "", 1'800'000, 2'000'000},
    Band{"80M", "", 3'500'000, 4'000'000},
    Band{"60M", "", 5'060'000, 5'450'000},
    Band{"40M", "", 7'000'000, 7'300'000},
    Band{"30M", "", 10'100'000, 10'150'000},
    Band{"20M", "", 14'000'000, 14'350'000},
    Band{"17M", "", 18'068'000, 18'168'000},
    Band{"15M", "", 21'000'000, 21'450'000},
    Band{"12M", "", 24'890'000, 24'990'000},
    Band{"10M", "", 28'000'000, 29'700'000},
    Band{"8M", "", 40 * kMHz, 45 * kMHz},
    Band{"6M", "50", 50 * kMHz, 54 * kMHz},
    // 5 m starts just above 54 MHz, where 6 m ends.
    Band{"5M", "", 54'000'001, 69'900'000},
    Band{"4M", "70", 70 * kMHz, 71 * kMHz},
    Band{"2M", "144", 144 * kMHz, 148 * kMHz},
    Band{"1.25M", "222", 222 * kMHz, 225 * kMHz},
    Band{"70CM", "432", 420 * kMHz, 450 * kMHz},
    Band{"33CM", "902", 902 * kMHz, 928 * kMHz},
    Band{"23CM", "1.2G", 1240 * kMHz, 1300 * kMHz},
    Band{"13CM", "2.3G", 2300 * kMHz, 2450 * kMHz},
    Band{"9CM", "3.4G", 3300 * kMHz, 3500 * kMHz},
    Band{"6CM", "5.7G", 5650 * kMHz, 5925 * kMHz},
    Band{"3CM", "10G", 10'000 * kMHz, 10'500 * kMHz},
    Band{"1.25CM", "24G", 24'000 * kMHz, 24'250 * kMHz},
    Band{"6MM", "47G", 47'000 * kMHz, 47'200 * kMHz},
    Band{"4MM", "75G", 75'500 * kMHz, 81'000 * kMHz},
    Band{"2.5MM", "122G", 119'980 * kMHz, 123'000 * kMHz},
    Band{"2MM", "134G", 134'000 * kMHz, 149'000 * kMHz},
    Band{"1MM", "241G", 241'000 * kMHz, 250'000 * kMHz},
    // Cabrillo's LIGHT is the top of the table, as ADIF's SUBMM is.
    Band{"SUBMM", "LIGHT", 300'000 * kMHz, 7'500'000 * kMHz},
};

static_assert(kBands.size() < kNoBand);

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

BandIndex IndexOf(const Band* band) {
    return band == nullptr ? kNoBand : static_cast<BandIndex>(band - kBands.data());
}

template <typename Key>
const Band* Find(Key key) {
    auto it = std::find_if(kBands.begin(), kBands.end(), key);
    return it != kBands.end() ? &*it : nullptr;
}

}  // namespace

std::span<const Band> Bands() {
    return kBands;
}

const Band* BandNamed(std::string_view name) {
    const auto first = name.find_first_not_of(" \t\r\n");
    name = first == std::string_view::npos
               ? std::string_view()
               : name.substr(first, name.find_last_not_of(" \t\r\n") - first + 1);
    return Find([name](const Band& band) { return EqualIgnoringCase(band.name, name); });
}

const Band* BandOf(uint64_t hertz) {
    return Find(
        [hertz](const Band& band) { return band.lowerHz <= hertz && hertz <= band.upperHz; });
}

bool IsSubmillimetre(const Band& band) {
    return &band == &kBands.back();
}

BandIndex BandOfKHz(uint64_t kHz) {
    if (kHz > UINT64_MAX / 1000 - 1) {
        return kNoBand;
    }
    const uint64_t low = kHz * 1000;
    const uint64_t high = low + 999;
    // The first band not wholly below the kHz step, if the step reaches it.
    const auto it = std::lower_bound(kBands.begin(), kBands.end(), low,
                                     [](const Band& b, uint64_t f) { return b.upperHz < f; });
    return it != kBands.end() && it->lowerHz <= high ? IndexOf(&*it) : kNoBand;
}

BandIndex BandOfDesignator(std::string_view designator) {
    if (designator.empty()) {
        return kNoBand;
    }
    return IndexOf(
        Find([designator](const Band& b) { return EqualIgnoringCase(b.cabrillo, designator); }));
}

BandIndex BandOfName(std::string_view adifName) {
    return IndexOf(Find([adifName](const Band& b) { return EqualIgnoringCase(b.name, adifName); }));
}

bool SameBand(uint64_t kHzA, uint64_t kHzB) {
    const BandIndex a = BandOfKHz(kHzA);
    return a != kNoBand && a == BandOfKHz(kHzB);
}

uint64_t GroupMegahertz(uint64_t kHz) {
    const BandIndex band = BandOfKHz(kHz);
    return band != kNoBand ? kBands[band].lowerHz / kMHz : kHz / 1000;
}

std::string BandGroup(uint64_t kHz) {
    return std::to_string(GroupMegahertz(kHz));
}

}  // namespace zelk::logfile
