// zelk reading the files real loggers leave, run as a user runs it in a
// temporary folder: every hostile file is read, or refused with its name and
// reason, and nothing is dropped without a word; one band is one group for
// zelk score, zelk report and the check alike; a station coordinate that is
// not there is said.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "zelk_folder_test.h"

namespace {

namespace fs = std::filesystem;
using namespace zelk::testing;

const fs::path kFixtures = ZELK_TEST_FIXTURES;

// The lines of `text` that start with `prefix`.
std::size_t LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        count += text.compare(at, prefix.size(), prefix) == 0;
        if (text.find('\n', at) == std::string::npos) {
            break;
        }
    }
    return count;
}

// A Cabrillo log of `call`, its QSO lines after a minimal header.
std::string Cabrillo(const std::string& call, const std::string& qsoLines) {
    return "START-OF-LOG: 3.0\nCONTEST: ZELK\nCALLSIGN: " + call + "\n" + qsoLines +
           "END-OF-LOG:\n";
}

using ZelkReading = ZelkFolderTest;

constexpr const char* kQso1 = "QSO: 3514 CW 2024-05-12 0602 R3ZLK 001 55N37O RW1AMG 020 65N25O\n";
constexpr const char* kQso2 = "QSO: 7012 CW 2024-05-12 0610 R3ZLK 002 55N37O RA3BBB 007 66S10W\n";
constexpr const char* kCqww = "QSO: 14025 CW 2024-05-12 0620 R3ZLK 599 16 DL1XYZ 599 14\n";

TEST_F(ZelkReading, HostileFilesAreReadOrRefusedSayingWhatWasNotRead) {
    ASSERT_EQ(Zelk("init contest --coordinate 55N37O").status, 0);
    std::string cqww;
    for (int i = 0; i < 40; ++i) {
        cqww += kCqww;
    }
    const std::string utf16 = "START-OF-LOG: 3.0\r\nCALLSIGN: R3ZLK\r\n";
    std::string utf16Le = "\xFF\xFE";
    std::string utf16Bare;
    for (char c : utf16) {
        utf16Le += std::string{c, '\0'};
        utf16Bare += std::string{c, '\0'};
    }
    struct Case {
        const char* what;
        std::string bytes;
        int status;
        int read = -1;  // contacts read, and skipped of them; -1: not scored
        int skipped = 0;
        std::vector<std::string> said = {};  // on standard error, after "zelk score: "
    };
    const Case cases[] = {
        {"a soapbox that names <EOR> and <EOH>",
         "\r\n" + Cabrillo("R3ZLK", "SOAPBOX: my logger writes <EOH> and <EOR> too\n" +
                                        std::string(kQso1) + kQso2),
         0, 2},
        {"a second START-OF-LOG: is no contact",
         Cabrillo("R3ZLK", std::string(kQso1) + "START-OF-LOG: 3.0\n" + kQso2),
         0,
         2,
         0,
         {"warning: L: line 5: not read: a second START-OF-LOG: inside the log"}},
        {"two logs pasted into one file",
         Cabrillo("R3ZLK", kQso1) + Cabrillo("R3ZLK", kQso2),
         0,
         1,
         0,
         {"warning: L: 5 lines after END-OF-LOG:, not part of the log (first at line 6: "
          "'START-OF-LOG: 3.0')"}},
        {"junk after the end",
         Cabrillo("R3ZLK", kQso1) + "\n73 and thanks\n",
         0,
         1,
         0,
         {"warning: L: line 7: not read: after END-OF-LOG:, not part of the log: '73 and "
          "thanks'"}},
        {"another contest's log",
         Cabrillo("R3ZLK", cqww + kQso1),
         0,
         41,
         40,
         {"contacts skipped: L: 40 QSO lines hold no ZELK exchange (first at line 4: no "
          "coordinate in '599 16 DL1XYZ 599 14' after the own call 'R3ZLK')"}},
        {"UTF-16 with a byte order mark", utf16Le, 2, -1, 0, {"L: the file is UTF-16 text"}},
        {"UTF-16 without one", utf16Bare, 2, -1, 0, {"L: the file is UTF-16 text"}},
        {"no log at all",
         "hello <b>world</b>\n",
         2,
         -1,
         0,
         {"L: holds no ADIF record (fields ended by <EOR>), no ADIF header"}},
        {"an empty file", "", 2, -1, 0, {"L: the file is empty"}},
    };
    const std::string log = (root_ / "log.txt").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(log, c.bytes);
        const ZelkRun run = Zelk("score log.txt -C contest --call R3ZLK --format json");
        EXPECT_EQ(run.status, c.status) << run.err;
        for (std::string said : c.said) {
            said.replace(said.find("L: "), 1, "log.txt");
            EXPECT_NE(run.err.find("zelk score: " + said), std::string::npos) << said << "\n"
                                                                              << run.err;
        }
        // One line per note: a log of another contest is not a line per QSO line.
        EXPECT_EQ(LinesStartingWith(run.err, "zelk score: "), c.said.size()) << run.err;
        if (c.read < 0) {
            EXPECT_EQ(run.out, "");
            continue;
        }
        const auto json = nlohmann::json::parse(run.out);
        EXPECT_EQ(json["contacts"]["read"], c.read);
        EXPECT_EQ(json["contacts"]["skipped"], c.skipped);
    }
}

