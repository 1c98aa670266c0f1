#include "platform/TextFileReader.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/FileError.h"
#include "platform/Path.h"

namespace qz {

TextFileReader::TextFileReader(const std::string& path, ShareMode mode) : m_path(path) {
    const std::string native = ToNativePath(path);
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    m_file = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_file < 0) {
        throw FileError(path, errno);
    }
    struct stat info {};
    if (::fstat(m_file, &info) != 0) {
        const int error = errno;
        Close();
        throw FileError(path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        Close();
        if (S_ISDIR(info.st_mode)) {
            throw FileError(path, EISDIR);
        }
        throw FileError(path, std::string_view("Not a regular file"));
    }
    if (mode == ShareMode::DenyWriters) {
        // A shared lock: readers never refuse each other; only a holder of an
        // exclusive lock (a writer that locks) does, and it may be gone soon.
        int error = 0;
        RetryWhileBusy([&] {
            int result = 0;
            while ((result = ::flock(m_file, LOCK_SH | LOCK_NB)) != 0 && errno == EINTR) {
            }
            error = result == 0 ? 0 : errno;
            return error != EWOULDBLOCK;
        });
        // Where the system cannot lock at all (NFS emulates flock with
        // byte-range locks that need write access: EBADF; ENOLCK;
        // EOPNOTSUPP), the file is read unlocked.
        if (error == EWOULDBLOCK) {
            Close();
            throw FileError(path, error);
        }
    }
    m_buffer = std::make_unique_for_overwrite<char[]>(kInitialCapacity);
    m_capacity = kInitialCapacity;
}

void TextFileReader::Close() {
    if (m_file != kNoFile) {
        ::close(m_file);  // also drops the lock
        m_file = kNoFile;
    }
}

std::size_t TextFileReader::ReadSome(char* into, std::size_t room) {
    for (;;) {
        const ssize_t got = ::read(m_file, into, room);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw FileError(m_path, errno);
        }
    }
}

void TextFileReader::SeekTo(std::uint64_t offset) {
    if (::lseek(m_file, static_cast<off_t>(offset), SEEK_SET) < 0) {
        throw FileError(m_path, errno);
    }
}

}  // namespace qz
