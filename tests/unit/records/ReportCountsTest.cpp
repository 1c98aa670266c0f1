#include "records/ReportCounts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "records/CountMap.h"

namespace qz {
namespace {

// A map's entries in its own order.
using Entries = std::vector<std::pair<std::string, std::int64_t>>;

Entries InOrder(const CCountMap& map) {
    Entries entries;
    for (const auto& [key, count] : map) {
        entries.emplace_back(key, count);
    }
    return entries;
}

// Counts of one file: the keys in the order given, with their OK and NG counts
// in both dimensions.
CReportCounts FileCounts(const std::vector<std::pair<std::string, std::pair<int, int>>>& keys) {
    CReportCounts counts;
    for (const auto& [key, okNg] : keys) {
        counts.m_settingFileOk.Slot("S" + key) = okNg.first;
        counts.m_settingFileNg.Slot("S" + key) = okNg.second;
        counts.m_machineIdOk.Slot("M" + key) = okNg.first;
        counts.m_machineIdNg.Slot("M" + key) = okNg.second;
        counts.m_nOk += okNg.first;
        counts.m_nNg += okNg.second;
    }
    return counts;
}

TEST(ReportTotalsTest, MergeSumsCountsPerKeyAndAppendsNewKeysInTheFilesOrder) {
    const CReportCounts first = FileCounts({{"X", {3, 1}}, {"Z", {0, 2}}});
    const CReportCounts second = FileCounts({{"Y", {1, 1}}, {"X", {1, 1}}, {"W", {2, 0}}});

    CReportTotals totals;
    totals.Merge(first);
    totals.Merge(second);

    EXPECT_EQ(totals.m_nOk, 7);
    EXPECT_EQ(totals.m_nNg, 5);
    EXPECT_EQ(InOrder(totals.m_settingFileOk),
              (Entries{{"SX", 4}, {"SZ", 0}, {"SY", 1}, {"SW", 2}}));
    EXPECT_EQ(InOrder(totals.m_settingFileNg),
              (Entries{{"SX", 2}, {"SZ", 2}, {"SY", 1}, {"SW", 0}}));
    EXPECT_EQ(InOrder(totals.m_machineIdOk), (Entries{{"MX", 4}, {"MZ", 0}, {"MY", 1}, {"MW", 2}}));
    EXPECT_EQ(InOrder(totals.m_machineIdNg), (Entries{{"MX", 2}, {"MZ", 2}, {"MY", 1}, {"MW", 0}}));

    // The file counts are read, not consumed: merging one again adds it again.
    EXPECT_EQ(InOrder(first.m_settingFileOk), (Entries{{"SX", 3}, {"SZ", 0}}));
    totals.Merge(first);
    EXPECT_EQ(totals.m_nOk, 10);
    EXPECT_EQ(InOrder(totals.m_settingFileOk),
              (Entries{{"SX", 7}, {"SZ", 0}, {"SY", 1}, {"SW", 2}}));
}

// A long report passes 2^31 records: totals and per-key counts add up exactly,
// where 32-bit counts wrapped to negative numbers.
TEST(ReportTotalsTest, CountsPast2To31AddUpExactly) {
    constexpr std::int64_t kFileMax = std::numeric_limits<std::int32_t>::max();
    CReportCounts big;
    big.m_settingFileOk.Slot("S") = kFileMax;
    big.m_settingFileNg.Slot("S") = 1;
    big.m_machineIdOk.Slot("M") = kFileMax;
    big.m_machineIdNg.Slot("M") = 1;
    big.m_nOk = kFileMax;
    big.m_nNg = 1;

    CReportTotals totals;
    for (int i = 0; i < 3; ++i) {
        totals.Merge(big);
    }

    EXPECT_EQ(totals.m_nOk, 6442450941);
    EXPECT_EQ(totals.m_nNg, 3);
    EXPECT_EQ(InOrder(totals.m_settingFileOk), (Entries{{"S", 6442450941}}));
    EXPECT_EQ(InOrder(totals.m_machineIdOk), (Entries{{"M", 6442450941}}));
    EXPECT_EQ(InOrder(totals.m_machineIdNg), (Entries{{"M", 3}}));
}

TEST(ReportTotalsTest, ClearEmptiesCountersAndMaps) {
    CReportTotals totals;
    totals.Merge(FileCounts({{"X", {1, 1}}}));

    totals.Clear();

    EXPECT_EQ(totals.m_nOk, 0);
    EXPECT_EQ(totals.m_nNg, 0);
    EXPECT_TRUE(totals.m_settingFileOk.IsEmpty());
    EXPECT_TRUE(totals.m_settingFileNg.IsEmpty());
    EXPECT_TRUE(totals.m_machineIdOk.IsEmpty());
    EXPECT_TRUE(totals.m_machineIdNg.IsEmpty());
}

}  // namespace
}  // namespace qz
