// The contest check against the simulator's truth: every QSO line of every
// simulated contest gets exactly the status the simulator made it to have,
// every file not read and every superseded log is named; and the rules the
// simulator cannot reach (equal distances, a line claimed twice) on small
// contests written here.
#include <gtest/gtest.h>

#include <map>

#include "adjudication/contest_check.h"
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
    }
    contests.push_back(Mid(41));  // --time-window 10 --min-appearances 4
    for (const sim::SimulationParameters& p : contests) {
        SCOPED_TRACE(sim::CommandLine(p));
        const sim::SimulatedContest contest = sim::Simulate(p);
        CheckRules rules;
        rules.timeWindowMinutes = p.timeWindowMinutes;
        rules.minAppearances = p.minAppearances;
        const ContestCheck check = Check(contest, rules);

        std::map<std::pair<std::string, uint32_t>, std::string> found;
        for (const Entrant& entrant : check.entrants) {
            for (const CheckedLine& line : entrant.log.lines) {
                found[{entrant.log.name, line.lineNumber}] = StatusName(line.status);
            }
            EXPECT_TRUE(entrant.log.unreadable.empty()) << entrant.log.name;
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
            Qso("1004", "DL1AA", "2", "DL1AC", "6 55N37O")}},
          {"DL1AB", {Qso("1003", "DL1AB", "5", "DL1AA", "2 55N37O")}}},
         {{{"DL1AA", 3}, "unique"},
          {{"DL1AA", 4}, "busted_call"},
          {{"DL1AB", 3}, "partner_busted_call"}}},
        {"equally near: the fewer edits win",
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1ABXY", "5 55N37O"),
            Qso("1004", "DL1AA", "2", "DL1ABX", "6 55N37O")}},
          {"DL1AB", {Qso("1002", "DL1AB", "5", "DL1AA", "2 55N37O")}}},
         {{{"DL1AA", 3}, "unique"},
          {{"DL1AA", 4}, "busted_call"},
          {{"DL1AB", 3}, "partner_busted_call"}}},
        {"a dupe neither confirms nor is confirmed",
         {{"DL1AA",
           {Qso("1000", "DL1AA", "1", "DL1AB", "7 55N37O"),
            Qso("1200", "DL1AA", "2", "DL1AB", "8 55N37O")}},
          {"DL1AB", {Qso("1201", "DL1AB", "8", "DL1AA", "2 55N37O")}}},
         {{{"DL1AA", 3}, "nil"}, {{"DL1AA", 4}, "dupe"}, {{"DL1AB", 3}, "nil"}}},
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

}  // namespace
}  // namespace zelk::adjudication
