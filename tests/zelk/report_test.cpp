// Reading the plug-in's result report back into rows and totals, and the
// JSON and summary line built from them.
#include "host/result_report.h"

#include <gtest/gtest.h>

#include "commands/score_output.h"

namespace zelk::host {
namespace {

using commands::JsonString;
using commands::ScoreOutcome;
using commands::SummaryLine;
using commands::TextOutput;
using commands::ToJson;

constexpr std::string_view kTitle =
    "\t\tZELK  Contest 12.05.2024\r\n\t\t  Contestant: R9TST \r\n"
    "\tQSOs\tPoints  Lat    Long    ZELK    Polar\r\n";

ContestReport Parse(const std::string& text) {
    auto parsed = ParseReport(text);
    if (auto* problem = std::get_if<std::string>(&parsed)) {
        ADD_FAILURE() << *problem;
        return {};
    }
    return std::get<ContestReport>(parsed);
}

TEST(ParseReport, ReadsTitleRowsTotalsAndScore) {
    const ContestReport report = Parse(std::string(kTitle) +
                                       "14\t 2\t 100\t25\t17\t300\t100\r\n"
                                       "7\t 1\t 50\t5\t10\t0\t0\r\n"
                                       "Total\t 3\t 150\t30\t27\t300\t100\r\n"
                                       "\r\nScore: 150+30+27+300+100 = 607\r\n");
    EXPECT_EQ(report.date, "12.05.2024");
    EXPECT_EQ(report.contestant, "R9TST");
    ASSERT_EQ(report.rows.size(), 2u);
    const ReportRow& first = report.rows[0];
    EXPECT_EQ(first.group, "14");
    EXPECT_EQ(
        std::vector<int>({first.qsos, first.points, first.lat, first.lon, first.zelk, first.polar}),
        std::vector<int>({2, 100, 25, 17, 300, 100}));
    EXPECT_EQ(report.rows[1].group, "7");
    EXPECT_EQ(report.rows[1].lon, 10);
    EXPECT_EQ(report.totals.qsos, 3);
    EXPECT_EQ(report.totals.lon, 27);
    EXPECT_EQ(report.claimedScore, 607);
}

TEST(ParseReport, ReadsGroupTextsFromTheRightWhateverTheyHold) {
    const ContestReport report = Parse(std::string(kTitle) +
                                       "\t 1\t 50\t5\t7\t0\t0\r\n"
                                       "Total\t 1\t 50\t-3\t7\t0\t0\r\n"
                                       "a\tb\t 1\t 50\t5\t7\t0\t0\r\n"
                                       "Total\t 4\t 150\t7\t21\t0\t0\r\n"
                                       "\r\nScore: 150+7+21+0+0 = 178\r\n");
    ASSERT_EQ(report.rows.size(), 3u);
    EXPECT_EQ(report.rows[0].group, "");
    EXPECT_EQ(report.rows[1].group, "Total");  // a group may be called that
    EXPECT_EQ(report.rows[1].lat, -3);
    EXPECT_EQ(report.rows[2].group, "a\tb");
    EXPECT_EQ(report.totals.qsos, 4);
    EXPECT_EQ(report.claimedScore, 178);
}

TEST(ParseReport, ReadsTheReportOfAnEmptyLog) {
    const ContestReport report =
        Parse(std::string(kTitle) + "Total\t 0\t 0\t0\t0\t0\t0\r\n\r\nScore: 0+0+0+0+0 = 0\r\n");
    EXPECT_TRUE(report.rows.empty());
    EXPECT_EQ(report.totals.qsos, 0);
    EXPECT_EQ(report.claimedScore, 0);
}

TEST(ParseReport, RefusesTextThatIsNotAReport) {
    const std::string total = "Total\t 1\t 50\t5\t7\t0\t0\r\n";
    const std::string score = "\r\nScore: 50+5+7+0+0 = 62\r\n";
    const std::string row = "14\t 1\t 50\t5\t7\t0\t0\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no title", "x\r\n" + std::string(kTitle.substr(kTitle.find('\n') + 1)) + total + score},
        {"no score line", std::string(kTitle) + row + total + "\r\n"},
        {"no total line", std::string(kTitle) + row + score},
        {"row missing a column", std::string(kTitle) + "14\t 1\t 50\t5\t7\t0\r\n" + total + score},
        {"row with text for a number",
         std::string(kTitle) + "14\t 1\t 50\t5\tx\t0\t0\r\n" + total + score},
        {"LF line ends", "\t\tZELK  Contest 12.05.2024\n\t\t  Contestant: R9TST \n"},
    };
    for (const auto& [what, text] : cases) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseReport(text))) << what;
    }
}

