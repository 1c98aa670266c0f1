#include "jobs/WorkerPool.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace qz {

std::int32_t WorkerCountFor(unsigned logicalProcessors) {
    return static_cast<std::int32_t>(static_cast<double>(logicalProcessors) * 1.5 + 1.0);
}

unsigned LogicalProcessorCount() {
    const unsigned count = std::thread::hardware_concurrency();
    return count > 0 ? count : 1;
}

std::size_t PoolSize(std::int32_t requested) {
    if (requested > 0) {
        return static_cast<std::size_t>(requested);
    }
    return static_cast<std::size_t>(WorkerCountFor(LogicalProcessorCount()));
}

void RunWorkers(std::size_t itemCount, const JobProgress& progress,
                const std::function<void(std::size_t item, std::size_t worker)>& work) {
    std::atomic<std::size_t> next{0};
    const auto runWorker = [&](std::size_t worker) {
        while (!progress.IsCancelled()) {
            const std::size_t item = next.fetch_add(1, std::memory_order_relaxed);
            if (item >= itemCount) {
                return;
            }
            work(item, worker);
        }
    };

    std::vector<std::thread> threads;
    threads.reserve(progress.WorkerCount());
    for (std::size_t worker = 0; worker < progress.WorkerCount(); ++worker) {
        try {
            threads.emplace_back(runWorker, worker);
        } catch (const std::system_error&) {
            break;  // the system has no thread to spare: go on with those started
        }
    }
    if (threads.empty()) {
        runWorker(0);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

}  // namespace qz
