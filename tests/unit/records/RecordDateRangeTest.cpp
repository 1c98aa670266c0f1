#include "records/RecordDateRange.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "dates/DateParser.h"
#include "dates/DayTime.h"
#include "dates/OleDate.h"
#include "progress/JobProgress.h"
#include "records/ReportCounts.h"
#include "records/ReportFileCounter.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

OleDate Valid(double value) {
    return {value, true};
}

OleDate At(int y, int mo, int d, int h, int mi, int s, double extraSeconds = 0.0) {
    OleDate date = OleDate::FromParts(y, mo, d, h, mi, s);
    date.value += extraSeconds * kSecond;
    return date;
}

// Whether record, rounded to the second, lies in the report days.
bool IsInDateRange(const OleDate& start, const OleDate& end, const OleDate& record) {
    DayTime moment;
    return record.ToDayTime(moment) && ReportDays::ForReport(start, end).Contains(moment.day);
}

TEST(DateRangeTest, RangeRunsFromStartDayToEndOfEndDay) {
    // The bounds' times of day do not matter; a one-day range.
    const OleDate start = OleDate::FromParts(2018, 5, 3, 14, 0, 0);
    const OleDate end = OleDate::FromParts(2018, 5, 3, 9, 30, 0);
    const struct {
        OleDate record;
        bool expected;
        const char* what;
    } cases[] = {
        {At(2018, 5, 3, 0, 0, 0), true, "start day 00:00:00"},
        {At(2018, 5, 3, 10, 0, 0), true, "end day 10:00:00"},
        {At(2018, 5, 3, 23, 59, 59), true, "end day 23:59:59"},
        {At(2018, 5, 3, 23, 59, 59, 0.4), true, "0.6 s before the next day"},
        {At(2018, 5, 4, 0, 0, 0, -0.3), false, "0.3 s before the next day rounds to it"},
        {At(2018, 5, 4, 0, 0, 0), false, "next day 00:00:00"},
        {At(2018, 5, 4, 0, 0, 0, 0.3), false, "0.3 s into the next day"},
        {At(2018, 5, 3, 0, 0, 0, -0.3), true, "0.3 s before the start day rounds to it"},
        {At(2018, 5, 2, 23, 59, 59), false, "day before, 23:59:59"},
        {OleDate::Invalid(), false, "an invalid record date"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsInDateRange(start, end, c.record), c.expected) << c.what;
    }
}

TEST(DateRangeTest, RangeBeforeDayZeroAndInvalidBounds) {
    // 1899-12-29: its day number is -1, and -1.25 is its 06:00.
    const OleDate dayBeforeZero = OleDate::FromParts(1899, 12, 29);
    const auto inThatDay = [&](const OleDate& record) {
        return IsInDateRange(dayBeforeZero, dayBeforeZero, record);
    };
    EXPECT_TRUE(inThatDay(Valid(-1.0)));
    EXPECT_TRUE(inThatDay(Valid(-1.25)));
    EXPECT_TRUE(inThatDay(Valid(-1.99)));
    EXPECT_FALSE(inThatDay(Valid(0.0)));
    EXPECT_FALSE(inThatDay(Valid(-2.5)));

    const OleDate record = OleDate::FromParts(2018, 5, 3, 12, 0, 0);
    const OleDate start = OleDate::FromParts(2018, 5, 1);
    const OleDate end = OleDate::FromParts(2018, 5, 31);
    ASSERT_TRUE(IsInDateRange(start, end, record));
    EXPECT_FALSE(IsInDateRange(start, OleDate::Invalid(), record));
    EXPECT_FALSE(IsInDateRange(OleDate::Invalid(), end, record));
}

