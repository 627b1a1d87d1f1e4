// The indexed log against the plain description of the log: a list of
// records searched from the front. Edge cases of the indexes (times that are
// never equal, -0.0, NaN, keys with several records, removals that empty a
// key or compact the log) and a randomised comparison with a plain list.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "log/group_list.h"
#include "log/live_positions.h"
#include "log/qso_log.h"

namespace zelk {
namespace {

CInfo Record(std::string call, OleDateTime time, std::string group = "14") {
    CInfo r;
    r.m_strCall = std::move(call);
    r.m_strGroup = std::move(group);
    r.m_strMode = "CW";
    r.m_strRstRcvd = r.m_strRstSent = "599";
    r.m_strExchRcvd = "001 55N37O";
    r.m_strExchSent = "001 50N30O";
    r.m_nFreqKHz = 14025;
    r.m_time = time;
    return r;
}

OleDateTime Valid(double day) {
    return {day, DateTimeStatus::Valid};
}

// Every field, the time by its bits, so that -0.0 and NaN count too.
void ExpectSameFields(const CInfo& a, const CInfo& b) {
    EXPECT_EQ(a.m_strCall, b.m_strCall);
    EXPECT_EQ(a.m_strAux1, b.m_strAux1);
    EXPECT_EQ(a.m_strAux2, b.m_strAux2);
    EXPECT_EQ(a.m_strGroup, b.m_strGroup);
    EXPECT_EQ(a.m_strMode, b.m_strMode);
    EXPECT_EQ(a.m_strRstRcvd, b.m_strRstRcvd);
    EXPECT_EQ(a.m_strRstSent, b.m_strRstSent);
    EXPECT_EQ(a.m_strExchRcvd, b.m_strExchRcvd);
    EXPECT_EQ(a.m_strExchSent, b.m_strExchSent);
    EXPECT_EQ(a.m_strReserved1, b.m_strReserved1);
    EXPECT_EQ(a.m_strReserved2, b.m_strReserved2);
    EXPECT_EQ(a.m_nFreqKHz, b.m_nFreqKHz);
    EXPECT_EQ(a.m_nReserved1, b.m_nReserved1);
    EXPECT_EQ(a.m_nReserved2, b.m_nReserved2);
    EXPECT_EQ(a.m_nReserved3, b.m_nReserved3);
    EXPECT_EQ(a.m_nReserved4, b.m_nReserved4);
    EXPECT_EQ(a.m_nReserved5, b.m_nReserved5);
    EXPECT_EQ(a.m_time.m_status, b.m_time.m_status);
    EXPECT_EQ(std::memcmp(&a.m_time.m_dt, &b.m_time.m_dt, sizeof(double)), 0);
}

TEST(LogIndex, DuplicatesFollowTheTimeRules) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        OleDateTime stored, candidate;
        bool duplicate;
    } cases[] = {
        {"same valid day", Valid(100.25), Valid(100.25), true},
        {"minus zero is zero", Valid(0.0), Valid(-0.0), true},
        {"zero is minus zero", Valid(-0.0), Valid(0.0), true},
        {"another day", Valid(100.25), Valid(100.2500001), false},
        {"valid NaN never equal", Valid(nan), Valid(nan), false},
        {"invalid never equal",
         {1.0, DateTimeStatus::Invalid},
         {1.0, DateTimeStatus::Invalid},
         false},
        {"error never equal", {1.0, DateTimeStatus::Error}, {1.0, DateTimeStatus::Error}, false},
        {"null equals null whatever the day",
         {1.0, DateTimeStatus::Null},
         {2.0, DateTimeStatus::Null},
         true},
        {"null is not valid", {0.0, DateTimeStatus::Null}, Valid(0.0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QsoLog log;
        log.Append(Record("DL1AA", Valid(5.0)));
        EXPECT_TRUE(log.AppendUnlessStored(Record("DL1AA", c.stored)));
        EXPECT_EQ(log.FindEqual(Record("DL1AA", c.candidate)),
                  c.duplicate ? std::optional<std::size_t>(1) : std::nullopt);
        EXPECT_EQ(log.AppendUnlessStored(Record("DL1AA", c.candidate)), !c.duplicate);
        EXPECT_EQ(log.Count(), c.duplicate ? 2u : 3u);
    }
}

TEST(LogIndex, RecordsComeBackAsStoredMinusZeroAndNaNIncluded) {
    QsoLog log;
    CInfo odd = Record("DL1AA", Valid(-0.0));
    odd.m_strExchRcvd = "0001 55N37O with a long tail";  // longer than a short text
    odd.m_strAux1 = std::string("a\0b", 3);
    odd.m_nReserved3 = 7;
    CInfo nan = Record("DL2BB", Valid(std::numeric_limits<double>::quiet_NaN()));
    log.Append(odd);
    log.Append(nan);
    ExpectSameFields(log.At(0), odd);
    ExpectSameFields(log.At(1), nan);
    EXPECT_TRUE(std::signbit(log.At(0).m_time.m_dt));
    EXPECT_EQ(log.FindEqual(odd), 0u);
}

TEST(LogIndex, RemoveTakesTheFirstOfSeveralAndKeepsTheOthersInOrder) {
    QsoLog log;
    for (double day : {1.0, 2.0, 3.0}) {
        log.Append(Record("A", Valid(day)));
        log.Append(Record("B", Valid(day)));
    }
    EXPECT_TRUE(log.RemoveFirstWithKey("B", "CW", "14"));
    EXPECT_EQ(log.FindByKey("B", "CW", "14"), 2u);  // B at day 2, now third
    log.RemoveAt(0);                                // A at day 1
    EXPECT_EQ(log.FindByKey("A", "CW", "14"), 0u);
    std::vector<std::pair<std::string, double>> left;
    log.ForEach([&](const QsoView& r) { left.emplace_back(r.Call(), r.Time().m_dt); });
    EXPECT_EQ(left, (std::vector<std::pair<std::string, double>>{
                        {"A", 2.0}, {"B", 2.0}, {"A", 3.0}, {"B", 3.0}}));
    // The last of a key goes; then the key is unknown.
    EXPECT_TRUE(log.RemoveFirstWithKey("B", "CW", "14"));
    EXPECT_TRUE(log.RemoveFirstWithKey("B", "CW", "14"));
    EXPECT_FALSE(log.RemoveFirstWithKey("B", "CW", "14"));
    EXPECT_EQ(log.FindByKey("B", "CW", "14"), std::nullopt);
    EXPECT_EQ(log.Count(), 2u);
    // A removed record can be stored again, at the end.
    EXPECT_TRUE(log.AppendUnlessStored(Record("B", Valid(1.0))));
    EXPECT_EQ(log.FindByKey("B", "CW", "14"), 2u);
}

TEST(LogIndex, KeysAndGroupsAreExactBytes) {
    QsoLog log;
    log.Append(Record("DL1AA", Valid(1.0), "14"));
    EXPECT_EQ(log.FindByKey("DL1AA", "CW", "14"), 0u);
    for (auto [call, mode, group] : {std::tuple{"dl1aa", "CW", "14"},
                                     {"DL1AA", "cw", "14"},
                                     {"DL1AA", "CW", "14 "},
                                     {"DL1AA", "CW", ""}}) {
        EXPECT_EQ(log.FindByKey(call, mode, group), std::nullopt) << call << mode << group;
    }
    GroupList groups;
    groups.Append("14");
    groups.Append("7");
    groups.ReplaceAt(0, "21");
    EXPECT_FALSE(groups.Contains("14"));
    EXPECT_TRUE(groups.Contains("21"));
    groups.Reorder({1, 0});
    EXPECT_EQ(groups.At(0), "7");
    EXPECT_TRUE(groups.Contains("7"));
    EXPECT_THROW(groups.Reorder({0, 0}), std::invalid_argument);
}

TEST(LogIndex, ManyRemovalsCompactTheLogWithoutChangingIt) {
    QsoLog log;
    for (int i = 0; i < 1000; ++i) {
        CInfo r = Record("C" + std::to_string(i % 50), Valid(i), std::to_string(i % 3));
        r.m_strExchRcvd = "serial " + std::to_string(i) + " with a text too long to hold";
        log.Append(r);
    }
    for (int i = 999; i >= 0; --i) {
        if (i % 10 != 0) {
            log.RemoveAt(static_cast<std::size_t>(i));
        }
    }
    ASSERT_EQ(log.Count(), 100u);
    for (std::size_t p = 0; p < log.Count(); ++p) {
        const CInfo r = log.At(p);
        EXPECT_EQ(r.m_time.m_dt, static_cast<double>(p * 10));
        EXPECT_EQ(r.m_strExchRcvd,
                  "serial " + std::to_string(p * 10) + " with a text too long to hold");
        EXPECT_EQ(log.FindEqual(r), p);
    }
    EXPECT_EQ(log.FindByKey("C10", "CW", "1"), 1u);  // record 10
    log.Empty();
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(log.FindByKey("C10", "CW", "1"), std::nullopt);
}

class RecordingObserver : public QsoLogObserver {
  public:
    void Appended(const QsoView& r) override { events.push_back("+" + std::string(r.Call())); }
    void Removing(const QsoView& r) override { events.push_back("-" + std::string(r.Call())); }
    void Emptied() override { events.push_back("empty"); }
    std::vector<std::string> events;
};

TEST(LogIndex, TheObserverSeesEveryChangeWithItsRecord) {
    QsoLog log;
    RecordingObserver observer;
    log.SetObserver(&observer);
    log.Append(Record("A", Valid(1.0)));
    log.AppendUnlessStored(Record("A", Valid(1.0)));  // a duplicate changes nothing
    log.AppendUnlessStored(Record("B", Valid(1.0)));
    log.RemoveAt(1);
    log.RemoveFirstWithKey("Z", "CW", "14");
    log.RemoveFirstWithKey("A", "CW", "14");
    log.Empty();
    EXPECT_EQ(observer.events, (std::vector<std::string>{"+A", "+B", "-B", "-A", "empty"}));
}

TEST(LivePositions, RankAndSelectFollowTheLiveSlots) {
    std::mt19937 random(7);
    LivePositions positions;
    std::vector<std::size_t> live;  // the live slots, in order
    std::size_t slots = 0;
    for (int step = 0; step < 3000; ++step) {
        if (live.empty() || random() % 3 != 0) {
            positions.AppendLive();
            live.push_back(slots++);
        } else {
            const std::size_t at = random() % live.size();
            positions.Kill(live[at]);
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(at));
        }
        ASSERT_EQ(positions.LiveCount(), live.size());
        const std::size_t probe = random() % live.size();
        ASSERT_EQ(positions.Select(probe), live[probe]) << "step " << step;
        ASSERT_EQ(positions.Rank(live[probe]), probe) << "step " << step;
    }
}

// The log as described: a list searched from the front.
struct PlainLog {
    std::vector<CInfo> records;
    std::optional<std::size_t> FindEqual(const CInfo& r) const {
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (records[i] == r) {
                return i;
            }
        }
        return std::nullopt;
    }
    std::optional<std::size_t> FindByKey(const std::string& call, const std::string& mode,
                                         const std::string& group) const {
        for (std::size_t i = 0; i < records.size(); ++i) {
            const CInfo& r = records[i];
            if (r.m_strCall == call && r.m_strMode == mode && r.m_strGroup == group) {
                return i;
            }
        }
        return std::nullopt;
    }
};

