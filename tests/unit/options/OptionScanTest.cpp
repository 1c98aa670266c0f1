// ScanOptionValues on one worker, run on the test thread, and the merge of its
// per-file sets into the found-value sets.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "records/OptionScan.h"
#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "records/ReportCounts.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using Values = std::vector<std::string>;

Values ToVector(const CValueSet& set) {
    return Values(set.begin(), set.end());
}

class OptionScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_cancelEvent.ResetEvent();
        std::lock_guard lock(g_progressMutex);
        g_parsedBytes.store(0);
    }
    void TearDown() override { g_cancelEvent.ResetEvent(); }

    // Scans path on a worker as the pool would hand it over.
    void Scan(const std::string& path) {
        m_worker.m_idleEvent.ResetEvent();
        m_worker.m_nMode = kModeOptionScan;
        m_worker.m_pszPath = std::make_unique<std::string>(path);
        ScanOptionValues(m_worker);
    }

    test::TempDir m_dir;
    CParseWorker m_worker;
};

struct ScanCase {
    const char* name;
    const char* content;
    Values settingFiles;
    Values customers;
    Values machineIds;
};

TEST_F(OptionScanTest, CollectsPositionsTwoThreeFourOfEveryDataLine) {
    const ScanCase cases[] = {
        {"empty file", "", {}, {}, {}},
        {"header only", "2018/05/03,a,HS,HC,HM,x,OK\n", {}, {}, {}},
        {"empty field closes up", "h\na,,b,c,d\n", {"c"}, {"d"}, {}},
        {"leading commas", "h\n,,,d,n,S,C,M,x,OK\n", {"S"}, {"C"}, {"M"}},
        {"blank and comma-only lines", "h\n\n,,,,,,,\n\r\n", {}, {}, {}},
        {"only 2, 3 and 4 reach a set", "h\nf0,f1,f2,f3,f4,f5,f6,f7,f8\n", {"f2"}, {"f3"}, {"f4"}},
        {"three and four fields", "h\nd,n,S\nd,n,T,C\n", {"S", "T"}, {"C"}, {}},
        {"duplicates on many lines", "h\nd,n,S,C,M\nd,n,S,C,M\r\nd,n,S,C,M", {"S"}, {"C"}, {"M"}},
        // Ordinal byte order: blank < upper case < lower case; nothing trimmed.
        {"case and blanks are distinct",
         "h\nd,n,s,C,M\nd,n,S ,c,M\nd,n, S,C,m\nd,n,S,C,M\n",
         {" S", "S", "S ", "s"},
         {"C", "c"},
         {"M", "m"}},
        {"date and result are not checked", "h\nnot a date,n,S,C,M,x,ok\n", {"S"}, {"C"}, {"M"}},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string content = c.content;
        const std::string path = m_dir.Write("file.csv", content);
        // Leftovers of a previous file must not survive into this one.
        m_worker.m_fileSettingFiles.Insert("stale");
        m_worker.m_fileCustomers.Insert("stale");
        m_worker.m_fileMachineIds.Insert("stale");
        const std::uint64_t before = g_parsedBytes.load();

        Scan(path);

        EXPECT_EQ(ToVector(m_worker.m_fileSettingFiles), c.settingFiles);
        EXPECT_EQ(ToVector(m_worker.m_fileCustomers), c.customers);
        EXPECT_EQ(ToVector(m_worker.m_fileMachineIds), c.machineIds);
        EXPECT_EQ(g_parsedBytes.load() - before, content.size());
        EXPECT_TRUE(m_worker.m_idleEvent.IsSet());
        EXPECT_EQ(m_worker.m_pszPath, nullptr);
    }
}

TEST_F(OptionScanTest, MergeKeepsEachValueOnceAcrossFiles) {
    g_foundSettingFiles.RemoveAll();
    g_foundCustomers.RemoveAll();
    g_foundMachineIds.RemoveAll();
    g_foundSettingFiles.Insert("S1");

    Scan(m_dir.Write("a.csv", "h\nd,n,S1,C1,M1\nd,n,S2,C1,M1\n"));
    MergeOptionValues(m_worker);
    Scan(m_dir.Write("b.csv", "h\nd,n,S2,C2,M1\n"));
    MergeOptionValues(m_worker);

    EXPECT_EQ(ToVector(g_foundSettingFiles), (Values{"S1", "S2"}));
    EXPECT_EQ(ToVector(g_foundCustomers), (Values{"C1", "C2"}));
    EXPECT_EQ(ToVector(g_foundMachineIds), (Values{"M1"}));
    // The merge leaves the per-file sets as they are.
    EXPECT_EQ(ToVector(m_worker.m_fileSettingFiles), (Values{"S2"}));
}

TEST_F(OptionScanTest, CancelLeavesBeforeTheNextLine) {
    g_cancelEvent.Set();
    Scan(m_dir.Write("big.csv", "h\nd,n,S,C,M\nd,n,T,D,N\n"));

    EXPECT_TRUE(m_worker.m_fileSettingFiles.IsEmpty());
    EXPECT_TRUE(m_worker.m_fileCustomers.IsEmpty());
    EXPECT_TRUE(m_worker.m_fileMachineIds.IsEmpty());
    EXPECT_EQ(g_parsedBytes.load(), 0u);  // no final update
    EXPECT_FALSE(m_worker.m_idleEvent.IsSet());
    EXPECT_EQ(m_worker.m_pszPath, nullptr);
}

TEST_F(OptionScanTest, FileErrorIsShownAndTheWorkerIsIdleAgain) {
    test::MessageBoxRecorder messages;
    const std::string folder = m_dir.MakeDir("sub");
    const std::string fifo = m_dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = m_dir.path() + "/missing.csv";

    for (const std::string& path : {folder, fifo, missing}) {
        SCOPED_TRACE(path);
        Scan(path);
        EXPECT_TRUE(m_worker.m_idleEvent.IsSet());
        EXPECT_EQ(m_worker.m_pszPath, nullptr);
    }
    const auto texts = messages.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NE(texts[0].find("sub"), std::string::npos);
    EXPECT_NE(texts[1].find("fifo"), std::string::npos);
    EXPECT_NE(texts[2].find("missing.csv"), std::string::npos);
    EXPECT_EQ(g_parsedBytes.load(), 0u);
}

}  // namespace
}  // namespace qz
