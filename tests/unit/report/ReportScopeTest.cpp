// The scope script: its text, what a JavaScript engine reads from it, the
// scope a report's criteria, machines and totals give, and its writing with
// the six scripts.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "dates/DayTime.h"
#include "dates/OleDate.h"
#include "platform/Path.h"
#include "records/ReportFileCounter.h"
#include "report/ReportFactsScript.h"
#include "report/ReportScope.h"
#include "report/ReportScriptWriter.h"
#include "tests/unit/report/ScriptTestSupport.h"

namespace qz::test {
namespace {

// Names with what a literal must carry: a quote, backslashes, a control byte,
// UTF-8 text (also beyond U+FFFF), and a byte of the upper half that is not
// UTF-8.
ReportScope SampleScope() {
    ReportScope scope;
    scope.firstDay = "2018-05-01";
    scope.lastDay = "2018-05-03";
    scope.made = "2026-06-10 15:57:55";
    scope.machines = {"LINE-A", "it's", "back\\slash\\"};
    scope.excludedSettingFiles = {
        "Gr\xC3\xB6\xC3\x9F"
        "e.stf",
        "caf\xE9.stf", "\xF0\x9F\x98\x80"};
    scope.excludedMachineIds = {"tab\tid"};
    scope.excludedCustomers = {{"C001", "M\xC3\xBCller \"AG\""}, {"C009", ""}};
    scope.filesListed = 12;
    scope.filesFailed = 1;
    scope.failedFiles = {"LINE-A/it's.txt"};
    scope.ok = 127;
    scope.ng = 3;
    scope.linesLeftOut = 2;
    scope.daysFrom = "2018-05-01";
    scope.daysTo = "2018-05-03";
    scope.days = {{"2018-05-01", 120, 3}, {"2018-05-02", 0, 0}, {"2018-05-03", 7, 0}};
    return scope;
}

constexpr char kSampleScript[] =
    "var reportScope = {\n"
    "\t'firstDay': '2018-05-01',\n"
    "\t'lastDay': '2018-05-03',\n"
    "\t'made': '2026-06-10 15:57:55',\n"
    "\t'machines': ['LINE-A', 'it\\'s', 'back\\\\slash\\\\'],\n"
    "\t'excludedSettingFiles': ['Gr\\u00F6\\u00DFe.stf', 'caf\\xE9.stf', '\\uD83D\\uDE00'],\n"
    "\t'excludedMachineIds': ['tab\\x09id'],\n"
    "\t'excludedCustomers': [['C001', 'M\\u00FCller \"AG\"'], ['C009', '']],\n"
    "\t'filesRead': 11,\n"
    "\t'filesFailed': 1,\n"
    "\t'failedFiles': ['LINE-A/it\\'s.txt'],\n"
    "\t'failedFilesMore': 0,\n"
    "\t'ok': 127,\n"
    "\t'ng': 3,\n"
    "\t'linesLeftOut': 2,\n"
    "\t'daysFrom': '2018-05-01',\n"
    "\t'daysTo': '2018-05-03',\n"
    "\t'everyDay': true,\n"
    "\t'dayRowsLeftOut': 0,\n"
    "\t'days': [['2018-05-01', 120, 3], ['2018-05-02', 0, 0], ['2018-05-03', 7, 0]]\n"
    "};\n";

TEST(ReportScopeScriptTest, TextIsExactAndPureAscii) {
    const std::string script = ReportScopeScript(SampleScope());
    EXPECT_EQ(script, kSampleScript);
    for (const char c : script) {
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << script;
    }

    // Nothing excluded, no day: empty lists.
    const std::string empty = ReportScopeScript(ReportScope{});
    EXPECT_NE(empty.find("\t'machines': [],\n\t'excludedSettingFiles': [],\n"
                         "\t'excludedMachineIds': [],\n\t'excludedCustomers': [],\n"
                         "\t'filesRead': 0,\n"),
              std::string::npos)
        << empty;
    EXPECT_NE(empty.find("\t'days': []\n};\n"), std::string::npos) << empty;
}

// Run in a JavaScript engine as the page reads it (ISO-8859-1), the script
// gives each name's characters: a UTF-8 name's, and one per byte of another.
TEST(ReportScopeScriptTest, EngineReadsTheNamesCharacters) {
    ASSERT_EQ(::access(QZ_NODE_EXECUTABLE, X_OK), 0)
        << "node is needed to run the scope script; found: " << QZ_NODE_EXECUTABLE;
    TempDir dir;
    const std::string path = dir.Write("reportScope.js", ReportScopeScript(SampleScope()));
    const std::string command =
        std::string("'") + QZ_NODE_EXECUTABLE +
        "' -e \"const vm = require('vm'); const c = vm.createContext({});"
        " vm.runInContext(require('fs').readFileSync(process.argv[1], 'latin1'), c);"
        " process.stdout.write(JSON.stringify(c.reportScope));\" '" +
        path + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;

    EXPECT_EQ(output,
              "{\"firstDay\":\"2018-05-01\",\"lastDay\":\"2018-05-03\","
              "\"made\":\"2026-06-10 15:57:55\","
              "\"machines\":[\"LINE-A\",\"it's\",\"back\\\\slash\\\\\"],"
              "\"excludedSettingFiles\":[\"Größe.stf\",\"café.stf\",\"\xF0\x9F\x98\x80\"],"
              "\"excludedMachineIds\":[\"tab\\tid\"],"
              "\"excludedCustomers\":[[\"C001\",\"Müller \\\"AG\\\"\"],[\"C009\",\"\"]],"
              "\"filesRead\":11,\"filesFailed\":1,"
              "\"failedFiles\":[\"LINE-A/"
              "it's.txt\"],\"failedFilesMore\":0,\"ok\":127,\"ng\":3,\"linesLeftOut\":2,"
              "\"daysFrom\":\"2018-05-01\",\"daysTo\":\"2018-05-03\","
              "\"everyDay\":true,\"dayRowsLeftOut\":0,"
              "\"days\":[[\"2018-05-01\",120,3],[\"2018-05-02\",0,0],[\"2018-05-03\",7,0]]}");
}

// path with the system's separator for each '/'.
std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

ReportCriteria CriteriaOf(const OleDate& first, const OleDate& last) {
    ReportCriteria criteria;
    criteria.dtReportStart = first;
    criteria.dtReportEnd = last;
    return criteria;
}

TEST(ReportScopeTest, MadeFromTheReportsCriteriaMachinesAndFiles) {
    ReportCriteria criteria =
        CriteriaOf(OleDate::FromParts(2018, 5, 1, 9, 30), OleDate::FromParts(2018, 5, 31));
    for (const char* value : {"b.stf", "a.stf"}) {
        criteria.excluded.settingFiles.Insert(value);
    }
    criteria.excluded.machineIds.Insert("WB-9");
    for (const char* code : {"C009", "C001"}) {
        criteria.excluded.customers.Insert(code);
    }
    const CustomerNames customers = {{"C001", "First"}, {"C002", "Second"}};
    const std::vector<std::string> folders = {"/data/ReportData/M2", "/data/ReportData/back\\M1"};
    ScopedEnv zone("TZ", "UTC");
    ::tzset();

    // More failed files than the scope names: the first in list order.
    std::vector<std::string> failed;
    for (int i = 0; i < 23; ++i) {
        failed.push_back(Native("/data/ReportData/M2/f") + std::to_string(100 + i));
    }
    const ReportScope scope =
        MakeReportScope(criteria, folders, customers, CReportTotals{}, 40, failed, 1781107075);
    ::tzset();  // the zone as it was, once zone goes

    EXPECT_EQ(scope.firstDay, "2018-05-01");
    EXPECT_EQ(scope.lastDay, "2018-05-31");
    EXPECT_EQ(scope.made, "2026-06-10 15:57:55");
    EXPECT_EQ(scope.machines, (std::vector<std::string>{"M2", "back\\M1"}));
    EXPECT_EQ(scope.excludedSettingFiles, (std::vector<std::string>{"a.stf", "b.stf"}));
    EXPECT_EQ(scope.excludedMachineIds, std::vector<std::string>{"WB-9"});
    using Customers = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(scope.excludedCustomers, (Customers{{"C001", "First"}, {"C009", ""}}));
    EXPECT_EQ(scope.filesListed, 40u);
    EXPECT_EQ(scope.filesFailed, 23u);
    ASSERT_EQ(scope.failedFiles.size(), 20u);
    EXPECT_EQ(scope.failedFiles.front(), Native("M2/f100"));
    EXPECT_EQ(scope.failedFiles.back(), Native("M2/f119"));
    EXPECT_EQ(scope.failedFilesMore, 3u);
    EXPECT_NE(ReportScopeScript(scope).find("\t'filesRead': 17,\n\t'filesFailed': 23,\n"),
              std::string::npos);
}

TEST(ReportScopeTest, FailedFileIsNamedByItsFolderAndItself) {
    const std::pair<std::string, std::string> cases[] = {
        {"/data/ReportData/M01/records.txt", "M01/records.txt"},
        {"/data/ReportData/M 1/it's", "M 1/it's"},
        {"M01/records.txt", "M01/records.txt"},
        {"/records.txt", "/records.txt"},
        {"records.txt", "records.txt"},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(FailedFileName(Native(path)), Native(name)) << path;
    }
}

struct Ymd {
    int year, month, day;
};

struct RecordsOfDay {
    Ymd day;
    int ok, ng;
};

using Rows = std::vector<std::tuple<std::string, std::int64_t, std::int64_t>>;

struct DaysCase {
    const char* name;
    Ymd first, last;
    std::vector<RecordsOfDay> records;
    const char* daysFrom;
    const char* daysTo;
    std::size_t rowCount;
    Rows someRows;  // rows that must be among them, by day
};

// Every day of a range of up to 731 days is a row, with 0 and 0 where no
// record is; a longer range goes from its first to its last day with records.
TEST(ReportScopeTest, DayRowsCoverTheRangeWithDaysWithoutRecords) {
    const DaysCase cases[] = {
        {"days between and around records",
         {2018, 5, 1},
         {2018, 5, 5},
         {{{2018, 5, 4}, 0, 2}, {{2018, 5, 2}, 3, 1}},
         "2018-05-01",
         "2018-05-05",
         5,
         {{"2018-05-01", 0, 0},
          {"2018-05-02", 3, 1},
          {"2018-05-03", 0, 0},
          {"2018-05-04", 0, 2},
          {"2018-05-05", 0, 0}}},
        {"one day",
         {2018, 5, 14},
         {2018, 5, 14},
         {{{2018, 5, 14}, 15, 2}},
         "2018-05-14",
         "2018-05-14",
         1,
         {{"2018-05-14", 15, 2}}},
        {"one day without records",
         {2018, 5, 14},
         {2018, 5, 14},
         {},
         "2018-05-14",
         "2018-05-14",
         1,
         {{"2018-05-14", 0, 0}}},
        {"around day 0",
         {1899, 12, 28},
         {1900, 1, 1},
         {{{1899, 12, 29}, 1, 0}, {{1899, 12, 30}, 0, 1}},
         "1899-12-28",
         "1900-01-01",
         5,
         {{"1899-12-28", 0, 0},
          {"1899-12-29", 1, 0},
          {"1899-12-30", 0, 1},
          {"1899-12-31", 0, 0},
          {"1900-01-01", 0, 0}}},
        {"731 days, every one",
         {2019, 1, 1},
         {2020, 12, 31},
         {{{2020, 2, 29}, 4, 0}},
         "2019-01-01",
         "2020-12-31",
         731,
         {{"2019-01-01", 0, 0}, {"2020-02-29", 4, 0}, {"2020-12-31", 0, 0}}},
        {"732 days, first to last day with records",
         {2018, 12, 31},
         {2020, 12, 31},
         {{{2019, 3, 4}, 1, 1}, {{2019, 3, 1}, 2, 0}},
         "2019-03-01",
         "2019-03-04",
         4,
         {{"2019-03-01", 2, 0}, {"2019-03-02", 0, 0}, {"2019-03-03", 0, 0}, {"2019-03-04", 1, 1}}},
        {"732 days without records", {2018, 12, 31}, {2020, 12, 31}, {}, "", "", 0, {}},
    };
    for (const DaysCase& c : cases) {
        SCOPED_TRACE(c.name);
        CReportTotals totals;
        for (const RecordsOfDay& records : c.records) {
            DayTime day;
            ASSERT_TRUE(OleDate::FromParts(records.day.year, records.day.month, records.day.day)
                            .ToDayTime(day));
            for (int i = 0; i < records.ok + records.ng; ++i) {
                totals.m_days.Count(day.day, i < records.ok);
            }
        }
        // The pickers' times of day play no part.
        const ReportCriteria criteria =
            CriteriaOf(OleDate::FromParts(c.first.year, c.first.month, c.first.day, 9, 30),
                       OleDate::FromParts(c.last.year, c.last.month, c.last.day, 23, 59, 59));

        const ReportScope scope = MakeReportScope(criteria, {}, {}, totals, 0, {}, 0);

        EXPECT_EQ(scope.daysFrom, c.daysFrom);
        EXPECT_EQ(scope.daysTo, c.daysTo);
        ASSERT_EQ(scope.days.size(), c.rowCount);
        for (std::size_t i = 1; i < scope.days.size(); ++i) {
            EXPECT_LT(scope.days[i - 1].day, scope.days[i].day);
        }
        if (!scope.days.empty()) {
            EXPECT_EQ(scope.days.front().day, scope.daysFrom);
            EXPECT_EQ(scope.days.back().day, scope.daysTo);
        }
        for (const auto& [day, ok, ng] : c.someRows) {
            const auto row = std::find_if(scope.days.begin(), scope.days.end(),
                                          [&](const ReportScope::Day& d) { return d.day == day; });
            ASSERT_NE(row, scope.days.end()) << day;
            EXPECT_EQ(row->ok, ok) << day;
            EXPECT_EQ(row->ng, ng) << day;
        }
    }
}

class ReportScopeWriteTest : public ScriptFolderTest {
  protected:
    ReportScopeWriteTest() {
        m_totals.m_nOk = 3;
        m_totals.m_nNg = 1;
        FillMap(m_totals.m_settingFiles, {{"S'1", 3, 1}});
        FillMap(m_totals.m_machineIds, {{"WB-1", 3, 1}});
    }
};

// The scope script comes beside the six, which stay as the writer alone
// writes them.
TEST_F(ReportScopeWriteTest, WrittenBesideTheSixScripts) {
    TempDir alone;
    CReportScriptWriter(m_totals, alone.path() + "/").WriteAll();

    EXPECT_TRUE(WriteReportScripts(m_totals, SampleScope(), ReportFacts{}, m_scriptFolder).empty());

    EXPECT_EQ(ReadFile(ScriptPath(kReportScopeFileName)), kSampleScript);
    for (const std::string_view name : kScriptFiles) {
        EXPECT_EQ(ReadFile(ScriptPath(name)), ReadFile(alone.path() + "/" + std::string(name)))
            << name;
    }
}

// A scope script that cannot be written is its one failure, and the six are
// not replaced either: the scripts are one report's or none.
TEST_F(ReportScopeWriteTest, ScopeScriptThatCannotBeWrittenIsItsOwnFailure) {
    m_dir.MakeDir(std::string(kReportScopeFileName));

    const std::vector<std::string> texts =
        ShownTexts(WriteReportScripts(m_totals, SampleScope(), ReportFacts{}, m_scriptFolder));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find(ScriptPath(kReportScopeFileName)), std::string::npos) << texts[0];
    for (const std::string_view name : kScriptFiles) {
        EXPECT_FALSE(std::filesystem::exists(ScriptPath(name))) << name;
    }
}

}  // namespace
}  // namespace qz::test
