// The score kept contact by contact against the score worked out afresh by
// walking the whole log for every group and against the plain form of the
// rules (ScoreContacts), and the fast group ordering against the pairwise
// exchanges that define it.
#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <random>

#include "contest/coordinate.h"
#include "contest/decimal.h"
#include "contest_fixture.h"
#include "plugin/result.h"
#include "scoring/score.h"

namespace zelk::testing {
namespace {

std::string Filled(const std::string& text) {
    return text.size() < 20 ? std::string(20 - text.size(), '0') + text : text;
}

// The ordering exactly as described: for each i, for each later j, swap
// when text i is less than text j once both are zero-filled.
std::vector<std::string> OrderedByExchanges(std::vector<std::string> texts) {
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            if (Filled(texts[i]) < Filled(texts[j])) {
                std::swap(texts[i], texts[j]);
            }
        }
    }
    return texts;
}

std::vector<std::string> Texts(const GroupList& groups) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < groups.Count(); ++i) {
        texts.push_back(groups.At(i));
    }
    return texts;
}

// Texts that are equal once filled ("7", "07", "007", and the 20-character
// "000...07") make ties; the rest spread around them.
const std::vector<std::string> kGroupTexts = {
    "",  "7", "07", "007", "00000000000000000007",     "10",   "0",
    "a", "A", "0a", "14",  "000000000000000000000007", "\xe9", "7 "};

TEST(GroupOrder, IsExactlyWhatThePairwiseExchangesGive) {
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> texts(random() % 12);
        for (std::string& t : texts) {
            t = kGroupTexts[random() % kGroupTexts.size()];
        }
        GroupList groups;
        for (const std::string& t : texts) {
            groups.Append(t);
        }
        OrderGroups(groups);
        ASSERT_EQ(Texts(groups), OrderedByExchanges(texts)) << "round " << round;
    }
}

TEST(GroupOrder, TiesKeepTheOrderTheExchangesLeave) {
    // 3 comes first and is swapped behind, which moves 07 before 7.
    GroupList groups;
    for (const char* g : {"3", "7", "07", "9"}) {
        groups.Append(g);
    }
    OrderGroups(groups);
    EXPECT_EQ(Texts(groups), (std::vector<std::string>{"9", "07", "7", "3"}));
    EXPECT_EQ(Texts(groups), OrderedByExchanges({"3", "7", "07", "9"}));
}

// The score walked out in full, as described, on the log as it stands.
ScoreResult ScoreByWalkingTheLog(const ModuleState& state, const std::vector<std::string>& order) {
    ScoreResult result;
    for (const std::string& group : order) {
        ScoreRow row;
        row.group = group;
        for (std::size_t i = 0; i < state.g_qsoLog.Count(); ++i) {
            const CInfo r = state.g_qsoLog.At(i);
            if (r.m_strGroup != group || r.m_strCall.empty()) {
                continue;
            }
            row.qsos = SaturatingAdd(row.qsos, 1);
            if (r.m_strCall == "ZELK") {
                row.zelk = 300;
            }
            const std::size_t space = r.m_strExchRcvd.find(' ');
            const Coordinate c = ParseCoordinate(
                space == std::string::npos ? r.m_strExchRcvd : r.m_strExchRcvd.substr(space + 1));
            row.lon = SaturatingAdd(row.lon, SaturatingAbsDiff(state.g_stationLong, c.longitude));
            row.lat = SaturatingAdd(row.lat, SaturatingAbsDiff(state.g_stationLat, c.latitude));
            if (c.latitude >= 66) {
                row.polar = 100;
            }
        }
        row.points = SaturatingMul(row.qsos, 50);
        result.rows.push_back(row);
    }
    ScoreTotals& t = result.totals;
    t.qsos = Saturate(static_cast<int64_t>(state.g_qsoLog.Count()));
    for (const ScoreRow& row : result.rows) {
        t.points = SaturatingAdd(t.points, row.points);
        t.lat = SaturatingAdd(t.lat, row.lat);
        t.lon = SaturatingAdd(t.lon, row.lon);
        t.zelk = SaturatingAdd(t.zelk, row.zelk);
        t.polar = SaturatingAdd(t.polar, row.polar);
    }
    result.claimedScore = SaturatingAdd(
        SaturatingAdd(SaturatingAdd(SaturatingAdd(t.points, t.lat), t.lon), t.zelk), t.polar);
    return result;
}

void ExpectSameScore(const ScoreResult& kept, const ScoreResult& walked) {
    ASSERT_EQ(kept.rows.size(), walked.rows.size());
    for (std::size_t i = 0; i < kept.rows.size(); ++i) {
        const ScoreRow& a = kept.rows[i];
        const ScoreRow& b = walked.rows[i];
        EXPECT_EQ(a.group, b.group);
        EXPECT_EQ(std::tie(a.qsos, a.points, a.lat, a.lon, a.zelk, a.polar),
                  std::tie(b.qsos, b.points, b.lat, b.lon, b.zelk, b.polar))
            << "row " << i << " group " << a.group;
    }
    const ScoreTotals& a = kept.totals;
    const ScoreTotals& b = walked.totals;
    EXPECT_EQ(std::tie(a.qsos, a.points, a.lat, a.lon, a.zelk, a.polar),
              std::tie(b.qsos, b.points, b.lat, b.lon, b.zelk, b.polar));
    EXPECT_EQ(kept.claimedScore, walked.claimedScore);
}

