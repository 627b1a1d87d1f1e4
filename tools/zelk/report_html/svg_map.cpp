// Drawing the map. Sizes are in canvas units (the canvas is 1000 wide), so
// marks and lines look the same whatever part of the globe is shown.
#include "report_html/svg_map.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "report_html/groups.h"
#include "report_html/html_text.h"
#include "report_html/map_marks.h"
#include "report_html/map_view.h"
#include "report_html/outline_path.h"

namespace zelk::report_html {

namespace {

constexpr std::string_view kSeaColour = "#e4eef5";
constexpr std::string_view kLandColour = "#f3efe6";
constexpr std::string_view kCoastColour = "#b9ae98";
constexpr std::string_view kGridColour = "#c9d6e0";
constexpr std::string_view kPolarColour = "#00607a";
constexpr std::string_view kStationColour = "#c0392b";
constexpr int32_t kPolarLatitude = 66;
constexpr std::size_t kTooltipContacts = 12;

// A five-pointed star of outer radius 1, from the top, clockwise.
constexpr std::array<CanvasPoint, 10> kStar = {{{0.0, -1.0},
                                                {0.235, -0.324},
                                                {0.951, -0.309},
                                                {0.380, 0.124},
                                                {0.588, 0.809},
                                                {0.0, 0.4},
                                                {-0.588, 0.809},
                                                {-0.380, 0.124},
                                                {-0.951, -0.309},
                                                {-0.235, -0.324}}};

std::string Plural(int64_t count, std::string_view one, std::string_view many) {
    return Int(count) + " " + std::string(count == 1 ? one : many);
}

std::string StarPath(const CanvasPoint& centre, double radius) {
    std::string path;
    for (std::size_t i = 0; i < kStar.size(); ++i) {
        path += (i == 0 ? "M" : "L") + Decimal1(centre.x + radius * kStar[i].x) + " " +
                Decimal1(centre.y + radius * kStar[i].y);
    }
    return path + "Z";
}

// "40°N", "3°W", "0°".
std::string DegreesText(int degrees, std::string_view positive, std::string_view negative) {
    return Int(std::abs(degrees)) + "\u00b0" +
           std::string(degrees > 0   ? positive
                       : degrees < 0 ? negative
                                     : "");
}

// Lines every `step` degrees, the step chosen so some five lines cross the
// view; labels where they do not run into the frame or each other.
std::string Graticule(const MapView& view) {
    constexpr std::array<int, 7> kSteps = {1, 2, 5, 10, 15, 30, 60};
    int step = kSteps.back();
    for (int candidate : kSteps) {
        if ((view.north - view.south) / candidate <= 6.0) {
            step = candidate;
            break;
        }
    }
    std::string lines;
    std::string labels;
    for (int lat = static_cast<int>(std::ceil(view.south / step)) * step; lat <= view.north;
         lat += step) {
        const double y = view.Project(view.west, lat).y;
        lines += "M0 " + Decimal1(y) + "H1000";
        if (y > 16.0 && y < kMapHeight - 20.0) {
            labels += "<text x=\"4\" y=\"" + Decimal1(y - 3) + "\">" + DegreesText(lat, "N", "S") +
                      "</text>";
        }
    }
    for (int lon = static_cast<int>(std::ceil(view.west / step)) * step; lon <= view.east;
         lon += step) {
        const double x = view.Project(lon, view.north).x;
        lines += "M" + Decimal1(x) + " 0V500";
        if (x > 30.0 && x < kMapWidth - 40.0) {
            labels += "<text x=\"" + Decimal1(x + 3) + "\" y=\"494\">" +
                      DegreesText(lon, "E", "W") + "</text>";
        }
    }
    return "<path d=\"" + lines + "\" fill=\"none\" stroke=\"" + std::string(kGridColour) +
           "\" stroke-width=\"0.8\"/>\n<g font-size=\"13\" fill=\"#6b7f8e\">" + labels + "</g>\n";
}

std::string PolarCircles(const MapView& view) {
    std::string out;
    for (int lat : {kPolarLatitude, -kPolarLatitude}) {
        if (lat < view.south || lat > view.north) {
            continue;
        }
        const std::string y = Decimal1(view.Project(view.west, lat).y);
        out += "<path d=\"M0 " + y + "H1000\" stroke=\"" + std::string(kPolarColour) +
               "\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>"
               "<text x=\"996\" y=\"" +
               Decimal1(view.Project(view.west, lat).y - 4) +
               "\" text-anchor=\"end\" font-size=\"13\" fill=\"" + std::string(kPolarColour) +
               "\">polar: " + Int(kPolarLatitude) + "\u00b0 and beyond</text>\n";
    }
    return out;
}

std::string Tooltip(const ReportModel& model, const MapMark& mark) {
    std::string text = DegreesText(mark.position.latitude, "N", "S") + " " +
                       DegreesText(mark.position.longitude, "E", "W") + ": " +
                       Plural(mark.qsos, "QSO", "QSOs");
    for (std::size_t n = 0; n < mark.contacts.size() && n < kTooltipContacts; ++n) {
        const AdmittedContact& contact = model.contacts[mark.contacts[n]];
        text += "\n" + contact.call + " on " + contact.group + ": " +
                Plural(contact.points, "point", "points");
        if (contact.bonus != 0) {
            text += " + " + Int(contact.bonus) + " bonus";
        }
    }
    if (mark.contacts.size() > kTooltipContacts) {
        text +=
            "\nand " + Int(static_cast<int64_t>(mark.contacts.size() - kTooltipContacts)) + " more";
    }
    return "<title>" + Escape(text) + "</title>";
}

// One circle, or a pie of the groups worked at the place, starting at the top.
std::string MarkShapes(const MapMark& mark, const CanvasPoint& c, double r) {
    const std::string cx = Decimal1(c.x);
    const std::string cy = Decimal1(c.y);
    const std::string rr = Decimal1(r);
    const auto worked =
        std::count_if(mark.perGroup.begin(), mark.perGroup.end(), [](int32_t n) { return n > 0; });
    if (worked <= 1) {
        const auto group =
            static_cast<std::size_t>(std::find_if(mark.perGroup.begin(), mark.perGroup.end(),
                                                  [](int32_t n) { return n > 0; }) -
                                     mark.perGroup.begin());
        return "<circle cx=\"" + cx + "\" cy=\"" + cy + "\" r=\"" + rr + "\" fill=\"" +
               std::string(GroupColour(group)) + "\" stroke=\"#fff\" stroke-width=\"1\"/>";
    }
    std::string shapes;
    int32_t before = 0;
    const int32_t total = std::max(mark.qsos, 1);
    auto pointAt = [&](int32_t share) {
        const double angle = 2.0 * std::numbers::pi * share / total - std::numbers::pi / 2.0;
        return Decimal1(c.x + r * std::cos(angle)) + " " + Decimal1(c.y + r * std::sin(angle));
    };
    for (std::size_t g = 0; g < mark.perGroup.size(); ++g) {
        const int32_t count = mark.perGroup[g];
        if (count == 0) {
            continue;
        }
        shapes += "<path d=\"M" + cx + " " + cy + "L" + pointAt(before) + "A" + rr + " " + rr +
                  " 0 " + (2 * count > total ? "1" : "0") + " 1 " + pointAt(before + count) +
                  "Z\" fill=\"" + std::string(GroupColour(g)) + "\"/>";
        before += count;
    }
    return shapes + "<circle cx=\"" + cx + "\" cy=\"" + cy + "\" r=\"" + rr +
           "\" fill=\"none\" stroke=\"#fff\" stroke-width=\"1\"/>";
}

std::string Frames(const MapMark& mark, const CanvasPoint& c, double r) {
    std::string out;
    if (mark.polar) {
        out += "<circle cx=\"" + Decimal1(c.x) + "\" cy=\"" + Decimal1(c.y) + "\" r=\"" +
               Decimal1(r + 3) + "\" fill=\"none\" stroke=\"" + std::string(kPolarColour) +
               "\" stroke-width=\"1.5\" stroke-dasharray=\"3 2\"/>";
    }
    if (mark.zelkStation) {
        const double d = r + (mark.polar ? 8 : 5);
        out += "<path d=\"M" + Decimal1(c.x) + " " + Decimal1(c.y - d) + "L" + Decimal1(c.x + d) +
               " " + Decimal1(c.y) + " " + Decimal1(c.x) + " " + Decimal1(c.y + d) + " " +
               Decimal1(c.x - d) + " " + Decimal1(c.y) +
               "Z\" fill=\"none\" stroke=\"#000\" stroke-width=\"2\"/>";
    }
    return out;
}

std::vector<GeoPoint> PointsToFit(const ReportModel& model) {
    std::vector<GeoPoint> points;
    if (model.entrant.position) {
        points.push_back(*model.entrant.position);
    }
    for (const AdmittedContact& contact : model.contacts) {
        if (contact.position) {
            points.push_back(*contact.position);
        }
    }
    return points;
}

// A scale or offset of a transform: six significant digits, no locale.
std::string Number(double value) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string("0");
}

// The shared land placed in the view: x = (lon - west) * sx, y = (north - lat) * sy.
std::string SharedLandUse(const MapView& view, std::string_view id) {
    const double sx = kMapWidth / (view.east - view.west);
    const double sy = kMapHeight / (view.north - view.south);
    return "<use class=\"land\" href=\"#" + Escape(id) + "\" transform=\"matrix(" +
           Number(sx / 100.0) + " 0 0 " + Number(sy / 100.0) + " " + Number(-view.west * sx) + " " +
           Number(view.north * sy) + ")\"/>";
}

}  // namespace

