#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/FileError.h"
#include "platform/FileIdentity.h"
#include "platform/Path.h"

namespace qz {

namespace {

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

std::optional<FileStamp> GetFileStamp(const std::string& path) {
    struct stat status {};
    if (::stat(ToNativePath(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.volume = static_cast<std::uint64_t>(status.st_dev);
    stamp.fileIndex = static_cast<std::uint64_t>(status.st_ino);
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modified = Nanoseconds(status.st_mtim);
    stamp.changed = Nanoseconds(status.st_ctim);
    return stamp;
}

std::int64_t FileClockNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

std::string ReadFileBytes(const std::string& path, std::uint64_t offset, std::size_t length) {
    const std::string native = ToNativePath(path);
    int fd = -1;
    while ((fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) < 0 && errno == EINTR) {
    }
    if (fd < 0) {
        throw FileError(path, errno);
    }
    std::string bytes(length, '\0');
    std::size_t got = 0;
    int error = 0;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        error = errno;
    } else if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    }
    while (error == 0 && got < length) {
        const ssize_t n =
            ::pread(fd, bytes.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = errno;
        } else if (n == 0) {
            break;
        } else {
            got += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    if (error != 0) {
        throw FileError(path, error);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace qz
