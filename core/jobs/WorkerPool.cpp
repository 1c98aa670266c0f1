#include "jobs/WorkerPool.h"

#include <span>

#include "records/OptionScan.h"
#include "progress/ProgressState.h"
#include "records/RecordParser.h"
#include "records/ReportCounts.h"

namespace qz {

namespace {

void MergeWorkerResults(CParseWorker& worker, std::int32_t mode) {
    if (mode == kModeReport) {
        MergeReportCounts(worker.m_counts);
    } else if (mode == kModeOptionScan) {
        MergeOptionValues(worker);
    }
}

}  // namespace

CParseWorkerPool::~CParseWorkerPool() {
    // Only reached with live workers when Stop was never called (an exception
    // on the job thread): end the threads without merging anything.
    for (auto& worker : m_pWorkers) {
        worker->m_quitEvent.Set();
    }
    for (auto& worker : m_pWorkers) {
        worker->m_pThread.reset();  // joins
    }
}

void CParseWorkerPool::Start(std::int32_t count) {
    // The tables are sized by count: no platform limit on the handles of one
    // wait applies here, so the pool needs no cap.
    m_nCount = count;
    m_pWorkers.reserve(static_cast<std::size_t>(count));
    m_hThreads.reserve(static_cast<std::size_t>(count));
    m_hIdleEvents.reserve(static_cast<std::size_t>(count) + 1);
    for (std::int32_t i = 0; i < count; ++i) {
        auto worker = std::make_unique<CParseWorker>();
        CParseWorker* const raw = worker.get();
        worker->m_pThread = std::make_unique<Thread>([raw] { return WorkerThreadProc(raw); });
        worker->m_pThread->Resume();
        m_hThreads.push_back(&worker->m_pThread->EndedEvent());
        m_hIdleEvents.push_back(&worker->m_idleEvent);
        m_pWorkers.push_back(std::move(worker));
    }
    // Last, so that any idle worker wins over a cancel.
    m_hIdleEvents.push_back(&g_cancelEvent);
}

int CParseWorkerPool::Dispatch(std::int32_t mode, const std::string& path) {
    if (m_hIdleEvents.empty()) {
        return kDispatchFailed;  // not started: there is nothing to wait for
    }
    const int index = WaitForAny(std::span<Event* const>(m_hIdleEvents));
    if (index == m_nCount) {
        return kDispatchCancelled;
    }
    if (index < 0 || index > m_nCount) {
        return kDispatchFailed;
    }

    // The worker is idle: its slots are ours until its idle event is reset.
    CParseWorker& worker = *m_pWorkers[static_cast<std::size_t>(index)];
    MergeWorkerResults(worker, mode);
    worker.m_idleEvent.ResetEvent();
    worker.m_nMode = mode;
    worker.m_pszPath = std::make_unique<std::string>(path);
    worker.m_workEvent.Set();
    return kDispatchOk;
}

void CParseWorkerPool::Stop(std::int32_t mode) {
    for (auto& worker : m_pWorkers) {
        worker->m_quitEvent.Set();
    }
    if (!m_hThreads.empty()) {
        WaitForAll(std::span<Event* const>(m_hThreads));
    }
    // Every thread has ended, so every worker's slots are ours, abandoned
    // workers included.
    for (auto& worker : m_pWorkers) {
        MergeWorkerResults(*worker, mode);
        worker->m_pThread.reset();
        worker.reset();
    }
    m_pWorkers.clear();
    m_hThreads.clear();
    m_hIdleEvents.clear();
    m_nCount = 0;
}

unsigned WorkerThreadProc(CParseWorker* worker) {
    // Work first: a file handed over just before the quit is still parsed.
    Event* const events[] = {&worker->m_workEvent, &worker->m_quitEvent};
    for (;;) {
        const int signalled = WaitForAny(events);
        if (signalled == 0) {
            if (worker->m_nMode == kModeOptionScan) {
                ScanOptionValues(*worker);
            } else if (worker->m_nMode == kModeReport) {
                ParseReportFile(*worker);
            }
        } else if (signalled == 1) {
            return 0;
        }
    }
}

std::int32_t WorkerCountFor(unsigned logicalProcessors) {
    return static_cast<std::int32_t>(static_cast<double>(logicalProcessors) * 1.5 + 1.0);
}

}  // namespace qz
