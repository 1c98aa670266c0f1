#include "tests/unit/report/ScriptTestSupport.h"

#include "report/ReportScriptWriter.h"

namespace qz::test {

void FillMaps(CCountMap& okMap, CCountMap& ngMap, const std::vector<KeyCounts>& keys) {
    okMap.RemoveAll();
    ngMap.RemoveAll();
    for (const KeyCounts& entry : keys) {
        okMap.Slot(entry.key) = entry.ok;
        ngMap.Slot(entry.key) = entry.ng;
    }
}

void ScriptFolderTest::WriteAllScripts() {
    CReportScriptWriter(m_totals, m_scriptFolder).WriteAll();
}

std::string ScriptFolderTest::ScriptPath(std::string_view fileName) const {
    return m_dir.path() + "/" + std::string(fileName);
}

}  // namespace qz::test
