// The check's rules by brute force, on the files as zelk's reader reads them.
#include "brute_force_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
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
    bool unreadable = false;  // read in part: fixed fields and call, sentRead says the rest
    bool sentRead = true;
    bool xQso = false;
    bool cw = false;
    logfile::BandIndex band = logfile::kNoBand;
    int64_t minute = 0;  // since 1970; corrected once the log's clock is known
    std::string ownCall;
    uint32_t sentSerial = 0;
    std::string sentCoordinate;
    std::string call;
    uint32_t receivedSerial = 0;
    std::string receivedCoordinate;
    std::string status;

    bool Counts() const { return !xQso && cw && !unreadable; }
    bool Pairs() const { return Counts() || unreadable; }
};

struct Log {
    std::string file;
    std::string call;
    std::string contest;  // in capitals
    int64_t modified = 0;
    int unreadable = 0;
    int partlyRead = 0;
    bool categoryWritten = false;
    bool categoryInCapitals = true;
    bool version2 = false;  // its category is a Cabrillo 2.0 CATEGORY: line
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

// A Cabrillo 2.0 CATEGORY: line's words: an operator word (MULTI-ONE and
// MULTI-TWO are MULTI-OP with that transmitter, MULTI-MULTI's is
// UNLIMITED, an unknown one as written), ALL or a band in metres, a power;
// a mode word says nothing here.
void ReadCategoryLine(std::string_view line, CheckedEntrant& e) {
    std::istringstream words{Upper(line)};
    for (std::string word; words >> word;) {
        const bool band = word == "ALL" || (word.size() > 1 && word.back() == 'M' &&
                                            std::all_of(word.begin(), word.end() - 1, ::isdigit));
        if (band) {
            e.categoryBand = word;
        } else if (word == "HIGH" || word == "LOW" || word == "QRP") {
            e.categoryPower = word;
        } else if (word == "MULTI-ONE" || word == "MULTI-TWO") {
            e.categoryOperator = "MULTI-OP";
            e.categoryTransmitter = word == "MULTI-ONE" ? "ONE" : "TWO";
        } else if (word == "MULTI-MULTI") {
            e.categoryOperator = word;
            e.categoryTransmitter = "UNLIMITED";
        } else if (word != "CW" && word != "SSB" && word != "MIXED") {
            e.categoryOperator = word;
        }
    }
}

Line ReadLine(const logfile::CabrilloQso& q, bool unreadable) {
    return {q.lineNumber,
            unreadable,
            q.sentRead,
            q.xQso,
            q.mode == logfile::CabrilloMode::kCw,
            q.band,
            q.minutes,
            Upper(q.OwnCall()),
            q.sent.serial,
            std::string(q.Text(q.sent.coordinate)),
            std::string(q.Call()),
            q.received.serial,
            std::string(q.Text(q.received.coordinate)),
            ""};
}

Log ReadLog(const SubmittedFile& file, const logfile::CabrilloLog& cabrillo) {
    Log log;
    log.file = file.name;
    log.call = Upper(cabrillo.Callsign());
    log.contest = Upper(cabrillo.Contest());
    log.modified = file.modifiedTime;
    log.unreadable = static_cast<int>(cabrillo.unreadable.size());
    log.partlyRead = static_cast<int>(cabrillo.partlyRead.size());
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
    const std::string_view version2 = cabrillo.Value("CATEGORY");
    if (!log.categoryWritten && !version2.empty()) {
        ReadCategoryLine(version2, e);
        log.categoryWritten = log.version2 = true;
        log.categoryInCapitals = Upper(version2) == version2;
    }
    for (const logfile::CabrilloQso& q : cabrillo.qsos) {
        log.lines.push_back(ReadLine(q, false));
    }
    for (const logfile::CabrilloQso& q : cabrillo.partlyRead) {
        log.lines.push_back(ReadLine(q, true));
    }
    std::sort(log.lines.begin(), log.lines.end(),
              [](const Line& a, const Line& b) { return a.number < b.number; });
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
        PairOutOfBand();
        CountAppearances();
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
            m_result.unreadableLines[log.file] = log.unreadable;
            m_result.partlyReadLines += log.partlyRead;
            m_result.cabrillo2Logs += log.version2;
            m_result.portableLogs +=
                std::any_of(log.lines.begin(), log.lines.end(),
                            [&](const Line& l) { return l.ownCall != log.call; });
        }
        return std::move(m_result);
    }

  private:
    // Of the logs of one call: not one of another contest while one of this
    // contest (CONTEST: in any case) or without CONTEST: is there; of those
    // the newest.
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
            return std::tuple(log.contest == kContest || log.contest.empty(), log.modified,
                              log.file);
        };
        for (auto& [call, logs] : byCall) {
            std::sort(logs.begin(), logs.end(),
                      [&](const Log& a, const Log& b) { return rank(a) > rank(b); });
            for (std::size_t i = 1; i < logs.size(); ++i) {
                m_result.statuses[{logs[i].file, 0}] = "superseded";
                m_result.newerWithoutContest +=
                    logs.front().contest.empty() && logs[i].contest == kContest;
            }
            for (const Line& line : logs.front().lines) {
                const auto [at, added] = m_bySent.emplace(line.ownCall, m_logs.size());
                EXPECT_EQ(at->second, m_logs.size()) << "two logs send " << line.ownCall;
            }
            m_logs.push_back(std::move(logs.front()));
        }
    }

    // The log whose lines send `call`, or null.
    const std::size_t* SenderOf(const std::string& call) const {
        const auto it = m_bySent.find(call);
        return it != m_bySent.end() ? &it->second : nullptr;
    }

    // Pairs of lines that match in all but time: the band, both calls as
    // sent, both exchanges. The same rule counting phone lines or not. Two
    // logs whose pairs are all with each other, each off by the other's
    // error: the one whose lines all lie outside the period, while the
    // other's do not, is corrected; else neither.
    void FindClocks() {
        std::vector<std::set<std::size_t>> partners(m_logs.size());
        for (std::size_t l = 0; l < m_logs.size(); ++l) {
            Log& log = m_logs[l];
            int32_t offsets[2] = {};
            for (const bool cwOnly : {false, true}) {
                std::vector<int64_t> diffs;
                for (const Line& x : log.lines) {
                    const std::size_t* b = SenderOf(x.call);
                    if (x.xQso || x.unreadable || (cwOnly && !x.cw) || b == nullptr) {
                        continue;
                    }
                    for (const Line& y : m_logs[*b].lines) {
                        if (!y.xQso && !y.unreadable && (!cwOnly || y.cw) && y.call == x.ownCall &&
                            y.band == x.band && x.band != logfile::kNoBand &&
                            y.receivedSerial == x.sentSerial &&
                            y.receivedCoordinate == x.sentCoordinate &&
                            x.receivedSerial == y.sentSerial &&
                            x.receivedCoordinate == y.sentCoordinate) {
                            diffs.push_back(x.minute - y.minute);
                            partners[l].insert(*b);
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
        auto outside = [&](const Log& log) {
            return std::all_of(log.lines.begin(), log.lines.end(), [&](const Line& q) {
                return q.minute < m_contest.periodStartMinute ||
                       q.minute >= m_contest.periodEndMinute;
            });
        };
        for (std::size_t a = 0; a < m_logs.size(); ++a) {
            if (partners[a].size() != 1 || m_logs[a].entrant.clockOffset == 0) {
                continue;
            }
            const std::size_t b = *partners[a].begin();
            if (b < a || partners[b] != std::set<std::size_t>{a} ||
                m_logs[b].entrant.clockOffset != -m_logs[a].entrant.clockOffset) {
                continue;
            }
            ++m_result.symmetricClockPairs;
            const bool aOff = outside(m_logs[a]) && !outside(m_logs[b]);
            const bool bOff = outside(m_logs[b]) && !outside(m_logs[a]);
            m_logs[a].entrant.clockOffset *= aOff;
            m_logs[b].entrant.clockOffset *= bOff;
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
                if (q.unreadable) {
                    q.status = "unreadable";
                } else if (q.xQso) {
                    q.status = "x_qso";
                } else if (!q.cw) {
                    q.status = "not_cw";
                } else if (q.minute < m_contest.periodStartMinute ||
                           q.minute >= m_contest.periodEndMinute) {
                    q.status = "out_of_period";
                } else if (q.band == logfile::kNoBand) {
                    q.status = "out_of_band";
                } else if (entry != "ALL" && q.band != own) {
                    q.status = "other_band";
                } else if (!worked.insert({q.call, q.band}).second) {
                    q.status = "dupe";
                }
            }
        }
    }

    // Lines of `log` with `call` within the window, on the band of `q`
    // (any band when `anyBand`): lines out of the period, on other bands and
    // that cannot be read pair too, dupes do not here.
    std::vector<std::size_t> Near(std::size_t log, const std::string& call, const Line& q,
                                  bool anyBand = false) const {
        std::vector<std::size_t> found;
        const std::vector<Line>& lines = m_logs[log].lines;
        for (std::size_t l = 0; l < lines.size(); ++l) {
            const Line& other = lines[l];
            if (other.status != "dupe" && other.Pairs() && other.call == call &&
                (anyBand || (other.band == q.band && q.band != logfile::kNoBand)) &&
                std::llabs(other.minute - q.minute) <= m_window) {
                found.push_back(l);
            }
        }
        return found;
    }

    // `copy`'s copy of what `sent` sent; not judged where that cannot be read.
    static std::string Judge(const Line& copy, const Line& sent) {
        return !sent.sentRead || (sent.sentSerial == copy.receivedSerial &&
                                  sent.sentCoordinate == copy.receivedCoordinate)
                   ? "confirmed"
                   : "busted_exchange";
    }

    void Match() {
        std::set<std::pair<std::size_t, std::size_t>> used;
        for (Log& log : m_logs) {
            for (Line& q : log.lines) {
                const std::size_t* b = SenderOf(q.call);
                if (!q.status.empty() || b == nullptr) {
                    continue;
                }
                const std::vector<std::size_t> found = Near(*b, q.ownCall, q);
                ASSERT_LE(found.size(), 1u) << log.file << " line " << q.number;
                if (found.empty()) {
                    continue;
                }
                ASSERT_TRUE(used.insert({*b, found[0]}).second);
                const Line& sent = m_logs[*b].lines[found[0]];
                q.status = Judge(q, sent);
                m_result.confirmedByOutOfPeriod +=
                    q.status == "confirmed" && sent.status == "out_of_period";
                m_matched.insert({*b, found[0]});
            }
        }
    }

    // A line in no band pairs, after the matches within a band, with the
    // partner's line left unpaired with the two calls within the window.
    void PairOutOfBand() {
        for (std::size_t l = 0; l < m_logs.size(); ++l) {
            for (const Line& o : m_logs[l].lines) {
                const std::size_t* b = SenderOf(o.call);
                if (o.status != "out_of_band" || b == nullptr) {
                    continue;
                }
                std::vector<std::size_t> found = Near(*b, o.ownCall, o, true);
                std::erase_if(found, [&](std::size_t y) {
                    return !m_logs[*b].lines[y].status.empty() || m_matched.contains({*b, y});
                });
                ASSERT_LE(found.size(), 1u) << m_logs[l].file << " line " << o.number;
                if (!found.empty()) {
                    Line& partner = m_logs[*b].lines[found[0]];
                    partner.status = Judge(partner, o);
                    m_matched.insert({*b, found[0]});
                }
            }
        }
    }

    // The logs that hold each call in a CW QSO: line, with every line and
    // again without check logs and lines out of the period or on other
    // bands: the simulator makes both counts decide alike.
    void CountAppearances() {
        for (const Log& log : m_logs) {
            const bool checkLog = log.entrant.categoryOperator == "CHECKLOG";
            std::set<std::string> in;
            std::set<std::string> plainly;
            for (const Line& l : log.lines) {
                if (l.Counts()) {
                    in.insert(l.call);
                    if (!checkLog && l.status != "out_of_period" && l.status != "other_band") {
                        plainly.insert(l.call);
                    }
                }
            }
            for (const std::string& call : in) {
                ++m_appearances[call].first;
            }
            for (const std::string& call : plainly) {
                ++m_appearances[call].second;
            }
        }
    }

    // A call no entrant sent that is in enough logs stands as a station
    // without a log.
    bool Stands(const std::string& call) const {
        const auto it = m_appearances.find(call);
        const int least = m_contest.parameters.minAppearances;
        if (it == m_appearances.end() || m_bySent.contains(call)) {
            return false;
        }
        EXPECT_EQ(it->second.first >= least, it->second.second >= least) << call;
        return it->second.first >= least;
    }

    // A line left unpaired whose call is within two edits of a call an
    // entrant sent, and stands for no station without a log, whose line
    // with our call on the band within the window is unpaired too: paired
    // when we copied that line's exchange as sent.
    void FindBustedCalls() {
        for (Log& log : m_logs) {
            for (Line& q : log.lines) {
                if (!q.status.empty() || m_bySent.contains(q.call)) {
                    continue;
                }
                std::vector<std::string> near;
                for (const auto& [sent, index] : m_bySent) {
                    if (EditDistance(sent, q.call) <= 2) {
                        near.push_back(sent);
                    }
                }
                if (!near.empty() && Stands(q.call)) {
                    m_result.nearCalls.insert(q.call);
                    continue;
                }
                ASSERT_LE(near.size(), 1u) << q.call;
                if (near.empty()) {
                    continue;
                }
                const std::size_t d = m_bySent.at(near[0]);
                std::vector<std::size_t> found = Near(d, q.ownCall, q);
                std::erase_if(found, [&](std::size_t x) {
                    return m_matched.contains({d, x}) || !m_logs[d].lines[x].status.empty();
                });
                ASSERT_LE(found.size(), 1u) << q.call;
                if (found.empty()) {
                    continue;
                }
                Line& partner = m_logs[d].lines[found[0]];
                if (partner.sentSerial == q.receivedSerial &&
                    partner.sentCoordinate == q.receivedCoordinate) {
                    q.status = "busted_call";
                    partner.status = Judge(partner, q) == "confirmed" ? "partner_busted_call"
                                                                      : "busted_exchange";
                }
            }
        }
    }

    // The place the logs that worked a call without a log agree on: copied
    // by two logs or more and by more logs than any other; empty when none
    // is. Counted with every log and again without check logs and lines out
    // of the period or on other bands: the simulator makes both agree.
    std::string AgreedPlace(const std::string& call) const {
        std::string agreed[2];
        for (const bool plainOnly : {false, true}) {
            std::map<std::string, std::set<std::size_t>> logs;
            for (std::size_t l = 0; l < m_logs.size(); ++l) {
                const bool checkLog = m_logs[l].entrant.categoryOperator == "CHECKLOG";
                for (const Line& q : m_logs[l].lines) {
                    if (q.Counts() && q.call == call &&
                        (!plainOnly ||
                         (!checkLog && q.status != "out_of_period" && q.status != "other_band"))) {
                        logs[q.receivedCoordinate].insert(l);
                    }
                }
            }
            std::size_t most = 0;
            std::size_t second = 0;
            for (const auto& [place, by] : logs) {
                if (by.size() > most) {
                    second = most;
                    most = by.size();
                    agreed[plainOnly] = place;
                } else {
                    second = std::max(second, by.size());
                }
            }
            if (most < 2 || most == second) {
                agreed[plainOnly].clear();
            }
        }
        EXPECT_EQ(agreed[0], agreed[1]) << call;
        return agreed[0];
    }

    void DecideTheRest() {
        for (Log& log : m_logs) {
            for (Line& q : log.lines) {
                if (!q.status.empty()) {
                    continue;
                }
                if (m_bySent.contains(q.call)) {
                    q.status = "nil";
                } else if (!Stands(q.call)) {
                    q.status = "unique";
                    m_result.uniqueCalls.insert(q.call);
                } else {
                    const std::string agreed = AgreedPlace(q.call);
                    q.status = agreed.empty() || agreed == q.receivedCoordinate ? "no_log_credited"
                                                                                : "busted_exchange";
                    if (agreed.empty()) {
                        m_result.splitCalls.insert(q.call);
                    }
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
        // The coordinate every readable line sent (a log without one scores
        // nothing from anywhere).
        const auto sent = std::find_if(log.lines.begin(), log.lines.end(),
                                       [](const Line& q) { return !q.unreadable; });
        const Coordinate own =
            sent != log.lines.end() ? ParseCoordinate(sent->sentCoordinate) : Coordinate{};
        const int64_t penalty = int64_t{m_contest.parameters.nilPenalty} * 50 * nils;
        log.entrant.checkedScore =
            std::max<int64_t>(0, ScoreContacts(credited, own).claimedScore - penalty);
    }

    const SimulatedContest& m_contest;
    const int m_window;
    BruteForceResult m_result;
    std::vector<Log> m_logs;
    std::map<std::string, std::size_t> m_bySent;  // by the own call of its lines
    std::set<std::pair<std::size_t, std::size_t>> m_matched;
    // Per call, the logs that hold it: all, and without check logs and
    // lines out of the period or on other bands.
    std::map<std::string, std::pair<int, int>> m_appearances;
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
