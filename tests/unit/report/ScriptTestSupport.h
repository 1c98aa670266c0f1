#pragma once
// Shared by the script writer tests: totals to write and a script folder in a
// temporary tree.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileError.h"
#include "records/CountMap.h"
#include "records/ReportCounts.h"
#include "tests/support/TestSupport.h"

namespace qz::test {

// The six script files in the order the report writes them.
inline constexpr std::string_view kScriptFiles[] = {
    "chartSummary.js", "chartSettingFile.js", "chartMachineId.js",
    "tableSummary.js", "tableSettingFile.js", "tableMachineId.js",
};

struct KeyCounts {
    std::string key;
    std::int32_t ok;
    std::int32_t ng;
};

// The shown description of each failure, in order.
std::vector<std::string> ShownTexts(const std::vector<FileError>& failures);

struct CommandResult {
    int exitStatus = -1;  // -1: not run, or not ended normally
    std::vector<std::string> lines;
};

// Runs command through the shell and returns its standard output by lines.
CommandResult RunCommand(const std::string& command);

// Replaces the map's keys and counts with keys.
void FillMap(CCountMap& map, const std::vector<KeyCounts>& keys);

class ScriptFolderTest : public ::testing::Test {
  protected:
    // Writes the six scripts of m_totals into m_scriptFolder; m_failures
    // holds the shown description of each failure returned, in order.
    void WriteAllScripts();

    // The script file's full path in the temporary folder.
    std::string ScriptPath(std::string_view fileName) const;

    TempDir m_dir;
    std::vector<std::string> m_failures;
    CReportTotals m_totals;
    // As the data paths build it: ending in a backslash.
    std::string m_scriptFolder = m_dir.path() + "/";
};

}  // namespace qz::test
