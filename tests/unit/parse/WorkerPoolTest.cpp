// The worker pool's order rules and merges, on real worker threads.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>

#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "jobs/WorkerPool.h"
#include "records/ReportCounts.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/parse/ParseTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
using Values = std::vector<std::string>;
using Counts = std::map<std::string, std::int32_t>;

class WorkerPoolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ResetJobState(m_dir.path(), {});
        std::lock_guard lock(g_progressMutex);
        g_parsedBytes.store(0);
    }
    void TearDown() override { g_cancelEvent.ResetEvent(); }

    test::TempDir m_dir;
};

TEST(WorkerCountTest, ProcessorsTimesOneAndAHalfPlusOneTruncated) {
    const std::pair<unsigned, std::int32_t> table[] = {
        {1, 2}, {2, 4}, {3, 5}, {4, 7}, {8, 13}, {12, 19}, {13, 20}, {14, 22},
    };
    for (const auto& [processors, workers] : table) {
        EXPECT_EQ(WorkerCountFor(processors), workers) << processors << " processors";
    }
}

TEST_F(WorkerPoolTest, PendingFileIsParsedBeforeAPendingQuit) {
    CParseWorker worker;
    worker.m_idleEvent.ResetEvent();
    worker.m_nMode = kModeOptionScan;
    worker.m_pszPath = std::make_unique<std::string>(m_dir.Write("a.csv", "h\nd,n,S,C,M\n"));
    worker.m_workEvent.Set();
    worker.m_quitEvent.Set();

    test::Watchdog watchdog("the worker procedure", 60s);
    EXPECT_EQ(WorkerThreadProc(&worker), 0u);
    EXPECT_EQ(test::ToVector(worker.m_fileSettingFiles), Values{"S"});
    EXPECT_TRUE(worker.m_idleEvent.IsSet());
    EXPECT_EQ(worker.m_pszPath, nullptr);
}

TEST_F(WorkerPoolTest, AfterACancelEachIdleWorkerGetsOneMoreFileThenDispatchReportsCancel) {
    const std::string file = m_dir.Write("a.csv", "h\nd,n,S,C,M\nd,n,T,D,N\n");
    test::Watchdog watchdog("dispatch after a cancel", 60s);
    CParseWorkerPool pool;
    pool.Start(2);
    g_cancelEvent.Set();

    EXPECT_EQ(pool.Dispatch(kModeOptionScan, file), kDispatchOk);
    EXPECT_EQ(pool.Dispatch(kModeOptionScan, file), kDispatchOk);
    // Both workers have left their files without becoming idle again.
    EXPECT_EQ(pool.Dispatch(kModeOptionScan, file), kDispatchCancelled);
    EXPECT_EQ(pool.Dispatch(kModeOptionScan, file), kDispatchCancelled);
    pool.Stop(kModeOptionScan);

    // Each parser left before its first data line.
    EXPECT_TRUE(g_foundSettingFiles.IsEmpty());
    EXPECT_TRUE(g_foundCustomers.IsEmpty());
    EXPECT_TRUE(g_foundMachineIds.IsEmpty());
    EXPECT_EQ(g_parsedBytes.load(), 0u);
}

// One worker parses every file, so a file whose results were not merged before
// the next one, or merged twice, shows in the totals.
TEST_F(WorkerPoolTest, ReportMergeAddsEachFileOnceKeyByKey) {
    g_reportTotals.m_nOk = 5;
    g_reportTotals.m_settingFileOk.Slot("S0") = 5;
    g_reportTotals.m_settingFileNg.Slot("S0") = 0;
    g_reportTotals.m_machineIdOk.Slot("M1") = 5;
    g_reportTotals.m_machineIdNg.Slot("M1") = 0;
    const std::string first = m_dir.Write("1.csv", "h\n2018/05/03,n,S1,C,M1,x,OK\n");
    const std::string second =
        m_dir.Write("2.csv", "h\n2018/05/03,n,S1,C,M1,x,OK\n2018/05/03,n,S2,C,M2,x,NG\n");

    test::Watchdog watchdog("a report over two files", 60s);
    CParseWorkerPool pool;
    pool.Start(1);
    ASSERT_EQ(pool.Dispatch(kModeReport, first), kDispatchOk);
    ASSERT_EQ(pool.Dispatch(kModeReport, second), kDispatchOk);
    pool.Stop(kModeReport);

    EXPECT_EQ(g_reportTotals.m_nOk, 7);
    EXPECT_EQ(g_reportTotals.m_nNg, 1);
    EXPECT_EQ(test::ToMap(g_reportTotals.m_settingFileOk),
              (Counts{{"S0", 5}, {"S1", 2}, {"S2", 0}}));
    EXPECT_EQ(test::ToMap(g_reportTotals.m_settingFileNg),
              (Counts{{"S0", 0}, {"S1", 0}, {"S2", 1}}));
    EXPECT_EQ(test::ToMap(g_reportTotals.m_machineIdOk), (Counts{{"M1", 7}, {"M2", 0}}));
    EXPECT_EQ(test::ToMap(g_reportTotals.m_machineIdNg), (Counts{{"M1", 0}, {"M2", 1}}));
}

TEST_F(WorkerPoolTest, OptionMergeKeepsAValueOnce) {
    g_foundSettingFiles.Insert("S1");
    const std::string first = m_dir.Write("1.csv", "h\nd,n,S1,C1,M1\n");
    const std::string second = m_dir.Write("2.csv", "h\nd,n,S2,C1,M1\nd,n,S1,C2,M1\n");

    test::Watchdog watchdog("an option scan over two files", 60s);
    CParseWorkerPool pool;
    pool.Start(1);
    ASSERT_EQ(pool.Dispatch(kModeOptionScan, first), kDispatchOk);
    ASSERT_EQ(pool.Dispatch(kModeOptionScan, second), kDispatchOk);
    pool.Stop(kModeOptionScan);

    EXPECT_EQ(test::ToVector(g_foundSettingFiles), (Values{"S1", "S2"}));
    EXPECT_EQ(test::ToVector(g_foundCustomers), (Values{"C1", "C2"}));
    EXPECT_EQ(test::ToVector(g_foundMachineIds), (Values{"M1"}));
}

TEST_F(WorkerPoolTest, AWorkerWhoseFileFailsTakesTheNextFile) {
    test::MessageBoxRecorder messages;
    const std::string missing = m_dir.path() + "/missing.csv";
    const std::string content = "h\nd,n,S,C,M\n";
    const std::string good = m_dir.Write("good.csv", content);

    test::Watchdog watchdog("a pool of one after a file error", 60s);
    CParseWorkerPool pool;
    pool.Start(1);
    ASSERT_EQ(pool.Dispatch(kModeOptionScan, missing), kDispatchOk);
    ASSERT_EQ(pool.Dispatch(kModeOptionScan, good), kDispatchOk);
    pool.Stop(kModeOptionScan);

    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("missing.csv"), std::string::npos);
    EXPECT_EQ(test::ToVector(g_foundSettingFiles), Values{"S"});
    EXPECT_EQ(g_parsedBytes.load(), content.size());
}

}  // namespace
}  // namespace qz
