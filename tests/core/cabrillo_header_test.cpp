// The Cabrillo header dialog: what it opens with, what OK and CANCEL keep
// and save, the soapbox forms and the file-name base.
#include <gtest/gtest.h>

#include "cabrillo/soapbox.h"
#include "contest_fixture.h"

namespace zelk::testing {
namespace {

TEST(CabrilloFileBase, NeverNamesAFolderDriveOrStream) {
    struct Case {
        const char* call;
        const char* base;
    } cases[] = {
        {"UA3ABC", "UA3ABC"},
        {"UA3ABC/P", "UA3ABC_P"},
        {"UA3\\ABC", "UA3_ABC"},
        {"", "KORV"},
        {" \t ", "KORV"},
        {"  UA3ABC \r\n", "UA3ABC"},
        {"C:X", "C_X"},
        {"A<B>C|D?E*F\"G", "A_B_C_D_E_F_G"},
        {"A\x01"
         "B",
         "A_B"},
        {"../x", ".._x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CabrilloFileBase(c.call), c.base) << c.call;
    }
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning) {
    EXPECT_EQ(ReplaceAll("a/b/c", "/", "_"), "a_b_c");
    EXPECT_EQ(ReplaceAll("<CR><CR>", "<CR>", "<CR><CR>"), "<CR><CR><CR><CR>");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAll("same", "s", "s"), "same");
}

TEST(Soapbox, ThreeFormsRoundTrip) {
    EXPECT_EQ(SoapboxForSettings("line one\r\nline two"), "line one<CR><LF>line two");
    EXPECT_EQ(SoapboxFromSettings("line one<CR><LF>line two"), "line one\r\nline two");
    EXPECT_EQ(SoapboxFileForm("line one<CR><LF>line two"), "line one\r\nSOAPBOX: line two");
    EXPECT_EQ(SoapboxFileForm("end<CR><LF>"), "end\r\nSOAPBOX: ");
    EXPECT_EQ(SoapboxFileForm("a<LF>b"), "ab");
}

class HeaderDialogTest : public ContestTest {
  protected:
    Cabrillo opened;
    void RecordOpening(std::function<void(Cabrillo&)> edit = nullptr, int button = 1) {
        platform.headerDialog = [this, edit, button](Cabrillo& d) {
            opened = d;
            if (edit) {
                edit(d);
            }
            return button;
        };
    }
};

TEST_F(HeaderDialogTest, OpensWithStoredAndFixedValues) {
    platform.SetSetting("Name", "Ivan");
    platform.SetSetting("Claimed", "1234");
    platform.SetSetting("SoapBox", "one<CR><LF>two");
    platform.SetSetting("Category", "CHECKLOG");
    platform.SetSetting("Contest", "OTHER");
    RecordOpening();
    ASSERT_EQ(Reset(1, "UA3ABC/P"), 1);
    EXPECT_EQ(platform.headerDialogsShown, 1);
    EXPECT_EQ(opened.m_strCallsign, "UA3ABC/P");
    EXPECT_EQ(opened.m_strOperators, "UA3ABC/P");
    EXPECT_EQ(opened.m_strName, "Ivan");
    EXPECT_EQ(opened.m_strClaimed, "1234");
    EXPECT_EQ(opened.m_strSoapbox, "one\r\ntwo");
    EXPECT_EQ(opened.m_strContest, "ZELK");
    EXPECT_EQ(opened.m_strCategoryOperator, "SINGLE-OP");
    EXPECT_EQ(opened.m_strCategoryOverlay, "NONE");
    EXPECT_EQ(opened.m_strCategoryMode, "CW");
    EXPECT_EQ(opened.m_strCategoryBand, "ALL");
    EXPECT_EQ(opened.m_strCategoryPower, "HIGH");
    EXPECT_EQ(opened.m_strCategoryTransmitter, "ONE");
    EXPECT_EQ(opened.m_strLocation, "DX");
    EXPECT_EQ(opened.m_strCategoryStation, "FIXED");
    EXPECT_EQ(opened.m_strCategoryAssisted, "NON-ASSISTED");
    EXPECT_EQ(state.g_cabrilloLog.m_strFileBase, "UA3ABC_P");
}

TEST_F(HeaderDialogTest, AnEmptyOperatorsKeyStaysEmpty) {
    platform.SetSetting("Operators", "");
    RecordOpening();
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    EXPECT_EQ(opened.m_strOperators, "");
}

TEST_F(HeaderDialogTest, OkSavesTheKeysInOrderAndKeepsTheFileBase) {
    RecordOpening([](Cabrillo& d) {
        d.m_strCallsign = "R3A";
        d.m_strClaimed = "999999";
        d.m_strSoapbox = "first\r\nsecond";
        d.m_strContest = "MINE";
        d.m_strCategoryBand = "160M";
    });
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    std::vector<std::string> keys;
    for (const auto& w : platform.settingsWrites) {
        keys.push_back(w.key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Operators", "Name", "Address", "Address_City",
                                              "Address_St_Prov", "Address_PostalCode",
                                              "Address_Country", "Category", "Category_Overlay",
                                              "Contest", "Email", "Club", "SoapBox"}));
    EXPECT_EQ(platform.Setting("SoapBox"), "first<CR><LF>second");
    EXPECT_EQ(platform.Setting("Contest"), "MINE");
    const CCabrilloLog& log = state.g_cabrilloLog;
    EXPECT_EQ(log.m_strCallsign, "R3A");
    EXPECT_EQ(log.m_strFileBase, "UA3ABC");
    EXPECT_EQ(log.m_strClaimed, "") << "an edit of CLAIMED is discarded";
    EXPECT_EQ(log.m_strCategoryBand, "160M");
    EXPECT_EQ(log.m_strSoapbox, "first\r\nSOAPBOX: second");
}

TEST_F(HeaderDialogTest, FixedValuesComeBackAtTheNextOpening) {
    RecordOpening([](Cabrillo& d) {
        d.m_strContest = "MINE";
        d.m_strCategoryOperator = "MULTI-OP";
        d.m_strSoapbox = "a\r\nb";
    });
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    RecordOpening();
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    EXPECT_EQ(opened.m_strContest, "ZELK");
    EXPECT_EQ(opened.m_strCategoryOperator, "SINGLE-OP");
    EXPECT_EQ(opened.m_strSoapbox, "a\r\nb");
}

TEST_F(HeaderDialogTest, CancelWritesNothingAndStillTagsEverySoapboxLine) {
    platform.SetSetting("SoapBox", "one<CR><LF>two");
    RecordOpening([](Cabrillo& d) { d.m_strName = "typed"; }, 2);
    state.g_cabrilloLog.m_arrQsoLines.push_back("kept\r\n");
    ASSERT_EQ(Reset(1, "UA3ABC"), 1);
    EXPECT_TRUE(platform.settingsWrites.empty());
    EXPECT_EQ(state.g_cabrilloLog.m_strName, "");
    EXPECT_EQ(state.g_cabrilloLog.m_strSoapbox, "one\r\nSOAPBOX: two");
    EXPECT_EQ(state.g_cabrilloLog.m_arrQsoLines.size(), 1u);
}

TEST_F(HeaderDialogTest, NoDialogWithoutTheCabrilloFlag) {
    ASSERT_EQ(Reset(0), 1);
    EXPECT_EQ(platform.headerDialogsShown, 0);
}

TEST_F(HeaderDialogTest, TheDialogComesAfterTheErrorFileIsStarted) {
    platform.files["err.txt"] = "old";
    std::string errorFileAtOpening;
    platform.headerDialog = [&](Cabrillo&) {
        errorFileAtOpening = platform.files["err.txt"];
        return 1;
    };
    ASSERT_EQ(Reset(1), 1);
    EXPECT_EQ(errorFileAtOpening, "ZELK CONTEST UBN file \r\n");
}

TEST(HeaderForm, ComboBoxesOpenOnTheFirstItemThatBeginsWithTheValue) {
    const HeaderControl& power = HeaderControlById(1021);
    ASSERT_NE(OpeningSelection(power, "high"), nullptr);
    EXPECT_EQ(*OpeningSelection(power, "high"), "HIGH");
    EXPECT_EQ(*OpeningSelection(HeaderControlById(1025), "FIXED"), "FIXED");
    EXPECT_EQ(*OpeningSelection(HeaderControlById(1025), "P"), "PORTABLE");
    EXPECT_EQ(*OpeningSelection(HeaderControlById(1025), ""), "EXPEDITION")
        << "a sorted box searches in the order it shows";
    EXPECT_EQ(*OpeningSelection(HeaderControlById(1013), "MULTI"), "MULTI-MULTI");
    EXPECT_EQ(OpeningSelection(HeaderControlById(1023), "NONE"), nullptr);
    EXPECT_EQ(HeaderControlById(1024).items.size(), 64u);
    int disabled = 0;
    for (const HeaderControl& c : HeaderControlsInTabOrder()) {
        disabled += c.enabled ? 0 : 1;
    }
    EXPECT_EQ(disabled, 4);
    EXPECT_EQ(HeaderControlsInTabOrder().size(), 22u);
    EXPECT_EQ(HeaderExchangeOrder().front(), 1010);
    EXPECT_EQ(HeaderExchangeOrder().back(), 1021);
}

TEST(HeaderForm, ConfirmingAtOnceTakesWhatTheComboBoxesShow) {
    CabrilloHeaderFields fields;
    fields.m_strCategoryBand = "4";
    fields.m_strCategoryPower = "low";
    fields.m_strCategoryOverlay = "NONE";
    fields.m_strName = "4";
    TakeOpeningSelections(fields);
    EXPECT_EQ(fields.m_strCategoryBand, "40M");
    EXPECT_EQ(fields.m_strCategoryPower, "LOW");
    EXPECT_EQ(fields.m_strCategoryOverlay, "NONE") << "no item begins with it: kept as typed";
    EXPECT_EQ(fields.m_strName, "4") << "edit boxes keep their text";
}

}  // namespace
}  // namespace zelk::testing
