// zelk adjudicate's rules file and decisions file, run as an organiser runs
// them in a temporary folder: the flags override the file, results.json
// echoes what was applied, --write-rules writes a file that reads back to
// the defaults, and a fault in either file is named and nothing is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "adjudication/contest_rules.h"
#include "zelk_folder_test.h"

namespace {

namespace fs = std::filesystem;
using namespace zelk::testing;
using namespace zelk::adjudication;
using nlohmann::json;

class AdjudicateRules : public ZelkFolderTest {
  protected:
    void SetUp() override {
        ZelkFolderTest::SetUp();
        fs::copy(fs::path(ZELK_TEST_FIXTURES) / "adjudicate" / "logs", root_ / "logs");
        WriteFile(root_ / "rules" / "contest.toml",
                  "contest = \"ZELK\"\nstart = 2024-05-12T10:00:00Z\nend = \"2024-05-12T12:00\"\n"
                  "time_window = 7\ncall_distance = 1\noverrides = \"decisions.csv\"\n");
        WriteFile(root_ / "rules" / "decisions.csv",
                  "call,line,verdict,reason\nDL1ABC,7,credit,\"OH1ZZ sent a check log, with it\"\n"
                  "ZELK,8,deny,the station was off the air then\n");
    }

    json Settings() {
        return json::parse(ReadFile(root_ / "results" / "results.json"))["settings"];
    }
};

TEST_F(AdjudicateRules, FlagsOverrideTheRulesFileAndWrittenRulesReadBackToTheDefaults) {
    ZelkRun run = Zelk(
        "adjudicate logs -o results --rules rules/contest.toml --time-window 9 "
        "--end 2024-05-12T11:30Z");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Settings(), json::parse(R"({"contest": "ZELK", "start": "2024-05-12 1000",
        "end": "2024-05-12 1130", "time_window": 9, "call_distance": 1, "nil_penalty": 0,
        "min_appearances": 3, "rules_file": "rules/contest.toml",
        "overrides_file": "rules/decisions.csv", "decisions": 2})"));

    // --overrides names another decisions file than the rules file's.
    WriteFile(root_ / "other.csv", "ZELK,8,credit,a decision of the appeal\n");
    run = Zelk("adjudicate logs -o results --rules rules/contest.toml --overrides other.csv");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Settings()["overrides_file"], "other.csv");
    EXPECT_EQ(Settings()["decisions"], 1);
    EXPECT_EQ(Settings()["time_window"], 7);

    ASSERT_EQ(Zelk("adjudicate --write-rules new.toml").status, 0);
    const std::string written = ReadFile(root_ / "new.toml");
    const auto read = ReadRulesFile(root_ / "new.toml");
    ASSERT_TRUE(std::holds_alternative<CheckRules>(read)) << std::get<std::string>(read);
    const CheckRules& rules = std::get<CheckRules>(read);
    const CheckRules defaults;
    EXPECT_EQ(rules.contest, defaults.contest);
    EXPECT_EQ(rules.start, defaults.start);
    EXPECT_EQ(rules.end, defaults.end);
    for (const NumberSetting& setting : NumberSettings()) {
        EXPECT_EQ(rules.*setting.value, defaults.*setting.value) << setting.key;
        EXPECT_NE(written.find("\n" + std::string(setting.key) + " = "), std::string::npos);
    }
    EXPECT_EQ(rules.categories, defaults.categories);
    EXPECT_TRUE(rules.overridesFile.empty());
    // An organiser's rules file is never written over.
    WriteFile(root_ / "new.toml", "time_window = 3\n");
    run = Zelk("adjudicate --write-rules new.toml");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(ReadFile(root_ / "new.toml"), "time_window = 3\n");
}

TEST_F(AdjudicateRules, AFaultInTheRulesOrDecisionsIsNamedAndNothingIsWritten) {
    struct BadRun {
        std::string arguments;
        std::string file;  // written before the run, when not empty
        std::string bytes;
        std::string message;
    };
    const BadRun runs[] = {
        {"--rules rules/bad.toml", "rules/bad.toml", "time_window = 5\nnil_penalty = -1\n",
         "rules/bad.toml line 2: nil_penalty: must be a whole number from 0 to 1000, not -1"},
        {"--overrides rules/bad.csv", "rules/bad.csv", "ZELK,8,credit,x\nZELK,9,perhaps,x",
         "rules/bad.csv line 2: verdict: \"perhaps\" is neither credit nor deny"},
        {"--rules rules/contest.toml --start 2024-05-12T12:00", "", "",
         "the contest period's end, 2024-05-12T12:00Z (rules/contest.toml), is not after its "
         "start, 2024-05-12T12:00Z (--start)"},
        {"--rules rules/gone.toml", "rules/gone.toml", "overrides = \"gone.csv\"",
         "rules/gone.csv: cannot be read: No such file or directory (the decisions file "
         "rules/gone.toml names)"},
        {"--start 2024-05-12T24:00", "", "",
         "--start: not a date and time as 2024-05-12T06:00 (UTC): 2024-05-12T24:00"},
    };
    for (const BadRun& bad : runs) {
        SCOPED_TRACE(bad.arguments);
        if (!bad.file.empty()) {
            WriteFile(root_ / bad.file, bad.bytes);
        }
        const ZelkRun run = Zelk("adjudicate logs -o results " + bad.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(bad.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(root_ / "results"));
    }

    // zelk serve reads its contest folder's contest.toml the same way, and
    // does not start on a fault in it.
    WriteFile(root_ / "served" / "contest.toml", "contest = \"ZELK\"\ntime_widow = 3\n");
    const ZelkRun served = Zelk("serve served --listen 127.0.0.1:0");
    EXPECT_EQ(served.status, 2);
    EXPECT_NE(served.err.find("line 2: time_widow: "), std::string::npos) << served.err;
    EXPECT_FALSE(fs::exists(root_ / "served" / "submissions.sqlite"));
}

}  // namespace
