// Report totals over seeded random record trees, from the real report job and
// from qz8840-report, against the plain count of RecordTree.cpp: overall OK
// and NG, every key's OK and NG counts per setting file and per machine ID,
// the progress bytes, and the rows of the six scripts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dates/DateParser.h"
#include "dates/OleDate.h"
#include "jobs/ReportJob.h"
#include "records/ReportCounts.h"
#include "report/DataPaths.h"
#include "tests/support/AtRest.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/CountMapView.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/jobs/JobTestSupport.h"
#include "tests/unit/reliability/RecordTree.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
using test::ExpectedTotals;
using test::KeyTotals;
using test::RecordTree;

// A key as the script reader prints it: four hex digits per code unit. The
// tree's keys are ASCII or not UTF-8 ("Z\xE9RO"), so each byte is one unit.
std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        hex += "00";
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

std::string Iso(const test::Day& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

class ReportIntegrityTest : public ::testing::Test {
  protected:
    // Writes the tree below root/ReportData, files at rest.
    static void WriteTree(const test::TempDir& dir, const RecordTree& tree) {
        for (const std::string& machine : tree.machines) {
            dir.MakeDir("root/ReportData/" + machine);
        }
        for (const test::RecordFile& file : tree.files) {
            test::AtRest(
                dir.Write("root/ReportData/" + file.machine + "/" + file.name, file.bytes));
        }
    }

    test::JobEventRecorder m_messages;
};

TEST_F(ReportIntegrityTest, ReportJobMatchesAPlainCount) {
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const RecordTree tree = test::MakeRecordTree(seed);
        const ExpectedTotals expected = test::CountIndependently(tree);
        test::TempDir dir;
        WriteTree(dir, tree);
        const DataPaths paths = DataPaths::Under(dir.path() + "/root/");
        const test::ReportChoice& choice = tree.choice;
        ReportRequest request;
        for (const std::string& machine : choice.machines) {
            request.machineFolders.push_back(paths.MachineFolder(machine));
        }
        ReportCriteria& criteria = request.criteria;
        criteria.dtReportStart =
            OleDate::FromParts(choice.from.year, choice.from.month, choice.from.day);
        criteria.dtReportEnd =
            OleDate::FromParts(choice.to.year, choice.to.month, choice.to.day, 17);
        for (const auto& v : choice.excludedSettingFiles)
            criteria.excluded.settingFiles.Insert(v);
        for (const auto& v : choice.excludedMachineIds)
            criteria.excluded.machineIds.Insert(v);
        for (const auto& v : choice.excludedCustomers)
            criteria.excluded.customers.Insert(v);
        // The dates are written year first; the C locale reads them so.
        criteria.dateLocale = DateLocale::FromName("C");
        request.workerCount = choice.workers;
        request.sink = m_messages.Sink();

        ReportJob job(std::move(request));
        CReportTotals totals;
        {
            test::Watchdog watchdog("a report job", 60s);
            totals = job.Run();
        }

        EXPECT_EQ(totals.m_nOk, expected.ok);
        EXPECT_EQ(totals.m_nNg, expected.ng);
        EXPECT_EQ(test::ByKey(totals.m_settingFiles), expected.settingFiles);
        EXPECT_EQ(test::ByKey(totals.m_machineIds), expected.machineIds);
        EXPECT_EQ(job.Progress().TotalBytes(), expected.bytes);
        EXPECT_EQ(job.Progress().ParsedBytes(), expected.bytes);
        ASSERT_TRUE(m_messages.texts().empty()) << m_messages.texts()[0];
    }
}

// One drawn row of a script, as the row reader prints it.
struct ScriptRow {
    std::string file;
    std::string keyHex;
    std::vector<double> cells;
};

std::vector<ScriptRow> ReadScriptRows(const std::string& folder, const std::string& scratch) {
    const test::ChildResult node =
        test::RunChild({QZ_NODE_EXECUTABLE, QZ_SCRIPT_ROWS_READER, folder}, scratch);
    EXPECT_EQ(node.status, 0) << node.err;
    std::vector<ScriptRow> rows;
    std::istringstream lines(node.out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream parts(line);
        ScriptRow row;
        std::string element, cells;
        std::getline(parts, row.file, '\t');
        std::getline(parts, element, '\t');
        std::getline(parts, row.keyHex, '\t');
        std::getline(parts, cells);
        // cells is a JSON array of numbers.
        std::istringstream numbers(cells.substr(1, cells.size() - 2));
        std::string number;
        while (std::getline(numbers, number, ',')) {
            row.cells.push_back(std::strtod(number.c_str(), nullptr));
        }
        rows.push_back(row);
    }
    return rows;
}

double Yield(std::int64_t ok, std::int64_t ng) {
    return static_cast<double>(ok) / static_cast<double>(ok + ng) * 100.0;
}

