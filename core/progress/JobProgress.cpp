#include "progress/JobProgress.h"

#include <algorithm>

namespace qz {

JobProgress::JobProgress(std::size_t workerCount)
    : m_workerCount(std::max<std::size_t>(workerCount, 1)),
      m_counters(std::make_unique<Counter[]>(m_workerCount)) {}

std::uint64_t JobProgress::ParsedBytes() const {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < m_workerCount; ++i) {
        sum += m_counters[i].bytes.load(std::memory_order_relaxed);
    }
    return sum;
}

}  // namespace qz
