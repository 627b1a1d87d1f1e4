// Scoring: points, distances, bonuses, group order and totals.
#include <gtest/gtest.h>

#include "contest_fixture.h"
#include "plugin/result.h"
#include "scoring/score.h"

#include <deque>

namespace zelk::testing {
namespace {

class ScoreTest : public ContestTest {
  protected:
    void SetUp() override {
        platform.SetSetting("Setup_ZELK", "50N30O");
        ASSERT_EQ(Reset(), 1);
    }
    int serial = 0;
    ContactArgs Numbered(std::string_view call, std::string_view exch, std::string_view group) {
        serials.push_back(std::to_string(++serial));
        return Contact(call, exch, group, serials.back());
    }
    std::deque<std::string> serials;
};

TEST_F(ScoreTest, OneContactScoresPointsAndDistances) {
    Add(Contact("DL1AA", "001 55N37O"));
    const ScoreResult r = ScoreLog(state);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].qsos, 1);
    EXPECT_EQ(r.rows[0].points, 50);
    EXPECT_EQ(r.rows[0].lat, 5);
    EXPECT_EQ(r.rows[0].lon, 7);
    EXPECT_EQ(r.claimedScore, 62);
}

TEST_F(ScoreTest, PolarBonusOncePerGroupFromLatitude66) {
    Add(Numbered("DL1AA", "001 55N37O", "14"));
    Add(Numbered("DL2AA", "014 70N20O", "14"));
    Add(Numbered("DL3AA", "012 66S10W", "14"));
    Add(Numbered("DL4AA", "013 65N10O", "7"));
    const ScoreResult r = ScoreLog(state);
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[0].group, "14");
    EXPECT_EQ(r.rows[0].polar, 100);
    EXPECT_EQ(r.rows[1].polar, 0);
    EXPECT_EQ(r.totals.polar, 100);
}

TEST_F(ScoreTest, ZelkBonusOncePerGroupForTheExactCall) {
    Add(Numbered("ZELK", "001 50N30O", "14"));
    Add(Numbered("ZELK", "002 50N30O", "14"));
    Add(Numbered("ZELK", "003 50N30O", "7"));
    Add(Numbered("zelk", "004 50N30O", "3"));
    Add(Numbered("ZELK/P", "005 50N30O", "3"));
    const ScoreResult r = ScoreLog(state);
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0].zelk, 300);
    EXPECT_EQ(r.rows[1].zelk, 300);
    EXPECT_EQ(r.rows[2].zelk, 0);
    EXPECT_EQ(r.totals.zelk, 600);
}

TEST_F(ScoreTest, HemisphereLettersAreNotSigns) {
    Add(Numbered("DL1AA", "001 55N37O", "14"));
    Add(Numbered("DL2AA", "002 55S37W", "7"));
    const ScoreResult r = ScoreLog(state);
    EXPECT_EQ(r.rows[0].lat, r.rows[1].lat);
    EXPECT_EQ(r.rows[0].lon, r.rows[1].lon);
}

TEST_F(ScoreTest, AnExchangeWithoutSpaceIsAllCoordinate) {
    Add(Contact("DL1AA", "5537"));
    const ScoreResult r = ScoreLog(state);
    EXPECT_EQ(r.rows[0].lat, 5);
    EXPECT_EQ(r.rows[0].lon, 5507);
}

TEST_F(ScoreTest, GroupsComeInDescendingZeroFilledOrder) {
    for (const char* g : {"3", "21", "14", "7"}) {
        Add(Numbered("DL1AA", "001 55N37O", g));
    }
    ScoreLog(state);
    std::vector<std::string> order;
    for (std::size_t i = 0; i < state.g_groupList.Count(); ++i) {
        order.push_back(state.g_groupList.At(i));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"21", "14", "7", "3"}));
}

