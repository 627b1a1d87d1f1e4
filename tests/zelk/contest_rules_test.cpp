// The rules file: what a good file gives, and the exact message, with the
// file, the line and the key, for each fault an organiser can make.
#include "adjudication/contest_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;
using namespace zelk::adjudication;

// 2024-05-12 00:00 UTC in minutes since 1970.
constexpr int64_t kMay12 = 19855 * 1440;

struct RulesCase {
    std::string text;
    std::string fault;  // the message after the file's name; empty for a good file
    std::function<void(const CheckRules&)> check = nullptr;
};

TEST(RulesFile, ReadsEveryKeyAndNamesTheFileLineAndKeyOfEachFault) {
    const std::string keys =
        "no such key; the keys are contest, contest_aliases, start, end, time_window, "
        "call_distance, nil_penalty, min_appearances, overrides and the tables [categories] and "
        "[serve]";
    const std::string size = "must be a size from 1KiB to 256MiB, as 5242880 or \"5MiB\", not ";
    const RulesCase cases[] = {
        {"", "", [](const CheckRules& r) { EXPECT_EQ(r.contest, "ZELK"); }},
        {"contest = \"ZELK-CW\"\nstart = 2024-05-12T08:00:00+02:00\nend = \"2024-05-12T13:00Z\"\n"
         "time_window = 0\ncall_distance = 8\nnil_penalty = 1000\nmin_appearances = 1\n"
         "overrides = \"decisions/overrides.csv\"\n"
         "[categories]\nband = [\"all\", \"40m\", \"2M\"]\npower = [\"QRP\"]\n",
         "",
         [](const CheckRules& r) {
             EXPECT_EQ(r.contest, "ZELK-CW");
             EXPECT_EQ(r.start, kMay12 + 6 * 60);  // the offset taken off
             EXPECT_EQ(r.end, kMay12 + 13 * 60);
             EXPECT_EQ(r.timeWindowMinutes, 0);
             EXPECT_EQ(r.callDistance, 8);
             EXPECT_EQ(r.nilPenalty, 1000);
             EXPECT_EQ(r.minAppearances, 1);
             EXPECT_EQ(r.overridesFile, (fs::path("rules") / "decisions/overrides.csv").string());
             EXPECT_EQ(r.categories.values[1], (std::vector<std::string>{"ALL", "40M", "2M"}));
             EXPECT_EQ(r.categories.values[2], std::vector<std::string>{"QRP"});
             EXPECT_EQ(r.categories.values[0], BuiltInCategories().values[0]);
             EXPECT_EQ(r.rulesFile, (fs::path("rules") / "contest.toml").string());
         }},
        // Without an offset a date and time is UTC, as in the logs.
        {"start = 2024-05-12T06:00:00", "",
         [](const CheckRules& r) { EXPECT_EQ(r.start, kMay12 + 6 * 60); }},
        {"# the rules\n\ntime_windw = 5", "line 3: time_windw: " + keys},
        {"time_window = \"5\"",
         "line 1: time_window: must be a whole number from 0 to 1440, not a text"},
        {"call_distance = 9", "line 1: call_distance: must be a whole number from 0 to 8, not 9"},
        {"nil_penalty = 1.5",
         "line 1: nil_penalty: must be a whole number from 0 to 1000, not a number with a "
         "fraction"},
        {"min_appearances = 0",
         "line 1: min_appearances: must be a whole number from 1 to 1000000, not 0"},
        {"contest = \"\"", "line 1: contest: the contest's name must not be empty"},
        {"contest = 7", "line 1: contest: must be a text in quotes, not a whole number"},
        {"start = \"2024-02-30T06:00\"",
         "line 1: start: must be a date and time, UTC, as 2024-05-12T06:00:00Z or "
         "\"2024-05-12T06:00\", not \"2024-02-30T06:00\""},
        {"start = 2024-05-12",
         "line 1: start: must be a date and time, UTC, as 2024-05-12T06:00:00Z or "
         "\"2024-05-12T06:00\", not a date without a time"},
        {"end = 2024-05-12T13:00:30Z",
         "line 1: end: must be a whole minute (the contest period is counted in minutes)"},
        {"end = 2024-05-12T06:00:00Z\nstart = 2024-05-12T06:00:00Z",
         "line 1: end: 2024-05-12T06:00Z is not after start, 2024-05-12T06:00Z"},
        {"overrides = 1", "line 1: overrides: must be a text in quotes, not a whole number"},
        // The first fault of the file is named, whatever the keys' order.
        {"contest = \"ZELK\"\nzz = 1\naa = 1", "line 2: zz: " + keys},
        {"[categories]\nmode = [\"CW\"]",
         "line 2: categories.mode: no such part of a category; the parts are operator, band, "
         "power and transmitter"},
        {"[categories]\nband = [\"ALL\", \"41M\"]",
         "line 2: categories.band: \"41M\" is no band: ALL, or an amateur band as 160M, 40M, 2M"},
        {"[categories]\npower = [\"HIGH\",\n  \"high\"]",
         "line 3: categories.power: \"HIGH\" is listed twice"},
        {"[categories]\noperator = []",
         "line 2: categories.operator: must be a list of one value or more, such as [\"HIGH\", "
         "\"LOW\"], not an empty list"},
        {"[categories]\noperator = [\"SINGLE OP\"]",
         "line 2: categories.operator: \"SINGLE OP\" is no category value: one word of letters, "
         "digits and - / _ ."},
        // Letters beyond ASCII in texts and comments, never where toml++ 3.3
        // cannot take them.
        {"contest = \"Z\u00fcrich\" # Z\u00fcrich\nstart = \"\"\"\u00e9\"\"\"\nban\u00e9 = 1",
         "line 3, column 4: not TOML: a character that is not ASCII outside quotes and comments"},
        {"contest=\"Z\u00fcrich\"", "",
         [](const CheckRules& r) { EXPECT_EQ(r.contest, "Z\u00fcrich"); }},
        {"''=+.'\u00e9''",  // no string inside a bare value
         "line 1, column 7: not TOML: a character that is not ASCII outside quotes and comments"},
        {"end = 2024\"\"\"\u00e9\"\"\"",
         "line 1, column 14: not TOML: a character that is not ASCII outside quotes and comments"},
        {"contest = \"\"\"ZELK\\\n  \u00e9\"\"\"",
         "line 2, column 3: not TOML: a character that is not ASCII after a backslash in a "
         "\"\"\" string"},
        {"categories = 3", "line 1: categories: must be a table, [categories], not a whole number"},
        // The names the contest also answers to, and what zelk serve takes.
        {"contest_aliases = [\"ZELK-CW\", \"zelk test\"]\n[serve]\n"
         "deadline = 2024-05-19T23:59:00Z\ncontact = \"contest@example.org\"\n"
         "rules_link = \"https://example.org/rules\"\nmax_upload = \"2MiB\"\n"
         "uploads_at_once = 2\nuploads_per_hour = 10\n"
         "public_url = \"https://logs.example.org/\"\n",
         "",
         [](const CheckRules& r) {
             EXPECT_EQ(r.contestAliases, (std::vector<std::string>{"ZELK-CW", "zelk test"}));
             EXPECT_EQ(r.intake.deadline, kMay12 + 7 * 1440 + 23 * 60 + 59);
             EXPECT_EQ(r.intake.contact, "contest@example.org");
             EXPECT_EQ(r.intake.rulesLink, "https://example.org/rules");
             EXPECT_EQ(r.intake.maxUploadBytes, 2u << 20);
             EXPECT_EQ(r.intake.uploadsAtOnce, 2);
             EXPECT_EQ(r.intake.uploadsPerHour, 10);
             EXPECT_EQ(r.intake.publicUrl, "https://logs.example.org/");
         }},
        {"[serve]\nmax_upload = 4096", "",
         [](const CheckRules& r) {
             EXPECT_EQ(r.intake.maxUploadBytes, 4096u);
             EXPECT_FALSE(r.intake.deadline);
         }},
        {"contest_aliases = \"ZELK-CW\"",
         "line 1: contest_aliases: must be a list of names, such as [\"ZELK-CW\"], not a text"},
        {"contest_aliases = [\"\"]",
         "line 1: contest_aliases: the contest's name must not be empty"},
        {"[serve]\ndeadline = 2024-05-19",
         "line 2: serve.deadline: must be a date and time, UTC, as 2024-05-12T06:00:00Z or "
         "\"2024-05-12T06:00\", not a date without a time"},
        {"[serve]\ncontact = \"contest at example.org\"",
         "line 2: serve.contact: \"contest at example.org\" is no e-mail address such as "
         "contest@example.org"},
        {"[serve]\nrules_link = \"javascript:alert(1)\"",
         "line 2: serve.rules_link: \"javascript:alert(1)\" is no web address such as "
         "https://example.org/rules"},
        {"[serve]\nrules_link = \"https://example.org/\\\"x\"",
         "line 2: serve.rules_link: \"https://example.org/\"x\" is no web address such as "
         "https://example.org/rules"},
        {"[serve]\nmax_upload = \"5GiB\"", "line 2: serve.max_upload: " + size + "\"5GiB\""},
        {"[serve]\nmax_upload = 512", "line 2: serve.max_upload: " + size + "512 bytes"},
        {"[serve]\nuploads_at_once = 0",
         "line 2: serve.uploads_at_once: must be a whole number from 1 to 10000, not 0"},
        {"[serve]\nthreads = 4",
         "line 2: serve.threads: no such key of [serve]; the keys are deadline, contact, "
         "rules_link, public_url, max_upload, uploads_at_once and uploads_per_hour"},
        {"[serve]\npublic_url = \"logs.example.org\"",
         "line 2: serve.public_url: \"logs.example.org\" is no web address such as "
         "https://logs.example.org/"},
        {"serve = 1", "line 1: serve: must be a table, [serve], not a whole number"},
    };
    const fs::path file = fs::path("rules") / "contest.toml";
    for (const RulesCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto read = ReadRulesText(c.text, file);
        if (c.fault.empty()) {
            ASSERT_TRUE(std::holds_alternative<CheckRules>(read)) << std::get<std::string>(read);
            c.check(std::get<CheckRules>(read));
        } else {
            ASSERT_TRUE(std::holds_alternative<std::string>(read));
            EXPECT_EQ(std::get<std::string>(read), file.string() + " " + c.fault);
        }
    }

    // Not TOML: toml++'s own words, at the line and column.
    const auto broken = ReadRulesText("contest = \"ZELK\"\ntime_window = ", file);
    ASSERT_TRUE(std::holds_alternative<std::string>(broken));
    EXPECT_EQ(
        std::get<std::string>(broken).rfind(file.string() + " line 2, column 15: not TOML: ", 0),
        0u)
        << std::get<std::string>(broken);

    const auto missing = ReadRulesFile(fs::path("no-such-folder") / "contest.toml");
    ASSERT_TRUE(std::holds_alternative<std::string>(missing));
    EXPECT_EQ(std::get<std::string>(missing).rfind(
                  (fs::path("no-such-folder") / "contest.toml").string() + ": cannot be read: ", 0),
              0u)
        << std::get<std::string>(missing);
}

}  // namespace
