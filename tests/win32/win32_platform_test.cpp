// The Windows platform layer on its own, under Wine: the settings store, the
// files, the host executable's version, message boxes, the two dialogs (from
// this program's own copy of the templates) and automation without a host.
#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "contest/cabrillo_dialog.h"
#include "contest/master_dialog.h"
#include "resource.h"
#include "scratch_folder.h"
#include "window_probe.h"

namespace zelk {
namespace {

using test::ItemText;
using test::ScratchFolder;
using test::WindowWatcher;

constexpr const char* kIni = "Plugins\\ZELK.ini";

std::string ScratchName() {
    return std::string("platform-") + testing::UnitTest::GetInstance()->current_test_info()->name();
}

// ---- Settings ----

TEST(Win32Settings, ValuesOfAnyLengthAreReadWhole) {
    ScratchFolder folder(ScratchName());
    CreateDirectoryA("Plugins", nullptr);
    Win32Platform platform;
    // Around the first buffer size, where a cut value looks like a full one.
    for (std::size_t length : {0u, 1u, 99u, 100u, 254u, 255u, 256u, 257u, 511u, 4000u}) {
        const std::string value(length, 'x');
        ASSERT_TRUE(platform.WriteProfileString("Settings", "SoapBox", value, kIni));
        EXPECT_EQ(platform.ReadProfileString("Settings", "SoapBox", "fallback", kIni), value)
            << "length " << length;
    }
}

TEST(Win32Settings, AbsentFileSectionOrKeyGivesTheFallback) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    EXPECT_EQ(platform.ReadProfileString("Settings", "Operators", "UA3ABC", kIni), "UA3ABC");
    CreateDirectoryA("Plugins", nullptr);
    ASSERT_TRUE(platform.WriteProfileString("Other", "Operators", "X", kIni));
    EXPECT_EQ(platform.ReadProfileString("Settings", "Operators", "UA3ABC", kIni), "UA3ABC");
    ASSERT_TRUE(platform.WriteProfileString("Settings", "Name", "Ivan", kIni));
    EXPECT_EQ(platform.ReadProfileString("Settings", "Operators", "", kIni), "");
    // Section and key names are matched without regard to case.
    EXPECT_EQ(platform.ReadProfileString("SETTINGS", "name", "", kIni), "Ivan");
}

TEST(Win32Settings, TheRelativePathNamesAFileBelowTheCurrentFolder) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    // No Plugins folder: the write fails and creates nothing.
    EXPECT_FALSE(platform.WriteProfileString("Settings", "Setup_ZELK", "55N37O", kIni));
    EXPECT_FALSE(test::Exists("Plugins"));

    CreateDirectoryA("Plugins", nullptr);
    ASSERT_TRUE(platform.WriteProfileString("Settings", "Setup_ZELK", "55N37O", kIni));
    EXPECT_EQ(test::ReadBytes(folder.Path() + "\\Plugins\\ZELK.ini"),
              "[Settings]\r\nSetup_ZELK=55N37O\r\n");
}

TEST(Win32Settings, AUtf16FileIsReadAndWrittenInUtf16) {
    ScratchFolder folder(ScratchName());
    CreateDirectoryA("Plugins", nullptr);
    auto utf16 = [](std::string_view ascii) {
        std::string bytes = "\xFF\xFE";
        for (char c : ascii) {
            bytes += c;
            bytes += '\0';
        }
        return bytes;
    };
    test::WriteBytes("Plugins\\ZELK.ini", utf16("[Settings]\r\nSetup_ZELK=50N30O\r\n"));
    Win32Platform platform;
    EXPECT_EQ(platform.ReadProfileString("Settings", "Setup_ZELK", "", kIni), "50N30O");
    ASSERT_TRUE(platform.WriteProfileString("Settings", "Setup_ZELK", "60N40O", kIni));
    ASSERT_TRUE(platform.WriteProfileString("Settings", "Name", "Ivan", kIni));
    const std::string bytes = test::ReadBytes("Plugins\\ZELK.ini");
    // Still one encoding: the mark, then two bytes for every character.
    ASSERT_TRUE(bytes.starts_with("\xFF\xFE")) << bytes;
    ASSERT_EQ(bytes.size() % 2, 0u) << bytes;
    std::string text;
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        EXPECT_EQ(bytes[at + 1], '\0') << "at " << at;
        text += bytes[at];
    }
    EXPECT_NE(text.find("Setup_ZELK=60N40O\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Name=Ivan\r\n"), std::string::npos) << text;
    EXPECT_EQ(platform.ReadProfileString("Settings", "Name", "", kIni), "Ivan");
}

