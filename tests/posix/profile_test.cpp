// The settings store: profile-file reads and writes as the plug-in sees
// them through the POSIX platform.
#include <sys/stat.h>

#include "folder_fixture.h"

namespace zelk::posix_test {
namespace {

using ProfileTest = InFreshFolder;

constexpr const char* kIni = "Plugins\\ZELK.ini";
constexpr const char* kIniPath = "Plugins/ZELK.ini";

TEST_F(ProfileTest, ReadsValuesTheWayTheWindowsProfileFunctionsDo) {
    std::filesystem::create_directory("Plugins");
    Put(kIniPath,
        "; settings of the plug-in\r\n"
        "[settings]\r\n"
        "  Name  =  Bob Smith  \r\n"
        "Quoted=\"  padded \"\r\n"
        "Single='x'\r\n"
        "Mismatch=\"abc'\r\n"
        "LoneQuote=\"\r\n"
        "NoEquals\r\n"
        "Empty=\r\n"
        "Dup=first\r\n"
        "Dup=second\r\n"
        "[Other]\r\n"
        "Only=there\r\n"
        "[SETTINGS]\r\n"
        "Late=second section\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Settings", "name", "Bob Smith"},
        {"SETTINGS", "NAME", "Bob Smith"},
        {"Settings", "Quoted", "  padded "},
        {"Settings", "Single", "x"},
        {"Settings", "Mismatch", "\"abc'"},
        {"Settings", "LoneQuote", "\""},
        {"Settings", "NoEquals", "<fallback>"},
        {"Settings", "Empty", ""},
        {"Settings", "Dup", "first"},
        {"Settings", "Only", "<fallback>"},
        {"other", "ONLY", "there"},
        {"Settings", "Late", "<fallback>"},
        {"Missing", "Name", "<fallback>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform.ReadProfileString(c.section, c.key, "<fallback>", kIni), c.expected)
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(platform.ReadProfileString("Settings", "Name", "<fallback>", "Plugins\\none.ini"),
              "<fallback>");
}

// A file's text as UTF-16LE bytes, after the byte order mark when asked.
std::string Utf16(std::u16string_view text, std::string_view mark = "\xFF\xFE") {
    std::string bytes(mark);
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST_F(ProfileTest, AUtf16FileIsReadAsWindowsReadsItAndNeverWritten) {
    std::filesystem::create_directory("Plugins");
    struct Case {
        std::string bytes;
        const char* key;
        const char* expected;
    };
    const std::u16string text =
        u"[Settings]\r\nSetup_ZELK=50N30O\r\nName=J\u00f6rg \u0418\U0001F600.\r\n"
        u"Setup_ZELK=60N40O\r\n";
    const Case cases[] = {
        {Utf16(text), "Setup_ZELK", "50N30O"},
        {Utf16(text), "Name", "J?rg ??."},  // ASCII as it is, one "?" per other character
        {Utf16(text) + "\x41", "Setup_ZELK", "50N30O"},            // an odd last byte
        {Utf16(text, ""), "Setup_ZELK", "<fallback>"},             // no mark: bytes, not text
        {Utf16(text, "\xFE\xFF"), "Setup_ZELK", "<fallback>"},     // big-endian is not read
        {Utf16(u"[Settings]\r\nName=\xD800x\r\n"), "Name", "?x"},  // a lone surrogate
    };
    for (const Case& c : cases) {
        Put(kIniPath, c.bytes);
        EXPECT_EQ(platform.ReadProfileString("Settings", c.key, "<fallback>", kIni), c.expected)
            << c.key;
        // Written, the file would hold two encodings: it is left as it is.
        const bool marked = c.bytes.starts_with("\xFF\xFE") || c.bytes.starts_with("\xFE\xFF");
        EXPECT_EQ(platform.WriteProfileString("Settings", "Setup_ZELK", "70N50O", kIni), !marked);
        if (marked) {
            EXPECT_EQ(Get(kIniPath), c.bytes);
        }
    }
}

TEST_F(ProfileTest, LongValueIsReadWholeAfterWritingIt) {
    std::filesystem::create_directory("Plugins");
    std::string value(150, 'x');
    value += "<CR><LF>end";
    ASSERT_TRUE(platform.WriteProfileString("Settings", "SoapBox", value, kIni));
    EXPECT_EQ(platform.ReadProfileString("Settings", "SoapBox", "", kIni), value);
}

TEST_F(ProfileTest, WriteChangesOnlyTheOneLineOrAddsOne) {
    struct Case {
        const char* name;
        const char* before;  // null: no file
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"new file is created with CR LF lines", nullptr, "Name", "v", "[Settings]\r\nName=v\r\n"},
        {"existing key replaced in place, the rest kept byte for byte",
         "; c\r\n[Settings]\r\nName=Old\r\n  Other = 1 \r\n\r\n[Next]\r\nName=keep\r\n", "Name",
         "New", "; c\r\n[Settings]\r\nName=New\r\n  Other = 1 \r\n\r\n[Next]\r\nName=keep\r\n"},
        {"key matched without regard to case keeps its spelling", "[SETTINGS]\r\nname=a\r\n",
         "NAME", "b", "[SETTINGS]\r\nname=b\r\n"},
        {"new key after the section's last key, before its blank lines",
         "[Settings]\r\nA=1\r\n\r\n\r\n[Next]\r\nB=2\r\n", "C", "3",
         "[Settings]\r\nA=1\r\nC=3\r\n\r\n\r\n[Next]\r\nB=2\r\n"},
        {"new section appended with the file's LF line ends", "[Other]\nX=1\n", "Name", "v",
         "[Other]\nX=1\n[Settings]\nName=v\n"},
        {"new section after a last line without line end", "[Other]\nX=1", "Name", "v",
         "[Other]\nX=1\n[Settings]\nName=v\n"},
        {"new key after a last line without line end", "[Settings]\r\nA=1", "B", "2",
         "[Settings]\r\nA=1\r\nB=2\r\n"},
        {"new key in an empty section", "[Settings]\r\n", "A", "1", "[Settings]\r\nA=1\r\n"},
        {"each line keeps its own line end", "[Settings]\nA=1\r\nB=2\n", "A", "x",
         "[Settings]\nA=x\r\nB=2\n"},
        {"only the first of two equal keys changes", "[Settings]\r\nA=1\r\nA=2\r\n", "A", "x",
         "[Settings]\r\nA=x\r\nA=2\r\n"},
        {"empty value", "[Settings]\r\nA=1\r\n", "A", "", "[Settings]\r\nA=\r\n"},
    };
    std::filesystem::create_directory("Plugins");
    for (const Case& c : cases) {
        std::filesystem::remove(kIniPath);
        if (c.before) {
            Put(kIniPath, c.before);
        }
        EXPECT_TRUE(platform.WriteProfileString("Settings", c.key, c.value, kIni)) << c.name;
        EXPECT_EQ(Get(kIniPath), c.after) << c.name;
    }
    EXPECT_EQ(Entries("Plugins"), std::vector<std::string>{"ZELK.ini"});
}

TEST_F(ProfileTest, WriteIntoAMissingFolderFailsAndCreatesNothing) {
    EXPECT_FALSE(platform.WriteProfileString("Settings", "Name", "v", kIni));
    EXPECT_TRUE(Entries().empty());
}

TEST_F(ProfileTest, ValueWithALineBreakIsRefusedAndTheFileKept) {
    std::filesystem::create_directory("Plugins");
    Put(kIniPath, "[Settings]\r\nName=a\r\n");
    for (const char* value : {"two\r\nlines", "two\nlines", "cr\r"}) {
        EXPECT_FALSE(platform.WriteProfileString("Settings", "Name", value, kIni));
    }
    EXPECT_FALSE(platform.WriteProfileString("Settings", "Na\nme", "v", kIni));
    EXPECT_EQ(Get(kIniPath), "[Settings]\r\nName=a\r\n");
}

TEST_F(ProfileTest, FailedWriteLeavesTheOldFileWhole) {
    std::filesystem::create_directory("Plugins");
    const std::string old = "[Settings]\r\nName=" + std::string(64, 'a') + "\r\n";
    Put(kIniPath, old);
    {
        FileSizeLimit limit(16);  // the new file cannot be written out
        EXPECT_FALSE(platform.WriteProfileString("Settings", "Name", "b", kIni));
    }
    EXPECT_EQ(Get(kIniPath), old);
    EXPECT_EQ(Entries("Plugins"), std::vector<std::string>{"ZELK.ini"});

    // A folder in the way of the file: nothing to read, nothing replaced.
    std::filesystem::create_directories("Plugins/Other.ini/inside");
    EXPECT_FALSE(platform.WriteProfileString("Settings", "Name", "b", "Plugins\\Other.ini"));
    EXPECT_TRUE(std::filesystem::is_directory("Plugins/Other.ini/inside"));
    EXPECT_EQ(Entries("Plugins"), (std::vector<std::string>{"Other.ini", "ZELK.ini"}));
}

TEST_F(ProfileTest, WriteKeepsTheFilesPermissions) {
    std::filesystem::create_directory("Plugins");
    Put(kIniPath, "[Settings]\r\n");
    ASSERT_EQ(::chmod(kIniPath, 0640), 0);
    ASSERT_TRUE(platform.WriteProfileString("Settings", "Name", "v", kIni));
    struct stat info {};
    ASSERT_EQ(::stat(kIniPath, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ProfileTest, WritingTheValueAlreadyStoredLeavesTheFileAsItIs) {
    std::filesystem::create_directory("Plugins");
    Put(kIniPath, "[Settings]\r\nClaimed=62\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(kIniPath, &before), 0);
    EXPECT_TRUE(platform.WriteProfileString("Settings", "Claimed", "62", kIni));
    struct stat after {};
    ASSERT_EQ(::stat(kIniPath, &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "not replaced";
    EXPECT_TRUE(platform.WriteProfileString("Settings", "Claimed", "63", kIni));
    EXPECT_EQ(Get(kIniPath), "[Settings]\r\nClaimed=63\r\n");
    // An empty value for a key not yet stored still adds the key.
    EXPECT_TRUE(platform.WriteProfileString("Settings", "Name", "", kIni));
    EXPECT_EQ(Get(kIniPath), "[Settings]\r\nClaimed=63\r\nName=\r\n");
}

}  // namespace
}  // namespace zelk::posix_test
