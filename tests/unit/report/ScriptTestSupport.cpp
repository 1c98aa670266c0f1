#include "tests/unit/report/ScriptTestSupport.h"

#include <sys/wait.h>

#include <cstdio>

#include "report/ReportScriptWriter.h"

namespace qz::test {

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        result.lines.push_back(output.substr(start, end - start));
    }
    if (start < output.size()) {
        result.lines.push_back(output.substr(start));
    }
    return result;
}

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
