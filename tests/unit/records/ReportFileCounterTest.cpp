#include "records/ReportFileCounter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>
#include <filesystem>

#include <cstdint>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "dates/DateParser.h"
#include "platform/FileError.h"
#include "progress/JobProgress.h"
#include "records/ReportCounts.h"
#include "tests/support/CountMapView.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using namespace std::string_view_literals;

using KeyCounts = test::KeyTotals;  // key -> (OK, NG)

const std::string kHeader = test::RecordFileText("\r\n").bytes();

// The bytes from a line's start that the in-place line scan reads; a line with
// fewer behind it is read the general way.
constexpr std::size_t kScanWindowBytes = 128;

std::int64_t Sum(const CCountMap& map, std::int64_t OkNg::*result) {
    std::int64_t sum = 0;
    for (const auto& [key, count] : map) {
        sum += count.*result;
    }
    return sum;
}

void ExpectInvariants(const CReportCounts& counts) {
    EXPECT_EQ(Sum(counts.m_settingFiles, &OkNg::ok), counts.m_nOk);
    EXPECT_EQ(Sum(counts.m_machineIds, &OkNg::ok), counts.m_nOk);
    EXPECT_EQ(Sum(counts.m_settingFiles, &OkNg::ng), counts.m_nNg);
    EXPECT_EQ(Sum(counts.m_machineIds, &OkNg::ng), counts.m_nNg);
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return static_cast<std::uint64_t>(info.st_size);
}

DateLocale LocaleWithOrder(DateOrder order) {
    DateLocale locale;
    locale.order = order;
    return locale;
}

// One report day, 2018-05-03, no exclusions, record dates read year first.
class CountReportFileTest : public ::testing::Test {
  protected:
    CountReportFileTest() {
        m_criteria.dtReportStart = OleDate::FromParts(2018, 5, 3);
        m_criteria.dtReportEnd = OleDate::FromParts(2018, 5, 3);
        m_criteria.dateLocale = LocaleWithOrder(DateOrder::YMD);
    }

    // Counts path into m_counts on worker 1 of job.
    bool Count(const std::string& path, JobProgress& job) {
        FileProgress progress(job, 1);
        return CountReportFile(path, m_criteria, progress, m_counts);
    }

    // Writes the header and body as a record file and counts it on the
    // fixture's job, whose worker counter already holds the files counted
    // before; expects a complete count that adds exactly the file's size.
    const CReportCounts& CountText(std::string_view body, std::string_view name = "rec.csv") {
        const std::string path = m_dir.Write(name, std::string(kHeader) + std::string(body));
        // A file at rest: an unterminated last line counts as it stands.
        std::filesystem::last_write_time(
            path, std::filesystem::last_write_time(path) - std::chrono::minutes(1));
        const std::uint64_t before = m_job.ParsedBytes();
        EXPECT_TRUE(Count(path, m_job));
        EXPECT_EQ(m_job.ParsedBytes() - before, FileSize(path));
        ExpectInvariants(m_counts);
        return m_counts;
    }

    // A record file of the header and lines copies of line.
    std::string WriteLines(std::string_view line, std::size_t lines) {
        std::string text(kHeader);
        text.reserve(kHeader.size() + lines * line.size());
        for (std::size_t i = 0; i < lines; ++i) {
            text += line;
        }
        return m_dir.Write("rec.csv", text);
    }

    // Counts path on a thread of its own and calls duringCount on this thread
    // as soon as the count has read its first record line. Returns whether the
    // count ran to the end of the file.
    bool CountWhile(const std::string& path, JobProgress& job,
                    const std::function<void()>& duringCount) {
        bool completed = false;
        std::thread counter([&] { completed = Count(path, job); });
        while (job.ParsedBytes() == 0) {
            std::this_thread::yield();
        }
        duringCount();
        counter.join();
        return completed;
    }

    test::TempDir m_dir;
    ReportCriteria m_criteria;
    JobProgress m_job{2};
    CReportCounts m_counts;
};

