// The host executable on POSIX: finding "*.exe" in the current folder and
// reading the fixed file version from the executable's own bytes.
#include <functional>
#include <random>

#include "folder_fixture.h"
#include "pe_image.h"
#include "platform/posix/pe_version.h"

namespace zelk::posix_test {
namespace {

using L = PeLayout;

std::optional<FixedFileVersion> VersionOf(const std::vector<uint8_t>& image) {
    return posix::FixedFileVersionOfImage(image);
}

void PutFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

using HostExecutableTest = InFreshFolder;

TEST_F(HostExecutableTest, VersionIsReadFromPe32AndPe32PlusExecutables) {
    struct Case {
        const char* name;
        bool pe32Plus;
        uint32_t ms;
        uint32_t ls;
    };
    const Case cases[] = {{"Vexa.exe", false, 2u << 16 | 20, 3u << 16 | 4},
                          {"Vexa64.exe", true, 3u << 16 | 1, 5u << 16 | 0}};
    for (const Case& c : cases) {
        PutFile(c.name, PeImage(c.pe32Plus, c.ms, c.ls).bytes());
        std::optional<FixedFileVersion> version = platform.ReadFixedFileVersion(c.name);
        ASSERT_TRUE(version.has_value()) << c.name;
        EXPECT_EQ(version->mostSignificant, c.ms) << c.name;
        EXPECT_EQ(version->leastSignificant, c.ls) << c.name;
    }
    EXPECT_EQ(platform.ReadFixedFileVersion("missing.exe"), std::nullopt);
    std::filesystem::create_directory("folder.exe");
    EXPECT_EQ(platform.ReadFixedFileVersion("folder.exe"), std::nullopt);
}

#ifdef ZELK_MINGW_VERSIONED_EXE
// An executable made by a real Windows linker, with a full version resource
// (string tables included) from a resource script.
TEST_F(HostExecutableTest, VersionIsReadFromALinkedExecutable) {
    std::optional<FixedFileVersion> version =
        platform.ReadFixedFileVersion(ZELK_MINGW_VERSIONED_EXE);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->mostSignificant, 2u << 16 | 20);
    EXPECT_EQ(version->leastSignificant, 3u << 16 | 4);
}
#endif

TEST(PeVersionTest, EveryTruncatedImageGivesNoVersion) {
    for (bool pe32Plus : {false, true}) {
        std::vector<uint8_t> image = PeImage(pe32Plus, 1, 2).bytes();
        ASSERT_TRUE(VersionOf(image).has_value());
        // The version resource ends the resource section's used bytes.
        for (std::size_t size = 0; size < L::kResources + L::kResourcesSize; ++size) {
            std::vector<uint8_t> part(image.begin(),
                                      image.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_EQ(VersionOf(part), std::nullopt) << "size " << size;
        }
    }
}

TEST(PeVersionTest, DamagedStructuresGiveNoVersion) {
    const uint32_t directories = L::kOptionalHeader + 96;
    const std::pair<const char*, std::function<void(PeImage&)>> cases[] = {
        {"no MZ", [](PeImage& p) { p.Put16(0, 0x5A4E); }},
        {"PE header beyond the file", [](PeImage& p) { p.Put32(0x3C, 0xFFFFFFF0); }},
        {"unknown optional header", [](PeImage& p) { p.Put16(L::kOptionalHeader, 0x107); }},
        {"no resource directory", [=](PeImage& p) { p.Put32(directories - 4, 2); }},
        {"resource directory at 0", [=](PeImage& p) { p.Put32(directories + 16, 0); }},
        {"65535 sections", [](PeImage& p) { p.Put16(L::kPeHeader + 6, 0xFFFF); }},
        {"65535 types, none a version",
         [](PeImage& p) {
             p.PutR16(L::kRoot + 14, 0xFFFF);
             p.PutR32(L::kRoot + 24, 17);
         }},
        {"language level points back at the root",
         [](PeImage& p) { p.PutR32(L::kVersionLanguages + 20, 0x80000000u | L::kRoot); }},
        {"name level points at itself",
         [](PeImage& p) { p.PutR32(L::kVersionNames + 20, 0x80000000u | L::kVersionNames); }},
        {"type entry is a data entry",
         [](PeImage& p) { p.PutR32(L::kRoot + 28, L::kVersionNames); }},
        {"subdirectory beyond the file", [](PeImage& p) { p.PutR32(L::kRoot + 28, 0xFFFFFFFF); }},
        {"data outside every section", [](PeImage& p) { p.PutR32(L::kVersionData, 0x5000); }},
        {"data larger than its section",
         [](PeImage& p) { p.PutR32(L::kVersionData + 4, 0x10000); }},
        {"block longer than its data",
         [](PeImage& p) { p.PutR16(L::kVersionInfo, L::kVersionInfoSize + 4); }},
        {"block too short for the fixed info", [](PeImage& p) { p.PutR16(L::kVersionInfo, 60); }},
        {"no fixed info", [](PeImage& p) { p.PutR16(L::kVersionInfo + 2, 0); }},
        {"another key", [](PeImage& p) { p.PutR16(L::kVersionInfo + 6 + 28, 'X'); }},
        {"wrong signature", [](PeImage& p) { p.PutR32(L::kFixedInfo, 0xFEEF04BE); }},
    };
    for (const auto& [name, damage] : cases) {
        PeImage image(false, 1, 2);
        damage(image);
        EXPECT_EQ(VersionOf(image.bytes()), std::nullopt) << name;
    }
}

// Any byte of any structure may hold anything: the reader must survive it
// (run under the address sanitizer to see every stray read).
TEST(PeVersionTest, CorruptImagesNeverCrashTheReader) {
    std::mt19937 random(20240601);
    std::size_t versions = 0;
    for (bool pe32Plus : {false, true}) {
        const std::vector<uint8_t> good = PeImage(pe32Plus, 7, 8).bytes();
        for (std::size_t at = 0; at < L::kResources + L::kResourcesSize; ++at) {
            for (uint8_t value : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
                std::vector<uint8_t> image = good;
                image[at] = value;
                versions += VersionOf(image).has_value();
            }
        }
        for (int round = 0; round < 2000; ++round) {
            std::vector<uint8_t> image = good;
            for (int hits = 0; hits < 8; ++hits) {
                image[random() % image.size()] = static_cast<uint8_t>(random());
            }
            versions += VersionOf(image).has_value();
        }
    }
    // Bytes no structure uses (padding, the DOS stub, unused header fields)
    // leave the version readable.
    EXPECT_GT(versions, 0u);
    std::vector<uint8_t> garbage(4096);
    for (uint8_t& b : garbage) {
        b = static_cast<uint8_t>(random());
    }
    garbage[0] = 'M';
    garbage[1] = 'Z';
    EXPECT_EQ(VersionOf(garbage), std::nullopt);
}

TEST_F(HostExecutableTest, ExecutablesAreFilesEndingInExeInAnyCase) {
    for (const char* name :
         {"Vexa.exe", "tool.EXE", "Mixed.ExE", "notes.txt", "exe", "a.exe.bak", "exe.", ".exe"}) {
        Put(name, "x");
    }
    std::filesystem::create_directory("folder.exe");
    std::filesystem::create_symlink("Vexa.exe", "link.exe");
    std::filesystem::create_symlink("nowhere", "dangling.exe");
    std::vector<std::string> names = platform.ListExecutables();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{".exe", "Mixed.ExE", "Vexa.exe", "link.exe", "tool.EXE"}));
}

}  // namespace
}  // namespace zelk::posix_test
