// The desktop's default program on Linux and other XDG desktops: xdg-open,
// started directly (no shell). Its answer is awaited for a short while: a
// missing handler or document fails at once, whereas some desktops keep the
// opener running as long as the program it started, which must not hold the
// caller up.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/Path.h"
#include "platform/ShellOpen.h"

extern char** environ;

namespace qz {

namespace {

constexpr auto kOpenerAnswerLimit = std::chrono::seconds(3);

}  // namespace

bool OpenWithDefaultProgram(const std::string& path) {
    std::string program = "xdg-open";
    std::string argument = ToNativePath(path);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0)
        return false;

    const auto deadline = std::chrono::steady_clock::now() + kOpenerAnswerLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0 && errno != EINTR)
            return true;  // reaped elsewhere: its answer is lost, not a failure
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Still running: it has started a program. Reap it in the background so
    // that it never lingers as a zombie.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace qz
