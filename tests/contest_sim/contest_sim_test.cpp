// The contest simulator: the same seed gives the same bytes, every fault
// asked for is in the truth, and the truth is what the rules of the check
// give when applied by brute force to the files as written (read back here
// with a reader that knows only what the simulator writes).
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#ifdef ZELK_CONTEST_SIM
#include <sys/wait.h>
#endif

#include "claimed_score.h"
#include "simulator.h"
#include "stations.h"

namespace zelk::sim {
namespace {

struct QsoLine {
    uint32_t number = 0;
    bool xQso = false;
    std::string mode;
    int freqKHz = 0;
    int64_t minute = 0;
    uint32_t sentSerial = 0;
    std::string sentCoordinate;
    std::string call;
    uint32_t receivedSerial = 0;
    std::string receivedCoordinate;
};

struct ParsedLog {
    std::string call;
    int64_t claimedScore = -1;
    std::vector<QsoLine> qsos;
};

std::string Upper(std::string text) {
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}

int64_t Minute(const std::string& date, const std::string& time) {
    using namespace std::chrono;
    const year_month_day ymd{year{std::stoi(date.substr(0, 4))},
                             month{static_cast<unsigned>(std::stoi(date.substr(5, 2)))},
                             day{static_cast<unsigned>(std::stoi(date.substr(8, 2)))}};
    return sys_days{ymd}.time_since_epoch().count() * 1440 + std::stoi(time.substr(0, 2)) * 60 +
           std::stoi(time.substr(2, 2));
}

// Reads the layouts the simulator writes: blank- or tab-separated fields,
// an optional report before each exchange, a one-piece received exchange.
ParsedLog ReadLog(const std::string& bytes) {
    ParsedLog log;
    std::istringstream in(bytes);
    std::string text;
    for (uint32_t number = 1; std::getline(in, text); ++number) {
        std::istringstream fields(text);
        std::vector<std::string> t;
        for (std::string field; fields >> field;) {
            t.push_back(field);
        }
        const std::string tag = t.empty() ? "" : Upper(t[0]);
        if (tag == "CALLSIGN:") {
            log.call = t.at(1);
        } else if (tag == "CLAIMED-SCORE:") {
            log.claimedScore = std::stoll(t.at(1));
        } else if (tag == "QSO:" || tag == "X-QSO:") {
            const bool report = t.size() == 13;
            EXPECT_TRUE(t.size() == 10 || t.size() == 11 || report) << text;
            QsoLine q;
            q.number = number;
            q.xQso = tag == "X-QSO:";
            q.freqKHz = std::stoi(t.at(1));
            q.mode = t.at(2);
            q.minute = Minute(t.at(3), t.at(4));
            std::size_t i = report ? 7 : 6;
            q.sentSerial = static_cast<uint32_t>(std::stoul(t.at(i)));
            q.sentCoordinate = t.at(i + 1);
            q.call = t.at(i + 2);
            if (t.size() == 10) {  // "1255N37O", split where the plug-in splits it
                const std::string& typed = t.back();
                std::size_t p = typed.find('N');
                p = p == std::string::npos ? typed.find('S') : p;
                q.receivedSerial = static_cast<uint32_t>(std::stoul(typed.substr(0, p - 2)));
                q.receivedCoordinate = typed.substr(p - 2);
            } else {
                q.receivedSerial = static_cast<uint32_t>(std::stoul(t.at(t.size() - 2)));
                q.receivedCoordinate = t.back();
            }
            log.qsos.push_back(q);
        }
    }
    return log;
}

int32_t Magnitude(const std::string& coordinate, bool latitude) {
    const std::size_t letter = coordinate.find_first_of("NS");
    return std::stoi(latitude ? coordinate.substr(0, letter) : coordinate.substr(letter + 1));
}

// The rules of the check, applied line by line with plain searches. Expects
// every decision to have one candidate only: the faults are unambiguous.
class BruteForceCheck {
  public:
    BruteForceCheck(const SimulatedContest& contest) : m_contest(contest) {
        for (const SubmittedFile& file : contest.files) {
            if (file.status == FileStatus::Read) {
                m_files.push_back(file.name);
                m_logs.push_back(ReadLog(file.bytes));
                m_byCall[m_logs.back().call] = m_logs.size() - 1;
            }
        }
        for (const ParsedLog& log : m_logs) {
            m_status.emplace_back(log.qsos.size());
        }
    }

