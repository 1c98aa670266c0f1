#include "platform/TextFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/FileError.h"
#include "platform/Path.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

// Big enough that system calls vanish against the line scanning, small enough
// to stay in the cache of one core.
constexpr std::size_t kInitialCapacity = std::size_t{1} << 20;

}  // namespace

TextFileReader::TextFileReader(const std::string& path, ShareMode mode) : m_path(path) {
    const std::wstring native = win::Utf16(ToNativePath(path));
    // The share modes are the point: shared lets machines go on appending
    // while the file is read; exclusive makes the open fail while any other
    // program has the file open, and keeps others out while it is read.
    const DWORD share =
        mode == ShareMode::Shared ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0;
    // FILE_FLAG_BACKUP_SEMANTICS opens a folder too, so that it is told apart
    // from a file that cannot be opened.
    const HANDLE file =
        CreateFileW(native.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                    FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw FileError(path, win::SystemReason(GetLastError()));
    }
    m_fd = win::StoredHandle(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        const DWORD error = GetLastError();
        Close();
        throw FileError(path, win::SystemReason(error));
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Close();
        throw FileError(path, EISDIR);
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        Close();
        throw FileError(path, std::string_view("Not a regular file"));
    }
    m_buffer = std::make_unique_for_overwrite<char[]>(kInitialCapacity);
    m_capacity = kInitialCapacity;
}

TextFileReader::~TextFileReader() {
    Close();
}

void TextFileReader::Close() {
    if (m_fd >= 0) {
        CloseHandle(win::HandleOf(m_fd));
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
    DWORD got = 0;
    if (!ReadFile(win::HandleOf(m_fd), m_buffer.get() + m_end,
                  static_cast<DWORD>(m_capacity - m_end), &got, nullptr)) {
        throw FileError(m_path, win::SystemReason(GetLastError()));
    }
    // No latch at the end: a later call reads whatever was appended meanwhile.
    m_end += got;
    return got > 0;
}

}  // namespace qz
