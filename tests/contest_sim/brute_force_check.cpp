// The check's rules by brute force, on the files as zelk's reader reads them.
#include "brute_force_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <variant>

#include "contest/coordinate.h"
#include "logfile/cabrillo_reader.h"
#include "scoring/score.h"
#include "stations.h"

namespace zelk::sim {
namespace {

constexpr std::string_view kContest = "ZELK";

struct Line {
    uint32_t number = 0;
    bool xQso = false;
    bool cw = false;
    logfile::BandIndex band = logfile::kNoBand;
    int64_t minute = 0;  // since 1970; corrected once the log's clock is known
    uint32_t sentSerial = 0;
    std::string sentCoordinate;
    std::string call;
    uint32_t receivedSerial = 0;
    std::string receivedCoordinate;
    std::string status;

    bool Counts() const { return !xQso && cw; }
};

struct Log {
    std::string file;
    std::string call;
    std::string contest;  // in capitals
    int64_t modified = 0;
    int unreadable = 0;
    bool categoryWritten = false;
    bool categoryInCapitals = true;
    CheckedEntrant entrant;
    std::vector<Line> lines;
};

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& ch : upper) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return upper;
}

Log ReadLog(const SubmittedFile& file, const logfile::CabrilloLog& cabrillo) {
    Log log;
    log.file = file.name;
    log.call = Upper(cabrillo.Callsign());
    log.contest = Upper(cabrillo.Contest());
    log.modified = file.modifiedTime;
    log.unreadable = static_cast<int>(cabrillo.unreadable.size());
    CheckedEntrant& e = log.entrant;
    for (auto [kind, value, fallback] :
         {std::tuple{"OPERATOR", &e.categoryOperator, "SINGLE-OP"},
          std::tuple{"BAND", &e.categoryBand, "ALL"}, std::tuple{"POWER", &e.categoryPower, "HIGH"},
          std::tuple{"TRANSMITTER", &e.categoryTransmitter, "ONE"}}) {
        const std::string_view written = cabrillo.Category(kind);
        *value = written.empty() ? fallback : Upper(written);
        log.categoryWritten |= !written.empty();
        log.categoryInCapitals &= Upper(written) == written;
    }
    for (const logfile::CabrilloQso& q : cabrillo.qsos) {
        log.lines.push_back({q.lineNumber, q.xQso, q.mode == logfile::CabrilloMode::kCw, q.band,
                             q.minutes, q.sent.serial, std::string(q.Text(q.sent.coordinate)),
                             std::string(q.Call()), q.received.serial,
                             std::string(q.Text(q.received.coordinate)), ""});
    }
    return log;
}

// The clock rule: at least 5 pairs, 80 % of them within a minute of their
// median, and the median more than the window.
int32_t ClockRule(std::vector<int64_t> diffs, int window) {
    if (diffs.size() < 5) {
        return 0;
    }
    std::sort(diffs.begin(), diffs.end());
    const std::size_t n = diffs.size();
    int32_t decided = 0;
    // The lower and the upper median: the simulator leaves nothing between.
    for (const std::size_t middle : {(n - 1) / 2, n / 2}) {
        const int64_t median = diffs[middle];
        const auto within = std::count_if(diffs.begin(), diffs.end(),
                                          [&](int64_t d) { return std::llabs(d - median) <= 1; });
        const int32_t offset =
            within * 5 >= static_cast<int64_t>(n) * 4 && std::llabs(median) > window
                ? static_cast<int32_t>(median)
                : 0;
        if (middle == (n - 1) / 2) {
            decided = offset;
        }
        EXPECT_EQ(offset, decided) << "the lower and the upper median decide differently";
    }
    return decided;
}

class Checker {
  public:
    explicit Checker(const SimulatedContest& contest)
        : m_contest(contest), m_window(contest.parameters.timeWindowMinutes) {}

    BruteForceResult Run() {
        ChooseLogs();
        FindClocks();
        DecideOwnLines();
        Match();
        FindBustedCalls();
        DecideTheRest();
        for (Log& log : m_logs) {
            Score(log);
            for (const Line& line : log.lines) {
                m_result.statuses[{log.file, line.number}] = line.status;
            }
            m_result.entrants[log.file] = log.entrant;
            m_result.categoryWritten[log.file] = log.categoryWritten;
            m_result.categoryInCapitals[log.file] = log.categoryInCapitals;
            m_result.unreadableLines += log.unreadable;
        }
        return std::move(m_result);
    }

