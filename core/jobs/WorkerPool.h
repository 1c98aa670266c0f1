#pragma once
// The worker threads of one job: they take the job's items (files) one at a
// time, each item exactly once, until all are taken or the job is cancelled.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "progress/JobProgress.h"

namespace qz {

// logical processors * 1.5 + 1, truncated.
std::int32_t WorkerCountFor(unsigned logicalProcessors);
// Number of logical processors (at least 1).
unsigned LogicalProcessorCount();
// requested when above 0, else WorkerCountFor(this machine).
std::size_t PoolSize(std::int32_t requested);

// Calls work(item, worker) for the items 0 .. itemCount - 1 on the workers
// 0 .. progress.WorkerCount() - 1, each on a thread of its own. Items are
// handed out in ascending order, each to the next worker that is free; none
// is handed out once progress is cancelled. Returns when every worker has
// ended. Workers whose thread cannot be started are left out; when none can
// be, the calling thread does the work as worker 0.
void RunWorkers(std::size_t itemCount, const JobProgress& progress,
                const std::function<void(std::size_t item, std::size_t worker)>& work);

}  // namespace qz
