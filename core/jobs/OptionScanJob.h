#pragma once
// The option scan job: one pass over the record files of the chosen machines,
// on the worker threads, for the values the option dialog offers.

#include <cstdint>
#include <string>
#include <vector>

#include "dates/DateParser.h"
#include "facts/CacheLocation.h"
#include "jobs/JobSink.h"
#include "progress/JobProgress.h"
#include "records/OptionValues.h"

namespace qz {

struct OptionScanRequest {
    // The machine folders to read (DataPaths::MachineFolder).
    std::vector<std::string> machineFolders;
    std::int32_t workerCount = 0;  // 0: WorkerCountFor this machine
    JobSink sink = {};             // told of every file that fails
    // How record dates are read: the values found do not depend on it, but the
    // facts counted on the way do, and may be kept for a later report.
    DateLocale dateLocale = {};
    CachePlace cache = {};  // the cache of facts; none by default
};

class OptionScanJob {
  public:
    explicit OptionScanJob(OptionScanRequest request);

    // Read by whoever shows the progress; Cancel() through it stops the job.
    JobProgress& Progress() { return m_progress; }

    // Measures the files (Progress().TotalBytes()), then, unless there is no
    // byte to read, collects their values on the workers (the found values of
    // each file's facts; its header line goes to the debug trace). A file that
    // cannot be read, or any other failure of one file, is told to the
    // request's sink (from its worker) and the other files still count. Call
    // once.
    OptionValues Run();

    // After Run: why the cache was not used (or not fully), for the front end
    // to tell; empty when it was used or there was none.
    const std::string& CacheNote() const { return m_cacheNote; }

  private:
    OptionScanRequest m_request;
    JobProgress m_progress;
    std::string m_cacheNote;
};

}  // namespace qz
