// The two jobs over small machine folders: the size pass, which entries are
// handed out, and entries that are not regular files.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "jobs/ParseJobs.h"
#include "progress/ProgressState.h"
#include "records/ReportCounts.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/parse/ParseTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
using Values = std::vector<std::string>;

class ParseJobsTest : public ::testing::Test {
  protected:
    void SetUp() override { m_data = m_dir.MakeDir("ReportData"); }
    void TearDown() override { g_cancelEvent.ResetEvent(); }

    // Writes a record file into machine's folder; returns its size.
    std::uint64_t Record(const std::string& machine, const std::string& name,
                         const std::string& content) {
        m_dir.Write("ReportData/" + machine + "/" + name, content);
        return content.size();
    }

    test::TempDir m_dir;
    std::string m_data;
};

TEST_F(ParseJobsTest, OnlyTheCheckedMachinesFilesAreMeasuredAndHandedOut) {
    std::uint64_t total = 0;
    total += Record("A", "1.csv", "h\nd,n,S1,C,M\n");
    total += Record("A", "2.csv", "h\nd,n,S2,C,M\nd,n,S2,C,M\n");
    total += Record("A", "3.csv", "header\n");
    m_dir.MakeDir("ReportData/B");
    Record("C", "1.csv", "h\nd,n,S_unchecked,C,M\n");
    test::ResetJobState(m_data, {"A", "B", "C"});
    g_foundSettingFiles.Insert("from an earlier scan");

    ParseJobInput input;
    input.checkedRows = {0, 1};
    test::Watchdog watchdog("the option-scan job", 60s);
    RunOptionScanJob(input);

    EXPECT_EQ(g_totalBytes.load(), total);
    EXPECT_EQ(g_parsedBytes.load(), total);
    EXPECT_EQ(test::ToVector(g_foundSettingFiles), (Values{"S1", "S2"}));
}

TEST_F(ParseJobsTest, OnlyZeroByteEntriesStartNoPool) {
    test::MessageBoxRecorder messages;
    Record("A", "empty.csv", "");
    m_dir.MakeDir("ReportData/A/sub");  // a parser would report it
    test::ResetJobState(m_data, {"A", "missing"});
    g_reportTotals.m_nOk = 3;
    g_totalBytes.store(100);
    {
        std::lock_guard lock(g_progressMutex);
        g_parsedBytes.store(100);
    }

    ParseJobInput input;
    input.checkedRows = {0, 1};
    test::Watchdog watchdog("a job without data", 60s);
    RunReportJob(input);

    EXPECT_EQ(g_totalBytes.load(), 0u);
    EXPECT_EQ(g_parsedBytes.load(), 0u);
    EXPECT_EQ(g_reportTotals.m_nOk, 0);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ParseJobsTest, SubFolderAndFifoAreFileErrorsAndTheOtherFilesCount) {
    test::MessageBoxRecorder messages;
    std::uint64_t total = 0;
    total += Record("A", "1.csv", "h\n2018/05/03,n,S1,C,M1,x,OK\n2018/05/03,n,S1,C,M1,x,NG\n");
    total += Record("A", "2.csv", "h\n2018/05/04,n,S2,C,M1,x,OK\n");
    total += Record("A", "empty.csv", "");
    m_dir.MakeDir("ReportData/A/sub");
    const std::string fifo = m_data + "/A/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    test::ResetJobState(m_data, {"A"});

    ParseJobInput input;
    input.checkedRows = {0};
    input.workerCount = 2;
    test::Watchdog watchdog("a job over a sub-folder and a FIFO", 60s);
    RunReportJob(input);

    EXPECT_EQ(g_reportTotals.m_nOk, 2);
    EXPECT_EQ(g_reportTotals.m_nNg, 1);
    EXPECT_EQ(g_totalBytes.load(), total);
    EXPECT_EQ(g_parsedBytes.load(), total);
    auto texts = messages.texts();
    std::sort(texts.begin(), texts.end());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("fifo"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("sub"), std::string::npos) << texts[1];
}

}  // namespace
}  // namespace qz
