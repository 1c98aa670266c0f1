#include "FuzzSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qz::fuzz {

namespace {

std::string ScratchFolder() {
    struct stat info {};
    if (::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) &&
        ::access("/dev/shm", W_OK) == 0) {
        return "/dev/shm";
    }
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

void WriteAll(const std::string& path, std::string_view bytes, int flags) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0600);
    if (fd < 0) {
        std::perror(path.c_str());
        std::abort();
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written <= 0) {
            std::perror(path.c_str());
            std::abort();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
}

}  // namespace

ScratchFile::ScratchFile(std::string_view tag)
    : m_path(ScratchFolder() + "/qz-fuzz-" + std::string(tag) + "-" + std::to_string(::getpid())) {}

ScratchFile::~ScratchFile() {
    ::unlink(m_path.c_str());
}

void ScratchFile::Write(std::string_view bytes) const {
    WriteAll(m_path, bytes, O_TRUNC);
}

void ScratchFile::Append(std::string_view bytes) const {
    WriteAll(m_path, bytes, O_APPEND);
}

std::vector<ExpectedLine> SplitLines(std::string_view bytes) {
    std::vector<ExpectedLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        if (lf == std::string_view::npos) {
            // A lone CR at the very end ends the last line as CR LF would.
            std::string_view text = bytes.substr(start);
            if (text.back() == '\r') {
                text.remove_suffix(1);
            }
            lines.push_back({text, bytes.size() - start});
            break;
        }
        std::string_view text = bytes.substr(start, lf - start);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        lines.push_back({text, lf + 1 - start});
        start = lf + 1;
    }
    return lines;
}

}  // namespace qz::fuzz
