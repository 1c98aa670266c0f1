// A cache that cannot be used never fails a report: the store says why, finds
// nothing, never touches a file that is not its own, and makes its own
// database again when it reads back broken.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "facts/FactStore.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/facts/StoreTestSupport.h"

namespace qz {
namespace {

constexpr std::uint64_t kBigFile = 1 << 20;

void Sql(const std::string& db, const char* sql) {
    sqlite3* connection = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &connection), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(connection, sql, nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(connection);
    sqlite3_close(connection);
}

// A database of ours with entries for the files of dir, spread over pages.
std::vector<StoredFile> MakeOurs(const test::TempDir& dir, const std::string& db) {
    std::vector<StoredFile> entries;
    for (int i = 0; i < 20; ++i) {
        const std::string file = dir.Write("M01/f" + std::to_string(i) + ".csv", "header\n");
        entries.push_back(test::EntryFor(file, kBigFile, test::LotFacts(40, 8)));
    }
    FactStore store(db, FactStoreOptions{});
    EXPECT_TRUE(test::SaveEntries(store, entries));
    return entries;
}

struct BrokenCase {
    const char* name;
    // Leaves something at db (the entries of dir, if it made any, returned).
    std::function<void(const test::TempDir& dir, const std::string& db)> make;
    bool ownsPath;
    bool usable;         // the store is used (made again where needed)
    bool untouched;      // the file stays as it was
    const char* reason;  // in WhyNotUsed, empty for none
};

TEST(FactStoreBroken, EachBrokenCacheIsRefusedOrMadeAgain) {
    const auto garbage = [](const test::TempDir&, const std::string& db) {
        std::ofstream(db, std::ios::binary) << std::string(10000, '\x5a') << "not a database";
    };
    const auto foreign = [](const test::TempDir&, const std::string& db) {
        Sql(db, "CREATE TABLE customers (code TEXT); INSERT INTO customers VALUES ('C001');");
    };
    const auto truncated = [](const test::TempDir& dir, const std::string& db) {
        MakeOurs(dir, db);
        std::filesystem::resize_file(db, 3 * 4096);
    };
    const auto otherVersion = [](const test::TempDir& dir, const std::string& db) {
        MakeOurs(dir, db);
        Sql(db, "PRAGMA user_version = 99");
    };
    const auto empty = [](const test::TempDir&, const std::string& db) {
        std::ofstream(db, std::ios::binary).flush();
    };
    const BrokenCase cases[] = {
        {"garbage, named by the user", garbage, false, false, true, "not a cache of this program"},
        {"garbage, in the program's own place", garbage, true, true, false, ""},
        {"another program's database", foreign, false, false, true, "not a cache of this program"},
        {"cut short", truncated, false, true, false, "damaged"},
        {"another version", otherVersion, false, true, false, ""},
        {"an empty file", empty, false, true, false, ""},
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string db = dir.path() + "/facts.sqlite";
        c.make(dir, db);
        const std::string before = test::ReadFile(db);
        const std::string probe = dir.Write("M09/probe.csv", "header\n");
        const StoredFile entry = test::EntryFor(probe, kBigFile, test::LotFacts(5, 5));
        {
            FactStoreOptions options;
            options.ownsPath = c.ownsPath;
            FactStore store(db, options);
            // No entry that was there is believed: cut short, the database
            // finds nothing rather than something wrong.
            for (int i = 0; i < 20; ++i) {
                EXPECT_FALSE(store.Find(dir.path() + "/M01/f" + std::to_string(i) + ".csv")) << i;
            }
            EXPECT_EQ(test::SaveEntries(store, {&entry, 1}), c.usable) << store.WhyNotUsed();
            if (*c.reason == '\0') {
                EXPECT_EQ(store.WhyNotUsed(), "");
            } else {
                EXPECT_NE(store.WhyNotUsed().find(c.reason), std::string::npos)
                    << store.WhyNotUsed();
                EXPECT_NE(store.WhyNotUsed().find(db), std::string::npos);
            }
        }
        if (c.untouched) {
            EXPECT_EQ(test::ReadFile(db), before);
        }
        FactStore again(db, FactStoreOptions{});
        EXPECT_EQ(again.Find(probe).has_value(), c.usable);
        if (c.usable) {
            EXPECT_EQ(again.WhyNotUsed(), "");
        }
    }
}

TEST(FactStoreBroken, AnEntryAlteredInTheDatabaseIsNotBelievedAndIsReplaced) {
    test::TempDir dir;
    const std::string db = dir.path() + "/facts.sqlite";
    const std::string file = dir.Write("M01/a.csv", "header\n");
    FactStore store(db, FactStoreOptions{});
    const StoredFile entry = test::EntryFor(file, kBigFile, test::LotFacts(10, 4));
    ASSERT_TRUE(test::SaveEntries(store, {&entry, 1}));
    // One count changed: the bytes still decode, the checksum does not match.
    Sql(db, "UPDATE files SET facts = substr(facts, 1, 60) || x'07' || substr(facts, 62)");
    EXPECT_FALSE(store.Find(file).has_value());
    ASSERT_TRUE(test::SaveEntries(store, {&entry, 1}));
    EXPECT_TRUE(store.Find(file).has_value());
}

TEST(FactStoreBroken, APlaceThatCannotHoldADatabaseIsNotUsed) {
    test::TempDir dir;
    const std::string notAFolder = dir.Write("plain.txt", "text\n");
    FactStore store(notAFolder + "/facts.sqlite", FactStoreOptions{});
    EXPECT_FALSE(store.IsUsable());
    EXPECT_NE(store.WhyNotUsed().find("cannot be opened"), std::string::npos) << store.WhyNotUsed();
    StoredFile entry;
    entry.path = notAFolder;
    EXPECT_FALSE(test::SaveEntries(store, {&entry, 1}));
    EXPECT_FALSE(store.Find(notAFolder).has_value());
}

}  // namespace
}  // namespace qz
