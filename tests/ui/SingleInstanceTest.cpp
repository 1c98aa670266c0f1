// Starts the built program twice under a redirected home: the second start
// ends at once with exit code 0 while the first runs, and brings the first's
// window to the front.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/ui/UiTestSupport.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

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
        for (const test::FlockEntry& flock : test::FlocksOn(path)) {
            if (flock.pid == pid && !flock.waiting)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The display's mapped top-level windows, bottom first (without a window
// manager they are the root's children in stacking order).
std::vector<Window> MappedTopLevels(Display* display) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> mapped;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return mapped;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            mapped.push_back(children[i]);
    }
    if (children)
        XFree(children);
    return mapped;
}

long WindowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) == Success &&
        data && items == 1 && format == 32)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

// Where pid's topmost mapped window stands in the stacking order (-1: none).
int StackingPlace(Display* display, pid_t pid) {
    const std::vector<Window> mapped = MappedTopLevels(display);
    int place = -1;
    for (std::size_t i = 0; i < mapped.size(); ++i) {
        if (WindowPid(display, mapped[i]) == pid)
            place = static_cast<int>(i);
    }
    return place;
}

int StackingPlace(Display* display, Window window) {
    const std::vector<Window> mapped = MappedTopLevels(display);
    for (std::size_t i = 0; i < mapped.size(); ++i) {
        if (mapped[i] == window)
            return static_cast<int>(i);
    }
    return -1;
}

bool WaitFor(const std::function<bool()>& pred, std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!pred()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Starts the program and waits until its window is shown: its process, or -1
// when it did not start or showed no window.
pid_t StartShown(Display* display) {
    const pid_t pid = Start();
    if (pid > 0 &&
        !WaitFor([&] { return StackingPlace(display, pid) >= 0; }, std::chrono::seconds(30))) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

TEST(SingleInstanceTest, SecondStartBringsTheRunningWindowToTheFront) {
    test::DataTree tree;
    tree.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
    tree.MakeDir("ReportData/Platform-A");
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);

    const pid_t first = StartShown(display);
    ASSERT_GT(first, 0) << "the first start shows no window";

    // Another program's window covers the screen.
    const Window cover =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1280, 1024, 0, 0, 0);
    XMapRaised(display, cover);
    XSync(display, False);
    ASSERT_TRUE(
        WaitFor([&] { return StackingPlace(display, cover) >= 0; }, std::chrono::seconds(5)));
    ASSERT_LT(StackingPlace(display, first), StackingPlace(display, cover));

    const pid_t second = Start();
    ASSERT_GT(second, 0);
    const std::optional<int> status = WaitForExit(second, std::chrono::seconds(20));
    if (!status)
        Stop(second);
    EXPECT_EQ(status, std::optional<int>(0));
    EXPECT_TRUE(
        WaitFor([&] { return StackingPlace(display, first) > StackingPlace(display, cover); },
                std::chrono::seconds(10)))
        << "the running window stays behind";
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0) << "the first instance must go on";

    Stop(first);
    XDestroyWindow(display, cover);
    XCloseDisplay(display);
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

namespace qz {
namespace {

// A first instance that is stopped (SIGSTOP) does not answer: each later start
// tells the operator so in a window of its own within seconds, more starts
// than the first's queue of requests holds included; none hangs.
TEST(SingleInstanceTest, AStoppedFirstInstanceIsToldOfNotWaitedFor) {
    test::DataTree tree;
    tree.MakeDir("ReportData/Platform-A");
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const pid_t first = StartShown(display);
    ASSERT_GT(first, 0) << "the first start shows no window";
    kill(first, SIGSTOP);

    for (int start = 0; start < 6; ++start) {
        const pid_t later = Start();
        ASSERT_GT(later, 0);
        EXPECT_TRUE(
            WaitFor([&] { return StackingPlace(display, later) >= 0; }, std::chrono::seconds(20)))
            << "start " << start << " tells nothing";
        EXPECT_EQ(waitpid(later, nullptr, WNOHANG), 0) << "start " << start << " ended silently";
        Stop(later);
    }
    kill(first, SIGCONT);
    Stop(first);
    XCloseDisplay(display);
}

}  // namespace
}  // namespace qz
