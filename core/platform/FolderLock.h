#pragma once
// An exclusive lock on a folder, held for the object's life, so that writers
// of a set of files in the folder take turns (between processes and between
// threads alike). The constructor waits at most the time it is given while
// another holds the lock; then the lock is not held and Busy() says so. A
// writer that does not hold the lock writes nothing: Failure() says why.
//
// On POSIX the lock is an advisory lock (flock) on a lock file of its own in
// the folder (kLockFileName), which works in a folder the writer may write but
// not read (mode 0333) and on a network file system that emulates flock.
// Where the system gives no advisory lock at all, the lock is the exclusive
// creation of a second file (kHeldFileName) that the holder removes; one left
// by a holder that was killed is taken as stale after kStaleHeldAfter. On
// Windows the lock is a named mutex per folder.

#include <chrono>
#include <string>
#include <string_view>

#include "platform/NativeFile.h"

namespace qz {

class FolderLock {
  public:
    // Long enough for another report's seven scripts on a slow disk, short
    // enough that an operator is told rather than kept waiting.
    static constexpr std::chrono::milliseconds kDefaultWait{5000};
    static constexpr std::string_view kLockFileName = ".qz8840-scripts.lock";
    static constexpr std::string_view kHeldFileName = ".qz8840-scripts.held";
    static constexpr std::chrono::seconds kStaleHeldAfter{120};

    explicit FolderLock(const std::string& folder, std::chrono::milliseconds wait = kDefaultWait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return m_file != kNoFile || !m_heldPath.empty(); }
    // Another holder kept the lock for the whole wait.
    bool Busy() const { return m_busy; }
    // Why the lock is not held, "" when it is: another holder, or the
    // system's reason the lock could not be taken.
    const std::string& Failure() const { return m_failure; }

  private:
    NativeFile m_file = kNoFile;  // the locked file (POSIX), the mutex (Windows)
    std::string m_heldPath;       // the created file, when that is the lock
    bool m_busy = false;
    std::string m_failure;
};

}  // namespace qz
