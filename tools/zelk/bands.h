// The ADIF band enumeration (ADIF 3.1.x), from 2190m to submm, with each
// band's edges in hertz. It lets a log that gives only BAND still name a
// frequency, and tells a frequency in MHz from one written in kHz or Hz.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelk::host {

struct Band {
    std::string_view name;  // upper case, as ADIF names it in any case: "20M", "9CM"
    uint64_t lowerHz = 0;
    uint64_t upperHz = 0;
};

// The band of that name, in any case and with blanks around it; null when
// ADIF has no such band.
const Band* BandNamed(std::string_view name);

// The band whose edges (both counted in) hold the frequency; null when none.
const Band* BandOf(uint64_t hertz);

// Whether this is the last band, "everything above 300 GHz", which holds
// almost any large number: reading a frequency in kHz or Hz as MHz lands
// there.
bool IsSubmillimetre(const Band& band);

}  // namespace zelk::host
