#include "jobs/OptionScanJob.h"

#include <exception>
#include <utility>
#include <vector>

#include "jobs/FileFactSource.h"
#include "jobs/FileFailure.h"
#include "jobs/RecordFiles.h"
#include "jobs/WorkerPool.h"
#include "platform/DebugTrace.h"
#include "platform/FileError.h"

namespace qz {

OptionScanJob::OptionScanJob(OptionScanRequest request)
    : m_request(std::move(request)), m_progress(PoolSize(m_request.workerCount)) {}

OptionValues OptionScanJob::Run() {
    const RecordFileList files = ListRecordFiles(m_request.machineFolders, m_progress);
    OptionValues found;
    if (files.totalBytes == 0) {
        return found;
    }
    // Sets need no order: each worker collects its own, merged at the end.
    std::vector<OptionValues> perWorker(m_progress.WorkerCount());
    FileFactSource source(m_request.cache, m_request.dateLocale);
    RunWorkers(files.paths.size(), m_progress, [&](std::size_t file, std::size_t worker) {
        FileProgress progress(m_progress, worker);
        try {
            // A file's values of its own, so that a file that fails for want
            // of memory leaves none behind; a file error keeps those found.
            FileFactCount count;
            try {
                source.Read(files.paths[file], progress, count);
            } catch (const FileError& error) {
                Tell(m_request.sink, error);
            }
            if (count.header) {
                DebugTrace(*count.header);
            }
            perWorker[worker].Merge(FoundValues(count));
        } catch (const std::exception& error) {
            Tell(m_request.sink, FileFailure(files.paths[file], error));
        }
    });
    m_cacheNote = source.Finish(m_progress.IsCancelled());
    for (const OptionValues& values : perWorker) {
        found.Merge(values);
    }
    return found;
}

}  // namespace qz
