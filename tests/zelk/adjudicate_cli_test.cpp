// zelk adjudicate run as an organiser runs it, in temporary folders: the
// hand-worked contest of fixtures/adjudicate gives its fixture results byte
// for byte, and again on a second run; a simulated contest gives the counts
// of its truth; each checked score is what `zelk score` gives a Cabrillo
// file of exactly the credited lines; bad input is named and the rest of
// the contest is still checked.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "adjudication/contest_check.h"
#include "adjudication/contest_rules.h"
#include "simulator.h"
#include "zelk_folder_test.h"

namespace {

namespace fs = std::filesystem;
using namespace zelk::testing;
using namespace zelk;
using nlohmann::json;
using nlohmann::ordered_json;

const fs::path kFixtures = fs::path(ZELK_TEST_FIXTURES) / "adjudicate";

void SetTime(const fs::path& path, int64_t unixSeconds) {
    fs::last_write_time(path, std::chrono::file_clock::from_sys(
                                  std::chrono::sys_seconds{std::chrono::seconds{unixSeconds}}));
}

class Adjudicate : public ZelkFolderTest {
  protected:
    void SetUp() override {
        ZelkFolderTest::SetUp();
        fs::create_directories(root_ / "logs");
    }

    // The hand-worked contest; its older SP5QQ log is older on disk too.
    void CopyHandWorkedLogs() {
        for (const auto& entry : fs::directory_iterator(kFixtures / "logs")) {
            fs::copy_file(entry.path(), root_ / "logs" / entry.path().filename());
            SetTime(root_ / "logs" / entry.path().filename(), 1715594400);
        }
        SetTime(root_ / "logs" / "SP5QQ-first.log", 1715544000);
    }

