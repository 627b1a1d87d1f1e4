// Fitting the view: the points' bounding box, a margin, a smallest size, then
// grown to the canvas's proportions around its middle and moved back onto
// the globe where it sticks out.
#include "report_html/map_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zelk::report_html {

namespace {

constexpr double kMarginShare = 0.12;    // of the spread, on every side
constexpr double kSmallestMargin = 3.0;  // degrees
constexpr double kSmallestLatitudeSpan = 16.0;
// Wider than this (degrees of longitude) and the whole world reads better.
constexpr double kWidestFittedSpan = 240.0;
constexpr double kHighestStandardParallel = 60.0;

double Cosine(double degrees) {
    return std::cos(degrees * std::numbers::pi / 180.0);
}

// [low, high] grown to `span` around its middle, then moved inside [min, max].
void Grow(double& low, double& high, double span, double min, double max) {
    const double middle = (low + high) / 2.0;
    low = middle - span / 2.0;
    high = middle + span / 2.0;
    if (low < min) {
        high += min - low;
        low = min;
    }
    if (high > max) {
        low -= high - max;
        high = max;
    }
}

}  // namespace

CanvasPoint MapView::Project(double longitude, double latitude) const {
    return {(longitude - west) * kMapWidth / (east - west),
            (north - latitude) * kMapHeight / (north - south)};
}

bool MapView::Contains(const GeoPoint& point) const {
    return point.longitude >= west && point.longitude <= east && point.latitude >= south &&
           point.latitude <= north;
}

MapView FitView(const std::vector<GeoPoint>& points) {
    std::vector<GeoPoint> onGlobe;
    std::copy_if(points.begin(), points.end(), std::back_inserter(onGlobe), [](const GeoPoint& p) {
        return std::abs(p.latitude) <= 90 && std::abs(p.longitude) <= 180;
    });
    if (onGlobe.empty()) {
        return MapView{};
    }
    const auto [south, north] = std::minmax_element(
        onGlobe.begin(), onGlobe.end(),
        [](const GeoPoint& a, const GeoPoint& b) { return a.latitude < b.latitude; });
    const auto [west, east] = std::minmax_element(
        onGlobe.begin(), onGlobe.end(),
        [](const GeoPoint& a, const GeoPoint& b) { return a.longitude < b.longitude; });

    MapView view;
    view.wholeWorld = false;
    const double latMargin =
        std::max(kSmallestMargin, kMarginShare * (north->latitude - south->latitude));
    const double lonMargin =
        std::max(kSmallestMargin, kMarginShare * (east->longitude - west->longitude));
    view.south = std::max(-90.0, south->latitude - latMargin);
    view.north = std::min(90.0, north->latitude + latMargin);
    view.west = std::max(-180.0, west->longitude - lonMargin);
    view.east = std::min(180.0, east->longitude + lonMargin);
    view.standardParallel = std::clamp((view.south + view.north) / 2.0, -kHighestStandardParallel,
                                       kHighestStandardParallel);

    // Canvas proportions: (east - west) * cos(parallel) / (north - south).
    const double aspect = kMapWidth / kMapHeight;
    const double shrink = Cosine(view.standardParallel);
    double latSpan = std::max(view.north - view.south, kSmallestLatitudeSpan);
    double lonSpan = view.east - view.west;
    if (lonSpan * shrink < aspect * latSpan) {
        lonSpan = aspect * latSpan / shrink;
    } else {
        latSpan = lonSpan * shrink / aspect;
    }
    if (lonSpan > kWidestFittedSpan || latSpan > 180.0) {
        return MapView{};
    }
    Grow(view.south, view.north, latSpan, -90.0, 90.0);
    Grow(view.west, view.east, lonSpan, -180.0, 180.0);
    return view;
}

}  // namespace zelk::report_html
