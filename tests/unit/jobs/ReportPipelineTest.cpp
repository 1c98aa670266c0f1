// RunReport: from a request to the written scripts, and the outcome a front
// end maps to its messages.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jobs/ReportPipeline.h"
#include "platform/Path.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/jobs/JobTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
using Kind = ReportOutcome::Kind;

// The count as a front end runs it: on its own thread, here at once.
void CountHere(JobProgress&, const std::function<void()>& count) {
    count();
}

class ReportPipelineTest : public ::testing::Test {
  protected:
    ReportPipelineTest() { m_dir.MakeDir("js"); }

    // A machine folder's path as the data paths make it: its name after the
    // system's separator.
    std::string Machine(const std::string& name) {
        m_dir.MakeDir("data/" + name);
        return m_dir.path() + "/data" + kPathSeparator + name;
    }

    ReportRequest Request(std::vector<std::string> folders) {
        ReportRequest request;
        request.machineFolders = std::move(folders);
        request.criteria.dtReportStart = OleDate::FromParts(2018, 5, 1);
        request.criteria.dtReportEnd = OleDate::FromParts(2018, 5, 31);
        request.criteria.dateLocale = DateLocale::FromName("C");  // reads year-first dates
        request.workerCount = 2;
        request.sink = m_events.Sink();
        return request;
    }

    ReportOutcome Run(ReportRequest request, const CountRunner& runCount = CountHere) {
        test::Watchdog watchdog("a report", 60s);
        return RunReport(std::move(request), m_customers, m_scripts, runCount);
    }

    bool NothingWritten() const { return std::filesystem::is_empty(m_scripts); }

    test::TempDir m_dir;
    std::string m_scripts = m_dir.path() + "/js/";
    CustomerNames m_customers = {{"C001", "First"}, {"C002", "Second"}};
    test::JobEventRecorder m_events;
};

TEST_F(ReportPipelineTest, WrittenWithTheScopeAndTheFileErrorsToldToTheSink) {
    const std::string a = Machine("A");
    m_dir.Write("data/A/1.csv", "h\n2018/05/03,n,S1,C001,M1,1,OK\n2018/05/04,n,S1,C001,M1,1,NG\n");
    m_dir.Write("data/A/2.csv", "h\n2018/05/05,n,S2,C002,M1,1,OK\n");
    m_dir.MakeDir("data/A/sub");  // a file error
    ReportRequest request = Request({a});
    request.criteria.excluded.customers.Insert("C001");
    request.criteria.excluded.customers.Insert("C009");

    const ReportOutcome outcome = Run(std::move(request));

    ASSERT_EQ(outcome.kind, Kind::Written);
    EXPECT_EQ(outcome.totals.m_nOk, 1);
    EXPECT_EQ(outcome.totals.m_nNg, 0);
    EXPECT_TRUE(outcome.writeFailures.empty());
    EXPECT_EQ(outcome.scope.filesListed, 3u);
    EXPECT_EQ(outcome.scope.filesFailed, 1u);
    EXPECT_EQ(outcome.scope.failedFiles,
              std::vector<std::string>{std::string("A") + kPathSeparator + "sub"});
    EXPECT_EQ(outcome.scope.excludedCustomers,
              (ReportScopeField::CodeNames{{"C001", "First"}, {"C009", ""}}));
    ASSERT_EQ(m_events.texts().size(), 1u);
    EXPECT_NE(m_events.texts()[0].find("sub: "), std::string::npos) << m_events.texts()[0];
    for (const char* name : {"chartSummary.js", "chartSettingFile.js", "chartMachineId.js",
                             "tableSummary.js", "tableSettingFile.js", "tableMachineId.js"}) {
        EXPECT_NE(test::ReadFile(m_scripts + name).find("google.load"), std::string::npos) << name;
    }
    EXPECT_EQ(test::ReadFile(m_scripts + "reportScope.js"), ReportScopeScript(outcome.scope));
    // The facts of the rows the request selected: the excluded customer's
    // days are not there, nor its name.
    EXPECT_EQ(test::ReadFile(m_scripts + "reportFacts.js"),
              "var reportFacts = {\"version\": 1, \"complete\": true, \"rowCount\": 1, "
              "\"bound\": 1000000,\n\"texts\": [\"A\", \"S2\", \"C002\", \"M1\"],\n"
              "\"customerNames\": {\"C002\": \"Second\"},\n\"rows\": [\n[17656,0,1,2,3,1,0]]};\n");
}

TEST_F(ReportPipelineTest, AScriptThatCannotBeWrittenIsAFailureOfAWrittenReport) {
    m_dir.Write("data/A/1.csv", "h\n2018/05/03,n,S1,C001,M1,1,OK\n");
    m_dir.MakeDir("js/tableMachineId.js");

    const ReportOutcome outcome = Run(Request({m_dir.path() + "/data/A"}));

    ASSERT_EQ(outcome.kind, Kind::Written);
    ASSERT_EQ(outcome.writeFailures.size(), 1u);
    const std::string text = outcome.writeFailures[0].ShownDescription();
    EXPECT_NE(text.find("tableMachineId.js"), std::string::npos) << text;
    // The scripts are one report's or none: the others were not put in place.
    EXPECT_FALSE(std::filesystem::exists(m_scripts + "chartSummary.js"));
}

// Nothing is written unless something was counted; the outcome says why.
TEST_F(ReportPipelineTest, NothingWrittenWithoutCounts) {
    m_dir.Write("data/Old/1.csv", "h\n2017/05/03,n,S1,C001,M1,1,OK\n");
    m_dir.Write("data/Empty/1.csv", "");
    m_dir.Write("data/Ok/1.csv", "h\n2018/05/03,n,S1,C001,M1,1,OK\n");
    const auto cancelFirst = [](JobProgress& progress, const std::function<void()>& count) {
        progress.Cancel();
        count();
    };
    // The progress dialog cancels once a job without a byte to read has ended.
    const auto cancelAfter = [](JobProgress& progress, const std::function<void()>& count) {
        count();
        progress.Cancel();
    };
    const auto neverCount = [](JobProgress&, const std::function<void()>&) {};
    const struct {
        const char* what;
        std::string machine;
        CountRunner runCount;
        Kind kind;
    } cases[] = {
        {"no record in the range", "Old", CountHere, Kind::NoRecords},
        {"no byte to read", "Empty", CountHere, Kind::NoRecordFiles},
        {"no machine folder", "Missing", CountHere, Kind::NoRecordFiles},
        {"no byte to read, cancelled after the count", "Empty", cancelAfter, Kind::NoRecordFiles},
        {"a cancel before the count", "Ok", cancelFirst, Kind::Cancelled},
        {"a count never started", "Ok", neverCount, Kind::Cancelled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ReportOutcome outcome =
            Run(Request({m_dir.path() + "/data/" + c.machine}), c.runCount);
        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_EQ(outcome.totals.m_nOk + outcome.totals.m_nNg, 0);
        EXPECT_TRUE(outcome.writeFailures.empty());
        EXPECT_TRUE(NothingWritten());
        if (c.kind == Kind::NoRecords) {
            EXPECT_EQ(outcome.scope.firstDay, "2018-05-01");  // for the JSON output
            EXPECT_EQ(outcome.scope.filesListed, 1u);
        }
    }
    EXPECT_TRUE(m_events.texts().empty());
}

}  // namespace
}  // namespace qz
