#include "records/DayCounts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "dates/DayTime.h"
#include "dates/OleDate.h"
#include "progress/JobProgress.h"
#include "records/ReportCounts.h"
#include "records/ReportFileCounter.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using std::chrono::year_month_day;
using DayTexts = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;  // OK, NG

const std::string kHeader = test::RecordFileText("\r\n").bytes();

std::string Text(const year_month_day& date, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

// Record files of days that mostly ascend, with some records of other days in
// between, dates in the forms records are written in and in another, results
// OK, NG and missing, and an excluded setting file. expected receives the
// count of the records that lie in first to last and are not excluded, made
// from the calendar dates that the records were written from.
std::vector<std::string> WriteFiles(const test::TempDir& dir, year_month_day first,
                                    year_month_day last, DayTexts& expected) {
    std::mt19937 random(20261210);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::vector<std::string> paths;
    std::chrono::sys_days day = std::chrono::sys_days{std::chrono::year{2018} / 1 / 1};
    for (int file = 0; file < 3; ++file) {
        std::string bytes = kHeader;
        for (int i = 0; i < 4000; ++i) {
            if (pick(40) == 0) {
                day += std::chrono::days{pick(4)};
            }
            const std::chrono::sys_days at =
                pick(30) == 0 ? day - std::chrono::days{pick(90)} : day;
            const year_month_day date{at};
            char time[16];
            std::snprintf(time, sizeof time, " %02d:%02d:%02d", pick(24), pick(60), pick(60));
            std::string text;
            switch (pick(10)) {
                case 0:
                    text = Text(date, "%04d-%02u-%02u") + time;
                    break;
                case 1:
                    text = Text(date, "%04d/%02u/%02u");
                    break;
                case 2:
                    // d.m.yyyy, read by the general parser
                    text = std::to_string(static_cast<unsigned>(date.day())) + "." +
                           std::to_string(static_cast<unsigned>(date.month())) + "." +
                           Text(date, "%04d") + time;
                    break;
                default:
                    text = Text(date, "%04d/%02u/%02u") + time;
            }
            const bool excluded = pick(8) == 0;
            const int result = pick(5);  // 0: NG, 1: no result field, else OK
            bytes += text + ",CB," + (excluded ? "OUT" : "S1") + ",CU,M1,3";
            bytes += result == 0 ? ",NG" : result == 1 ? "" : ",OK";
            bytes += "\r\n";
            if (!excluded && first <= date && date <= last) {
                auto& counts = expected[Text(date, "%04d-%02u-%02u")];
                ++(result >= 2 ? counts.first : counts.second);
            }
        }
        paths.push_back(dir.Write("records-" + std::to_string(file) + ".csv", bytes));
    }
    return paths;
}

DayTexts ByDayText(const CDayCounts& days) {
    DayTexts texts;
    for (const DayCount& count : days.Days()) {
        texts[FormatDay(count.day)] = {count.ok, count.ng};
    }
    return texts;
}

// The counts per day of the report pass and of their merge, against a count
// made from the dates the records were written from.
TEST(DayCountsTest, CountsPerRecordDayMatchARecount) {
    using namespace std::chrono;
    const year_month_day first = year{2018} / 2 / 10;
    const year_month_day last = year{2018} / 12 / 31;
    test::TempDir dir;
    DayTexts expected;
    const std::vector<std::string> paths = WriteFiles(dir, first, last, expected);
    ASSERT_GT(expected.size(), 50u);

    ReportCriteria criteria;
    criteria.dtReportStart = OleDate::FromParts(2018, 2, 10);
    criteria.dtReportEnd = OleDate::FromParts(2018, 12, 31);
    criteria.dateLocale.order = DateOrder::DMY;
    criteria.dateLocale.dateSeparator = '.';
    criteria.excluded.settingFiles.Insert("OUT");
    CReportTotals totals;
    for (const std::string& path : paths) {
        JobProgress job(1);
        FileProgress progress(job, 0);
        CReportCounts counts;
        ASSERT_TRUE(CountReportFile(path, criteria, progress, counts));
        totals.Merge(counts);
    }

    EXPECT_EQ(ByDayText(totals.m_days), expected);
    std::int64_t ok = 0, ng = 0;
    for (std::size_t i = 0; i < totals.m_days.Days().size(); ++i) {
        const DayCount& count = totals.m_days.Days()[i];
        if (i > 0) {
            EXPECT_LT(totals.m_days.Days()[i - 1].day, count.day);
        }
        EXPECT_GT(count.ok + count.ng, 0);
        ok += count.ok;
        ng += count.ng;
    }
    EXPECT_EQ(ok, totals.m_nOk);
    EXPECT_EQ(ng, totals.m_nNg);
}

TEST(DayCountsTest, MergeAddsDayByDayAndClearEmpties) {
    CDayCounts a, b;
    for (const auto& [day, ok] :
         {std::pair{5, true}, {3, false}, {5, false}, {9, true}, {3, true}}) {
        a.Count(day, ok);
    }
    for (const auto& [day, ok] : {std::pair{-2, true}, {5, true}, {7, false}, {12, false}}) {
        b.Count(day, ok);
    }
    EXPECT_EQ(a.Days(), (std::vector<DayCount>{{3, 1, 1}, {5, 1, 1}, {9, 1, 0}}));
    a.Merge(b);
    EXPECT_EQ(a.Days(), (std::vector<DayCount>{
                            {-2, 1, 0}, {3, 1, 1}, {5, 2, 1}, {7, 0, 1}, {9, 1, 0}, {12, 0, 1}}));
    a.Count(7, true);  // counting goes on after a merge
    EXPECT_EQ(a.Days()[3], (DayCount{7, 1, 1}));
    a.Clear();
    EXPECT_TRUE(a.Days().empty());
    a.Count(1, false);
    EXPECT_EQ(a.Days(), (std::vector<DayCount>{{1, 0, 1}}));
}

}  // namespace
}  // namespace qz