// The rows of the scripts of one dimension against the expected key counts.
void ExpectDimensionRows(const std::vector<ScriptRow>& rows, const std::string& chart,
                         const std::string& table, const KeyTotals& expected) {
    std::map<std::string, std::vector<double>> chartRows, tableRows;
    for (const ScriptRow& row : rows) {
        if (row.file == chart) {
            EXPECT_TRUE(chartRows.emplace(row.keyHex, row.cells).second) << "twice: " << row.keyHex;
        } else if (row.file == table) {
            EXPECT_TRUE(tableRows.emplace(row.keyHex, row.cells).second) << "twice: " << row.keyHex;
        }
    }
    EXPECT_EQ(chartRows.size(), expected.size()) << chart;
    EXPECT_EQ(tableRows.size(), expected.size()) << table;
    for (const auto& [key, counts] : expected) {
        const auto [ok, ng] = counts;
        const std::vector<double>& bar = chartRows[Hex(key)];
        const std::vector<double>& cells = tableRows[Hex(key)];
        ASSERT_EQ(bar.size(), 1u) << chart << " " << key;
        ASSERT_EQ(cells.size(), 3u) << table << " " << key;
        EXPECT_NEAR(bar[0], Yield(ok, ng), 1e-5) << key;
        EXPECT_EQ(cells[0], ok) << key;
        EXPECT_EQ(cells[1], ng) << key;
        EXPECT_NEAR(cells[2], Yield(ok, ng), 1e-5) << key;
    }
}

TEST_F(ReportIntegrityTest, BatchCommandMatchesAPlainCount) {
    test::HomeRedirect home;  // the default data root must never be the real one
    test::ScopedEnv locale("LC_ALL", "C");
    for (std::uint32_t seed = 101; seed <= 110; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const RecordTree tree = test::MakeRecordTree(seed);
        const ExpectedTotals expected = test::CountIndependently(tree);
        test::TempDir dir;
        WriteTree(dir, tree);
        const std::string out = dir.MakeDir("out");
        const test::ReportChoice& choice = tree.choice;
        std::vector<std::string> args = {QZ_BATCH_EXECUTABLE,
                                         "--root",
                                         dir.path() + "/root",
                                         "--from",
                                         Iso(choice.from),
                                         "--to",
                                         Iso(choice.to),
                                         "--out",
                                         out,
                                         "--workers",
                                         std::to_string(choice.workers)};
        for (const auto& v : choice.machines)
            args.insert(args.end(), {"--machine", v});
        for (const auto& v : choice.excludedSettingFiles) {
            args.insert(args.end(), {"--exclude-setting-file", v});
        }
        for (const auto& v : choice.excludedMachineIds) {
            args.insert(args.end(), {"--exclude-board", v});
        }
        for (const auto& v : choice.excludedCustomers) {
            args.insert(args.end(), {"--exclude-customer", v});
        }

        const test::ChildResult result = test::RunChild(args, dir.path());
        SCOPED_TRACE(result.err);
        const bool counted = expected.ok + expected.ng > 0;
        const bool hasBytes = expected.bytes > 0;
        if (!hasBytes) {
            EXPECT_EQ(result.status, 1);
            continue;
        }
        EXPECT_EQ(result.out, "OK: " + std::to_string(expected.ok) +
                                  "\nNG: " + std::to_string(expected.ng) + "\n");
        if (!counted) {
            EXPECT_EQ(result.status, 1);
            continue;
        }
        ASSERT_EQ(result.status, 0);

        const std::vector<ScriptRow> rows = ReadScriptRows(out, dir.path());
        std::map<std::string, std::vector<double>> summary;
        for (const ScriptRow& row : rows) {
            if (row.file == "chartSummary.js" || row.file == "tableSummary.js") {
                summary[row.file + ":" + row.keyHex] = row.cells;
            }
        }
        using Cells = std::vector<double>;
        EXPECT_EQ(summary["chartSummary.js:" + Hex("OK")], Cells{double(expected.ok)});
        EXPECT_EQ(summary["chartSummary.js:" + Hex("NG")], Cells{double(expected.ng)});
        const Cells& table = summary["tableSummary.js:" + Hex("Summary")];
        ASSERT_EQ(table.size(), 3u);
        EXPECT_EQ(table[0], expected.ok);
        EXPECT_EQ(table[1], expected.ng);
        EXPECT_NEAR(table[2], Yield(expected.ok, expected.ng), 1e-5);
        ExpectDimensionRows(rows, "chartSettingFile.js", "tableSettingFile.js",
                            expected.settingFiles);
        ExpectDimensionRows(rows, "chartMachineId.js", "tableMachineId.js", expected.machineIds);
    }
}

}  // namespace
}  // namespace qz