TEST(OrderGroups, TiesStayWhereTheExchangesLeaveThem) {
    GroupList groups;
    for (const char* g : {"7", "10", "07", "b", "A", "", "007"}) {
        groups.Append(g);
    }
    OrderGroups(groups);
    std::vector<std::string> order;
    for (std::size_t i = 0; i < groups.Count(); ++i) {
        order.push_back(groups.At(i));
    }
    // Filling makes a longer text the larger; "7", "07" and "007" are equal
    // once filled and keep the order the exchanges leave them in.
    EXPECT_EQ(order, (std::vector<std::string>{"10", "b", "A", "7", "07", "007", ""}));
}

TEST_F(ScoreTest, EmptyCallCountsInTotalsButInNoRow) {
    Add(Numbered("", "001 55N37O", "14"));
    Add(Numbered("DL1AA", "002 55N37O", "14"));
    const ScoreResult r = ScoreLog(state);
    EXPECT_EQ(r.rows[0].qsos, 1);
    EXPECT_EQ(r.totals.qsos, 2);
    EXPECT_EQ(r.totals.points, 50);
}

TEST_F(ScoreTest, AGroupEmptiedByRemovalsStillHasARow) {
    Add(Contact("DL1AA", "001 55N37O", "7"));
    RemoveData0(state, Contact("DL1AA", "1", "7"));
    const ScoreResult r = ScoreLog(state);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].qsos, 0);
    EXPECT_EQ(r.rows[0].points, 0);
    EXPECT_EQ(r.claimedScore, 0);
}

TEST_F(ScoreTest, HugeDistancesHoldAtTheLimitInsteadOfWrapping) {
    Add(Numbered("DL1AA", "001 55N2147483647O", "14"));
    Add(Numbered("DL2AA", "002 55N2147483647O", "14"));
    const ScoreResult r = ScoreLog(state);
    EXPECT_EQ(r.rows[0].lon, INT32_MAX);
    EXPECT_EQ(r.totals.lon, INT32_MAX);
    EXPECT_EQ(r.claimedScore, INT32_MAX);
}

// Each contact's share: its own points, the bonus its group first earned
// with it, and the shares of a group adding up to ScoreContacts' row.
TEST(ShareContacts, EachContactsPointsAndTheBonusItFirstEarnedAddUpToTheRows) {
    const Coordinate station{50, 30};
    const std::vector<ScoredContact> contacts = {
        {"DL1AA", "14", "001 55N37O"},  // 50 + 5 + 7
        {"ZELK", "14", "002 50N30O"},   // the ZELK bonus of 14
        {"OH9QJ", "14", "003 69N18O"},  // polar: the polar bonus of 14
        {"ZELK", "14", "004 50N30O"},   // 14 has its ZELK bonus already
        {"UA9AA", "7", "005 70S10W"},   // polar by magnitude: 7's polar bonus
        {"", "7", "006 70N10O"},        // no call: nothing
        {"ZELK", "7", "007 69N30O"},    // ZELK and polar, but 7 is polar already
    };
    const std::vector<std::pair<int32_t, int32_t>> expected = {
        {62, 0}, {50, 300}, {81, 100}, {50, 0}, {90, 100}, {0, 0}, {69, 300}};
    const std::vector<ContactShare> shares = ShareContacts(contacts, station);
    ASSERT_EQ(shares.size(), contacts.size());
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        EXPECT_EQ(std::pair(shares[i].points, shares[i].bonus), expected[i]) << "contact " << i;
    }
    EXPECT_TRUE(shares[1].zelk && !shares[1].polar);
    EXPECT_TRUE(shares[6].zelk && shares[6].polar);

    const ScoreResult result = ScoreContacts(contacts, station);
    for (const ScoreRow& row : result.rows) {
        int64_t points = 0;
        int64_t bonus = 0;
        for (std::size_t i = 0; i < contacts.size(); ++i) {
            if (contacts[i].group == row.group) {
                points += shares[i].points;
                bonus += shares[i].bonus;
            }
        }
        EXPECT_EQ(points, int64_t{row.points} + row.lat + row.lon) << "group " << row.group;
        EXPECT_EQ(bonus, int64_t{row.zelk} + row.polar) << "group " << row.group;
    }
}

}  // namespace
}  // namespace zelk::testing
