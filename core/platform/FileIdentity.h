#pragma once
// What tells a file and the state of its bytes apart between two looks at it,
// without reading it: the file itself (POSIX: device and inode; Windows:
// volume serial number and file index), its size and its times. The change
// time moves with every write, even one that sets the modification time back
// (POSIX: ctime; Windows: the ChangeTime of the file's basic information).
// And the bytes of a stretch of a file, read where they stand.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qz {

struct FileStamp {
    std::uint64_t volume = 0;     // device / volume serial number
    std::uint64_t fileIndex = 0;  // inode / file index
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since 1970-01-01 UTC
    std::int64_t changed = 0;   // nanoseconds since 1970-01-01 UTC

    bool operator==(const FileStamp&) const = default;
    bool SameFile(const FileStamp& other) const {
        return volume == other.volume && fileIndex == other.fileIndex;
    }
};

// The stamp of the regular file at path (following a symbolic link); nullopt
// when there is none or it cannot be looked at. Never opens the file for
// reading and never waits for a writer.
std::optional<FileStamp> GetFileStamp(const std::string& path);

// The system's clock now, in the unit of FileStamp's times.
std::int64_t FileClockNow();

// Up to length bytes of the file at path from offset, fewer where the file
// ends sooner. Opened shared, as the record reader opens it. Every failure is
// a FileError.
std::string ReadFileBytes(const std::string& path, std::uint64_t offset, std::size_t length);

}  // namespace qz
