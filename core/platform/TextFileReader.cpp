// The line reading of TextFileReader, the same on every system; opening,
// closing and the system's read are in TextFileReader<System>.cpp.

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/FileError.h"
#include "platform/TextFileReader.h"

namespace qz {

TextFileReader::~TextFileReader() {
    Close();
}

bool TextFileReader::RetryWhileBusy(const std::function<bool()>& attempt) {
    const auto deadline = std::chrono::steady_clock::now() + kBusyWait;
    for (;;) {
        if (attempt()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool TextFileReader::ReadLineRefilling(std::string_view& line) {
    // The buffer holds no line end behind m_begin: read more until one comes.
    m_unterminated = false;
    m_endsAtFileEnd = false;
    for (;;) {
        const std::size_t scanned = m_end - m_begin;  // bytes known to hold no LF
        if (scanned > kMaxLineBytes) {
            return SkipLongLine(line);
        }
        if (!Fill()) {
            if (m_begin == m_end) {
                return false;
            }
            // The last line has no line end, unless a lone CR ends it.
            const std::size_t length = m_end - m_begin;
            const char* start = m_buffer.get() + m_begin;
            m_unterminated = start[length - 1] != '\r';
            m_endsAtFileEnd = true;
            line = std::string_view(start, m_unterminated ? length : length - 1);
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

void TextFileReader::StartAt(std::uint64_t offset) {
    SeekTo(offset);
    m_begin = 0;
    m_end = 0;
    m_position = offset;
}

bool TextFileReader::Fill() {
    if (m_file == kNoFile) {
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
    const std::size_t got = ReadSome(m_buffer.get() + m_end, m_capacity - m_end);
    // No latch at the end: a later call reads whatever was appended meanwhile.
    m_end += got;
    return got > 0;
}

}  // namespace qz
