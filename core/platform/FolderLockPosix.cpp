#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Path.h"

namespace qz {

FolderLock::FolderLock(const std::string& folder) {
    const std::string native = ToNativePath(folder);
    // flock on the folder itself: no lock file is left among the folder's
    // files, and each open is its own lock, so two threads take turns too.
    const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

FolderLock::~FolderLock() {
    if (m_fd >= 0) {
        ::close(m_fd);  // releases the lock
    }
}

}  // namespace qz
