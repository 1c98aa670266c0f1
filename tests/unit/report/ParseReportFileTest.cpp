#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "dates/DateParser.h"
#include "records/RecordParser.h"
#include "records/ReportCounts.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using namespace std::string_view_literals;

using KeyCounts = std::map<std::string, std::pair<int, int>>;  // key -> (OK, NG)

constexpr std::string_view kHeader = "Date,Cable,Setting File,Customer,Board,Count,Result\r\n";

// The keys of one dimension with their OK and NG counts; fails the test when
// the two maps do not hold the same keys.
KeyCounts Dimension(const CCountMap& ok, const CCountMap& ng) {
    KeyCounts keys;
    for (const auto& [key, count] : ok) {
        const std::int32_t* other = ng.Find(key);
        EXPECT_NE(other, nullptr) << "key only in the OK map: " << key;
        keys[key] = {count, other ? *other : -1};
    }
    for (const auto& [key, count] : ng) {
        EXPECT_TRUE(ok.Contains(key)) << "key only in the NG map: " << key;
    }
    return keys;
}

int Sum(const CCountMap& map) {
    int sum = 0;
    for (const auto& [key, count] : map) {
        sum += count;
    }
    return sum;
}

void ExpectInvariants(const CReportCounts& counts) {
    EXPECT_EQ(Sum(counts.m_settingFileOk), counts.m_nOk);
    EXPECT_EQ(Sum(counts.m_machineIdOk), counts.m_nOk);
    EXPECT_EQ(Sum(counts.m_settingFileNg), counts.m_nNg);
    EXPECT_EQ(Sum(counts.m_machineIdNg), counts.m_nNg);
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return static_cast<std::uint64_t>(info.st_size);
}

class ParseReportFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_savedLocale = GetRecordDateLocale();
        DateLocale locale;
        locale.order = DateOrder::YMD;
        SetRecordDateLocale(locale);
        g_dtReportStart = OleDate::FromParts(2018, 5, 3);
        g_dtReportEnd = OleDate::FromParts(2018, 5, 3);
        ClearExclusions();
        g_cancelEvent.ResetEvent();
        g_parsedBytes = 0;
    }
    void TearDown() override {
        SetRecordDateLocale(m_savedLocale);
        ClearExclusions();
        g_cancelEvent.ResetEvent();
        g_parsedBytes = 0;
    }

    static void ClearExclusions() {
        g_excludedSettingFiles.RemoveAll();
        g_excludedMachineIds.RemoveAll();
        g_excludedCustomers.RemoveAll();
    }

    // Hands path to a fresh worker as the pool does and parses it.
    void Parse(const std::string& path) {
        m_worker.m_nMode = kModeReport;
        m_worker.m_pszPath = std::make_unique<std::string>(path);
        m_worker.m_idleEvent.ResetEvent();
        ParseReportFile(m_worker);
    }

    // Writes the header and body as a record file and parses it; expects a
    // complete parse.
    const CReportCounts& ParseText(std::string_view body, std::string_view name = "rec.csv") {
        const std::string path = m_dir.Write(name, std::string(kHeader) + std::string(body));
        g_parsedBytes = 0;
        Parse(path);
        EXPECT_EQ(g_parsedBytes.load(), FileSize(path));
        EXPECT_TRUE(m_worker.m_idleEvent.IsSet());
        EXPECT_EQ(m_worker.m_pszPath, nullptr);
        ExpectInvariants(m_worker.m_counts);
        return m_worker.m_counts;
    }

    test::TempDir m_dir;
    test::MessageBoxRecorder m_messages;
    CParseWorker m_worker;
    DateLocale m_savedLocale;
};

TEST_F(ParseReportFileTest, CountsOneLine) {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.line << '"');
        const CReportCounts& counts = ParseText(std::string(c.line) + "\n");
        EXPECT_EQ(counts.m_nOk, c.expected.ok);
        EXPECT_EQ(counts.m_nNg, c.expected.ng);
        EXPECT_EQ(Dimension(counts.m_settingFileOk, counts.m_settingFileNg),
                  c.expected.settingFiles);
        EXPECT_EQ(Dimension(counts.m_machineIdOk, counts.m_machineIdNg), c.expected.machineIds);
    }
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(ParseReportFileTest, AddsUpKeysAcrossLinesAndLineEnds) {
    // LF and CR LF mixed, keys differing in case or a trailing blank, and a last
    // line without a line end.
    const CReportCounts& counts = ParseText(
        "2018/05/03 08:00:00,C1,S1,CU,M1,1,OK\r\n"
        "2018/05/03 08:00:01,C2,S1,CU,M2,1,OK\n"
        "2018/05/03 08:00:02,C3,S1,CU,M1,1,NG\r\n"
        "2018/05/03 08:00:03,C4,s1,CU,M2,1,NG\n"
        "\r\n"
        "2018/05/03 08:00:04,C5,S1 ,CU,M2,1,OK");
    EXPECT_EQ(counts.m_nOk, 3);
    EXPECT_EQ(counts.m_nNg, 2);
    EXPECT_EQ(Dimension(counts.m_settingFileOk, counts.m_settingFileNg),
              (KeyCounts{{"S1", {2, 1}}, {"s1", {0, 1}}, {"S1 ", {1, 0}}}));
    EXPECT_EQ(Dimension(counts.m_machineIdOk, counts.m_machineIdNg),
              (KeyCounts{{"M1", {1, 1}}, {"M2", {2, 1}}}));
}

