// Coordinate text: parsing and formatting.
#include "contest/coordinate.h"

#include "contest/decimal.h"

namespace zelk {

Coordinate ParseCoordinate(std::string_view text) {
    Coordinate c;
    c.latitude = DecimalValue(text.substr(0, 2));
    std::size_t p = text.find('N');
    if (p == std::string_view::npos) {
        p = text.find('S');
    }
    c.longitude = DecimalValue(p == std::string_view::npos ? text : text.substr(p + 1));
    return c;
}

std::string FormatCoordinate(int32_t latitude, int32_t longitude) {
    // Magnitudes in 64 bits: the most negative 32-bit value has no 32-bit one.
    const int64_t lat = latitude;
    const int64_t lon = longitude;
    return std::to_string(lat < 0 ? -lat : lat) + (lat < 0 ? "S" : "N") +
           std::to_string(lon < 0 ? -lon : lon) + (lon < 0 ? "W" : "O");
}

Coordinate StationCoordinate(std::string_view stored, double fallbackLat, double fallbackLong) {
    if (!stored.empty()) {
        return ParseCoordinate(stored);
    }
    return {TruncateDegrees(fallbackLat), TruncateDegrees(fallbackLong)};
}

}  // namespace zelk