  private:
    // Of the logs of one call: this contest's (CONTEST: in any case) before
    // one without CONTEST: before another contest's, then the newest.
    void ChooseLogs() {
        std::map<std::string, std::vector<Log>> byCall;
        for (const SubmittedFile& file : m_contest.files) {
            const auto read = logfile::ReadCabrillo(std::string_view(file.bytes));
            if (std::holds_alternative<logfile::NotCabrillo>(read)) {
                m_result.statuses[{file.name, 0}] = "not_read";
                continue;
            }
            const auto& cabrillo = std::get<logfile::CabrilloLog>(read);
            m_result.contestOf[file.name] = std::string(cabrillo.Contest());
            Log log = ReadLog(file, cabrillo);
            byCall[log.call].push_back(std::move(log));
        }
        auto rank = [](const Log& log) {
            return std::tuple(log.contest == kContest ? 2
                              : log.contest.empty()   ? 1
                                                      : 0,
                              log.modified, log.file);
        };
        for (auto& [call, logs] : byCall) {
            std::sort(logs.begin(), logs.end(),
                      [&](const Log& a, const Log& b) { return rank(a) > rank(b); });
            for (std::size_t i = 1; i < logs.size(); ++i) {
                m_result.statuses[{logs[i].file, 0}] = "superseded";
            }
            m_byCall[call] = m_logs.size();
            m_logs.push_back(std::move(logs.front()));
        }
    }

    // Pairs of lines that match in all but time: the band, both calls, both
    // exchanges. The same rule counting phone lines or not.
    void FindClocks() {
        for (Log& log : m_logs) {
            int32_t offsets[2] = {};
            for (const bool cwOnly : {false, true}) {
                std::vector<int64_t> diffs;
                for (const Line& x : log.lines) {
                    const auto b = m_byCall.find(x.call);
                    if (x.xQso || (cwOnly && !x.cw) || b == m_byCall.end()) {
                        continue;
                    }
                    for (const Line& y : m_logs[b->second].lines) {
                        if (!y.xQso && (!cwOnly || y.cw) && y.call == log.call &&
                            y.band == x.band && x.band != logfile::kNoBand &&
                            y.receivedSerial == x.sentSerial &&
                            y.receivedCoordinate == x.sentCoordinate &&
                            x.receivedSerial == y.sentSerial &&
                            x.receivedCoordinate == y.sentCoordinate) {
                            diffs.push_back(x.minute - y.minute);
                        }
                    }
                }
                offsets[cwOnly] = ClockRule(diffs, m_window);
                if (!cwOnly) {
                    log.entrant.clockPairs = diffs;
                }
            }
            EXPECT_EQ(offsets[0], offsets[1]) << log.file << ": phone lines change the clock";
            log.entrant.clockOffset = offsets[0];
        }
        for (Log& log : m_logs) {
            for (Line& line : log.lines) {
                line.minute -= log.entrant.clockOffset;
            }
        }
    }

    void DecideOwnLines() {
        for (Log& log : m_logs) {
            const std::string& entry = log.entrant.categoryBand;
            const logfile::BandIndex own =
                entry == "ALL" ? logfile::kNoBand : logfile::BandOfName(entry);
            std::set<std::pair<std::string, int>> worked;
            for (Line& q : log.lines) {
                if (q.xQso) {
                    q.status = "x_qso";
                } else if (!q.cw) {
                    q.status = "not_cw";
                } else if (q.minute < m_contest.periodStartMinute ||
                           q.minute >= m_contest.periodEndMinute) {
                    q.status = "out_of_period";
                } else if (entry != "ALL" && q.band != own) {
                    q.status = "other_band";
                } else if (!worked.insert({q.call, q.band}).second) {
                    q.status = "dupe";
                }
            }
        }
    }

    // Lines of `log` with `call` on the band of `q` within the window: lines
    // out of the period and on other bands pair too, dupes do not here.
    std::vector<std::size_t> Near(std::size_t log, const std::string& call, const Line& q) const {
        std::vector<std::size_t> found;
        const std::vector<Line>& lines = m_logs[log].lines;
        for (std::size_t l = 0; l < lines.size(); ++l) {
            const Line& other = lines[l];
            if (other.status != "dupe" && other.Counts() && other.call == call &&
                other.band == q.band && q.band != logfile::kNoBand &&
                std::llabs(other.minute - q.minute) <= m_window) {
                found.push_back(l);
            }
        }
        return found;
    }