// The organiser sees a log of another contest as one line, too.
TEST_F(ZelkReading, AdjudicateSaysALogOfAnotherContestInOneLine) {
    fs::create_directories(root_ / "logs");
    std::string cqww;
    for (int i = 0; i < 30; ++i) {
        cqww += kCqww;
    }
    WriteFile(root_ / "logs" / "R3ZLK.log", Cabrillo("R3ZLK", cqww));
    WriteFile(
        root_ / "logs" / "RW1AMG.log",
        Cabrillo("RW1AMG", "QSO: 3514 CW 2024-05-12 0602 RW1AMG 020 65N25O R3ZLK 001 55N37O\n"));
    const ZelkRun run = Zelk("adjudicate logs -o results");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("R3ZLK.log: line "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("zelk adjudicate: R3ZLK.log: 30 QSO lines hold no ZELK exchange (first "
                           "at line 4: no coordinate in '599 16 DL1XYZ 599 14' after the own "
                           "call 'R3ZLK'); not checked\n"),
              std::string::npos)
        << run.err;
}

// 28.025 and 29.650 MHz are both 10 m: one row, one polar bonus, in zelk
// score, zelk report and the check alike; and east written E scores as O.
TEST_F(ZelkReading, OneBandIsOneGroupEverywhereAndEastMayBeWrittenE) {
    ASSERT_EQ(Zelk("init contest --coordinate 55N37O").status, 0);
    fs::create_directories(root_ / "logs");
    const std::string own =
        "QSO: 28025 CW 2024-05-12 0602 R3ZLK 001 55N37O UA9ZZ 020 70N60O\n"
        "QSO: 29650 CW 2024-05-12 0610 R3ZLK 002 55N37O RA3BBB 007 68N40O\n";
    WriteFile(root_ / "logs" / "R3ZLK.log", Cabrillo("R3ZLK", own));
    WriteFile(
        root_ / "logs" / "UA9ZZ.log",
        Cabrillo("UA9ZZ", "QSO: 28025 CW 2024-05-12 0602 UA9ZZ 020 70N60E R3ZLK 001 55N37E\n"));
    WriteFile(
        root_ / "logs" / "RA3BBB.log",
        Cabrillo("RA3BBB", "QSO: 29650 CW 2024-05-12 0610 RA3BBB 007 68N40O R3ZLK 2 55N37O\n"));
    WriteFile(root_ / "east.log", Cabrillo("R3ZLK", [own] {
                  std::string east = own;
                  for (std::size_t at = east.find("O "); at != std::string::npos;
                       at = east.find("O ", at + 1)) {
                      east[at] = 'E';
                  }
                  return east;
              }()));
    const ZelkRun score = Zelk("score logs/R3ZLK.log -C contest --format json");
    ASSERT_EQ(score.status, 0) << score.err;
    const auto scored = nlohmann::json::parse(score.out);
    ASSERT_EQ(scored["rows"].size(), 1u) << score.out;
    EXPECT_EQ(scored["rows"][0]["group"], "28");
    EXPECT_EQ(scored["rows"][0]["polar"], 100);
    const ZelkRun east = Zelk("score east.log -C contest --format json");
    EXPECT_EQ(nlohmann::json::parse(east.out)["claimed_score"], scored["claimed_score"])
        << east.err;

    const ZelkRun report = Zelk("report logs/R3ZLK.log -C contest --summary");
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_NE(report.out.find("\n28 "), std::string::npos) << report.out;
    EXPECT_EQ(report.out.find("\n29 "), std::string::npos) << report.out;

    ASSERT_EQ(Zelk("adjudicate logs -o results").status, 0);
    const auto results = nlohmann::json::parse(ReadFile(root_ / "results" / "results.json"));
    for (const auto& entrant : results["entrants"]) {
        if (entrant["call"] == "R3ZLK") {
            EXPECT_EQ(entrant["qsos_credited"], 2);
            EXPECT_EQ(entrant["checked_score"], scored["claimed_score"]);
        }
        if (entrant["call"] == "UA9ZZ") {
            EXPECT_EQ(entrant["confirmed"], 1);  // its E lines were read and matched
        }
    }
}

