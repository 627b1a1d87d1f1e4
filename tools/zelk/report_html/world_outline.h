// The land outline maps are drawn on: rings of points in hundredths of a
// degree. The shipped one is compiled in (data/world-outline/, made from
// Natural Earth by scripts/world-outline/), so zelk reads no data file; tests
// pass small outlines of their own.
#pragma once

#include <cstdint>
#include <span>

namespace zelk::report_html {

struct OutlinePoint {
    int16_t lon = 0;  // hundredths of a degree, east positive
    int16_t lat = 0;  // hundredths of a degree, north positive
};

struct Outline {
    std::span<const OutlinePoint> points;
    std::span<const uint32_t> ringEnds;  // one past the last point of each ring, ascending
};

Outline WorldOutline();

}  // namespace zelk::report_html
