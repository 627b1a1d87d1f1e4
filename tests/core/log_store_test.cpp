// The contest log's record equality, order and searches, and the group list.
#include <gtest/gtest.h>

#include <stdexcept>

#include "log/group_list.h"
#include "log/qso_log.h"

namespace zelk {
namespace {

CInfo Record(std::string call, std::string group = "14", double time = 100.0) {
    CInfo r;
    r.m_strCall = std::move(call);
    r.m_strGroup = std::move(group);
    r.m_strMode = "CW";
    r.m_strExchRcvd = "001 55N37O";
    r.m_strExchSent = "001 50N30O";
    r.m_nFreqKHz = 14025;
    r.m_time.m_dt = time;
    return r;
}

TEST(CInfo, StartsWithTheReservedValues) {
    CInfo r;
    EXPECT_EQ(r.m_nReserved1, 0);
    EXPECT_EQ(r.m_nReserved2, -1);
    EXPECT_EQ(r.m_nReserved5, -1);
    EXPECT_EQ(r.m_nReserved6, 0);
    EXPECT_EQ(r.m_time.m_status, DateTimeStatus::Valid);
    EXPECT_EQ(r.m_time.m_dt, 0.0);
}

TEST(CInfo, EqualityComparesEveryFieldButTheLast) {
    const CInfo base = Record("DL1AA");
    CInfo other = base;
    other.m_nReserved6 = 42;
    EXPECT_EQ(base, other);

    auto differs = [&](auto change) {
        CInfo r = base;
        change(r);
        return !(r == base);
    };
    EXPECT_TRUE(differs([](CInfo& r) { r.m_strCall = "dl1aa"; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_strAux1 = "x"; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_strAux2 = "x"; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_strRstRcvd = "579"; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_strExchSent = "002 50N30O"; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_strReserved2 = "x"; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_nFreqKHz = 7000; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_nReserved1 = 1; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_nReserved4 = 0; }));
    EXPECT_TRUE(differs([](CInfo& r) { r.m_time.m_dt = 100.5; }));
}

TEST(CInfo, TimesDecideEqualityByStatus) {
    CInfo a = Record("DL1AA"), b = Record("DL1AA");
    a.m_time.m_status = b.m_time.m_status = DateTimeStatus::Invalid;
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a == a);
    a.m_time = {1.0, DateTimeStatus::Null};
    b.m_time = {2.0, DateTimeStatus::Null};
    EXPECT_TRUE(a == b);
}

TEST(CInfo, AssignmentKeepsTheTargetsLastField) {
    CInfo source = Record("DL1AA");
    source.m_nReserved6 = 5;
    CInfo target;
    target.m_nReserved6 = 9;
    target = source;
    EXPECT_EQ(target.m_strCall, "DL1AA");
    EXPECT_EQ(target.m_nReserved6, 9);
}

TEST(QsoLog, RemovalKeepsTheOrderOfTheOthers) {
    QsoLog log;
    log.Append(Record("A"));
    log.Append(Record("B"));
    log.Append(Record("C"));
    log.RemoveAt(0);
    ASSERT_EQ(log.Count(), 2u);
    EXPECT_EQ(log.At(0).m_strCall, "B");
    EXPECT_EQ(log.At(1).m_strCall, "C");
    EXPECT_THROW(log.At(2), std::invalid_argument);
    EXPECT_THROW(log.RemoveAt(5), std::invalid_argument);
}

TEST(QsoLog, SearchesFindTheFirstInLogOrder) {
    QsoLog log;
    log.Append(Record("A", "14", 1.0));
    log.Append(Record("B", "14", 2.0));
    log.Append(Record("A", "14", 3.0));
    EXPECT_EQ(log.FindByKey("A", "CW", "14"), 0u);
    EXPECT_EQ(log.FindByKey("a", "CW", "14"), std::nullopt);
    EXPECT_EQ(log.FindByKey("A", "CW", "7"), std::nullopt);
    EXPECT_EQ(log.FindEqual(Record("A", "14", 3.0)), 2u);
    EXPECT_EQ(log.FindEqual(Record("A", "14", 4.0)), std::nullopt);
    log.Empty();
    EXPECT_EQ(log.Count(), 0u);
}

TEST(GroupList, MembershipIsExactAndOrderIsKept) {
    GroupList groups;
    groups.Append("14");
    groups.Append("abc");
    EXPECT_TRUE(groups.Contains("abc"));
    EXPECT_FALSE(groups.Contains("ABC"));
    EXPECT_FALSE(groups.Contains("14 "));
    groups.ReplaceAt(0, "7");
    EXPECT_EQ(groups.At(0), "7");
    EXPECT_EQ(groups.At(1), "abc");
    EXPECT_THROW(groups.At(2), std::invalid_argument);
}

}  // namespace
}  // namespace zelk
