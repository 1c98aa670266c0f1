#include "tests/unit/output/ScriptTestSupport.h"

#include "report/ReportScriptWriter.h"
#include "report/DataPaths.h"
#include "records/ReportCounts.h"

namespace qz::test {

void FillMaps(CCountMap& okMap, CCountMap& ngMap, const std::vector<KeyCounts>& keys) {
    okMap.RemoveAll();
    ngMap.RemoveAll();
    for (const KeyCounts& entry : keys) {
        okMap.Slot(entry.key) = entry.ok;
        ngMap.Slot(entry.key) = entry.ng;
    }
}

void WriteAllScripts() {
    CReportScriptWriter().WriteAll();
}

void ScriptFolderTest::SetUp() {
    m_savedJsPath = g_strReportJsPath;
    // The script folder as the data paths build it: ending in a backslash.
    g_strReportJsPath = m_dir.path() + "\\";
    g_reportTotals.Clear();
}

void ScriptFolderTest::TearDown() {
    g_reportTotals.Clear();
    g_strReportJsPath = m_savedJsPath;
}

std::string ScriptFolderTest::ScriptPath(std::string_view fileName) const {
    return m_dir.path() + "/" + std::string(fileName);
}

}  // namespace qz::test