std::string SharedLandSvg(const Outline& outline, std::string_view id) {
    // Relative moves keep the path short: neighbouring points differ little.
    // A minus sign separates numbers by itself.
    std::string path;
    auto append = [&path](int value) {
        if (value >= 0 && !path.empty() && std::isdigit(static_cast<unsigned char>(path.back()))) {
            path += ' ';
        }
        path += Int(value);
    };
    OutlinePoint pen{};  // after "z" the pen is back at the ring's first point
    std::size_t begin = 0;
    for (const uint32_t end : outline.ringEnds) {
        const std::size_t last = std::min<std::size_t>(end, outline.points.size());
        OutlinePoint at = pen;
        for (std::size_t i = begin; i < last; ++i) {
            const OutlinePoint& p = outline.points[i];
            path += i == begin ? "m" : i == begin + 1 ? "l" : "";
            append(p.lon - at.lon);
            append(at.lat - p.lat);
            at = p;
            pen = i == begin ? p : pen;
        }
        if (last > begin) {
            path += "z";
        }
        begin = end;
    }
    // A stroke that keeps its width whatever scale a map gives the path.
    return "<svg class=\"shared-land\" width=\"0\" height=\"0\" aria-hidden=\"true\" "
           "style=\"position:absolute\" xmlns=\"http://www.w3.org/2000/svg\"><defs><path id=\"" +
           Escape(id) + "\" d=\"" + path + "\" fill=\"" + std::string(kLandColour) +
           "\" stroke=\"" + std::string(kCoastColour) +
           "\" stroke-width=\"0.6\" fill-rule=\"evenodd\" "
           "vector-effect=\"non-scaling-stroke\"/></defs></svg>\n";
}

