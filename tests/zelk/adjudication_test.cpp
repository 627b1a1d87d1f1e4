// The contest check against the simulator's truth: every QSO line of every
// simulated contest gets exactly the status the simulator made it to have,
// every file not read and every superseded log is named; and the rules the
// simulator cannot reach (equal distances, a line claimed twice) on small
// contests written here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

#include "adjudication/contest_check.h"
#include "adjudication/near_calls.h"
#include "adjudication/report_text.h"
#include "adjudication/results_files.h"
#include "simulator.h"

namespace zelk::adjudication {
namespace {

ContestCheck Check(const sim::SimulatedContest& contest, const CheckRules& rules) {
    std::vector<LogFile> files;
    for (const sim::SubmittedFile& file : contest.files) {
        files.push_back(ReadLogFile(file.name, file.bytes, file.modifiedTime));
    }
    return CheckContest(std::move(files), rules);
}

sim::SimulationParameters Mid(uint64_t seed) {
    sim::SimulationParameters p;
    p.seed = seed;
    p.stations = 150;
    p.logs = 120;
    p.contactsPerStation = 40;
    p.bandsKHz = {3500, 7000, 14000};
    p.timeWindowMinutes = 10;
    p.minAppearances = 4;
    p.faults = {.bustedCalls = 6,
                .bustedSerials = 5,
                .bustedCoordinates = 4,
                .nils = 7,
                .dupes = 3,
                .oneSidedDupes = 5,
                .uniqueStations = 4,
                .notCabrillo = 3,
                .resubmissions = 2,
                .xQsos = 4,
                .nonCwContacts = 3};
    return p;
}

TEST(ContestCheck, GivesEveryLineOfSimulatedContestsTheStatusOfTheTruth) {
    std::vector<sim::SimulationParameters> contests;
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        sim::SimulationParameters p;
        p.seed = seed;
        contests.push_back(p);
        // The organiser's rules: a period, categories, check logs, single-band
        // entries, clocks off, logs of another contest.
        contests.push_back(sim::WithOrganiserRules(seed + 100));
    }
    // The shapes real logs hold: lines that cannot be read, frequencies in no
    // band, portable calls, near calls, stations without a log copied at
    // other places, newer logs without CONTEST:, a symmetric clock pair,
    // Cabrillo 2.0 headers.
    for (uint64_t seed = 1; seed <= 4; ++seed) {
        sim::SimulationParameters p =
            seed % 2 == 0 ? sim::WithOrganiserRules(seed + 200) : sim::SimulationParameters{};
        p.seed = seed + 200;
        p.faults = sim::WithRealLogShapes(p.faults);
        contests.push_back(p);
    }
    contests.push_back(Mid(41));  // --time-window 10 --min-appearances 4
    sim::SimulationParameters mid = Mid(43);
    mid.faults = sim::WithOrganiserRules(mid.faults);
    mid.nilPenalty = 2;
    contests.push_back(mid);
    mid.seed = 47;
    mid.bandsKHz = {1810, 3500, 7000, 14000, 21000, 28000};
    mid.faults = sim::WithRealLogShapes(mid.faults);
    mid.faults.unreadableReceived = mid.faults.unreadableSent = mid.faults.outOfBand = 4;
    mid.faults.noLogDissents = mid.faults.noLogSplits = mid.faults.symmetricClockPairs = 2;
    mid.faults.cabrillo2Headers = 6;
    contests.push_back(mid);
    for (const sim::SimulationParameters& p : contests) {
        SCOPED_TRACE(sim::CommandLine(p));
        const sim::SimulatedContest contest = sim::Simulate(p);
        CheckRules rules;
        rules.timeWindowMinutes = p.timeWindowMinutes;
        rules.minAppearances = p.minAppearances;
        rules.nilPenalty = p.nilPenalty;
        rules.start = contest.periodStartMinute;
        rules.end = contest.periodEndMinute;
        const ContestCheck check = Check(contest, rules);

        std::map<std::pair<std::string, uint32_t>, std::string> found;
        for (const Entrant& entrant : check.entrants) {
            for (const CheckedLine& line : entrant.log.lines) {
                found[{entrant.log.name, line.lineNumber}] = StatusName(line.status);
            }
        }
        for (const NotRead& file : check.notRead) {
            found[{file.file, 0}] = "not_read";
        }
        for (const Superseded& file : check.superseded) {
            found[{file.file, 0}] = "superseded";
        }
        std::map<std::pair<std::string, uint32_t>, std::string> truth;
        for (const sim::TruthLine& line : contest.truth) {
            truth[{contest.files[line.file].name, line.line}] = sim::StatusName(line.status);
        }
        for (const sim::SubmittedFile& file : contest.files) {
            if (file.status != sim::FileStatus::Read) {
                truth[{file.name, 0}] = sim::StatusName(file.status);
            }
        }
        ASSERT_EQ(found.size(), truth.size());
        for (const auto& [place, status] : truth) {
            EXPECT_EQ(found[place], status) << place.first << " line " << place.second;
        }
        // Every entrant's category, checked score, place in its category and clock.
        ASSERT_EQ(check.entrants.size(), contest.entrants.size());
        for (const sim::EntrantTruth& expected : contest.entrants) {
            const std::string& name = contest.files[expected.file].name;
            const auto entrant =
                std::find_if(check.entrants.begin(), check.entrants.end(),
                             [&name](const Entrant& e) { return e.log.name == name; });
            ASSERT_NE(entrant, check.entrants.end()) << name;
            const LogCategory& category = entrant->log.category;
            EXPECT_EQ(category.Of(CategoryPart::kOperator), expected.categoryOperator) << name;
            EXPECT_EQ(category.Of(CategoryPart::kBand), expected.categoryBand) << name;
            EXPECT_EQ(category.Of(CategoryPart::kPower), expected.categoryPower) << name;
            EXPECT_EQ(category.Of(CategoryPart::kTransmitter), expected.categoryTransmitter)
                << name;
            EXPECT_EQ(entrant->checkedScore, expected.checkedScore) << name;
            EXPECT_EQ(entrant->categoryPlace, expected.categoryPlace) << name;
            EXPECT_EQ(entrant->clockOffsetMinutes, expected.clockOffsetMinutes) << name;
            EXPECT_EQ(entrant->log.unreadable.size(), expected.unreadableLines) << name;
        }
    }
}

// Logs written for one rule each; "Q" makes a QSO line of the log's own call.
std::string Log(const std::string& call, const std::vector<std::string>& lines) {
    std::string log = "START-OF-LOG: 3.0\nCALLSIGN: " + call + "\n";
    for (const std::string& line : lines) {
        log += "QSO: " + line + "\n";
    }
    return log + "END-OF-LOG:\n";
}

std::string Qso(const std::string& time, const std::string& own, const std::string& serialSent,
                const std::string& call, const std::string& received) {
    return "7010 CW 2024-05-12 " + time + " " + own + " " + serialSent + " 55N37O " + call + " " +
           received;
}

TEST(ContestCheck, DecidesWhatTheSimulatorLeavesOpen) {
    struct Case {
        const char* rule;
        std::vector<std::pair<std::string, std::vector<std::string>>> logs;
        std::map<std::pair<std::string, uint32_t>, std::string> expected;  // call, line
    };
    const Case cases[] = {
        {"two busted lines claim one line of D: the nearer in time wins",
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1ABX", "5 55N37O"),
            Qso("1004", "DL1AA", "2", "DL1AC", "5 55N37O")}},
          {"DL1AB", {Qso("1003", "DL1AB", "5", "DL1AA", "2 55N37O")}}},
         {{{"DL1AA", 3}, "unique"},
          {{"DL1AA", 4}, "busted_call"},
          {{"DL1AB", 3}, "partner_busted_call"}}},
        {"equally near: the fewer edits win",
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1ABXY", "5 55N37O"),
            Qso("1004", "DL1AA", "2", "DL1ABX", "5 55N37O")}},
          {"DL1AB", {Qso("1002", "DL1AB", "5", "DL1AA", "2 55N37O")}}},
         {{{"DL1AA", 3}, "unique"},
          {{"DL1AA", 4}, "busted_call"},
          {{"DL1AB", 3}, "partner_busted_call"}}},
        {"a repeat: the line the partner backs counts, even when it is the later one; the "
         "other is the dupe, and the partner's line is no NIL",
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1AB", "7 55N37O"),
            Qso("1200", "DL1AA", "2", "DL1AB", "8 55N37O")}},
          {"DL1AB", {Qso("1201", "DL1AB", "8", "DL1AA", "2 55N37O")}}},
         {{{"DL1AA", 3}, "dupe"}, {{"DL1AA", 4}, "confirmed"}, {{"DL1AB", 3}, "confirmed"}}},
        {"a repeat nobody backs: the first is the NIL, the later the dupe",
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1AB", "7 55N37O"),
            Qso("1200", "DL1AA", "2", "DL1AB", "8 55N37O")}},
          {"DL1AB", {Qso("0800", "DL1AB", "1", "DL1AC", "1 55N37O")}}},
         {{{"DL1AA", 3}, "nil"}, {{"DL1AA", 4}, "dupe"}}},
        {"a call logged exactly as an entrant's is kept right over a stranger with a similar "
         "call: the entrant miscopied ours, and the stranger's line is a NIL",
         {{"UA2TV", {Qso("0600", "UA2TV", "1", "UA2TX", "1 55N37O")}},
          {"UA2TX", {Qso("0603", "UA2TX", "1", "UA2TW", "1 55N37O")}},
          {"UA2TZ", {Qso("0601", "UA2TZ", "1", "UA2TV", "1 55N37O")}}},
         {{{"UA2TV", 3}, "partner_busted_call"},
          {{"UA2TX", 3}, "busted_call"},
          {{"UA2TZ", 3}, "nil"}}},
        {"the hemisphere letters are part of the coordinate, serials compare as numbers, and "
         "a wrong call of an entrant is still a busted call",
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1AB", "7 55S37O"),
            Qso("1100", "DL1AA", "2", "DL1AC", "9 55N37O")}},
          {"DL1AB", {Qso("1001", "DL1AB", "7", "DL1AA", "001 55N37O")}},
          {"DL1AD", {Qso("1100", "DL1AD", "9", "DL1AA", "2 55N37O")}},
          {"DL1AC", {}}},
         {{{"DL1AA", 3}, "busted_exchange"},
          {{"DL1AA", 4}, "busted_call"},
          {{"DL1AB", 3}, "confirmed"},
          {{"DL1AD", 3}, "partner_busted_call"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        std::vector<LogFile> files;
        for (const auto& [call, lines] : c.logs) {
            files.push_back(ReadLogFile(call + ".log", Log(call, lines), 0));
        }
        const ContestCheck check = CheckContest(std::move(files), CheckRules{});
        for (const auto& [place, status] : c.expected) {
            const uint32_t id = check.calls.Find(place.first);
            ASSERT_LT(id, check.entrants.size()) << place.first;
            std::string found = "none";
            for (const CheckedLine& line : check.entrants[id].log.lines) {
                if (line.lineNumber == place.second) {
                    found = StatusName(line.status);
                }
            }
            EXPECT_EQ(found, status) << place.first << " line " << place.second;
        }
    }
}

