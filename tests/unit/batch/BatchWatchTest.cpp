// qz8840-report --watch as a child process: the report written again as
// record lines are appended, and Ctrl+C (SIGINT) ending the command with
// status 0, whether it waits for a change or is counting an update.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/Polling.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

// The command running in the background, its standard output and error in
// files; killed at the end of the test if still running.
class WatchingChild {
  public:
    WatchingChild(std::vector<std::string> args, const std::string& folder)
        : m_out(folder + "/stdout.txt"), m_err(folder + "/stderr.txt") {
        args.insert(args.begin(), QZ_BATCH_EXECUTABLE);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int null = ::open("/dev/null", O_RDONLY);
            const int out = ::open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (null < 0 || out < 0 || err < 0 || ::dup2(null, 0) < 0 || ::dup2(out, 1) < 0 ||
                ::dup2(err, 2) < 0) {
                ::_exit(127);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~WatchingChild() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    WatchingChild(const WatchingChild&) = delete;
    WatchingChild& operator=(const WatchingChild&) = delete;

    std::string out() const { return SoFar(m_out); }
    std::string err() const { return SoFar(m_err); }
    pid_t pid() const { return m_pid; }

    // Sends SIGINT; the exit status, or -1 when the command did not exit by
    // itself within limit.
    int Interrupt(std::chrono::milliseconds limit = 10s) {
        ::kill(m_pid, SIGINT);
        int status = 0;
        const bool ended =
            test::PollUntil([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, limit);
        if (!ended) {
            return -1;
        }
        m_pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    // What the child has written to path (nothing before it opened it).
    static std::string SoFar(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::string m_out;
    std::string m_err;
    pid_t m_pid = -1;
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

void Append(const std::string& path, const std::string& lines) {
    std::ofstream(path, std::ios::app | std::ios::binary) << lines;
}

// Whether process pid has path open (Linux's /proc).
bool HasOpen(pid_t pid, const std::string& path) {
    std::error_code error;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (std::filesystem::read_symlink(entry.path(), error) == path) {
            return true;
        }
    }
    return false;
}

class BatchWatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = m_dir.path() + "/root";
        m_dir.MakeDir("root/Report/js");
        m_a =
            m_dir.Write("root/ReportData/A/1.csv", "header\n2018/05/03 10:00:00,c1,S,C1,B1,1,OK\n");
    }

    std::string Script(const std::string& name) const {
        return test::ReadFile(m_root + "/Report/js/" + name);
    }

    // Waits until standard output has shown `reports` reports, the last with
    // these totals.
    bool AwaitReport(const WatchingChild& child, std::size_t reports, const std::string& totals) {
        return test::PollUntil([&] {
            const std::string out = child.out();
            return Count(out, "OK: ") == reports && out.ends_with(totals);
        });
    }

    test::TempDir m_dir;
    test::HomeRedirect m_home;
    test::ScopedEnv m_locale{"LC_ALL", "C"};
    std::string m_root;
    std::string m_a;
    const std::vector<std::string> m_may = {"--from", "2018-05-01", "--to", "2018-05-31"};
};

TEST_F(BatchWatchTest, EachChangeIsReportedAndCtrlCEndsWithStatusZero) {
    std::vector<std::string> args = {"--root", m_root, "--watch", "1"};
    args.insert(args.end(), m_may.begin(), m_may.end());
    WatchingChild child(args, m_dir.path());
    ASSERT_TRUE(AwaitReport(child, 1, "OK: 1\nNG: 0\n")) << child.out() << child.err();
    const std::string scope = Script("reportScope.js");
    EXPECT_NE(scope.find("\t'made': '"), std::string::npos);
    EXPECT_NE(scope.find("\t'live': true,\n\t'liveSeconds': 1,\n"), std::string::npos) << scope;

    // A line appended, a file of another machine added: each seen in turn.
    Append(m_a, "2018/05/04 10:00:00,c2,S,C1,B1,1,NG\n");
    ASSERT_TRUE(AwaitReport(child, 2, "OK: 1\nNG: 1\n")) << child.out() << child.err();
    EXPECT_NE(Script("tableSummary.js").find("['Summary', 1, 1,"), std::string::npos);
    m_dir.Write("root/ReportData/B/1.csv", "header\n2018/05/05 10:00:00,c3,S,C1,B2,1,OK\n");
    ASSERT_TRUE(AwaitReport(child, 3, "OK: 2\nNG: 1\n")) << child.out() << child.err();
    EXPECT_NE(Script("reportScope.js").find("'machines': ['A', 'B']"), std::string::npos);

    // Nothing changed: nothing written again.
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(Count(child.out(), "OK: "), 3U) << child.out();

    EXPECT_EQ(child.Interrupt(), 0) << child.err();
    const std::string written = "Report scripts written to " + m_root + "/Report/js/\n";
    EXPECT_EQ(child.err(),
              "Watching the record files every 1 s; Ctrl+C ends.\n" + written + written + written);
}

// A record file that takes long to read: 64 GiB, sparse, of lines that are
// no records (a line end every 3 MiB).
void MakeEndless(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    constexpr off_t kSize = off_t{64} << 30;
    constexpr off_t kLine = off_t{3} << 20;
    ASSERT_EQ(::ftruncate(fd, kSize), 0) << std::strerror(errno);
    for (off_t at = kLine - 1; at < kSize; at += kLine) {
        ASSERT_EQ(::pwrite(fd, "\n", 1, at), 1) << std::strerror(errno);
    }
    ::close(fd);
}

TEST_F(BatchWatchTest, CtrlCWhileAnUpdateIsCountedLeavesTheLastReportAsItWas) {
    std::vector<std::string> args = {"--root", m_root, "--watch", "1", "--workers", "1"};
    args.insert(args.end(), m_may.begin(), m_may.end());
    WatchingChild child(args, m_dir.path());
    ASSERT_TRUE(AwaitReport(child, 1, "OK: 1\nNG: 0\n")) << child.out() << child.err();
    const std::string summary = Script("tableSummary.js");
    const std::string scope = Script("reportScope.js");

    Append(m_a, "2018/05/04 10:00:00,c2,S,C1,B1,1,NG\n");
    const std::string endless = m_root + "/ReportData/A/2.csv";
    MakeEndless(endless);
    ASSERT_TRUE(test::PollUntil([&] { return HasOpen(child.pid(), endless); }))
        << "the update never began: " << child.err();

    // Reading the whole file would take far longer than the limit.
    EXPECT_EQ(child.Interrupt(5s), 0) << child.err();
    EXPECT_EQ(Count(child.out(), "OK: "), 1U) << child.out();
    EXPECT_EQ(Script("tableSummary.js"), summary);
    EXPECT_EQ(Script("reportScope.js"), scope);
}

TEST_F(BatchWatchTest, OptionsThatCannotGoTogetherAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {"--watch", "1", "--scan"},
        {"--watch", "0"},
        {"--days", "7", "--from", "2018-05-01"},
        {"--days", "0"},
    };
    for (const std::vector<std::string>& extra : cases) {
        std::vector<std::string> args = {QZ_BATCH_EXECUTABLE, "--root", m_root};
        args.insert(args.end(), extra.begin(), extra.end());
        const test::ChildResult result = test::RunChild(args, m_dir.path());
        EXPECT_EQ(result.status, 2) << testing::PrintToString(extra) << result.err;
    }
}

}  // namespace
}  // namespace qz
