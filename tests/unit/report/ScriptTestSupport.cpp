#include "tests/unit/report/ScriptTestSupport.h"

#include "report/ReportScriptWriter.h"

namespace qz::test {

void FillMap(CCountMap& map, const std::vector<KeyCounts>& keys) {
    map.RemoveAll();
    for (const KeyCounts& entry : keys) {
        map.Slot(entry.key) = {entry.ok, entry.ng};
    }
}

void ScriptFolderTest::WriteAllScripts() {
    m_failures = ShownTexts(CReportScriptWriter(m_totals, m_scriptFolder).WriteAll());
}

std::vector<std::string> ShownTexts(const std::vector<FileError>& failures) {
    std::vector<std::string> texts;
    for (const FileError& failure : failures) {
        texts.push_back(failure.ShownDescription());
    }
    return texts;
}

std::string ScriptFolderTest::ScriptPath(std::string_view fileName) const {
    return m_dir.path() + "/" + std::string(fileName);
}

}  // namespace qz::test
