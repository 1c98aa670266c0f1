#include "platform/Thread.h"

#include <utility>

namespace qz {

Thread::Thread(std::function<unsigned()> proc) : m_proc(std::move(proc)) {}

Thread::~Thread() {
    Join();
}

void Thread::Resume() {
    if (!m_proc) {
        return;  // already started
    }
    m_thread = std::thread([this, proc = std::move(m_proc)] {
        m_exitCode = proc();
        m_ended.Set();
    });
}

void Thread::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

unsigned LogicalProcessorCount() {
    const unsigned count = std::thread::hardware_concurrency();
    return count > 0 ? count : 1;
}

}  // namespace qz
