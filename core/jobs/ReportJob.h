#pragma once
// The report job: one pass over the record files of the chosen machines, on
// the worker threads, into the totals of the report.

#include <cstdint>
#include <string>
#include <vector>

#include "progress/JobProgress.h"
#include "records/ReportCounts.h"
#include "records/ReportFileCounter.h"

namespace qz {

struct ReportRequest {
    // The machine folders to read (DataPaths::MachineFolder), in report order.
    std::vector<std::string> machineFolders;
    ReportCriteria criteria;
    std::int32_t workerCount = 0;  // 0: WorkerCountFor this machine
};

class ReportJob {
  public:
    explicit ReportJob(ReportRequest request);

    // Read by whoever shows the progress; Cancel() through it stops the job.
    JobProgress& Progress() { return m_progress; }

    // Measures the files (Progress().TotalBytes()), then, unless there is no
    // byte to read, counts them on the workers. A file that cannot be read is
    // shown in a message box (from its worker) and the others still count;
    // that includes a file whose counts do not fit in memory, which then
    // gives nothing (after a file error, what was counted before it counts).
    // The totals are those of a pass over the files in list order, whatever
    // worker read which. After a cancel they are partial. Call once.
    CReportTotals Run();

  private:
    ReportRequest m_request;
    JobProgress m_progress;
};

}  // namespace qz
