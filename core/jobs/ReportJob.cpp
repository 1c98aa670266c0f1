#include "jobs/ReportJob.h"

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "jobs/FileFailure.h"
#include "jobs/RecordFiles.h"
#include "jobs/WorkerPool.h"
#include "platform/FileError.h"
#include "records/ReportFileCounter.h"

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

    // counts null: the file gave nothing. Throws std::bad_alloc when the
    // totals could not take a file's counts; the files behind it are still
    // merged.
    void Done(std::size_t file, std::unique_ptr<CReportCounts> counts) {
        std::lock_guard lock(m_mutex);
        m_counts[file] = std::move(counts);
        m_done[file] = true;
        bool outOfMemory = false;
        while (m_next < m_done.size() && m_done[m_next]) {
            const std::unique_ptr<CReportCounts> next = std::move(m_counts[m_next++]);
            try {
                if (next != nullptr) {
                    m_totals.Merge(*next);
                }
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
            }
        }
        if (outOfMemory) {
            throw std::bad_alloc();
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

ReportResult ReportJob::Run() {
    const RecordFileList files = ListRecordFiles(m_request.machineFolders, m_progress);
    ReportResult result;
    result.filesListed = files.paths.size();
    if (files.totalBytes == 0) {
        return result;
    }
    std::atomic<std::uint64_t> filesFailed = 0;
    std::vector<char> fileFailed(files.paths.size(), 0);  // each worker writes its files' only
    InOrderMerge merge(result, files.paths.size());
    RunWorkers(files.paths.size(), m_progress, [&](std::size_t file, std::size_t worker) {
        std::unique_ptr<CReportCounts> counts;
        FileProgress progress(m_progress, worker);
        bool failed = false;
        try {
            counts = std::make_unique<CReportCounts>();
            CountReportFile(files.paths[file], m_request.criteria, progress, *counts);
        } catch (const FileError& error) {
            // What the file gave before the error still counts.
            failed = true;
            Tell(m_request.sink, error);
        } catch (const std::exception& error) {
            // Out of memory or the like: the file's maps may be half-built,
            // so the file gives nothing; the other files still count.
            failed = true;
            counts.reset();
            Tell(m_request.sink, FileFailure(files.paths[file], error));
        }
        try {
            merge.Done(file, std::move(counts));
        } catch (const std::exception& error) {
            failed = true;
            Tell(m_request.sink, FileFailure(files.paths[file], error));
        }
        if (failed) {
            ++filesFailed;
            fileFailed[file] = 1;
        }
    });
    result.filesFailed = filesFailed;
    for (std::size_t file = 0; file < files.paths.size(); ++file) {
        if (fileFailed[file] != 0) {
            result.failedFiles.push_back(files.paths[file]);
        }
    }
    return result;
}

ReportScope ReportJob::Scope(const ReportResult& result, const CustomerNames& customers,
                             std::time_t made) const {
    return MakeReportScope(m_request.criteria, m_request.machineFolders, customers, result,
                           result.filesListed, result.failedFiles, made);
}

}  // namespace qz
