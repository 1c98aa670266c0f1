#pragma once
// The worker pool of one parse job. All calls are made on the job thread:
// Start once, Dispatch once per file, Stop once.
//
// Order rules: Dispatch picks the lowest-numbered idle worker; an idle worker
// wins over the cancel event; a worker with a pending file and a pending quit
// parses the file first.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jobs/ParseWorker.h"

namespace qz {

constexpr int kDispatchOk = 0;
constexpr int kDispatchFailed = -1;
constexpr int kDispatchCancelled = -2;

class CParseWorkerPool {
public:
    ~CParseWorkerPool();
    void Start(std::int32_t count);
    int Dispatch(std::int32_t mode, const std::string& path);
    void Stop(std::int32_t mode);

private:
    std::vector<std::unique_ptr<CParseWorker>> m_pWorkers;
    std::vector<Event*> m_hThreads;     // each worker's thread-ended event
    std::vector<Event*> m_hIdleEvents;  // each worker's idle event, then g_cancelEvent
    std::int32_t m_nCount = 0;
};

unsigned WorkerThreadProc(CParseWorker* worker);

// logical processors * 1.5 + 1, truncated.
std::int32_t WorkerCountFor(unsigned logicalProcessors);

}  // namespace qz