// The organiser's rules on contests small enough to work by hand: the
// period, a single-band entry, a check log, a clock an hour fast, and the
// adjudicator's decisions.
TEST(ContestCheck, AppliesTheOrganisersRules) {
    const auto at = [](const char* time) {  // 2024-05-12 hhmm as the rules give it
        return int64_t{19855} * 1440 + std::stoi(std::string(time, 2)) * 60 +
               std::stoi(std::string(time + 2, 2));
    };
    struct Case {
        const char* rule;
        std::vector<std::pair<std::string, std::string>> logs;  // call, header lines
        std::vector<std::pair<std::string, std::vector<std::string>>> lines;
        CheckRules rules;
        std::map<std::pair<std::string, uint32_t>, std::string> expected;  // call, line
        std::function<void(const ContestCheck&)> more;
    };
    CheckRules period;
    period.start = at("0600");
    period.end = at("1300");
    CheckRules decisions;
    decisions.decisions = {{"dl1ab", 3, Decision::Verdict::kDeny, "worked twice", "o.csv line 2"},
                           {"DL1AB", 4, Decision::Verdict::kCredit, "", "o.csv line 3"},
                           {"DL1AB", 9, Decision::Verdict::kCredit, "", "o.csv line 4"},
                           {"DL1XX", 3, Decision::Verdict::kCredit, "", "o.csv line 5"}};
    std::vector<std::string> fast;  // DL1AA's clock an hour fast, with five partners
    std::vector<std::pair<std::string, std::vector<std::string>>> partners;
    for (int i = 0; i < 5; ++i) {
        const std::string call = "DL" + std::to_string(2 + i) + "ZZ";
        const std::string minute = std::to_string(10 + i);
        fast.push_back(Qso("11" + minute, "DL1AA", std::to_string(i + 1), call, "1 55N37O"));
        partners.push_back(
            {call, {Qso("10" + minute, call, "1", "DL1AA", std::to_string(i + 1) + " 55N37O")}});
    }
    partners.push_back({"DL1AA", fast});
    CheckRules categories;  // the rules file's lists: their order, their bands
    categories.categories.values[1] = {"ALL", "2M"};
    categories.categories.values[2] = {"QRP", "LOW"};
    CheckRules creditedNil;  // a NIL the adjudicator credits costs no penalty
    creditedNil.nilPenalty = 2;
    creditedNil.decisions = {{"DL1AA", 3, Decision::Verdict::kCredit, "paper log", "o.csv line 2"}};
    const Case cases[] = {
        {"a line outside the period is out of period and still confirms its partner",
         {},
         {{"DL1AA", {Qso("0559", "DL1AA", "1", "DL1AB", "1 55N37O")}},
          {"DL1AB", {Qso("0601", "DL1AB", "1", "DL1AA", "1 55N37O")}}},
         period,
         {{{"DL1AA", 3}, "out_of_period"}, {{"DL1AB", 3}, "confirmed"}},
         {}},
        {"a single-band entry's line on another band is other_band and confirms its partner; "
         "a check log confirms and is not ranked",
         {{"DL1AA", "CATEGORY-BAND: 20m\n"}, {"DL1AC", "category-operator: checklog\n"}},
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1AB", "1 55N37O"),
            Qso("1005", "DL1AA", "2", "DL1AC", "1 55N37O")}},
          {"DL1AB", {Qso("1000", "DL1AB", "1", "DL1AA", "1 55N37O")}},
          {"DL1AC", {Qso("1005", "DL1AC", "1", "DL1AA", "2 55N37O")}}},
         {},
         {{{"DL1AA", 4}, "other_band"},
          {{"DL1AA", 5}, "other_band"},
          {{"DL1AB", 3}, "confirmed"},
          {{"DL1AC", 4}, "confirmed"}},
         [](const ContestCheck& check) {
             const Entrant& checkLog = check.entrants[check.calls.Find("DL1AC")];
             EXPECT_EQ(checkLog.place, 0u);
             EXPECT_EQ(checkLog.categoryPlace, 0u);
             EXPECT_EQ(check.checkLogs.size(), 1u);
             EXPECT_EQ(check.ranking.size(), 2u);
             ASSERT_EQ(check.categories.size(), 2u);  // SINGLE-OP ALL HIGH, SINGLE-OP 20M HIGH
             EXPECT_EQ(check.categories[0].name, "SINGLE-OP ALL HIGH");
             EXPECT_EQ(check.categories[1].name, "SINGLE-OP 20M HIGH");
         }},
        {"the rules file's categories rank in their order, unknown values after them, and a "
         "band they list makes a single-band entry",
         {{"DL1AA", "CATEGORY-BAND: 2M\nCATEGORY-POWER: LOW\n"},
          {"DL1AB", "CATEGORY-POWER: HIGH\n"},
          {"DL1AC", "CATEGORY-POWER: QRP\n"}},
         {{"DL1AA", {Qso("1000", "DL1AA", "1", "DL1AB", "1 55N37O")}},
          {"DL1AB", {Qso("1000", "DL1AB", "1", "DL1AA", "1 55N37O")}},
          {"DL1AC", {}}},
         categories,
         {{{"DL1AA", 5}, "other_band"}, {{"DL1AB", 4}, "confirmed"}},
         [](const ContestCheck& check) {
             std::vector<std::string> names;
             for (const CategoryRanking& category : check.categories) {
                 names.push_back(category.name);
             }
             EXPECT_EQ(names, (std::vector<std::string>{"SINGLE-OP ALL QRP", "SINGLE-OP ALL HIGH",
                                                        "SINGLE-OP 2M LOW"}));
             const auto& notes = check.entrants[check.calls.Find("DL1AB")].log.headerNotes;
             ASSERT_GE(notes.size(), 2u);
             EXPECT_EQ(notes[1],
                       "CATEGORY-POWER: HIGH is not a value of this contest; ranked under it as "
                       "written");
             EXPECT_EQ(check.entrants[check.calls.Find("DL1AA")].log.headerNotes[0],
                       "no CATEGORY-OPERATOR:, CATEGORY-TRANSMITTER: lines; taken as SINGLE-OP "
                       "ONE");
         }},
        {"a NIL costs the penalty unless the adjudicator credits it",
         {},
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1AB", "1 55N37O"),
            Qso("1100", "DL1AA", "2", "DL1AD", "2 55N37O")}},
          {"DL1AB", {Qso("0700", "DL1AB", "1", "DL1AC", "1 55N37O")}},
          {"DL1AD", {Qso("0700", "DL1AD", "1", "DL1AC", "1 55N37O")}}},
         creditedNil,
         {{{"DL1AA", 3}, "nil"}, {{"DL1AA", 4}, "nil"}},
         [](const ContestCheck& check) {
             const Entrant& aa = check.entrants[check.calls.Find("DL1AA")];
             EXPECT_EQ(aa.nils, 1u);
             EXPECT_EQ(aa.checkedScore,
                       std::max<int64_t>(0, aa.checked.claimedScore - 2 * kPointsPerContact));
             EXPECT_EQ(check.entrants[check.calls.Find("DL1AB")].causedNils, 1u);
         }},
        {"a clock an hour fast is corrected by what five partners show, and its lines confirm",
         {},
         partners,
         {},
         {{{"DL1AA", 3}, "confirmed"}, {{"DL1AA", 7}, "confirmed"}, {{"DL2ZZ", 3}, "confirmed"}},
         [](const ContestCheck& check) {
             for (const Entrant& entrant : check.entrants) {
                 EXPECT_EQ(entrant.clockOffsetMinutes, entrant.log.call == "DL1AA" ? 60 : 0)
                     << entrant.log.call;
             }
         }},
        {"decisions apply after the check; one naming no line is kept aside",
         {},
         {{"DL1AA", {Qso("1000", "DL1AA", "1", "DL1AB", "1 55N37O")}},
          {"DL1AB",
           {Qso("1000", "DL1AB", "1", "DL1AA", "1 55N37O"),
            Qso("1010", "DL1AB", "2", "DL1AD", "1 55N37O")}}},
         decisions,
         {{{"DL1AB", 3}, "confirmed"}, {{"DL1AB", 4}, "unique"}},
         [](const ContestCheck& check) {
             const Entrant& ab = check.entrants[check.calls.Find("DL1AB")];
             EXPECT_EQ(ab.overridden, 2u);
             EXPECT_EQ(ab.QsosCredited(), 1u);  // line 3 denied, line 4 credited
             ASSERT_EQ(check.staleDecisions.size(), 2u);
             EXPECT_EQ(check.staleDecisions[0].why, "DL1AB.log has no QSO line 9");
             EXPECT_EQ(check.staleDecisions[1].why, "no log of DL1XX was checked");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        std::vector<LogFile> files;
        for (const auto& [call, lines] : c.lines) {
            std::string text = Log(call, lines);
            for (const auto& [who, header] : c.logs) {
                if (who == call) {
                    text.insert(text.find('\n') + 1, header);
                }
            }
            files.push_back(ReadLogFile(call + ".log", text, 0));
        }
        const ContestCheck check = CheckContest(std::move(files), c.rules);
        for (const auto& [place, status] : c.expected) {
            const uint32_t id = check.calls.Find(place.first);
            ASSERT_LT(id, check.entrants.size()) << place.first;
            std::string found = "none";
            for (const CheckedLine& line : check.entrants[id].log.lines) {
                if (line.lineNumber == place.second) {
                    found = StatusName(line.status);
                }
            }
            EXPECT_EQ(found, status) << place.first << " line " << place.second;
        }
        if (c.more) {
            c.more(check);
        }
    }
}

