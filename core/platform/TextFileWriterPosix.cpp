#include "platform/TextFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileError.h"
#include "platform/Path.h"

namespace qz {

void WriteTextFile(const std::string& path, std::string_view text) {
    const std::string native = ToNativePath(path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw FileError(path, errno);
    }
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
            throw FileError(path, error);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // A full or failing device may report its error only at close.
    if (::close(fd) != 0) {
        throw FileError(path, errno);
    }
}

}  // namespace qz