// ---- Files ----

TEST(Win32Files, WritesGoOutByteForByteAndAppendsGoToTheEnd) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    EXPECT_TRUE(platform.AppendToFile("err.txt", ""));
    EXPECT_EQ(test::ReadBytes("err.txt"), "") << "an append creates the file";
    ASSERT_TRUE(platform.StartFile("err.txt", "ZELK CONTEST UBN file \r\n"));
    ASSERT_TRUE(platform.AppendToFile("err.txt", "QSO:  7000\r\n"));
    ASSERT_TRUE(platform.AppendToFile("err.txt", "a\nb\x1a"));
    EXPECT_EQ(test::ReadBytes("err.txt"), "ZELK CONTEST UBN file \r\nQSO:  7000\r\na\nb\x1a");
    ASSERT_TRUE(platform.StartFile("err.txt", "new\r\n"));
    EXPECT_EQ(test::ReadBytes("err.txt"), "new\r\n") << "starting the file empties it";
}

TEST(Win32Files, AWriteTheSystemRefusesIsAFailure) {
    // A few bytes stay in the runtime's buffer until the stream is flushed or
    // closed, and the full device refuses them only then: Wine's fclose
    // returns 0 all the same, so only an explicit flush sees the failure.
    Win32Platform platform;
    constexpr const char* kFull = "Z:\\dev\\full";  // the Wine prefix maps Z: to the root
    FILE* opened = std::fopen(kFull, "ab");
    ASSERT_NE(opened, nullptr) << "the full device cannot be opened";
    ASSERT_EQ(std::fclose(opened), 0) << "nothing written, nothing refused";
    EXPECT_FALSE(platform.StartFile(kFull, "title\r\n"));
    EXPECT_FALSE(platform.AppendToFile(kFull, "QSO:  7000\r\n"));
}

TEST(Win32Files, AnotherProgramMayHoldTheFileOpenForWriting) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    ASSERT_TRUE(platform.StartFile("err.txt", "title\r\n"));
    const HANDLE viewer =
        CreateFileA("err.txt", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(platform.AppendToFile("err.txt", "line\r\n"));
    EXPECT_TRUE(platform.StartFile("err.txt", "again\r\n"));
    CloseHandle(viewer);
    EXPECT_EQ(test::ReadBytes("err.txt"), "again\r\n");
}

TEST(Win32Files, TextReadsTurnLineEndsIntoLineFeeds) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    EXPECT_EQ(platform.ReadTextFile("Plugins\\zelk.dat"), std::nullopt);
    CreateDirectoryA("Plugins", nullptr);
    test::WriteBytes("Plugins\\zelk.dat", "UA1ZZ 59N30O\r\nRA1AA 55N37O\nlast");
    EXPECT_EQ(platform.ReadTextFile(".\\Plugins\\zelk.dat"), "UA1ZZ 59N30O\nRA1AA 55N37O\nlast");
    test::WriteBytes("empty.dat", "");
    EXPECT_EQ(platform.ReadTextFile("empty.dat"), "");
}

TEST(Win32Files, ReplacingAFileLeavesOnlyTheNewContent) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    ASSERT_TRUE(platform.ReplaceFile("UA3ABC.cbr", "first\r\n"));
    ASSERT_TRUE(platform.ReplaceFile("UA3ABC.cbr", "START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n"));
    EXPECT_EQ(test::ReadBytes("UA3ABC.cbr"), "START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n");
    EXPECT_FALSE(platform.ReplaceFile("missing\\UA3ABC.cbr", "x"));

    // No temporary file is left behind.
    int entries = 0;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA("*", &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        entries += std::string(entry.cFileName) != "." && std::string(entry.cFileName) != "..";
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    EXPECT_EQ(entries, 1);
}

TEST(Win32Files, OnlyFilesExist) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    CreateDirectoryA("Plugins", nullptr);
    test::WriteBytes("Plugins\\zelk.dat", "x");
    EXPECT_TRUE(platform.FileExists(".\\Plugins\\zelk.dat"));
    EXPECT_FALSE(platform.FileExists("Plugins"));
    EXPECT_FALSE(platform.FileExists("absent.txt"));
}

// ---- Host executable ----

