#pragma once
// One report from its request to the written scripts, for every front end:
// count the files, then, unless there was nothing to count or nothing counted,
// make the scope and write the scripts. The front end only maps the outcome
// to what its operator reads.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "jobs/ReportJob.h"
#include "platform/FileError.h"
#include "progress/JobProgress.h"
#include "report/CustomerList.h"
#include "report/ReportScope.h"

namespace qz {

struct ReportOutcome {
    enum class Kind {
        Cancelled,      // stopped before the count ended; nothing written
        NoRecordFiles,  // the machine folders held no byte to read; nothing written
        NoRecords,      // the files were read and nothing counted; nothing written
        Written,        // the scripts were written, but for writeFailures
    };
    Kind kind = Kind::Cancelled;
    // The counts (partial after a cancel) and the files behind them.
    ReportResult totals;
    // NoRecords and Written: what the counts are counts of.
    ReportScope scope;
    // Written: the scripts that could not be written, in writing order.
    std::vector<FileError> writeFailures;
};

// How the front end runs the count while it shows its progress: it calls
// count (on a thread of its choice) and returns once count has returned. It
// may cancel through progress, or not call count at all (the job could not
// be started), which makes the report cancelled.
using CountRunner = std::function<void(JobProgress& progress, const std::function<void()>& count)>;

// Runs the report of request: the count through runCount, then the scope
// (customers name the excluded customers; made is taken when the count has
// ended) and the scripts, written into scriptFolder; the scope and the
// scripts are made inside count, on the thread that runs it. liveSeconds > 0
// marks the scope live (ReportScope::liveSeconds).
ReportOutcome RunReport(ReportRequest request, const CustomerNames& customers,
                        const std::string& scriptFolder, const CountRunner& runCount,
                        std::uint32_t liveSeconds = 0);

}  // namespace qz
