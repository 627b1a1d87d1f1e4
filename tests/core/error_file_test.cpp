// The error file: title line, refused-contact lines byte for byte, and its
// life across contest runs.
#include <gtest/gtest.h>

#include "contest_fixture.h"

namespace zelk::testing {
namespace {

class ErrorFileTest : public ContestTest {};

TEST_F(ErrorFileTest, EachResetLeavesOnlyTheTitleLine) {
    platform.files["err.txt"] = "old\r\n";
    ASSERT_EQ(Reset(), 1);
    ASSERT_EQ(Reset(), 1);
    EXPECT_EQ(platform.files["err.txt"], "ZELK CONTEST UBN file \r\n");
}

TEST_F(ErrorFileTest, RefusedContactLinesAreExact) {
    ASSERT_EQ(Reset(), 1);
    ContactArgs ssb = Contact("DL1AA", "155N37O", "14", "001");
    ssb.mode = "SSB";
    ssb.freqHz = 700999;
    Add(ssb);
    Add(Contact("DL2BB", "", "14", "002"));
    ContactArgs nullTime = Contact("DL3CC", "", "14", "003");
    nullTime.time = TimeWithStatus(DateTimeStatus::Null);
    nullTime.mode = "RTTY";
    Add(nullTime);
    ContactArgs invalid = Contact("DL4DD", "1", "14", "");
    invalid.time = TimeWithStatus(DateTimeStatus::Invalid);
    Add(invalid);
    // Stored as a text-mode stream stores it: every line feed as CR LF.
    Add(Contact("RA3\nZZZ", "", "14", "005"));
    ContactArgs crlfMode = Contact("DL5EE", "1", "14", "006");
    crlfMode.mode = "S\r\nSB";
    Add(crlfMode);
    EXPECT_EQ(
        platform.files["err.txt"],
        "ZELK CONTEST UBN file \r\n"
        "QSO:  700  SSB  2019-05-12 0812  UA3ABC  599  001  DL1AA  599  155N37O"
        "   NO TEST MODE !!!\r\n"
        "QSO:  14025  CW  2019-05-12 0812  UA3ABC  599  002  DL2BB  599     NO RX NUMBER !!!\r\n"
        "QSO:  14025  RTTY    UA3ABC  599  003  DL3CC  599     NO TEST MODE !!!\r\n"
        "QSO:  14025  CW  Invalid DateTime  UA3ABC  599    DL4DD  599  1   NO RX NUMBER !!!\r\n"
        "QSO:  14025  CW  2019-05-12 0812  UA3ABC  599  005  RA3\r\nZZZ  599     NO RX NUMBER "
        "!!!\r\n"
        "QSO:  14025  S\r\r\nSB  2019-05-12 0812  UA3ABC  599  006  DL5EE  599  1"
        "   NO TEST MODE !!!\r\n");
}

TEST_F(ErrorFileTest, AFailedResetKeepsThePreviousRunsLines) {
    ASSERT_EQ(Reset(), 1);
    ContactArgs ssb = Contact("DL1AA", "155N37O");
    ssb.mode = "SSB";
    Add(ssb);
    const std::string before = platform.files["err.txt"];
    platform.files.erase(std::string(kReferenceFileName));
    EXPECT_EQ(Reset(), 0);
    EXPECT_EQ(platform.files["err.txt"], before);
    Add(ssb);
    EXPECT_EQ(platform.files["err.txt"], before + before.substr(before.find("QSO:")));
}

TEST_F(ErrorFileTest, AnAdmittedContactCreatesTheFileButWritesNothing) {
    ASSERT_EQ(Reset(), 1);
    platform.files.erase("err.txt");
    Add(Contact("DL1AA", "155N37O"));
    EXPECT_EQ(platform.files.at("err.txt"), "");
    const int appends = platform.appendCalls;
    Add(Contact("DL2BB", "155N37O"));
    EXPECT_EQ(platform.appendCalls, appends) << "an existing file is not opened again";
}

TEST_F(ErrorFileTest, AnUnwritableFileChangesNoResult) {
    platform.failingFiles.insert("err.txt");
    ASSERT_EQ(Reset(), 1);
    ContactArgs ssb = Contact("DL1AA", "155N37O");
    ssb.mode = "SSB";
    EXPECT_EQ(Add(ssb), 0);
    EXPECT_EQ(Add(Contact("DL1AA", "155N37O")), 1);
    EXPECT_EQ(state.g_qsoLog.Count(), 1u);
}

}  // namespace
}  // namespace zelk::testing
