// An outline as SVG path data for one view: every ring clipped to the
// canvas (with a small overhang, so the cut edges lie outside the picture)
// and rounded to whole canvas units, which also drops the points a view too
// wide to show them would crowd together.
#pragma once

#include <string>

#include "report_html/map_view.h"
#include "report_html/world_outline.h"

namespace zelk::report_html {

std::string OutlinePath(const Outline& outline, const MapView& view);

}  // namespace zelk::report_html