TEST(Win32HostVersion, ListsTheExecutablesOfTheCurrentFolderAndReadsTheirVersion) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, "VexaCopy.exe", FALSE));
    test::WriteBytes("NoVersion.exe", "MZ");
    test::WriteBytes("readme.txt", "x");

    std::vector<std::string> names = platform.ListExecutables();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"NoVersion.exe", "VexaCopy.exe"}));

    // This program carries the plug-in's resources, version 1.0.0.0 included.
    const std::optional<FixedFileVersion> version = platform.ReadFixedFileVersion("VexaCopy.exe");
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->mostSignificant, 0x00010000u);
    EXPECT_EQ(version->leastSignificant, 0x00000000u);
    EXPECT_EQ(platform.ReadFixedFileVersion("NoVersion.exe"), std::nullopt);
    EXPECT_EQ(platform.ReadFixedFileVersion("Absent.exe"), std::nullopt);
}

TEST(Win32HostVersion, AnEmptyFolderListsNothing) {
    ScratchFolder folder(ScratchName());
    Win32Platform platform;
    EXPECT_TRUE(platform.ListExecutables().empty());
}

// ---- Automation ----

TEST(Win32Automation, WithoutARegisteredHostNothingIsFound) {
    Win32Platform platform;
    HostClassId clsid;
    clsid.fill(0xAB);
    std::unique_ptr<AutomationSession> session = platform.BeginAutomation(clsid);
    EXPECT_EQ(clsid, HostClassId{}) << "an unregistered identifier gives the null class";
    EXPECT_EQ(session->FindRunningHost(), nullptr);
}

// ---- Message boxes ----

struct ShownBox {
    std::string text;
    HWND owner = nullptr;
    bool hasCancel = true;
    bool hasIcon = false;
};

