#include "platform/TextFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/FileError.h"
#include "platform/Path.h"
#include "platform/ReplacementNames.h"

namespace qz {

namespace {

// Writes all of text to fd and closes it; returns 0 or the first errno.
int WriteAllAndClose(int fd, std::string_view text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            return error;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // A full device may report its error only when the data reaches it.
    if (::fsync(fd) != 0 && errno != EINVAL) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    if (::close(fd) != 0) {
        return errno;
    }
    return 0;
}

// Opens a new file beside native under a name no one else uses
// (ReplacementNames.h).
int CreateBeside(const std::string& native, std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = ReplacementPathBeside(native, static_cast<unsigned long>(::getpid()));
        // The mode is that of a file created in place: 0644 less the umask.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string path, std::string_view text)
    : m_path(std::move(path)) {
    const std::string native = ToNativePath(m_path);
    // A folder in the file's place could never be replaced: said now, before
    // a caller that replaces a set of files renames any of them.
    struct stat status {};
    if (::lstat(native.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        throw FileError(m_path, EISDIR);
    }
    std::string tempPath;
    const int fd = CreateBeside(native, tempPath);
    if (fd < 0) {
        throw FileError(m_path, errno);
    }
    if (const int error = WriteAllAndClose(fd, text); error != 0) {
        ::unlink(tempPath.c_str());
        throw FileError(m_path, error);
    }
    m_tempPath = std::move(tempPath);
}

ReplacementFile::~ReplacementFile() {
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
    }
}

void ReplacementFile::Commit() {
    if (m_tempPath.empty()) {
        throw std::logic_error("replacement file committed twice");
    }
    if (::rename(m_tempPath.c_str(), ToNativePath(m_path).c_str()) != 0) {
        const int error = errno;
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
        throw FileError(m_path, error);
    }
    m_tempPath.clear();
}

void RemoveFileQuietly(const std::string& native) {
    ::unlink(native.c_str());
}

}  // namespace qz
