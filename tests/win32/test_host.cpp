// The test host: a Windows console program that loads the built Stats.dll as
// the host program does and drives it through its exports. This file holds
// the program's entry point and the checks of the DLL as a file: its export
// table, its version information and its dialog templates. Contest runs,
// dialogs and automation are in the other files of this program.
//   test_host.exe PATH-OF-Stats.dll [gtest options]
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "plugin_host.h"
#include "resource.h"

namespace zelk::test {
namespace {

struct Export {
    int decoratedOrdinal;
    const char* decoratedName;
    int plainOrdinal;
    const char* plainName;
};

const Export kExports[] = {
    {1, "?AddData0@@YAHPBD0PAVCOleDateTime@ATL@@111II000000000000000HHHNN00000@Z", 11, "AddData0"},
    {2, "?CheckCallFunc0@@YAHPBDII00000000000HHHNN0000000PAD1@Z", 12, "CheckCall0"},
    {3, "?GetNumberOfSets@@YAHXZ", 14, "GetNumberOfSets"},
    {4, "?GetResult0@@YAPBDPAH@Z", 15, "GetResult0"},
    {5, "?GetSetName@@YAPBDH@Z", 16, "GetSetName"},
    {6, "?RemoveData0@@YAHPBD0PAVCOleDateTime@ATL@@111II000000000000000HHHNN00000@Z", 18,
     "RemoveData0"},
    {7, "?ResetStats0@@YAHPBDH0PAVCOleDateTime@ATL@@10000000000HHHNN000@Z", 19, "ResetStats0"},
    {8, "?SetupSet0@@YAXXZ", 20, "SetupSet0"},
    {9, "?StatsGetExchgCount0@@YAHPBD00@Z", 13, "GetExchgCount0"},
    {10, "?StatsIsValidExchg0@@YAHPBD000HHH@Z", 17, "IsValidExchg0"},
};

FARPROC ByOrdinal(HMODULE module, int ordinal) {
    return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
}

using PluginFile = PluginHost;

TEST_F(PluginFile, EveryEntryPointIsExportedUnderBothNamesAndOrdinals) {
    for (const Export& e : kExports) {
        const FARPROC plain = GetProcAddress(m_module, e.plainName);
        ASSERT_NE(plain, nullptr) << e.plainName;
        EXPECT_EQ(GetProcAddress(m_module, e.decoratedName), plain) << e.decoratedName;
        EXPECT_EQ(ByOrdinal(m_module, e.plainOrdinal), plain) << e.plainName;
        EXPECT_EQ(ByOrdinal(m_module, e.decoratedOrdinal), plain) << e.decoratedName;
    }
    EXPECT_EQ(ByOrdinal(m_module, 21), nullptr);
}

TEST_F(PluginFile, TheExportTableNamesTheModuleAndHoldsExactlyTwentyNames) {
    const auto* base = reinterpret_cast<const BYTE*>(m_module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);

    EXPECT_STREQ(reinterpret_cast<const char*>(base + exports->Name), "Stats.dll");
    EXPECT_EQ(exports->Base, 1u);
    EXPECT_EQ(exports->NumberOfFunctions, 20u);
    ASSERT_EQ(exports->NumberOfNames, 20u);

    // Names in the table's (alphabetical) order, each with its ordinal.
    std::vector<std::pair<std::string, DWORD>> named;
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        named.emplace_back(reinterpret_cast<const char*>(base + names[i]),
                           ordinals[i] + exports->Base);
    }
    std::vector<std::pair<std::string, DWORD>> expected;
    for (const Export& e : kExports) {
        expected.emplace_back(e.decoratedName, e.decoratedOrdinal);
    }
    for (const Export& e : kExports) {
        expected.emplace_back(e.plainName, e.plainOrdinal);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(named, expected);
}

std::string VersionString(const std::vector<char>& block, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || value == nullptr) {
        return "<absent>";
    }
    return static_cast<const char*>(value);
}

TEST_F(PluginFile, VersionInformationDescribesThePlugIn) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(g_pluginPath.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(g_pluginPath.c_str(), 0, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(VersionString(block, "FileDescription"), "ZELK contest statistics plug-in");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "Stats.dll");
    EXPECT_EQ(VersionString(block, "FileVersion"), "1.0.0.0");
}

// Reads a zero-terminated UTF-16 text of a dialog template and moves past it.
std::wstring TemplateText(const WORD*& cursor) {
    std::wstring text;
    while (*cursor != 0) {
        text.push_back(static_cast<wchar_t>(*cursor++));
    }
    ++cursor;
    return text;
}

TEST_F(PluginFile, TheSetupTemplateIsAnExtendedRussianDialogWithTheShellFont) {
    const HRSRC resource =
        FindResourceExA(m_module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_SETUP),
                        MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    ASSERT_NE(resource, nullptr) << "no Russian (1049) dialog 104";
    const auto* words = static_cast<const WORD*>(LockResource(LoadResource(m_module, resource)));
    ASSERT_NE(words, nullptr);

    // DLGTEMPLATEEX: version 1, signature 0xFFFF, help id, extended style,
    // style, item count, x, y, cx, cy, then menu, class, title and font.
    EXPECT_EQ(words[0], 1);
    EXPECT_EQ(words[1], 0xFFFF);
    DWORD style = 0;
    std::memcpy(&style, words + 6, sizeof style);
    const DWORD expectedStyle =
        DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(style, expectedStyle);
    EXPECT_EQ(words[8], 3) << "controls";
    EXPECT_EQ(static_cast<short>(words[9]), 0);
    EXPECT_EQ(static_cast<short>(words[10]), 0);
    EXPECT_EQ(words[11], 178);
    EXPECT_EQ(words[12], 54);
    const WORD* cursor = words + 13;
    EXPECT_EQ(*cursor++, 0) << "no menu";
    EXPECT_EQ(*cursor++, 0) << "the standard dialog class";
    EXPECT_EQ(TemplateText(cursor), L"Setup ZELK Contest");
    EXPECT_EQ(*cursor++, 8) << "point size";
    cursor += 2;  // weight, italic and character set
    EXPECT_EQ(TemplateText(cursor), L"MS Shell Dlg");
}

}  // namespace
}  // namespace zelk::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: test_host PATH-OF-Stats.dll [gtest options]\n");
        return 2;
    }
    // The tests change the current folder; the plug-in is found by its full path.
    char path[MAX_PATH] = {};
    GetFullPathNameA(argv[1], MAX_PATH, path, nullptr);
    zelk::test::g_pluginPath = path;
    // The host runs in a single-threaded COM apartment of its own.
    CoInitialize(nullptr);
    const int failed = RUN_ALL_TESTS();
    CoUninitialize();
    return failed;
}
