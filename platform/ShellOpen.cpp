#include "platform/ShellOpen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/Path.h"

extern char** environ;

namespace qz {

namespace {

std::mutex g_handlerMutex;
ShellOpenHandler g_handler;

void SpawnXdgOpen(const std::string& path) {
    std::string program = "xdg-open";
    std::string argument = ToNativePath(path);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) {
        return;  // the result is ignored by design
    }
    // Reap the child in the background so that it never lingers as a zombie.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace

void ShellOpen(const std::string& path) {
    ShellOpenHandler handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_handler;
    }
    if (handler) {
        handler(path);
    } else {
        SpawnXdgOpen(path);
    }
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
    std::lock_guard lock(g_handlerMutex);
    ShellOpenHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

}  // namespace qz
