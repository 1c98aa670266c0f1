// Two reports written into one script folder at the same time: the second
// waits for the first's folder lock, and the six scripts never mix. The test
// holds the lock itself and sees the writer reach it (the writer holds the
// lock file open while it retries), so the outcome does not hang on how the
// two threads happen to run.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "platform/FolderLock.h"
#include "records/ReportCounts.h"
#include "report/ReportScriptWriter.h"
#include "tests/support/Polling.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

const char* const kScripts[] = {"chartSummary.js", "chartSettingFile.js", "chartMachineId.js",
                                "tableSummary.js", "tableSettingFile.js", "tableMachineId.js"};

using Scripts = std::map<std::string, std::string>;

Scripts ReadScripts(const std::string& folder) {
    Scripts scripts;
    for (const char* name : kScripts) {
        scripts[name] = test::ReadFile(folder + name);
    }
    return scripts;
}

// Totals that differ in every one of the six scripts.
CReportTotals TotalsOf(std::int64_t ok, std::int64_t ng, const std::string& key) {
    CReportTotals totals;
    totals.m_nOk = ok;
    totals.m_nNg = ng;
    totals.m_settingFiles.Slot(key) = {ok, 0};
    totals.m_machineIds.Slot(key) = {0, ng};
    return totals;
}

TEST(ScriptFolderLockTest, AWriterWaitsForTheHolderAndChangesNothingMeanwhile) {
    test::TempDir dir;
    const std::string folder = dir.path() + "/";
    const CReportTotals first = TotalsOf(11, 1, "first");
    const CReportTotals second = TotalsOf(22, 2, "second");
    CReportScriptWriter(first, folder).WriteAll();
    const Scripts firstScripts = ReadScripts(folder);
    Scripts secondScripts;
    {
        test::TempDir alone;
        CReportScriptWriter(second, alone.path() + "/").WriteAll();
        secondScripts = ReadScripts(alone.path() + "/");
    }
    ASSERT_NE(firstScripts, secondScripts);

    std::atomic<bool> written{false};
    std::thread writer;
    {
        const FolderLock held(folder);
        ASSERT_TRUE(held.Held());
        writer = std::thread([&] {
            CReportScriptWriter(second, folder).WriteAll();
            written = true;
        });
        const std::string lockFile = folder + std::string(FolderLock::kLockFileName);
        const bool waits =
            test::PollUntil([&] { return written || test::OpenDescriptorsOn(lockFile) >= 2; });
        EXPECT_TRUE(waits) << "the writer neither reached the lock nor ended";
        // A writer that reached the lock and did not wait writes within a few
        // of its retries; this one must still be waiting after many.
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        EXPECT_FALSE(written) << "the writer did not wait for the folder's lock";
        EXPECT_EQ(ReadScripts(folder), firstScripts) << "scripts changed while the lock was held";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  static_cast<std::ptrdiff_t>(std::size(kScripts) + 1))
            << "the waiting writer made files (the lock file is the one beside the six)";
    }
    writer.join();
    EXPECT_EQ(ReadScripts(folder), secondScripts);
}

}  // namespace
}  // namespace qz
