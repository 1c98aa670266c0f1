// The fact cache's Windows side: a file's identity (volume serial number and
// file index) through another name and after a replacement, the change time
// of a rewrite that set the modification time back, the stamp of a file a
// writer holds open and appends to, and the cache's place in the local
// application data folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "facts/CacheLocation.h"
#include "platform/FileIdentity.h"
#include "platform/KnownFolders.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());  // the tests' paths are ASCII
}

TEST(WindowsCache, IdentityIsTheFileNotItsName) {
    test::TempDir dir;
    const std::string path = dir.Write("a.csv", "header\nline 1\n");
    const std::string link = dir.path() + "/link.csv";
    ASSERT_TRUE(CreateHardLinkW(Wide(link).c_str(), Wide(path).c_str(), nullptr));
    const auto stamp = GetFileStamp(path);
    const auto linked = GetFileStamp(link);
    ASSERT_TRUE(stamp && linked);
    EXPECT_NE(stamp->fileIndex, 0U);
    EXPECT_TRUE(linked->SameFile(*stamp)) << "one file under two names";

    const std::string other = dir.Write("b.csv", "header\nline 1\n");
    ASSERT_TRUE(MoveFileExW(Wide(other).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING));
    const auto replaced = GetFileStamp(path);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->size, stamp->size);
    EXPECT_FALSE(replaced->SameFile(*stamp)) << "a new file under the old name";
    EXPECT_EQ(replaced->volume, stamp->volume);
}

// std::filesystem's setter of the modification time keeps whole seconds with
// this C runtime: SetFileTime puts the time back to the 100 ns.
TEST(WindowsCache, ChangeTimeTellsARewriteWhoseModificationTimeWasSetBack) {
    test::TempDir dir;
    const std::string path = dir.Write("a.csv", "header\nline 1\n");
    const auto before = GetFileStamp(path);
    ASSERT_TRUE(before);
    Sleep(30);  // for a coarse file clock to tick
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME created{}, accessed{}, written{};
    ASSERT_TRUE(GetFileTime(file, &created, &accessed, &written));
    SetFilePointer(file, 7, nullptr, FILE_BEGIN);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file, "LINE", 4, &count, nullptr));
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);

    const auto after = GetFileStamp(path);
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->SameFile(*before));
    EXPECT_EQ(after->size, before->size);
    EXPECT_EQ(after->modified, before->modified);
    EXPECT_NE(after->changed, before->changed);
}

TEST(WindowsCache, StampOfAFileAWriterHoldsAndAppendsTo) {
    test::TempDir dir;
    const std::string path = dir.Write("a.csv", "header\r\n");
    // Shared as a machine's writer shares it: readers and writers, not deleters.
    const HANDLE writer =
        CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const auto before = GetFileStamp(path);
    const std::string line = "2018/05/03 10:00:00,c1,S,C1,B1,1,OK\r\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer, line.data(), static_cast<DWORD>(line.size()), &written, nullptr));
    const auto after = GetFileStamp(path);
    EXPECT_EQ(ReadFileBytes(path, 8, line.size()), line);
    CloseHandle(writer);
    ASSERT_TRUE(before && after);
    EXPECT_EQ(before->size, 8U);
    EXPECT_EQ(after->size, 8U + line.size());
    EXPECT_TRUE(after->SameFile(*before));
}

TEST(WindowsCache, CacheLivesInTheLocalApplicationDataFolder) {
    const auto folder = GetCacheFolder();
    ASSERT_TRUE(folder.has_value());
    EXPECT_TRUE(folder->ends_with("\\AppData\\Local")) << *folder;
    const DWORD attributes = GetFileAttributesW(Wide(*folder).c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << *folder;
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0U);

    const auto cache = DefaultCachePath("C:\\Data\\QZ8840\\");
    ASSERT_TRUE(cache.has_value());
    EXPECT_TRUE(cache->starts_with(*folder + "\\qz8840\\")) << *cache;
}

}  // namespace
}  // namespace qz
