// The bytes of stored facts and the fingerprint of a file's bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "facts/CacheLocation.h"
#include "facts/FactCoding.h"
#include "facts/FileFingerprint.h"
#include "platform/FileError.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/facts/StoreTestSupport.h"

namespace qz {
namespace {

TEST(FactCoding, FactsReadBackAsTheyWereAndNothingElseDoes) {
    FileFacts facts = test::LotFacts(3, 2);
    facts.rows.push_back({{-800000, 0, 1, 0}, {std::int64_t{1} << 40, 0}});  // far days, big counts
    facts.found.machineIds.Insert(std::string("\xff\0x", 3));
    const std::string bytes = EncodeFacts(facts);
    const auto back = DecodeFacts(bytes);
    ASSERT_TRUE(back.has_value());
    test::ExpectSameFacts(*back, facts);

    EXPECT_TRUE(DecodeFacts(EncodeFacts(FileFacts{})).has_value());
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_FALSE(DecodeFacts(bytes.substr(0, size))) << "cut to " << size;
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string altered = bytes;
        altered[at] = static_cast<char>(altered[at] ^ 0x10);
        EXPECT_FALSE(DecodeFacts(altered)) << "byte " << at;
    }
    EXPECT_FALSE(DecodeFacts(bytes + "x"));
}

TEST(FactCoding, LocaleKeyTellsLocalesThatReadDatesDifferently) {
    DateLocale base;
    const std::string key = LocaleKey(base);
    EXPECT_EQ(LocaleKey(DateLocale{}), key);
    DateLocale order = base;
    order.order = DateOrder::DMY;
    DateLocale year = base;
    year.currentYear = 2001;
    DateLocale month = base;
    month.monthNames[4] = "mai";
    DateLocale moved = base;  // the same letters, another place
    moved.amMarker = "";
    moved.pmMarker = "ampm";
    for (const DateLocale* other : {&order, &year, &month, &moved}) {
        EXPECT_NE(LocaleKey(*other), key);
    }
}

TEST(FileFingerprint, TellsBytesBeforeTheOffsetNotThoseAfter) {
    test::TempDir dir;
    std::string lines;
    for (int i = 0; i < 200; ++i) {
        lines += "2026/01/02 03:04:" + std::to_string(10 + i % 50) + ",A.cfg,B" +
                 std::to_string(i) + ",OK\n";
    }
    const std::string path = dir.Write("a.csv", lines);
    const std::uint64_t offset = lines.size() - 100;
    const std::uint64_t print = FileFingerprint(path, offset);
    EXPECT_EQ(FileFingerprint(path, offset), print);

    std::string changed = lines;
    changed[offset - 1] = 'X';  // just before the offset
    dir.Write("a.csv", changed);
    EXPECT_NE(FileFingerprint(path, offset), print);
    changed = lines;
    changed[offset - kFingerprintBytes] = 'X';  // the window's first byte
    dir.Write("a.csv", changed);
    EXPECT_NE(FileFingerprint(path, offset), print);

    changed = lines;
    changed[offset] = 'X';  // behind the offset: a grown file's new bytes
    dir.Write("a.csv", changed + "more\n");
    EXPECT_EQ(FileFingerprint(path, offset), print);

    dir.Write("a.csv", lines.substr(0, offset - 1));  // cut short
    EXPECT_NE(FileFingerprint(path, offset), print);
    const std::string small = dir.Write("b.csv", "h\n");
    EXPECT_NE(FileFingerprint(small, 2), FileFingerprint(small, 3));
    EXPECT_THROW(FileFingerprint(dir.path() + "/missing.csv", 10), FileError);
}

TEST(CacheLocation, OneDatabasePerDataTreeInTheProgramsCacheFolder) {
    test::HomeRedirect home;
    test::ScopedEnv cacheHome("XDG_CACHE_HOME", home.home() + "/cache");
    const CachePlace place = DefaultCachePlace("/srv/line1/ReportData");
    EXPECT_TRUE(place.owned);
    EXPECT_TRUE(place.path.starts_with(home.home() + "/cache/qz8840/facts-")) << place.path;
    EXPECT_TRUE(place.path.ends_with(".sqlite")) << place.path;
    EXPECT_EQ(DefaultCachePlace("/srv/line1/ReportData/").path, place.path);
    EXPECT_NE(DefaultCachePlace("/srv/line2/ReportData").path, place.path);

    ASSERT_TRUE(CreateCacheFolderFor(place.path));
    EXPECT_TRUE(std::filesystem::is_directory(home.home() + "/cache/qz8840"));
    test::ScopedEnv noCacheHome("XDG_CACHE_HOME", std::nullopt);
    test::ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(DefaultCachePlace("/srv/line1/ReportData").path, "");
}

}  // namespace
}  // namespace qz
