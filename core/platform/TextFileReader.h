#pragma once
// Line reading of 8-bit text files with big buffered reads.
//
// Contract:
// - A line is returned without its LF or CR LF. An empty line is a line; a last
//   line without a line end is a line (Unterminated() says so), and a lone CR
//   at the end of the file ends the last line as a CR LF would.
// - GetPosition() is the byte offset just behind the last line read (its line
//   end included); at the end of the file it equals the bytes read in all.
// - Opening anything but a regular file (a directory, FIFO, socket, device) is a
//   FileError; opening never blocks.
// - Shared opening never fails because of another reader or writer.
//   Deny-writers opening lets others read but keeps writers out while the file
//   is read (Windows: share mode read only; POSIX: a shared advisory lock,
//   which only an exclusive lock holder refuses). While the file is busy it
//   tries again for up to kBusyWait, then fails with a FileError; where the
//   system cannot lock at all (EBADF on NFS, ENOLCK, EOPNOTSUPP) it reads
//   without the lock.
// - A file that grows while it is read is read to its new end.
// - A line longer than kMaxLineBytes (a CR before its LF counts) is not held: it is
//   returned as an empty line, its bytes are consumed (GetPosition counts
//   them) and SkippedLines() counts it. So a file of gigabytes without a line
//   end (zero-filled, preallocated) needs no more memory than any other.
// - Every failure (open, read, position) is a FileError.
// Not thread-safe: one reader belongs to one thread at a time.

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/NativeFile.h"

namespace qz {

enum class ShareMode { Shared, DenyWriters };

class TextFileReader {
  public:
    // Far above any real line (a record is well under a kilobyte), small
    // enough that a reader's buffer stays at a few MiB.
    static constexpr std::size_t kMaxLineBytes = std::size_t{4} << 20;
    // How long a deny-writers open waits for a busy file: another reporter
    // starting at the same moment reads the list for a few milliseconds.
    static constexpr std::chrono::milliseconds kBusyWait{1000};

    TextFileReader(const std::string& path, ShareMode mode);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // The next line, as a view into the reader's buffer that stays valid until
    // the next call. False at the end of the file.
    bool ReadLine(std::string_view& line) {
        // Inline fast path: the line end is already in the buffer.
        char* const start = m_buffer.get() + m_begin;
        const void* lf = std::memchr(start, '\n', m_end - m_begin);
        if (lf == nullptr) {
            return ReadLineRefilling(line);
        }
        TakeLine(start, static_cast<const char*>(lf), line);
        return true;
    }

    std::uint64_t GetPosition() const { return m_position; }

    // The line ReadLine returned last is the file's last and has no line end
    // (a writer may still be writing it).
    bool Unterminated() const { return m_unterminated; }
    // The line ReadLine returned last was ended by the end of the file, with
    // or without a lone CR: bytes appended later may still continue it (a CR
    // followed by more than an LF is no line end).
    bool EndsAtFileEnd() const { return m_endsAtFileEnd; }

    // The lines skipped so far for being longer than kMaxLineBytes.
    std::uint64_t SkippedLines() const { return m_skippedLines; }
    // Throws a FileError that names the file and the limit when lines were
    // skipped; called at the end of a file so that the skipping is said once.
    void ThrowIfLinesSkipped() const;

    // In-place scanning, for a caller that finds line ends itself: the unread
    // bytes already in the buffer (valid until the next call that reads), and
    // Consume(n) to take n of them as read (n <= Buffered().size()). ReadLine
    // goes on behind whatever was consumed.
    std::string_view Buffered() const {
        return std::string_view(m_buffer.get() + m_begin, m_end - m_begin);
    }
    void Consume(std::size_t n) {
        m_begin += n;
        m_position += n;
    }

    // Starts reading at offset, which must be the start of a line and at most
    // the file's size; call it before the first ReadLine. GetPosition() is
    // then offset.
    void StartAt(std::uint64_t offset);

    void Close();

  private:
    void TakeLine(const char* start, const char* lf, std::string_view& line) {
        std::size_t length = static_cast<std::size_t>(lf - start);
        const std::size_t consumed = length + 1;
        if (length > 0 && start[length - 1] == '\r') {
            --length;
        }
        line = std::string_view(start, length);
        m_begin += consumed;
        m_position += consumed;
    }
    bool ReadLineRefilling(std::string_view& line);
    bool SkipLongLine(std::string_view& line);  // the buffer holds no LF
    bool Fill();  // reads more bytes behind the unread ones; false at the end
    // The system's read into room bytes at into: the bytes read, 0 at the
    // end of the file; a failure throws FileError.
    std::size_t ReadSome(char* into, std::size_t room);
    void SeekTo(std::uint64_t offset);  // the system's seek; a failure throws FileError
    // Calls attempt until it returns true (done, opened or failed for good)
    // or kBusyWait has passed; true when it was done in time.
    static bool RetryWhileBusy(const std::function<bool()>& attempt);

    // Big enough that system calls vanish against the line scanning, small
    // enough to stay in the cache of one core.
    static constexpr std::size_t kInitialCapacity = std::size_t{1} << 20;

    NativeFile m_file = kNoFile;
    bool m_endsAtFileEnd = false;
    std::string m_path;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_begin = 0;  // first unread byte
    std::size_t m_end = 0;    // one past the last byte in the buffer
    std::uint64_t m_position = 0;
    std::uint64_t m_skippedLines = 0;
    bool m_unterminated = false;
};

}  // namespace qz
