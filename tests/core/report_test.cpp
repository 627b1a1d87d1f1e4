// The result report, byte for byte, and the claimed score it hands on.
#include <gtest/gtest.h>

#include "contest_fixture.h"

namespace zelk::testing {
namespace {

constexpr const char* kEmptyReport =
    "\t\tZELK  Contest 15.05.2019\r\n"
    "\t\t  Contestant: UA3ABC \r\n"
    "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n"
    "Total\t 0\t 0\t0\t0\t0\t0\r\n"
    "\r\n"
    "Score: 0+0+0+0+0 = 0\r\n";

class ReportTest : public ContestTest {};

TEST_F(ReportTest, AnEmptyLogGivesTitleTotalAndScore) {
    ASSERT_EQ(Reset(), 1);
    int claimed = 99;
    EXPECT_EQ(Result(&claimed), kEmptyReport);
    EXPECT_EQ(claimed, 0);
    EXPECT_EQ(platform.Setting("Claimed"), "0");
}

TEST_F(ReportTest, RowsAndTotalsAreExact) {
    platform.SetSetting("Setup_ZELK", "50N30O");
    ASSERT_EQ(Reset(), 1);
    Add(Contact("DL1AA", "1255N37O", "7", "001"));
    Add(Contact("ZELK", "002 70N20O", "14", "002"));
    Add(Contact("DL2BB", "003 45N25O", "", "003"));
    int claimed = 0;
    EXPECT_EQ(Result(&claimed),
              "\t\tZELK  Contest 15.05.2019\r\n"
              "\t\t  Contestant: UA3ABC \r\n"
              "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n"
              "14\t 1\t 50\t20\t10\t300\t100\r\n"
              "7\t 1\t 50\t5\t7\t0\t0\r\n"
              "\t 1\t 50\t5\t5\t0\t0\r\n"
              "Total\t 3\t 150\t30\t22\t300\t100\r\n"
              "\r\n"
              "Score: 150+30+22+300+100 = 602\r\n");
    EXPECT_EQ(claimed, 602);
    EXPECT_EQ(state.g_claimedScore, 602);
    EXPECT_EQ(platform.Setting("Claimed"), "602");
}

TEST_F(ReportTest, TheSameLogGivesTheSameTextAndRewritesClaimed) {
    ASSERT_EQ(Reset(), 1);
    Add(Contact("DL1AA", "1255N37O"));
    const std::string first = Result();
    platform.settingsWrites.clear();
    EXPECT_EQ(Result(), first);
    ASSERT_EQ(platform.settingsWrites.size(), 1u);
    EXPECT_EQ(platform.settingsWrites[0].key, "Claimed");
}

TEST_F(ReportTest, ANullResultPointerIsNotWritten) {
    ASSERT_EQ(Reset(1), 1);
    EXPECT_EQ(std::string(GetResult0(state, nullptr)), kEmptyReport);
}

TEST_F(ReportTest, EntryPointsBeforeAnyResetWorkOnTheLoadTimeState) {
    EXPECT_EQ(Result(),
              "\t\tZELK  Contest \r\n\t\t  Contestant:  \r\n"
              "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n"
              "Total\t 0\t 0\t0\t0\t0\t0\r\n\r\nScore: 0+0+0+0+0 = 0\r\n");
}

}  // namespace
}  // namespace zelk::testing
