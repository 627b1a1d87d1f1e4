// Contact and contest times: conversion, text forms and equality.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "contest/ole_date_time.h"

namespace zelk {
namespace {

OleDateTime Valid(double d) {
    return OleDateTime{d, DateTimeStatus::Valid};
}

TEST(OleDateTime, FormatsTheCalendarDateTimeWithTheRoundingAndRangeOfThePlatform) {
    struct Case {
        double day;
        const char* expected;
    } cases[] = {
        {0.0, "1899-12-30 0000"},
        {43597.0 + (8 * 60 + 12) / 1440.0, "2019-05-12 0812"},
        {-1.25, "1899-12-29 0600"},
        {-0.25, "1899-12-30 0600"},
        {1.0 + 59.5 / 86400.0, "1899-12-31 0001"},   // half a second rounds up
        {1.0 + 59.49 / 86400.0, "1899-12-31 0000"},  // less stays
        {2.0 - 0.4 / 86400.0, "1900-01-01 0000"},    // rounds into the next day
        {-657434.0, "0100-01-01 0000"},
        {2958465.0 + 86399.0 / 86400.0, "9999-12-31 2359"},
        {2958465.0 + 86399.9 / 86400.0, "Invalid DateTime"},  // rounds past the last day
        {2958466.0, "Invalid DateTime"},
        {-657434.5, "0100-01-01 1200"},  // a negative count's fraction counts forward
        {-657435.0, "Invalid DateTime"},
        {1.0 + 59.5 / 86400.0 - 1e-12, "1899-12-31 0001"},  // meant as the half second
        {std::numeric_limits<double>::quiet_NaN(), "Invalid DateTime"},
        {std::numeric_limits<double>::infinity(), "Invalid DateTime"},
        {-std::numeric_limits<double>::infinity(), "Invalid DateTime"},
        {1e300, "Invalid DateTime"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDateTime(Valid(c.day), "%Y-%m-%d %H%M"), c.expected) << c.day;
    }
}

TEST(OleDateTime, StatusDecidesTheTextBeforeTheValue) {
    EXPECT_EQ(FormatDateTime({43600.5, DateTimeStatus::Null}, "%d.%m.%Y"), "");
    EXPECT_EQ(FormatDateTime({43600.5, DateTimeStatus::Invalid}, "%d.%m.%Y"), "Invalid DateTime");
    EXPECT_EQ(FormatDateTime({43600.5, DateTimeStatus::Error}, "%d.%m.%Y"), "Invalid DateTime");
    EXPECT_EQ(FormatDateTime(Valid(43600.5), "%d.%m.%Y"), "15.05.2019");
}

TEST(OleDateTime, HostValuesWithUnknownStatusOrNullPointerAreNotValid) {
    EXPECT_EQ(OleDateTime::FromHost(nullptr).m_status, DateTimeStatus::Null);
    ZelkOleDateTime odd{1.0, 7};
    EXPECT_EQ(OleDateTime::FromHost(&odd).m_status, DateTimeStatus::Error);
    ZelkOleDateTime ok{2.5, kZelkDateTimeValid};
    EXPECT_EQ(OleDateTime::FromHost(&ok).m_dt, 2.5);
}

TEST(OleDateTime, FromCalendarIsTheInverseOfToCalendar) {
    for (double day : {0.0, 0.5, 43597.0 + 492.0 / 1440.0, -1.25, -657434.0, 2958465.75}) {
        const auto calendar = ToCalendar(day);
        ASSERT_TRUE(calendar);
        EXPECT_NEAR(FromCalendar(*calendar), day, 1e-9) << day;
    }
}

TEST(OleDateTime, EqualityFollowsTheStatus) {
    EXPECT_TRUE(TimesEqual(Valid(0.0), Valid(-0.0)));
    EXPECT_FALSE(TimesEqual(Valid(1.0), Valid(1.0 + 1e-12)));
    EXPECT_TRUE(TimesEqual({1.0, DateTimeStatus::Null}, {2.0, DateTimeStatus::Null}));
    EXPECT_FALSE(TimesEqual({1.0, DateTimeStatus::Invalid}, {1.0, DateTimeStatus::Invalid}));
    EXPECT_FALSE(TimesEqual({1.0, DateTimeStatus::Error}, {1.0, DateTimeStatus::Error}));
    EXPECT_FALSE(TimesEqual(Valid(1.0), {1.0, DateTimeStatus::Null}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(TimesEqual(Valid(nan), Valid(nan)));
}

}  // namespace
}  // namespace zelk
