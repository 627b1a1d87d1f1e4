// The contest simulator: the same seed gives the same bytes, every fault
// asked for is in the truth as often as asked, and the truth is what the
// rules of the check give when applied by brute force to the files as
// written (read back with zelk's Cabrillo reader), line by line and entrant
// by entrant.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <variant>

#include "brute_force_check.h"
#include "claimed_score.h"
#include "contest/coordinate.h"
#include "entrant_setup.h"
#include "entrant_truth.h"
#include "logfile/cabrillo_reader.h"
#include "simulator.h"
#include "stations.h"

namespace zelk::sim {
namespace {

SimulationParameters Mid(uint64_t seed) {
    SimulationParameters p;
    p.seed = seed;
    p.stations = 150;
    p.logs = 120;
    p.contactsPerStation = 40;
    p.bandsKHz = {7000, 14000};
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

// Every organiser's rule several times over, a period inside the contest
// and a NIL penalty.
SimulationParameters MidWithOrganiserRules(uint64_t seed) {
    SimulationParameters p = Mid(seed);
    FaultCounts& f = p.faults;
    f = WithOrganiserRules(f);
    f.outOfPeriod = f.oneSideOutOfPeriod = 5;
    f.clocksHourOff = f.clocksMinutesOff = f.checkLogs = f.otherContestLogs = 3;
    f.clocksWithinWindow = 2;
    f.singleBandEntries = 4;
    f.unknownCategories = 2;
    p.periodStartMinute = 90;
    p.periodEndMinute = 22 * 60;
    p.nilPenalty = 2;
    return p;
}

// Every shape real logs hold several times over, with the organiser's
// rules, on six bands (a symmetric clock pair works once on each).
SimulationParameters MidWithRealLogShapes(uint64_t seed) {
    SimulationParameters p = MidWithOrganiserRules(seed);
    p.bandsKHz = {1810, 3500, 7000, 14000, 21000, 28000};
    FaultCounts& f = p.faults;
    f = WithRealLogShapes(f);
    f.unreadableReceived = f.unreadableSent = f.outOfBand = 4;
    f.unreadableXQsos = f.unreadableTimes = f.portableCalls = f.bustedCallExchanges = 2;
    f.noLogSplits = f.nearCallClaims = f.newerWithoutContest = f.symmetricClockPairs = 2;
    f.noLogDissents = 3;
    f.cabrillo2Headers = 6;
    return p;
}

// The contests the truth is held to: the defaults and a larger one, with
// and without the organiser's rules and the shapes of real logs, and a
// two-minute window (no time error but the clocks') on 160, 80 and 20 m.
std::vector<SimulationParameters> Contests() {
    std::vector<SimulationParameters> contests;
    for (uint64_t seed = 1; seed <= 8; ++seed) {
        SimulationParameters plain;
        plain.seed = seed;
        contests.push_back(plain);
        contests.push_back(WithOrganiserRules(seed));
        SimulationParameters shapes = seed % 2 == 0 ? WithOrganiserRules(seed + 40) : plain;
        shapes.seed = seed + 40;
        shapes.faults = WithRealLogShapes(shapes.faults);
        contests.push_back(shapes);
    }
    contests.push_back(Mid(99));
    contests.push_back(MidWithOrganiserRules(98));
    contests.push_back(MidWithRealLogShapes(97));
    SimulationParameters narrow = WithOrganiserRules(21);
    narrow.timeWindowMinutes = 2;
    narrow.bandsKHz = {1810, 3500, 14000};
    contests.push_back(narrow);
    narrow.faults = WithRealLogShapes(narrow.faults);
    narrow.faults.symmetricClockPairs = 0;  // three bands
    contests.push_back(narrow);
    // Few contacts and many clocks off: the logs off get their pairs only by
    // the simulator's care, and their partners' medians stay right only so.
    for (uint64_t seed = 30; seed < 34; ++seed) {
        SimulationParameters crowded;
        crowded.seed = seed;
        crowded.stations = 24;
        crowded.logs = 20;
        crowded.contactsPerStation = 6;
        crowded.faults = {.bustedCalls = 2, .nils = 2, .uniqueStations = 1};
        crowded.faults.clocksHourOff = 3;
        crowded.faults.clocksMinutesOff = 3;
        crowded.faults.clocksWithinWindow = 2;
        crowded.faults.outOfPeriod = 2;
        contests.push_back(crowded);
    }
    return contests;
}

TEST(ContestSimulator, TruthIsWhatTheRulesGiveOnTheWrittenFiles) {
    for (const SimulationParameters& p : Contests()) {
        SCOPED_TRACE(CommandLine(p));
        const SimulatedContest contest = Simulate(p);
        const BruteForceResult check = CheckByBruteForce(contest);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        std::map<std::pair<std::string, uint32_t>, std::string> truth;
        for (const TruthLine& line : contest.truth) {
            truth[{contest.files[line.file].name, line.line}] = StatusName(line.status);
        }
        for (const SubmittedFile& file : contest.files) {
            if (file.status != FileStatus::Read) {
                truth[{file.name, 0}] = StatusName(file.status);
            }
        }
        ASSERT_EQ(truth.size(), check.statuses.size());
        for (const auto& [place, status] : truth) {
            EXPECT_EQ(status, check.statuses.at(place)) << place.first << " line " << place.second;
        }

        ASSERT_EQ(contest.entrants.size(), check.entrants.size());
        std::map<std::string, CheckedEntrant> stated;
        for (const EntrantTruth& e : contest.entrants) {
            const std::string& file = contest.files[e.file].name;
            const CheckedEntrant& found = check.entrants.at(file);
            EXPECT_EQ(e.categoryOperator, found.categoryOperator) << file;
            EXPECT_EQ(e.categoryBand, found.categoryBand) << file;
            EXPECT_EQ(e.categoryPower, found.categoryPower) << file;
            EXPECT_EQ(e.categoryTransmitter, found.categoryTransmitter) << file;
            EXPECT_EQ(e.checkedScore, found.checkedScore) << file;
            EXPECT_EQ(e.clockOffsetMinutes, found.clockOffset) << file;
            EXPECT_EQ(static_cast<int>(e.unreadableLines), check.unreadableLines.at(file)) << file;
            CheckedEntrant& entrant = stated[file];
            entrant.categoryOperator = e.categoryOperator;
            entrant.categoryBand = e.categoryBand;
            entrant.categoryPower = e.categoryPower;
            entrant.checkedScore = e.checkedScore;
        }
        const std::map<std::string, uint32_t> places = PlacesOf(stated);
        for (const EntrantTruth& e : contest.entrants) {
            EXPECT_EQ(e.categoryPlace, places.at(contest.files[e.file].name));
        }
    }
}

// CLAIMED-SCORE is what the contest's scoring gives all readable CW QSO
// lines of the log, grouped by frequency in whole megahertz (a line in no
// band by its own).
TEST(ContestSimulator, ClaimedScoreIsTheScoreOfEveryReadableCwLine) {
    const SimulatedContest contest = Simulate(MidWithRealLogShapes(4));
    for (const EntrantTruth& entrant : contest.entrants) {
        const SubmittedFile& file = contest.files[entrant.file];
        const auto read = logfile::ReadCabrillo(std::string_view(file.bytes));
        const auto& log = std::get<logfile::CabrilloLog>(read);
        std::vector<ClaimedContact> claimed;
        for (const logfile::CabrilloQso& q : log.qsos) {
            if (!q.xQso && q.mode == logfile::CabrilloMode::kCw) {
                claimed.push_back({q.Call(), static_cast<int32_t>(q.freqKHz), q.received.latitude,
                                   q.received.longitude});
            }
        }
        const Coordinate own =
            ParseCoordinate(log.qsos.front().Text(log.qsos.front().sent.coordinate));
        EXPECT_EQ(log.ClaimedScore(), ClaimedScore(own.latitude, own.longitude, claimed))
            << file.name;
    }
}

int CountIf(const auto& items, auto predicate) {
    return static_cast<int>(std::count_if(items.begin(), items.end(), predicate));
}

TEST(ContestSimulator, HoldsEachFaultAsOftenAsAsked) {
    const std::set<std::string> known = {
        "SINGLE-OP", "MULTI-OP", "MULTI-MULTI", "CHECKLOG", "ALL", "160M", "80M", "40M",      "20M",
        "15M",       "10M",      "HIGH",        "LOW",      "QRP", "ONE",  "TWO", "UNLIMITED"};
    for (const SimulationParameters& p : Contests()) {
        SCOPED_TRACE(CommandLine(p));
        const SimulatedContest contest = Simulate(p);
        const BruteForceResult check = CheckByBruteForce(contest);
        std::map<std::string, int> lines;
        for (const TruthLine& line : contest.truth) {
            ++lines[std::string(StatusName(line.status))];
        }
        std::map<FileStatus, int> files;
        for (const SubmittedFile& file : contest.files) {
            ++files[file.status];
        }
        auto entrants = [&](auto predicate) {
            return CountIf(check.entrants, [&](const auto& e) { return predicate(e.second); });
        };
        auto logs = [&](const std::map<std::string, bool>& of, bool value) {
            return CountIf(of, [&](const auto& e) { return e.second == value; });
        };
        const auto otherContest = [&](const auto& file) {
            const std::string& name = check.contestOf.at(file.name);
            return !name.empty() && name != "ZELK" && name != "zelk";
        };
        // Logs whose pairs all differ by one and the same time within the window.
        const int clocksWithin = entrants([&](const CheckedEntrant& e) {
            const auto& d = e.clockPairs;
            return d.size() >= 5 && d.front() != 0 &&
                   std::llabs(d.front()) <= p.timeWindowMinutes &&
                   std::count(d.begin(), d.end(), d.front()) == static_cast<long>(d.size());
        });
        const FaultCounts& f = p.faults;
        auto cabrillo2 = [&f](auto... kinds) { return (Cabrillo2Count(f, kinds) + ...); };
        using enum Cabrillo2Category;
        int unreadable = 0;
        for (const auto& [file, count] : check.unreadableLines) {
            unreadable += count;
        }
        const struct {
            const char* what;
            int found;
            int asked;
        } counts[] = {
            {"busted_call", lines["busted_call"],
             f.bustedCalls + f.bustedCallExchanges + f.portableCalls},
            {"partner_busted_call", lines["partner_busted_call"], f.bustedCalls + f.portableCalls},
            // Every other unreadable line's or line's in no band partner miscopied.
            {"busted_exchange", lines["busted_exchange"],
             f.bustedSerials + f.bustedCoordinates + f.bustedCallExchanges + f.noLogDissents +
                 f.unreadableReceived / 2 + f.outOfBand / 2},
            {"nil", lines["nil"], f.nils + f.nearCallClaims},
            {"unreadable", lines["unreadable"],
             f.unreadableReceived + f.unreadableSent + f.unreadableXQsos},
            {"read in part", check.partlyReadLines,
             f.unreadableReceived + f.unreadableSent + f.unreadableXQsos},
            {"not even read in part", unreadable - check.partlyReadLines, f.unreadableTimes},
            {"out_of_band", lines["out_of_band"], f.outOfBand},
            {"portable logs", check.portableLogs, f.portableCalls},
            {"stations without a log split", static_cast<int>(check.splitCalls.size()),
             f.noLogSplits},
            {"stations without a log near an entrant", static_cast<int>(check.nearCalls.size()),
             f.nearCallClaims},
            {"newer logs without CONTEST:", check.newerWithoutContest, f.newerWithoutContest},
            {"symmetric clock pairs", check.symmetricClockPairs, f.symmetricClockPairs},
            {"Cabrillo 2.0 headers", check.cabrillo2Logs, f.cabrillo2Headers},
            {"dupe", lines["dupe"], 2 * f.dupes + f.oneSidedDupes},
            {"x_qso", lines["x_qso"], f.xQsos},
            {"not_cw", lines["not_cw"], 2 * f.nonCwContacts},
            {"stations worked by few", static_cast<int>(check.uniqueCalls.size()),
             f.uniqueStations},
            {"not_read", files[FileStatus::NotRead], f.notCabrillo},
            {"superseded", files[FileStatus::Superseded],
             f.resubmissions + f.otherContestLogs + f.newerWithoutContest},
            {"out_of_period", lines["out_of_period"], 2 * f.outOfPeriod + f.oneSideOutOfPeriod},
            {"confirmed by an out_of_period line", check.confirmedByOutOfPeriod,
             f.oneSideOutOfPeriod},
            {"check logs", entrants([](auto& e) { return e.categoryOperator == "CHECKLOG"; }),
             f.checkLogs + cabrillo2(CheckLog)},
            {"single band", entrants([](auto& e) { return e.categoryBand != "ALL"; }),
             f.singleBandEntries + cabrillo2(SingleBandQrp)},
            {"multi-op", entrants([](auto& e) { return e.categoryOperator.starts_with("MULTI"); }),
             f.multiOpEntries + cabrillo2(MultiOne, MultiTwo, MultiMulti)},
            {"MULTI-OP of one transmitter", entrants([](auto& e) {
                 return e.categoryOperator == "MULTI-OP" && e.categoryTransmitter == "ONE";
             }),
             cabrillo2(MultiOne)},
            {"QRP", entrants([](auto& e) { return e.categoryPower == "QRP"; }),
             f.qrpEntries + cabrillo2(SingleBandQrp)},
            {"unknown values", entrants([&](auto& e) {
                 return !known.contains(e.categoryOperator) || !known.contains(e.categoryPower);
             }),
             f.unknownCategories + cabrillo2(Assisted)},
            {"no category lines", logs(check.categoryWritten, false), f.missingCategories},
            {"mixed case", logs(check.categoryInCapitals, false),
             f.mixedCaseCategories + f.unknownCategories},
            {"clocks an hour off", entrants([](auto& e) { return std::abs(e.clockOffset) == 60; }),
             f.clocksHourOff + f.symmetricClockPairs},
            {"clocks minutes off",
             entrants([](auto& e) { return e.clockOffset != 0 && std::abs(e.clockOffset) != 60; }),
             f.clocksMinutesOff},
            {"clocks off within the window", clocksWithin, f.clocksWithinWindow},
            {"superseded logs of another contest",
             CountIf(contest.files,
                     [&](auto& file) {
                         return file.status == FileStatus::Superseded && otherContest(file);
                     }),
             f.otherContestLogs},
            {"logs used naming another contest",
             CountIf(
                 contest.files,
                 [&](auto& file) { return file.status == FileStatus::Read && otherContest(file); }),
             f.misnamedLogs},
        };
        for (const auto& count : counts) {
            EXPECT_EQ(count.found, count.asked) << count.what;
        }
        EXPECT_GT(lines["no_log_credited"], 0);
    }
}

// Equal scores share a place and the next is skipped; check logs have none;
// each category has places of its own.
TEST(ContestSimulator, PlacesWithinEachCategory) {
    auto entrant = [](const char* op, const char* power, int64_t score) {
        EntrantTruth e;
        e.categoryOperator = op;
        e.categoryBand = "ALL";
        e.categoryPower = power;
        e.checkedScore = score;
        return e;
    };
    std::vector<EntrantTruth> entrants = {
        entrant("SINGLE-OP", "LOW", 200), entrant("SINGLE-OP", "LOW", 900),
        entrant("SINGLE-OP", "LOW", 500), entrant("SINGLE-OP", "LOW", 500),
        entrant("CHECKLOG", "LOW", 5000), entrant("SINGLE-OP", "HIGH", 100),
        entrant("MULTI-OP", "LOW", 0),    entrant("MULTI-OP", "LOW", 0),
    };
    PlaceInCategories(entrants);
    const uint32_t expected[] = {4, 1, 2, 2, 0, 1, 1, 1};
    for (std::size_t i = 0; i < entrants.size(); ++i) {
        EXPECT_EQ(entrants[i].categoryPlace, expected[i]) << i;
    }
}

TEST(ContestSimulator, SameSeedMakesTheSameBytesAndAnotherSeedAnotherContest) {
    const SimulatedContest first = Simulate(MidWithOrganiserRules(5));
    const SimulatedContest again = Simulate(MidWithOrganiserRules(5));
    const SimulatedContest other = Simulate(MidWithOrganiserRules(6));
    ASSERT_EQ(first.files.size(), again.files.size());
    for (std::size_t i = 0; i < first.files.size(); ++i) {
        EXPECT_EQ(first.files[i].name, again.files[i].name);
        EXPECT_EQ(first.files[i].bytes, again.files[i].bytes) << first.files[i].name;
        EXPECT_EQ(first.files[i].modifiedTime, again.files[i].modifiedTime);
    }
    EXPECT_EQ(TruthTsv(first), TruthTsv(again));
    EXPECT_NE(TruthTsv(first), TruthTsv(other));
}

TEST(ContestSimulator, CallsArePairwiseThreeEditsApart) {
    const struct {
        const char* a;
        const char* b;
        int distance;
    } known[] = {{"UA3ABC", "UA3ABD", 1},  {"ZELK", "ZEL", 1}, {"UA3ABC/P", "UA3ABC", 2},
                 {"kitten", "sitting", 3}, {"", "R3Z", 3},     {"DL1AB", "DL1AB", 0}};
    for (const auto& k : known) {
        EXPECT_EQ(EditDistance(k.a, k.b), k.distance) << k.a << " " << k.b;
    }
    SimulationParameters p = Mid(3);
    p.stations = 1500;
    p.logs = 1400;
    p.contactsPerStation = 10;
    const SimulatedContest contest = Simulate(p);
    ASSERT_EQ(contest.stations.size(), 1500u);
    EXPECT_EQ(contest.stations[0].call, "ZELK");
    int polar = 0;
    for (std::size_t i = 0; i < contest.stations.size(); ++i) {
        polar += std::stoi(contest.stations[i].coordinate) >= kPolarLatitude;
        for (std::size_t j = 0; j < i; ++j) {
            ASSERT_GE(EditDistance(contest.stations[i].call, contest.stations[j].call), 3)
                << contest.stations[i].call << " " << contest.stations[j].call;
        }
    }
    EXPECT_GE(polar, 3);
}

TEST(ContestSimulator, RefusesParametersThatMakeNoContest) {
    auto with = [](auto change) {
        SimulationParameters p;
        change(p);
        return p;
    };
    const SimulationParameters refused[] = {
        with([](SimulationParameters& p) { p.logs = 41; }),
        with([](SimulationParameters& p) { p.logs = 38; }),  // no room for unique stations
        with([](SimulationParameters& p) { p.faults.nils = -1; }),
        with([](SimulationParameters& p) { p.minAppearances = 1; }),
        with([](SimulationParameters& p) {
            p.bandsKHz = {7000, 7000};
        }),
        with([](SimulationParameters& p) {
            p.bandsKHz = {3500, 3700};
        }),  // both 80 m
        with([](SimulationParameters& p) {
            p.bandsKHz = {1990, 7000};
        }),  // beyond 160 m
        with([](SimulationParameters& p) { p.startMonth = 2, p.startDay = 30; }),
        with([](SimulationParameters& p) { p.timeWindowMinutes = 0; }),
        with([](SimulationParameters& p) { p.lengthHours = 1; }),
        with([](SimulationParameters& p) { p.contactsPerStation = 200; }),
        with([](SimulationParameters& p) { p.faults.clocksHourOff = -1; }),
        with([](SimulationParameters& p) { p.periodEndMinute = 25 * 60; }),
        with([](SimulationParameters& p) { p.periodStartMinute = 23 * 60; }),
        with([](SimulationParameters& p) { p.nilPenalty = -1; }),
        with([](SimulationParameters& p) { p.faults.qrpEntries = 30; }),  // 29 send one log
        // Too few left to work the stations without a log.
        with([](SimulationParameters& p) { p.faults.checkLogs = 27; }),
        // 8 of the 29 write as the plug-in does.
        with([](SimulationParameters& p) { p.faults.missingCategories = 22; }),
        with([](SimulationParameters& p) {
            p.faults.clocksWithinWindow = 1;
            p.timeWindowMinutes = 1;
        }),
        // 30 m is narrower than the 60 kHz contacts lie in.
        with([](SimulationParameters& p) {
            p.bandsKHz = {10100, 14000};
        }),
        // A symmetric clock pair works once on each band: five at least.
        with([](SimulationParameters& p) {
            p.faults.symmetricClockPairs = 1;
            p.bandsKHz = {7000, 14000};
        }),
        // The one entrant who sends two logs writes as the plug-in, which
        // always names the contest.
        with([](SimulationParameters& p) {
            p.logs = 29;
            p.faults.resubmissions = 0;
            p.faults.newerWithoutContest = 1;
        }),
        // 10 stations without a log: 2 worked by few, 1 sends ADIF, 8 splits.
        with([](SimulationParameters& p) { p.faults.noLogSplits = 8; }),
    };
    for (const SimulationParameters& p : refused) {
        EXPECT_FALSE(CheckParameters(p).empty()) << CommandLine(p);
        EXPECT_THROW(Simulate(p), std::invalid_argument) << CommandLine(p);
    }
    SimulationParameters tooManyFaults;
    tooManyFaults.faults.nils = 400;
    EXPECT_TRUE(CheckParameters(tooManyFaults).empty());
    EXPECT_THROW(Simulate(tooManyFaults), std::invalid_argument);
}

TEST(ClaimedScore, FollowsTheContestRulesPerBand) {
    // From 55N37O: 14 MHz holds ZELK at 55N37O (50) and a polar station at
    // 70N93O (50 + 15 + 56), plus 300 and 100; 7 MHz holds 33S70W (50 + 22
    // + 33: magnitudes, the letters are no signs) and again ZELK (50, 300).
    const std::vector<ClaimedContact> contacts = {{"ZELK", 14025, 55, 37},
                                                  {"UA9ABC", 14099, 70, 93},
                                                  {"CE3AB", 7010, 33, 70},
                                                  {"ZELK", 7001, 55, 37}};
    EXPECT_EQ(ClaimedScore(55, 37, contacts),
              50 + 50 + 15 + 56 + 300 + 100 + 50 + 22 + 33 + 50 + 300);
    EXPECT_EQ(ClaimedScore(55, 37, {}), 0);
}

}  // namespace
}  // namespace zelk::sim
