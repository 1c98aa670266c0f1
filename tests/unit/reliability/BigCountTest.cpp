// Counts past 2^31 records (a long report over many machines) reach the
// report scripts as exact numbers, with their yields; 32-bit counts wrapped to
// negative numbers there.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "records/ReportCounts.h"
#include "report/ReportScriptWriter.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

TEST(BigCountTest, ScriptsCarryCountsPast2To31Exactly) {
    constexpr std::int64_t kOk = 6442450941;  // 3 * (2^31 - 1)
    constexpr std::int64_t kNg = 3221225472;  // 3 * 2^30; yield 66.666667 %
    CReportTotals totals;
    totals.m_nOk = kOk;
    totals.m_nNg = kNg;
    totals.m_settingFiles.Slot("S1") = {kOk, kNg};
    totals.m_machineIds.Slot("M1") = {kOk, kNg};
    test::TempDir dir;

    EXPECT_TRUE(CReportScriptWriter(totals, dir.path() + "/").WriteAll().empty());
    const auto script = [&](const char* name) { return test::ReadFile(dir.path() + "/" + name); };
    EXPECT_NE(script("chartSummary.js").find("['OK',     6442450941],"), std::string::npos);
    EXPECT_NE(script("chartSummary.js").find("['NG',     3221225472],"), std::string::npos);
    EXPECT_NE(script("tableSummary.js").find("['Summary', 6442450941, 3221225472, 66.666667],"),
              std::string::npos);
    EXPECT_NE(script("tableSettingFile.js").find("['S1', 6442450941, 3221225472, 66.666667],"),
              std::string::npos);
    EXPECT_NE(script("tableMachineId.js").find("['M1', 6442450941, 3221225472, 66.666667],"),
              std::string::npos);
    EXPECT_NE(script("chartMachineId.js").find("['M1', 66.666667],"), std::string::npos);
}

}  // namespace
}  // namespace qz
