// The progress dialog over real jobs: how a run ends, what cannot end it, and
// a file-error box asked for during a cancel. (The remaining-time estimate is
// tested with the core.)

#include <atomic>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "jobs/WorkerPool.h"
#include "records/ReportCounts.h"
#include "tests/ui/flow/FlowTestSupport.h"
#include "ui/GuiMessageBox.h"
#include "ui/ParseDlg.h"

namespace qz {
namespace {

using test::RecordLine;

class ParseDlgTest : public test::FlowTest {
  protected:
    // A report of 2018 over the checked machines of main, its file errors in
    // the program's message boxes.
    static ReportRequest ReportOf2018(const CQZ8840ReporterDlg& main) {
        ReportRequest request;
        request.machineFolders = main.CheckedMachineFolders();
        request.criteria.dtReportStart = OleDate::FromParts(2018, 1, 1);
        request.criteria.dtReportEnd = OleDate::FromParts(2018, 12, 31);
        request.criteria.dateLocale = DateLocale::FromName("C");  // reads year-first dates
        request.sink = MessageBoxSink();
        return request;
    }
};

TEST_F(ParseDlgTest, GrowingFileAndUnreadableEntriesStillEndWithOk) {
    m_tree.MakeDir("ReportData/A");
    m_tree.MakeDir("ReportData/B");
    CQZ8840ReporterDlg& main = ShowMainDialog();
    // Files are handed out in row order: the machine of row 0 gets sub-folders
    // (which cannot be opened), the one of row 1 the file that grows.
    const std::string first = main.MachineFolderNames().at(0);
    const std::string second = main.MachineFolderNames().at(1);
    const int workers = WorkerCountFor(LogicalProcessorCount());
    for (int i = 0; i < workers; ++i)
        m_tree.MakeDir("ReportData/" + first + "/sub" + std::to_string(i));
    const std::string grows =
        m_tree.Write("ReportData/" + second + "/grows.csv",
                     test::RecordFileText().Append(
                         RecordLine("2018/05/03 10:00:00", "SET_A", "0A1B", "WB-1", "OK")));
    CheckMachines({first, second});

    // Every worker holds its file-error box, so the job waits for a free
    // worker before it hands out the file, which grows meanwhile.
    test::HeldMessageBoxes boxes;
    boxes.onArrive = [&](int arrived) {
        if (arrived != workers)
            return;
        std::ofstream(grows, std::ios::app)
            << RecordLine("2018/05/04 10:00:00", "SET_A", "0A1B", "WB-1", "OK")
            << RecordLine("2018/05/05 10:00:00", "SET_B", "0A1B", "WB-1", "NG");
        boxes.Release();
    };

    ReportJob job(ReportOf2018(main));
    CReportTotals totals;
    CParseDlg dlg(&main, job.Progress(), [&] { totals = job.Run(); });
    std::vector<wxString> percents;
    test::OnEachTick(dlg,
                     [&](CParseDlg& d, int) { percents.push_back(d.PercentText()->GetLabel()); });
    EXPECT_EQ(dlg.ShowModal(), wxID_OK);

    EXPECT_FALSE(dlg.HasJobThread());
    EXPECT_GT(job.Progress().ParsedBytes(), job.Progress().TotalBytes());
    EXPECT_EQ(totals.m_nOk, 2);
    EXPECT_EQ(totals.m_nNg, 1);
    EXPECT_EQ(boxes.texts().size(), static_cast<std::size_t>(workers));
    EXPECT_EQ(dlg.PercentText()->GetLabel(), "100%");
    EXPECT_EQ(dlg.Gauge()->GetValue(), 100);
    for (const wxString& percent : percents) {
        long value = 0;
        EXPECT_TRUE(percent.BeforeLast('%').ToLong(&value)) << percent;
        EXPECT_LE(value, 100);
    }
}

TEST_F(ParseDlgTest, OkCommandDoesNotEndARunningJob) {
    WriteRecords("A", "1.csv", {RecordLine("2018/05/03 10:00:00", "SET_A", "0A1B", "WB-1", "OK")});
    m_tree.MakeDir("ReportData/A/sub");
    CQZ8840ReporterDlg& main = ShowMainDialog();
    CheckMachines({"A"});
    test::HeldMessageBoxes boxes;  // holds the job until released

    OptionScanRequest request;
    request.machineFolders = main.CheckedMachineFolders();
    request.sink = MessageBoxSink();
    OptionScanJob job(std::move(request));
    OptionValues found;
    CParseDlg dlg(&main, job.Progress(), [&] { found = job.Run(); });
    bool runningAfterOk = false;
    test::OnEachTick(dlg, [&](CParseDlg& d, int tick) {
        if (tick != 2)
            return;
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        ok.SetEventObject(&d);
        d.ProcessWindowEvent(ok);
        runningAfterOk = d.IsModal() && d.HasJobThread();
        boxes.Release();
    });
    EXPECT_EQ(dlg.ShowModal(), wxID_OK);

    EXPECT_TRUE(runningAfterOk);
    EXPECT_FALSE(dlg.HasJobThread());
    EXPECT_TRUE(found.settingFiles.Contains("SET_A"));
}

TEST_F(ParseDlgTest, CancelShowsTheFileErrorBoxAWorkerWaitsFor) {
    WriteRecords("A", "1.csv", {RecordLine("2018/05/03 10:00:00", "SET_A", "0A1B", "WB-1", "OK")});
    m_tree.MakeDir("ReportData/A/sub");
    CQZ8840ReporterDlg& main = ShowMainDialog();
    CheckMachines({"A"});

    // The program's own box, which a worker queues for the UI thread. The
    // worker asks only once the first tick runs, so no event loop can show
    // the box: only the dialog's wait for the job can.
    InstallGuiMessageBoxHandler();
    const MessageBoxHandler gui = SetMessageBoxHandler({});
    std::atomic<bool> tickStarted{false};
    std::atomic<bool> asked{false};
    SetMessageBoxHandler([&](const std::string& text) {
        test::WaitUntil([&] { return tickStarted.load(); });
        asked = true;
        gui(text);
    });

    ReportJob job(ReportOf2018(main));
    CParseDlg dlg(&main, job.Progress(), [&] { job.Run(); });
    std::vector<wxString> titlesAtBox;
    m_player.onMessageBox = [&](const wxString&) { titlesAtBox.push_back(dlg.GetTitle()); };
    test::OnEachTick(dlg, [&](CParseDlg& d, int tick) {
        if (tick != 1)
            return;
        tickStarted = true;
        ASSERT_TRUE(test::WaitUntil([&] { return asked.load(); }));
        test::ClickButton(d, wxID_CANCEL);
    });
    const int result = dlg.ShowModal();
    SetMessageBoxHandler({});

    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(titlesAtBox, std::vector<wxString>{"Cancelling..."});
    EXPECT_EQ(dlg.GetTitle(), "Cancelling...");
    EXPECT_EQ(dlg.StatusText()->GetLabel(), "Cancelling...Please wait...");
    EXPECT_FALSE(dlg.IsRefreshing());
    EXPECT_FALSE(dlg.HasJobThread());
    EXPECT_TRUE(job.Progress().IsCancelled());
}

// The system has no thread to spare for the job: the operator is told, and
// the dialog ends as cancelled without running it.
TEST_F(ParseDlgTest, AJobWithoutAThreadEndsAsCancelledWithAMessage) {
    WriteRecords("A", "1.csv", {RecordLine("2018/05/03 10:00:00", "SET_A", "0A1B", "WB-1", "OK")});
    CQZ8840ReporterDlg& main = ShowMainDialog();
    CheckMachines({"A"});

    ReportJob job(ReportOf2018(main));
    bool ran = false;
    CParseDlg dlg(
        &main, job.Progress(), [&] { ran = true; },
        [](std::function<void()>) -> std::thread {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        });
    EXPECT_EQ(dlg.ShowModal(), wxID_CANCEL);

    EXPECT_FALSE(ran);
    EXPECT_FALSE(dlg.HasJobThread());
    EXPECT_FALSE(dlg.IsRefreshing());
    EXPECT_EQ(m_messages.texts(),
              std::vector<std::string>{
                  std::string(kJobNotStartedMessage) +
                  std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again))
                      .what()});
}

}  // namespace
}  // namespace qz
