// The guard is a named mutex in the user's session; show requests are a
// named event the holder waits on.
#include <utility>

#include "platform/SingleInstance.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

std::wstring ObjectName(const std::string& name, const char* suffix) {
    // '\' is the namespace separator of object names.
    std::string text = "Local\\" + name + suffix;
    for (std::size_t i = 6; i < text.size(); ++i) {
        if (text[i] == '\\') {
            text[i] = '/';
        }
    }
    return win::Utf16(text);
}

void CloseStored(int& stored) {
    if (stored >= 0) {
        CloseHandle(win::HandleOf(stored));
        stored = -1;
    }
}

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const std::string& name) {
    m_socketPath = name;  // the name the show-request event is made from
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, ObjectName(name, ".instance").c_str());
    if (mutex == nullptr) {
        // Named by someone else in a way we may not open: not ours to run.
        m_alreadyExists = GetLastError() == ERROR_ACCESS_DENIED;
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        m_alreadyExists = true;
        CloseHandle(mutex);
        return;
    }
    m_fd = win::StoredHandle(mutex);
}

SingleInstanceGuard::~SingleInstanceGuard() {
    Release();
}

bool SingleInstanceGuard::AskHolderToShow() const {
    const HANDLE event =
        OpenEventW(EVENT_MODIFY_STATE, FALSE, ObjectName(m_socketPath, ".show").c_str());
    if (event == nullptr) {
        return false;
    }
    // Windows lets only the foreground process hand the foreground on.
    AllowSetForegroundWindow(ASFW_ANY);
    const bool asked = SetEvent(event) != FALSE;
    CloseHandle(event);
    return asked;
}

bool SingleInstanceGuard::ListenForShowRequests(std::function<void()> onShowRequest) {
    if (m_fd < 0 || m_listenFd >= 0) {
        return false;
    }
    const HANDLE show =
        CreateEventW(nullptr, FALSE, FALSE, ObjectName(m_socketPath, ".show").c_str());
    const HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_listenFd = win::StoredHandle(show);
    m_stopPipe[0] = win::StoredHandle(stop);
    if (m_listenFd < 0 || m_stopPipe[0] < 0) {
        CloseStored(m_listenFd);
        CloseStored(m_stopPipe[0]);
        return false;
    }
    m_listener = std::thread([show, stop, onShowRequest = std::move(onShowRequest)] {
        const HANDLE events[2] = {stop, show};
        while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            onShowRequest();
        }
    });
    return true;
}

void SingleInstanceGuard::StopListening() {
    if (m_listener.joinable()) {
        SetEvent(win::HandleOf(m_stopPipe[0]));
        m_listener.join();
    }
    CloseStored(m_listenFd);
    CloseStored(m_stopPipe[0]);
}

void SingleInstanceGuard::Release() {
    StopListening();
    CloseStored(m_fd);
}

}  // namespace qz
