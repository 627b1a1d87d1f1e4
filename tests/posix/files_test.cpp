// Files in the current folder, message lines and host automation on POSIX.
#include "folder_fixture.h"

namespace zelk::posix_test {
namespace {

using FilesTest = InFreshFolder;

TEST_F(FilesTest, TextReadDropsTheCarriageReturnOfEachLineEndOnly) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\rb", "a\rb"},
        {"\r\r\n", "\r\n"},
        {"x\r", "x\r"},
        {"a\n\r\n\n", "a\n\n\n"},
        {"", ""},
        {std::string("nul\0byte\r\n", 10), std::string("nul\0byte\n", 9)},
    };
    std::filesystem::create_directory("Plugins");
    for (const Case& c : cases) {
        Put("Plugins/zelk.dat", c.bytes);
        EXPECT_EQ(platform.ReadTextFile(".\\Plugins\\zelk.dat"), c.text);
    }
}

TEST_F(FilesTest, TextReadOfAMissingFileOrAFolderFails) {
    std::filesystem::create_directory("Plugins");
    EXPECT_EQ(platform.ReadTextFile(".\\Plugins\\zelk.dat"), std::nullopt);
    EXPECT_EQ(platform.ReadTextFile("Plugins"), std::nullopt);
    EXPECT_EQ(platform.ReadTextFile("."), std::nullopt);
}

TEST_F(FilesTest, StartEmptiesAndAppendAddsAtTheEnd) {
    EXPECT_TRUE(platform.AppendToFile("err.txt", ""));
    EXPECT_TRUE(platform.FileExists("err.txt"));
    EXPECT_EQ(Get("err.txt"), "");

    EXPECT_TRUE(platform.AppendToFile("err.txt", "one\r\n"));
    EXPECT_TRUE(platform.AppendToFile("err.txt", "two\r\n"));
    EXPECT_EQ(Get("err.txt"), "one\r\ntwo\r\n");

    EXPECT_TRUE(platform.StartFile("err.txt", "title\r\n"));
    EXPECT_EQ(Get("err.txt"), "title\r\n");
    EXPECT_TRUE(platform.StartFile("err.txt", ""));
    EXPECT_EQ(Get("err.txt"), "");

    const std::string big(3 << 20, 'q');  // more than one write may take
    EXPECT_TRUE(platform.AppendToFile("err.txt", big));
    EXPECT_EQ(Get("err.txt").size(), big.size());
}

TEST_F(FilesTest, WritesIntoAMissingFolderFail) {
    EXPECT_FALSE(platform.StartFile("none\\err.txt", "x"));
    EXPECT_FALSE(platform.AppendToFile("none\\err.txt", "x"));
    EXPECT_FALSE(platform.ReplaceFile("none\\CALL.cbr", "x"));
    EXPECT_FALSE(platform.FileExists("none\\err.txt"));
    EXPECT_TRUE(Entries().empty());
}

TEST_F(FilesTest, ReplaceWritesTheWholeFileAndKeepsTheOldOneOnFailure) {
    EXPECT_TRUE(platform.ReplaceFile("CALL.cbr", "first"));
    EXPECT_TRUE(platform.ReplaceFile("CALL.cbr", "second, longer"));
    EXPECT_EQ(Get("CALL.cbr"), "second, longer");

    {
        FileSizeLimit limit(8);
        EXPECT_FALSE(platform.ReplaceFile("CALL.cbr", "third, too long to be written"));
    }
    EXPECT_EQ(Get("CALL.cbr"), "second, longer");

    // A folder of that name cannot be renamed over.
    std::filesystem::create_directories("DIR.cbr/inside");
    EXPECT_FALSE(platform.ReplaceFile("DIR.cbr", "x"));
    EXPECT_TRUE(std::filesystem::is_directory("DIR.cbr/inside"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"CALL.cbr", "DIR.cbr"}));
}

TEST_F(FilesTest, MessageIsOneLineOnStandardErrorWithTheDefaultCaption) {
    ::testing::internal::CaptureStderr();
    platform.ShowMessage(MessageOwner::ActiveWindow, "Output file produced", std::string("Output"),
                         MessageIcon::Information);
    platform.ShowMessage(MessageOwner::None, "zelk.dat is missing", std::nullopt,
                         MessageIcon::None);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Output: Output file produced\nError: zelk.dat is missing\n");
}

TEST_F(FilesTest, NoRunningHostIsEverFound) {
    HostClassId clsid{};
    clsid[0] = 0x5a;
    HostClassId before = clsid;
    auto session = platform.BeginAutomation(clsid);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->FindRunningHost(), nullptr);
    EXPECT_EQ(clsid, before);
}

}  // namespace
}  // namespace zelk::posix_test
