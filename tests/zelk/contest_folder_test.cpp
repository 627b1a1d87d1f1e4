// The contest folder: where shipped files are found, what init lays out, and
// the texts that must match what the plug-in writes.
#include "host/contest_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelk::host {
namespace {

class TempFolder {
  public:
    TempFolder() {
        path_ =
            fs::temp_directory_path() /
            ("zelk-folder-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(FindShippedFile, LooksBesideTheProgramThenInTheInstallFolder) {
    TempFolder temp;
    const fs::path program = temp.path() / "bin" / "zelk";
    Write(program, "");
    EXPECT_FALSE(FindShippedFile(program, "zelk.dat", "share/zelk"));
    Write(temp.path() / "share" / "zelk" / "zelk.dat", "installed");
    EXPECT_EQ(FindShippedFile(program, "zelk.dat", "share/zelk"),
              temp.path() / "share" / "zelk" / "zelk.dat");
    Write(temp.path() / "bin" / "zelk.dat", "beside");
    EXPECT_EQ(FindShippedFile(program, "zelk.dat", "share/zelk"), temp.path() / "bin" / "zelk.dat");
    EXPECT_FALSE(FindShippedFile("", "zelk.dat", "share/zelk"));
}

TEST(InitContestFolder, LaysOutPluginsReferenceListAndCoordinate) {
    TempFolder temp;
    const fs::path list = temp.path() / "shipped.dat";
    Write(list, "ZELK 55N37O\n");
    const fs::path folder = temp.path() / "contest";
    InitContestFolder(folder, list, std::string("50N30O"));
    EXPECT_TRUE(IsContestFolder(folder));
    EXPECT_EQ(Read(folder / "Plugins" / "zelk.dat"), "ZELK 55N37O\n");
    EXPECT_EQ(StoredStationCoordinate(folder), "50N30O");

    // A second init keeps the operator's own list and other settings.
    Write(folder / "Plugins" / "zelk.dat", "MY LIST\n");
    Write(folder / "Plugins" / "ZELK.ini", "[Settings]\nName=Ivan\nSetup_ZELK=50N30O\n");
    InitContestFolder(folder, list, std::string("33S70W"));
    EXPECT_EQ(Read(folder / "Plugins" / "zelk.dat"), "MY LIST\n");
    EXPECT_EQ(StoredStationCoordinate(folder), "33S70W");
    EXPECT_NE(Read(folder / "Plugins" / "ZELK.ini").find("Name=Ivan"), std::string::npos);

    InitContestFolder(folder, list, std::nullopt);
    EXPECT_EQ(StoredStationCoordinate(folder), "33S70W");
}

// ASCII text as a UTF-16LE file with its byte order mark.
[[maybe_unused]] std::string Utf16(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(InitContestFolder, ReadsAndWritesTheSettingsFileAsThePluginDoes) {
    const fs::path home = fs::current_path();
    struct Case {
        const char* name;
        std::string before;
        const char* storedBefore;  // what zelk and the plug-in read
        std::string after;         // empty: the file must be left as it is
    };
    const Case cases[] = {
        {"a repeated key: the first counts, and only it changes",
         "[Settings]\r\nSetup_ZELK=50N30O\r\nSetup_ZELK=60N40O\r\n", "50N30O",
         "[Settings]\r\nSetup_ZELK=33S70W\r\nSetup_ZELK=60N40O\r\n"},
        {"a repeated section: only the first counts, the rest is kept byte for byte",
         "; mine\r\n[Settings]\r\nName=Ivan\r\n\r\n[Other]\r\nX = 1\r\n[Settings]\r\n"
         "Setup_ZELK=60N40O\r\n",
         "",
         "; mine\r\n[Settings]\r\nName=Ivan\r\nSetup_ZELK=33S70W\r\n\r\n[Other]\r\nX = 1\r\n"
         "[Settings]\r\nSetup_ZELK=60N40O\r\n"},
        {"LF lines stay LF", "[Settings]\nSetup_ZELK=50N30O\nName=Ivan\n", "50N30O",
         "[Settings]\nSetup_ZELK=33S70W\nName=Ivan\n"},
#ifndef _WIN32  // Windows writes a UTF-16 file in UTF-16; here it is only read
        {"UTF-16 is read, and left as it is", Utf16("[Settings]\r\nSetup_ZELK=50N30O\r\n"),
         "50N30O", ""},
#endif
    };
    TempFolder temp;
    const fs::path list = temp.path() / "shipped.dat";
    Write(list, "ZELK 55N37O\n");
    const fs::path folder = temp.path() / "contest";
    const fs::path settings = folder / "Plugins" / "ZELK.ini";
    for (const Case& c : cases) {
        Write(settings, c.before);
        EXPECT_EQ(StoredStationCoordinate(folder), c.storedBefore) << c.name;
        if (c.after.empty()) {
            try {
                InitContestFolder(folder, list, std::string("33S70W"));
                ADD_FAILURE() << c.name << ": no complaint";
            } catch (const std::runtime_error& problem) {
                EXPECT_NE(std::string(problem.what()).find("is UTF-16 text and was left as it is"),
                          std::string::npos)
                    << problem.what();
            }
            EXPECT_EQ(Read(settings), c.before) << c.name;
            continue;
        }
        InitContestFolder(folder, list, std::string("33S70W"));
#ifndef _WIN32  // the POSIX editor changes that one line; Windows lays out the file its own way
        EXPECT_EQ(Read(settings), c.after) << c.name;
#endif
        EXPECT_EQ(StoredStationCoordinate(folder), "33S70W") << c.name;
    }
    EXPECT_EQ(fs::current_path(), home) << "zelk went back to its own folder";
}

TEST(IsCoordinateText, TakesTheFormThePluginWrites) {
    for (const char* good : {"55N37O", "33S70W", "0N0O", "5N137O", "90S180W"}) {
        EXPECT_TRUE(IsCoordinateText(good)) << good;
    }
    for (const char* bad : {"", "55N", "55n37o", "55N37E", "155N37O", "91N37O", "55N181O",
                            "55N37O ", "N37O", "55.5N37O"}) {
        EXPECT_FALSE(IsCoordinateText(bad)) << bad;
    }
}

}  // namespace
}  // namespace zelk::host
