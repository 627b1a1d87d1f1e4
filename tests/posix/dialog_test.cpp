// The two dialogs on POSIX: the terminal form, driven through streams, and
// the unattended choice made by ZELK_DIALOG when there is no terminal.
#include <fcntl.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "contest/cabrillo_dialog.h"
#include "contest/master_dialog.h"
#include "folder_fixture.h"
#include "platform/posix/dialog_forms.h"

namespace zelk::posix_test {
namespace {

using posix::kDialogCancel;
using posix::kDialogOk;

// The header as the plug-in opens the dialog on it.
Cabrillo OpeningHeader() {
    Cabrillo d;
    d.m_strCallsign = "DL1ABC";
    d.m_strOperators = "DL1ABC";
    d.m_strName = "Bob";
    d.m_strClub = "Radio Club";
    d.m_strSoapbox = "line one\r\nline two";
    d.m_strContest = "ZELK";
    d.m_strCategoryOperator = "SINGLE-OP";
    d.m_strCategoryOverlay = "NONE";
    d.m_strCategoryMode = "CW";
    d.m_strCategoryBand = "ALL";
    d.m_strCategoryPower = "HIGH";
    d.m_strCategoryTransmitter = "ONE";
    d.m_strLocation = "DX";
    d.m_strCategoryStation = "FIXED";
    d.m_strCategoryAssisted = "NON-ASSISTED";
    return d;
}

std::map<std::string, std::string> FieldsByLabel(const Cabrillo& d) {
    std::map<std::string, std::string> fields;
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        fields[std::string(control.label)] = d.*control.field;
    }
    return fields;
}

// The operator's input: one answer per editable control in tab order (Enter
// where `answers` has none), then the answer to the confirmation.
std::string Typed(const std::map<std::string, std::string>& answers, const std::string& confirm) {
    std::string input;
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        if (control.enabled) {
            auto answer = answers.find(std::string(control.label));
            input += (answer == answers.end() ? "" : answer->second) + "\n";
        }
    }
    return input + confirm + "\n";
}

int RunHeader(Cabrillo& d, const std::string& input, std::string* shown = nullptr) {
    std::istringstream in(input);
    std::ostringstream out;
    int result = posix::RunHeaderDialogOn(d, in, out);
    if (shown) {
        *shown = out.str();
    }
    return result;
}

TEST(TerminalFormTest, EnterKeepsEveryValue) {
    for (const char* confirm : {"", "y", "yes", "maybe\ny"}) {
        Cabrillo d = OpeningHeader();
        EXPECT_EQ(RunHeader(d, Typed({}, confirm)), kDialogOk) << confirm;
        EXPECT_EQ(FieldsByLabel(d), FieldsByLabel(OpeningHeader())) << confirm;
    }
}

TEST(TerminalFormTest, TypedTextReplacesAndANumberPicksFromTheShownList) {
    Cabrillo d = OpeningHeader();
    std::string shown;
    ASSERT_EQ(RunHeader(d,
                        Typed({{"CALLSIGN", "DL1ABC/P"},
                               {"CLUB", "\"\""},
                               {"CATEGORY-POWER", "2"},          // HIGH, LOW, QRP
                               {"CATEGORY-TRANSMITTER", "3"},    // ONE, TWO, UNLIMITED
                               {"CATEGORY-OPERATOR", "2"},       // in the order added
                               {"CATEGORY-BAND", "7"},           // no seventh item
                               {"ADDRESS-CITY", "Berlin"},       // after the disabled LOCATION
                               {"ADDRESS-COUNTRY", "Germany"}},  // the last one asked
                              "y"),
                        &shown),
              kDialogOk);
    EXPECT_EQ(d.m_strCallsign, "DL1ABC/P");
    EXPECT_EQ(d.m_strClub, "");
    EXPECT_EQ(d.m_strCategoryPower, "LOW");
    EXPECT_EQ(d.m_strCategoryTransmitter, "UNLIMITED");
    EXPECT_EQ(d.m_strCategoryOperator, "MULTI-MULTI");
    EXPECT_EQ(d.m_strCategoryBand, "7");
    EXPECT_EQ(d.m_strAddressCity, "Berlin");
    EXPECT_EQ(d.m_strAddressCountry, "Germany");
    EXPECT_EQ(d.m_strLocation, "DX");
    EXPECT_NE(shown.find("ZELK Contest "), std::string::npos);
    EXPECT_NE(shown.find("1 HIGH, 2 LOW, 3 QRP"), std::string::npos);
    EXPECT_EQ(shown.find("1 FIXED"), std::string::npos) << "no list for a disabled box";
    EXPECT_NE(shown.find("LOCATION: DX  (cannot be changed)"), std::string::npos);
}

TEST(TerminalFormTest, SoapboxLinesGoOnAfterABackslash) {
    Cabrillo d = OpeningHeader();
    ASSERT_EQ(RunHeader(d, Typed({{"SOAPBOX", "first\\\n\\\nthird"}}, "y")), kDialogOk);
    EXPECT_EQ(d.m_strSoapbox, "first\r\n\r\nthird");
}

