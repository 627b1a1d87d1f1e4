// The amateur bands: the ADIF band enumeration (ADIF 3.1.x, 2190m to submm)
// with each band's edges in hertz and the Cabrillo designator that names it
// from 50 MHz up. One table serves the ADIF mapping (a log that gives only
// BAND still names a frequency; a frequency written in kHz or Hz is told
// apart from one in MHz), the Cabrillo reader and the log checker (which
// band a QSO line is on), and the group of `zelk score`, `zelk report` and
// the check alike.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zelk::logfile {

struct Band {
    std::string_view name;      // the ADIF name, upper case: "20M", "9CM", "SUBMM"
    std::string_view cabrillo;  // the Cabrillo designator; empty where Cabrillo gives kHz
    uint64_t lowerHz = 0;
    uint64_t upperHz = 0;
};

// A band by its position in Bands(); kNoBand for a frequency in no band.
using BandIndex = uint8_t;
inline constexpr BandIndex kNoBand = 0xFF;

// Every band, lowest first; no two overlap.
std::span<const Band> Bands();

// The band of that ADIF name, in any case and with blanks around it; null
// when ADIF has no such band.
const Band* BandNamed(std::string_view name);

// The band whose edges (both counted in) hold the frequency; null when none.
const Band* BandOf(uint64_t hertz);

// Whether this is the last band, "everything above 300 GHz", which holds
// almost any large number: reading a frequency in kHz or Hz as MHz lands
// there.
bool IsSubmillimetre(const Band& band);

// The band that a frequency in whole kHz falls in: the kHz step may reach
// into the band (135 kHz is 2190m, whose edge is 135.7 kHz).
BandIndex BandOfKHz(uint64_t kHz);

// The band of a Cabrillo designator, matched without regard to case.
BandIndex BandOfDesignator(std::string_view designator);

// The band of an ADIF band name, matched without regard to case.
BandIndex BandOfName(std::string_view adifName);

// Two frequencies in one band; false when either lies in no band.
bool SameBand(uint64_t kHzA, uint64_t kHzB);

// The group a contact is scored in by default, in `zelk score`, `zelk
// report` and the check alike: its amateur band, named by the band's lower
// edge in whole megahertz ("28" for 28.000 to 29.700 MHz, "420" for 70 cm,
// "1" for 160 m), so that one band is one group and earns one polar bonus.
// A frequency in no band keeps its own whole megahertz.
uint64_t GroupMegahertz(uint64_t kHz);
// The same as the group text the plug-in is handed: "28", "420".
std::string BandGroup(uint64_t kHz);

}  // namespace zelk::logfile