    void Match() {
        std::set<std::pair<std::size_t, std::size_t>> used;
        for (Log& log : m_logs) {
            for (Line& q : log.lines) {
                const auto b = m_byCall.find(q.call);
                if (!q.status.empty() || b == m_byCall.end()) {
                    continue;
                }
                const std::vector<std::size_t> found = Near(b->second, log.call, q);
                ASSERT_LE(found.size(), 1u) << log.file << " line " << q.number;
                if (found.empty()) {
                    continue;
                }
                ASSERT_TRUE(used.insert({b->second, found[0]}).second);
                const Line& sent = m_logs[b->second].lines[found[0]];
                const bool right = sent.sentSerial == q.receivedSerial &&
                                   sent.sentCoordinate == q.receivedCoordinate;
                q.status = right ? "confirmed" : "busted_exchange";
                m_result.confirmedByOutOfPeriod += right && sent.status == "out_of_period";
                m_matched.insert({b->second, found[0]});
            }
        }
    }

    void FindBustedCalls() {
        for (Log& log : m_logs) {
            for (Line& q : log.lines) {
                if (!q.status.empty() || m_byCall.contains(q.call)) {
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
                std::vector<std::size_t> found = Near(d, log.call, q);
                std::erase_if(found, [&](std::size_t x) { return m_matched.contains({d, x}); });
                ASSERT_LE(found.size(), 1u) << q.call;
                if (!found.empty()) {
                    q.status = "busted_call";
                    m_logs[d].lines[found[0]].status = "partner_busted_call";
                }
            }
        }
    }

    // Appearances counted with every CW QSO: line, and again without check
    // logs and lines out of the period or on other bands: the simulator
    // makes both counts decide alike.
    void DecideTheRest() {
        for (Log& log : m_logs) {
            for (Line& q : log.lines) {
                if (!q.status.empty()) {
                    continue;
                }
                if (m_byCall.contains(q.call)) {
                    q.status = "nil";
                    continue;
                }
                int all = 0;
                int plain = 0;
                for (const Log& other : m_logs) {
                    const bool checkLog = other.entrant.categoryOperator == "CHECKLOG";
                    bool in = false;
                    bool plainly = false;
                    for (const Line& l : other.lines) {
                        in |= l.Counts() && l.call == q.call;
                        plainly |= l.Counts() && l.call == q.call && !checkLog &&
                                   l.status != "out_of_period" && l.status != "other_band";
                    }
                    all += in;
                    plain += plainly;
                }
                const int least = m_contest.parameters.minAppearances;
                EXPECT_EQ(all >= least, plain >= least) << q.call << " in " << log.file;
                q.status = all >= least ? "no_log_credited" : "unique";
                if (all < least) {
                    m_result.uniqueCalls.insert(q.call);
                }
            }
        }
    }

    // The credited lines by the core's scoring, grouped by band in whole
    // megahertz, from the coordinate the log sent, less the NIL penalty.
    void Score(Log& log) const {
        std::vector<std::string> groups;
        std::vector<std::string> exchanges;
        groups.reserve(log.lines.size());
        exchanges.reserve(log.lines.size());
        std::vector<ScoredContact> credited;
        int64_t nils = 0;
        for (const Line& q : log.lines) {
            nils += q.status == "nil";
            if (q.status == "confirmed" || q.status == "partner_busted_call" ||
                q.status == "no_log_credited") {
                groups.push_back(std::to_string(logfile::Bands()[q.band].lowerHz / 1'000'000));
                exchanges.push_back(std::to_string(q.receivedSerial) + " " + q.receivedCoordinate);
                credited.push_back({q.call, groups.back(), exchanges.back()});
            }
        }
        const Coordinate own = ParseCoordinate(log.lines.front().sentCoordinate);
        const int64_t penalty = int64_t{m_contest.parameters.nilPenalty} * 50 * nils;
        log.entrant.checkedScore =
            std::max<int64_t>(0, ScoreContacts(credited, own).claimedScore - penalty);
    }

    const SimulatedContest& m_contest;
    const int m_window;
    BruteForceResult m_result;
    std::vector<Log> m_logs;
    std::map<std::string, std::size_t> m_byCall;
    std::set<std::pair<std::size_t, std::size_t>> m_matched;
};

}  // namespace

BruteForceResult CheckByBruteForce(const SimulatedContest& contest) {
    return Checker(contest).Run();
}

std::map<std::string, uint32_t> PlacesOf(const std::map<std::string, CheckedEntrant>& entrants) {
    std::map<std::string, uint32_t> places;
    auto category = [](const CheckedEntrant& e) {
        return std::tie(e.categoryOperator, e.categoryBand, e.categoryPower);
    };
    for (const auto& [file, entrant] : entrants) {
        uint32_t& place = places[file];
        if (entrant.categoryOperator == "CHECKLOG") {
            continue;
        }
        place = 1;
        for (const auto& [otherFile, other] : entrants) {
            place += other.categoryOperator != "CHECKLOG" && category(other) == category(entrant) &&
                     other.checkedScore > entrant.checkedScore;
        }
    }
    return places;
}

}  // namespace zelk::sim
