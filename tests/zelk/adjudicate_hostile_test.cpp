// zelk adjudicate given folders and files that could make it harm the logs
// or stop the results: a refused run writes and removes nothing at all; a
// run that goes ahead leaves every file outside its output folder (and every
// log inside it) as it was, writes through no link, and publishes every
// entrant whatever its call.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <random>

#include "zelk_folder_test.h"

namespace {

namespace fs = std::filesystem;
using namespace zelk::testing;
using nlohmann::json;

const fs::path kFixtures = ZELK_TEST_FIXTURES;

std::string Log(const std::string& call) {
    return "START-OF-LOG: 3.0\nCALLSIGN: " + call +
           "\nQSO:  7012 CW 2024-05-12 1000 X 001 63N33O R3ABC 001 55N37O\nEND-OF-LOG:\n";
}

struct Case {
    const char* what;
    std::string logs;  // where the hand-worked logs are put, in the working folder
    std::function<void(const fs::path& root)> prepare;
    std::string arguments;
    int status;
    std::string said;
    std::function<void(const fs::path& results)> check;  // when the run goes ahead
};

void Nothing(const fs::path&) {}

const std::string kHostileCalls[] = {"=1+1", "+49",     "-2",     "@SUM(1)",
                                     "NUL",  "CON.TXT", "CONIN$", std::string(300, 'K')};

void PlantLinks(const fs::path& root) {
    WriteFile(root / "victim.txt", "precious");
    fs::create_directories(root / "victim");
    WriteFile(root / "victim" / "kept.txt", "precious too");
    fs::create_symlink("../victim.txt", root / "results" / "results.txt.zelk-tmp");
    fs::create_symlink("../victim", root / "results" / "ubn.zelk-tmp");
    fs::create_symlink("../victim", root / "results" / "ubn.zelk-old");
}

void CheckHostileCalls(const fs::path& results) {
    const json entrants = json::parse(ReadFile(results / "results.json"))["entrants"];
    std::map<std::string, std::string> reports;
    for (const json& entrant : entrants) {
        reports[entrant["call"]] = entrant["ubn"];
        EXPECT_TRUE(fs::is_regular_file(results / entrant["ubn"].get<std::string>()));
    }
    EXPECT_EQ(reports.at("NUL"), "ubn/NUL_.ubn");
    EXPECT_EQ(reports.at("CON.TXT"), "ubn/CON_.TXT.ubn");
    EXPECT_EQ(reports.at("CONIN$"), "ubn/CONIN$_.ubn");
    EXPECT_EQ(reports.at(std::string(300, 'K')), "ubn/" + std::string(40, 'K') + ".ubn");
    const std::string csv = ReadFile(results / "results.csv");
    for (const std::string call : {"=1+1", "+49", "-2", "@SUM(1)"}) {
        EXPECT_NE(csv.find(",'" + call + ","), std::string::npos) << call << "\n" << csv;
        EXPECT_EQ(csv.find("," + call + ","), std::string::npos) << call << "\n" << csv;
    }
}

TEST(AdjudicateHostile, FoldersAndFilesNeverHarmTheLogsNorStopTheResults) {
    const fs::path base =
        fs::temp_directory_path() / ("zelk-hostile-" + std::to_string(std::random_device{}()));
    const fs::path root = base / "work";
    auto zelk = [&](const std::string& arguments) {
        const std::string command = "cd '" + root.string() + "' && '" ZELK_PROGRAM "' " +
                                    arguments + " >'" + (base / "out.txt").string() + "' 2>'" +
                                    (base / "err.txt").string() + "' </dev/null";
        const int raw = std::system(command.c_str());
        return std::pair(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(base / "err.txt"));
    };
    const std::string absolute = (root / "results" / "ubn" / "received").string();
    const Case cases[] = {
        {"logs in OUT/ubn", "results/ubn/received", Nothing,
         "adjudicate results/ubn/received -o results", 2, "lies in results/ubn", nullptr},
        {"OUT is LOGS", "logs", Nothing, "adjudicate logs -o logs", 2,
         "cannot go into the folder of logs", nullptr},
        {"OUT not made yet, under LOGS", "logs", Nothing, "adjudicate logs -o logs/new/results", 2,
         "cannot go into the folder of logs", nullptr},
        {"OUT under a link to LOGS", "logs",
         [](const fs::path& root) { fs::create_directory_symlink("logs", root / "link"); },
         "adjudicate logs -o link/results", 2, "cannot go into the folder of logs", nullptr},
        {"LOGS a link into OUT/ubn", "results/ubn/received",
         [](const fs::path& root) {
             fs::create_directory_symlink("results/ubn/received", root / "received");
         },
         "adjudicate received -o results", 2, "lies in results/ubn", nullptr},
        {"absolute and roundabout spellings", "results/ubn/received", Nothing,
         "adjudicate " + absolute + " -o ./results/ubn/../../results", 2,
         "which every run replaces", nullptr},
        {"OUT/ubn a link to LOGS", "logs",
         [](const fs::path& root) {
             fs::remove_all(root / "results" / "ubn");
             fs::create_directory_symlink("../logs", root / "results" / "ubn");
         },
         "adjudicate logs -o results", 2, "lies in results/ubn", nullptr},
        {"only ADIF files", "logs",
         [](const fs::path& root) {
             fs::create_directories(root / "adif");
             fs::copy_file(kFixtures / "small.adi", root / "adif" / "small.adi");
         },
         "adjudicate adif -o results", 2, "holds no Cabrillo log that can be read", nullptr},
        {"logs in the old temporary folder", "results/ubn.zelk-tmp", Nothing,
         "adjudicate results/ubn.zelk-tmp -o results", 0, "results in results", Nothing},
        {"logs in the old folder of the previous reports", "results/ubn.zelk-old", Nothing,
         "adjudicate results/ubn.zelk-old -o results", 0, "results in results", Nothing},
        {"links planted at the old temporary names", "logs", PlantLinks,
         "adjudicate logs -o results", 0, "results in results",
         [](const fs::path& results) {
             EXPECT_TRUE(fs::is_symlink(results / "results.txt.zelk-tmp"));
             EXPECT_TRUE(fs::is_symlink(results / "ubn.zelk-tmp"));
         }},
        {"hostile calls", "logs",
         [](const fs::path& root) {
             for (std::size_t i = 0; i < std::size(kHostileCalls); ++i) {
                 WriteFile(root / "logs" / ("hostile" + std::to_string(i) + ".log"),
                           Log(kHostileCalls[i]));
             }
         },
         "adjudicate logs -o results", 0, "Checked 13 logs", CheckHostileCalls},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(base);
        fs::create_directories(root / "previous");
        fs::copy(kFixtures / "adjudicate" / "logs", root / "previous");
        ASSERT_EQ(zelk("adjudicate previous -o results").first, 0);
        fs::create_directories(root / c.logs);
        fs::copy(kFixtures / "adjudicate" / "logs", root / c.logs);
        c.prepare(root);
        const auto before = FilesUnder(root);

        const auto [status, err] = zelk(c.arguments);
        EXPECT_EQ(status, c.status) << err;
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        const auto after = FilesUnder(root);
        if (!c.check) {
            EXPECT_EQ(after, before) << "a refused run changed a file";
            continue;
        }
        // Outside the output folder nothing changed, nor the logs inside it.
        for (const auto& [name, bytes] : before) {
            if (!name.starts_with("results/") || name.starts_with(c.logs + "/")) {
                EXPECT_TRUE(after.contains(name) && after.at(name) == bytes) << name;
            }
        }
        for (const auto& [name, bytes] : after) {
            EXPECT_FALSE(name.starts_with("results/.zelk-run-")) << name;
        }
        c.check(root / "results");
    }
    fs::remove_all(base);
}

}  // namespace
