// The Generate Report command end to end: main dialog, progress dialog and
// report job on a data tree, scripts and the request to open the page.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/datectrl.h>

#include "jobs/ReportJob.h"
#include "platform/Path.h"
#include "platform/ShellOpen.h"
#include "records/ReportCounts.h"
#include "report/DataPaths.h"
#include "tests/ui/flow/FlowTestSupport.h"
#include "ui/ParseDlg.h"

namespace qz {
namespace {

using test::RecordLine;
using Texts = std::vector<std::string>;

constexpr char kNoRecord[] =
    "No record!!\r\nPlease check \"Machine (Platform)\", \"Date\" and \"Option\"!!";

class GenerateReportTest : public test::FlowTest {
  protected:
    // Two checked machines with records in and out of May 2018, and an
    // unchecked one whose records must not count.
    CQZ8840ReporterDlg& ShowMachinesOfMay() {
        WriteRecords("M1", "1.csv",
                     {RecordLine("2018/05/03 10:21:07", "SET_A", "0A1B", "WB-1", "OK"),
                      RecordLine("2018/05/04 08:00:00", "SET_B", "0A1B", "WB-2", "NG"),
                      RecordLine("2018/06/01 00:00:00", "SET_A", "0A1B", "WB-1", "OK")});
        WriteRecords("M1", "2.csv",
                     {RecordLine("2018/05/31 23:59:59", "SET_A", "0A1B", "WB-2", "OK")});
        WriteRecords("M2", "1.csv",
                     {RecordLine("2018/05/01 00:00:00", "SET_B", "0A1B", "WB-1", "OK")});
        WriteRecords("M3", "1.csv",
                     {RecordLine("2018/05/10 10:00:00", "SET_C", "0A1B", "WB-3", "OK")});
        CQZ8840ReporterDlg& dlg = ShowMainDialog();
        CheckMachines({"M1", "M2"});
        SetDates(dlg, wxDateTime(1, wxDateTime::May, 2018, 9, 30),
                 wxDateTime(31, wxDateTime::May, 2018));
        return dlg;
    }

    static void SetDates(CQZ8840ReporterDlg& dlg, const wxDateTime& start, const wxDateTime& end) {
        dlg.StartPicker()->SetValue(start);
        dlg.EndPicker()->SetValue(end);
    }