// Lines on a day already read take a shorter way through the date test; each
// must still be judged exactly as on its own.
TEST_F(ParseReportFileTest, LinesOnADayAlreadySeenAreJudgedLikeAnyOther) {
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
            ParseText(std::string(c.day) + " 12:00:00,C1,S1,CU,M1,3,OK\n" +
                      std::string(c.dateField) + ",C2,S2,CU,M2,3,NG\n");
        const bool firstCounted = c.day == "2018/05/03";
        EXPECT_EQ(counts.m_nOk, firstCounted ? 1 : 0);
        EXPECT_EQ(counts.m_nNg, c.counted ? 1 : 0);
    }
}

TEST_F(ParseReportFileTest, EmptyAndHeaderOnlyFiles) {
    // Counts left from an earlier file are dropped at the start.
    m_worker.m_counts.m_nOk = 7;
    m_worker.m_counts.m_settingFileOk.Slot("old") = 7;

    const std::string empty = m_dir.Write("empty.csv", "");
    Parse(empty);
    EXPECT_EQ(g_parsedBytes.load(), 0u);
    EXPECT_TRUE(m_worker.m_idleEvent.IsSet());
    EXPECT_EQ(m_worker.m_pszPath, nullptr);
    EXPECT_EQ(m_worker.m_counts.m_nOk, 0);
    EXPECT_TRUE(m_worker.m_counts.m_settingFileOk.IsEmpty());

    const CReportCounts& counts = ParseText("");
    EXPECT_EQ(g_parsedBytes.load(), kHeader.size());
    EXPECT_EQ(counts.m_nOk + counts.m_nNg, 0);
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(ParseReportFileTest, ExclusionsFilterTheirOwnField) {
    // Each excluded value also stands in another field of a counted line, so a
    // filter applied to the wrong field shows.
    const std::string body =
        "2018/05/03,C1,S1,CU1,M1,3,OK\n"
        "2018/05/03,C2,S2,S1,M2,3,OK\n"
        "2018/05/03,C3,M1,CU2,CU1,3,OK\n";
    const struct {
        CValueSet* set;
        const char* value;
        KeyCounts settingFiles;
    } cases[] = {
        {&g_excludedSettingFiles, "S1", {{"S2", {1, 0}}, {"M1", {1, 0}}}},
        {&g_excludedMachineIds, "M1", {{"S2", {1, 0}}, {"M1", {1, 0}}}},
        {&g_excludedCustomers, "CU1", {{"S2", {1, 0}}, {"M1", {1, 0}}}},
        {&g_excludedCustomers, "S1", {{"S1", {1, 0}}, {"M1", {1, 0}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ClearExclusions();
        c.set->Insert(c.value);
        const CReportCounts& counts = ParseText(body);
        EXPECT_EQ(counts.m_nOk, 2);
        EXPECT_EQ(Dimension(counts.m_settingFileOk, counts.m_settingFileNg), c.settingFiles);
    }
}

TEST_F(ParseReportFileTest, ReadsDatesWithTheRecordDateLocale) {
    DateLocale locale;
    locale.order = DateOrder::DMY;
    SetRecordDateLocale(locale);
    EXPECT_EQ(ParseText("03/05/2018,C1,S1,CU,M1,3,OK\n").m_nOk, 1);
    locale.order = DateOrder::MDY;
    SetRecordDateLocale(locale);
    EXPECT_EQ(ParseText("03/05/2018,C1,S1,CU,M1,3,OK\n").m_nOk, 0);
}

TEST_F(ParseReportFileTest, HugeLineIsReadAndSkipped) {
    std::string body = "2018/05/03,C1,S1,CU,M1,3,OK\n";
    body.append(100u << 20, 'x');
    body += "\n2018/05/03,C2,S1,CU,M1,3,OK\n";
    const CReportCounts& counts = ParseText(body);
    EXPECT_EQ(counts.m_nOk, 2);
    EXPECT_EQ(counts.m_nNg, 0);
}

// Lines are read in place while the buffer holds a whole window behind them
// and the general way near its end, across refills and for long lines: a
// file of a few MiB in which kinds of lines stand in seeded order counts as
// its lines do one by one.
TEST_F(ParseReportFileTest, ABigFileCountsAsItsLinesDoOneByOne) {
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
        alone[k] = ParseText(kinds[k] + "\n", "kind" + std::to_string(k) + ".csv");
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
    const CReportCounts& counts = ParseText(body, "big.csv");

    int ok = 0;
    int ng = 0;
    std::map<std::string, std::pair<int, int>> settingFiles;
    std::map<std::string, std::pair<int, int>> machineIds;
    for (std::size_t k = 0; k < kKinds; ++k) {
        ok += uses[k] * alone[k].m_nOk;
        ng += uses[k] * alone[k].m_nNg;
        for (const auto& [key, c] : Dimension(alone[k].m_settingFileOk, alone[k].m_settingFileNg)) {
            settingFiles[key].first += uses[k] * c.first;
            settingFiles[key].second += uses[k] * c.second;
        }
        for (const auto& [key, c] : Dimension(alone[k].m_machineIdOk, alone[k].m_machineIdNg)) {
            machineIds[key].first += uses[k] * c.first;
            machineIds[key].second += uses[k] * c.second;
        }
    }
    EXPECT_GT(ok, 0);
    EXPECT_GT(ng, 0);
    EXPECT_EQ(counts.m_nOk, ok);
    EXPECT_EQ(counts.m_nNg, ng);
    EXPECT_EQ(Dimension(counts.m_settingFileOk, counts.m_settingFileNg), settingFiles);
    EXPECT_EQ(Dimension(counts.m_machineIdOk, counts.m_machineIdNg), machineIds);
}

TEST_F(ParseReportFileTest, FileErrorIsShownAndReleasesTheWorker) {
    const std::string folder = m_dir.MakeDir("folder");
    const std::string fifo = m_dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = m_dir.path() + "/missing.csv";
    for (const std::string& path : {folder, fifo, missing}) {
        SCOPED_TRACE(path);
        m_worker.m_counts.m_nNg = 5;
        const std::size_t shownBefore = m_messages.texts().size();
        Parse(path);
        const auto texts = m_messages.texts();
        ASSERT_EQ(texts.size(), shownBefore + 1);
        EXPECT_NE(texts.back().find(path), std::string::npos) << texts.back();
        EXPECT_TRUE(m_worker.m_idleEvent.IsSet());
        EXPECT_EQ(m_worker.m_pszPath, nullptr);
        EXPECT_EQ(m_worker.m_counts.m_nNg, 0);
        EXPECT_EQ(g_parsedBytes.load(), 0u);
    }
}

TEST_F(ParseReportFileTest, CancelBeforeTheFirstRecord) {
    g_cancelEvent.Set();
    Parse(m_dir.Write("rec.csv", std::string(kHeader) + "2018/05/03,C1,S1,CU,M1,3,OK\n"));
    EXPECT_FALSE(m_worker.m_idleEvent.IsSet());
    EXPECT_EQ(m_worker.m_pszPath, nullptr);
    EXPECT_EQ(m_worker.m_counts.m_nOk, 0);
    EXPECT_EQ(g_parsedBytes.load(), 0u);  // not even the header
}

TEST_F(ParseReportFileTest, CancelKeepsTheCountsOfLinesRead) {
    constexpr std::string_view kLine = "2018/05/03,C1,S1,CU,M1,3,OK\n";
    std::string text(kHeader);
    for (int i = 0; i < 100; ++i) {
        text += kLine;
    }
    const std::string path = m_dir.Write("rec.csv", text);

    // Holding the progress lock stops the parser at its first progress update;
    // the cancel set meanwhile is seen before the next line.
    std::unique_lock lock(g_progressMutex);
    std::thread parser([&] { Parse(path); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    g_cancelEvent.Set();
    lock.unlock();
    parser.join();

    const CReportCounts& counts = m_worker.m_counts;
    EXPECT_FALSE(m_worker.m_idleEvent.IsSet());
    EXPECT_EQ(m_worker.m_pszPath, nullptr);
    EXPECT_LE(counts.m_nOk, 1);  // 1 unless the parser was not scheduled in time
    EXPECT_EQ(g_parsedBytes.load(),
              counts.m_nOk == 0 ? 0 : kHeader.size() + counts.m_nOk * kLine.size());
    ExpectInvariants(counts);
}

TEST_F(ParseReportFileTest, ReadsLinesAppendedWhileParsing) {
    constexpr std::string_view kLine = "2018/05/03,C1,S1,CU,M1,3,OK\n";
    const std::string path =
        m_dir.Write("rec.csv", std::string(kHeader) + std::string(kLine) + std::string(kLine));

    // The parser stops at its first progress update while the machine appends
    // two more records; the lock is held past the 1000 ms limit, so that update
    // is skipped and its bytes must be carried to a later one.
    std::unique_lock lock(g_progressMutex);
    std::thread parser([&] { Parse(path); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << "2018/05/03,C2,S2,CU,M1,3,NG\n" << kLine;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    lock.unlock();
    parser.join();

    const CReportCounts& counts = m_worker.m_counts;
    EXPECT_TRUE(m_worker.m_idleEvent.IsSet());
    EXPECT_EQ(counts.m_nOk, 3);
    EXPECT_EQ(counts.m_nNg, 1);
    EXPECT_EQ(g_parsedBytes.load(), FileSize(path));
    ExpectInvariants(counts);
}

}  // namespace
}  // namespace qz