// The log's contacts as the plain form takes them; valid until the log changes.
std::vector<ScoredContact> ContactsOf(const QsoLog& log) {
    std::vector<ScoredContact> contacts;
    log.ForEach([&contacts](const QsoView& r) {
        contacts.push_back({r.Call(), r.Group(), r.ExchRcvd()});
    });
    return contacts;
}

class KeptScore : public ContestTest {
  protected:
    // Texts handed to the plug-in must outlive the call.
    std::string_view Keep(std::string text) { return texts.emplace_back(std::move(text)); }

    ContactArgs RandomContact(std::mt19937& random) {
        // Extreme coordinates drive sums past the 32-bit limit; "ZELK",
        // polar latitudes and empty calls come often.
        static const char* const exchanges[] = {
            "001 55N37O",         "014 70N20O",          "012 66S10W", "013 65N10O", "5537",
            "001 55N2147483647O", "002 -9N-2147483648W", "003 99N0O",  "004 NO",     "1255N37O"};
        static const char* const calls[] = {"DL1AA", "DL2BB", "ZELK", "zelk", "", "OH1A"};
        static const char* const groups[] = {"14", "7", "07", "3", "21", ""};
        ContactArgs a = Contact(calls[random() % 6], exchanges[random() % 10], groups[random() % 6],
                                Keep(std::to_string(random() % 3 + 1)));
        a.time = ValidTime(kContactDay + static_cast<double>(random() % 4));
        return a;
    }

    void ExpectKeptScoreIsTheWalkedScore() {
        const std::vector<std::string> order = OrderedByExchanges(Texts(state.g_groupList));
        const ScoreResult kept = ScoreLog(state);
        EXPECT_EQ(Texts(state.g_groupList), order);
        ExpectSameScore(kept, ScoreByWalkingTheLog(state, order));
        ExpectSameScore(
            ScoreContacts(ContactsOf(state.g_qsoLog), state.station(), state.g_groupList), kept);
    }

    std::deque<std::string> texts;
};

TEST_F(KeptScore, EqualsTheScoreOfTheWholeLogAfterEveryChange) {
    const struct {
        const char* station;
        double fallbackLat, fallbackLong;
    } stations[] = {{"50N30O", 0, 0}, {"", -90.0, 2147483647.0}, {"", 1e12, -1e12}};
    for (uint32_t seed : {1u, 2u, 3u}) {
        for (const auto& s : stations) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " station " << s.station << " "
                                              << s.fallbackLat << " " << s.fallbackLong);
            platform.SetSetting("Setup_ZELK", s.station);
            ASSERT_EQ(Reset(0, "UA3ABC", s.fallbackLat, s.fallbackLong), 1);
            std::mt19937 random(seed);
            for (int step = 0; step < 300; ++step) {
                const ContactArgs a = RandomContact(random);
                if (random() % 3 == 0) {
                    RemoveData0(state, a);
                } else {
                    Add(a);
                }
                if (random() % 5 == 0) {
                    ExpectKeptScoreIsTheWalkedScore();
                    if (HasFailure()) {
                        return;
                    }
                }
            }
            ExpectKeptScoreIsTheWalkedScore();
        }
    }
}

// A whole log fed in and scored once, as a host opening a log does: the plain
// form finds the same groups in the same order, ties among them included.
TEST_F(KeptScore, EqualsThePlainScoreOfTheSameContacts) {
    for (const char* station : {"50N30O", "1N2147483647W"}) {
        for (uint32_t seed : {4u, 5u, 6u}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " station " << station);
            platform.SetSetting("Setup_ZELK", station);
            ASSERT_EQ(Reset(), 1);
            std::mt19937 random(seed);
            for (int step = 0; step < 200; ++step) {
                Add(RandomContact(random));
            }
            const ScoreResult plain = ScoreContacts(ContactsOf(state.g_qsoLog), state.station());
            ExpectSameScore(ScoreLog(state), plain);
        }
    }
}

TEST_F(KeptScore, AGroupEmptiedByRemovalsLosesItsBonuses) {
    platform.SetSetting("Setup_ZELK", "50N30O");
    ASSERT_EQ(Reset(), 1);
    Add(Contact("ZELK", "001 70N30O", "14", "1"));
    Add(Contact("DL1AA", "002 50N30O", "14", "2"));
    ScoreResult r = ScoreLog(state);
    EXPECT_EQ(r.rows[0].zelk, 300);
    EXPECT_EQ(r.rows[0].polar, 100);
    RemoveData0(state, Contact("ZELK", "1", "14"));
    r = ScoreLog(state);
    EXPECT_EQ(r.rows[0].zelk, 0);
    EXPECT_EQ(r.rows[0].polar, 0);
    EXPECT_EQ(r.rows[0].qsos, 1);
    RemoveData0(state, Contact("DL1AA", "1", "14"));
    r = ScoreLog(state);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].qsos, 0);
    EXPECT_EQ(r.claimedScore, 0);
}

TEST_F(KeptScore, FollowsAStationChangedBehindItsBack) {
    platform.SetSetting("Setup_ZELK", "50N30O");
    ASSERT_EQ(Reset(), 1);
    Add(Contact("DL1AA", "001 55N37O"));
    EXPECT_EQ(ScoreLog(state).claimedScore, 62);
    state.g_stationLat = 55;
    state.g_stationLong = 37;
    EXPECT_EQ(ScoreLog(state).claimedScore, 50);
}

}  // namespace
}  // namespace zelk::testing
