// Drawing the chart on a canvas of 1000 by 320 units.
#include "report_html/rate_chart.h"

#include <algorithm>
#include <array>
#include <vector>

#include "report_html/clock.h"
#include "report_html/groups.h"
#include "report_html/html_text.h"

namespace zelk::report_html {

namespace {

constexpr double kLeft = 64.0;
constexpr double kRight = 920.0;
constexpr double kTop = 34.0;
constexpr double kBottom = 276.0;
constexpr std::string_view kScoreColour = "#222222";

// The smallest step of 1, 2, 2.5 or 5 times a power of ten that divides
// `largest` into at most `parts` parts.
int64_t NiceStep(int64_t largest, int64_t parts) {
    for (int64_t power = 1;; power *= 10) {
        for (int64_t tenths : {10, 20, 25, 50}) {
            const int64_t step = std::max<int64_t>(1, power * tenths / 10);
            if (step * parts >= largest) {
                return step;
            }
        }
    }
}

struct Axis {
    int64_t step;
    int64_t top;  // the value at the top of the plot
    double Y(int64_t value) const {
        return kBottom - (kBottom - kTop) * static_cast<double>(value) / static_cast<double>(top);
    }
};

Axis MakeAxis(int64_t largest) {
    const int64_t step = NiceStep(std::max<int64_t>(largest, 1), 5);
    return {step, std::max<int64_t>(step, (largest + step - 1) / step * step)};
}

struct TimeAxis {
    int64_t from;
    int64_t to;
    double X(int64_t minute) const {
        return kLeft + (kRight - kLeft) * static_cast<double>(minute - from) /
                           static_cast<double>(to - from);
    }
};

std::string TimeTicks(const TimeAxis& axis) {
    constexpr std::array<int64_t, 8> kHourSteps = {1, 2, 3, 4, 6, 12, 24, 48};
    const int64_t hours = (axis.to - axis.from) / kMinutesPerHour;
    int64_t step = kHourSteps.back();
    for (int64_t candidate : kHourSteps) {
        if (hours / candidate <= 12) {
            step = candidate;
            break;
        }
    }
    if (hours / step > 24) {
        step = (hours + 23) / 24;  // logs spread over many days
    }
    std::string out = "<g font-size=\"13\" fill=\"#444\" text-anchor=\"middle\">";
    for (int64_t t = axis.from; t <= axis.to; t += step * kMinutesPerHour) {
        const std::string x = Decimal1(axis.X(t));
        out += "<path d=\"M" + x + " " + Decimal1(kBottom) + "v5\" stroke=\"#444\"/><text x=\"" +
               x + "\" y=\"" + Decimal1(kBottom + 19) + "\">" + ClockText(t) + "</text>";
        if (t == axis.from || t % kMinutesPerDay == 0) {
            out += "<text x=\"" + x + "\" y=\"" + Decimal1(kBottom + 35) + "\">" + DateText(t) +
                   "</text>";
        }
    }
    return out + "</g>\n";
}

std::string ValueTicks(const Axis& axis, double x, std::string_view anchor, bool grid) {
    std::string out =
        "<g font-size=\"13\" fill=\"#444\" text-anchor=\"" + std::string(anchor) + "\">";
    for (int64_t v = 0; v <= axis.top; v += axis.step) {
        const std::string y = Decimal1(axis.Y(v));
        if (grid) {
            out += "<path d=\"M" + Decimal1(kLeft) + " " + y + "H" + Decimal1(kRight) +
                   "\" stroke=\"#e3e3e3\"/>";
        }
        out += "<text x=\"" + Decimal1(x) + "\" y=\"" + Decimal1(axis.Y(v) + 4) + "\">" + Int(v) +
               "</text>";
    }
    return out + "</g>\n";
}

std::string Bars(const RateSheet& sheet, const TimeAxis& time, const Axis& qsos) {
    std::string out = "<g class=\"bars\">";
    for (const HourCounts& hour : sheet.hours) {
        const double x0 = time.X(hour.hourStart);
        const double width = std::max(1.0, time.X(hour.hourStart + kMinutesPerHour) - x0 - 2.0);
        int64_t below = 0;
        for (std::size_t g = 0; g < hour.perGroup.size(); ++g) {
            const int32_t count = hour.perGroup[g];
            if (count == 0) {
                continue;
            }
            const double top = qsos.Y(below + count);
            out += "<rect x=\"" + Decimal1(x0 + 1.0) + "\" y=\"" + Decimal1(top) + "\" width=\"" +
                   Decimal1(width) + "\" height=\"" + Decimal1(qsos.Y(below) - top) + "\" fill=\"" +
                   std::string(GroupColour(g)) + "\"><title>" +
                   Escape(ClockText(hour.hourStart) + "\u2013" +
                          ClockText(hour.hourStart + kMinutesPerHour) + " on " + sheet.groups[g] +
                          ": " + Int(count) + (count == 1 ? " QSO" : " QSOs")) +
                   "</title></rect>";
            below += count;
        }
    }
    return out + "</g>\n";
}

// What each timed contact added to the score (its points and any bonus), by
// minute, in time order.
std::vector<std::pair<int64_t, int64_t>> ScoreGains(const ReportModel& model) {
    std::vector<std::pair<int64_t, int64_t>> gains;
    for (const AdmittedContact& contact : model.contacts) {
        if (contact.minute) {
            gains.emplace_back(*contact.minute, int64_t{contact.points} + contact.bonus);
        }
    }
    std::stable_sort(gains.begin(), gains.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return gains;
}

// The running score as steps: it rises at each contact's minute.
std::string ScoreLine(const std::vector<std::pair<int64_t, int64_t>>& gains, const TimeAxis& time,
                      const Axis& axis) {
    std::string path = "M" + Decimal1(time.X(gains.front().first)) + " " + Decimal1(kBottom);
    int64_t score = 0;
    for (std::size_t i = 0; i < gains.size(); ++i) {
        score += gains[i].second;
        if (i + 1 < gains.size() && gains[i + 1].first == gains[i].first) {
            continue;
        }
        path += "V" + Decimal1(axis.Y(score));
        if (i + 1 < gains.size()) {
            path += "H" + Decimal1(time.X(gains[i + 1].first));
        }
    }
    return "<path class=\"score\" d=\"" + path + "\" fill=\"none\" stroke=\"" +
           std::string(kScoreColour) + "\" stroke-width=\"2\"/>\n";
}

// The breaks as grey bands over the bars: the hours they fall in were not
// all operated.
std::string Breaks(const OperatingTime& operating, const TimeAxis& time) {
    std::string out;
    for (const Break& pause : operating.breaks) {
        const double x0 = time.X(pause.from);
        out += "<rect class=\"break\" x=\"" + Decimal1(x0) + "\" y=\"" + Decimal1(kTop) +
               "\" width=\"" + Decimal1(time.X(pause.to) - x0) + "\" height=\"" +
               Decimal1(kBottom - kTop) + "\" fill=\"#8c9aa6\" fill-opacity=\"0.28\"><title>" +
               Escape("Break " + ClockText(pause.from) + "\u2013" + ClockText(pause.to) + ", " +
                      DurationText(pause.to - pause.from)) +
               "</title></rect>\n";
    }
    return out;
}

}  // namespace

std::string RateChartSvg(const ReportModel& model, const RateSheet& sheet,
                         const OperatingTime& operating) {
    if (sheet.hours.empty()) {
        return "<p class=\"note\">No contact has a time, so there is nothing to chart.</p>\n";
    }
    const TimeAxis time{sheet.hours.front().hourStart,
                        sheet.hours.back().hourStart + kMinutesPerHour};
    int32_t busiest = 0;
    for (const HourCounts& hour : sheet.hours) {
        busiest = std::max(busiest, hour.total);
    }
    const Axis qsos = MakeAxis(busiest);
    const auto gains = ScoreGains(model);
    int64_t finalScore = 0;
    for (const auto& gain : gains) {
        finalScore += gain.second;
    }
    const Axis score = MakeAxis(finalScore);
    return "<svg class=\"chart\" viewBox=\"0 0 1000 320\" xmlns=\"http://www.w3.org/2000/svg\" "
           "role=\"img\" aria-label=\"QSOs per hour and score against time\" "
           "font-family=\"sans-serif\">\n" +
           ValueTicks(qsos, kLeft - 8, "end", true) +
           ValueTicks(score, kRight + 8, "start", false) + Bars(sheet, time, qsos) +
           Breaks(operating, time) + ScoreLine(gains, time, score) + "<path d=\"M" +
           Decimal1(kLeft) + " " + Decimal1(kTop) + "V" + Decimal1(kBottom) + "H" +
           Decimal1(kRight) + "V" + Decimal1(kTop) + "\" fill=\"none\" stroke=\"#444\"/>\n" +
           TimeTicks(time) + "<g font-size=\"13\" fill=\"#444\"><text x=\"" + Decimal1(kLeft) +
           "\" y=\"20\">QSOs per hour, by band</text><text x=\"" + Decimal1(kRight) +
           "\" y=\"20\" text-anchor=\"end\">score</text><path d=\"M" + Decimal1(kRight - 74) +
           " 15h28\" stroke=\"" + std::string(kScoreColour) +
           "\" stroke-width=\"2\"/></g>\n</svg>\n";
}

}  // namespace zelk::report_html
