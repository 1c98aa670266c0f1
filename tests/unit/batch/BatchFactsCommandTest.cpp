// qz8840-report --format facts: the CSV of two data trees, loaded into one
// SQLite database with the sqlite3 command as docs/facts.md shows, rolls up
// to what one report over both trees counts.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using Counts = std::pair<std::int64_t, std::int64_t>;  // OK, NG
using CountsBy = std::map<std::string, Counts>;

// Machines of two lines: the second shares setting files, customers and
// boards with the first, so their rows meet in the roll-up. Texts hold
// quotes, UTF-8 and an ISO-8859-1 byte, a machine folder's name a comma;
// some lines lie outside the range or are no record.
const char* const kMachine = "L2 \"west\",M1";
const char* const kLine1A =
    "header\n"
    "2026/12/01 06:00:00,c,a.cfg,C001,WB-1,1,OK\n"
    "2026/12/01 07:00:00,c,a.cfg,C001,WB-1,1,NG\n"
    "2026/12/02 08:00:00,c,\"b\".cfg,C002,WB-2,1,OK\n"
    "2026/12/02 09:00:00,c,\xE8\xA8\xAD\xE5\xAE\x9A.cfg,C001,WB-\xE9,1,OK\n"
    "2026/11/30 23:59:59,c,a.cfg,C001,WB-1,1,OK\n"
    "not a record\n";
const char* const kLine1B =
    "header\n"
    "2026/12/03 10:00:00,c,a.cfg,C002,WB-2,1,OK\n"
    "2026/12/03 11:00:00,c,\xE8\xA8\xAD\xE5\xAE\x9A.cfg,C001,WB-1,1,NG\n";
const char* const kLine2A =
    "header\r\n"
    "2026/12/01 12:00:00,c,a.cfg,C001,WB-1,1,OK\r\n"
    "2026/12/02 13:00:00,c,\"b\".cfg,C002,WB-\xE9,1,NG\r\n"
    "2026/12/04 14:00:00,c,b.cfg,C003,WB-3,1,OK\r\n"
    "2026/12/05 00:00:00,c,b.cfg,C003,WB-3,1,OK\r\n";

class BatchFactsRollUp : public ::testing::Test {
  protected:
    // Writes the record file of a machine into each of roots.
    void Record(const std::vector<std::string>& roots, const std::string& machine,
                const char* content) {
        for (const std::string& root : roots) {
            m_dir.Write(root + "/ReportData/" + machine + "/records.csv", content);
            m_dir.MakeDir(root + "/Report/js");
        }
    }

    std::string Run(std::vector<std::string> args) {
        test::ChildResult result = test::RunChild(args, m_dir.path());
        EXPECT_EQ(result.status, 0) << testing::PrintToString(args) << "\n" << result.err;
        return std::move(result.out);
    }

    std::string Report(const std::string& root, const std::vector<std::string>& extra,
                       const char* format) {
        std::vector<std::string> args = {QZ_BATCH_EXECUTABLE,
                                         "--root",
                                         m_dir.path() + "/" + root,
                                         "--from",
                                         "2026-12-01",
                                         "--to",
                                         "2026-12-04",
                                         "--format",
                                         format};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    // The result of a query, as JSON rows.
    nlohmann::json Query(const std::string& sql) {
        return nlohmann::json::parse(Run({QZ_SQLITE3_EXECUTABLE, "-json", m_database, sql}));
    }

    CountsBy RolledUp(const std::string& column) {
        CountsBy by;
        for (const auto& row : Query("SELECT " + column +
                                     " AS name, sum(ok) AS ok, sum(ng) AS ng FROM facts "
                                     "GROUP BY " +
                                     column)) {
            by[row["name"]] = {row["ok"], row["ng"]};
        }
        return by;
    }

    test::TempDir m_dir;
    test::HomeRedirect m_home;
    test::ScopedEnv m_locale{"LC_ALL", "en_US.UTF-8"};
    std::string m_database = m_dir.path() + "/plant.db";
};

// The rows of the report's JSON with a name (or a day) and counts.
CountsBy FromReport(const nlohmann::json& rows, const char* name) {
    CountsBy by;
    for (const auto& row : rows) {
        if (row["ok"] != 0 || row["ng"] != 0) {
            by[row[name]] = {row["ok"], row["ng"]};
        }
    }
    return by;
}

TEST_F(BatchFactsRollUp, TwoTreesInSqliteRollUpToOneReportOverBoth) {
    Record({"line1", "both"}, "L1-M1", kLine1A);
    Record({"line1", "both"}, "L1-M2", kLine1B);
    Record({"line2", "both"}, kMachine, kLine2A);

    const std::vector<std::vector<std::string>> requests = {
        {},
        {"--exclude-setting-file", "\"b\".cfg", "--exclude-board", "WB-\xE9"},
    };
    for (const std::vector<std::string>& extra : requests) {
        SCOPED_TRACE(testing::PrintToString(extra));
        std::filesystem::remove(m_database);
        std::vector<std::string> load = {
            QZ_SQLITE3_EXECUTABLE, "-bail", m_database,
            "CREATE TABLE facts(day TEXT, machine TEXT, settingFile TEXT, customer TEXT, "
            "board TEXT, ok INTEGER, ng INTEGER)"};
        for (const char* line : {"line1", "line2"}) {
            const std::string csv =
                m_dir.Write(std::string(line) + ".csv", Report(line, extra, "facts"));
            load.push_back(".import --csv --skip 1 \"" + csv + "\" facts");
        }
        Run(load);

        const nlohmann::json both = nlohmann::json::parse(Report("both", extra, "json"));
        const nlohmann::json total = Query("SELECT sum(ok) AS ok, sum(ng) AS ng FROM facts")[0];
        EXPECT_EQ(total["ok"], both["ok"]);
        EXPECT_EQ(total["ng"], both["ng"]);
        EXPECT_GT(both["ok"], 0);
        EXPECT_EQ(RolledUp("settingFile"), FromReport(both["settingFiles"], "name"));
        EXPECT_EQ(RolledUp("board"), FromReport(both["machineIds"], "name"));
        EXPECT_EQ(RolledUp("day"), FromReport(both["days"], "day"));

        // The machine, which the report's tables do not show, against the
        // report of one machine.
        std::vector<std::string> oneMachine = extra;
        oneMachine.insert(oneMachine.end(), {"--machine", kMachine});
        const nlohmann::json machine = nlohmann::json::parse(Report("both", oneMachine, "json"));
        EXPECT_EQ(RolledUp("machine")[kMachine], Counts(machine["ok"], machine["ng"]));
    }
}

// Facts are a report's: a scan cannot give them, and a report that counted
// nothing gives the header alone.
TEST_F(BatchFactsRollUp, FactsAreOfAReport) {
    Record({"line1"}, "L1-M1", kLine1A);
    const std::string root = m_dir.path() + "/line1";
    test::ChildResult scan = test::RunChild(
        {QZ_BATCH_EXECUTABLE, "--root", root, "--scan", "--format", "facts"}, m_dir.path());
    EXPECT_EQ(scan.status, 2);
    EXPECT_EQ(scan.out, "");
    EXPECT_NE(scan.err.find("--format facts"), std::string::npos) << scan.err;

    test::ChildResult nothing =
        test::RunChild({QZ_BATCH_EXECUTABLE, "--root", root, "--from", "2030-01-01", "--to",
                        "2030-01-01", "--format", "facts"},
                       m_dir.path());
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.out, "day,machine,settingFile,customer,board,ok,ng\r\n");
}

}  // namespace
}  // namespace qz
