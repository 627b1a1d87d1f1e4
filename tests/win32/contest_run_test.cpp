// Whole contest runs through the exports of Stats.dll under Wine, with the
// plug-in's own windows: the message boxes, the setup dialog and the Cabrillo
// header dialog, driven by a watcher thread as an operator would.
#include <windows.h>
// <windows.h> renames these; the plug-in's headers use the plain names.
#undef ReplaceFile
#undef WriteProfileString

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "contest/cabrillo_dialog.h"
#include "plugin_host.h"
#include "resource.h"
#include "window_probe.h"

namespace zelk::test {
namespace {

constexpr double kMinute = 1.0 / 1440.0;

constexpr const char* kReferenceFile = "UA1ZZ 59N30O\r\nRA1AA Moscow\r\n";
constexpr const char* kSettings = "[Settings]\r\nSetup_ZELK=50N30O\r\n";
constexpr const char* kMissingReferenceText =
    "File zelk.dat not found. Dll incorrect worked ! Pse download zelk.dat!";

using ContestRun = PluginHost;

TEST_F(ContestRun, TheSetIsNamedAndAnsweredWithoutAReset) {
    EXPECT_EQ(m_getNumberOfSets(), 1);
    EXPECT_STREQ(m_getSetName(0), "ZELK (C)");
    EXPECT_STREQ(m_getSetName(1), "");
    EXPECT_STREQ(m_getSetName(-1), "");
    EXPECT_EQ(m_getExchgCount0(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(m_isValidExchg0("123AB", "", "", "", 0, 0, 0), 1);
    EXPECT_EQ(m_isValidExchg0("123AB", "", "", "", 0, 0, 1), 0);
    EXPECT_EQ(m_isValidExchg0("12AB", "", "", "", 0, 0, 0), 0);
}

TEST_F(ContestRun, AResetWithoutTheReferenceFileTellsTheOperatorAndFails) {
    WritePlugins("", kSettings);
    std::string text;
    HWND owner = reinterpret_cast<HWND>(1);
    // No caption of its own: the system's default one.
    WindowWatcher watcher("Error", [&](HWND box) {
        text = MessageBoxText(box);
        owner = GetWindow(box, GW_OWNER);
        PressButton(box, IDOK);
    });
    EXPECT_EQ(Reset(0, "UA3ABC"), 0);
    ASSERT_TRUE(watcher.Finished());
    EXPECT_EQ(text, kMissingReferenceText);
    EXPECT_EQ(owner, nullptr);
    EXPECT_FALSE(Exists("err.txt"));

    WritePlugins(kReferenceFile, "");
    EXPECT_EQ(Reset(0, "UA3ABC"), 1);
    EXPECT_EQ(ReadBytes("err.txt"), "ZELK CONTEST UBN file \r\n");
}

TEST_F(ContestRun, AWholeRunScoresChecksCallsAndListsRefusedContacts) {
    WritePlugins(kReferenceFile, kSettings);
    ASSERT_EQ(Reset(0, "UA3ABC"), 1);

    Contact first{.call = "RA1AA", .exchSent = "001", .exchRcvd = "155N37O", .group = "14"};
    Contact zelk{.call = "ZELK",
                 .day = 43600.5 + 2 * kMinute,
                 .exchSent = "002",
                 .exchRcvd = "002 70N20O",
                 .group = "14"};
    Contact otherBand{.call = "UA9XX",
                      .day = 43600.5 + 3 * kMinute,
                      .freqHz = 7012000,
                      .exchSent = "003",
                      .exchRcvd = "1250N30O",
                      .group = "7"};
    Contact phone{.call = "DL1AB",
                  .freqHz = 7000999,
                  .mode = "SSB",
                  .rstRcvd = "579",
                  .exchSent = "004",
                  .exchRcvd = "1455N37O"};
    Contact noExchange{.call = "RA9CC",
                       .day = 43600.5 + 5 * kMinute,
                       .exchSent = "005",
                       .exchRcvd = "",
                       .group = "14"};
    EXPECT_EQ(Add(first), 1);
    EXPECT_EQ(Add(zelk), 1);
    EXPECT_EQ(Add(otherBand), 1);
    EXPECT_EQ(Add(first), 1) << "a repeated contact is admitted once";
    EXPECT_EQ(Add(phone), 0);
    EXPECT_EQ(Add(noExchange), 0);

    int score = 0;
    EXPECT_EQ(Result(&score),
              "\t\tZELK  Contest 15.05.2019\r\n"
              "\t\t  Contestant: UA3ABC \r\n"
              "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n"
              "14\t 2\t 100\t25\t17\t300\t100\r\n"
              "7\t 1\t 50\t0\t0\t0\t0\r\n"
              "Total\t 3\t 150\t25\t17\t300\t100\r\n"
              "\r\n"
              "Score: 150+25+17+300+100 = 592\r\n");
    EXPECT_EQ(score, 592);
    EXPECT_EQ(Setting("Claimed"), "592");

    // Worked before: same call, mode and group.
    char buffer[100] = "untouched";
    EXPECT_EQ(CheckCall("RA1AA", "CW", "14", true, buffer), 0);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(CheckCall("RA1AA", "CW", "7", true, buffer), 1);
    EXPECT_STREQ(buffer, "Moscow\n") << "the reference file is read in text mode";
    EXPECT_EQ(CheckCall("UA1ZZ", "CW", "14", true, buffer), 1);
    EXPECT_STREQ(buffer, "59N30O\n");
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(CheckCall("UA1ZZ", "CW", "14", false, buffer), 1);
    EXPECT_EQ(CheckCall("ua1zz", "CW", "14", true, buffer), 1);
    EXPECT_STREQ(buffer, "untouched");

    EXPECT_EQ(Remove(first), 1);
    EXPECT_EQ(Remove(Contact{.call = "NOBODY", .exchSent = "1", .exchRcvd = "1", .group = "14"}),
              1);
    EXPECT_EQ(Remove(Contact{.call = "ZELK", .exchSent = "002", .exchRcvd = "", .group = "14"}), 0);
    EXPECT_EQ(Result(&score),
              "\t\tZELK  Contest 15.05.2019\r\n"
              "\t\t  Contestant: UA3ABC \r\n"
              "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n"
              "14\t 1\t 50\t20\t10\t300\t100\r\n"
              "7\t 1\t 50\t0\t0\t0\t0\r\n"
              "Total\t 2\t 100\t20\t10\t300\t100\r\n"
              "\r\n"
              "Score: 100+20+10+300+100 = 530\r\n");
    EXPECT_EQ(score, 530);
    EXPECT_EQ(CheckCall("RA1AA", "CW", "14", false, nullptr), 1);

    EXPECT_EQ(ReadBytes("err.txt"),
              "ZELK CONTEST UBN file \r\n"
              "QSO:  7000  SSB  2019-05-15 1200  UA3ABC  599  004  DL1AB  579  1455N37O"
              "   NO TEST MODE !!!\r\n"
              "QSO:  14025  CW  2019-05-15 1205  UA3ABC  599  005  RA9CC  599     NO RX NUMBER !!!"
              "\r\n");
    EXPECT_FALSE(Exists("UA3ABC.cbr")) << "no Cabrillo file without the flag";

    // A new run starts the error file again.
    ASSERT_EQ(Reset(0, "UA3ABC"), 1);
    EXPECT_EQ(ReadBytes("err.txt"), "ZELK CONTEST UBN file \r\n");
}

TEST_F(ContestRun, TheSetupDialogShowsTheStoredCoordinateAndOnlyOkSavesIt) {
    WritePlugins(kReferenceFile, "[Settings]\r\nSetup_ZELK=55N37O\r\n");
    struct Opening {
        std::string shown;
        std::wstring button;
        std::string prompt;
        bool okIsDefault = false;
    };
    const auto read = [](HWND dialog) {
        Opening o;
        o.shown = ItemText(dialog, IDC_COORDINATE);
        o.button = ItemTextWide(dialog, IDOK);
        for (HWND child : ChildrenInCreationOrder(dialog)) {
            if (ClassName(child) == "Static") {
                o.prompt = WindowText(child);
            }
        }
        o.okIsDefault =
            (GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        return o;
    };

    Opening first;
    WindowWatcher ok("Setup ZELK Contest", [&](HWND dialog) {
        first = read(dialog);
        SetDlgItemTextA(dialog, IDC_COORDINATE, "50N30O");
        PressButton(dialog, IDOK);
    });
    m_setupSet0();
    ASSERT_TRUE(ok.Finished());
    EXPECT_EQ(first.shown, "55N37O");
    EXPECT_EQ(first.button, L"\x041E\x041A") << "Cyrillic OK";
    EXPECT_EQ(first.prompt, "Input your coordinate");
    EXPECT_TRUE(first.okIsDefault);
    EXPECT_EQ(Setting("Setup_ZELK"), "50N30O");

    // Escape and the close box save nothing.
    Opening second;
    WindowWatcher escape("Setup ZELK Contest", [&](HWND dialog) {
        second = read(dialog);
        SetDlgItemTextA(dialog, IDC_COORDINATE, "1N1O");
        PostMessageA(GetDlgItem(dialog, IDC_COORDINATE), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    m_setupSet0();
    ASSERT_TRUE(escape.Finished());
    EXPECT_EQ(second.shown, "50N30O");
    WindowWatcher close("Setup ZELK Contest", [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_COORDINATE, "2N2O");
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    m_setupSet0();
    ASSERT_TRUE(close.Finished());
    EXPECT_EQ(Setting("Setup_ZELK"), "50N30O");
}

// The controls of the header dialog as the template made them.
struct ShownControl {
    std::string className;
    DWORD style = 0;
    bool enabled = false;
    std::string text;
    std::vector<std::string> items;
    int selection = CB_ERR;
};

struct ShownHeader {
    std::vector<int> ids;  // controls with an id, in creation order
    std::map<int, ShownControl> controls;
    std::multiset<std::string> labels;
};

ShownHeader ReadHeader(HWND dialog) {
    ShownHeader shown;
    for (HWND child : ChildrenInCreationOrder(dialog)) {
        const int id = GetDlgCtrlID(child);
        ShownControl control;
        control.className = ClassName(child);
        control.style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        control.enabled = IsWindowEnabled(child) != FALSE;
        control.text = WindowText(child);
        if (control.className == "ComboBox") {
            control.items = ComboItems(child);
            control.selection = ComboSelection(child);
        }
        if (control.className == "Static") {
            shown.labels.insert(control.text);
            continue;
        }
        shown.ids.push_back(id);
        shown.controls[id] = control;
    }
    return shown;
}

std::vector<std::string> DisplayedItems(const HeaderControl& control) {
    std::vector<std::string> items(control.items.begin(), control.items.end());
    if (control.sorted) {
        std::sort(items.begin(), items.end());
    }
    return items;
}

TEST_F(ContestRun, TheHeaderDialogIsBuiltAsTheFormTableSaysAndCancelSavesNothing) {
    const std::string settings = std::string(kSettings) + "Name=Ivan Petrov\r\nClaimed=1234\r\n";
    WritePlugins(kReferenceFile, settings);
    ShownHeader shown;
    WindowWatcher watcher("ZELK Contest ", [&](HWND dialog) {
        shown = ReadHeader(dialog);
        SetDlgItemTextA(dialog, IDC_NAME, "Nobody");
        SetDlgItemTextA(dialog, IDC_CATEGORY_BAND, "80M");
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(Reset(1, "UA3ABC"), 1) << "a cancelled header does not fail the reset";
    ASSERT_TRUE(watcher.Finished());
    EXPECT_EQ(ReadBytes("Plugins\\ZELK.ini"), settings) << "CANCEL writes nothing";

    // Tab order: the buttons where the template has them, the fields in the
    // form table's order.
    std::vector<int> expectedIds;
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        expectedIds.push_back(control.id);
    }
    expectedIds.insert(expectedIds.begin() + 2, {IDCANCEL, IDOK});
    EXPECT_EQ(shown.ids, expectedIds);

    std::multiset<std::string> expectedLabels;
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        expectedLabels.insert(std::string(control.label));
        const ShownControl& c = shown.controls[control.id];
        const bool combo = control.kind == ControlKind::ComboBox;
        EXPECT_EQ(c.className, combo ? "ComboBox" : "Edit") << control.label;
        EXPECT_EQ(c.enabled, control.enabled) << control.label;
        if (combo) {
            EXPECT_EQ(c.style & 3u, static_cast<DWORD>(CBS_DROPDOWN)) << control.label;
            EXPECT_EQ((c.style & CBS_SORT) != 0, control.sorted) << control.label;
            EXPECT_EQ(c.items, DisplayedItems(control)) << control.label;
        } else {
            EXPECT_EQ((c.style & ES_MULTILINE) != 0, control.kind == ControlKind::MultiLineEdit)
                << control.label;
        }
    }
    EXPECT_EQ(shown.labels, expectedLabels);

    // Only these take the focus with the Tab key.
    std::set<int> tabStops;
    for (const auto& [id, control] : shown.controls) {
        if (control.style & WS_TABSTOP) {
            tabStops.insert(id);
        }
    }
    EXPECT_EQ(tabStops, (std::set<int>{IDC_SOAPBOX, IDC_CATEGORY_OPERATOR, IDC_CATEGORY_BAND,
                                       IDC_CATEGORY_MODE, IDC_CATEGORY_POWER,
                                       IDC_CATEGORY_TRANSMITTER, IDC_CATEGORY_OVERLAY, IDC_LOCATION,
                                       IDC_CATEGORY_STATION, IDC_CATEGORY_ASSISTED}));
    EXPECT_EQ(shown.controls[IDOK].text, "OK");
    EXPECT_EQ(shown.controls[IDCANCEL].text, "CANCEL");
    EXPECT_NE(shown.controls[IDOK].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));

    // What the opening shows: the call sign passed in, the stored fields, the
    // fixed values; the overlay's "NONE" is no list item and shows as typed.
    EXPECT_EQ(shown.controls[IDC_CALLSIGN].text, "UA3ABC");
    EXPECT_EQ(shown.controls[IDC_OPERATORS].text, "UA3ABC");
    EXPECT_EQ(shown.controls[IDC_NAME].text, "Ivan Petrov");
    EXPECT_EQ(shown.controls[IDC_CLAIMED].text, "1234");
    EXPECT_EQ(shown.controls[IDC_CONTEST].text, "ZELK");
    EXPECT_EQ(shown.controls[IDC_CATEGORY_MODE].text, "CW");
    const std::pair<int, const char*> selected[] = {{IDC_CATEGORY_OPERATOR, "SINGLE-OP"},
                                                    {IDC_CATEGORY_BAND, "ALL"},
                                                    {IDC_CATEGORY_POWER, "HIGH"},
                                                    {IDC_CATEGORY_TRANSMITTER, "ONE"},
                                                    {IDC_LOCATION, "DX"},
                                                    {IDC_CATEGORY_STATION, "FIXED"},
                                                    {IDC_CATEGORY_ASSISTED, "NON-ASSISTED"}};
    for (const auto& [id, item] : selected) {
        const ShownControl& c = shown.controls[id];
        EXPECT_EQ(c.text, item) << id;
        ASSERT_NE(c.selection, CB_ERR) << id;
        EXPECT_EQ(c.items[static_cast<std::size_t>(c.selection)], item) << id;
    }
    EXPECT_EQ(shown.controls[IDC_CATEGORY_OVERLAY].text, "NONE");
    EXPECT_EQ(shown.controls[IDC_CATEGORY_OVERLAY].selection, CB_ERR);
}

TEST_F(ContestRun, AnAcceptedHeaderIsSavedAndWrittenIntoTheCabrilloFile) {
    WritePlugins(kReferenceFile, std::string(kSettings) +
                                     "Name=Ivan Petrov\r\nAddress=Lenina 1\r\n"
                                     "Address_City=Moskva\r\nAddress_PostalCode=101000\r\n"
                                     "Address_Country=Russia\r\nEmail=ua3abc@example.org\r\n"
                                     "Club=CC\r\nSoapBox=Hello<CR><LF>World\r\nClaimed=1234\r\n");
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, "VexaLogger.exe", FALSE)) << "the host executable, version 3.1.5";

    std::string soapbox;
    std::string operators;
    WindowWatcher accept("ZELK Contest ", [&](HWND dialog) {
        soapbox = ItemText(dialog, IDC_SOAPBOX);
        operators = ItemText(dialog, IDC_OPERATORS);
        SetDlgItemTextA(dialog, IDC_CALLSIGN, "UA3ABC");
        SetDlgItemTextA(dialog, IDC_CLAIMED, "1");
        SetDlgItemTextA(dialog, IDC_SOAPBOX, "Line one\r\nLine two\r\n");
        SetDlgItemTextA(dialog, IDC_CATEGORY_POWER, "QRO");
        SendDlgItemMessageA(dialog, IDC_CATEGORY_BAND, CB_SETCURSEL, 3, 0);
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    ASSERT_EQ(Reset(1, "UA3ABC/P"), 1);
    ASSERT_TRUE(accept.Finished());
    EXPECT_EQ(soapbox, "Hello\r\nWorld");
    EXPECT_EQ(operators, "UA3ABC/P") << "no stored operators: the call sign";

    const std::pair<const char*, const char*> saved[] = {
        {"Operators", "UA3ABC/P"},
        {"Name", "Ivan Petrov"},
        {"Address_St_Prov", ""},
        {"Category", "SINGLE-OP"},
        {"Category_Overlay", "NONE"},
        {"Contest", "ZELK"},
        {"SoapBox", "Line one<CR><LF>Line two<CR><LF>"},
        {"Claimed", "1234"},
    };
    for (const auto& [key, value] : saved) {
        EXPECT_EQ(Setting(key), value) << key;
    }

    ASSERT_EQ(Add(Contact{.call = "RA1AA",
                          .day = 43600.5 + 10 * kMinute,
                          .exchSent = "001",
                          .exchRcvd = "155N37O"}),
              1);

    // The "Output" box belongs to the host's active window.
    const HWND hostWindow = CreateWindowExA(0, "Static", "Vexa", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                            0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(hostWindow);
    std::string produced;
    HWND owner = nullptr;
    WindowWatcher output("Output", [&](HWND box) {
        produced = MessageBoxText(box);
        owner = GetWindow(box, GW_OWNER);
        PressButton(box, IDOK);
    });
    int result = 0;
    Result(&result);
    ASSERT_TRUE(output.Finished());
    DestroyWindow(hostWindow);
    EXPECT_EQ(produced, "File produced: UA3ABC_P.cbr");
    EXPECT_EQ(owner, hostWindow);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Setting("Claimed"), "62");
    EXPECT_EQ(Setting("Multiplier"), "0");

    EXPECT_EQ(
        ReadBytes("UA3ABC_P.cbr"),
        "START-OF-LOG: 3.0\r\n"
        "CONTEST: ZELK\r\n"
        "CALLSIGN: UA3ABC\r\n"
        "CATEGORY-OPERATOR: SINGLE-OP\r\n"
        "CATEGORY-BAND: 20M\r\n"
        "CATEGORY-MODE: CW\r\n"
        "CATEGORY-POWER: QRO\r\n"
        "CATEGORY-TRANSMITTER: ONE\r\n"
        "CLAIMED-SCORE: 62\r\n"
        "OPERATORS: UA3ABC/P\r\n"
        "NAME: Ivan Petrov\r\n"
        "ADDRESS: Lenina 1\r\n"
        "ADDRESS-CITY: Moskva\r\n"
        "ADDRESS-STATE-PROVINCE: \r\n"
        "ADDRESS-POSTALCODE: 101000\r\n"
        "ADDRESS-COUNTRY: Russia\r\n"
        "EMAIL: ua3abc@example.org\r\n"
        "CREATED-BY: Vexa 3.1.5\r\n"
        "SOAPBOX: Line one\r\n"
        "SOAPBOX: Line two\r\n"
        "SOAPBOX: \r\n"
        "QSO: 14025 CW 2019-05-15 1210 UA3ABC        001  50N30O   RA1AA         001  55N37O\r\n"
        "END-OF-LOG:\r\n");
}

}  // namespace
}  // namespace zelk::test