ShownBox ShowAndRead(Win32Platform& platform, MessageOwner owner, const char* caption,
                     MessageIcon icon, const char* shownCaption) {
    ShownBox shown;
    WindowWatcher watcher(shownCaption, [&](HWND box) {
        shown.text = test::MessageBoxText(box);
        shown.owner = GetWindow(box, GW_OWNER);
        shown.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
        // The message box's icon is a static picture control.
        bool icon = false;
        for (HWND child : test::ChildrenInCreationOrder(box)) {
            if (test::ClassName(child) == "Static" &&
                (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0) {
                icon = true;
            }
        }
        shown.hasIcon = icon;
        test::PressButton(box, IDOK);
    });
    platform.ShowMessage(owner, "File produced: UA3ABC.cbr",
                         caption ? std::optional<std::string>(caption) : std::nullopt, icon);
    EXPECT_TRUE(watcher.Finished()) << "no box captioned " << shownCaption;
    return shown;
}

TEST(Win32MessageBox, ShowsTheTextWithOneButtonTheIconAndTheOwnerAsked) {
    Win32Platform platform;
    const HWND hostWindow = CreateWindowExA(0, "Static", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                            0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hostWindow, nullptr);
    SetActiveWindow(hostWindow);
    ASSERT_EQ(GetActiveWindow(), hostWindow);

    ShownBox output = ShowAndRead(platform, MessageOwner::ActiveWindow, "Output",
                                  MessageIcon::Information, "Output");
    EXPECT_EQ(output.text, "File produced: UA3ABC.cbr");
    EXPECT_EQ(output.owner, hostWindow);
    EXPECT_FALSE(output.hasCancel);
    EXPECT_TRUE(output.hasIcon);

    // No caption of its own: the system's default caption, "Error".
    ShownBox plain = ShowAndRead(platform, MessageOwner::None, nullptr, MessageIcon::None, "Error");
    EXPECT_EQ(plain.text, "File produced: UA3ABC.cbr");
    EXPECT_EQ(plain.owner, nullptr);
    EXPECT_FALSE(plain.hasCancel);
    EXPECT_FALSE(plain.hasIcon);
    DestroyWindow(hostWindow);
}

// ---- Setup dialog ----

enum class Ending { Ok, Escape, CloseBox };

TEST(Win32SetupDialog, OnlyOkGivesTheTypedCoordinateBack) {
    struct Case {
        Ending ending;
        int result;
        std::string typed;
        std::string after;
    };
    const std::string longText(300, '7');
    const Case cases[] = {
        {Ending::Ok, IDOK, "50N30O", "50N30O"},
        {Ending::Ok, IDOK, "", ""},
        {Ending::Ok, IDOK, longText, longText},
        {Ending::Escape, IDCANCEL, "50N30O", "55N37O"},
        {Ending::CloseBox, IDCANCEL, "50N30O", "55N37O"},
    };
    Win32Platform platform;
    for (const Case& c : cases) {
        Master master;
        master.m_strCoordinate = "55N37O";
        std::string shown;
        WindowWatcher watcher(Master::kCaption, [&](HWND dialog) {
            shown = ItemText(dialog, IDC_COORDINATE);
            SetDlgItemTextA(dialog, IDC_COORDINATE, c.typed.c_str());
            switch (c.ending) {
                case Ending::Ok:
                    test::PressButton(dialog, IDOK);
                    break;
                case Ending::Escape:
                    PostMessageA(GetDlgItem(dialog, IDC_COORDINATE), WM_KEYDOWN, VK_ESCAPE, 0);
                    break;
                case Ending::CloseBox:
                    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                    break;
            }
        });
        EXPECT_EQ(platform.RunSetupDialog(master), c.result);
        ASSERT_TRUE(watcher.Finished());
        EXPECT_EQ(shown, "55N37O");
        EXPECT_EQ(master.m_strCoordinate, c.after);
    }
}

// ---- Cabrillo header dialog ----

Cabrillo OpeningHeader() {
    Cabrillo header;
    header.m_strCallsign = "UA3ABC/P";
    header.m_strName = "Ivan Petrov";
    header.m_strAddress = "Lenina 1";
    header.m_strAddressCity = "Moskva";
    header.m_strAddressStateProvince = "";
    header.m_strAddressPostalCode = "101000";
    header.m_strAddressCountry = "Russia";
    header.m_strClaimed = "1234";
    header.m_strContest = "ZELK";
    header.m_strEmail = "ua3abc@example.org";
    header.m_strClub = "CC";
    header.m_strSoapbox = "Hello\r\nWorld";
    header.m_strOperators = "UA3ABC UA3XYZ";
    header.m_strCategoryOperator = "SINGLE-OP";
    header.m_strCategoryStation = "FIXED";
    header.m_strCategoryOverlay = "NONE";
    header.m_strCategoryMode = "CW";
    header.m_strCategoryBand = "ALL";
    header.m_strCategoryAssisted = "NON-ASSISTED";
    header.m_strCategoryTransmitter = "ONE";
    header.m_strCategoryPower = "HIGH";
    header.m_strLocation = "DX";
    return header;
}

// What every control shows: its text and, for a combo box, the selected item.
std::map<int, std::pair<std::string, int>> ReadHeaderControls(HWND dialog) {
    std::map<int, std::pair<std::string, int>> shown;
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        const HWND item = GetDlgItem(dialog, control.id);
        shown[control.id] = {test::WindowText(item), control.kind == ControlKind::ComboBox
                                                         ? test::ComboSelection(item)
                                                         : CB_ERR};
    }
    return shown;
}