TEST_F(CountReportFileTest, CountsOneLine) {
    struct Expected {
        int ok, ng;
        KeyCounts settingFiles, machineIds;
    };
    const Expected skipped{0, 0, {}, {}};
    const struct {
        std::string_view line;
        Expected expected;
    } cases[] = {
        {"2018/05/03 10:00:00,C1,S1,CU,M1,3,OK", {1, 0, {{"S1", {1, 0}}}, {{"M1", {1, 0}}}}},
        {"2018/05/03,C1,S1,CU,M1,3,NG", {0, 1, {{"S1", {0, 1}}}, {{"M1", {0, 1}}}}},
        {"2018/05/03,C1,S1,CU,M1,3,ok", {0, 1, {{"S1", {0, 1}}}, {{"M1", {0, 1}}}}},
        {"2018/05/03,C1,S1,CU,M1,3,Ok", {0, 1, {{"S1", {0, 1}}}, {{"M1", {0, 1}}}}},
        {"2018/05/03,C1,S1,CU,M1,3,OK ", {0, 1, {{"S1", {0, 1}}}, {{"M1", {0, 1}}}}},
        {"2018/05/03,C1,S1,CU,M1,3,OK,more,fields", {1, 0, {{"S1", {1, 0}}}, {{"M1", {1, 0}}}}},
        // An empty slot moves later fields forward: M1 is read as the customer,
        // b as the board, and the result is missing.
        {"2018/05/03,a,S1,,M1,b,OK", {0, 1, {{"S1", {0, 1}}}, {{"b", {0, 1}}}}},
        {",,2018/05/03,C1,S1,CU,M1,3,OK", {1, 0, {{"S1", {1, 0}}}, {{"M1", {1, 0}}}}},
        {"2018/05/03,C1,S1,CU,M1,3", {0, 1, {{"S1", {0, 1}}}, {{"M1", {0, 1}}}}},
        {"2018/05/03,C1,S1,CU,M1", skipped},
        {",,,,,,,,", skipped},
        {"", skipped},
        {"garbage,C1,S1,CU,M1,3,OK", skipped},
        {"2018/05/03 23:59:59,C1,S1,CU,M1,3,OK", {1, 0, {{"S1", {1, 0}}}, {{"M1", {1, 0}}}}},
        {"2018/05/04 00:00:00,C1,S1,CU,M1,3,OK", skipped},
        {"2018/05/02 23:59:59,C1,S1,CU,M1,3,OK", skipped},
        // Keys keep their exact bytes, NUL and bytes >= 0x80 included.
        {"2018/05/03,C1,S\0\xFF,CU,M\x80 ,3,OK"sv,
         {1, 0, {{std::string("S\0\xFF"sv), {1, 0}}}, {{"M\x80 ", {1, 0}}}}},
    };
    // Alone, the line is read the general way; between lines of another day
    // (which count nothing), with a whole scan window after its start, it is
    // read in place where the processor can.
    const std::string otherDay = "2018/05/04 00:00:00,C9,S9,CU,M9,3,OK\n";
    std::string before;
    std::string after;
    while (after.size() < 2 * kScanWindowBytes) {
        after += otherDay;
    }
    before = otherDay + otherDay;
    for (const auto& c : cases) {
        for (const bool amongOthers : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << '"' << c.line << '"' << (amongOthers ? " among other lines" : ""));
            const std::string line = std::string(c.line) + "\n";
            const CReportCounts& counts = CountText(amongOthers ? before + line + after : line);
            EXPECT_EQ(counts.m_nOk, c.expected.ok);
            EXPECT_EQ(counts.m_nNg, c.expected.ng);
            EXPECT_EQ(test::ByKey(counts.m_settingFiles), c.expected.settingFiles);
            EXPECT_EQ(test::ByKey(counts.m_machineIds), c.expected.machineIds);
        }
    }
}

TEST_F(CountReportFileTest, AddsUpKeysAcrossLinesAndLineEnds) {
    // LF and CR LF mixed, keys differing in case or a trailing blank, and a last
    // line without a line end.
    const CReportCounts& counts = CountText(
        "2018/05/03 08:00:00,C1,S1,CU,M1,1,OK\r\n"
        "2018/05/03 08:00:01,C2,S1,CU,M2,1,OK\n"
        "2018/05/03 08:00:02,C3,S1,CU,M1,1,NG\r\n"
        "2018/05/03 08:00:03,C4,s1,CU,M2,1,NG\n"
        "\r\n"
        "2018/05/03 08:00:04,C5,S1 ,CU,M2,1,OK");
    EXPECT_EQ(counts.m_nOk, 3);
    EXPECT_EQ(counts.m_nNg, 2);
    EXPECT_EQ(test::ByKey(counts.m_settingFiles),
              (KeyCounts{{"S1", {2, 1}}, {"s1", {0, 1}}, {"S1 ", {1, 0}}}));
    EXPECT_EQ(test::ByKey(counts.m_machineIds), (KeyCounts{{"M1", {1, 1}}, {"M2", {2, 1}}}));
}

