#include <cstdint>
#include <cstdio>

#include "platform/FolderLock.h"
#include "platform/Path.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

// A mutex named after the folder's full path in upper case (Windows names
// ignore letter case), hashed because a name has no '\' and a length limit.
std::wstring MutexNameFor(const std::wstring& folder) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD length =
        GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(folder.c_str(), length, full.data(), nullptr);
    }
    full.resize(length);
    while (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();
    }
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const wchar_t c : full) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\QZ8840-folder-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

// Windows has no lock on a folder: a named mutex per folder stands in for it.
// It is owned by a thread, which is where the lock is taken and dropped, and
// the system releases it when a holder ends without doing so.
FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
    const std::wstring native = win::Utf16(ToNativePath(folder));
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        m_failure = win::SystemReason(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError()
                                                                            : ERROR_DIRECTORY);
        return;
    }
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexNameFor(native).c_str());
    if (mutex == nullptr) {
        m_failure = win::SystemReason(GetLastError());
        return;
    }
    const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(wait.count()));
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        m_busy = waited == WAIT_TIMEOUT;
        m_failure = m_busy ? "another report is being written" : win::SystemReason(GetLastError());
        CloseHandle(mutex);
        return;
    }
    m_file = mutex;
}

FolderLock::~FolderLock() {
    if (m_file != kNoFile) {
        ReleaseMutex(m_file);
        CloseHandle(m_file);
    }
}

}  // namespace qz
