#include "records/CountMap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qz {
namespace {

using KeyCounts = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;  // (OK, NG)

KeyCounts Pairs(const CCountMap& map) {
    KeyCounts pairs;
    for (const auto& [key, count] : map) {
        pairs.emplace(key, std::pair(count.ok, count.ng));
    }
    return pairs;
}

TEST(CountMapTest, KeysCompareByExactBytes) {
    CCountMap map;
    map.Slot("S1") = {1, 0};
    map.Slot("s1") = {2, 0};
    map.Slot("S1 ") = {0, 3};
    map.Slot(std::string_view("S1\0", 3)) = {4, 5};
    map.Slot("S1").Count(true);
    map.Slot("S1").Count(false);

    EXPECT_EQ(
        Pairs(map),
        (KeyCounts{
            {"S1", {2, 1}}, {"s1", {2, 0}}, {"S1 ", {0, 3}}, {std::string("S1\0", 3), {4, 5}}}));
    EXPECT_EQ(map.Find("S2"), nullptr);
    EXPECT_TRUE(map.Slot("S2") == OkNg{});  // created on demand with 0 and 0
    EXPECT_TRUE(map.Contains("S2"));
}

TEST(CountMapTest, ManyKeysSharingPrefixAndSuffix) {
    // Enough keys to grow the index several times; they differ only in the
    // middle or in length, and every one keeps its own count.
    CCountMap map;
    std::vector<std::string> keys;
    for (int i = 0; i < 600; ++i) {
        keys.push_back("SETTING_FILE_" + std::to_string(i) + "_REVISION.bin");
        keys.push_back(std::string(static_cast<std::size_t>(i % 40), 'k'));
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        OkNg& count = map.Slot(keys[i]);
        count.ok += static_cast<std::int64_t>(i);
        count.Count(false);
    }
    KeyCounts expected;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        expected[keys[i]].first += static_cast<std::int64_t>(i);
        expected[keys[i]].second += 1;
    }
    EXPECT_EQ(map.Size(), expected.size());
    EXPECT_EQ(Pairs(map), expected);
    for (const auto& [key, count] : expected) {
        const auto* found = map.Find(key);
        ASSERT_NE(found, nullptr) << key;
        EXPECT_EQ(std::pair(found->ok, found->ng), count) << key;
    }
    EXPECT_EQ(map.Find("SETTING_FILE_600_REVISION.bin"), nullptr);

    // Emptied, the map takes new keys without the old ones.
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.Find(keys[0]), nullptr);
    map.Slot(keys[2]) = {5, 6};
    EXPECT_EQ(Pairs(map), (KeyCounts{{keys[2], {5, 6}}}));
}

// 16-byte keys whose last word cancels a fixed seed all hashed to 0, so that
// 20,000 of them made one probe chain of 20,000 slots (seconds of look-ups).
// With the hash seeded per process they spread like any keys. Also keys of
// the other hash forms that share all but a few bytes.
TEST(CountMapTest, CraftedKeysCannotForceALongProbeChain) {
    constexpr char kCancellingWord[] = "\xCB\x28\xB4\xA0\xD1\x7E\x03\xE7";
    constexpr std::size_t kKeys = 20000;
    const auto key16 = [&](std::size_t i) {
        std::string key(8, '\0');
        std::memcpy(key.data(), &i, sizeof i);
        return key + std::string(kCancellingWord, 8);
    };
    const auto keyLong = [](std::size_t i) { return std::string(40, 'A') + std::to_string(i); };
    const auto keyShort = [](std::size_t i) { return std::to_string(i); };
    for (const auto& make :
         {std::function<std::string(std::size_t)>(key16), {keyLong}, {keyShort}}) {
        CCountMap map;
        for (std::size_t i = 0; i < kKeys; ++i) {
            map.Slot(make(i)).Count(true);
        }
        ASSERT_EQ(map.Size(), kKeys);
        // Linear probing at most a quarter full: a handful of slots, even for
        // the unluckiest of 20,000 keys.
        EXPECT_LT(map.LongestProbe(), 64u) << make(0);
        for (std::size_t i = 0; i < kKeys; i += 997) {
            const auto* found = map.Find(make(i));
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->ok, 1);
        }
    }
}

TEST(ValueSetTest, OrdersByUnsignedBytesWithoutDuplicates) {
    CValueSet set;
    for (std::string_view value : {"b", "\xE9t\xE9", "B", "a", "b", "a ", "\x7F"}) {
        set.Insert(value);
    }
    // Upper case before lower case, bytes >= 0x80 after all ASCII.
    const std::vector<std::string> expected = {"B", "a", "a ", "b", "\x7F", "\xE9t\xE9"};
    EXPECT_EQ(std::vector<std::string>(set.begin(), set.end()), expected);
    EXPECT_TRUE(set.Contains("\xE9t\xE9"));
    EXPECT_FALSE(set.Contains("A"));
}

}  // namespace
}  // namespace qz
