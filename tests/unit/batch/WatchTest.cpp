// The watch loop's decisions (when a report is written again) on scripted
// looks at the record files, and the rolling range of --days.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/RollingDays.h"
#include "batch/Watch.h"
#include "platform/Path.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

struct Look {
    std::vector<std::string> folders;
    std::vector<RecordFileStamp> stamps;
    std::string today;
};

const std::vector<std::string> kA = {"R/A"};
const RecordFileStamp kFile{"R/A/1.csv", 100, 5};

// Runs the loop over looks (the first before the first report, then one per
// interval) and returns how many reports it wrote.
int ReportsFor(const std::vector<Look>& looks, bool rolling) {
    std::size_t next = 0;
    int reports = 0;
    WatchPlan plan;
    plan.interval = 7s;
    plan.machineFolders = [&] { return looks[next].folders; };
    plan.stamp = [&](const std::vector<std::string>& folders) {
        EXPECT_EQ(folders, looks[next].folders);
        return looks[next].stamps;
    };
    if (rolling) {
        plan.today = [&] { return looks[next].today; };
    }
    plan.writeReport = [&](const std::vector<std::string>& folders) {
        EXPECT_EQ(folders, looks[next].folders);
        ++reports;
    };
    plan.waitForStop = [&](std::chrono::milliseconds wait) {
        EXPECT_EQ(wait, 7s);
        return ++next == looks.size();
    };
    Watch(plan);
    EXPECT_EQ(next, looks.size());
    return reports;
}

TEST(WatchTest, WritesAgainOnlyWhenTheFilesFoldersOrRollingDateChanged) {
    RecordFileStamp grown = kFile;
    grown.size = 180;
    RecordFileStamp touched = kFile;
    touched.modified = 6;
    const RecordFileStamp other{"R/A/2.csv", 10, 5};
    const Look base{kA, {kFile}, "2026-12-11"};
    const Look nextDay{kA, {kFile}, "2026-12-12"};
    struct Case {
        const char* what;
        std::vector<Look> looks;
        bool rolling;
        int reports;
    };
    const Case cases[] = {
        {"nothing changes", {base, base, base}, false, 1},
        {"a file grows, then rests", {base, {kA, {grown}, ""}, {kA, {grown}, ""}}, false, 2},
        {"same size, new time", {base, {kA, {touched}, ""}}, false, 2},
        {"a file is added, then removed", {base, {kA, {kFile, other}, ""}, base}, false, 3},
        {"a machine folder appears", {base, {{"R/A", "R/B"}, {kFile}, ""}}, false, 2},
        {"the date moves a rolling range", {base, nextDay, nextDay}, true, 2},
        {"the date does not move a fixed range", {base, nextDay}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReportsFor(c.looks, c.rolling), c.reports);
    }
}

TEST(WatchTest, StampsListEveryEntryOfTheFoldersWithSizeAndTime) {
    test::TempDir dir;
    const std::string folder = dir.MakeDir("A");
    dir.MakeDir("A/sub");
    dir.Write("A/1.csv", "header\n");
    const std::vector<RecordFileStamp> stamps = StampRecordFiles({folder, dir.path() + "/B"});
    ASSERT_EQ(stamps.size(), 2U);
    EXPECT_EQ(stamps[0].path, folder + kPathSeparator + "1.csv");
    EXPECT_EQ(stamps[0].size, 7U);
    EXPECT_NE(stamps[0].modified, 0);
    EXPECT_EQ(stamps[1].path, folder + kPathSeparator + "sub");
}

TEST(RollingDaysTest, TheLastNDaysEndWithToday) {
    struct Case {
        const char* today;
        int days;
        const char* first;
    };
    const Case cases[] = {
        {"2026-12-11", 1, "2026-12-11"},
        {"2027-01-03", 7, "2026-12-28"},
        {"2024-03-01", 2, "2024-02-29"},
        {"2026-03-31", 31, "2026-03-01"},
    };
    for (const Case& c : cases) {
        BatchOptions options;
        SetRollingRange(options, c.days, c.today);
        EXPECT_EQ(options.fromText, c.first) << c.today << " " << c.days;
        EXPECT_EQ(options.toText, c.today);
        EXPECT_EQ(options.from.value, ParseIsoDate(c.first).value);
        EXPECT_EQ(options.to.value, ParseIsoDate(c.today).value);
    }
}

}  // namespace
}  // namespace qz
