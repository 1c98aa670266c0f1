#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/FileError.h"
#include "platform/FolderSearch.h"
#include "platform/TextFileWriter.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

TEST(FileError, DescriptionIsPathAndSystemReason) {
    const FileError error("/data/rec.csv", ENOENT);
    EXPECT_EQ(std::string(error.what()), std::string("/data/rec.csv: ") + std::strerror(ENOENT));
    EXPECT_EQ(error.ShownDescription(), error.what());
}

TEST(FileError, ShownDescriptionIsCutToLimitOnACharacterBoundary) {
    const std::string e2 = "\xc3\xa9";             // two-byte sequence
    const std::string euro = "\xe2\x82\xac";       // three-byte sequence
    const std::string emoji = "\xf0\x9f\x98\x80";  // four-byte sequence
    struct Case {
        std::string description;
        std::size_t shownBytes;
    };
    const Case cases[] = {
        {std::string(255, 'a'), 255},
        {std::string(300, 'a'), 255},
        {std::string(254, 'a') + e2 + "tail", 254},  // sequence straddles the limit
        {std::string(253, 'a') + e2 + "tail", 255},  // sequence ends at the limit
        {std::string(253, 'a') + euro + "tail", 253},
        {std::string(252, 'a') + emoji + "tail", 252},
        {std::string(251, 'a') + emoji + "tail", 255},
        {std::string(255, 'a') + euro, 255},  // sequence starts behind the limit
    };
    for (const Case& c : cases) {
        const std::string shown = FileError(c.description).ShownDescription();
        EXPECT_EQ(shown, c.description.substr(0, c.shownBytes)) << c.description.size();
    }
}

TEST(WriteTextFile, CreatesAndTruncatesWithTheExactBytes) {
    test::TempDir dir;
    const std::string path = dir.path() + "/out.js";
    WriteTextFile(path, std::string(1000, 'x'));
    const std::string bytes("a\r\nb\0\xff\n", 7);
    WriteTextFile(path, bytes);
    EXPECT_EQ(test::ReadFile(path), bytes);

    WriteTextFile(dir.path() + "\\back.js", "b");
    EXPECT_EQ(test::ReadFile(dir.path() + "/back.js"), "b");
}

TEST(WriteTextFile, FailuresAreFileErrors) {
    test::TempDir dir;
    const std::string missing = dir.path() + "/no/such/folder/out.js";
    try {
        WriteTextFile(missing, "x");
        FAIL() << "wrote into a missing folder";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }
    EXPECT_THROW(WriteTextFile("/dev/full", "no room for this"), FileError);
    EXPECT_THROW(WriteTextFile(dir.path(), "a folder"), FileError);
}

std::map<std::string, FolderEntry> ByName(const std::vector<FolderEntry>& entries) {
    std::map<std::string, FolderEntry> byName;
    for (const FolderEntry& entry : entries) {
        EXPECT_TRUE(byName.emplace(entry.name, entry).second) << "twice: " << entry.name;
    }
    return byName;
}

TEST(SearchFolder, ListsEveryEntryWithPathSizeAndKind) {
    test::TempDir dir;
    const std::string folder = dir.MakeDir("Machine1");
    dir.Write("Machine1/rec1.csv", "12345");
    dir.Write("Machine1/sub/inner.csv", "inner content");
    ASSERT_EQ(::symlink("rec1.csv", (folder + "/link.csv").c_str()), 0);
    ASSERT_EQ(::symlink("gone.csv", (folder + "/dangling.csv").c_str()), 0);

    for (const std::string& pattern : {folder + "\\*", folder + "/*"}) {
        SCOPED_TRACE(pattern);
        const auto entries = ByName(SearchFolder(pattern));
        ASSERT_EQ(entries.size(), 6u);
        for (const char* dots : {".", ".."}) {
            ASSERT_TRUE(entries.count(dots));
            EXPECT_TRUE(entries.at(dots).IsDots());
            EXPECT_TRUE(entries.at(dots).isDirectory);
            EXPECT_EQ(entries.at(dots).size, 0u);
        }
        const FolderEntry& file = entries.at("rec1.csv");
        EXPECT_EQ(file.path, folder + "\\rec1.csv");
        EXPECT_EQ(file.size, 5u);
        EXPECT_FALSE(file.isDirectory);
        EXPECT_FALSE(file.IsDots());

        const FolderEntry& sub = entries.at("sub");
        EXPECT_TRUE(sub.isDirectory);
        EXPECT_EQ(sub.size, 0u) << "a folder's size never enters a progress total";
        EXPECT_EQ(entries.at("link.csv").size, 5u);
        EXPECT_FALSE(entries.at("dangling.csv").isDirectory);
        EXPECT_EQ(entries.at("dangling.csv").size, 0u);
    }
}

TEST(SearchFolder, FolderWrittenWithBackslashesIsFound) {
    test::TempDir dir;
    dir.Write("Report Data/M 2/r.csv", "abc");
    const std::string folder = dir.path() + "\\Report Data\\M 2";
    const auto entries = ByName(SearchFolder(folder + "\\*"));
    ASSERT_TRUE(entries.count("r.csv"));
    EXPECT_EQ(entries.at("r.csv").path, folder + "\\r.csv");
    EXPECT_EQ(entries.at("r.csv").size, 3u);
}

TEST(SearchFolder, ListsInCaseInsensitiveNameOrder) {
    test::TempDir dir;
    // Written in an order the file system is unlikely to keep.
    for (const char* name : {"b", "_x", "a1", "C", "a", "A", "10", "9", "B2", "\xC3\xA9"}) {
        dir.Write(std::string("M/") + name, "x");
    }
    std::vector<std::string> names;
    for (const FolderEntry& entry : SearchFolder(dir.path() + "/M/*")) {
        names.push_back(entry.name);
    }
    // Letters compare as upper case, so '_' (after 'Z') follows every letter;
    // "A" and "a" differ in case only and keep their byte order.
    const std::vector<std::string> expected = {".", "..", "10", "9",  "A",  "a",
                                               "a1", "b",  "B2", "C", "_x", "\xC3\xA9"};
    EXPECT_EQ(names, expected);
}

TEST(SearchFolder, MissingFolderYieldsNothing) {
    test::TempDir dir;
    EXPECT_TRUE(SearchFolder(dir.path() + "\\missing\\*").empty());
    EXPECT_TRUE(SearchFolder(dir.Write("file.csv", "x") + "\\*").empty());
}

}  // namespace
}  // namespace qz