    // File name and line number -> status.
    std::map<std::pair<std::string, uint32_t>, std::string> Statuses() {
        DecideOwnLines();
        Match();
        FindBustedCalls();
        DecideTheRest();
        std::map<std::pair<std::string, uint32_t>, std::string> statuses;
        for (std::size_t a = 0; a < m_logs.size(); ++a) {
            for (std::size_t l = 0; l < m_logs[a].qsos.size(); ++l) {
                statuses[{m_files[a], m_logs[a].qsos[l].number}] = m_status[a][l];
            }
        }
        return statuses;
    }

    const std::vector<ParsedLog>& Logs() const { return m_logs; }
    const std::set<std::string>& UniqueCalls() const { return m_uniqueCalls; }

  private:
    int Band(int freqKHz) const {
        int band = 0;
        for (int edge : m_contest.parameters.bandsKHz) {
            band = edge <= freqKHz ? std::max(band, edge) : band;
        }
        return band;
    }

    bool Counts(const QsoLine& q) const { return !q.xQso && q.mode == "CW"; }

    // Lines of `log` with `call` on the band of `q` within the window.
    std::vector<std::size_t> Near(std::size_t log, const std::string& call, const QsoLine& q) {
        std::vector<std::size_t> found;
        for (std::size_t l = 0; l < m_logs[log].qsos.size(); ++l) {
            const QsoLine& other = m_logs[log].qsos[l];
            if (m_status[log][l] != "dupe" && Counts(other) && other.call == call &&
                Band(other.freqKHz) == Band(q.freqKHz) &&
                std::llabs(other.minute - q.minute) <= m_contest.parameters.timeWindowMinutes) {
                found.push_back(l);
            }
        }
        return found;
    }

    void DecideOwnLines() {
        for (std::size_t a = 0; a < m_logs.size(); ++a) {
            std::set<std::pair<std::string, int>> worked;
            for (std::size_t l = 0; l < m_logs[a].qsos.size(); ++l) {
                const QsoLine& q = m_logs[a].qsos[l];
                if (q.xQso) {
                    m_status[a][l] = "x_qso";
                } else if (q.mode != "CW") {
                    m_status[a][l] = "not_cw";
                } else if (!worked.insert({q.call, Band(q.freqKHz)}).second) {
                    m_status[a][l] = "dupe";
                }
            }
        }
    }

    void Match() {
        std::set<std::pair<std::size_t, std::size_t>> used;
        for (std::size_t a = 0; a < m_logs.size(); ++a) {
            for (std::size_t l = 0; l < m_logs[a].qsos.size(); ++l) {
                const QsoLine& q = m_logs[a].qsos[l];
                const auto b = m_byCall.find(q.call);
                if (!m_status[a][l].empty() || b == m_byCall.end()) {
                    continue;
                }
                const std::vector<std::size_t> found = Near(b->second, m_logs[a].call, q);
                ASSERT_LE(found.size(), 1u) << m_files[a] << " line " << q.number;
                if (found.empty()) {
                    continue;
                }
                ASSERT_TRUE(used.insert({b->second, found[0]}).second);
                const QsoLine& sent = m_logs[b->second].qsos[found[0]];
                m_status[a][l] = sent.sentSerial == q.receivedSerial &&
                                         sent.sentCoordinate == q.receivedCoordinate
                                     ? "confirmed"
                                     : "busted_exchange";
                m_matched.insert({b->second, found[0]});
            }
        }
    }

    void FindBustedCalls() {
        for (std::size_t a = 0; a < m_logs.size(); ++a) {
            for (std::size_t l = 0; l < m_logs[a].qsos.size(); ++l) {
                const QsoLine& q = m_logs[a].qsos[l];
                if (!m_status[a][l].empty() || m_byCall.contains(q.call)) {
                    continue;
                }
                std::vector<std::string> near;
                for (const SimulatedStation& s : m_contest.stations) {
                    if (EditDistance(s.call, q.call) <= 2) {
                        near.push_back(s.call);
                    }
                }
                ASSERT_LE(near.size(), 1u) << q.call;
                if (near.empty() || !m_byCall.contains(near[0])) {
                    continue;
                }
                const std::size_t d = m_byCall[near[0]];
                std::vector<std::size_t> found = Near(d, m_logs[a].call, q);
                std::erase_if(found, [&](std::size_t x) { return m_matched.contains({d, x}); });
                ASSERT_LE(found.size(), 1u) << q.call;
                if (!found.empty()) {
                    m_status[a][l] = "busted_call";
                    m_status[d][found[0]] = "partner_busted_call";
                }
            }
        }
    }

