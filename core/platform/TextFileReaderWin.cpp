#include "platform/TextFileReader.h"

#include <cerrno>
#include <string>

#include "platform/FileError.h"
#include "platform/Path.h"
#include "platform/SystemWin.h"

namespace qz {

TextFileReader::TextFileReader(const std::string& path, ShareMode mode) : m_path(path) {
    const std::wstring native = win::Utf16(ToNativePath(path));
    // The share modes are the point: shared lets machines go on appending
    // while the file is read; deny-writers lets other programs read it too
    // but fails while one has it open for writing, and keeps writers out
    // while it is read, and tries a busy file again for a moment.
    const DWORD share = mode == ShareMode::Shared
                            ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                            : FILE_SHARE_READ;
    // FILE_FLAG_BACKUP_SEMANTICS opens a folder too, so that it is told apart
    // from a file that cannot be opened.
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    RetryWhileBusy([&] {
        file = CreateFileW(native.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        return mode == ShareMode::Shared || !busy;
    });
    if (file == INVALID_HANDLE_VALUE) {
        throw FileError(path, win::SystemReason(error));
    }
    m_file = file;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        const DWORD infoError = GetLastError();
        Close();
        throw FileError(path, win::SystemReason(infoError));
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

void TextFileReader::Close() {
    if (m_file != kNoFile) {
        CloseHandle(m_file);
        m_file = kNoFile;
    }
}

std::size_t TextFileReader::ReadSome(char* into, std::size_t room) {
    DWORD got = 0;
    if (!ReadFile(m_file, into, static_cast<DWORD>(room), &got, nullptr)) {
        throw FileError(m_path, win::SystemReason(GetLastError()));
    }
    return got;
}

void TextFileReader::SeekTo(std::uint64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(m_file, distance, nullptr, FILE_BEGIN)) {
        throw FileError(m_path, win::SystemReason(GetLastError()));
    }
}

}  // namespace qz
