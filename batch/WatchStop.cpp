#include "batch/WatchStop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace qz {

namespace {

// Set from a signal handler (POSIX) or the console's handler thread (Windows).
std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_stopped{false};
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr std::chrono::milliseconds kSlice{50};

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD event) {
    const bool again = g_stopRequested.exchange(true);
    if (again && (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)) {
        return FALSE;  // the second one: the system's handler ends the process
    }
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The system ends the process when this returns (or after about five
        // seconds): give the report in hand the time to end whole.
        for (int i = 0; i < 90 && !g_stopped.load(); ++i) {
            Sleep(50);
        }
    }
    return TRUE;
}
#else
extern "C" void OnStopSignal(int number) {
    if (g_stopRequested.exchange(true)) {
        // The second one ends the process at once, as if no handler were set.
        std::signal(number, SIG_DFL);
        std::raise(number);
    }
}
#endif

}  // namespace

void InstallWatchStop() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume: the report in hand is not disturbed.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

bool WatchStopRequested() {
    return g_stopRequested.load();
}

bool WaitForWatchStop(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (!WatchStopRequested()) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::milliseconds::zero()) {
            return false;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kSlice));
    }
    return true;
}

void WatchStopped() {
    g_stopped.store(true);
}

}  // namespace qz