// Few distinct values, so that equal records, shared keys and every kind of
// time meet often.
CInfo RandomRecord(std::mt19937& random) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const OleDateTime times[] = {Valid(1.0),
                                 Valid(0.0),
                                 Valid(-0.0),
                                 Valid(nan),
                                 {1.0, DateTimeStatus::Invalid},
                                 {1.0, DateTimeStatus::Error},
                                 {3.0, DateTimeStatus::Null},
                                 {4.0, DateTimeStatus::Null}};
    const char* calls[] = {"A", "B", "a", ""};
    const char* exchanges[] = {"001 55N37O", "002 55N37O", "a received exchange longer than 15",
                               ""};
    auto pick = [&random](const auto& values) { return values[random() % std::size(values)]; };
    CInfo r = Record(pick(calls), pick(times), random() % 2 ? "14" : "7");
    r.m_strMode = random() % 8 ? "CW" : "cw";
    r.m_strExchRcvd = pick(exchanges);
    r.m_nFreqKHz = static_cast<int32_t>(random() % 2);
    if (random() % 8 == 0) {
        r.m_nReserved2 = 0;
    }
    if (random() % 8 == 0) {
        r.m_strReserved2 = "x";
    }
    return r;
}

TEST(LogIndex, BehavesLikeAPlainListUnderRandomChanges) {
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        QsoLog log;
        PlainLog plain;
        for (int step = 0; step < 4000; ++step) {
            // Phases that grow the log and phases that shrink it, so that it
            // compacts again and again.
            const bool growing = (step / 500) % 2 == 0;
            const CInfo r = RandomRecord(random);
            switch (random() % 6) {
                case 0:
                case 1:
                    if (growing || plain.records.empty()) {
                        const bool stored = !plain.FindEqual(r).has_value();
                        ASSERT_EQ(log.AppendUnlessStored(r), stored) << "step " << step;
                        if (stored) {
                            plain.records.push_back(r);
                        }
                    } else {
                        const std::size_t at = random() % plain.records.size();
                        log.RemoveAt(at);
                        plain.records.erase(plain.records.begin() +
                                            static_cast<std::ptrdiff_t>(at));
                    }
                    break;
                case 2:
                    if (growing) {
                        log.Append(r);  // equal records may then be stored twice
                        plain.records.push_back(r);
                    }
                    break;
                case 3: {
                    const auto at = plain.FindByKey(r.m_strCall, r.m_strMode, r.m_strGroup);
                    ASSERT_EQ(log.RemoveFirstWithKey(r.m_strCall, r.m_strMode, r.m_strGroup),
                              at.has_value());
                    if (at) {
                        plain.records.erase(plain.records.begin() +
                                            static_cast<std::ptrdiff_t>(*at));
                    }
                    break;
                }
                case 4:
                    ASSERT_EQ(log.FindEqual(r), plain.FindEqual(r)) << "step " << step;
                    break;
                default:
                    ASSERT_EQ(log.FindByKey(r.m_strCall, r.m_strMode, r.m_strGroup),
                              plain.FindByKey(r.m_strCall, r.m_strMode, r.m_strGroup))
                        << "step " << step;
            }
            ASSERT_EQ(log.Count(), plain.records.size());
        }
        for (std::size_t i = 0; i < plain.records.size(); ++i) {
            ExpectSameFields(log.At(i), plain.records[i]);
        }
        EXPECT_THROW(log.At(plain.records.size()), std::invalid_argument);
    }
}

}  // namespace
}  // namespace zelk