    void WriteSimulatedContest(const sim::SimulatedContest& contest) {
        for (const sim::SubmittedFile& file : contest.files) {
            WriteFile(root_ / "logs" / file.name, file.bytes);
            SetTime(root_ / "logs" / file.name, file.modifiedTime);
        }
    }
};

// The hand-worked contests give their fixture results, and the same files
// again over a stale report and into another folder: fixtures/adjudicate
// (every status, a superseded log, a file that is no log) and
// fixtures/adjudicate-rules (a period, categories with an unknown value and a
// tie, a check log, a single-band entry, a clock an hour fast, decisions, one
// naming no QSO line, a missing log, a log of another contest, the newer).
// A fixture's results.json, kept an entrant a line, is compared as JSON.
TEST_F(Adjudicate, HandWorkedContestsGiveTheirFixtureResultsOnEveryRun) {
    struct Case {
        const char* fixture;
        const char* rules;
        std::map<std::string, int64_t> times;  // beside every log's 1715594400
        std::vector<const char*> said;
    } const cases[] = {
        {"adjudicate",
         "",
         {{"SP5QQ-first.log", 1715544000}},
         {"letter.txt: not read: the file has no START-OF-LOG: line",
          "SP5QQ-first.log not used (an older log of SP5QQ)"}},
        {"adjudicate-rules",
         " --rules contest.toml",
         {{"FF6FF-sprint.log", 1716199200}},
         {"FF6FF-sprint.log: not used: a log of another contest (NOT-ZELK, not ZELK) of FF6FF",
          "EE5EE.log: its clock was off by 60 minutes",
          "overrides.csv line 6: CC3CC line 3: not applied: CC3CC.log has no QSO line 3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const fs::path fixture = fs::path(ZELK_TEST_FIXTURES) / c.fixture;
        fs::remove_all(root_);
        fs::copy(fixture, root_, fs::copy_options::recursive);
        for (const auto& entry : fs::directory_iterator(root_ / "logs")) {
            const auto time = c.times.find(entry.path().filename().string());
            SetTime(entry.path(), time != c.times.end() ? time->second : 1715594400);
        }
        const ZelkRun run = Zelk(std::string("adjudicate logs -o results") + c.rules);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto expected = FilesUnder(fixture / "expected");
        const auto written = FilesUnder(root_ / "results");
        EXPECT_EQ(run.out, expected.at("results.txt"));
        std::set<std::string> names = {"results.csv", "results.json"};
        for (const auto& [name, bytes] : expected) {
            names.insert(name);
            ASSERT_TRUE(written.contains(name)) << name;
            if (name == "results.json") {
                EXPECT_EQ(ordered_json::parse(written.at(name)), ordered_json::parse(bytes));
            } else {
                EXPECT_EQ(written.at(name), bytes) << name;
            }
        }
        std::set<std::string> writtenNames;
        for (const auto& [name, bytes] : written) {
            writtenNames.insert(name);
        }
        EXPECT_EQ(writtenNames, names);
        for (const char* said : c.said) {
            EXPECT_NE(run.err.find(said), std::string::npos) << said << "\n" << run.err;
        }

        WriteFile(root_ / "results" / "ubn" / "GONE.ubn", "an earlier run's entrant");
        ASSERT_EQ(Zelk(std::string("adjudicate logs -o results") + c.rules).status, 0);
        ASSERT_EQ(Zelk("adjudicate " + (root_ / "logs").string() + " -o again" + c.rules).status,
                  0);
        EXPECT_EQ(FilesUnder(root_ / "results"), written);
        EXPECT_EQ(FilesUnder(root_ / "again"), written);
    }
}

// Without the organiser's rules and with them (a period, categories, check
// logs, single-band entries, clocks off, logs of another contest), and with
// the shapes real logs hold (lines that cannot be read, frequencies in no
// band ...), the period given as the flags take it.
TEST_F(Adjudicate, SimulatedContestGivesTheCountsOfItsTruth) {
    sim::SimulationParameters plain;
    plain.seed = 7;
    sim::SimulationParameters shapes = sim::WithOrganiserRules(9);
    shapes.faults = sim::WithRealLogShapes(shapes.faults);
    for (const sim::SimulationParameters& p : {plain, sim::WithOrganiserRules(8), shapes}) {
        SCOPED_TRACE(sim::CommandLine(p));
        const sim::SimulatedContest contest = sim::Simulate(p);
        fs::remove_all(root_ / "logs");
        fs::create_directories(root_ / "logs");
        WriteSimulatedContest(contest);
        std::string period;
        if (contest.periodEndMinute > contest.periodStartMinute) {
            period = " --start " + adjudication::PeriodTimeText(contest.periodStartMinute) +
                     " --end " + adjudication::PeriodTimeText(contest.periodEndMinute);
        }
        const ZelkRun run =
            Zelk("adjudicate logs -o results --time-window 5 --call-distance 2" + period);
        ASSERT_EQ(run.status, 0) << run.err;
        const json results = json::parse(ReadFile(root_ / "results" / "results.json"));

        std::map<std::string, std::map<std::string, int>> truth;  // file -> status -> lines
        for (const sim::TruthLine& line : contest.truth) {
            ++truth[contest.files[line.file].name][std::string(sim::StatusName(line.status))];
        }
        ASSERT_EQ(results["entrants"].size(), truth.size());
        const std::map<std::string, std::string> keys = {
            {"confirmed", "confirmed"},
            {"partner_busted_call", "partner_busted_call"},
            {"no_log_credited", "no_log_credited"},
            {"busted_exchange", "busted_exchange"},
            {"busted_call", "busted_call"},
            {"nil", "nil"},
            {"unique", "unique"},
            {"dupe", "dupes"},
            {"not_cw", "not_cw"},
            {"x_qso", "x_qso"},
            {"out_of_period", "out_of_period"},
            {"other_band", "other_band"},
            {"unreadable", "unreadable_matched"},
            {"out_of_band", "out_of_band"}};
        std::map<std::string, const sim::EntrantTruth*> entrants;
        for (const sim::EntrantTruth& entrant : contest.entrants) {
            entrants[contest.files[entrant.file].name] = &entrant;
        }
        for (const json& entrant : results["entrants"]) {
            const std::string file = entrant["file"].get<std::string>();
            const auto& counts = truth[file];
            for (const auto& [status, key] : keys) {
                EXPECT_EQ(entrant[key].get<int>(), counts.contains(status) ? counts.at(status) : 0)
                    << file << " " << key;
            }
            ASSERT_TRUE(entrants.contains(file)) << file;
            EXPECT_EQ(
                entrant["category_place"].is_null() ? 0 : entrant["category_place"].get<int>(),
                static_cast<int>(entrants[file]->categoryPlace))
                << file;
            EXPECT_EQ(entrant["clock_offset_minutes"].get<int>(),
                      entrants[file]->clockOffsetMinutes)
                << file;
            EXPECT_EQ(entrant["unreadable_lines"].get<uint32_t>(), entrants[file]->unreadableLines)
                << file;
        }
        int notRead = 0;
        for (const sim::SubmittedFile& file : contest.files) {
            notRead += file.status == sim::FileStatus::NotRead;
        }
        EXPECT_EQ(results["not_read"].size(), static_cast<std::size_t>(notRead));
        EXPECT_EQ(results["settings"]["time_window"], 5);
    }
}

// results.html ranks as results.json does, holds a section per entrant that
// the table links to, links each entrant's report, and draws the world
// outline once; a run without --html leaves no page of an earlier run.
TEST_F(Adjudicate, HtmlPageRanksAsResultsJsonAndLinksEachReport) {
    CopyHandWorkedLogs();
    const ZelkRun run = Zelk("adjudicate logs -o results --html");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("results in results, the page results/results.html"), std::string::npos)
        << run.err;
    const json results = json::parse(ReadFile(root_ / "results" / "results.json"));
    const std::string page = ReadFile(root_ / "results" / "results.html");
    auto all = [&page](const std::string& pattern) {
        std::vector<std::smatch> found;
        const std::regex re(pattern);
        for (auto it = std::sregex_iterator(page.begin(), page.end(), re);
             it != std::sregex_iterator(); ++it) {
            found.push_back(*it);
        }
        return found;
    };
    const auto rows =
        all("<tr><td>(\\d+)</td><th scope=\"row\"><a href=\"#([^\"]+)\">([^<]+)</a></th>"
            "<td>(\\d+)</td>");
    const auto sections = all("<article class=\"entrant-results\" id=\"([^\"]+)\"");
    const auto reports = all("Check report <a href=\"([^\"]+)\"");
    ASSERT_EQ(rows.size(), results["entrants"].size());
    ASSERT_EQ(sections.size(), rows.size());
    ASSERT_EQ(reports.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const json& entrant = results["entrants"][i];
        EXPECT_EQ(std::stoi(rows[i][1]), entrant["place"].get<int>());
        EXPECT_EQ(rows[i][3].str(), entrant["call"].get<std::string>());
        EXPECT_EQ(std::stoll(rows[i][4]), entrant["checked_score"].get<int64_t>());
        EXPECT_EQ(rows[i][2].str(), sections[i][1].str()) << "the table links its section";
        EXPECT_EQ(reports[i][1].str(), entrant["ubn"].get<std::string>());
        EXPECT_TRUE(fs::is_regular_file(root_ / "results" / reports[i][1].str())) << reports[i][1];
    }
    EXPECT_EQ(all("id=\"world-land\" d=").size(), 1u);
    EXPECT_EQ(all("<use class=\"land\" href=\"#world-land\"").size(), rows.size());
    EXPECT_NE(page.find("letter.txt</code>: the file has no START-OF-LOG: line"),
              std::string::npos);
    EXPECT_NE(page.find("SP5QQ-first.log</code>: an older log of SP5QQ"), std::string::npos);

    ASSERT_EQ(Zelk("adjudicate logs -o results").status, 0);
    EXPECT_FALSE(fs::exists(root_ / "results" / "results.html"));
}

// A log of exactly the credited lines scores, through the plug-in, what the
// check gives: from the stored coordinate, or (north and east) from the one
// the log sent when the contest folder stores none.
TEST_F(Adjudicate, CheckedScoreIsWhatZelkScoreGivesTheCreditedLines) {
    sim::SimulationParameters p;
    p.seed = 3;
    p.logs = 20;
    const sim::SimulatedContest contest = sim::Simulate(p);
    std::vector<adjudication::LogFile> files;
    for (const sim::SubmittedFile& file : contest.files) {
        files.push_back(adjudication::ReadLogFile(file.name, file.bytes, file.modifiedTime));
    }
    const adjudication::ContestCheck check = adjudication::CheckContest(std::move(files), {});
    ASSERT_EQ(check.entrants.size(), 20u);
    int fallbacks = 0;
    for (const adjudication::Entrant& entrant : check.entrants) {
        std::string log = "START-OF-LOG: 3.0\nCALLSIGN: " + entrant.log.call + "\n";
        for (const adjudication::CheckedLine& line : entrant.log.lines) {
            if (adjudication::IsCredited(line.status)) {
                log += std::string(entrant.log.LineText(line)) + "\n";
            }
        }
        WriteFile(root_ / "credited.log", log + "END-OF-LOG:\n");
        const std::string& station = entrant.log.stationCoordinate;
        const bool fallback = station.find_first_of("SW") == std::string::npos;
        fallbacks += fallback;
        fs::remove_all(root_ / "contest");
        ASSERT_EQ(Zelk("init contest" + (fallback ? "" : " --coordinate " + station)).status, 0);
        const ZelkRun run = Zelk("score credited.log -C contest --format json");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(json::parse(run.out)["claimed_score"].get<int64_t>(), entrant.checkedScore)
            << entrant.log.call << " from " << station;
        EXPECT_EQ(run.err.find("as the log sent it") != std::string::npos, fallback) << run.err;
    }
    EXPECT_GT(fallbacks, 0);
    EXPECT_LT(fallbacks, 20);

    // The lines `zelk score` cannot hand over are named, as for ADIF contacts.
    ASSERT_EQ(Zelk("init contest2").status, 0);
    const ZelkRun skipped =
        Zelk("score '" + (kFixtures / "logs" / "UA9XYZ.log").string() + "' -C contest2");
    EXPECT_EQ(skipped.status, 0) << skipped.err;
    EXPECT_NE(skipped.err.find("contact skipped: " + (kFixtures / "logs" / "UA9XYZ.log").string() +
                               ": line 6: cannot be read: time '11O5' is not a time hhmm"),
              std::string::npos)
        << skipped.err;
    EXPECT_NE(skipped.out.find("Contestant: UA9XYZ"), std::string::npos) << skipped.out;
}

TEST_F(Adjudicate, BadInputIsNamedAndTheRestIsStillChecked) {
    struct Case {
        const char* what;
        void (*make)(const fs::path& logs);
        int status;
        std::string message;
        std::size_t entrants;  // in results.json; 0: none written
    };
    const Case cases[] = {
        {"empty folder", [](const fs::path&) {}, 2, "holds no files: there is nothing to check", 0},
        {"unreadable file",
         [](const fs::path& logs) { fs::create_symlink(logs / "nowhere", logs / "gone.log"); }, 0,
         "gone.log: not read: cannot be read: No such file or directory", 5},
        {"binary file",
         [](const fs::path& logs) {
             WriteFile(logs / "photo.cbr", std::string("PK\3\4\0\0zip", 9));
         },
         0, "photo.cbr: not read: the file holds binary data (a zero byte at byte 4)", 5},
        {"log without QSO lines",
         [](const fs::path& logs) {
             WriteFile(logs / "empty.log",
                       "START-OF-LOG: 3.0\nCALLSIGN: "
                       "YL2QQ\nEND-OF-LOG:\n");
         },
         0, "empty.log: the log of YL2QQ has no QSO line", 6},
        {"huge line",
         [](const fs::path& logs) {
             WriteFile(logs / "long.log", "START-OF-LOG: 3.0\nCALLSIGN: YL2QQ\nQSO: 7010 CW " +
                                              std::string(70000, 'X') + "\nEND-OF-LOG:\n");
         },
         0, "long.log: line 3: QSO: the line is 70013 bytes long; a QSO line has at most 65535", 6},
        {"duplicate entrants",
         [](const fs::path& logs) {
             WriteFile(logs / "zelk-again.log", ReadFile(logs / "ZELK.cbr"));
             SetTime(logs / "zelk-again.log", 1715500000);
         },
         0, "zelk-again.log: not used: an older log of ZELK; ZELK.cbr is used", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root_ / "logs");
        fs::remove_all(root_ / "results");
        fs::create_directories(root_ / "logs");
        if (c.entrants > 0) {
            CopyHandWorkedLogs();
        }
        c.make(root_ / "logs");
        const ZelkRun run = Zelk("adjudicate logs -o results");
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        if (c.entrants == 0) {
            EXPECT_FALSE(fs::exists(root_ / "results"));
            continue;
        }
        const json results = json::parse(ReadFile(root_ / "results" / "results.json"));
        EXPECT_EQ(results["entrants"].size(), c.entrants);
        EXPECT_EQ(results["entrants"][0]["call"], "DL1ABC");  // the hand-worked winner
        EXPECT_EQ(results["entrants"][0]["checked_score"], 538);
    }
}

}  // namespace
