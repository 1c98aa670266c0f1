#include "records/ReportCounts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "records/CountMap.h"
#include "tests/support/CountMapView.h"

namespace qz {
namespace {

using test::InOrder;
// A map's entries in its own order.
using Entries = std::vector<std::pair<std::string, std::int64_t>>;

// Counts of one file: the keys in the order given, with their OK and NG counts
// in both dimensions.
CReportCounts FileCounts(const std::vector<std::pair<std::string, std::pair<int, int>>>& keys) {
    CReportCounts counts;
    for (const auto& [key, okNg] : keys) {
        counts.m_settingFiles.Slot("S" + key) = {okNg.first, okNg.second};
        counts.m_machineIds.Slot("M" + key) = {okNg.first, okNg.second};
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
    EXPECT_EQ(InOrder(totals.m_settingFiles, &OkNg::ok),
              (Entries{{"SX", 4}, {"SZ", 0}, {"SY", 1}, {"SW", 2}}));
    EXPECT_EQ(InOrder(totals.m_settingFiles, &OkNg::ng),
              (Entries{{"SX", 2}, {"SZ", 2}, {"SY", 1}, {"SW", 0}}));
    EXPECT_EQ(InOrder(totals.m_machineIds, &OkNg::ok),
              (Entries{{"MX", 4}, {"MZ", 0}, {"MY", 1}, {"MW", 2}}));
    EXPECT_EQ(InOrder(totals.m_machineIds, &OkNg::ng),
              (Entries{{"MX", 2}, {"MZ", 2}, {"MY", 1}, {"MW", 0}}));

    // The file counts are read, not consumed: merging one again adds it again.
    EXPECT_EQ(InOrder(first.m_settingFiles, &OkNg::ok), (Entries{{"SX", 3}, {"SZ", 0}}));
    totals.Merge(first);
    EXPECT_EQ(totals.m_nOk, 10);
    EXPECT_EQ(InOrder(totals.m_settingFiles, &OkNg::ok),
              (Entries{{"SX", 7}, {"SZ", 0}, {"SY", 1}, {"SW", 2}}));
}

// A long report passes 2^31 records: totals and per-key counts add up exactly,
// where 32-bit counts wrapped to negative numbers.
TEST(ReportTotalsTest, CountsPast2To31AddUpExactly) {
    constexpr std::int64_t kFileMax = std::numeric_limits<std::int32_t>::max();
    CReportCounts big;
    big.m_settingFiles.Slot("S") = {kFileMax, 1};
    big.m_machineIds.Slot("M") = {kFileMax, 1};
    big.m_nOk = kFileMax;
    big.m_nNg = 1;

    CReportTotals totals;
    for (int i = 0; i < 3; ++i) {
        totals.Merge(big);
    }

    EXPECT_EQ(totals.m_nOk, 6442450941);
    EXPECT_EQ(totals.m_nNg, 3);
    EXPECT_EQ(InOrder(totals.m_settingFiles, &OkNg::ok), (Entries{{"S", 6442450941}}));
    EXPECT_EQ(InOrder(totals.m_machineIds, &OkNg::ok), (Entries{{"M", 6442450941}}));
    EXPECT_EQ(InOrder(totals.m_machineIds, &OkNg::ng), (Entries{{"M", 3}}));
}

TEST(ReportTotalsTest, ClearEmptiesCountersAndMaps) {
    CReportTotals totals;
    totals.Merge(FileCounts({{"X", {1, 1}}}));

    totals.Clear();

    EXPECT_EQ(totals.m_nOk, 0);
    EXPECT_EQ(totals.m_nNg, 0);
    EXPECT_TRUE(totals.m_settingFiles.IsEmpty());
    EXPECT_TRUE(totals.m_machineIds.IsEmpty());
}

TEST(ReportCountsTest, OfGivesEachCountedDimensionItsOwnMap) {
    CReportCounts counts;
    counts.Of(Dimension::SettingFile).Slot("S") = {1, 2};
    counts.Of(Dimension::MachineId).Slot("M") = {3, 4};
    EXPECT_EQ(InOrder(counts.m_settingFiles, &OkNg::ng), (Entries{{"S", 2}}));
    EXPECT_EQ(InOrder(counts.m_machineIds, &OkNg::ok), (Entries{{"M", 3}}));
    EXPECT_THROW(counts.Of(Dimension::Customer), std::invalid_argument);
    EXPECT_THROW(std::as_const(counts).Of(Dimension::Customer), std::invalid_argument);
}

}  // namespace
}  // namespace qz