TEST(TerminalFormTest, BoxesOpenOnTheItemTheirValueBegins) {
    Cabrillo d = OpeningHeader();
    d.m_strCategoryStation = "port";  // disabled, sorted box
    d.m_strCategoryBand = "4";        // editable box
    d.m_strCategoryOverlay = "NONE";  // in no list: shown as typed
    ASSERT_EQ(RunHeader(d, Typed({}, "y")), kDialogOk);
    EXPECT_EQ(d.m_strCategoryStation, "PORTABLE");
    EXPECT_EQ(d.m_strCategoryBand, "40M");
    EXPECT_EQ(d.m_strCategoryOverlay, "NONE");
}

TEST(TerminalFormTest, NotConfirmingLeavesTheDialogUnchanged) {
    const std::map<std::string, std::string> edits = {{"CALLSIGN", "XX9XX"},
                                                      {"CATEGORY-POWER", "3"}};
    const std::string typed = Typed(edits, "");
    const std::string endings[] = {
        Typed(edits, "n"),    Typed(edits, "no"),
        Typed(edits, "\x1b"), typed.substr(0, typed.size() - 1),  // input ends at the confirmation
        "XX9XX\n\n",                                              // input ends within the form
        "XX9XX\n\x1b\n",                                          // Escape within the form
    };
    for (const std::string& input : endings) {
        Cabrillo d = OpeningHeader();
        d.m_strCategoryBand = "4";  // would become 40M on OK
        Cabrillo before = d;
        EXPECT_EQ(RunHeader(d, input), kDialogCancel);
        EXPECT_EQ(FieldsByLabel(d), FieldsByLabel(before));
    }
}

TEST(TerminalFormTest, SetupDialogEditsTheCoordinate) {
    struct Case {
        const char* input;
        int result;
        const char* coordinate;
    };
    const Case cases[] = {{"55N37O\n\n", kDialogOk, "55N37O"},
                          {"\ny\n", kDialogOk, "50N30O"},
                          {"\"\"\ny\n", kDialogOk, ""},
                          {"55N37O\nn\n", kDialogCancel, "50N30O"},
                          {"55N37O\n", kDialogCancel, "50N30O"}};
    for (const Case& c : cases) {
        Master d;
        d.m_strCoordinate = "50N30O";
        std::istringstream in(c.input);
        std::ostringstream out;
        EXPECT_EQ(posix::RunSetupDialogOn(d, in, out), c.result) << c.input;
        EXPECT_EQ(d.m_strCoordinate, c.coordinate) << c.input;
        EXPECT_NE(out.str().find("Setup ZELK Contest"), std::string::npos);
        EXPECT_NE(out.str().find("Input your coordinate [50N30O]: "), std::string::npos);
    }
}

// Without a terminal (standard input is /dev/null), ZELK_DIALOG decides.
class UnattendedDialogTest : public InFreshFolder {
  protected:
    void SetUp() override {
        InFreshFolder::SetUp();
        m_stdin = ::dup(STDIN_FILENO);
        int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::close(null);
        const char* setting = std::getenv("ZELK_DIALOG");
        m_setting = setting ? std::optional<std::string>(setting) : std::nullopt;
    }
    void TearDown() override {
        if (m_setting) {
            ::setenv("ZELK_DIALOG", m_setting->c_str(), 1);
        } else {
            ::unsetenv("ZELK_DIALOG");
        }
        ::dup2(m_stdin, STDIN_FILENO);
        ::close(m_stdin);
        InFreshFolder::TearDown();
    }

  private:
    int m_stdin = -1;
    std::optional<std::string> m_setting;
};

TEST_F(UnattendedDialogTest, ZelkDialogConfirmsOrCancels) {
    struct Case {
        const char* setting;  // null: unset
        int result;
        const char* warning;
    };
    const Case cases[] = {
        {nullptr, kDialogOk, ""},
        {"ok", kDialogOk, ""},
        {"cancel", kDialogCancel, ""},
        {"later", kDialogCancel,
         "ZELK_DIALOG=later is neither ok nor cancel: the dialog is cancelled\n"}};
    for (const Case& c : cases) {
        if (c.setting) {
            ::setenv("ZELK_DIALOG", c.setting, 1);
        } else {
            ::unsetenv("ZELK_DIALOG");
        }
        Cabrillo header = OpeningHeader();
        header.m_strCategoryBand = "4";
        Cabrillo expected = header;
        if (c.result == kDialogOk) {
            expected.m_strCategoryBand = "40M";  // what the dialog shows, taken on OK
        }
        Master setup;
        setup.m_strCoordinate = "55N37O";

        ::testing::internal::CaptureStderr();
        EXPECT_EQ(platform.RunHeaderDialog(header), c.result);
        EXPECT_EQ(platform.RunSetupDialog(setup), c.result);
        std::string warnings = ::testing::internal::GetCapturedStderr();

        EXPECT_EQ(FieldsByLabel(header), FieldsByLabel(expected));
        EXPECT_EQ(setup.m_strCoordinate, "55N37O");
        EXPECT_EQ(warnings, std::string(c.warning) + c.warning);
    }
}

}  // namespace
}  // namespace zelk::posix_test
