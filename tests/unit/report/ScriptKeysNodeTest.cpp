#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "records/ReportCounts.h"
#include "tests/unit/report/ScriptTestSupport.h"

namespace qz::test {
namespace {

// Keys with every byte class a script literal must carry through: quote,
// backslash (also at the end), tab and other control bytes, a closing script
// tag, format directives and bytes of the upper half.
const std::vector<KeyCounts> kSettingFileKeys = {
    {"it's", 3, 1},      {"back\\slash\\", 3, 1},
    {"tab\tkey", 3, 1},  {std::string("ctl\x01\x1f\x7f", 6), 3, 1},
    {"</script>", 3, 1}, {"caf\xe9 \xff\x80\xa0", 3, 1},
    {"quote\"d", 3, 1},  {"%s%d%%", 3, 1},
};
const std::vector<KeyCounts> kMachineIdKeys = {
    {"W'01", 3, 1},
    {"\\", 3, 1},
    {"\x1b[0m\r\n", 3, 1},
};

std::string Hex(const std::string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

std::string Row(const char* file, const char* element, const std::string& key, const char* cells) {
    return std::string(file) + "\t" + element + "\t" + Hex(key) + "\t" + cells;
}

struct CommandResult {
    int exitStatus = -1;
    std::vector<std::string> lines;
};

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

using ScriptKeysInJavaScriptTest = ScriptFolderTest;

// The scripts are run in a JavaScript engine against a stand-in chart library;
// each drawn row must carry its key with the bytes the key had.
TEST_F(ScriptKeysInJavaScriptTest, DrawnRowsCarryTheKeysExactBytes) {
    ASSERT_EQ(::access(QZ_NODE_EXECUTABLE, X_OK), 0)
        << "node is needed to run the report scripts; found: " << QZ_NODE_EXECUTABLE;

    m_totals.m_nOk = 6;
    m_totals.m_nNg = 2;
    FillMaps(m_totals.m_settingFileOk, m_totals.m_settingFileNg, kSettingFileKeys);
    FillMaps(m_totals.m_machineIdOk, m_totals.m_machineIdNg, kMachineIdKeys);
    WriteAllScripts();
    ASSERT_TRUE(m_messages.texts().empty());

    std::vector<std::string> expected = {
        Row("chartSummary.js", "chartContent", "OK", "[6]"),
        Row("chartSummary.js", "chartContent", "NG", "[2]"),
    };
    // Rows keep the OK map's order.
    for (const auto& item : m_totals.m_settingFileOk) {
        expected.push_back(Row("chartSettingFile.js", "chartContent", item.first, "[75]"));
    }
    for (const auto& item : m_totals.m_machineIdOk) {
        expected.push_back(Row("chartMachineId.js", "chartContent", item.first, "[75]"));
    }
    expected.push_back(Row("tableSummary.js", "tableContent", "Summary", "[6,2,75]"));
    for (const auto& item : m_totals.m_settingFileOk) {
        expected.push_back(Row("tableSettingFile.js", "tableContent", item.first, "[3,1,75]"));
    }
    for (const auto& item : m_totals.m_machineIdOk) {
        expected.push_back(Row("tableMachineId.js", "tableContent", item.first, "[3,1,75]"));
    }

    const CommandResult result =
        RunCommand(std::string("'") + QZ_NODE_EXECUTABLE + "' '" + QZ_SCRIPT_ROWS_READER + "' '" +
                   m_dir.path() + "' 2>&1");
    ASSERT_EQ(result.exitStatus, 0) << ::testing::PrintToString(result.lines);
    EXPECT_EQ(result.lines, expected);
}

}  // namespace
}  // namespace qz::test
