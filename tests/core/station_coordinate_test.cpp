// The station coordinate: parsing, reading at reset, and the setup dialog.
#include <gtest/gtest.h>

#include <cmath>

#include "contest/coordinate.h"
#include "contest_fixture.h"

namespace zelk::testing {
namespace {

TEST(ParseCoordinate, TakesDegreesWhereTheRuleFindsThem) {
    struct Case {
        const char* text;
        int32_t lat, lon;
    } cases[] = {
        {"55N37O", 55, 37}, {"33S70W", 33, 70}, {"5N37O", 5, 37},   {"55n37o", 55, 55},
        {"55N", 55, 0},     {"5537", 55, 5537}, {"", 0, 0},         {"N", 0, 0},
        {"66S10W", 66, 10}, {"55S37N", 55, 0},  {"-5N-7O", -5, -7}, {"9", 9, 9},
    };
    for (const Case& c : cases) {
        const Coordinate got = ParseCoordinate(c.text);
        EXPECT_EQ(got.latitude, c.lat) << c.text;
        EXPECT_EQ(got.longitude, c.lon) << c.text;
    }
}

TEST(FormatCoordinate, WritesMagnitudesAndLetters) {
    EXPECT_EQ(FormatCoordinate(55, 37), "55N37O");
    EXPECT_EQ(FormatCoordinate(-33, -70), "33S70W");
    EXPECT_EQ(FormatCoordinate(0, 0), "0N0O");
    EXPECT_EQ(FormatCoordinate(INT32_MIN, 5), "2147483648S5O");
}

class StationCoordinateTest : public ContestTest {};

TEST_F(StationCoordinateTest, ResetReadsTheStoredCoordinate) {
    platform.SetSetting("Setup_ZELK", "55N37O");
    ASSERT_EQ(Reset(0, "X", 10.0, 20.0), 1);
    EXPECT_EQ(state.g_stationCoord, "55N37O");
    EXPECT_EQ(state.g_stationLat, 55);
    EXPECT_EQ(state.g_stationLong, 37);
}

TEST_F(StationCoordinateTest, ResetFallsBackToTheHostsDegrees) {
    ASSERT_EQ(Reset(0, "X", 55.75, 37.62), 1);
    EXPECT_TRUE(state.g_stationCoord.empty());
    EXPECT_EQ(state.g_stationLat, 55);
    EXPECT_EQ(state.g_stationLong, 37);
    ASSERT_EQ(Reset(0, "X", -33.45, -70.66), 1);
    EXPECT_EQ(state.g_stationLat, -33);
    EXPECT_EQ(state.g_stationLong, -70);
    ASSERT_EQ(Reset(0, "X", std::nan(""), 1e30), 1);
    EXPECT_EQ(state.g_stationLat, 0);
    EXPECT_EQ(state.g_stationLong, INT32_MAX);
}

TEST_F(StationCoordinateTest, LongStoredValuesAreReadWhole) {
    const std::string longValue = "55N37O" + std::string(120, 'x');
    platform.SetSetting("Setup_ZELK", longValue);
    ASSERT_EQ(Reset(), 1);
    EXPECT_EQ(state.g_stationCoord, longValue);
}

TEST_F(StationCoordinateTest, SetupShowsTheStoredValueAndSavesOnOk) {
    platform.SetSetting("Setup_ZELK", "55N37O");
    ASSERT_EQ(Reset(), 1);
    std::string shown;
    platform.setupDialog = [&](Master& dialog) {
        shown = dialog.m_strCoordinate;
        dialog.m_strCoordinate = "60N30O";
        return 1;
    };
    SetupSet0(state);
    EXPECT_EQ(shown, "55N37O");
    EXPECT_EQ(platform.Setting("Setup_ZELK"), "60N30O");
    EXPECT_EQ(state.g_stationLat, 55) << "the running contest keeps its coordinate";
    ASSERT_EQ(Reset(), 1);
    EXPECT_EQ(state.g_stationLat, 60);
}

TEST_F(StationCoordinateTest, SetupClosedWithoutOkSavesNothing) {
    platform.SetSetting("Setup_ZELK", "55N37O");
    platform.setupDialog = [](Master& dialog) {
        dialog.m_strCoordinate = "1N1O";
        return 2;
    };
    SetupSet0(state);
    EXPECT_EQ(platform.Setting("Setup_ZELK"), "55N37O");
    EXPECT_TRUE(platform.settingsWrites.empty());
}

TEST_F(StationCoordinateTest, SetupOkOnAnEmptyBoxStoresEmptySoResetUsesTheFallback) {
    platform.SetSetting("Setup_ZELK", "55N37O");
    platform.setupDialog = [](Master& dialog) {
        dialog.m_strCoordinate.clear();
        return 1;
    };
    SetupSet0(state);
    EXPECT_EQ(platform.Setting("Setup_ZELK"), "");
    ASSERT_EQ(Reset(0, "X", 12.0, 34.0), 1);
    EXPECT_EQ(state.g_stationLat, 12);
}

TEST_F(StationCoordinateTest, SetupTellsTheOperatorWhenTheCoordinateCannotBeSaved) {
    platform.failSettingsWrites = true;
    platform.setupDialog = [](Master& dialog) {
        dialog.m_strCoordinate = "60N30O";
        return 1;
    };
    SetupSet0(state);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, "Setup ZELK Contest");
    EXPECT_NE(platform.messages[0].text.find("60N30O"), std::string::npos);
}

}  // namespace
}  // namespace zelk::testing