TEST(Win32HeaderDialog, ComboBoxesOpenOnTheFirstItemBeginningWithTheValue) {
    struct Opening {
        std::string CabrilloHeaderFields::*field;
        int id;
        std::string value;
    };
    // Values the boxes could hold: prefixes in other letter case, values
    // that match no item, the empty value.
    const std::vector<std::vector<Opening>> openings = {
        {{&CabrilloHeaderFields::m_strCategoryBand, IDC_CATEGORY_BAND, "4"},
         {&CabrilloHeaderFields::m_strCategoryOperator, IDC_CATEGORY_OPERATOR, "multi"},
         {&CabrilloHeaderFields::m_strCategoryPower, IDC_CATEGORY_POWER, "l"},
         {&CabrilloHeaderFields::m_strCategoryTransmitter, IDC_CATEGORY_TRANSMITTER, "unl"},
         {&CabrilloHeaderFields::m_strCategoryStation, IDC_CATEGORY_STATION, "Hq"},
         {&CabrilloHeaderFields::m_strCategoryOverlay, IDC_CATEGORY_OVERLAY, "NONE"},
         {&CabrilloHeaderFields::m_strLocation, IDC_LOCATION, "n"},
         {&CabrilloHeaderFields::m_strCategoryAssisted, IDC_CATEGORY_ASSISTED, "NON"}},
        {{&CabrilloHeaderFields::m_strCategoryBand, IDC_CATEGORY_BAND, "160M"},
         {&CabrilloHeaderFields::m_strCategoryOperator, IDC_CATEGORY_OPERATOR, ""},
         {&CabrilloHeaderFields::m_strCategoryPower, IDC_CATEGORY_POWER, "QRPP"},
         {&CabrilloHeaderFields::m_strCategoryTransmitter, IDC_CATEGORY_TRANSMITTER, "t"},
         {&CabrilloHeaderFields::m_strCategoryStation, IDC_CATEGORY_STATION, ""},
         {&CabrilloHeaderFields::m_strCategoryOverlay, IDC_CATEGORY_OVERLAY, "6"},
         {&CabrilloHeaderFields::m_strLocation, IDC_LOCATION, "pei"},
         {&CabrilloHeaderFields::m_strCategoryAssisted, IDC_CATEGORY_ASSISTED, "assisted "}},
    };
    Win32Platform platform;
    for (const std::vector<Opening>& opening : openings) {
        Cabrillo header = OpeningHeader();
        for (const Opening& o : opening) {
            header.*o.field = o.value;
        }
        std::map<int, std::pair<std::string, int>> shown;
        WindowWatcher watcher(Cabrillo::kCaption, [&](HWND dialog) {
            shown = ReadHeaderControls(dialog);
            test::PressButton(dialog, IDCANCEL);
        });
        EXPECT_EQ(platform.RunHeaderDialog(header), IDCANCEL);
        ASSERT_TRUE(watcher.Finished());

        for (const Opening& o : opening) {
            const HeaderControl& control = HeaderControlById(o.id);
            const std::string_view* expected = OpeningSelection(control, o.value);
            const auto& [text, selection] = shown[o.id];
            if (expected != nullptr) {
                EXPECT_EQ(text, *expected) << control.label << " opened on '" << o.value << "'";
                EXPECT_NE(selection, CB_ERR) << control.label;
            } else {
                EXPECT_EQ(text, o.value) << control.label << " shows the value as typed";
                EXPECT_EQ(selection, CB_ERR) << control.label;
            }
        }
    }
}

TEST(Win32HeaderDialog, OkGivesBackEveryBoxAsLeftAndCancelNothing) {
    Win32Platform platform;
    const Cabrillo opening = OpeningHeader();

    // Opening shows every field; the operator edits some and confirms.
    Cabrillo header = opening;
    std::map<int, std::pair<std::string, int>> shown;
    WindowWatcher accept(Cabrillo::kCaption, [&](HWND dialog) {
        shown = ReadHeaderControls(dialog);
        SetDlgItemTextA(dialog, IDC_CALLSIGN, "UA3ABC");
        SetDlgItemTextA(dialog, IDC_SOAPBOX, "Line one\r\nLine two\r\n");
        SetDlgItemTextA(dialog, IDC_ADDRESS_ST_PROV, "Moscow region");
        SetDlgItemTextA(dialog, IDC_CATEGORY_POWER, "QRO");
        SendDlgItemMessageA(dialog, IDC_CATEGORY_BAND, CB_SETCURSEL, 3, 0);
        test::PressButton(dialog, IDOK);
    });
    EXPECT_EQ(platform.RunHeaderDialog(header), IDOK);
    ASSERT_TRUE(accept.Finished());

    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        EXPECT_EQ(shown[control.id].first, opening.*control.field) << control.label;
    }
    Cabrillo expected = opening;
    expected.m_strCallsign = "UA3ABC";
    expected.m_strSoapbox = "Line one\r\nLine two\r\n";
    expected.m_strAddressStateProvince = "Moscow region";
    expected.m_strCategoryPower = "QRO";
    expected.m_strCategoryBand = "20M";
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        EXPECT_EQ(header.*control.field, expected.*control.field) << control.label;
    }

    // CANCEL takes nothing back.
    Cabrillo untouched = opening;
    WindowWatcher cancel(Cabrillo::kCaption, [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_NAME, "Nobody");
        SetDlgItemTextA(dialog, IDC_CATEGORY_BAND, "80M");
        test::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(platform.RunHeaderDialog(untouched), IDCANCEL);
    ASSERT_TRUE(cancel.Finished());
    for (const HeaderControl& control : HeaderControlsInTabOrder()) {
        EXPECT_EQ(untouched.*control.field, opening.*control.field) << control.label;
    }
}

}  // namespace
}  // namespace zelk
