#include <algorithm>
#include <cstdint>

#include "platform/FileError.h"
#include "platform/FileIdentity.h"
#include "platform/Path.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

// 100-nanosecond steps from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000;

std::int64_t Nanoseconds(std::int64_t ticks) {
    return (ticks - kUnixEpochTicks) * 100;
}

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

// Opened as the record reader opens files: writers and deleters go on.
HANDLE OpenShared(const std::string& path, DWORD access) {
    return CreateFileW(win::Utf16(ToNativePath(path)).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::optional<FileStamp> GetFileStamp(const std::string& path) {
    const HANDLE file = OpenShared(path, FILE_READ_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    const bool known = GetFileInformationByHandle(file, &info) &&
                       GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                       GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    if (!known) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.fileIndex = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = Nanoseconds(Ticks(info.ftLastWriteTime));
    stamp.changed = Nanoseconds(basic.ChangeTime.QuadPart);
    return stamp;
}

std::int64_t FileClockNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return Nanoseconds(Ticks(now));
}

std::string ReadFileBytes(const std::string& path, std::uint64_t offset, std::size_t length) {
    const HANDLE file = OpenShared(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
        throw FileError(path, win::SystemReason(GetLastError()));
    }
    std::string bytes(length, '\0');
    std::size_t got = 0;
    DWORD error = 0;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        error = GetLastError();
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = ERROR_DIRECTORY;
    }
    while (error == 0 && got < length) {
        const std::uint64_t at = offset + got;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length - got, 1u << 30));
        DWORD n = 0;
        if (!ReadFile(file, bytes.data() + got, want, &n, &where)) {
            const DWORD readError = GetLastError();
            if (readError != ERROR_HANDLE_EOF) {
                error = readError;
            }
            break;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    CloseHandle(file);
    if (error != 0) {
        throw FileError(path, win::SystemReason(error));
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace qz
