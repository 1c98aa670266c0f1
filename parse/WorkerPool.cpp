#include "parse/WorkerPool.h"

namespace qz {

CParseWorkerPool::~CParseWorkerPool() = default;

void CParseWorkerPool::Start(std::int32_t count) {
    m_nCount = count;
}

int CParseWorkerPool::Dispatch(std::int32_t mode, const std::string& path) {
    (void)mode;
    (void)path;
    return kDispatchFailed;
}

void CParseWorkerPool::Stop(std::int32_t mode) {
    (void)mode;
}

unsigned WorkerThreadProc(CParseWorker* worker) {
    (void)worker;
    return 0;
}

std::int32_t WorkerCountFor(unsigned logicalProcessors) {
    return static_cast<std::int32_t>(logicalProcessors * 1.5 + 1.0);
}

}  // namespace qz