// Lines on a day already read take a shorter way through the date test; each
// must still be judged exactly as on its own.
TEST_F(CountReportFileTest, LinesOnADayAlreadySeenAreJudgedLikeAnyOther) {
    const struct {
        std::string_view day;
        std::string_view dateField;
        bool counted;
    } cases[] = {
        {"2018/05/03", "2018/05/03 24:00:00", false}, {"2018/05/03", "2018/05/03 10:60", false},
        {"2018/05/03", "2018/05/03 10:00:60", false}, {"2018/05/03", "2018/05/03 9:05 PM", true},
        {"2018/05/03", "2018/05/03 1:2:3", true},     {"2018/05/03", "2018/05/03 23:59:59", true},
        {"2018/05/03", "2018/05/03 garbage", false},  {"2018/05/03", "2018-05-03 10:00", true},
        {"2018/05/02", "2018/05/02 23:59:59", false}, {"2018/05/02", "2018/05/03 00:00:00", true},
        {"2018/05/04", "2018/05/04 00:00:00", false}, {"2018/05/04", "2018/05/03 12:00:00", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.day << " then " << c.dateField);
        // The first line puts its day in front; only the second line is NG.
        const CReportCounts& counts =
            CountText(std::string(c.day) + " 12:00:00,C1,S1,CU,M1,3,OK\n" +
                      std::string(c.dateField) + ",C2,S2,CU,M2,3,NG\n");
        const bool firstCounted = c.day == "2018/05/03";
        EXPECT_EQ(counts.m_nOk, firstCounted ? 1 : 0);
        EXPECT_EQ(counts.m_nNg, c.counted ? 1 : 0);
    }
}

TEST_F(CountReportFileTest, EmptyAndHeaderOnlyFiles) {
    // Counts left from an earlier file are dropped at the start.
    m_counts.m_nOk = 7;
    m_counts.m_settingFiles.Slot("old") = {7, 7};

    JobProgress job(2);
    EXPECT_TRUE(Count(m_dir.Write("empty.csv", ""), job));
    EXPECT_EQ(job.ParsedBytes(), 0u);
    EXPECT_EQ(m_counts.m_nOk, 0);
    EXPECT_TRUE(m_counts.m_settingFiles.IsEmpty());

    const CReportCounts& counts = CountText("");
    EXPECT_EQ(m_job.ParsedBytes(), kHeader.size());
    EXPECT_EQ(counts.m_nOk + counts.m_nNg, 0);
}

