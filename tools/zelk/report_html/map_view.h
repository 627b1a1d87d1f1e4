// The part of the globe a map shows and its projection onto the map's
// canvas: plain equirectangular, with the view's middle latitude as the
// standard parallel so that the contest's own region keeps its shape. The
// view is fitted to the points with a margin, and is the whole world when
// there is nothing to fit or the points lie too far apart.
#pragma once

#include <vector>

#include "report_html/report_model.h"

namespace zelk::report_html {

// The canvas every map is drawn on, in SVG user units.
inline constexpr double kMapWidth = 1000.0;
inline constexpr double kMapHeight = 500.0;

struct CanvasPoint {
    double x = 0.0;
    double y = 0.0;
};

struct MapView {
    double west = -180.0;
    double east = 180.0;
    double south = -90.0;
    double north = 90.0;
    double standardParallel = 0.0;
    bool wholeWorld = true;

    CanvasPoint Project(double longitude, double latitude) const;
    bool Contains(const GeoPoint& point) const;
};

// The fitted view; points off the globe are ignored.
MapView FitView(const std::vector<GeoPoint>& points);

}  // namespace zelk::report_html
