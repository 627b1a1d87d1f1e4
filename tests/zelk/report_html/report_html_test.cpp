// The contest report: the rate sheet's arithmetic, breaks and operating
// time, the map's marks and view, escaping of what a log holds, the small
// readings of the model, and one small page and summary byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "report_html/clock.h"
#include "fixture_models.h"
#include "report_html/html_text.h"
#include "report_html/map_marks.h"
#include "report_html/map_view.h"
#include "report_html/operating_time.h"
#include "report_html/outline_path.h"
#include "report_html/page.h"
#include "report_html/rate_sheet.h"
#include "report_html/summary.h"
#include "report_html/svg_map.h"

namespace zelk::report_html {
namespace {

using testing::kContestDay;

int64_t At(int hour, int minute) {
    return kContestDay + hour * 60 + minute;
}

ReportModel ModelAt(const std::vector<std::pair<int64_t, std::string>>& contacts) {
    ReportModel model;
    for (const auto& [minute, group] : contacts) {
        AdmittedContact contact;
        contact.minute = minute;
        contact.group = group;
        model.contacts.push_back(contact);
    }
    return model;
}

std::size_t Count(const std::string& text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(RateSheet, CountsHoursAndFindsTheBestWindows) {
    struct Hour {
        int64_t start;
        std::vector<int32_t> perGroup;
    };
    struct Case {
        const char* name;
        std::vector<std::pair<int64_t, std::string>> contacts;
        std::vector<Hour> hours;
        RateWindow best60, best10;
    };
    const Case cases[] = {
        {"a single contact",
         {{At(6, 7), "7"}},
         {{At(6, 0), {1}}},
         {1, At(6, 7), At(6, 7)},
         {1, At(6, 7), At(6, 7)}},
        {"an empty hour between two is listed",
         {{At(6, 10), "7"}, {At(8, 5), "14"}},
         {{At(6, 0), {1, 0}}, {At(7, 0), {0, 0}}, {At(8, 0), {0, 1}}},
         {1, At(6, 10), At(6, 10)},
         {1, At(6, 10), At(6, 10)}},
        {"contacts ten minutes apart share no 10-minute window",
         {{At(6, 0), "7"}, {At(6, 10), "7"}, {At(6, 20), "7"}},
         {{At(6, 0), {3}}},
         {3, At(6, 0), At(6, 20)},
         {1, At(6, 0), At(6, 0)}},
        {"across midnight",
         {{At(23, 50), "7"}, {At(23, 55), "7"}, {At(24, 5), "14"}, {At(24, 20), "7"}},
         {{At(23, 0), {2, 0}}, {At(24, 0), {1, 1}}},
         {4, At(23, 50), At(24, 20)},
         {2, At(23, 50), At(23, 55)}},
        {"the earliest of equal windows, times in any order",
         {{At(7, 3), "7"}, {At(6, 1), "7"}, {At(7, 2), "7"}, {At(6, 2), "7"}},
         {{At(6, 0), {2}}, {At(7, 0), {2}}},
         {2, At(6, 1), At(6, 2)},
         {2, At(6, 1), At(6, 2)}},
        {"a log spread over days lists only its hours",
         {{At(6, 0), "7"}, {At(6 + 24 * 5, 0), "7"}},
         {{At(6, 0), {1}}, {At(6 + 24 * 5, 0), {1}}},
         {1, At(6, 0), At(6, 0)},
         {1, At(6, 0), At(6, 0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RateSheet sheet = BuildRateSheet(ModelAt(c.contacts));
        ASSERT_EQ(sheet.hours.size(), c.hours.size());
        int32_t sum = 0;
        for (std::size_t i = 0; i < c.hours.size(); ++i) {
            EXPECT_EQ(sheet.hours[i].hourStart, c.hours[i].start) << "hour " << i;
            EXPECT_EQ(sheet.hours[i].perGroup, c.hours[i].perGroup) << "hour " << i;
            sum += sheet.hours[i].total;
        }
        EXPECT_EQ(sum, static_cast<int32_t>(c.contacts.size()));
        EXPECT_EQ(sheet.total, sum);
        for (auto [got, want] : {std::pair{sheet.best60, c.best60}, {sheet.best10, c.best10}}) {
            EXPECT_EQ(got.qsos, want.qsos);
            EXPECT_EQ(got.first, want.first);
            EXPECT_EQ(got.last, want.last);
        }
    }
}

TEST(RateSheet, PutsContactsWithoutATimeInARowOfTheirOwn) {
    const RateSheet sheet = BuildRateSheet(testing::SmallModel());
    EXPECT_EQ(sheet.groups, (std::vector<std::string>{"14", "7"}));
    EXPECT_EQ(sheet.untimed, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(sheet.groupTotals, (std::vector<int32_t>{4, 4}));
    EXPECT_EQ(sheet.total, 8);
    EXPECT_EQ(sheet.hours.size(), 2u);
}

TEST(OperatingTime, CountsGapsOfTheMinimumOrMoreAsBreaks) {
    struct Case {
        const char* name;
        std::vector<int64_t> minutes;
        int minOff;
        std::size_t breaks;
        int64_t on, off;
    };
    const Case cases[] = {
        {"a single contact operates for no time", {At(6, 0)}, 30, 0, 0, 0},
        {"exactly the minimum apart is a break", {At(6, 0), At(6, 30)}, 30, 1, 0, 30},
        {"a minute less is not", {At(6, 0), At(6, 29)}, 30, 0, 29, 0},
        {"across midnight", {At(23, 40), At(24, 20), At(24, 21)}, 30, 1, 1, 40},
        {"several breaks", {0, 5, 40, 45, 100}, 30, 2, 10, 90},
        {"a longer minimum", {0, 5, 40, 45, 100}, 60, 0, 100, 0},
        {"a minimum below a minute counts as one", {0, 0, 1}, 0, 1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OperatingTime time = MeasureOperatingTime(c.minutes, c.minOff);
        EXPECT_EQ(time.first, c.minutes.front());
        EXPECT_EQ(time.last, c.minutes.back());
        EXPECT_EQ(time.breaks.size(), c.breaks);
        EXPECT_EQ(time.onMinutes, c.on);
        EXPECT_EQ(time.offMinutes, c.off);
    }
    EXPECT_FALSE(MeasureOperatingTime({}, 30).first);
}

TEST(MapMarks, OneMarkPerWorkedPositionSizedByItsContacts) {
    const ReportModel model = testing::SmallModel();
    const std::vector<MapMark> marks = CollectMarks(model, {"14", "7"});
    // Six places: 65N25O twice, on both bands; the contact without a position has none.
    ASSERT_EQ(marks.size(), 6u);
    EXPECT_EQ(marks[0].position, (GeoPoint{65, 25}));
    EXPECT_EQ(marks[0].perGroup, (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(marks[0].contacts, (std::vector<std::size_t>{0, 3}));
    for (const MapMark& mark : marks) {
        EXPECT_EQ(mark.zelkStation, mark.position == (GeoPoint{55, 37}));
        EXPECT_EQ(mark.polar, mark.position == (GeoPoint{69, 18}));
    }
    EXPECT_LT(MarkRadius(1), MarkRadius(2));
    EXPECT_LT(MarkRadius(2), MarkRadius(10));
    EXPECT_EQ(MarkRadius(1000), MarkRadius(100000));  // held at a largest size

    const std::string svg = MapSvg(model, testing::SmallOutline());
    EXPECT_EQ(Count(svg, "data-qsos=\""), 6u);
    EXPECT_EQ(Count(svg, "<g class=\"mark zelk\" data-lat=\"55\" data-lon=\"37\""), 1u);
    EXPECT_EQ(Count(svg, "<g class=\"mark polar\" data-lat=\"69\""), 1u);
    EXPECT_EQ(Count(svg, "<g class=\"station\">"), 1u);
    EXPECT_EQ(Count(svg, "data-lat=\"40\" data-lon=\"-3\" data-qsos=\"1\""), 1u);
}

TEST(MapView, FitsThePointsWithAMarginOrShowsTheWholeWorld) {
    struct Case {
        const char* name;
        std::vector<GeoPoint> points;
        bool wholeWorld;
    };
    const Case cases[] = {
        {"nothing to fit", {}, true},
        {"only points off the globe", {{95, 10}, {10, 200}}, true},
        {"one point", {{55, 37}}, false},
        {"a European contest", {{55, 37}, {38, -9}, {69, 88}, {45, 38}}, false},
        {"near the pole", {{89, 10}, {80, 40}}, false},
        {"both sides of the date line", {{60, 170}, {60, -170}}, true},
        {"pole to pole", {{-80, 0}, {80, 10}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MapView view = FitView(c.points);
        EXPECT_EQ(view.wholeWorld, c.wholeWorld);
        EXPECT_GE(view.south, -90.0);
        EXPECT_LE(view.north, 90.0);
        EXPECT_GE(view.west, -180.0);
        EXPECT_LE(view.east, 180.0);
        const double aspect = (view.east - view.west) *
                              std::cos(view.standardParallel * 3.141592653589793 / 180.0) /
                              (view.north - view.south);
        EXPECT_NEAR(aspect, kMapWidth / kMapHeight, 1e-9);
        for (const GeoPoint& p : c.points) {
            if (std::abs(p.latitude) > 90 || std::abs(p.longitude) > 180) {
                continue;
            }
            EXPECT_TRUE(view.Contains(p)) << p.latitude << " " << p.longitude;
            const CanvasPoint at = view.Project(p.longitude, p.latitude);
            if (!view.wholeWorld) {  // a margin: no point on the edge
                EXPECT_GT(at.x, 10.0);
                EXPECT_LT(at.x, kMapWidth - 10.0);
                EXPECT_GT(at.y, 5.0);
            }
        }
    }
}

TEST(OutlinePath, ClipsTheOutlineToTheViewAndLeavesOutWhatIsOutside) {
    const MapView view = FitView({{55, 37}});  // some 16 degrees of latitude around Moscow
    const std::string path = OutlinePath(testing::SmallOutline(), view);
    EXPECT_EQ(Count(path, "M"), 1u);  // the island far away is left out
    std::string text = path;
    for (char& c : text) {
        if (c == 'M' || c == 'L' || c == 'Z') {
            c = ' ';
        }
    }
    std::istringstream values(text);
    double x = 0, y = 0;
    int points = 0;
    while (values >> x >> y) {
        ++points;
        EXPECT_GE(x, -4.0);
        EXPECT_LE(x, kMapWidth + 4.0);
        EXPECT_GE(y, -4.0);
        EXPECT_LE(y, kMapHeight + 4.0);
    }
    EXPECT_GE(points, 4);
    EXPECT_TRUE(OutlinePath(testing::SmallOutline(), FitView({{-10, -60}})).empty());
}

TEST(HtmlText, EscapesEverythingALogMayHold) {
    const std::pair<std::string, std::string> cases[] = {
        {"R3ZLK", "R3ZLK"},
        {"<script>alert(\"x\")</script>", "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"},
        {"A&B's", "A&amp;B&#39;s"},
        {"\xC4\xD6", "\xC3\x84\xC3\x96"},  // Latin-1 is read as such
        {"\xC3\x84<", "\xC3\x84&lt;"},     // UTF-8 stays
        {std::string("a\0b\x1b", 4),
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"},                     // controls
        {"\x85", "\xEF\xBF\xBD"},              // a C1 control in Latin-1
        {"\xF5\x93", "\xC3\xB5\xEF\xBF\xBD"},  // no UTF-8 lead byte: Latin-1
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(Escape(text), escaped) << text;
    }
    ReportModel hostile = testing::SmallModel();
    hostile.entrant.call = "<img src=x onerror=alert(1)>";
    hostile.entrant.category = "\"><script>";
    const std::string page = ReportPage(hostile, testing::SmallOutline());
    EXPECT_EQ(Count(page, "<script"), 0u);
    EXPECT_EQ(Count(page, "<img"), 0u);
    EXPECT_EQ(Count(page, "<i>"), 0u);  // from a refused line
    // In the title, the heading and the own station's tooltip.
    EXPECT_EQ(Count(page, "&lt;img src=x onerror=alert(1)&gt;"), 3u);
}

TEST(ReportModel, ReadsCoordinatesForDrawingAndSplitsErrorLines) {
    const std::pair<const char*, std::optional<GeoPoint>> positions[] = {
        {"55N37O", GeoPoint{55, 37}},    {"66S10W", GeoPoint{-66, -10}}, {"5N3E", GeoPoint{5, 3}},
        {"90N180W", GeoPoint{90, -180}}, {"91N10O", std::nullopt},       {"55N181O", std::nullopt},
        {"55N", std::nullopt},           {"5537", std::nullopt},         {"55N37", std::nullopt},
        {"55N37OX", std::nullopt},       {"-5N3O", std::nullopt},        {"", std::nullopt},
    };
    for (const auto& [text, position] : positions) {
        EXPECT_EQ(PositionFromCoordinate(text), position) << text;
    }
    const RefusedContact mode = RefusedFromErrorLine("QSO:  700  SSB  x   NO TEST MODE !!!\r\n");
    EXPECT_EQ(mode.contact, "QSO:  700  SSB  x");
    EXPECT_EQ(mode.reason, "NO TEST MODE !!!");
    const RefusedContact exchange =
        RefusedFromErrorLine("QSO:  7010  CW  599     NO RX NUMBER !!!");
    EXPECT_EQ(exchange.contact, "QSO:  7010  CW  599");
    EXPECT_EQ(exchange.reason, "NO RX NUMBER !!!");
    EXPECT_EQ(RefusedFromErrorLine("something else").reason, "");
}

TEST(Clock, TurnsOleDateTimesIntoMinutesAndTexts) {
    const std::pair<double, std::optional<int64_t>> times[] = {
        {45424.25, At(6, 0)},
        {45424.25 - 0.4 / 86400, At(6, 0)},   // a rounding error below the second
        {45424.25 + 59.0 / 86400, At(6, 0)},  // seconds are dropped
        {25569.0, 0},
        {std::nan(""), std::nullopt},
        {1e300, std::nullopt},
    };
    for (const auto& [days, minute] : times) {
        EXPECT_EQ(MinuteFromOleDays(days), minute) << days;
    }
    EXPECT_EQ(DateText(At(23, 59)), "2024-05-12");
    EXPECT_EQ(ContestDateText(At(23, 59)), "12.05.2024");
    EXPECT_EQ(ContestDateText(-1), "31.12.1969");
    EXPECT_EQ(ClockTextNear(At(24, 1), At(6, 0)), "2024-05-13 00:01");
    EXPECT_EQ(ClockText(At(6, 2)), "06:02");
    EXPECT_EQ(DateText(-1), "1969-12-31");
    EXPECT_EQ(DurationText(239), "3 h 59 min");
    EXPECT_EQ(DurationText(120), "2 h");
    EXPECT_EQ(DurationText(45), "45 min");
}

// The page and the summary of the small model, byte for byte. On a change,
// the new text is left in the build folder to compare and copy.
TEST(ReportPage, TheSmallModelGivesTheKeptPageAndSummary) {
    const std::pair<const char*, std::string> outputs[] = {
        {"small-report.html", ReportPage(testing::SmallModel(), testing::SmallOutline())},
        {"small-summary.txt", SummaryText(testing::SmallModel())},
    };
    for (const auto& [name, text] : outputs) {
        const std::filesystem::path kept = std::filesystem::path(ZELK_REPORT_FIXTURES) / name;
        const std::filesystem::path made = std::filesystem::path(ZELK_REPORT_WORK) / name;
        if (text != ReadFile(kept)) {
            std::ofstream(made, std::ios::binary) << text;
            ADD_FAILURE() << name << " differs from the kept one; compare " << made << " with "
                          << kept;
        }
    }
}

}  // namespace
}  // namespace zelk::report_html