TEST_F(CountReportFileTest, ExclusionsFilterTheirOwnField) {
    // Each excluded value also stands in another field of a counted line, so a
    // filter applied to the wrong field shows.
    const std::string body =
        "2018/05/03,C1,S1,CU1,M1,3,OK\n"
        "2018/05/03,C2,S2,S1,M2,3,OK\n"
        "2018/05/03,C3,M1,CU2,CU1,3,OK\n";
    const struct {
        CValueSet OptionValues::*set;
        const char* value;
        KeyCounts settingFiles;
    } cases[] = {
        {&OptionValues::settingFiles, "S1", {{"S2", {1, 0}}, {"M1", {1, 0}}}},
        {&OptionValues::machineIds, "M1", {{"S2", {1, 0}}, {"M1", {1, 0}}}},
        {&OptionValues::customers, "CU1", {{"S2", {1, 0}}, {"M1", {1, 0}}}},
        {&OptionValues::customers, "S1", {{"S1", {1, 0}}, {"M1", {1, 0}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        m_criteria.excluded = OptionValues();
        (m_criteria.excluded.*c.set).Insert(c.value);
        const CReportCounts& counts = CountText(body);
        EXPECT_EQ(counts.m_nOk, 2);
        EXPECT_EQ(test::ByKey(counts.m_settingFiles), c.settingFiles);
    }
}

TEST_F(CountReportFileTest, ReadsDatesWithTheCriteriasDateLocale) {
    m_criteria.dateLocale = LocaleWithOrder(DateOrder::DMY);
    EXPECT_EQ(CountText("03/05/2018,C1,S1,CU,M1,3,OK\n").m_nOk, 1);
    m_criteria.dateLocale = LocaleWithOrder(DateOrder::MDY);
    EXPECT_EQ(CountText("03/05/2018,C1,S1,CU,M1,3,OK\n").m_nOk, 0);
}

// A line past the reader's limit is skipped, though it is a record (here
// with a 100 MB cable field): the lines around it count, its bytes count for
// progress, and the file's error says so after the whole file was counted.
TEST_F(CountReportFileTest, HugeLineIsReadAndSkipped) {
    std::string body = "2018/05/03,C1,S1,CU,M1,3,OK\n2018/05/03,";
    body.append(100u << 20, 'x');
    body += ",S9,CU,M9,3,OK\n2018/05/03,C2,S1,CU,M1,3,OK\n";
    const std::string path = m_dir.Write("huge.csv", std::string(kHeader) + body);
    const std::uint64_t before = m_job.ParsedBytes();
    try {
        Count(path, m_job);
        ADD_FAILURE() << "no error for the skipped line";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("huge.csv: 1 line longer than"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(m_job.ParsedBytes() - before, FileSize(path));
    ExpectInvariants(m_counts);
    EXPECT_EQ(m_counts.m_nOk, 2);
    EXPECT_EQ(m_counts.m_nNg, 0);
    EXPECT_EQ(m_counts.m_settingFiles.Size(), 1u);
    EXPECT_FALSE(m_counts.m_machineIds.Contains("M9"));
}

// Lines are read in place while the buffer holds a whole window behind them
// and the general way near its end, across refills and for long lines: a
// file of a few MiB in which kinds of lines stand in seeded order counts as
// its lines do one by one.
TEST_F(CountReportFileTest, ABigFileCountsAsItsLinesDoOneByOne) {
    const std::string kinds[] = {
        "2018/05/03 10:21:07,CBL-1,SET_A01.bin,0A1B,WB-07,3,OK",
        "2018/05/03 10:21:08,CBL-2,SET_B02.bin,0A1B,WB-08,1,OK\r",
        "2018/05/03,CBL-3,SET_A01.bin,7D42,WB-07,2,OK",
        "2018/05/04 00:00:00,CBL-4,SET_A01.bin,0A1B,WB-07,3,OK",
        "2018/05/03 11:00:00,,CBL-5,SET_C03.bin,,0A1B,WB-09,3,OK,",
        "2018/05/03 12:00:00,CBL-6,SET_A01.bin,0A1B,WB-07,3",
        "2018/05/03 12:00:01,CBL-7,SET_A01.bin,0A1B,WB-07,3,OK,x,y,z",
        "2018/05/03 12:00:02,CBL-8," + std::string(70, 'L') + ",0A1B,WB-10,3,OK",
        "2018/05/03 12:00:03,CBL-9,SET_A01.bin,0A1B",
        "",
        "Date,Cable,Setting File,Customer,Board,Count,Result",
    };
    constexpr std::size_t kKinds = std::size(kinds);

    // Each kind alone: what one line of it adds.
    std::vector<CReportCounts> alone(kKinds);
    for (std::size_t k = 0; k < kKinds; ++k) {
        alone[k] = CountText(kinds[k] + "\n", "kind" + std::to_string(k) + ".csv");
    }

    std::mt19937 random(5);
    std::string body;
    std::vector<int> uses(kKinds, 0);
    while (body.size() < (3u << 20)) {
        const std::size_t k = random() % kKinds;
        body += kinds[k];
        body += '\n';
        ++uses[k];
    }
    const CReportCounts& counts = CountText(body, "big.csv");

    std::int64_t ok = 0;
    std::int64_t ng = 0;
    KeyCounts settingFiles;
    KeyCounts machineIds;
    for (std::size_t k = 0; k < kKinds; ++k) {
        ok += uses[k] * alone[k].m_nOk;
        ng += uses[k] * alone[k].m_nNg;
        for (const auto& [key, c] : test::ByKey(alone[k].m_settingFiles)) {
            settingFiles[key].first += uses[k] * c.first;
            settingFiles[key].second += uses[k] * c.second;
        }
        for (const auto& [key, c] : test::ByKey(alone[k].m_machineIds)) {
            machineIds[key].first += uses[k] * c.first;
            machineIds[key].second += uses[k] * c.second;
        }
    }
    EXPECT_GT(ok, 0);
    EXPECT_GT(ng, 0);
    EXPECT_EQ(counts.m_nOk, ok);
    EXPECT_EQ(counts.m_nNg, ng);
    EXPECT_EQ(test::ByKey(counts.m_settingFiles), settingFiles);
    EXPECT_EQ(test::ByKey(counts.m_machineIds), machineIds);
}

TEST_F(CountReportFileTest, FileErrorIsThrownNamingThePathAndCountsNothing) {
    const std::string folder = m_dir.MakeDir("folder");
    const std::string fifo = m_dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = m_dir.path() + "/missing.csv";
    for (const std::string& path : {folder, fifo, missing}) {
        SCOPED_TRACE(path);
        m_counts.m_nNg = 5;
        JobProgress job(2);
        try {
            Count(path, job);
            ADD_FAILURE() << "no file error";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
        EXPECT_EQ(m_counts.m_nNg, 0);
        EXPECT_EQ(job.ParsedBytes(), 0u);
    }
}

TEST_F(CountReportFileTest, CancelBeforeTheFirstRecord) {
    JobProgress job(2);
    job.Cancel();
    EXPECT_FALSE(
        Count(m_dir.Write("rec.csv", std::string(kHeader) + "2018/05/03,C1,S1,CU,M1,3,OK\n"), job));
    EXPECT_EQ(m_counts.m_nOk, 0);
    EXPECT_EQ(job.ParsedBytes(), 0u);  // not even the header
}

// A count that a try ran to its end before the other thread acted shows
// nothing; the file then grows for the next try.
constexpr int kTries = 4;
constexpr std::size_t kFirstTryLines = 1u << 17;
constexpr std::string_view kOkLine = "2018/05/03,C1,S1,CU,M1,3,OK\n";

TEST_F(CountReportFileTest, CancelDuringTheCountKeepsTheCountsOfLinesRead) {
    std::size_t lines = kFirstTryLines;
    for (int tries = 0; tries < kTries; ++tries, lines *= 2) {
        const std::string path = WriteLines(kOkLine, lines);
        JobProgress job(2);
        if (CountWhile(path, job, [&job] { job.Cancel(); })) {
            continue;
        }
        // Stopped between two lines: the progress holds exactly the lines
        // counted.
        EXPECT_GE(m_counts.m_nOk, 1);
        EXPECT_LT(static_cast<std::size_t>(m_counts.m_nOk), lines);
        EXPECT_EQ(m_counts.m_nNg, 0);
        EXPECT_EQ(job.ParsedBytes(),
                  kHeader.size() + static_cast<std::uint64_t>(m_counts.m_nOk) * kOkLine.size());
        ExpectInvariants(m_counts);
        return;
    }
    FAIL() << "no count was stopped by the cancel";
}

TEST_F(CountReportFileTest, ReadsLinesAppendedWhileCounting) {
    std::size_t lines = kFirstTryLines;
    for (int tries = 0; tries < kTries; ++tries, lines *= 2) {
        const std::string path = WriteLines(kOkLine, lines);
        const std::uint64_t sizeBefore = FileSize(path);
        JobProgress job(2);
        // A machine appends two records while the file is counted.
        ASSERT_TRUE(CountWhile(path, job, [&path] {
            std::ofstream out(path, std::ios::binary | std::ios::app);
            out << "2018/05/03,C2,S2,CU,M1,3,NG\n" << kOkLine;
        }));
        if (job.ParsedBytes() == sizeBefore) {
            continue;
        }
        EXPECT_EQ(job.ParsedBytes(), FileSize(path));
        EXPECT_EQ(static_cast<std::size_t>(m_counts.m_nOk), lines + 1);
        EXPECT_EQ(m_counts.m_nNg, 1);
        ExpectInvariants(m_counts);
        return;
    }
    FAIL() << "no count read the appended lines";
}

}  // namespace
}  // namespace qz
