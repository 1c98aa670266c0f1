#include "jobs/ParseJobs.h"

#include <mutex>

#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "jobs/WorkerPool.h"
#include "platform/FolderSearch.h"
#include "platform/Thread.h"
#include "report/DataPaths.h"
#include "records/ReportCounts.h"

namespace qz {

namespace {

// Rows that name no machine folder are passed over.
bool MachinePattern(int row, std::string& pattern) {
    if (row < 0 || static_cast<std::size_t>(row) >= g_machineFolderNames.size()) {
        return false;
    }
    pattern =
        g_strReportDataPath + "\\" + g_machineFolderNames[static_cast<std::size_t>(row)] + "\\*";
    return true;
}

std::int32_t PoolSize(const ParseJobInput& input) {
    if (input.workerCount > 0) {
        return input.workerCount;
    }
    return WorkerCountFor(LogicalProcessorCount());
}

// The part the two jobs share once their results are reset.
void RunJob(const ParseJobInput& input, std::int32_t mode) {
    const std::vector<int> rows = input.checkedRows;
    ComputeTotalSize(rows);
    if (g_totalBytes.load() == 0) {
        return;
    }

    CParseWorkerPool pool;
    pool.Start(PoolSize(input));
    std::vector<std::string> files;
    std::string pattern;
    bool handingOut = true;
    for (std::size_t r = 0; handingOut && r < rows.size(); ++r) {
        if (!MachinePattern(rows[r], pattern)) {
            continue;
        }
        ListMachineFiles(files, pattern);
        for (const std::string& path : files) {
            // Negative: cancelled with no worker idle, or a failed wait. Every
            // later call would return at once, so stop handing out here.
            if (pool.Dispatch(mode, path) < 0) {
                handingOut = false;
                break;
            }
        }
    }
    pool.Stop(mode);
}

}  // namespace

void RunReportJob(const ParseJobInput& input) {
    ResetReportTotals();
    RunJob(input, kModeReport);
}

void RunOptionScanJob(const ParseJobInput& input) {
    g_foundSettingFiles.RemoveAll();
    g_foundMachineIds.RemoveAll();
    g_foundCustomers.RemoveAll();
    RunJob(input, kModeOptionScan);
}

unsigned ReportThreadProc(const ParseJobInput* input) {
    RunReportJob(*input);
    return 0;
}

unsigned OptionScanThreadProc(const ParseJobInput* input) {
    RunOptionScanJob(*input);
    return 0;
}

void ComputeTotalSize(const std::vector<int>& checkedRows) {
    g_totalBytes.store(0);
    {
        std::lock_guard lock(g_progressMutex);
        g_parsedBytes.store(0);
    }
    std::string pattern;
    for (const int row : checkedRows) {
        if (!MachinePattern(row, pattern)) {
            continue;
        }
        for (const FolderEntry& entry : SearchFolder(pattern)) {
            if (!entry.IsDots()) {
                g_totalBytes.fetch_add(entry.size);
            }
        }
    }
}

void ListMachineFiles(std::vector<std::string>& out, const std::string& pattern) {
    out.clear();
    for (FolderEntry& entry : SearchFolder(pattern)) {
        if (!entry.IsDots()) {
            out.push_back(std::move(entry.path));
        }
    }
}

}  // namespace qz
