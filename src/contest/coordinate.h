// The coordinate text: whole degrees of latitude, "N" or "S", whole degrees
// of longitude, "O" or "W" ("55N37O"). It is the station's setting and the
// second part of every exchange; scoring measures distances in its degrees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

struct Coordinate {
    int32_t latitude = 0;
    int32_t longitude = 0;
    bool operator==(const Coordinate&) const = default;
};

// Latitude from the first two characters; longitude from the text after the
// first "N", else the first "S", else the whole text. The letters are never
// applied as signs.
Coordinate ParseCoordinate(std::string_view text);

// The coordinate text of a position, from the magnitudes and the signs.
std::string FormatCoordinate(int32_t latitude, int32_t longitude);

// The station of a contest run: its stored coordinate text when there is
// one, else the fallback degrees truncated toward zero.
Coordinate StationCoordinate(std::string_view stored, double fallbackLat, double fallbackLong);

}  // namespace zelk
