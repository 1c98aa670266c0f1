#include <gtest/gtest.h>

#include <array>

#include "DateTestSupport.h"
#include "dates/OleDate.h"

namespace qz::test {
namespace {

struct PartsCase {
    int y, mo, d, h, mi, s;
    double value;
};

// Day numbers around day 0 and at both ends of the range; before day 0 the
// time of day counts forward from the (negative) day number.
constexpr PartsCase kPartsCases[] = {
    {1899, 12, 30, 0, 0, 0, 0.0},     {1899, 12, 30, 6, 0, 0, 0.25},
    {1899, 12, 31, 18, 0, 0, 1.75},   {1899, 12, 29, 0, 0, 0, -1.0},
    {1899, 12, 29, 6, 0, 0, -1.25},   {1899, 12, 28, 18, 0, 0, -2.75},
    {1900, 1, 1, 0, 0, 0, 2.0},       {1900, 3, 1, 0, 0, 0, 61.0},
    {1800, 1, 1, 12, 0, 0, -36522.5}, {2018, 5, 3, 10, 0, 0, 43223.0 + 10.0 / 24},
    {100, 1, 1, 0, 0, 0, -657434.0},  {9999, 12, 31, 23, 59, 59, 2958465.0 + 86399.0 / 86400},
};

TEST(OleDate, FromPartsAndGetPartsRoundTrip) {
    for (const PartsCase& c : kPartsCases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.mo << "-" << c.d << " " << c.h << ":"
                                        << c.mi << ":" << c.s);
        const OleDate date = OleDate::FromParts(c.y, c.mo, c.d, c.h, c.mi, c.s);
        ASSERT_TRUE(date.valid);
        EXPECT_NEAR(date.value, c.value, 1e-9);
        int y, mo, d, h, mi, s;
        ASSERT_TRUE(date.GetParts(y, mo, d, h, mi, s));
        EXPECT_EQ((std::array{y, mo, d, h, mi, s}), (std::array{c.y, c.mo, c.d, c.h, c.mi, c.s}));
    }
}

TEST(OleDate, FromPartsRejectsPartsOutOfRange) {
    constexpr int kBad[][6] = {
        {99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}, {2018, 0, 1, 0, 0, 0},
        {2018, 13, 1, 0, 0, 0}, {2018, 1, 0, 0, 0, 0},  {2018, 4, 31, 0, 0, 0},
        {2018, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {2018, 1, 1, 24, 0, 0},
        {2018, 1, 1, 0, 60, 0}, {2018, 1, 1, 0, 0, 60}, {2018, 1, 1, -1, 0, 0},
    };
    for (const auto& p : kBad)
        EXPECT_FALSE(OleDate::FromParts(p[0], p[1], p[2], p[3], p[4], p[5]).valid)
            << p[0] << "-" << p[1] << "-" << p[2] << " " << p[3] << ":" << p[4] << ":" << p[5];
    EXPECT_TRUE(OleDate::FromParts(2000, 2, 29).valid);
    EXPECT_TRUE(OleDate::FromParts(2016, 2, 29).valid);
}

TEST(OleDate, GetPartsRoundsToTheNearestSecond) {
    const double second = 1.0 / 86400;
    // 10:00:00.4 and 09:59:59.6 are both 10:00:00, before day 0 as after it.
    EXPECT_EQ(ShowDate({43223.0 + 10.0 / 24 + 0.4 * second, true}), "2018-05-03 10:00:00");
    EXPECT_EQ(ShowDate({43223.0 + 10.0 / 24 - 0.4 * second, true}), "2018-05-03 10:00:00");
    EXPECT_EQ(ShowDate({-1.25 - 0.4 * second, true}), "1899-12-29 06:00:00");
    // 23:59:59.6 rounds into the next day: forward in time on either side of day 0.
    EXPECT_EQ(ShowDate({43223.0 + 1 - 0.4 * second, true}), "2018-05-04 00:00:00");
    EXPECT_EQ(ShowDate({-2.0 - (1 - 0.4 * second), true}), "1899-12-29 00:00:00");
    // -0.25 and 0.25 are the same moment.
    EXPECT_EQ(ShowDate({-0.25, true}), "1899-12-30 06:00:00");
}

TEST(OleDate, GetPartsFailsForInvalidAndOutOfRangeValues) {
    int y, mo, d, h, mi, s;
    EXPECT_FALSE(OleDate::Invalid().GetParts(y, mo, d, h, mi, s));
    EXPECT_FALSE((OleDate{43223.0, false}).GetParts(y, mo, d, h, mi, s));
    EXPECT_FALSE((OleDate{2958466.0, true}).GetParts(y, mo, d, h, mi, s));
    EXPECT_FALSE((OleDate{-657435.0, true}).GetParts(y, mo, d, h, mi, s));
    EXPECT_FALSE((OleDate{1e300, true}).GetParts(y, mo, d, h, mi, s));
}

TEST(OleDate, DateOnlyDropsTheTimeOnEitherSideOfDayZero) {
    EXPECT_EQ(OleDate::FromParts(2018, 5, 3, 10).DateOnly().value, 43223.0);
    EXPECT_EQ((OleDate{-1.25, true}).DateOnly().value, -1.0);
    EXPECT_EQ((OleDate{-0.25, true}).DateOnly().value, 0.0);
    EXPECT_TRUE((OleDate{-0.25, true}).DateOnly().valid);
    EXPECT_FALSE(OleDate::Invalid().DateOnly().valid);
}

TEST(OleDate, NextDayKeepsTheTimeOfDay) {
    struct Case {
        double from, to;
    };
    constexpr Case kCases[] = {
        {-1.25, 0.25},  // 1899-12-29 06:00 -> 1899-12-30 06:00
        {-2.75, -1.75}, {-0.25, 1.25}, {0.25, 1.25}, {-1.0, 0.0}, {43223.5, 43224.5},
    };
    for (const Case& c : kCases) {
        const OleDate next = (OleDate{c.from, true}).NextDay();
        EXPECT_TRUE(next.valid) << c.from;
        EXPECT_DOUBLE_EQ(next.value, c.to) << c.from;
    }
    EXPECT_EQ(ShowDate(OleDate::FromParts(2016, 2, 28, 23, 59, 59).NextDay()),
              "2016-02-29 23:59:59");
    EXPECT_EQ(ShowDate(OleDate::FromParts(2018, 12, 31, 10).NextDay()), "2019-01-01 10:00:00");
    EXPECT_FALSE(OleDate::FromParts(9999, 12, 31).NextDay().valid);
    EXPECT_FALSE(OleDate::Invalid().NextDay().valid);
}

}  // namespace
}  // namespace qz::test
