#pragma once
// A thread created suspended, resumed by its creator, joined and deleted by it.
// EndedEvent() is signalled when the procedure has returned.

#include <functional>
#include <memory>
#include <thread>

#include "platform/Sync.h"

namespace qz {

class Thread {
public:
    explicit Thread(std::function<unsigned()> proc);  // suspended
    ~Thread();                                        // joins if still running
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void Resume();  // starts the procedure; once
    Event& EndedEvent() { return m_ended; }
    void Join();
    unsigned ExitCode() const { return m_exitCode; }

private:
    std::function<unsigned()> m_proc;
    std::thread m_thread;
    Event m_ended{Event::Reset::Manual, false};
    unsigned m_exitCode = 0;
};

// Number of logical processors (at least 1).
unsigned LogicalProcessorCount();

}  // namespace qz
