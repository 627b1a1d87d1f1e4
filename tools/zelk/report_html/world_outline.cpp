// The shipped world outline; see NOTICE.md for its source and licence.
#include "report_html/world_outline.h"

namespace zelk::report_html {

namespace {
#include "world_outline_data.inc"
}  // namespace

Outline WorldOutline() {
    return {kWorldOutlinePoints, kWorldOutlineRingEnds};
}

}  // namespace zelk::report_html
