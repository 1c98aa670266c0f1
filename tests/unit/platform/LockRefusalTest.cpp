// Refused advisory locks. The customer list is opened deny-writers (a shared
// lock here). Where the system cannot give the advisory lock at all (NFS
// emulates flock with byte-range locks that need a writable descriptor and
// fails with EBADF; ENOLCK; EOPNOTSUPP), the file is read without it; only
// another holder's lock fails the open.
//
// The refusals are made by interposing flock in this test program: it passes
// every call to the C library's flock unless a test sets a refusal.

#include <dlfcn.h>
#include <sys/file.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/FileError.h"
#include "platform/FolderLock.h"
#include "platform/TextFileReader.h"
#include "tests/support/TestSupport.h"

namespace {

int g_refusal = 0;  // errno for the next flock calls; 0: the real flock

}  // namespace

extern "C" int flock(int fd, int operation) {
    if (g_refusal != 0) {
        errno = g_refusal;
        return -1;
    }
    using Flock = int (*)(int, int);
    static const auto real = reinterpret_cast<Flock>(dlsym(RTLD_NEXT, "flock"));
    return real(fd, operation);
}

namespace qz {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class LockRefusal {
  public:
    explicit LockRefusal(int error) { g_refusal = error; }
    ~LockRefusal() { g_refusal = 0; }
    LockRefusal(const LockRefusal&) = delete;
    LockRefusal& operator=(const LockRefusal&) = delete;
};

TEST(TextFileReaderLockRefusal, WithoutLockSupportTheFileIsReadUnlocked) {
    test::TempDir dir;
    const std::string path = dir.Write("CustomerList.txt", "0A1B,Norvale\n7D42,Tavrilo\n");
    for (const int error : {EBADF, ENOLCK, EOPNOTSUPP}) {
        SCOPED_TRACE(error);
        const LockRefusal refusal(error);
        TextFileReader reader(path, ShareMode::DenyWriters);
        std::string_view line;
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "0A1B,Norvale");
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "7D42,Tavrilo");
        EXPECT_FALSE(reader.ReadLine(line));
    }
}

TEST(TextFileReaderLockRefusal, AnotherHoldersLockStillFailsTheOpen) {
    test::TempDir dir;
    const std::string path = dir.Write("CustomerList.txt", "0A1B,Norvale\n");
    const LockRefusal refusal(EWOULDBLOCK);
    try {
        TextFileReader reader(path, ShareMode::DenyWriters);
        ADD_FAILURE() << "opened although the lock is held";
    } catch (const FileError& error) {
        EXPECT_NE(error.ShownDescription().find("CustomerList.txt"), std::string::npos);
    }
}

// The folder lock where the system gives no advisory lock (a network file
// system without lock support): the exclusive creation of a file of its own
// stands in, a second writer waits for it no longer than it is told, and a
// file left by a killed holder is taken as stale.
TEST(FolderLockRefusal, WithoutAdvisoryLocksACreatedFileIsTheLock) {
    test::TempDir dir;
    const std::string held = dir.path() + "/" + std::string(FolderLock::kHeldFileName);
    const LockRefusal lockless(ENOLCK);
    {
        const FolderLock first(dir.path() + "/");
        ASSERT_TRUE(first.Held()) << first.Failure();
        EXPECT_TRUE(fs::exists(held));

        const auto start = std::chrono::steady_clock::now();
        const FolderLock second(dir.path() + "/", milliseconds(300));
        EXPECT_FALSE(second.Held());
        EXPECT_TRUE(second.Busy());
        EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(300));
    }
    EXPECT_FALSE(fs::exists(held)) << "the holder removes its file";
    EXPECT_TRUE(FolderLock(dir.path() + "/", milliseconds(0)).Held());

    // A file its holder left when it was killed: stale after its time.
    dir.Write(std::string(FolderLock::kHeldFileName), "");
    EXPECT_TRUE(FolderLock(dir.path() + "/", milliseconds(100)).Busy());
    fs::last_write_time(held, fs::file_time_type::clock::now() - FolderLock::kStaleHeldAfter -
                                  std::chrono::seconds(10));
    EXPECT_TRUE(FolderLock(dir.path() + "/", milliseconds(100)).Held());
}

// A lock file planted as a symbolic link is not followed: the lock fails and
// says why, and nothing is created where the link points.
TEST(FolderLockRefusal, APlantedLinkIsNotFollowed) {
    test::TempDir dir;
    const std::string target = dir.path() + "/elsewhere";
    fs::create_symlink(target, dir.path() + "/" + std::string(FolderLock::kLockFileName));
    const FolderLock lock(dir.path() + "/", milliseconds(0));
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(lock.Busy());
    EXPECT_FALSE(lock.Failure().empty());
    EXPECT_FALSE(fs::exists(target));
}

}  // namespace
}  // namespace qz
