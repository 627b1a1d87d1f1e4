// The station coordinate: the coordinate text (whole degrees of latitude,
// "N" or "S", whole degrees of longitude, "O" or "W"), its parsing, reading it
// at the start of a contest run, and the setup dialog that stores it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

struct ModuleState;

struct Coordinate {
    int32_t latitude = 0;
    int32_t longitude = 0;
};

// Latitude from the first two characters; longitude from the text after the
// first "N", else the first "S", else the whole text. The letters are never
// applied as signs.
Coordinate ParseCoordinate(std::string_view text);

// The coordinate text of a position, from the magnitudes and the signs.
std::string FormatCoordinate(int32_t latitude, int32_t longitude);

// Sets the station coordinate from "Setup_ZELK", or from the fallback
// degrees when the key is empty.
void ReadStationCoordinate(ModuleState& state, double fallbackLat, double fallbackLong);

}  // namespace zelk
