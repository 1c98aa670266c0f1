#pragma once
// The report job: one pass over the record files of the chosen machines, on
// the worker threads, into the totals of the report.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "facts/CacheLocation.h"
#include "facts/ReportFacts.h"
#include "jobs/CachedFileFacts.h"
#include "jobs/JobSink.h"
#include "progress/JobProgress.h"
#include "records/ReportCounts.h"
#include "records/ReportCriteria.h"
#include "report/CustomerList.h"
#include "report/ReportScope.h"

namespace qz {

struct ReportRequest {
    // The machine folders to read (DataPaths::MachineFolder), in report order.
    std::vector<std::string> machineFolders;
    ReportCriteria criteria;
    std::int32_t workerCount = 0;  // 0: WorkerCountFor this machine
    JobSink sink = {};             // told of every file that fails
    CachePlace cache = {};         // the cache of facts; none by default
};

// What a report job gives: the totals, the fact rows they sum, and the record
// files behind them.
struct ReportResult : CReportTotals {
    ReportFacts facts;              // the rows the request selected, in file order
    std::uint64_t filesListed = 0;  // the record files listed for the job
    std::uint64_t filesFailed = 0;  // of those, the files that gave a file error
    // The paths of the files that failed, in list order.
    std::vector<std::string> failedFiles;
    // Why the cache was not used (or not fully), for the front end to tell;
    // empty when it was used or there was none.
    std::string cacheNote;
    FactCacheUse cacheUse;  // how the files were served
};

class ReportJob {
  public:
    explicit ReportJob(ReportRequest request);

    // Read by whoever shows the progress; Cancel() through it stops the job.
    JobProgress& Progress() { return m_progress; }

    // Measures the files (Progress().TotalBytes()), then, unless there is no
    // byte to read, counts them on the workers. A file that cannot be read is
    // told to the request's sink (from its worker) and the others still count;
    // that includes a file whose counts do not fit in memory, which then
    // gives nothing (after a file error, what was counted before it counts).
    // The totals are those of a pass over the files in list order, whatever
    // worker read which. After a cancel they are partial. Call once.
    // The result also counts the files listed and those that failed (a file
    // error or nothing to give, each file once); a job with no byte to read
    // reads none, so none fails.
    ReportResult Run();

    // The scope of the report that result of Run made, at the time made;
    // customers names the excluded customer codes.
    ReportScope Scope(const ReportResult& result, const CustomerNames& customers,
                      std::time_t made) const;

  private:
    ReportRequest m_request;
    JobProgress m_progress;
};

}  // namespace qz
