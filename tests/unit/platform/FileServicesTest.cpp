#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileError.h"
#include "platform/FolderLock.h"
#include "platform/FolderSearch.h"
#include "platform/TextFileWriter.h"
#include "tests/support/Polling.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

TEST(FileError, DescriptionIsThePathAsTheSystemWritesItAndTheReason) {
    const FileError error("/data/rec.csv", ENOENT);
    EXPECT_EQ(std::string(error.what()), std::string("/data/rec.csv: ") + std::strerror(ENOENT));
    EXPECT_EQ(error.ShownDescription(), error.what());

    // A '\\' is part of a name: never rewritten.
    EXPECT_EQ(std::string(FileError("/data/back\\slash/fifo", "Not a regular file").what()),
              "/data/back\\slash/fifo: Not a regular file");
}

TEST(FileError, ShownDescriptionIsCutTo255Characters) {
    const std::string e2 = "\xc3\xa9";             // two-byte sequence
    const std::string euro = "\xe2\x82\xac";       // three-byte sequence
    const std::string emoji = "\xf0\x9f\x98\x80";  // four-byte sequence
    std::string manyEuros;
    for (int i = 0; i < 300; ++i) {
        manyEuros += euro;
    }
    struct Case {
        std::string description;
        std::size_t shownBytes;
    };
    const Case cases[] = {
        {std::string(255, 'a'), 255},
        {std::string(300, 'a'), 255},
        {std::string(254, 'a') + e2 + "tail", 256},     // the 255th character is two bytes
        {std::string(253, 'a') + emoji + "tail", 258},  // ... or four
        {std::string(255, 'a') + euro, 255},            // the 256th character is dropped whole
        {manyEuros, 255 * 3},
        {std::string(100, 'a') + std::string(200, '\xe9'), 255},  // a stray byte is one character
        {std::string(254, 'a') + "\xe2\x82" + "tail", 255},       // so is a cut-off sequence's lead
    };
    for (const Case& c : cases) {
        const std::string shown = FileError(c.description).ShownDescription();
        EXPECT_EQ(shown, c.description.substr(0, c.shownBytes)) << c.description.size();
    }
}

std::set<std::string> FolderNames(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(ReplaceTextFile, ReplacesTheFileWholeAndLeavesNothingBeside) {
    test::TempDir dir;
    const std::string path = dir.path() + "/out.js";
    ReplaceTextFile(path, std::string(1000, 'x'));
    const std::string bytes("a\r\nb\0\xff\n", 7);
    ReplaceTextFile(path, bytes);
    EXPECT_EQ(test::ReadFile(path), bytes);
    EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"out.js"});
}

TEST(ReplaceTextFile, NewContentTakesThePlaceOnlyOnCommit) {
    test::TempDir dir;
    const std::string path = dir.Write("out.js", "old");
    {
        ReplacementFile replacement(path, "new");
        EXPECT_EQ(test::ReadFile(path), "old");
        EXPECT_EQ(FolderNames(dir.path()).size(), 2u) << "the new content waits beside it";
        replacement.Commit();
        EXPECT_EQ(test::ReadFile(path), "new");
    }
    { ReplacementFile dropped(path, "dropped"); }
    EXPECT_EQ(test::ReadFile(path), "new");
    EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"out.js"});
}

TEST(ReplaceTextFile, SymbolicLinkIsReplacedNotWrittenThrough) {
    test::TempDir dir;
    const std::string victim = dir.Write("victim.txt", "precious");
    const std::string link = dir.path() + "/out.js";
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    ReplaceTextFile(link, "new");
    EXPECT_EQ(test::ReadFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFile(link), "new");
}

TEST(ReplaceTextFile, FailuresNameThePathAndLeaveItAsItWas) {
    test::TempDir dir;
    const std::string missing = dir.path() + "/no/such/folder/out.js";
    try {
        ReplaceTextFile(missing, "x");
        FAIL() << "wrote into a missing folder";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), missing + ": " + std::strerror(ENOENT));
    }
    const std::string folder = dir.MakeDir("out.js");
    try {
        ReplaceTextFile(folder, "a folder");
        FAIL() << "replaced a folder";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), folder + ": " + std::strerror(EISDIR));
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"out.js"});
}

TEST(FolderLock, SecondHolderWaitsForTheFirst) {
    test::TempDir dir;
    std::atomic<bool> secondHolds{false};
    std::thread second;
    {
        const FolderLock first(dir.path() + "/");
        ASSERT_TRUE(first.Held());
        second = std::thread([&] {
            const FolderLock lock(dir.path(), std::chrono::seconds(30));
            secondHolds = lock.Held();
        });
        // The second retries within its wait, holding the lock file open: once
        // it has reached the lock, it holds it only after the first has gone.
        const std::string lockFile = dir.path() + "/" + std::string(FolderLock::kLockFileName);
        EXPECT_TRUE(test::PollUntil([&] {
            return secondHolds || test::OpenDescriptorsOn(lockFile) >= 2;
        })) << "the second never reached the lock";
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_FALSE(secondHolds) << "took the lock while the first held it";
    }
    second.join();
    EXPECT_TRUE(secondHolds);

    // Nothing to lock: no lock, and the reason.
    const FolderLock missing(dir.path() + "/missing", std::chrono::milliseconds(0));
    EXPECT_FALSE(missing.Held());
    EXPECT_FALSE(missing.Failure().empty());
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
        EXPECT_EQ(file.path, folder + "/rec1.csv");
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

// A '\\' in a name is an ordinary character: the folder "back\\slash" is not
// "back/slash".
TEST(SearchFolder, NamesWithABackslashAreNotRewritten) {
    test::TempDir dir;
    dir.Write("Report Data/back\\slash/r.csv", "abc");
    dir.Write("Report Data/back/slash/other.csv", "x");
    const std::string folder = dir.path() + "/Report Data/back\\slash";
    for (const std::string& pattern : {folder + "/*", folder + "\\*"}) {
        const auto entries = ByName(SearchFolder(pattern));
        ASSERT_TRUE(entries.count("r.csv")) << pattern;
        EXPECT_FALSE(entries.count("other.csv"));
        EXPECT_EQ(entries.at("r.csv").path, folder + "/r.csv");
        EXPECT_EQ(entries.at("r.csv").size, 3u);
    }
    const auto outer = ByName(SearchFolder(dir.path() + "/Report Data/*"));
    EXPECT_TRUE(outer.count("back\\slash"));
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
    const std::vector<std::string> expected = {".",  "..", "10", "9", "A",  "a",
                                               "a1", "b",  "B2", "C", "_x", "\xC3\xA9"};
    EXPECT_EQ(names, expected);
}

TEST(SearchFolder, MissingFolderYieldsNothing) {
    test::TempDir dir;
    EXPECT_TRUE(SearchFolder(dir.path() + "/missing/*").empty());
    EXPECT_TRUE(SearchFolder(dir.Write("file.csv", "x") + "\\*").empty());
}

}  // namespace
}  // namespace qz
