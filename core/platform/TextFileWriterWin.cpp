#include "platform/TextFileWriter.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/FileError.h"
#include "platform/Path.h"
#include "platform/ReplacementNames.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

// Writes all of text to file and closes it; returns 0 or the first error.
DWORD WriteAllAndClose(HANDLE file, std::string_view text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) {
            const DWORD error = GetLastError();
            CloseHandle(file);
            return error;
        }
        data += written;
        left -= written;
    }
    // A full device may report its error only when the data reaches it.
    if (!FlushFileBuffers(file)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return error;
    }
    if (!CloseHandle(file)) {
        return GetLastError();
    }
    return 0;
}

// Creates a new file beside native under a name no one else uses
// (ReplacementNames.h).
HANDLE CreateBeside(const std::string& native, std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = ReplacementPathBeside(native, GetCurrentProcessId());
        const HANDLE file = CreateFileW(win::Utf16(tempPath).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string path, std::string_view text)
    : m_path(std::move(path)) {
    const std::string native = ToNativePath(m_path);
    // A folder in the file's place could never be replaced: said now, before
    // a caller that replaces a set of files renames any of them.
    const DWORD attributes = GetFileAttributesW(win::Utf16(native).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw FileError(m_path, win::SystemReason(ERROR_ACCESS_DENIED));
    }
    std::string tempPath;
    const HANDLE file = CreateBeside(native, tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        throw FileError(m_path, win::SystemReason(GetLastError()));
    }
    if (const DWORD error = WriteAllAndClose(file, text); error != 0) {
        RemoveFileQuietly(tempPath);
        throw FileError(m_path, win::SystemReason(error));
    }
    m_tempPath = std::move(tempPath);
}

ReplacementFile::~ReplacementFile() {
    if (!m_tempPath.empty()) {
        RemoveFileQuietly(m_tempPath);
    }
}

void ReplacementFile::Commit() {
    if (m_tempPath.empty()) {
        throw std::logic_error("replacement file committed twice");
    }
    if (!MoveFileExW(win::Utf16(m_tempPath).c_str(), win::Utf16(ToNativePath(m_path)).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        RemoveFileQuietly(m_tempPath);
        m_tempPath.clear();
        throw FileError(m_path, win::SystemReason(error));
    }
    m_tempPath.clear();
}

void RemoveFileQuietly(const std::string& native) {
    DeleteFileW(win::Utf16(native).c_str());
}

}  // namespace qz
