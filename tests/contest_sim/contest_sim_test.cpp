// The contest simulator: the same seed gives the same bytes, every fault
// asked for is in the truth, and the truth is what the rules of the check
// give when applied by brute force to the files as written (read back here
// with a reader that knows only what the simulator writes).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

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
    p.faults = {6, 5, 4, 7, 3, 5, 4, 3, 2, 4, 3};
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

}  // namespace
}  // namespace zelk::sim
