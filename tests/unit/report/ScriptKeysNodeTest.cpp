#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "records/ReportCounts.h"
#include "tests/unit/report/ScriptTestSupport.h"

namespace qz::test {
namespace {

// Keys with every byte class a script literal must carry through: quote,
// backslash (also at the end), tab and other control bytes, a closing script
// tag, format directives, bytes of the upper half that are not UTF-8, and
// UTF-8 text.
const std::vector<KeyCounts> kSettingFileKeys = {
    {"it's", 3, 1},           {"back\\slash\\", 3, 1},
    {"tab\tkey", 3, 1},       {std::string("ctl\x01\x1f\x7f", 6), 3, 1},
    {"</script>", 3, 1},      {"caf\xe9 \xff\x80\xa0", 3, 1},
    {"quote\"d", 3, 1},       {"%s%d%%", 3, 1},
    {"Größe-設定.bin", 3, 1}, {"\xF0\x9F\x98\x80 it's", 3, 1},
};
const std::vector<KeyCounts> kMachineIdKeys = {
    {"W'01", 3, 1},
    {"\\", 3, 1},
    {"\x1b[0m\r\n", 3, 1},
};

// The text the page draws for a key: a UTF-8 key's characters, otherwise one
// character per byte.
std::u16string Drawn(const std::string& key) {
    if (key == "Größe-設定.bin") {
        return u"Größe-設定.bin";
    }
    if (key == "\xF0\x9F\x98\x80 it's") {
        return u"\U0001F600 it's";
    }
    std::u16string drawn;
    for (const char c : key) {
        drawn += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return drawn;
}

// Four hex digits per code unit, as the reader prints them.
std::string Hex(const std::u16string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char16_t unit : text) {
        for (int shift = 12; shift >= 0; shift -= 4) {
            hex += kDigits[(unit >> shift) & 0x0F];
        }
    }
    return hex;
}

std::string Row(const char* file, const char* element, const std::string& key, const char* cells) {
    return std::string(file) + "\t" + element + "\t" + Hex(Drawn(key)) + "\t" + cells;
}

using ScriptKeysInJavaScriptTest = ScriptFolderTest;

// The scripts are run in a JavaScript engine against a stand-in chart library;
// each drawn row must carry its key: a UTF-8 key's characters, any other key's
// exact bytes.
TEST_F(ScriptKeysInJavaScriptTest, DrawnRowsCarryTheKeys) {
    ASSERT_EQ(::access(QZ_NODE_EXECUTABLE, X_OK), 0)
        << "node is needed to run the report scripts; found: " << QZ_NODE_EXECUTABLE;

    m_totals.m_nOk = 6;
    m_totals.m_nNg = 2;
    FillMap(m_totals.m_settingFiles, kSettingFileKeys);
    FillMap(m_totals.m_machineIds, kMachineIdKeys);
    WriteAllScripts();
    ASSERT_TRUE(m_failures.empty());

    std::vector<std::string> expected = {
        Row("chartSummary.js", "chartContent", "OK", "[6]"),
        Row("chartSummary.js", "chartContent", "NG", "[2]"),
    };
    // Rows in the order the keys were first counted.
    for (const KeyCounts& item : kSettingFileKeys) {
        expected.push_back(Row("chartSettingFile.js", "chartContent", item.key, "[75]"));
    }
    for (const KeyCounts& item : kMachineIdKeys) {
        expected.push_back(Row("chartMachineId.js", "chartContent", item.key, "[75]"));
    }
    expected.push_back(Row("tableSummary.js", "tableContent", "Summary", "[6,2,75]"));
    for (const KeyCounts& item : kSettingFileKeys) {
        expected.push_back(Row("tableSettingFile.js", "tableContent", item.key, "[3,1,75]"));
    }
    for (const KeyCounts& item : kMachineIdKeys) {
        expected.push_back(Row("tableMachineId.js", "tableContent", item.key, "[3,1,75]"));
    }

    const CommandResult result =
        RunCommand(std::string("'") + QZ_NODE_EXECUTABLE + "' '" + QZ_SCRIPT_ROWS_READER + "' '" +
                   m_dir.path() + "' 2>&1");
    ASSERT_EQ(result.exitStatus, 0) << ::testing::PrintToString(result.lines);
    EXPECT_EQ(result.lines, expected);
}

}  // namespace
}  // namespace qz::test