    void ExpectPreviousScripts() const {
        for (const char* name : test::kScriptNames)
            EXPECT_EQ(Script(name), "previous") << name;
    }
};

TEST_F(GenerateReportTest, WritesTheSixScriptsAndAsksToOpenThePage) {
    WritePreviousScripts();
    CQZ8840ReporterDlg& dlg = ShowMachinesOfMay();

    dlg.OnBnClickedGenerateReport();

    EXPECT_EQ(m_player.log, (Texts{"parse", "parse:ok"}));
    EXPECT_TRUE(m_messages.texts().empty());
    EXPECT_EQ(m_opens.paths(), Texts{m_tree.Paths().strReportHtmlPath});
    const ReportRequest request = dlg.MakeReportRequest();
    EXPECT_EQ(request.machineFolders,
              (Texts{dlg.Paths().MachineFolder("M1"), dlg.Paths().MachineFolder("M2")}));
    EXPECT_TRUE(request.criteria.dtReportStart.valid);
    EXPECT_EQ(request.criteria.dtReportStart.DateOnly().value,
              OleDate::FromParts(2018, 5, 1).value);
    EXPECT_EQ(request.criteria.dtReportEnd.DateOnly().value, OleDate::FromParts(2018, 5, 31).value);
    EXPECT_EQ(dlg.ReportTotals().m_nOk, 3);
    EXPECT_EQ(dlg.ReportTotals().m_nNg, 1);

    EXPECT_NE(Script("chartSummary.js").find("['OK',     3], \t\t\t\t\t['NG',     1],"),
              std::string::npos);
    EXPECT_NE(Script("tableSummary.js").find("['Summary', 3, 1, 75.000000],"), std::string::npos);
    const std::string settingFiles = Script("tableSettingFile.js");
    EXPECT_NE(settingFiles.find("['SET_A', 2, 0, 100.000000],"), std::string::npos);
    EXPECT_NE(settingFiles.find("['SET_B', 1, 1, 50.000000],"), std::string::npos);
    EXPECT_EQ(settingFiles.find("SET_C"), std::string::npos);
    const std::string machineIds = Script("tableMachineId.js");
    EXPECT_NE(machineIds.find("['WB-1', 2, 0, 100.000000],"), std::string::npos);
    EXPECT_NE(machineIds.find("['WB-2', 1, 1, 50.000000],"), std::string::npos);
    EXPECT_NE(Script("chartSettingFile.js").find("['SET_B', 50.000000],"), std::string::npos);
    EXPECT_NE(Script("chartMachineId.js").find("['WB-1', 100.000000],"), std::string::npos);
}

TEST_F(GenerateReportTest, PageThatCannotBeOpenedKeepsTheReportAndSaysWhereItIs) {
    // The real opener: first none on PATH, then one that reports failure.
    const ShellOpenHandler recorder = SetShellOpenHandler({});
    test::TempDir dir;
    const std::string bin = dir.MakeDir("bin");
    test::ScopedEnv path("PATH", bin);
    const std::string page = ToNativePath(m_tree.Paths().strReportHtmlPath);
    const std::string message = "The report was written, but the page could not be opened: " + page;
    CQZ8840ReporterDlg& dlg = ShowMachinesOfMay();

    Texts expected;
    for (const char* opener : {"", "#!/bin/sh\nexit 4\n"}) {
        SCOPED_TRACE(opener);
        if (*opener != '\0') {
            const std::string script = dir.Write("bin/xdg-open", opener);
            std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        }
        WritePreviousScripts();
        dlg.OnBnClickedGenerateReport();
        expected.push_back(message);
        EXPECT_EQ(m_messages.texts(), expected);
        EXPECT_NE(Script("tableSummary.js").find("['Summary', 3, 1, 75.000000],"),
                  std::string::npos);
    }
    SetShellOpenHandler(recorder);
}

TEST_F(GenerateReportTest, NoCheckedMachineGivesOnlyItsMessageForBothCommands) {
    for (const bool withMachines : {false, true}) {
        if (withMachines)
            WriteRecords("M1", "1.csv",
                         {RecordLine("2018/05/03 10:00:00", "SET_A", "0A1B", "WB-1", "OK")});
        CQZ8840ReporterDlg& dlg = ShowMainDialog();
        CheckMachines({});
        // A job run all the same would count the record.
        SetDates(dlg, wxDateTime(1, wxDateTime::May, 2018), wxDateTime(31, wxDateTime::May, 2018));
        for (const auto command : {&CQZ8840ReporterDlg::OnBnClickedGenerateReport,
                                   &CQZ8840ReporterDlg::OnBnClickedOption}) {
            SCOPED_TRACE(
                testing::Message()
                << (withMachines ? "no row checked" : "empty list") << ", "
                << (command == &CQZ8840ReporterDlg::OnBnClickedOption ? "Option" : "Generate"));
            test::MessageBoxRecorder messages;
            m_player.log.clear();

            (dlg.*command)();

            EXPECT_EQ(messages.texts(), Texts{kNoMachineSelectedMessage});
            EXPECT_TRUE(m_player.log.empty());
            EXPECT_EQ(dlg.ReportTotals().m_nOk, 0);
            EXPECT_TRUE(dlg.FoundValues().settingFiles.IsEmpty());
            EXPECT_TRUE(dlg.OptionScanNeeded());
        }
    }
    EXPECT_TRUE(m_opens.paths().empty());
}

TEST_F(GenerateReportTest, RangeWithoutRecordsGivesNoRecordAndKeepsThePreviousScripts) {
    WritePreviousScripts();
    CQZ8840ReporterDlg& dlg = ShowMachinesOfMay();
    SetDates(dlg, wxDateTime(1, wxDateTime::Jan, 2019), wxDateTime(31, wxDateTime::Dec, 2019));

    dlg.OnBnClickedGenerateReport();

    EXPECT_EQ(m_player.log, (Texts{"parse", "parse:ok"}));
    EXPECT_EQ(m_messages.texts(), Texts{kNoRecord});
    ExpectPreviousScripts();
    EXPECT_TRUE(m_opens.paths().empty());
}

TEST_F(GenerateReportTest, OnlyEmptyFilesGiveRecordNotFoundAndNothingElse) {
    WritePreviousScripts();
    m_tree.Write("ReportData/M1/1.csv", "");
    m_tree.Write("ReportData/M1/2.csv", "");
    m_tree.MakeDir("ReportData/M2");
    CQZ8840ReporterDlg& dlg = ShowMainDialog();
    CheckMachines({"M1", "M2"});

    dlg.OnBnClickedGenerateReport();

    EXPECT_EQ(m_player.log, (Texts{"parse", "parse:cancel"}));
    EXPECT_EQ(m_messages.texts(), Texts{kRecordNotFoundMessage});
    ExpectPreviousScripts();
    EXPECT_TRUE(m_opens.paths().empty());
}

TEST_F(GenerateReportTest, CancelledRunWritesAndOpensNothingThoughFilesWereCounted) {
    WritePreviousScripts();
    CQZ8840ReporterDlg& dlg = ShowMachinesOfMay();
    // The worker that cannot open the sub-folder holds its box until the
    // cancel, so the job is still running when the operator cancels.
    m_tree.MakeDir("ReportData/M1/sub");
    test::HeldMessageBoxes boxes;
    std::uint64_t recordBytes = 0;
    for (const char* file : {"M1/1.csv", "M1/2.csv", "M2/1.csv"})
        recordBytes +=
            test::ReadFile(m_tree.home().documents() + "/Norvale/TavriloIC/ReportData/" + file)
                .size();
    m_player.onParse = [&](CParseDlg& parse) {
        test::OnEachTick(parse, [&](CParseDlg& d, int tick) {
            if (tick != 1)
                return;
            EXPECT_TRUE(test::WaitUntil([&] { return d.Progress().ParsedBytes() == recordBytes; }));
            test::PressKey(d, WXK_ESCAPE);
        });
    };

    dlg.OnBnClickedGenerateReport();

    EXPECT_EQ(m_player.log, (Texts{"parse", "parse:cancel"}));
    EXPECT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(dlg.ReportTotals().m_nOk, 3);  // merged once the held file ended
    ExpectPreviousScripts();
    EXPECT_TRUE(m_opens.paths().empty());

    // The cancel was that job's alone: the next run goes to its end.
    boxes.Release();
    m_player.onParse = nullptr;
    m_player.log.clear();
    dlg.OnBnClickedGenerateReport();
    EXPECT_EQ(m_player.log, (Texts{"parse", "parse:ok"}));
    EXPECT_EQ(m_opens.paths(), Texts{m_tree.Paths().strReportHtmlPath});
    EXPECT_NE(Script("tableSummary.js").find("['Summary', 3, 1, 75.000000],"), std::string::npos);
}

}  // namespace
}  // namespace qz