// The day after 9999-12-31 cannot be written as a date; the last day still
// keeps its records up to 23:59:59.
TEST(DateRangeTest, LastDayADateCanNameKeepsItsRecords) {
    const OleDate start = OleDate::FromParts(2018, 5, 3);
    const OleDate lastDay = OleDate::FromParts(9999, 12, 31, 8, 0, 0);
    EXPECT_TRUE(IsInDateRange(start, lastDay, At(9999, 12, 31, 0, 0, 0)));
    EXPECT_TRUE(IsInDateRange(start, lastDay, At(9999, 12, 31, 23, 59, 59)));
    EXPECT_TRUE(IsInDateRange(start, lastDay, At(2018, 5, 3, 12, 0, 0)));
    EXPECT_FALSE(IsInDateRange(start, lastDay, At(2018, 5, 2, 23, 59, 59)));
    EXPECT_TRUE(IsInDateRange(lastDay, lastDay, At(9999, 12, 31, 12, 0, 0)));
    EXPECT_FALSE(IsInDateRange(lastDay, lastDay, At(9999, 12, 30, 23, 59, 59)));

    const ReportDays days = ReportDays::ForReport(start, lastDay);
    DateLocale locale;
    locale.order = DateOrder::YMD;
    RecordDayReader reader(locale);
    for (const char* text :
         {"9999/12/31 23:59:59", "9999/12/31 00:00:00", "9999-12-31", "9999/12/31 12:30"}) {
        std::int32_t day = 0;
        EXPECT_TRUE(reader.ReadDay(text, day) && days.Contains(day)) << text;
    }
    std::int32_t day = 0;
    ASSERT_TRUE(reader.ReadDay("2018/05/02 23:59:59", day));
    EXPECT_FALSE(days.Contains(day));
}

// The reader's kept day must give what the general parser gives, line after
// line: a kept day with another time, a time that is not valid on the kept
// day, the other separator, other forms and texts that are no date.
TEST(RecordDayReaderTest, AgreesWithTheDateParserLineByLine) {
    for (const DateOrder order : {DateOrder::MDY, DateOrder::DMY, DateOrder::YMD}) {
        DateLocale locale;
        locale.order = order;
        RecordDayReader reader(locale);
        for (const char* text : {
                 "2018/05/03 10:00:00",
                 "2018/05/03 23:59:59",
                 "2018/05/03 24:00:00",
                 "2018/05/03 10:60:00",
                 "2018/05/03 10:00:60",
                 "2018/05/03 9:00:00",
                 "2018/05/03 10:00",
                 "2018/05/03",
                 "2018-05-03 10:00:00",
                 "2018/05/03x10:00:00",
                 "2018/05/03 10:00:0x",
                 "2018/05/03 10.00.00",
                 "2018/02/29 10:00:00",
                 "2016/02/29 10:00:00",
                 "0099/05/03 10:00:00",
                 "05/03/2018 10:00:00",
                 "3 May 2018",
                 "10:00:00",
                 "1899/12/29 06:00:00",
                 "0100/01/01 00:00:00",
                 "9999/12/31 23:59:59",
                 "2018/05/03 10:00:00",
                 "",
                 "garbage",
                 "2018/05/04 00:00:00",
                 "2018/05/03 12:00:00",
             }) {
            DayTime expected;
            const bool isDate = ParseDateText(text, locale).ToDayTime(expected);
            std::int32_t day = -1;
            ASSERT_EQ(reader.ReadDay(text, day), isDate) << text;
            if (isDate) {
                EXPECT_EQ(day, expected.day) << text;
            }
        }
    }
}

// A report from 2018-05-03 to 9999-12-31 counts a file's records of those days.
TEST(DateRangeTest, ReportToTheLastDayCountsItsRecords) {
    test::TempDir dir;
    const std::string path = dir.Write(
        "rec.csv",
        test::RecordFileText("\r\n")
            .Add({.date = "2018/05/02 23:59:59"})
            .Add({.date = "2018/05/03 08:00:00"})
            .Add({.date = "2026/12/10 09:00:00", .result = "NG"})
            .Add({.date = "9999/12/31 23:59:59", .settingFile = "S2", .machineId = "M2"}));
    ReportCriteria criteria;
    criteria.dtReportStart = OleDate::FromParts(2018, 5, 3);
    criteria.dtReportEnd = OleDate::FromParts(9999, 12, 31);
    criteria.dateLocale.order = DateOrder::YMD;
    JobProgress job(1);
    FileProgress progress(job, 0);
    CReportCounts counts;
    ASSERT_TRUE(CountReportFile(path, criteria, progress, counts));
    EXPECT_EQ(counts.m_nOk, 2);
    EXPECT_EQ(counts.m_nNg, 1);
    EXPECT_TRUE(counts.m_settingFiles.Contains("S2"));
}

}  // namespace
}  // namespace qz
