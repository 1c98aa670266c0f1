#include "platform/FileIdentity.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/FileError.h"
#include "platform/Path.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

// Long enough for a coarse file clock (a few milliseconds) to tick.
void LetTheFileClockTick() {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

TEST(FileIdentity, StampTellsAppendsRewritesAndReplacements) {
    test::TempDir dir;
    const std::string path = dir.Write("a.csv", "header\nline 1\n");
    const auto first = GetFileStamp(path);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size, 14u);
    EXPECT_EQ(GetFileStamp(path), first) << "looking changes nothing";
    EXPECT_LT(std::chrono::nanoseconds(std::llabs(FileClockNow() - first->modified)),
              std::chrono::minutes(1));

    LetTheFileClockTick();
    std::ofstream(FileSystemPath(path), std::ios::binary | std::ios::app) << "line 2\n";
    const auto grown = GetFileStamp(path);
    ASSERT_TRUE(grown.has_value());
    EXPECT_TRUE(grown->SameFile(*first));
    EXPECT_EQ(grown->size, 21u);
    EXPECT_GT(grown->modified, first->modified);

    // Rewritten in place, same size, the modification time set back: only
    // the change time tells.
    const auto before = std::filesystem::last_write_time(FileSystemPath(path));
    LetTheFileClockTick();
    {
        std::fstream file(FileSystemPath(path), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(7);
        file << "LINE";
    }
    std::filesystem::last_write_time(FileSystemPath(path), before);
    const auto rewritten = GetFileStamp(path);
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_TRUE(rewritten->SameFile(*grown));
    EXPECT_EQ(rewritten->size, grown->size);
    EXPECT_EQ(rewritten->modified, grown->modified);
    EXPECT_NE(rewritten->changed, grown->changed);

    const std::string other = dir.Write("b.csv", "header\nline 1\nline 2\n");
    std::filesystem::rename(FileSystemPath(other), FileSystemPath(path));
    const auto replaced = GetFileStamp(path);
    ASSERT_TRUE(replaced.has_value());
    EXPECT_FALSE(replaced->SameFile(*rewritten)) << "a new file under the old name";

    EXPECT_FALSE(GetFileStamp(dir.path() + "/missing.csv").has_value());
    EXPECT_FALSE(GetFileStamp(dir.MakeDir("folder")).has_value());
}

TEST(FileIdentity, ReadFileBytesReadsAStretchWhereItStands) {
    test::TempDir dir;
    const std::string path = dir.Write("a.csv", "0123456789");
    EXPECT_EQ(ReadFileBytes(path, 3, 4), "3456");
    EXPECT_EQ(ReadFileBytes(path, 8, 10), "89") << "fewer at the end";
    EXPECT_EQ(ReadFileBytes(path, 20, 4), "");
    EXPECT_THROW(ReadFileBytes(dir.path() + "/missing", 0, 4), FileError);
    EXPECT_THROW(ReadFileBytes(dir.MakeDir("folder"), 0, 4), FileError);
}

}  // namespace
}  // namespace qz