    void DecideTheRest() {
        for (std::size_t a = 0; a < m_logs.size(); ++a) {
            for (std::size_t l = 0; l < m_logs[a].qsos.size(); ++l) {
                const std::string& call = m_logs[a].qsos[l].call;
                if (!m_status[a][l].empty()) {
                    continue;
                }
                if (m_byCall.contains(call)) {
                    m_status[a][l] = "nil";
                    continue;
                }
                int appearances = 0;
                for (const ParsedLog& log : m_logs) {
                    appearances += std::any_of(log.qsos.begin(), log.qsos.end(), [&](auto& q) {
                        return Counts(q) && q.call == call;
                    });
                }
                m_status[a][l] = appearances >= m_contest.parameters.minAppearances
                                     ? "no_log_credited"
                                     : "unique";
                if (m_status[a][l] == "unique") {
                    m_uniqueCalls.insert(call);
                }
            }
        }
    }

    const SimulatedContest& m_contest;
    std::vector<std::string> m_files;
    std::vector<ParsedLog> m_logs;
    std::map<std::string, std::size_t> m_byCall;
    std::vector<std::vector<std::string>> m_status;
    std::set<std::pair<std::size_t, std::size_t>> m_matched;
    std::set<std::string> m_uniqueCalls;
};

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

TEST(ContestSimulator, TruthIsWhatTheRulesGiveOnTheWrittenFiles) {
    std::vector<SimulationParameters> cases;
    for (uint64_t seed = 1; seed <= 12; ++seed) {
        SimulationParameters small;
        small.seed = seed;
        cases.push_back(small);
    }
    cases.push_back(Mid(99));
    for (const SimulationParameters& p : cases) {
        SCOPED_TRACE(CommandLine(p));
        const SimulatedContest contest = Simulate(p);
        BruteForceCheck check(contest);
        const auto expected = check.Statuses();
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        ASSERT_EQ(contest.truth.size(), expected.size());
        std::map<std::string, int> counts;
        for (const TruthLine& line : contest.truth) {
            const std::string& file = contest.files[line.file].name;
            const auto it = expected.find({file, line.line});
            ASSERT_NE(it, expected.end()) << file << " line " << line.line;
            EXPECT_EQ(StatusName(line.status), it->second) << file << " line " << line.line;
            ++counts[std::string(StatusName(line.status))];
        }
        for (const ParsedLog& log : check.Logs()) {
            std::vector<ClaimedContact> claimed;
            for (const QsoLine& q : log.qsos) {
                if (!q.xQso && q.mode == "CW") {
                    claimed.push_back({q.call, q.freqKHz, Magnitude(q.receivedCoordinate, true),
                                       Magnitude(q.receivedCoordinate, false)});
                }
            }
            const std::string own = log.qsos.front().sentCoordinate;
            EXPECT_EQ(log.claimedScore,
                      ClaimedScore(Magnitude(own, true), Magnitude(own, false), claimed))
                << log.call;
        }
        const FaultCounts& f = p.faults;
        EXPECT_EQ(counts["busted_call"], f.bustedCalls);
        EXPECT_EQ(counts["partner_busted_call"], f.bustedCalls);
        EXPECT_EQ(counts["busted_exchange"], f.bustedSerials + f.bustedCoordinates);
        EXPECT_EQ(counts["nil"], f.nils);
        EXPECT_EQ(counts["dupe"], 2 * f.dupes + f.oneSidedDupes);
        EXPECT_EQ(counts["x_qso"], f.xQsos);
        EXPECT_EQ(counts["not_cw"], 2 * f.nonCwContacts);
        EXPECT_GT(counts["no_log_credited"], 0);
        EXPECT_EQ(static_cast<int>(check.UniqueCalls().size()), f.uniqueStations);
        int notRead = 0, superseded = 0;
        for (const SubmittedFile& file : contest.files) {
            notRead += file.status == FileStatus::NotRead;
            superseded += file.status == FileStatus::Superseded;
        }
        EXPECT_EQ(notRead, f.notCabrillo);
        EXPECT_EQ(superseded, f.resubmissions);
    }
}

TEST(ContestSimulator, SameSeedMakesTheSameBytesAndAnotherSeedAnotherContest) {
    const SimulatedContest first = Simulate(Mid(5));
    const SimulatedContest again = Simulate(Mid(5));
    const SimulatedContest other = Simulate(Mid(6));
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
        with([](SimulationParameters& p) { p.startMonth = 2, p.startDay = 30; }),
        with([](SimulationParameters& p) { p.timeWindowMinutes = 0; }),
        with([](SimulationParameters& p) { p.lengthHours = 1; }),
        with([](SimulationParameters& p) { p.contactsPerStation = 200; }),
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

#ifdef ZELK_CONTEST_SIM
namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class ContestSimProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("zelk-contest-sim-" + std::to_string(std::random_device{}()));
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    int Run(const std::string& arguments) {
        const std::string command = std::string(ZELK_CONTEST_SIM) + " " + arguments + " >" +
                                    (root_ / "stdout").string() + " 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path root_;
};

TEST_F(ContestSimProgram, WritesTheLibrarysContestWithNewerLogsNewerOnDisk) {
    SimulationParameters p = Mid(8);
    const SimulatedContest contest = Simulate(p);
    ASSERT_EQ(Run(CommandLine(p).substr(std::string("zelk-contest-sim").size()) + " --out " +
                  (root_ / "logs").string() + " --truth " + (root_ / "truth.tsv").string()),
              0)
        << Read(root_ / "stdout");
    EXPECT_EQ(Read(root_ / "truth.tsv"), TruthTsv(contest));
    std::map<std::string, fs::file_time_type> times;
    for (const SubmittedFile& file : contest.files) {
        EXPECT_EQ(Read(root_ / "logs" / file.name), file.bytes) << file.name;
        times[file.name] = fs::last_write_time(root_ / "logs" / file.name);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "logs"), {}),
              static_cast<std::ptrdiff_t>(contest.files.size()));
    int resubmitted = 0;
    for (const SubmittedFile& older : contest.files) {
        for (const SubmittedFile& newer : contest.files) {
            if (older.status == FileStatus::Superseded && newer.status == FileStatus::Read &&
                newer.call == older.call) {
                EXPECT_LT(times[older.name], times[newer.name]) << older.name;
                ++resubmitted;
            }
        }
    }
    EXPECT_EQ(resubmitted, p.faults.resubmissions);
}

TEST_F(ContestSimProgram, RefusesATruthFileInsideTheContestFolder) {
    EXPECT_EQ(Run("--out " + root_.string() + " --truth " + (root_ / "t.tsv").string()), 2);
    EXPECT_NE(Read(root_ / "stdout").find("outside"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "t.tsv"));
}

// The shipped example is what the program makes from the command line at
// the top of its truth file.
TEST_F(ContestSimProgram, ExampleContestIsWhatTheProgramMakes) {
    const fs::path examples = ZELK_EXAMPLES;
    const std::string truth = Read(examples / "contest-truth.tsv");
    const std::string prefix = "# zelk-contest-sim ";
    ASSERT_EQ(truth.rfind(prefix, 0), 0u);
    const std::string arguments = truth.substr(prefix.size(), truth.find('\n') - prefix.size());
    ASSERT_EQ(Run(arguments + " --out " + (root_ / "contest").string() + " --truth " +
                  (root_ / "truth.tsv").string()),
              0)
        << Read(root_ / "stdout");
    EXPECT_EQ(Read(root_ / "truth.tsv"), truth);
    std::set<std::string> made, shipped;
    for (const auto& entry : fs::directory_iterator(root_ / "contest")) {
        made.insert(entry.path().filename().string());
        EXPECT_EQ(Read(entry.path()), Read(examples / "contest" / entry.path().filename()))
            << entry.path().filename();
    }
    for (const auto& entry : fs::directory_iterator(examples / "contest")) {
        shipped.insert(entry.path().filename().string());
    }
    EXPECT_EQ(made, shipped);
}
#endif

}  // namespace
}  // namespace zelk::sim
