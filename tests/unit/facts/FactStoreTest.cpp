#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "facts/FactStore.h"
#include "platform/FileIdentity.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/facts/StoreTestSupport.h"

namespace qz {
namespace {

constexpr std::uint64_t kBigFile = 1 << 20;  // facts far smaller than this

FactStoreOptions Options(std::string localeKey = "C") {
    FactStoreOptions options;
    options.localeKey = std::move(localeKey);
    return options;
}

TEST(FactStore, EntryReadsBackWholeInAnotherConnectionAndOnlyForItsLocale) {
    test::TempDir dir;
    const std::string db = dir.path() + "/facts.sqlite";
    const std::string file = dir.Write("M01/a.csv", "header\n");
    StoredFile entry = test::EntryFor(file, kBigFile, test::LotFacts(30, 8));
    entry.state.stamp.size = std::uint64_t{1} << 40;  // 64-bit values survive
    entry.state.stamp.modified = -5;
    entry.state.fingerprint = ~std::uint64_t{0};
    {
        FactStore store(db, Options());
        ASSERT_TRUE(store.IsUsable()) << store.WhyNotUsed();
        EXPECT_FALSE(store.Find(file).has_value());
        ASSERT_TRUE(test::SaveEntries(store, {&entry, 1}));
    }
    FactStore store(db, Options());
    FactStore other(db, Options());  // two connections at once
    for (FactStore* reader : {&store, &other}) {
        const auto found = reader->Find(file);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->state.stamp, entry.state.stamp);
        EXPECT_EQ(found->state.settled, true);
        EXPECT_EQ(found->state.completeEnd, entry.state.completeEnd);
        EXPECT_EQ(found->state.fingerprint, entry.state.fingerprint);
        test::ExpectSameFacts(found->facts, entry.facts);
        EXPECT_EQ(reader->WhyNotUsed(), "");
    }
    FactStore otherLocale(db, Options("de_DE"));
    EXPECT_FALSE(otherLocale.Find(file).has_value()) << "dates read by another locale";
}

TEST(FactStore, FactsNotMuchSmallerThanTheirBytesAreNotKept) {
    test::TempDir dir;
    const std::string file = dir.Write("M01/a.csv", "header\n");
    FactStore store(dir.path() + "/facts.sqlite", Options());
    StoredFile entry = test::EntryFor(file, kBigFile, test::LotFacts(30, 8));
    ASSERT_TRUE(test::SaveEntries(store, {&entry, 1}));
    ASSERT_TRUE(store.Find(file).has_value());
    // The same facts from few bytes (every key new, as crafted keys give):
    // not kept, and the entry before them is gone too.
    entry.state.completeEnd = 2000;
    ASSERT_TRUE(test::SaveEntries(store, {&entry, 1}));
    EXPECT_FALSE(store.Find(file).has_value());
    EXPECT_EQ(store.EntryCount(), 0u);
}

TEST(FactStore, SavingDropsTheEntriesOfFilesThatAreGone) {
    test::TempDir dir;
    const std::string kept = dir.Write("M01/kept.csv", "header\n");
    const std::string gone = dir.Write("M02/gone.csv", "header\n");
    FactStore store(dir.path() + "/facts.sqlite", Options());
    const StoredFile entries[] = {test::EntryFor(kept, kBigFile, test::LotFacts(2, 2)),
                                  test::EntryFor(gone, kBigFile, test::LotFacts(2, 2))};
    ASSERT_TRUE(test::SaveEntries(store, entries));
    ASSERT_EQ(store.EntryCount(), 2u);
    std::remove(gone.c_str());
    ASSERT_TRUE(test::SaveEntries(store, {}));  // a run that read nothing new still prunes
    EXPECT_TRUE(store.Find(kept).has_value());
    EXPECT_FALSE(store.Find(gone).has_value());
    EXPECT_EQ(store.EntryCount(), 1u);
}

TEST(FactStore, AWriterHoldingTheDatabaseMakesASaveGiveUpSoonNotFail) {
    test::TempDir dir;
    const std::string db = dir.path() + "/facts.sqlite";
    const std::string file = dir.Write("M01/a.csv", "header\n");
    FactStore store(db, Options());
    const StoredFile entry = test::EntryFor(file, kBigFile, test::LotFacts(3, 3));
    ASSERT_TRUE(test::SaveEntries(store, {&entry, 1}));

    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_TRUE(store.Find(file).has_value()) << "readers go on while another writes";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(test::SaveEntries(store, {&entry, 1}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_NE(store.WhyNotUsed().find("busy"), std::string::npos) << store.WhyNotUsed();
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_TRUE(test::SaveEntries(store, {&entry, 1})) << "usable again once the other is done";
}

TEST(FactStore, ASaveThatWouldPassTheSizeLimitSavesNothing) {
    test::TempDir dir;
    const std::string db = dir.path() + "/facts.sqlite";
    const std::string small = dir.Write("M01/small.csv", "header\n");
    const std::string big = dir.Write("M01/big.csv", "header\n");
    FactStoreOptions options = Options();
    options.maxBytes = 64 * 1024;
    FactStore store(db, options);
    const StoredFile first = test::EntryFor(small, kBigFile, test::LotFacts(2, 2));
    ASSERT_TRUE(test::SaveEntries(store, {&first, 1}));
    const StoredFile entries[] = {
        test::EntryFor(small, kBigFile, test::LotFacts(3, 3)),
        test::EntryFor(big, std::uint64_t{1} << 30, test::LotFacts(3000, 16))};
    EXPECT_FALSE(test::SaveEntries(store, entries));
    EXPECT_NE(store.WhyNotUsed().find("full"), std::string::npos) << store.WhyNotUsed();
    EXPECT_FALSE(store.Find(big).has_value());
    const auto kept = store.Find(small);
    ASSERT_TRUE(kept.has_value()) << "all or nothing: the earlier entry stands";
    test::ExpectSameFacts(kept->facts, first.facts);
}

TEST(FactStore, StoresOnTwoThreadsSaveAndReadAtOnceWithoutLoss) {
    test::TempDir dir;
    const std::string db = dir.path() + "/facts.sqlite";
    std::vector<std::string> files;
    for (int i = 0; i < 2; ++i) {
        files.push_back(dir.Write("M0" + std::to_string(i) + "/a.csv", "header\n"));
    }
    { FactStore create(db, Options()); }
    std::atomic<int> saved{0};
    const auto run = [&](int which) {
        FactStore store(db, Options());
        for (int round = 1; round <= 40; ++round) {
            const StoredFile entry = test::EntryFor(files[static_cast<std::size_t>(which)],
                                                    kBigFile, test::LotFacts(round, 2));
            if (test::SaveEntries(store, {&entry, 1})) {
                ++saved;
            }
            if (const auto found = store.Find(files[static_cast<std::size_t>(1 - which)])) {
                // Whatever round the other thread saved last, it reads back whole.
                const int itsRound = static_cast<int>(found->facts.rows.size() / 2);
                test::ExpectSameFacts(found->facts, test::LotFacts(itsRound, 2));
            }
        }
    };
    std::thread a(run, 0);
    std::thread b(run, 1);
    a.join();
    b.join();
    EXPECT_GT(saved.load(), 40) << "short transactions rarely meet";
    FactStore store(db, Options());
    for (const std::string& file : files) {
        const auto found = store.Find(file);
        ASSERT_TRUE(found.has_value());
        test::ExpectSameFacts(found->facts,
                              test::LotFacts(static_cast<int>(found->facts.rows.size() / 2), 2));
    }
}

}  // namespace
}  // namespace qz
