#pragma once
// Shared by the script writer tests: a script folder in a temporary tree with
// the report totals and the script path restored afterwards.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/CountMap.h"
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

// Fills an OK and an NG map with the same keys.
void FillMaps(CCountMap& okMap, CCountMap& ngMap, const std::vector<KeyCounts>& keys);

// Runs the six write operations in the report's order.
void WriteAllScripts();

class ScriptFolderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The script file's full path in the temporary folder.
    std::string ScriptPath(std::string_view fileName) const;

    TempDir m_dir;
    MessageBoxRecorder m_messages;

  private:
    std::string m_savedJsPath;
};

}  // namespace qz::test