// The shapes real logs hold, each a contest small enough to work by hand:
// the partner never pays for our typo, a miscopy never scores, one score
// for one log.
TEST(ContestCheck, IsFairOnWhatRealLogsHold) {
    struct File {
        std::string name;
        std::string text;
        int64_t modified = 0;
    };
    // A log of whole QSO lines (after "QSO: "), with header lines.
    const auto log = [](const std::string& call, const std::vector<std::string>& lines,
                        const std::string& header = "") {
        return File{
            call + ".log", "START-OF-LOG: 3.0\nCALLSIGN: " + call + "\n" + header + [&lines] {
                std::string text;
                for (const std::string& line : lines) {
                    text += "QSO: " + line + "\n";
                }
                return text;
            }() + "END-OF-LOG:\n"};
    };
    // 20 m at hhmm on 2024-05-12: own call, sent, worked call, received.
    const auto q = [](const std::string& time, const std::string& own, const std::string& sent,
                      const std::string& call, const std::string& received) {
        return "14010 CW 2024-05-12 " + time + " " + own + " " + sent + " " + call + " " + received;
    };
    const auto at = [](const char* time) {  // 2024-05-12 hhmm as the rules give it
        return int64_t{19855} * 1440 + std::stoi(std::string(time, 2)) * 60 +
               std::stoi(std::string(time + 2, 2));
    };
    struct Case {
        const char* rule;
        std::vector<File> files;
        CheckRules rules;
        std::map<std::pair<std::string, uint32_t>, std::string> expected;  // call, line
        std::function<void(const ContestCheck&)> more;
    };
    // Two logs that worked only each other six times: `fastCall`'s clock an
    // hour fast, its lines after the period's end.
    const auto clockPair = [&](const std::string& rightCall, const std::string& fastCall) {
        std::vector<std::string> right;
        std::vector<std::string> fast;
        const char* bands[] = {"1810", "3510", "7010", "14010", "21010", "28010"};
        for (int i = 0; i < 6; ++i) {
            const std::string n = std::to_string(i + 1);
            const std::string minute = std::to_string(10 + i);
            const auto on = [&](std::string line) { return bands[i] + line.substr(5); };
            right.push_back(
                on(q("11" + minute, rightCall, n + " 55N37O", fastCall, n + " 60N30O")));
            fast.push_back(on(q("12" + minute, fastCall, n + " 60N30O", rightCall, n + " 55N37O")));
        }
        return std::vector<File>{log(rightCall, right), log(fastCall, fast)};
    };
    CheckRules period;
    period.start = at("0600");
    period.end = at("1200");
    const auto fastCorrected = [](std::string fastCall) {
        return [fastCall](const ContestCheck& check) {
            for (const Entrant& entrant : check.entrants) {
                EXPECT_EQ(entrant.clockOffsetMinutes, entrant.log.call == fastCall ? 60 : 0)
                    << entrant.log.call;
            }
            EXPECT_TRUE(check.clockTies.empty());
        };
    };
    const Case cases[] = {
        {"our unreadable line still confirms the partner's good line; where our sent exchange "
         "cannot be read, the partner's copy of it is not judged",
         {log("AA1AA", {q("0700", "AA1AA", "1 55N37O", "BB2BB", "1 5037O"),
                        q("0710", "AA1AA", "2 5537O", "CC3CC", "1 50N37O"),
                        q("0720", "AA1AA", "3 55N37O", "DD4DD", "1 50X30O")}),
          log("BB2BB", {q("0700", "BB2BB", "1 50N37O", "AA1AA", "1 55N37O")}),
          log("CC3CC", {q("0711", "CC3CC", "1 50N37O", "AA1AA", "9 53N37O")}),
          log("DD4DD", {q("0720", "DD4DD", "1 50N30O", "AA1AA", "3 54N37O")})},
         {},
         {{{"AA1AA", 3}, "unreadable"},
          {{"AA1AA", 4}, "unreadable"},
          {{"AA1AA", 5}, "unreadable"},
          {{"BB2BB", 3}, "confirmed"},
          {{"CC3CC", 3}, "confirmed"},
          {{"DD4DD", 3}, "busted_exchange"}},
         [](const ContestCheck& check) {
             const Entrant& aa = check.entrants[check.calls.Find("AA1AA")];
             EXPECT_EQ(aa.QsosClaimed(), 0u);
             EXPECT_EQ(aa.log.unreadable.size(), 3u);
             EXPECT_EQ(check.entrants[check.calls.Find("BB2BB")].nils, 0u);
         }},
        {"a frequency in no band: the line is not credited, its partner is found without the "
         "band and confirmed",
         {log("AA1AA", {"1401 CW 2024-05-12 0700 AA1AA 1 55N37O BB2BB 1 50N37O"}),
          log("BB2BB", {q("0702", "BB2BB", "1 50N37O", "AA1AA", "1 55N37O")})},
         {},
         {{{"AA1AA", 3}, "out_of_band"}, {{"BB2BB", 3}, "confirmed"}},
         {}},
        {"the call sent is the call to match: DL1ABC/P copied as sent is confirmed, the bare "
         "call is a miscopy",
         {log("DL1ABC", {q("0700", "DL1ABC/P", "1 55N37O", "PA1AA", "1 52N5O"),
                         q("0710", "DL1ABC/P", "2 55N37O", "PA2BB", "1 52N4O")}),
          log("PA1AA", {q("0700", "PA1AA", "1 52N5O", "DL1ABC/P", "1 55N37O")}),
          log("PA2BB", {q("0710", "PA2BB", "1 52N4O", "DL1ABC", "2 55N37O")})},
         {},
         {{{"DL1ABC", 3}, "confirmed"},
          {{"DL1ABC", 4}, "partner_busted_call"},
          {{"PA1AA", 3}, "confirmed"},
          {{"PA2BB", 3}, "busted_call"}},
         [](const ContestCheck& check) {
             const auto& notes = check.entrants[check.calls.Find("DL1ABC")].log.headerNotes;
             EXPECT_NE(std::find(notes.begin(), notes.end(),
                                 "CALLSIGN: DL1ABC differs from the own call of 2 of its 2 QSO "
                                 "lines"),
                       notes.end());
             EXPECT_TRUE(check.missingLogs.empty());
         }},
        {"the other side of a busted call is judged on its copy of the exchange",
         {log("AA1AA", {q("0700", "AA1AA", "1 55N37O", "DD4DX", "5 50N30O")}),
          log("DD4DD", {q("0701", "DD4DD", "5 50N30O", "AA1AA", "7 74N170O")})},
         {},
         {{{"AA1AA", 3}, "busted_call"}, {{"DD4DD", 3}, "busted_exchange"}},
         {}},
        {"a no-log station: the logs that agree on its coordinate bust the one that differs; "
         "a split is credited as logged",
         {log("AA1AA", {q("0700", "AA1AA", "1 55N37O", "XX9XXX", "1 50N37O"),
                        q("0800", "AA1AA", "2 55N37O", "YY9YYY", "1 40N20O")}),
          log("BB2BB", {q("0701", "BB2BB", "1 55N30O", "XX9XXX", "2 50N37O"),
                        q("0801", "BB2BB", "2 55N30O", "YY9YYY", "2 40N20O")}),
          log("CC3CC", {q("0702", "CC3CC", "1 45N30O", "XX9XXX", "3 50N37O"),
                        q("0802", "CC3CC", "2 45N30O", "YY9YYY", "3 41N20O")}),
          log("DD4DD", {q("0703", "DD4DD", "1 45N20O", "XX9XXX", "4 74N170O"),
                        q("0803", "DD4DD", "2 45N20O", "YY9YYY", "4 41N20O")})},
         {},
         {{{"AA1AA", 3}, "no_log_credited"},
          {{"CC3CC", 3}, "no_log_credited"},
          {{"DD4DD", 3}, "busted_exchange"},
          {{"AA1AA", 4}, "no_log_credited"},
          {{"DD4DD", 4}, "no_log_credited"}},
         {}},
        {"a near-call claim does not win over a station the other logs confirm",
         {log("AA1AA", {q("0700", "AA1AA", "1 55N37O", "DL1ABD", "7 60N30O")}),
          log("BB2BB", {q("0650", "BB2BB", "1 55N30O", "DL1ABD", "3 60N30O")}),
          log("CC3CC", {q("0710", "CC3CC", "1 45N30O", "DL1ABD", "9 60N30O")}),
          log("DL1ABC", {q("0702", "DL1ABC", "4 51N10O", "AA1AA", "8 55N37O")})},
         {},
         {{{"AA1AA", 3}, "no_log_credited"}, {{"DL1ABC", 3}, "nil"}},
         {}},
        {"of two logs of a call, the newer is used though only the older names the contest; a "
         "log of another contest is not used beside them",
         {File{"ab_old.log", "START-OF-LOG: 3.0\nCONTEST: ZELK\nCALLSIGN: AA1AA\nEND-OF-LOG:\n",
               100},
          File{"ab_new.log",
               log("AA1AA", {q("0700", "AA1AA", "1 55N37O", "BB2BB", "1 50N37O")}).text, 200},
          File{"ab_cqww.log",
               "START-OF-LOG: 3.0\nCONTEST: CQ-WW-CW\nCALLSIGN: AA1AA\nEND-OF-LOG:\n", 300},
          log("BB2BB", {q("0700", "BB2BB", "1 50N37O", "AA1AA", "1 55N37O")})},
         {},
         {{{"BB2BB", 3}, "confirmed"}},
         [](const ContestCheck& check) {
             EXPECT_EQ(check.entrants[check.calls.Find("AA1AA")].log.name, "ab_new.log");
             ASSERT_EQ(check.superseded.size(), 2u);
             EXPECT_EQ(SupersededReason(check.superseded[1], check.rules), "an older log of AA1AA");
             EXPECT_EQ(check.superseded[0].file, "ab_cqww.log");
             EXPECT_EQ(check.superseded[0].why, SupersededWhy::kOtherContest);
         }},
        {"two logs that worked only each other: the period tells which clock was off",
         clockPair("AA1AA", "ZZ9ZZ"),
         period,
         {{{"AA1AA", 3}, "confirmed"}, {{"ZZ9ZZ", 8}, "confirmed"}},
         fastCorrected("ZZ9ZZ")},
        {"the same with the fast log first in order",
         clockPair("ZZ9ZZ", "AA1AA"),
         period,
         {{{"AA1AA", 3}, "confirmed"}, {{"ZZ9ZZ", 8}, "confirmed"}},
         fastCorrected("AA1AA")},
        {"without a period neither clock is corrected, and the results say so",
         clockPair("AA1AA", "ZZ9ZZ"),
         {},
         {{{"AA1AA", 3}, "nil"}, {{"ZZ9ZZ", 3}, "nil"}},
         [](const ContestCheck& check) {
             ASSERT_EQ(check.clockTies.size(), 1u);
             EXPECT_EQ(std::llabs(check.clockTies[0].minutes), 60);
             for (const Entrant& entrant : check.entrants) {
                 EXPECT_EQ(entrant.clockOffsetMinutes, 0);
             }
         }},
        {"Cabrillo 2.0's CATEGORY: line: a check log, a single-band QRP entry; an unreadable "
         "X-QSO: line is unreadable; an empty CLAIMED-SCORE: is said so",
         {log("AA1AA",
              {q("0700", "AA1AA", "1 55N37O", "BB2BB", "1 50N37O"),
               "3510 CW 2024-05-12 0800 AA1AA 2 55N37O CC3CC 1 45N30O"},
              "CATEGORY: SINGLE-OP 80M QRP CW\nCLAIMED-SCORE:\n"),
          log("BB2BB", {q("0700", "BB2BB", "1 50N37O", "AA1AA", "1 55N37O")},
              "CATEGORY: CHECKLOG\n"),
          File{"CC3CC.log",
               "START-OF-LOG: 3.0\nCALLSIGN: CC3CC\nQSO: 3510 CW 2024-05-12 0800 CC3CC 1 45N30O "
               "AA1AA 2 55N37O\nX-QSO: 3510 CW 2024-05-12 0900 CC3CC 2 45N30O DD4DD 1 5X\n"
               "END-OF-LOG:\n"}},
         {},
         {{{"AA1AA", 5}, "other_band"},
          {{"AA1AA", 6}, "confirmed"},
          {{"BB2BB", 4}, "confirmed"},
          {{"CC3CC", 4}, "unreadable"}},
         [](const ContestCheck& check) {
             const Entrant& aa = check.entrants[check.calls.Find("AA1AA")];
             EXPECT_EQ(aa.log.category.RankedName(), "SINGLE-OP 80M QRP");
             EXPECT_EQ(aa.log.headerNotes[0],
                       "the category is read from the Cabrillo 2.0 line CATEGORY: SINGLE-OP 80M "
                       "QRP CW; it names no transmitter, taken as ONE");
             EXPECT_NE(std::find(aa.log.headerNotes.begin(), aa.log.headerNotes.end(),
                                 "CLAIMED-SCORE: is empty"),
                       aa.log.headerNotes.end());
             EXPECT_EQ(check.checkLogs.size(), 1u);
             const Entrant& cc = check.entrants[check.calls.Find("CC3CC")];
             EXPECT_EQ(cc.Count(LineStatus::kXQso), 0u);
             EXPECT_EQ(cc.QsosClaimed(), 1u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        std::vector<LogFile> files;
        for (const File& file : c.files) {
            files.push_back(ReadLogFile(file.name, file.text, file.modified));
        }
        std::sort(files.begin(), files.end(),
                  [](const LogFile& a, const LogFile& b) { return a.name < b.name; });
        const ContestCheck check = CheckContest(std::move(files), c.rules);
        for (const auto& [place, status] : c.expected) {
            const uint32_t id = check.calls.Find(place.first);
            ASSERT_LT(id, check.entrants.size()) << place.first;
            std::string found = "none";
            for (const CheckedLine& line : check.entrants[id].log.lines) {
                if (line.lineNumber == place.second) {
                    found = StatusName(line.status);
                }
            }
            EXPECT_EQ(found, status) << place.first << " line " << place.second;
        }
        if (c.more) {
            c.more(check);
        }
    }
}

TEST(NearCalls, FindsExactlyTheEntrantsAScanFinds) {
    // Calls alike in many ways: repeated letters, shared stems, lengths
    // apart by one and two, and calls too long for the index at distance 4.
    std::vector<std::string> calls;
    const char* stems[] = {"DL1AA",  "DL1AB",           "DL1ABC", "DL11A", "AA1AA", "A1A",
                           "DL1AAA", "SP5QQ",           "SP5Q",   "S5PQQ", "ZELK",  "ZELKK",
                           "LZ1A",   "LZ1AZZZZZZZZZZZZ"};
    for (const char* stem : stems) {
        calls.emplace_back(stem);
    }
    std::vector<std::string_view> views(calls.begin(), calls.end());
    const char* asked[] = {"DL1AA",    "DL1A", "D1AA", "DL1AAB",          "AA1A",
                           "SPQQ",     "ZELK", "Z",    "LZ1AZZZZZZZZZZZ", "QQQQQ",
                           "DL1ABCDE", ""};
    for (int distance = 1; distance <= 4; ++distance) {
        const NearCalls near(views, distance);
        for (const char* call : asked) {
            std::vector<std::pair<uint32_t, int>> scanned;
            for (uint32_t e = 0; e < calls.size(); ++e) {
                const int edits = EditDistance(call, calls[e], distance);
                if (edits >= 1 && edits <= distance) {
                    scanned.emplace_back(e, edits);
                }
            }
            std::vector<std::pair<uint32_t, int>> found;
            for (const NearEntrant& n : near.Of(call)) {
                found.emplace_back(n.entrant, n.edits);
            }
            EXPECT_EQ(found, scanned) << call << " at distance " << distance;
        }
    }
}

// The check reports, for small contests: each sentence must follow from
// what the logs hold.
TEST(UbnReport, SaysWhatTheLogsShow) {
    struct Case {
        const char* rule;
        std::vector<std::pair<std::string, std::string>> logs;  // call, whole file
        std::string entrant;
        std::vector<std::string> said;
        std::vector<std::string> notSaid;
    };
    const std::string header = "START-OF-LOG: 3.0\nCALLSIGN: ";
    const Case cases[] = {
        {"the later line of a repeat counts when the partner backs it",
         {{"DL1AA", Log("DL1AA", {Qso("1000", "DL1AA", "1", "DL1AB", "7 55N37O"),
                                  Qso("1200", "DL1AA", "2", "DL1AB", "8 55N37O")})},
          {"DL1AB", Log("DL1AB", {Qso("1201", "DL1AB", "8", "DL1AA", "2 55N37O")})}},
         "DL1AA",
         {"you logged DL1AB on the 40m band again, in line 4, and DL1AB's log confirms that QSO",
          "(the one that counts)"},
         {"the first QSO counts", "holds no QSO with you"}},
        {"a log whose QSO lines cannot be read is not said to be all confirmed",
         {{"DL1AA", header + "DL1AA\nQSO: 7010 CW 2024-05-12 1000 DL1AA 1 55N37O\nEND-OF-LOG:\n"}},
         "DL1AA",
         {"The log holds no QSO line that could be read."},
         {"Every QSO line is confirmed."}},
        {"a NIL says where the partner's line near that time could not be read",
         {{"DL1AA", Log("DL1AA", {Qso("1000", "DL1AA", "1", "DL1AB", "7 55N37O")})},
          {"DL1AB", header + "DL1AB\nQSO: 7010 CW 2024-05-12 1001 DL1AB 7 55N37O\nEND-OF-LOG:\n"}},
         "DL1AA",
         {"holds no QSO with you on the 40m band within 5 minutes that could be read: its line "
          "3 near that time could not be read"},
         {}},
        {"a log of another contest is named as such",
         {{"DL1AA", "START-OF-LOG: 3.0\nCONTEST: CQ-WW-CW\nCALLSIGN: DL1AA\nEND-OF-LOG:\n"}},
         "DL1AA",
         {"CQ-WW-CW, not ZELK: checked as ZELK's log", "The log holds no QSO line."},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        std::vector<LogFile> files;
        for (const auto& [call, text] : c.logs) {
            files.push_back(ReadLogFile(call + ".log", text, 0));
        }
        const ContestCheck check = CheckContest(std::move(files), CheckRules{});
        const uint32_t id = check.calls.Find(c.entrant);
        ASSERT_LT(id, check.entrants.size());
        // Sentences are wrapped at 78 columns: compare with one blank between words.
        std::string report;
        for (const char ch : UbnReport(check, check.entrants[id])) {
            const bool blank = ch == ' ' || ch == '\n';
            if (!blank || (!report.empty() && report.back() != ' ')) {
                report += blank ? ' ' : ch;
            }
        }
        for (const std::string& text : c.said) {
            EXPECT_NE(report.find(text), std::string::npos) << text << "\n" << report;
        }
        for (const std::string& text : c.notSaid) {
            EXPECT_EQ(report.find(text), std::string::npos) << text << "\n" << report;
        }
    }
}

}  // namespace
}  // namespace zelk::adjudication
