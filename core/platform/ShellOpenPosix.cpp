// The desktop's default program on Linux and other XDG desktops: xdg-open,
// started directly (no shell) and reaped in the background.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "platform/Path.h"
#include "platform/ShellOpen.h"

extern char** environ;

namespace qz {

void OpenWithDefaultProgram(const std::string& path) {
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

}  // namespace qz
