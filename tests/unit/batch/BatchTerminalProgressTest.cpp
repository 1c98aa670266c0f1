// The batch command's progress bar on a terminal (a pseudo-terminal here) and
// how it shares the terminal with the messages of the run. The run is held at
// chosen points by record files that seem endless (sparse, without a line
// end) until the test cuts them, so what is drawn meanwhile does not hang on
// the machine's speed.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

// A child process whose standard error is a pseudo-terminal in raw mode (so
// its bytes arrive as written) and whose standard output goes to a file.
class TerminalChild {
  public:
    TerminalChild(const std::vector<std::string>& args, const std::string& outPath) {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
            return;
        }
        const std::string terminal = ::ptsname(m_master);
        std::vector<std::string> copies = args;
        std::vector<char*> argv;
        for (std::string& arg : copies) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setsid();
            const int slave = ::open(terminal.c_str(), O_RDWR);
            termios mode{};
            ::tcgetattr(slave, &mode);
            ::cfmakeraw(&mode);
            ::tcsetattr(slave, TCSANOW, &mode);
            const int null = ::open("/dev/null", O_RDONLY);
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (slave < 0 || null < 0 || out < 0 || ::dup2(null, 0) < 0 || ::dup2(out, 1) < 0 ||
                ::dup2(slave, 2) < 0) {
                ::_exit(127);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~TerminalChild() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_master >= 0) {
            ::close(m_master);
        }
    }
    TerminalChild(const TerminalChild&) = delete;
    TerminalChild& operator=(const TerminalChild&) = delete;

    // Reads what the child writes until pred holds for all read so far, the
    // terminal closes or limit passes; pred's last answer.
    bool ReadUntil(const std::function<bool(const std::string&)>& pred,
                   std::chrono::milliseconds limit = 60s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!pred(m_text)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || m_master < 0) {
                return pred(m_text);
            }
            pollfd ready{m_master, POLLIN, 0};
            if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) {  // EIO: the child's side is closed
                return pred(m_text);
            }
            m_text.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }

    // Reads to the end and waits for the child; its exit status, or -1.
    int Finish() {
        ReadUntil([](const std::string&) { return false; });
        int status = 0;
        const pid_t pid = std::exchange(m_pid, -1);
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
            return -1;
        }
        return WEXITSTATUS(status);
    }

    const std::string& text() const { return m_text; }

  private:
    int m_master = -1;
    pid_t m_pid = -1;
    std::string m_text;
};

// One bar as the command draws it: back to the line's start, 40 cells, the
// percentage right-aligned in three places.
const std::regex kBar(R"(\r\[[#.]{40}\] [ \d]{2}\d%)");
const std::string kClear = "\r\x1b[K";

std::size_t CountBars(const std::string& text) {
    return static_cast<std::size_t>(std::distance(
        std::sregex_iterator(text.begin(), text.end(), kBar), std::sregex_iterator()));
}

// A record file that seems endless: 8 GiB, sparse, of lines that are no
// records (zero bytes, a line end every 3 MiB, below the longest line read).
// Cut while it is read, it ends without a message.
void MakeEndless(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    constexpr off_t kSize = off_t{8} << 30;
    constexpr off_t kLine = off_t{3} << 20;
    EXPECT_EQ(::ftruncate(fd, kSize), 0) << std::strerror(errno);
    for (off_t at = kLine - 1; at < kSize; at += kLine) {
        ASSERT_EQ(::pwrite(fd, "\n", 1, at), 1) << std::strerror(errno);
    }
    ::close(fd);
}

TEST(BatchTerminalProgressTest, BarIsDrawnAndClearedAroundEveryMessage) {
    test::TempDir dir;
    test::HomeRedirect home;
    test::ScopedEnv locale("LC_ALL", "C");
    dir.MakeDir("root/Report/js");
    // Handed to the single worker in name order: an endless file, a folder
    // (which cannot be read: a message), another endless file, and a record.
    const std::string machine = dir.MakeDir("root/ReportData/M1");
    MakeEndless(machine + "/1.csv");
    dir.MakeDir("root/ReportData/M1/2.csv");
    MakeEndless(machine + "/3.csv");
    dir.Write("root/ReportData/M1/4.csv", test::RecordFileText().Add({}));

    TerminalChild child({QZ_BATCH_EXECUTABLE, "--root", dir.path() + "/root", "--from",
                         "2018-05-01", "--to", "2018-05-31", "--workers", "1"},
                        dir.path() + "/stdout.txt");
    // The bar is drawn while the first file is read; cutting the file ends it.
    ASSERT_TRUE(child.ReadUntil([](const std::string& text) { return CountBars(text) > 0; }))
        << "no bar drawn: " << child.text();
    std::filesystem::resize_file(machine + "/1.csv", 0);
    // The message of 2.csv, then the bar again while the third file is read.
    ASSERT_TRUE(child.ReadUntil([](const std::string& text) {
        const std::size_t message = text.find("2.csv");
        return message != std::string::npos && CountBars(text.substr(message)) > 0;
    })) << "no bar after the message: "
        << child.text();
    // The bar stays until the run's end, which clears it.
    std::filesystem::resize_file(machine + "/3.csv", 0);
    EXPECT_EQ(child.Finish(), 0) << child.text();
    const std::string& text = child.text();

    // A bar is always cleared before a message is written, and at the end:
    // after the last bar of each line comes the clear, then the message (which
    // goes back to no line's start itself).
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        const std::string segment = text.substr(start, end - start);
        std::string message = segment;
        std::smatch bar;
        std::string rest = segment;
        std::size_t lastBarEnd = std::string::npos;
        for (std::size_t at = 0; std::regex_search(rest, bar, kBar);) {
            at += static_cast<std::size_t>(bar.position(0) + bar.length(0));
            lastBarEnd = at;
            rest = bar.suffix();
        }
        if (lastBarEnd != std::string::npos) {
            EXPECT_EQ(segment.compare(lastBarEnd, kClear.size(), kClear), 0)
                << "not cleared after a bar: " << testing::PrintToString(segment);
            message = segment.substr(std::min(segment.size(), lastBarEnd + kClear.size()));
        } else if (message.compare(0, kClear.size(), kClear) == 0) {
            message.erase(0, kClear.size());
        }
        EXPECT_EQ(message.find('\r'), std::string::npos) << testing::PrintToString(segment);
        if (end == std::string::npos) {
            EXPECT_EQ(message, "") << "no line end after the last output";
            break;
        }
        lines.push_back(message);
        start = end + 1;
    }
    // Each message stands on a line of its own, the folder's error first.
    const std::string root = dir.path() + "/root";
    EXPECT_EQ(lines, (std::vector<std::string>{
                         root + "/ReportData/M1/2.csv: " + std::strerror(EISDIR),
                         "Report scripts written to " + root + "/Report/js/",
                     }))
        << testing::PrintToString(text);
    // The bar is drawn before the message and again after it.
    const std::size_t message = text.find("2.csv");
    EXPECT_GT(CountBars(text.substr(0, message)), 0u);
    EXPECT_GT(CountBars(text.substr(message)), 0u);

    EXPECT_EQ(test::ReadFile(dir.path() + "/stdout.txt"), "OK: 1\nNG: 0\n");
}

}  // namespace
}  // namespace qz