std::string MapSvg(const ReportModel& model, const Outline& outline, std::string_view sharedLand) {
    const MapView view = FitView(PointsToFit(model));
    const std::vector<std::string> groups = ReportGroups(model);
    const std::string land = sharedLand.empty()
                                 ? "<path class=\"land\" d=\"" + OutlinePath(outline, view) +
                                       "\" fill=\"" + std::string(kLandColour) + "\" stroke=\"" +
                                       std::string(kCoastColour) +
                                       "\" stroke-width=\"0.8\" fill-rule=\"evenodd\"/>"
                                 : SharedLandUse(view, sharedLand);
    std::string svg =
        "<svg class=\"map\" viewBox=\"0 0 1000 500\" xmlns=\"http://www.w3.org/2000/svg\" "
        "role=\"img\" aria-label=\"Map of the worked positions\" font-family=\"sans-serif\">\n"
        "<rect width=\"1000\" height=\"500\" fill=\"" +
        std::string(kSeaColour) + "\"/>\n" + land + "\n" + Graticule(view) + PolarCircles(view) +
        "<g class=\"marks\">\n";
    for (const MapMark& mark : CollectMarks(model, groups)) {
        const CanvasPoint c = view.Project(mark.position.longitude, mark.position.latitude);
        const double r = MarkRadius(mark.qsos);
        svg += "<g class=\"mark" + std::string(mark.zelkStation ? " zelk" : "") +
               (mark.polar ? " polar" : "") + "\" data-lat=\"" + Int(mark.position.latitude) +
               "\" data-lon=\"" + Int(mark.position.longitude) + "\" data-qsos=\"" +
               Int(mark.qsos) + "\">" + Tooltip(model, mark) + MarkShapes(mark, c, r) +
               Frames(mark, c, r) + "</g>\n";
    }
    svg += "</g>\n";
    if (model.entrant.position && view.Contains(*model.entrant.position)) {
        const CanvasPoint c =
            view.Project(model.entrant.position->longitude, model.entrant.position->latitude);
        svg += "<g class=\"station\"><title>" +
               Escape("Own station " + model.entrant.call + ", " + model.entrant.coordinateText) +
               "</title><path d=\"" + StarPath(c, 12) + "\" fill=\"" + std::string(kStationColour) +
               "\" stroke=\"#fff\" stroke-width=\"1.5\"/></g>\n";
    }
    return svg +
           "<rect x=\"0.5\" y=\"0.5\" width=\"999\" height=\"499\" fill=\"none\" "
           "stroke=\"#8aa0b0\"/>\n</svg>\n";
}

}  // namespace zelk::report_html
