// The category bands and the scoring group.
#include "amateur_bands.h"

namespace zelk::sim {

namespace {

template <std::size_t N>
const AmateurBand* BandOf(const std::array<AmateurBand, N>& bands, int32_t kHz) {
    for (const AmateurBand& band : bands) {
        if (band.lowKHz <= kHz && kHz <= band.highKHz) {
            return &band;
        }
    }
    return nullptr;
}

}  // namespace

const AmateurBand* CategoryBandOf(int32_t kHz) {
    return BandOf(kCategoryBands, kHz);
}

const AmateurBand* AmateurBandOf(int32_t kHz) {
    return BandOf(kAmateurBands, kHz);
}

int32_t GroupMHz(int32_t kHz) {
    const AmateurBand* band = CategoryBandOf(kHz);
    return (band != nullptr ? band->lowKHz : kHz) / 1000;
}

}  // namespace zelk::sim
