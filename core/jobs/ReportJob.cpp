#include "jobs/ReportJob.h"

#include <memory>
#include <mutex>
#include <utility>

#include "jobs/RecordFiles.h"
#include "jobs/WorkerPool.h"
#include "platform/FileError.h"
#include "platform/MessageBox.h"

namespace qz {

namespace {

// Merges each file's counts into the totals in file order, as soon as the
// files before it are merged: a map lists its keys in the order they were
// first counted, so this keeps the report the same whichever worker read which
// file. The worker that completes a file merges it and any completed ones
// behind it; a file waiting for an earlier one holds only its small maps.
class InOrderMerge {
  public:
    InOrderMerge(CReportTotals& totals, std::size_t fileCount)
        : m_totals(totals), m_counts(fileCount), m_done(fileCount, false) {}

    void Done(std::size_t file, std::unique_ptr<CReportCounts> counts) {
        std::lock_guard lock(m_mutex);
        m_counts[file] = std::move(counts);
        m_done[file] = true;
        for (; m_next < m_done.size() && m_done[m_next]; ++m_next) {
            m_totals.Merge(*m_counts[m_next]);
            m_counts[m_next].reset();
        }
    }

  private:
    std::mutex m_mutex;
    CReportTotals& m_totals;
    std::vector<std::unique_ptr<CReportCounts>> m_counts;
    std::vector<bool> m_done;
    std::size_t m_next = 0;
};

}  // namespace

ReportJob::ReportJob(ReportRequest request)
    : m_request(std::move(request)), m_progress(PoolSize(m_request.workerCount)) {}

CReportTotals ReportJob::Run() {
    const RecordFileList files = ListRecordFiles(m_request.machineFolders, m_progress);
    CReportTotals totals;
    if (files.totalBytes == 0) {
        return totals;
    }
    InOrderMerge merge(totals, files.paths.size());
    RunWorkers(files.paths.size(), m_progress, [&](std::size_t file, std::size_t worker) {
        auto counts = std::make_unique<CReportCounts>();
        FileProgress progress(m_progress, worker);
        try {
            CountReportFile(files.paths[file], m_request.criteria, progress, *counts);
        } catch (const FileError& error) {
            // What the file gave before the error still counts.
            ShowMessageBox(error.ShownDescription());
        }
        merge.Done(file, std::move(counts));
    });
    return totals;
}

}  // namespace qz
