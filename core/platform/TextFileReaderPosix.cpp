#include "platform/TextFileReader.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/FileError.h"
#include "platform/Path.h"

namespace qz {

namespace {

// Big enough that system calls vanish against the line scanning, small enough
// to stay in the cache of one core.
constexpr std::size_t kInitialCapacity = std::size_t{1} << 20;

}  // namespace

TextFileReader::TextFileReader(const std::string& path, ShareMode mode) : m_path(path) {
    const std::string native = ToNativePath(path);
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    m_fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        throw FileError(path, errno);
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
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
    if (mode == ShareMode::Exclusive) {
        int result = 0;
        while ((result = ::flock(m_fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        // Only another holder's lock fails the open. Where the system cannot
        // lock at all (NFS emulates flock with byte-range locks that need
        // write access: EBADF; ENOLCK; EOPNOTSUPP), the file is read unlocked.
        if (result != 0 && errno == EWOULDBLOCK) {
            const int error = errno;
            Close();
            throw FileError(path, error);
        }
    }
    m_buffer = std::make_unique_for_overwrite<char[]>(kInitialCapacity);
    m_capacity = kInitialCapacity;
}

TextFileReader::~TextFileReader() {
    Close();
}

void TextFileReader::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);  // also drops an exclusive lock
        m_fd = -1;
    }
}

bool TextFileReader::ReadLineRefilling(std::string_view& line) {
    // The buffer holds no line end behind m_begin: read more until one comes.
    for (;;) {
        const std::size_t scanned = m_end - m_begin;  // bytes known to hold no LF
        if (scanned > kMaxLineBytes) {
            return SkipLongLine(line);
        }
        if (!Fill()) {
            if (m_begin == m_end) {
                return false;
            }
            // The last line has no line end.
            line = std::string_view(m_buffer.get() + m_begin, m_end - m_begin);
            m_position += m_end - m_begin;
            m_begin = m_end;
            return true;
        }
        // Fill moved the unread bytes to the front; search only the new ones.
        const char* start = m_buffer.get() + m_begin;
        const auto* lf =
            static_cast<const char*>(std::memchr(start + scanned, '\n', m_end - m_begin - scanned));
        if (lf != nullptr) {
            TakeLine(start, lf, line);
            return true;
        }
    }
}

bool TextFileReader::SkipLongLine(std::string_view& line) {
    // Drop what is buffered and read on to the line end (or the end of the
    // file), holding no more than one buffer of it.
    for (;;) {
        m_position += m_end - m_begin;
        m_begin = m_end;
        if (!Fill()) {
            break;
        }
        const char* start = m_buffer.get() + m_begin;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', m_end - m_begin));
        if (lf != nullptr) {
            const std::size_t consumed = static_cast<std::size_t>(lf - start) + 1;
            m_begin += consumed;
            m_position += consumed;
            break;
        }
    }
    ++m_skippedLines;
    line = std::string_view();
    return true;
}

void TextFileReader::ThrowIfLinesSkipped() const {
    if (m_skippedLines == 0) {
        return;
    }
    const std::string limit = std::to_string(kMaxLineBytes >> 20) + " MiB";
    throw FileError(m_path, m_skippedLines == 1
                                ? "1 line longer than " + limit + " was skipped"
                                : std::to_string(m_skippedLines) + " lines longer than " + limit +
                                      " were skipped");
}

bool TextFileReader::Fill() {
    if (m_fd < 0) {
        return false;
    }
    const std::size_t unread = m_end - m_begin;
    if (unread == m_capacity) {
        // One line fills the whole buffer: only now does the buffer grow, up to
        // what the longest line that is held needs.
        const std::size_t capacity = std::min(m_capacity * 2, kMaxLineBytes + 1);
        auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
        std::memcpy(buffer.get(), m_buffer.get() + m_begin, unread);
        m_buffer = std::move(buffer);
        m_capacity = capacity;
    } else if (m_begin > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_begin, unread);
    }
    m_begin = 0;
    m_end = unread;
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.get() + m_end, m_capacity - m_end);
        if (got > 0) {
            m_end += static_cast<std::size_t>(got);
            return true;
        }
        if (got == 0) {
            // No latch: a later call reads whatever was appended meanwhile.
            return false;
        }
        if (errno != EINTR) {
            throw FileError(m_path, errno);
        }
    }
}

}  // namespace qz
