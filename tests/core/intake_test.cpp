// AddData0 and RemoveData0: what is admitted, how it is stored, what is
// removed.
#include <gtest/gtest.h>

#include "contest_fixture.h"
#include "log/intake.h"

namespace zelk::testing {
namespace {

TEST(Intake, NormalisesTheReceivedExchange) {
    struct Case {
        const char* received;
        const char* stored;
    } cases[] = {
        {"155N37O", "001 55N37O"},      {"1255N37O", "012 55N37O"},
        {"12355S37W", "123 55S37W"},    {"123455N37O", "1234 55N37O"},
        {"12 55N37O", "12 55N37O"},     {"5N37O", "5N37O"},
        {"1234555N37O", "1234555N37O"}, {"155n37o", "155n37o"},
        {"AB55N37O", "0AB 55N37O"},     {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormaliseReceivedExchange(c.received), c.stored) << c.received;
    }
}

class IntakeTest : public ContestTest {};

TEST_F(IntakeTest, TheRoadOfOneContact) {
    platform.SetSetting("Setup_ZELK", "50N30O");
    ASSERT_EQ(Reset(), 1);
    EXPECT_EQ(Add(Contact("DL1AA", "1255N37O", "14", "001")), 1);
    ASSERT_EQ(state.g_qsoLog.Count(), 1u);
    const CInfo& r = state.g_qsoLog.At(0);
    EXPECT_EQ(r.m_strExchRcvd, "012 55N37O");
    EXPECT_EQ(r.m_strExchSent, "001 50N30O");
    EXPECT_EQ(r.m_nFreqKHz, 14025);
    EXPECT_EQ(r.m_strRstSent, "599");
    EXPECT_EQ(state.g_groupList.At(0), "14");
}

TEST_F(IntakeTest, RefusesOtherModesAndMissingExchangesWithoutChangingTheLog) {
    ASSERT_EQ(Reset(), 1);
    ContactArgs lower = Contact("DL1AA", "155N37O");
    lower.mode = "cw";
    EXPECT_EQ(Add(lower), 0);
    ContactArgs noReceived = Contact("DL1AA", "");
    EXPECT_EQ(Add(noReceived), 0);
    EXPECT_EQ(Add(Contact("DL1AA", "155N37O", "14", "")), 0);
    EXPECT_EQ(state.g_qsoLog.Count(), 0u);
    EXPECT_EQ(state.g_groupList.Count(), 0u);
    EXPECT_TRUE(state.g_stationCoord.empty());
}

TEST_F(IntakeTest, BuildsTheStationCoordinateOnceWhenTheSettingsHoldNone) {
    ASSERT_EQ(Reset(0, "UA3ABC", -55.5, 37.9), 1);
    EXPECT_EQ(Add(Contact("DL1AA", "155N37O", "14", "001")), 1);
    EXPECT_EQ(state.g_qsoLog.At(0).m_strExchSent, "001 55S37O");
    EXPECT_EQ(state.g_stationCoord, "55S37O");
    EXPECT_FALSE(platform.Setting("Setup_ZELK"));
}

TEST_F(IntakeTest, StoresAnIdenticalContactOnceAndATimeLaterOneAgain) {
    ASSERT_EQ(Reset(), 1);
    EXPECT_EQ(Add(Contact("DL1AA", "155N37O")), 1);
    EXPECT_EQ(Add(Contact("DL1AA", "155N37O")), 1);
    EXPECT_EQ(state.g_qsoLog.Count(), 1u);
    ContactArgs later = Contact("DL1AA", "155N37O");
    later.time = ValidTime(kContactDay + 0.01);
    EXPECT_EQ(Add(later), 1);
    EXPECT_EQ(state.g_qsoLog.Count(), 2u);
    ContactArgs invalid = Contact("DL1AA", "155N37O");
    invalid.time = TimeWithStatus(DateTimeStatus::Invalid);
    EXPECT_EQ(Add(invalid), 1);
    EXPECT_EQ(Add(invalid), 1);
    EXPECT_EQ(state.g_qsoLog.Count(), 4u);  // invalid times are never duplicates
}

TEST_F(IntakeTest, FrequencyDropsTheRemainder) {
    ASSERT_EQ(Reset(), 1);
    ContactArgs c = Contact("DL1AA", "155N37O");
    c.freqHz = 7000999;
    Add(c);
    c.freqHz = 4294967295u;
    c.call = "DL2BB";
    Add(c);
    EXPECT_EQ(state.g_qsoLog.At(0).m_nFreqKHz, 7000);
    EXPECT_EQ(state.g_qsoLog.At(1).m_nFreqKHz, 4294967);
}

TEST_F(IntakeTest, RemoveTakesTheFirstOfTwoEqualKeys) {
    ASSERT_EQ(Reset(), 1);
    Add(Contact("DL1AA", "155N37O", "14", "001"));
    Add(Contact("DL1AA", "255N37O", "14", "002"));
    Add(Contact("DL2BB", "355N37O", "14", "003"));
    // The exchanges given to RemoveData0 only need to be non-empty.
    EXPECT_EQ(RemoveData0(state, Contact("DL1AA", "x", "14", "y")), 1);
    ASSERT_EQ(state.g_qsoLog.Count(), 2u);
    EXPECT_EQ(state.g_qsoLog.At(0).m_strExchRcvd, "002 55N37O");
    EXPECT_EQ(state.g_qsoLog.At(1).m_strCall, "DL2BB");
}

TEST_F(IntakeTest, RemoveNeedsBothExchangesAndNeverTouchesGroupsOrErrorFile) {
    ASSERT_EQ(Reset(), 1);
    Add(Contact("DL1AA", "155N37O", "7"));
    const std::string errBefore = platform.files["err.txt"];
    EXPECT_EQ(RemoveData0(state, Contact("DL1AA", "", "7")), 0);
    EXPECT_EQ(state.g_qsoLog.Count(), 1u);
    EXPECT_EQ(RemoveData0(state, Contact("DL9ZZ", "1", "7")), 1);
    ContactArgs ssb = Contact("DL1AA", "1", "7");
    ssb.mode = "SSB";
    EXPECT_EQ(RemoveData0(state, ssb), 1);
    EXPECT_EQ(state.g_qsoLog.Count(), 1u);
    EXPECT_EQ(RemoveData0(state, Contact("DL1AA", "1", "7")), 1);
    EXPECT_EQ(state.g_qsoLog.Count(), 0u);
    EXPECT_EQ(state.g_groupList.Count(), 1u);
    EXPECT_EQ(platform.files["err.txt"], errBefore);
}

TEST_F(IntakeTest, WorksBeforeAnyResetOnTheLoadTimeState) {
    EXPECT_EQ(Add(Contact("DL1AA", "155N37O")), 1);
    EXPECT_EQ(state.g_qsoLog.At(0).m_strExchSent, "001 0N0O");
    EXPECT_TRUE(platform.FileExists("err.txt"));
}

}  // namespace
}  // namespace zelk::testing
