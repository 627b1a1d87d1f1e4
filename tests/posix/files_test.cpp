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

TEST_F(FilesTest, ReplaceThroughASymbolicLinkReplacesTheFileAtTheEndOfTheChain) {
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link, target
        const char* replaced;                                    // host name handed to ReplaceFile
        const char* file;  // the file that must hold the new content
    };
    const std::string absolute = (fs::current_path() / "real" / "CALL.cbr").string();
    const Case cases[] = {
        {"relative target", {{"CALL.cbr", "real/CALL.cbr"}}, "CALL.cbr", "real/CALL.cbr"},
        {"absolute target", {{"CALL.cbr", absolute}}, "CALL.cbr", "real/CALL.cbr"},
        {"chain of two",
         {{"CALL.cbr", "hop"}, {"hop", "real/CALL.cbr"}},
         "CALL.cbr",
         "real/CALL.cbr"},
        {"relative to the link's folder",
         {{"sub/CALL.cbr", "../real/CALL.cbr"}},
         "sub\\CALL.cbr",
         "real/CALL.cbr"},
        {"dangling: the file it names is made",
         {{"CALL.cbr", "real/NEW.cbr"}},
         "CALL.cbr",
         "real/NEW.cbr"},
    };
    for (const Case& c : cases) {
        for (const std::string& entry : Entries()) {
            fs::remove_all(entry);
        }
        fs::create_directories("real");
        fs::create_directories("sub");
        Put("real/CALL.cbr", "old");
        fs::permissions("real/CALL.cbr", fs::perms(0640));
        for (const auto& [link, target] : c.links) {
            fs::create_symlink(target, link);
        }
        EXPECT_TRUE(platform.ReplaceFile(c.replaced, "new")) << c.name;
        EXPECT_EQ(Get(c.file), "new") << c.name;
        for (const auto& [link, target] : c.links) {
            EXPECT_TRUE(fs::is_symlink(link)) << c.name << ": " << link;
        }
        if (std::string(c.file) == "real/CALL.cbr") {
            EXPECT_EQ(fs::status(c.file).permissions(), fs::perms(0640)) << c.name;
        }
        std::vector<std::string> expected = {"CALL.cbr"};
        if (std::string(c.file) != "real/CALL.cbr") {
            expected.push_back("NEW.cbr");
        }
        EXPECT_EQ(Entries("real"), expected) << c.name << ": a temporary file was left";
    }

    // A loop of links, or a link into a missing folder: nothing is written.
    for (const std::string& entry : Entries()) {
        fs::remove_all(entry);
    }
    fs::create_symlink("B.cbr", "A.cbr");
    fs::create_symlink("A.cbr", "B.cbr");
    fs::create_symlink("none/C.cbr", "C.cbr");
    EXPECT_FALSE(platform.ReplaceFile("A.cbr", "x"));
    EXPECT_FALSE(platform.ReplaceFile("C.cbr", "x"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"A.cbr", "B.cbr", "C.cbr"}));
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
