// Starts the built program twice under a redirected home: the second start
// ends at once with exit code 0 while the first runs.

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/ui/UiTestSupport.h"

extern char** environ;

namespace qz {
namespace {

using Clock = std::chrono::steady_clock;

pid_t Start() {
    char* const argv[] = {const_cast<char*>(QZ_APP_EXECUTABLE), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, QZ_APP_EXECUTABLE, nullptr, nullptr, argv, environ) != 0)
        return -1;
    return pid;
}

// The exit status once the process has ended within timeout, else nothing.
std::optional<int> WaitForExit(pid_t pid, std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

void Stop(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// True once pid holds a flock on the file path (read from /proc/locks, so the
// test never takes the lock itself).
bool HoldsLock(pid_t pid, const std::string& path, std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) {
            std::ifstream locks("/proc/locks");
            std::string line;
            while (std::getline(locks, line)) {
                std::istringstream fields(line);
                std::string index, kind, advisory, mode, device;
                long owner = 0;
                fields >> index >> kind >> advisory >> mode >> owner >> device;
                const std::string inode = ":" + std::to_string(st.st_ino);
                if (kind == "FLOCK" && owner == pid && device.size() > inode.size() &&
                    device.compare(device.size() - inode.size(), inode.size(), inode) == 0)
                    return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(SingleInstanceTest, SecondStartEndsAtOnceWhileTheFirstRuns) {
    test::DataTree tree;
    tree.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
    tree.MakeDir("ReportData/Platform-A");
    const std::string lock = tree.home().runtimeDir() + "/QZ8840-Production-Report.lock";

    const pid_t first = Start();
    ASSERT_GT(first, 0);
    ASSERT_TRUE(HoldsLock(first, lock, std::chrono::seconds(30))) << "first start never ran";

    const pid_t second = Start();
    ASSERT_GT(second, 0);
    const std::optional<int> status = WaitForExit(second, std::chrono::seconds(20));
    if (!status)
        Stop(second);
    EXPECT_EQ(status, std::optional<int>(0));
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0) << "the first instance must go on";

    // Once the first has gone, a new start runs.
    Stop(first);
    const pid_t third = Start();
    ASSERT_GT(third, 0);
    EXPECT_TRUE(HoldsLock(third, lock, std::chrono::seconds(30)));
    Stop(third);
}

}  // namespace
}  // namespace qz
