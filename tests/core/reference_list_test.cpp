// The reference list and the three questions asked while typing.
#include <gtest/gtest.h>

#include <cstring>

#include "contest_fixture.h"

namespace zelk::testing {
namespace {

TEST(ReferencePieces, LinesAreCutInto24CharacterPiecesEndingAfterTheLineFeed) {
    const std::string line30 = "RA3ABC 123456789012345678901";  // 28 + LF = 29
    const auto pieces = SplitReferencePieces("UA1AA 55N37O\n" + line30 + "\nR1 x");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], "UA1AA 55N37O\n");
    EXPECT_EQ(pieces[1], line30.substr(0, 24));
    EXPECT_EQ(pieces[2], line30.substr(24) + "\n");
    EXPECT_EQ(pieces[3], "R1 x");
    EXPECT_TRUE(SplitReferencePieces("").empty());
    EXPECT_EQ(SplitReferencePieces("A b\nC d\n").size(), 2u);
    EXPECT_EQ(SplitReferencePieces("A b\nC d").size(), 2u);
    EXPECT_EQ(SplitReferencePieces(std::string("A b\0zz\nC", 8))[0], "A b");
}

TEST(LookupReference, FirstMatchingKeyWinsAndCaseCounts) {
    const std::vector<std::string> list = {"UA1AA first\n", "UA1AA second\n", "NOBLANK\n",
                                           " leading\n"};
    EXPECT_EQ(LookupReference(list, "UA1AA"), "first\n");
    EXPECT_EQ(LookupReference(list, "ua1aa"), "NO");
    EXPECT_EQ(LookupReference(list, "NOBLANK\n"), "NO");
    EXPECT_EQ(LookupReference(list, ""), "NOBLANK\n");  // an entry without a blank has an empty key
}

class CheckCallTest : public ContestTest {
  protected:
    CheckCallTest() {
        platform.files[std::string(kReferenceFileName)] =
            "UA1AA 55N37O\r\nRA3ABCDEF 1234567890123456789012345\r\n";
        buffer.fill('#');
    }
    int Check(std::string_view call, std::string_view group = "14", std::string_view mode = "CW",
              bool wantReference = true) {
        return CheckCall0(state, call, mode, group, wantReference ? "" : nullptr, buffer.data());
    }
    std::string Buffer() const { return std::string(buffer.data()); }
    std::array<char, 100> buffer{};
};

TEST_F(CheckCallTest, NewCallGetsItsReferenceText) {
    ASSERT_EQ(Reset(), 1);
    EXPECT_EQ(Check("UA1AA"), 1);
    EXPECT_EQ(Buffer(), "55N37O\n");
}

TEST_F(CheckCallTest, UnknownOrLowerCaseCallLeavesTheBufferAlone) {
    ASSERT_EQ(Reset(), 1);
    EXPECT_EQ(Check("ua1aa"), 1);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(Check("UA1AA", "14", "CW", false), 1);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(CheckCall0(state, "UA1AA", "CW", "14", "", nullptr), 1);
}

TEST_F(CheckCallTest, WorkedBeforeMeansSameCallGroupAndMode) {
    ASSERT_EQ(Reset(), 1);
    Add(Contact("UA1AA", "155N37O", "14"));
    EXPECT_EQ(Check("UA1AA", "14"), 0);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(Check("UA1AA", "7"), 1);
    EXPECT_EQ(Check("UA1AA", "14", "SSB"), 1);
}

TEST_F(CheckCallTest, ALongLinesSecondPieceIsAnEntryOfItsOwn) {
    ASSERT_EQ(Reset(), 1);
    ASSERT_EQ(state.g_refList.size(), 3u);
    EXPECT_EQ(Check("RA3ABCDEF"), 1);
    EXPECT_EQ(Buffer(), "12345678901234");
}

TEST_F(CheckCallTest, ResetWithoutTheFileFailsWithTheMessageAndAnEmptyLog) {
    ASSERT_EQ(Reset(), 1);
    Add(Contact("UA1AA", "155N37O"));
    platform.files.erase(std::string(kReferenceFileName));
    EXPECT_EQ(Reset(1, "NEWCALL"), 0);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "File zelk.dat not found. Dll incorrect worked ! Pse download zelk.dat!");
    EXPECT_EQ(platform.messages[0].owner, MessageOwner::None);
    EXPECT_FALSE(platform.messages[0].caption);
    EXPECT_EQ(state.g_qsoLog.Count(), 0u);
    EXPECT_EQ(state.g_groupList.Count(), 0u);
    EXPECT_TRUE(state.g_refList.empty());
    EXPECT_EQ(state.g_contestant, "NEWCALL");
    EXPECT_EQ(platform.headerDialogsShown, 0);
    EXPECT_EQ(Check("UA1AA"), 1);
    EXPECT_EQ(buffer[0], '#');
}

TEST(Exchange, ValidExchangesAreThreeDigitsAndTwoLetters) {
    for (const char* valid : {"123AB", "007zz"}) {
        EXPECT_EQ(IsValidExchg0(valid, 0), 1) << valid;
    }
    for (const char* invalid :
         {"12AB", "123ABC", "1234A", "12345", "ABCDE", "599", "", "123A\xC4"}) {
        EXPECT_EQ(IsValidExchg0(invalid, 0), 0) << invalid;
    }
    EXPECT_EQ(IsValidExchg0("123AB", 1), 0);
    EXPECT_EQ(GetExchgCount0(), 1);
}

TEST(SetTable, OneSetNamedZelk) {
    EXPECT_EQ(GetNumberOfSets(), 1);
    EXPECT_STREQ(GetSetName(0), "ZELK (C)");
    EXPECT_STREQ(GetSetName(1), "");
    EXPECT_STREQ(GetSetName(-1), "");
}

}  // namespace
}  // namespace zelk::testing
