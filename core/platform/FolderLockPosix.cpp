#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <thread>

#include "platform/FolderLock.h"
#include "platform/Path.h"

namespace qz {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kRetryEvery{25};

// Opens the lock file, creating it, without following a symbolic link or
// blocking on a FIFO planted in its place; -1 with errno set on failure.
int OpenLockFile(const std::string& path) {
    constexpr int kFlags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    // Writable where possible: a network file system's flock emulation needs
    // a descriptor open for writing. Another user's lock file may be readable
    // only, which a local flock takes as well.
    int fd = ::open(path.c_str(), O_RDWR | kFlags, 0644);
    if (fd < 0 && errno == EACCES) {
        fd = ::open(path.c_str(), O_RDONLY | kFlags, 0644);
    }
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// The system gives no advisory lock on this file system.
bool NoLockSupport(int error) {
    return error == ENOLCK || error == EOPNOTSUPP || error == EBADF || error == EINVAL;
}

// Removes the held file at path when its last change is older than the stale
// time: its holder was killed before it could remove it.
void RemoveIfStale(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return;
    }
    const std::time_t age = std::time(nullptr) - status.st_mtime;
    if (age > FolderLock::kStaleHeldAfter.count()) {
        ::unlink(path.c_str());
    }
}

}  // namespace

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
    const std::string native = ToNativePath(folder);
    const std::string base = native.empty() || native.back() == '/' ? native : native + '/';
    const Clock::time_point deadline = Clock::now() + wait;

    const int fd = OpenLockFile(base + std::string(kLockFileName));
    if (fd < 0) {
        m_failure = std::strerror(errno);
        return;
    }
    // Each open is its own lock, so two threads of one process take turns too.
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_file = fd;
            return;
        }
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (NoLockSupport(error)) {
            break;
        }
        if (error != EWOULDBLOCK) {
            ::close(fd);
            m_failure = std::strerror(error);
            return;
        }
        if (Clock::now() >= deadline) {
            ::close(fd);
            m_busy = true;
            m_failure = "another report is being written";
            return;
        }
        std::this_thread::sleep_for(kRetryEvery);
    }
    ::close(fd);

    // No advisory lock here: the exclusive creation of the held file is.
    const std::string held = base + std::string(kHeldFileName);
    for (;;) {
        const int created =
            ::open(held.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (created >= 0) {
            ::close(created);
            m_heldPath = held;
            return;
        }
        if (errno != EEXIST) {
            m_failure = std::strerror(errno);
            return;
        }
        RemoveIfStale(held);
        if (Clock::now() >= deadline) {
            m_busy = true;
            m_failure = "another report is being written";
            return;
        }
        std::this_thread::sleep_for(kRetryEvery);
    }
}

FolderLock::~FolderLock() {
    if (!m_heldPath.empty()) {
        ::unlink(m_heldPath.c_str());
    }
    if (m_file != kNoFile) {
        ::close(m_file);  // releases the lock
    }
}

}  // namespace qz
