#include "dates/DayTime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "dates/OleDate.h"

namespace qz {
namespace {

// The common form's reader against the calendar parts it stands for; texts of
// the wrong shape or with a part out of range are no common form.
TEST(DayTimeTest, ReadsTheCommonFormsAsTheirParts) {
    const struct {
        const char* text;
        int y, mo, d, h, mi, s;
    } dates[] = {
        {"2018/05/03 10:20:30", 2018, 5, 3, 10, 20, 30},
        {"2018-05-03 23:59:59", 2018, 5, 3, 23, 59, 59},
        {"2018/05/03 10:20", 2018, 5, 3, 10, 20, 0},
        {"2018/05/03", 2018, 5, 3, 0, 0, 0},
        {"1899/12/29 06:00:00", 1899, 12, 29, 6, 0, 0},
        {"0100/01/01", 100, 1, 1, 0, 0, 0},
        {"9999/12/31 23:59:59", 9999, 12, 31, 23, 59, 59},
        {"2016/02/29 00:00:00", 2016, 2, 29, 0, 0, 0},
        {"2000/02/29", 2000, 2, 29, 0, 0, 0},
    };
    for (const auto& c : dates) {
        DayTime moment;
        ASSERT_TRUE(ReadCommonDateTime(c.text, moment)) << c.text;
        DayTime expected;
        ASSERT_TRUE(OleDate::FromParts(c.y, c.mo, c.d, c.h, c.mi, c.s).ToDayTime(expected));
        EXPECT_EQ(moment.day, expected.day) << c.text;
        EXPECT_EQ(moment.second, c.h * 3600 + c.mi * 60 + c.s) << c.text;
    }
    for (const char* text :
         {"", "2018/05/03 ", "2018/05/03 10:20:3", "2018/05-03", "2018.05.03", "0099/05/03",
          "2018/13/03", "2018/00/03", "2018/04/31", "1900/02/29", "2018/05/00", "2018/05/03 24:00",
          "2018/05/03 10:60", "2018/05/03 23:59:60", "2018/05/03T10:20:30", "2018/05/03 10-20-30",
          "2018/05/03 1a:20:30", "+018/05/03"}) {
        DayTime moment;
        EXPECT_FALSE(ReadCommonDateTime(text, moment)) << text;
    }
}

TEST(DayTimeTest, DayNumbersAndTheirText) {
    const struct {
        std::int32_t day;
        const char* text;
    } days[] = {
        {0, "1899-12-30"},
        {-1, "1899-12-29"},
        {1, "1899-12-31"},
        {61, "1900-03-01"},
        {43223, "2018-05-03"},
        {kFirstDayNumber, "0100-01-01"},
        {kLastDayNumber, "9999-12-31"},
        {kFirstDayNumber - 1, ""},
        {kLastDayNumber + 1, ""},
    };
    for (const auto& c : days) {
        EXPECT_EQ(FormatDay(c.day), c.text) << c.day;
    }
    // Every day of a span around day 0 and of a leap-year change of century
    // reads back from its text.
    for (const std::int32_t from : {-800, 36000}) {
        for (std::int32_t day = from; day < from + 1600; ++day) {
            std::string text = FormatDay(day);
            text[4] = text[7] = '/';
            DayTime moment;
            ASSERT_TRUE(ReadCommonDateTime(text, moment)) << text;
            EXPECT_EQ(moment.day, day) << text;
        }
    }
}

// The OLE date's day and second, rounded to the nearest second as its
// calendar parts are; before day 0 the fraction counts forward.
TEST(DayTimeTest, OleDateToDayTimeAndBack) {
    const double second = 1.0 / 86400.0;
    const struct {
        double value;
        std::int32_t day, second;
    } cases[] = {
        {0.0, 0, 0},
        {0.25, 0, 21600},
        {-1.25, -1, 21600},
        {43223.0 + 86399.4 * second, 43223, 86399},
        {43224.0 - 0.4 * second, 43224, 0},
        {-2.0 - 86399.6 * second, -1, 0},
    };
    for (const auto& c : cases) {
        DayTime moment;
        ASSERT_TRUE((OleDate{c.value, true}).ToDayTime(moment)) << c.value;
        EXPECT_EQ(moment.day, c.day) << c.value;
        EXPECT_EQ(moment.second, c.second) << c.value;
    }
    DayTime moment;
    EXPECT_FALSE(OleDate::Invalid().ToDayTime(moment));
    EXPECT_FALSE((OleDate{kLastDayNumber + 1.0, true}).ToDayTime(moment));
    EXPECT_FALSE((OleDate{kFirstDayNumber - 1.0, true}).ToDayTime(moment));

    const OleDate date = OleDate::FromDayTime({-1, 21600});
    EXPECT_EQ(date.value, -1.25);
    EXPECT_TRUE(date.valid);
}

}  // namespace
}  // namespace qz
