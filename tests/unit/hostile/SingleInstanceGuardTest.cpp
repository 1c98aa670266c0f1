// The single-instance guard against an unlucky or hostile neighbour: a first
// instance that is stopped, and a fallback folder (no XDG_RUNTIME_DIR) that
// another user prepared.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/SingleInstance.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A holder of the guard name in a child process, listening; stopped with
// SIGSTOP when asked. Killed when it goes.
class Holder {
  public:
    explicit Holder(const std::string& name) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            SingleInstanceGuard guard(name);
            const bool listening = guard.ListenForShowRequests([] {});
            const char byte = listening && !guard.AlreadyExists() ? 1 : 0;
            (void)::write(ready[1], &byte, 1);
            ::pause();
            ::_exit(0);
        }
        char byte = 0;
        ::close(ready[1]);
        EXPECT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(byte, 1) << "the holder could not take the guard";
    }
    ~Holder() {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    // Stops the holder and waits until every thread of it has stopped.
    void Stop() {
        ::kill(m_pid, SIGSTOP);
        const std::string tasks = "/proc/" + std::to_string(m_pid) + "/task";
        for (bool running = true; running;) {
            running = false;
            for (const auto& task : fs::directory_iterator(tasks)) {
                const std::string stat = test::ReadFile(task.path().string() + "/stat");
                const std::size_t close = stat.rfind(')');
                running = running || close == std::string::npos || stat[close + 2] != 'T';
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

  private:
    pid_t m_pid = -1;
};

TEST(SingleInstanceGuardTest, AStoppedHolderIsToldOfWithinTheWait) {
    test::HomeRedirect home;
    const std::string name = "QZ-test-stopped-" + std::to_string(::getpid());
    Holder holder(name);
    {
        SingleInstanceGuard second(name);
        ASSERT_TRUE(second.AlreadyExists());
        EXPECT_TRUE(second.AskHolderToShow()) << "a running holder answers";
    }
    holder.Stop();
    // More starts than the holder's queue of requests holds: none hangs.
    for (int start = 0; start < 6; ++start) {
        SingleInstanceGuard later(name);
        ASSERT_TRUE(later.AlreadyExists());
        const auto begin = Clock::now();
        EXPECT_FALSE(later.AskHolderToShow());
        EXPECT_LT(Clock::now() - begin,
                  SingleInstanceGuard::kAnswerWait + std::chrono::milliseconds(500))
            << "start " << start;
    }
}

// Without XDG_RUNTIME_DIR the guard lives in a folder of the user's own under
// TMPDIR, made private; a folder or link planted there by someone else is not
// used, and nothing is created through it.
TEST(SingleInstanceGuardTest, TheFallbackFolderIsPrivateToTheUser) {
    test::TempDir tmp;
    test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    test::ScopedEnv tmpdir("TMPDIR", tmp.path());
    const std::string name = "QZ-test-fallback";
    const std::string folder = tmp.path() + "/" + name + "-" + std::to_string(::getuid());

    {
        SingleInstanceGuard guard(name);
        EXPECT_FALSE(guard.AlreadyExists());
        struct stat status {};
        ASSERT_EQ(::lstat(folder.c_str(), &status), 0);
        EXPECT_TRUE(S_ISDIR(status.st_mode));
        EXPECT_EQ(status.st_mode & 0777, 0700u);
        EXPECT_TRUE(fs::exists(folder + "/" + name + ".lock"));
        SingleInstanceGuard second(name);
        EXPECT_TRUE(second.AlreadyExists());
    }
    fs::remove_all(folder);

    // A symbolic link in the folder's place: not followed.
    const std::string chosen = tmp.MakeDir("chosen");
    fs::create_symlink(chosen, folder);
    {
        SingleInstanceGuard guard(name);
        EXPECT_FALSE(guard.AlreadyExists());
        EXPECT_TRUE(fs::is_empty(chosen));
    }
    fs::remove(folder);

    // A lock file planted as a link in the user's own folder: not followed.
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    fs::create_symlink(chosen + "/made", folder + "/" + name + ".lock");
    {
        SingleInstanceGuard guard(name);
        EXPECT_FALSE(guard.AlreadyExists());
        EXPECT_FALSE(fs::exists(chosen + "/made"));
    }
    fs::remove_all(folder);

    // Another user's folder (root can make one): not used, and not taken for
    // a running instance.
    if (::geteuid() == 0) {
        ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        tmp.Write(name + "-" + std::to_string(::getuid()) + "/" + name + ".lock", "");
        SingleInstanceGuard guard(name);
        EXPECT_FALSE(guard.AlreadyExists());
        SingleInstanceGuard second(name);
        EXPECT_FALSE(second.AlreadyExists()) << "no guard is taken in another user's folder";
    }
}

}  // namespace
}  // namespace qz
