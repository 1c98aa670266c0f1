// The guard is a named mutex in the user's session; show requests are a
// named event the holder waits on.
#include <memory>
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

void CloseHeld(HANDLE& handle) {
    if (handle != nullptr) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

}  // namespace

struct SingleInstanceGuard::State {
    std::string name;  // the name the show-request event is made from
    HANDLE mutex = nullptr;
    HANDLE show = nullptr;
    HANDLE stop = nullptr;
};

SingleInstanceGuard::SingleInstanceGuard(const std::string& name)
    : m_state(std::make_unique<State>()) {
    m_state->name = name;
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
    m_state->mutex = mutex;
}

SingleInstanceGuard::~SingleInstanceGuard() {
    Release();
}

bool SingleInstanceGuard::AskHolderToShow() const {
    const HANDLE event =
        OpenEventW(EVENT_MODIFY_STATE, FALSE, ObjectName(m_state->name, ".show").c_str());
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
    if (m_state->mutex == nullptr || m_state->show != nullptr) {
        return false;
    }
    const HANDLE show =
        CreateEventW(nullptr, FALSE, FALSE, ObjectName(m_state->name, ".show").c_str());
    const HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_state->show = show;
    m_state->stop = stop;
    if (show == nullptr || stop == nullptr) {
        CloseHeld(m_state->show);
        CloseHeld(m_state->stop);
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
        SetEvent(m_state->stop);
        m_listener.join();
    }
    CloseHeld(m_state->show);
    CloseHeld(m_state->stop);
}

void SingleInstanceGuard::Release() {
    StopListening();
    CloseHeld(m_state->mutex);
}

}  // namespace qz
