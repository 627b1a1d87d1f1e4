// The coordinate of an exchange as the contest compares it, and the one
// coordinate a log says its station sent. Shared by `zelk score` on a
// Cabrillo file and by `zelk adjudicate`, so both take the same station.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "logfile/cabrillo_reader.h"

namespace zelk::logfile {

// A coordinate in whole degrees with its hemisphere letters, packed into one
// number: 55N37O and 55N037O give the same key, 55N37O and 55S37O do not.
// (The plug-in's scoring reads the degrees only; two stations that differ in
// a letter are still different places to the check.) The text is a
// coordinate as the Cabrillo reader spans it: degrees, N or S, degrees, O
// or W; E is east as O is (50N10E and 50N10O give one key), as it is to the
// plug-in, which never reads the letters.
uint32_t CoordinateKey(std::string_view coordinate);

// The key as text: "55N37O", without leading zeros.
std::string CoordinateKeyText(uint32_t key);

// The key as signed degrees, north and east positive: 33S70W is -33, -70.
struct SignedDegrees {
    int32_t latitude = 0;
    int32_t longitude = 0;
};
SignedDegrees CoordinateKeyDegrees(uint32_t key);

// The coordinate a log's station sent: of the sent coordinates of its QSO
// lines (X-QSO lines included: they say what was sent too), the most frequent
// one, compared by key; of equally frequent ones, the one sent first. Empty
// when the log has no QSO line.
std::string StationCoordinateSent(std::span<const CabrilloQso> qsos);
// The same of the lines' sent coordinates as keys, in file order.
std::string StationCoordinateOfKeys(std::span<const uint32_t> keys);

}  // namespace zelk::logfile
