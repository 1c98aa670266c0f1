#pragma once
// A per-user single-instance guard named after its name: a lock file
// (<name>.lock) held with flock while the guard lives, in $XDG_RUNTIME_DIR,
// else in a folder private to the user ($TMPDIR or /tmp, <name>-<uid>, mode
// 0700, checked to be the user's own; without one there is no guard). The
// holder may listen on a socket beside the lock file (<name>.sock) for later
// starts that ask it to show itself, and answers each. Windows: a named mutex
// in the user's session, and a named event the holder waits on.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace qz {

class SingleInstanceGuard {
  public:
    explicit SingleInstanceGuard(const std::string& name);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when another process already holds the guard.
    bool AlreadyExists() const { return m_alreadyExists; }

    // How long a later start waits for the holder's answer.
    static constexpr std::chrono::seconds kAnswerWait{2};

    // For a start that found the guard taken: asks the holder to show itself
    // and waits at most kAnswerWait for its answer. False when the holder did
    // not answer (it does not listen, or it is stopped or hangs).
    bool AskHolderToShow() const;

    // For the holder: calls onShowRequest, on a thread of its own, each time a
    // later start asks, until Release. False when it cannot listen.
    bool ListenForShowRequests(std::function<void()> onShowRequest);

    // Stops listening (no call of onShowRequest is running or follows), then
    // gives the guard up.
    void Release();

  private:
    // What the system holds for the guard, as each system's file defines it:
    // the lock file, the listening socket and its stop pipe on POSIX; the
    // mutex and the two events on Windows.
    struct State;

    void StopListening();

    std::unique_ptr<State> m_state;
    bool m_alreadyExists = false;
    std::thread m_listener;
};

}  // namespace qz
