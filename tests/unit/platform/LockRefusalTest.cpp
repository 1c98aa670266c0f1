// The customer list is opened deny-writers (a shared lock here). Where the system cannot give the
// advisory lock at all (NFS emulates flock with byte-range locks that need a
// writable descriptor and fails with EBADF; ENOLCK; EOPNOTSUPP), the file is
// read without it; only another holder's lock fails the open.
//
// The refusals are made by interposing flock in this test program: it passes
// every call to the C library's flock unless a test sets a refusal.

#include <dlfcn.h>
#include <sys/file.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/FileError.h"
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

}  // namespace
}  // namespace qz
