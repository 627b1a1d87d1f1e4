// The category bands and the scoring group.
#include "amateur_bands.h"

namespace zelk::sim {

const AmateurBand* CategoryBandOf(int32_t kHz) {
    for (const AmateurBand& band : kCategoryBands) {
        if (band.lowKHz <= kHz && kHz <= band.highKHz) {
            return &band;
        }
    }
    return nullptr;
}

int32_t GroupMHz(int32_t kHz) {
    const AmateurBand* band = CategoryBandOf(kHz);
    return (band != nullptr ? band->lowKHz : kHz) / 1000;
}

}  // namespace zelk::sim