TEST(ReportForPrinting, UsesPlainLineFeeds) {
    EXPECT_EQ(ReportForPrinting("a\tb\r\n\r\nc\rd\r\n"), "a\tb\n\nc\rd\n");
}

TEST(JsonString, EscapesAndKeepsAnyBytesValid) {
    EXPECT_EQ(JsonString("R9TST"), "\"R9TST\"");
    EXPECT_EQ(JsonString("a\"b\\c\td\n"), "\"a\\\"b\\\\c\\u0009d\\u000a\"");
    EXPECT_EQ(JsonString("Кот"), "\"Кот\"");             // UTF-8 stays as it is
    EXPECT_EQ(JsonString("caf\xE9"), "\"caf\\u00e9\"");  // Latin-1 é
}

TEST(SummaryLine, CountsContactsAndNamesTheFilesWritten) {
    ScoreOutcome outcome;
    outcome.counts = {7, 5, 2, 1};
    outcome.errorFile = "/c/err.txt";
    EXPECT_EQ(SummaryLine(outcome),
              "7 contacts read: 5 admitted, 2 refused (see /c/err.txt), 1 duplicate");
    outcome.counts = {2, 1, 0, 0, 1};
    outcome.cabrilloFile = "/c/R9TST.cbr";
    EXPECT_EQ(SummaryLine(outcome),
              "2 contacts read: 1 admitted, 0 refused (see /c/err.txt), 0 duplicates, 1 skipped; "
              "Cabrillo file /c/R9TST.cbr written");
}

TEST(TextOutput, EndsTheReportsLastLineBeforeTheSummary) {
    ScoreOutcome outcome;
    outcome.counts = {1, 1, 0, 0};
    outcome.errorFile = "e";
    const std::string summary = "1 contact read: 1 admitted, 0 refused (see e), 0 duplicates\n";
    EXPECT_EQ(TextOutput("Score: 5\n", outcome), "Score: 5\n" + summary);
    EXPECT_EQ(TextOutput("Score: 5", outcome), "Score: 5\n" + summary);
    EXPECT_EQ(TextOutput("", outcome), summary);
}

TEST(ToJson, CarriesRowsTotalsScoreCountsAndFiles) {
    ScoreOutcome outcome;
    outcome.report.date = "12.05.2024";
    outcome.report.contestant = "R9TST";
    outcome.report.rows.push_back({"14", 1, 50, 5, 7, 0, 0});
    outcome.report.totals = {"Total", 1, 50, 5, 7, 0, 0};
    outcome.report.claimedScore = 62;
    outcome.counts = {2, 1, 1, 0};
    outcome.errorFile = "/c/err.txt";
    const std::string json = ToJson(outcome);
    for (const char* part :
         {"\"rows\": [\n    {\"group\": \"14\", \"qsos\": 1, \"points\": 50, \"lat\": 5, "
          "\"long\": 7, \"zelk\": 0, \"polar\": 0}\n  ]",
          "\"totals\": {\"qsos\": 1,", "\"claimed_score\": 62,",
          "\"contacts\": {\"read\": 2, \"admitted\": 1, \"refused\": 1, \"duplicates\": 0, "
          "\"skipped\": 0}",
          "\"error_file\": \"/c/err.txt\"", "\"cabrillo_file\": null"}) {
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    }
}

}  // namespace
}  // namespace zelk::host
