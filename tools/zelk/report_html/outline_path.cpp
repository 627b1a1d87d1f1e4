// Clipping by Sutherland-Hodgman against the four sides of the canvas; for
// the filled land it leaves only edges along the overhang, never inside.
#include "report_html/outline_path.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "report_html/html_text.h"

namespace zelk::report_html {

namespace {

constexpr double kOverhang = 4.0;

struct Edge {
    bool vertical;  // a side at x = at; otherwise at y = at
    double at;
    bool keepBelow;  // inside is the side with smaller coordinates
};

bool Inside(const CanvasPoint& p, const Edge& edge) {
    const double value = edge.vertical ? p.x : p.y;
    return edge.keepBelow ? value <= edge.at : value >= edge.at;
}

CanvasPoint Crossing(const CanvasPoint& a, const CanvasPoint& b, const Edge& edge) {
    const double t = edge.vertical ? (edge.at - a.x) / (b.x - a.x) : (edge.at - a.y) / (b.y - a.y);
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

std::vector<CanvasPoint> ClipToCanvas(std::vector<CanvasPoint> ring) {
    const Edge edges[] = {{true, -kOverhang, false},
                          {true, kMapWidth + kOverhang, true},
                          {false, -kOverhang, false},
                          {false, kMapHeight + kOverhang, true}};
    for (const Edge& edge : edges) {
        std::vector<CanvasPoint> clipped;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const CanvasPoint& current = ring[i];
            const CanvasPoint& previous = ring[(i + ring.size() - 1) % ring.size()];
            if (Inside(current, edge)) {
                if (!Inside(previous, edge)) {
                    clipped.push_back(Crossing(previous, current, edge));
                }
                clipped.push_back(current);
            } else if (Inside(previous, edge)) {
                clipped.push_back(Crossing(previous, current, edge));
            }
        }
        ring = std::move(clipped);
    }
    return ring;
}

void AppendRing(std::string& path, const std::vector<CanvasPoint>& ring) {
    std::vector<std::pair<long, long>> rounded;
    for (const CanvasPoint& p : ring) {
        const std::pair<long, long> point{std::lround(p.x), std::lround(p.y)};
        if (rounded.empty() || rounded.back() != point) {
            rounded.push_back(point);
        }
    }
    while (rounded.size() > 1 && rounded.back() == rounded.front()) {
        rounded.pop_back();
    }
    if (rounded.size() < 3) {
        return;
    }
    for (std::size_t i = 0; i < rounded.size(); ++i) {
        path += i == 0 ? "M" : i == 1 ? "L" : " ";
        path += Int(rounded[i].first) + " " + Int(rounded[i].second);
    }
    path += "Z";
}

}  // namespace

std::string OutlinePath(const Outline& outline, const MapView& view) {
    std::string path;
    std::size_t begin = 0;
    for (const uint32_t end : outline.ringEnds) {
        std::vector<CanvasPoint> ring;
        bool anyInside = false;
        double west = 180.0, east = -180.0, south = 90.0, north = -90.0;
        for (std::size_t i = begin; i < end && i < outline.points.size(); ++i) {
            const double lon = outline.points[i].lon / 100.0;
            const double lat = outline.points[i].lat / 100.0;
            west = std::min(west, lon);
            east = std::max(east, lon);
            south = std::min(south, lat);
            north = std::max(north, lat);
            ring.push_back(view.Project(lon, lat));
        }
        begin = end;
        anyInside =
            west <= view.east && east >= view.west && south <= view.north && north >= view.south;
        if (anyInside && ring.size() >= 3) {
            AppendRing(path, ClipToCanvas(std::move(ring)));
        }
    }
    return path;
}

}  // namespace zelk::report_html
