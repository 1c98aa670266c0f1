// The facts script: its text, what a JavaScript engine reads from it, the
// bound above which it leaves the rows out, and its writing with the other
// scripts of a report.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dates/DayTime.h"
#include "report/ReportFactsScript.h"
#include "report/ReportScope.h"
#include "tests/unit/report/ScriptTestSupport.h"

namespace qz::test {
namespace {

std::int32_t Day(int year, int month, int dayOfMonth) {
    std::int32_t day = 0;
    EXPECT_TRUE(DayNumberFromCivil(year, month, dayOfMonth, day));
    return day;
}

// Two machines' rows; the table also holds a text no row names ("unused"),
// as a report's table does for rows its request did not select.
const std::vector<std::string> kTexts = {"unused", "M01", "a.cfg", "C001", "B7", "b.cfg"};

std::vector<ReportFactRow> SampleRows() {
    return {
        {Day(2025, 12, 31), 1, 2, 3, 4, {120, 4}},
        {Day(2025, 12, 31), 1, 5, 3, 4, {7, 0}},
        {Day(2026, 1, 1), 1, 2, 3, 4, {50, 1}},
    };
}

constexpr char kSampleScript[] =
    "var reportFacts = {\"version\": 1, \"complete\": true, \"rowCount\": 3, \"bound\": 1000000,\n"
    "\"texts\": [\"M01\", \"a.cfg\", \"C001\", \"B7\", \"b.cfg\"],\n"
    "\"customerNames\": {},\n"
    "\"rows\": [\n"
    "[20453,0,1,2,3,120,4],\n"
    "[20453,0,4,2,3,7,0],\n"
    "[20454,0,1,2,3,50,1]]};\n";

TEST(ReportFactsScriptTest, TextNamesEachUsedTextOnceInRowOrder) {
    EXPECT_EQ(ReportFactsScript(kTexts, SampleRows()), kSampleScript);
}

// Up to the bound every row is written; above it none, nor any text, and the
// script still says how many rows there were.
TEST(ReportFactsScriptTest, RowsAboveTheBoundAreLeftOut) {
    struct Case {
        std::size_t bound;
        const char* expected;
    };
    const Case cases[] = {
        {3,
         "var reportFacts = {\"version\": 1, \"complete\": true, \"rowCount\": 3, \"bound\": 3,\n"
         "\"texts\": [\"M01\", \"a.cfg\", \"C001\", \"B7\", \"b.cfg\"],\n"
         "\"customerNames\": {},\n"
         "\"rows\": [\n[20453,0,1,2,3,120,4],\n[20453,0,4,2,3,7,0],\n[20454,0,1,2,3,50,1]]};\n"},
        {2,
         "var reportFacts = {\"version\": 1, \"complete\": false, \"rowCount\": 3, \"bound\": 2,\n"
         "\"texts\": [],\n\"customerNames\": {},\n\"rows\": []};\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReportFactsScript(kTexts, SampleRows(), {}, c.bound), c.expected) << c.bound;
    }
    EXPECT_EQ(ReportFactsScript(kTexts, {}),
              "var reportFacts = {\"version\": 1, \"complete\": true, \"rowCount\": 0, \"bound\": "
              "1000000,\n\"texts\": [],\n\"customerNames\": {},\n\"rows\": []};\n");
}

// The customer list's names of the codes the rows name, once each, escaped as
// the texts; codes without a name and names of codes no row names are not
// written.
TEST(ReportFactsScriptTest, CustomerNamesOfTheRowsCodes) {
    const std::vector<std::string> texts = {"M01", "a.cfg", "C001", "B7", "C002", "C003"};
    const std::vector<ReportFactRow> rows = {
        {Day(2026, 1, 1), 0, 1, 2, 3, {1, 0}},
        {Day(2026, 1, 1), 0, 1, 4, 3, {1, 0}},
        {Day(2026, 1, 2), 0, 1, 2, 3, {1, 0}},
    };
    const CustomerNames names = {{"C001", "Acme \"East\""}, {"C003", "Unused"}};
    const std::string script = ReportFactsScript(texts, rows, names);
    EXPECT_NE(script.find("\"customerNames\": {\"C001\": \"Acme \\\"East\\\"\"},\n"),
              std::string::npos)
        << script;
}

TEST(ReportFactsScriptTest, RowNamingAMissingTextIsRefused) {
    EXPECT_THROW(ReportFactsScript(kTexts, {{Day(2026, 1, 1), 1, 2, 3, 6, {1, 0}}}),
                 std::out_of_range);
}

// The script is run in a JavaScript engine, read as ISO-8859-1 as the page
// reads scripts: every text reads back as the page shows it (a UTF-8 text as
// its characters, any other as one character per byte), days as days since
// 1970-01-01, counts beyond 32 bits exact.
TEST(ReportFactsScriptTest, EngineReadsTextsDaysAndCounts) {
    ASSERT_EQ(::access(QZ_NODE_EXECUTABLE, X_OK), 0)
        << "node is needed to read the facts script; found: " << QZ_NODE_EXECUTABLE;
    const std::vector<std::string> texts = {
        "it's \"quoted\"",
        "back\\slash\\",
        "tab\tand\r\nbreak",
        "</script>",
        "caf\xE9",
        "Gr\xC3\xB6\xC3\x9F"
        "e-\xE8\xA8\xAD\xE5\xAE\x9A.cfg",
        "\xF0\x9F\x98\x80",
    };
    const std::vector<ReportFactRow> rows = {
        {Day(1970, 1, 1), 0, 1, 2, 3, {5'000'000'000, 0}},
        {Day(1969, 12, 31), 4, 5, 6, 0, {0, 1}},
    };
    const CustomerNames names = {{"tab\tand\r\nbreak", "Name \"x\" </script>"}};
    TempDir dir;
    const std::string path = dir.Write(kReportFactsFileName, ReportFactsScript(texts, rows, names));

    const CommandResult result =
        RunCommand(std::string("'") + QZ_NODE_EXECUTABLE +
                   "' -e \"const vm = require('vm'); const fs = require('fs');"
                   " vm.runInThisContext(fs.readFileSync(process.argv[1], 'latin1'));"
                   " console.log(JSON.stringify(reportFacts));\" '" +
                   path + "' 2>&1");
    ASSERT_EQ(result.exitStatus, 0) << ::testing::PrintToString(result.lines);
    EXPECT_EQ(result.lines,
              std::vector<std::string>{
                  R"({"version":1,"complete":true,"rowCount":2,"bound":1000000,"texts":)"
                  R"(["it's \"quoted\"","back\\slash\\","tab\tand\r\nbreak","</script>",)"
                  "\"caf\xC3\xA9\",\"Gr\xC3\xB6\xC3\x9F"
                  "e-\xE8\xA8\xAD\xE5\xAE\x9A.cfg\",\"\xF0\x9F\x98\x80\"],"
                  R"("customerNames":{"tab\tand\r\nbreak":"Name \"x\" </script>"},)"
                  R"("rows":[[0,0,1,2,3,5000000000,0],[-1,4,5,6,0,0,1]]})"});
}

class ReportFactsWriteTest : public ScriptFolderTest {
  protected:
    ReportFactsWriteTest() {
        m_totals.m_nOk = 177;
        m_totals.m_nNg = 5;
        FillMap(m_totals.m_settingFiles, {{"a.cfg", 170, 5}, {"b.cfg", 7, 0}});
        FillMap(m_totals.m_machineIds, {{"B7", 177, 5}});
        m_scope.ok = 177;
        m_scope.ng = 5;
    }

    ReportFacts Facts() const {
        ReportFacts facts;
        for (const std::string& text : kTexts) {
            facts.texts.Intern(text);
        }
        facts.rows = SampleRows();
        return facts;
    }

    ReportScope m_scope;
};

// The facts script comes with the six and the scope script; a report with
// fewer rows leaves none of the last report's.
TEST_F(ReportFactsWriteTest, WrittenWithTheOtherScripts) {
    m_dir.Write(kReportFactsFileName, "var reportFacts = {'stale': true};\n");

    EXPECT_TRUE(ShownTexts(WriteReportScripts(m_totals, m_scope, Facts(), m_scriptFolder)).empty());

    EXPECT_EQ(ReadFile(ScriptPath(kReportFactsFileName)), kSampleScript);
    EXPECT_EQ(ReadFile(ScriptPath(kReportScopeFileName)), ReportScopeScript(m_scope));
    for (const std::string_view name : kScriptFiles) {
        EXPECT_TRUE(std::filesystem::exists(ScriptPath(name))) << name;
    }
}

// A facts script that cannot be written fails the report's set: no script is
// replaced, so the page never shows facts of another report than its totals.
TEST_F(ReportFactsWriteTest, FactsScriptThatCannotBeWrittenKeepsTheLastReport) {
    m_dir.MakeDir(std::string(kReportFactsFileName));

    const std::vector<std::string> texts =
        ShownTexts(WriteReportScripts(m_totals, m_scope, Facts(), m_scriptFolder));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find(kReportFactsFileName), std::string::npos) << texts[0];
    EXPECT_FALSE(std::filesystem::exists(ScriptPath(kReportScopeFileName)));
    for (const std::string_view name : kScriptFiles) {
        EXPECT_FALSE(std::filesystem::exists(ScriptPath(name))) << name;
    }
}

}  // namespace
}  // namespace qz::test