TEST_F(ZelkReading, AStationCoordinateNotThereIsSaidInTheSameWords) {
    const std::string noCoordinate =
        "no station coordinate: the distances are measured from it. Give --lat and --lon, or -C "
        "with a contest folder that stores one (zelk init DIR --coordinate 55N37O)";
    ASSERT_EQ(Zelk("init bare").status, 0);
    const std::string small = "'" + (kFixtures / "small.adi").string() + "'";
    struct Case {
        const char* arguments;
        int status;
        std::vector<std::string> said;  // each on a line of its own
        bool plain = false;             // nothing else said
    };
    const std::string bigEndian = "bare/Plugins/ZELK.ini is UTF-16 big-endian text";
    const Case cases[] = {
        {"score S -C bare",
         0,
         {"zelk score: warning: " + noCoordinate +
          "; scored from 0N0O, as the plug-in scores "
          "without one\n"}},
        {"score S -C bare --lat 50 --lon 30", 0, {}, true},
        {"report S -C bare --summary", 2, {"zelk report: " + noCoordinate + "\n"}},
        // Written by an editor as UTF-16 big-endian: not read, as on Windows, but said.
        {"score S -C bare UTF-16BE",
         0,
         {"zelk score: warning: " + bigEndian, "zelk score: warning: " + noCoordinate}},
        {"report S -C bare --summary UTF-16BE",
         2,
         {"zelk report: warning: " + bigEndian, "zelk report: " + noCoordinate}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string arguments = c.arguments;
        arguments.replace(arguments.find('S'), 1, small);
        if (const std::size_t at = arguments.find(" UTF-16BE"); at != std::string::npos) {
            arguments.erase(at);
            std::string settings = "\xFE\xFF";
            for (char ch : std::string("[Settings]\r\nSetup_ZELK=50N30O\r\n")) {
                settings += std::string{'\0', ch};
            }
            WriteFile(root_ / "bare" / "Plugins" / "ZELK.ini", settings);
        }
        const ZelkRun run = Zelk(arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        for (const std::string& said : c.said) {
            EXPECT_NE(run.err.find(said), std::string::npos) << said << "\n" << run.err;
        }
        if (c.plain) {
            EXPECT_EQ(run.err, "") << run.err;
        }
    }
}

}  // namespace
