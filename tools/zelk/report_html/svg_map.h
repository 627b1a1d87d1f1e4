// The map of a report as inline SVG: land, a grid of degrees, the polar
// circles, one mark per worked position coloured by group (a pie when a
// place was worked on several), the ZELK station and polar contacts framed,
// and the own station as a star. Each mark's tooltip lists its contacts.
#pragma once

#include <string>
#include <string_view>

#include "report_html/report_model.h"
#include "report_html/world_outline.h"

namespace zelk::report_html {

// The <svg> element. Marks carry class "mark" and data-lat, data-lon and
// data-qsos, so a reader (or a test) can count them. With `sharedLand`, the
// id of a page's SharedLandSvg, the land is that path placed in the view
// instead of one drawn from `outline`.
std::string MapSvg(const ReportModel& model, const Outline& outline,
                   std::string_view sharedLand = {});

// The land of a page with many maps, drawn once: a hidden <svg> whose <defs>
// hold the whole outline as one path with the id `id`, in hundredths of a
// degree (x east, y south), which each map scales into its own view.
std::string SharedLandSvg(const Outline& outline, std::string_view id);

// The legend under the map, as HTML: group colours, symbols, mark sizes, and
// how many contacts have no position to draw.
std::string MapLegendHtml(const ReportModel& model);

}  // namespace zelk::report_html
