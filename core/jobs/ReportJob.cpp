#include "jobs/ReportJob.h"

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "facts/ReportFactSums.h"
#include "jobs/FileFactSource.h"
#include "jobs/FileFailure.h"
#include "jobs/RecordFiles.h"
#include "jobs/WorkerPool.h"
#include "platform/FileError.h"
#include "platform/Path.h"

namespace qz {

namespace {

// What the report takes of one file: its facts, the rows the request selects
// (of the complete lines and of an unterminated last line), and the counts
// those rows give.
struct FileSums {
    FileFactCount count;
    std::vector<std::uint32_t> rows;
    std::vector<std::uint32_t> lastLineRows;
    CReportCounts counts;

    void Select(const ReportCriteria& criteria) {
        rows = SelectFactRows(count.facts, criteria);
        lastLineRows = SelectFactRows(count.lastLine, criteria);
        SumFactRows(count.facts, rows, counts);
        SumFactRows(count.lastLine, lastLineRows, counts);
        counts.m_linesLeftOut = count.linesLeftOut;
    }
};

// The name of a machine folder: its path's last part.
std::string MachineName(const std::string& folder) {
    const auto separator = folder.rfind(kPathSeparator);
    return separator == std::string::npos ? folder : folder.substr(separator + 1);
}

// Merges each file's counts into the totals, and its rows into the report's
// facts, in file order, as soon as the files before it are merged: a map lists
// its keys in the order they were first counted, so this keeps the report the
// same whichever worker read which file. The worker that completes a file
// merges it and any completed ones behind it; a file waiting for an earlier
// one holds its facts until then.
class InOrderMerge {
  public:
    InOrderMerge(CReportTotals& totals, std::vector<std::string> machines,
                 const RecordFileList& files)
        : m_totals(totals),
          m_machines(std::move(machines)),
          m_files(files),
          m_sums(files.paths.size()),
          m_done(files.paths.size(), false) {}

    // sums null: the file gave nothing. Throws std::bad_alloc when the
    // totals could not take a file's counts; the files behind it are still
    // merged.
    void Done(std::size_t file, std::unique_ptr<FileSums> sums) {
        std::lock_guard lock(m_mutex);
        m_sums[file] = std::move(sums);
        m_done[file] = true;
        bool outOfMemory = false;
        while (m_next < m_done.size() && m_done[m_next]) {
            const std::size_t at = m_next++;
            const std::unique_ptr<FileSums> next = std::move(m_sums[at]);
            try {
                if (next != nullptr) {
                    m_totals.Merge(next->counts);
                    const std::string& machine = m_machines[m_files.folders[at]];
                    m_facts.Add(machine, next->count.facts, next->rows);
                    m_facts.Add(machine, next->count.lastLine, next->lastLineRows);
                }
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
            }
        }
        if (outOfMemory) {
            throw std::bad_alloc();
        }
    }

    ReportFacts TakeFacts() { return m_facts.Take(); }

  private:
    std::mutex m_mutex;
    CReportTotals& m_totals;
    const std::vector<std::string> m_machines;
    const RecordFileList& m_files;
    ReportFactSum m_facts;
    std::vector<std::unique_ptr<FileSums>> m_sums;
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
    std::vector<std::string> machines;
    for (const std::string& folder : m_request.machineFolders) {
        machines.push_back(MachineName(folder));
    }
    InOrderMerge merge(result, std::move(machines), files);
    FileFactSource source(m_request.cache, m_request.criteria.dateLocale);
    RunWorkers(files.paths.size(), m_progress, [&](std::size_t file, std::size_t worker) {
        std::unique_ptr<FileSums> sums;
        FileProgress progress(m_progress, worker);
        bool failed = false;
        try {
            sums = std::make_unique<FileSums>();
            source.Read(files.paths[file], progress, sums->count);
        } catch (const FileError& error) {
            // What the file gave before the error still counts.
            failed = true;
            Tell(m_request.sink, error);
        } catch (const std::exception& error) {
            // Out of memory or the like: the file's maps may be half-built,
            // so the file gives nothing; the other files still count.
            failed = true;
            sums.reset();
            Tell(m_request.sink, FileFailure(files.paths[file], error));
        }
        try {
            if (sums != nullptr) {
                sums->Select(m_request.criteria);
            }
        } catch (const std::exception& error) {
            failed = true;
            sums.reset();
            Tell(m_request.sink, FileFailure(files.paths[file], error));
        }
        try {
            merge.Done(file, std::move(sums));
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
    result.facts = merge.TakeFacts();
    result.cacheNote = source.Finish(m_progress.IsCancelled());
    result.cacheUse = source.Use();
    return result;
}

ReportScope ReportJob::Scope(const ReportResult& result, const CustomerNames& customers,
                             std::time_t made) const {
    return MakeReportScope(m_request.criteria, m_request.machineFolders, customers, result,
                           result.filesListed, result.failedFiles, made);
}

}  // namespace qz
