#pragma once
// A per-user single-instance guard named after its name, held while the guard
// lives; the holder may listen for later starts that ask it to show itself.
// POSIX: a lock file under $XDG_RUNTIME_DIR (else /tmp/<name>-<uid>.lock) held
// with flock, and a socket beside it (<name>.sock). Windows: a named mutex in
// the user's session, and a named event the holder waits on.

#include <functional>
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

    // For a start that found the guard taken: asks the holder to show itself.
    // False when no holder listens.
    bool AskHolderToShow() const;

    // For the holder: calls onShowRequest, on a thread of its own, each time a
    // later start asks, until Release. False when it cannot listen.
    bool ListenForShowRequests(std::function<void()> onShowRequest);

    // Stops listening (no call of onShowRequest is running or follows), then
    // gives the guard up.
    void Release();

  private:
    void StopListening();

    std::string m_socketPath;
    int m_fd = -1;
    bool m_alreadyExists = false;
    int m_listenFd = -1;
    int m_stopPipe[2] = {-1, -1};
    std::thread m_listener;
};

}  // namespace qz
