// Shell open, debug trace and the single-instance guard.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/DebugTrace.h"
#include "platform/ShellOpen.h"
#include "platform/SingleInstance.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

std::string ReadFileOr(const std::string& path) {
    return std::filesystem::exists(path) ? test::ReadFile(path) : std::string();
}

std::vector<std::string> Messages(int threads, int perThread) {
    std::vector<std::string> texts;
    for (int t = 0; t < threads; ++t) {
        for (int i = 0; i < perThread; ++i) {
            texts.push_back("thread " + std::to_string(t) + " message " + std::to_string(i));
        }
    }
    return texts;
}

TEST(ShellOpen, ReplacementReceivesThePathAsGiven) {
    test::ShellOpenRecorder recorder;
    ShellOpen("\\home\\op\\Documents\\Report\\report.html");
    EXPECT_EQ(recorder.paths(),
              std::vector<std::string>{"\\home\\op\\Documents\\Report\\report.html"});
}

TEST(ShellOpen, StartsTheOpenerWithTheNativePathAndNoShell) {
    // A stand-in opener first on PATH records the argument it was given.
    test::TempDir dir;
    const std::string bin = dir.MakeDir("bin");
    const std::string script =
        dir.Write("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"$QZ_OPENED\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string opened = dir.path() + "/opened.txt";
    test::ScopedEnv path("PATH", bin);
    test::ScopedEnv out("QZ_OPENED", opened);

    ShellOpen(dir.path() + "/Report $HOME \"x\"\\/report.html");
    for (int i = 0; i < 500 && ReadFileOr(opened).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadFileOr(opened), dir.path() + "/Report $HOME \"x\"\\/report.html");
}

TEST(ShellOpen, TellsWhetherTheOpenerStartedAndSucceeded) {
    test::TempDir dir;
    const std::string bin = dir.MakeDir("bin");
    test::ScopedEnv path("PATH", bin);
    const std::string page = dir.Write("report.html", "<html></html>");
    EXPECT_FALSE(ShellOpen(page)) << "no opener on PATH";

    struct Case {
        const char* opener;
        bool opened;
    };
    const Case cases[] = {
        {"#!/bin/sh\nexit 0\n", true},
        {"#!/bin/sh\nexit 4\n", false},  // xdg-open: the action failed
        {"#!/bin/sh\nexit 3\n", false},  // xdg-open: no program for the type
        {"#!/bin/sh\nkill -9 $$\n", false},
        // Still running after a while: it started a program that runs on.
        {"#!/bin/sh\n/bin/sleep 5\nexit 4\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opener);
        const std::string script = dir.Write("bin/xdg-open", c.opener);
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        EXPECT_EQ(ShellOpen(page), c.opened);
    }
    {
        test::ShellOpenRecorder recorder;
        EXPECT_TRUE(ShellOpen(page)) << "a replacement opener counts as success";
    }
}

TEST(DebugTrace, WritesOneLinePerCallOnlyWhenAskedFor) {
    test::TempDir dir;
    const std::string file = dir.path() + "/trace.log";
    {
        test::ScopedEnv off("QZ_DEBUG_TRACE", std::nullopt);
        DebugTrace("silent");
    }
    EXPECT_FALSE(std::filesystem::exists(file));

    test::ScopedEnv on("QZ_DEBUG_TRACE", file);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) {
                DebugTrace("thread " + std::to_string(t) + " message " + std::to_string(i));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::vector<std::string> lines;
    const std::string content = test::ReadFile(file);
    for (std::size_t begin = 0, lf; (lf = content.find('\n', begin)) != std::string::npos;
         begin = lf + 1) {
        lines.push_back(content.substr(begin, lf - begin));
    }
    auto expected = Messages(4, 50);
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(content.back(), '\n');
}

TEST(SingleInstanceGuard, SecondGuardSeesTheFirstUntilItIsReleased) {
    test::HomeRedirect home;
    const std::string name = "QZ-test-guard";
    SingleInstanceGuard first(name);
    EXPECT_FALSE(first.AlreadyExists());
    EXPECT_TRUE(std::filesystem::exists(home.runtimeDir() + "/" + name + ".lock"));
    {
        SingleInstanceGuard second(name);
        EXPECT_TRUE(second.AlreadyExists());
    }
    SingleInstanceGuard other("QZ-test-other-guard");
    EXPECT_FALSE(other.AlreadyExists());

    first.Release();
    SingleInstanceGuard third(name);
    EXPECT_FALSE(third.AlreadyExists());
}

TEST(SingleInstanceGuard, LaterStartAsksTheListeningHolderToShowItself) {
    test::HomeRedirect home;
    const std::string name = "QZ-test-show-guard";
    std::atomic<int> asked{0};
    SingleInstanceGuard first(name);
    {
        SingleInstanceGuard second(name);
        EXPECT_FALSE(second.AskHolderToShow()) << "the holder does not listen yet";
        EXPECT_FALSE(second.ListenForShowRequests([] {})) << "only the holder listens";
    }
    ASSERT_TRUE(first.ListenForShowRequests([&asked] { ++asked; }));
    for (int start = 1; start <= 2; ++start) {
        SingleInstanceGuard later(name);
        ASSERT_TRUE(later.AlreadyExists());
        EXPECT_TRUE(later.AskHolderToShow());
        for (int i = 0; i < 500 && asked < start; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(asked, start);
    }

    first.Release();
    EXPECT_FALSE(std::filesystem::exists(home.runtimeDir() + "/" + name + ".sock"));
    SingleInstanceGuard next(name);
    EXPECT_FALSE(next.AlreadyExists());
    SingleInstanceGuard after(name);
    EXPECT_FALSE(after.AskHolderToShow()) << "a released holder is not asked";
    EXPECT_EQ(asked, 2);
}

TEST(SingleInstanceGuard, WithoutRuntimeFolderTheLockIsPerUserInTmp) {
    test::HomeRedirect home;
    test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    const std::string name = "QZ-test-guard-" + std::to_string(::getpid());
    test::ScopedEnv noTmpdir("TMPDIR", std::nullopt);
    const std::string folder = "/tmp/" + name + "-" + std::to_string(::getuid());
    const std::string lockFile = folder + "/" + name + ".lock";
    {
        SingleInstanceGuard first(name);
        SingleInstanceGuard second(name);
        EXPECT_FALSE(first.AlreadyExists());
        EXPECT_TRUE(second.AlreadyExists());
        EXPECT_TRUE(std::filesystem::exists(lockFile));
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace qz
