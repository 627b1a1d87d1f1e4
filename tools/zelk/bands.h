// The amateur bands: which band a frequency lies in, the band a Cabrillo
// band designator ("50", "1.2G", "LIGHT") or an ADIF band name ("20M")
// stands for, and the whole-megahertz group text by which `zelk score`
// groups contacts. One table serves the Cabrillo reader, the log checker and
// the ADIF mapping alike.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zelk::host {

struct Band {
    std::string_view name;      // the ADIF band name, upper case: "160M", "70CM", "SUBMM"
    std::string_view cabrillo;  // the Cabrillo designator; empty where Cabrillo gives kHz
    uint64_t lowerKHz = 0;      // edges in whole kHz, rounded outward where
    uint64_t upperKHz = 0;      // the band edge has a fraction (135.7 kHz)
};

// A band by its position in Bands(); kNoBand for a frequency in no band.
using BandIndex = uint8_t;
inline constexpr BandIndex kNoBand = 0xFF;

// Every band, lowest first; no two overlap.
std::span<const Band> Bands();

// The band whose edges (inclusive) hold the frequency.
BandIndex BandOfKHz(uint64_t kHz);

// The band of a Cabrillo designator, matched without regard to case.
BandIndex BandOfDesignator(std::string_view designator);

// The band of an ADIF band name, matched without regard to case.
BandIndex BandOfName(std::string_view adifName);

// Two frequencies in one band; false when either lies in no band.
bool SameBand(uint64_t kHzA, uint64_t kHzB);

// The group text `zelk score` gives a contact by default: its frequency in
// whole megahertz ("3" for 3514 kHz, "144" for 144050 kHz).
std::string WholeMegahertzGroup(uint64_t kHz);

}  // namespace zelk::host
