// The Option command and the option dialog end to end: when the option scan
// runs, what the three lists show, and how OK, Cancel and Escape treat the
// excluded-value sets.

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/datectrl.h>
#include <wx/srchctrl.h>
#include <wx/statbox.h>
#include <wx/xrc/xmlres.h>

#include "records/OptionValues.h"
#include "records/ReportCounts.h"
#include "tests/ui/flow/FlowTestSupport.h"
#include "ui/FilteredCheckList.h"
#include "ui/OptionDlg.h"
#include "ui/ParseDlg.h"
#include "ui/ReportDataListCtrl.h"

namespace qz {
namespace {

using test::RecordLine;
using test::Rows;
using test::Texts;
using test::Values;

void Uncheck(CReportDataListCtrl& list, const std::string& text) {
    for (long i = 0; i < list.GetItemCount(); ++i) {
        if (list.GetRowBytes(i) == text)
            list.SetCheck(i, false);
    }
}

class OptionTest : public test::FlowTest {
  protected:
    OptionTest() {
        m_tree.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
        // Customer codes of four, three and five characters; only 0A1B is named.
        WriteRecords("M1", "1.csv",
                     {RecordLine("2018/05/03 10:00:00", "SET_A", "0A1B", "WB-1", "OK"),
                      RecordLine("2018/05/03 11:00:00", "SET_B", "9Z9", "WB-2", "OK"),
                      RecordLine("2018/05/03 12:00:00", "SET_A", "ABCDE", "WB-1", "NG")});
        WriteRecords("M2", "1.csv",
                     {RecordLine("2018/05/04 10:00:00", "SET_C", "0A1B", "WB-3", "OK")});
        m_tree.Write("ReportData/M3/empty.csv", "");
    }

    // Runs the Option command; returns the dialogs it showed.
    Texts RunOption(CQZ8840ReporterDlg& dlg) {
        m_player.log.clear();
        dlg.OnBnClickedOption();
        return m_player.log;
    }
};

TEST_F(OptionTest, ScanRunsAtFirstUseAndAgainOnlyAfterAMachineChangeOrAnUnfinishedScan) {
    CQZ8840ReporterDlg& dlg = ShowMainDialog();
    m_player.playOption = [](COptionDlg& option) { test::ClickButton(option, wxID_CANCEL); };
    const Texts scanThenDialog{"parse", "parse:ok", "option"};

    CheckMachines({"M1"});
    EXPECT_EQ(RunOption(dlg), scanThenDialog);
    EXPECT_EQ(Values(dlg.FoundValues().settingFiles), (Texts{"SET_A", "SET_B"}));
    EXPECT_FALSE(dlg.OptionScanNeeded());

    EXPECT_EQ(RunOption(dlg), Texts{"option"});

    CheckMachines({"M1", "M2"});
    EXPECT_EQ(RunOption(dlg), scanThenDialog);
    EXPECT_EQ(Values(dlg.FoundValues().settingFiles), (Texts{"SET_A", "SET_B", "SET_C"}));

    // A scan closed by the operator: no dialog, and the next use scans again
    // with the same machines. The sub-folder's box holds the job till then.
    m_tree.MakeDir("ReportData/M2/sub");
    CheckMachines({"M2"});
    {
        test::HeldMessageBoxes boxes;
        m_player.onParse = [](CParseDlg& parse) {
            test::OnEachTick(parse, [](CParseDlg& d, int tick) {
                if (tick == 1)
                    d.Close();
            });
        };
        EXPECT_EQ(RunOption(dlg), (Texts{"parse", "parse:cancel"}));
        EXPECT_TRUE(dlg.OptionScanNeeded());
        m_player.onParse = nullptr;
    }
    EXPECT_EQ(RunOption(dlg), scanThenDialog);
    EXPECT_FALSE(dlg.OptionScanNeeded());

    // Machines without record data: the progress dialog says so, no dialog.
    const std::size_t messagesBefore = m_messages.texts().size();
    CheckMachines({"M3"});
    EXPECT_EQ(RunOption(dlg), (Texts{"parse", "parse:cancel"}));
    const Texts messages = m_messages.texts();
    EXPECT_EQ(Texts(messages.begin() + static_cast<long>(messagesBefore), messages.end()),
              Texts{kRecordNotFoundMessage});
    EXPECT_TRUE(dlg.OptionScanNeeded());
}

TEST_F(OptionTest, UncheckedRowsFilterTheReportsUntilTheNextOk) {
    WritePreviousScripts();
    CQZ8840ReporterDlg& dlg = ShowMainDialog();
    CheckMachines({"M1"});
    dlg.StartPicker()->SetValue(wxDateTime(1, wxDateTime::May, 2018));
    dlg.EndPicker()->SetValue(wxDateTime(31, wxDateTime::May, 2018));

    // First opening: every row checked; customers shown with their names.
    m_player.playOption = [](COptionDlg& option) {
        EXPECT_EQ(Rows(*option.SettingFileList()), (Texts{"+SET_A", "+SET_B"}));
        EXPECT_EQ(Rows(*option.MachineIdList()), (Texts{"+WB-1", "+WB-2"}));
        EXPECT_EQ(Rows(*option.CustomerList()),
                  (Texts{"+0A1B_Cable Maker One", "+9Z9_Unknown", "+ABCDE_Unknown"}));
        Uncheck(*option.SettingFileList(), "SET_B");
        Uncheck(*option.CustomerList(), "ABCDE_Unknown");
        test::ClickButton(option, wxID_OK);
    };
    RunOption(dlg);
    EXPECT_EQ(Values(dlg.ExcludedValues().settingFiles), Texts{"SET_B"});
    EXPECT_TRUE(dlg.ExcludedValues().machineIds.IsEmpty());
    EXPECT_EQ(Values(dlg.ExcludedValues().customers), Texts{"ABCDE"});

    // The report leaves out SET_B and the customer ABCDE.
    dlg.OnBnClickedGenerateReport();
    EXPECT_EQ(dlg.ReportTotals().m_nOk, 1);
    EXPECT_EQ(dlg.ReportTotals().m_nNg, 0);
    EXPECT_EQ(Script("tableSettingFile.js").find("SET_B"), std::string::npos);

    // Reopened without a scan on the last OK's state; Select All and Cancel
    // change nothing that lasts.
    m_player.playOption = [](COptionDlg& option) {
        EXPECT_EQ(Rows(*option.SettingFileList()), (Texts{"+SET_A", "-SET_B"}));
        EXPECT_EQ(Rows(*option.CustomerList()),
                  (Texts{"+0A1B_Cable Maker One", "+9Z9_Unknown", "-ABCDE_Unknown"}));
        test::ClickButton(option, XRCID("IDC_BTN_SELECT_ALL_CUSTOMER"));
        EXPECT_EQ(Rows(*option.CustomerList()),
                  (Texts{"+0A1B_Cable Maker One", "+9Z9_Unknown", "+ABCDE_Unknown"}));
        Uncheck(*option.SettingFileList(), "SET_A");
        test::ClickButton(option, wxID_CANCEL);
    };
    EXPECT_EQ(RunOption(dlg), Texts{"option"});
    EXPECT_EQ(Values(dlg.ExcludedValues().settingFiles), Texts{"SET_B"});
    EXPECT_EQ(Values(dlg.ExcludedValues().customers), Texts{"ABCDE"});

    // A later OK replaces the three sets as a whole.
    m_player.playOption = [](COptionDlg& option) {
        EXPECT_EQ(Rows(*option.SettingFileList()), (Texts{"+SET_A", "-SET_B"}));
        test::ClickButton(option, XRCID("IDC_BTN_SELECT_ALL_SETTING_FILE"));
        Uncheck(*option.CustomerList(), "9Z9_Unknown");
        test::ClickButton(option, wxID_OK);
    };
    RunOption(dlg);
    EXPECT_TRUE(dlg.ExcludedValues().settingFiles.IsEmpty());
    EXPECT_EQ(Values(dlg.ExcludedValues().customers), (Texts{"9Z9", "ABCDE"}));
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(OptionTest, OkWithoutACheckedRowKeepsTheDialogOpenAndTheSetsAsTheyWere) {
    CQZ8840ReporterDlg& dlg = ShowMainDialog();
    CheckMachines({"M1"});
    dlg.ExcludedValues().machineIds.Insert("WB-OLD");  // from an earlier OK

    enum List { kSettingFile = 1, kMachineId = 2, kCustomer = 4 };
    struct Case {
        int emptied;  // the lists left without a checked row
        const char* message;
    };
    const Case cases[] = {
        {kSettingFile, "No \"Setting File\" is seleced!"},
        {kMachineId, "No \"Machine (Write Board) ID\" is seleced!"},
        {kCustomer, "No \"Customer\" is seleced!"},
        {kSettingFile | kMachineId | kCustomer, "No \"Setting File\" is seleced!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        test::MessageBoxRecorder messages;
        bool openAfterOk = false;
        bool openAfterEscape = false;
        m_player.playOption = [&](COptionDlg& option) {
            const std::pair<int, CReportDataListCtrl*> lists[] = {
                {kSettingFile, option.SettingFileList()},
                {kMachineId, option.MachineIdList()},
                {kCustomer, option.CustomerList()}};
            for (const auto& [flag, list] : lists) {
                for (long i = 0; (c.emptied & flag) && i < list->GetItemCount(); ++i)
                    list->SetCheck(i, false);
            }
            test::ClickButton(option, wxID_OK);
            openAfterOk = option.IsModal();
            test::PressKey(option, WXK_ESCAPE);
            openAfterEscape = option.IsModal();
            test::ClickButton(option, wxID_CANCEL);
        };

        RunOption(dlg);

        EXPECT_EQ(messages.texts(), Texts{c.message});
        EXPECT_TRUE(openAfterOk);
        EXPECT_TRUE(openAfterEscape);
        EXPECT_TRUE(dlg.ExcludedValues().settingFiles.IsEmpty());
        EXPECT_EQ(Values(dlg.ExcludedValues().machineIds), Texts{"WB-OLD"});
        EXPECT_TRUE(dlg.ExcludedValues().customers.IsEmpty());
    }
}

// The board dimension goes by one name: its box and its search field say
// "Machine (Write Board) ID", as the report page and the batch help do.
TEST_F(OptionTest, BoardListIsCalledMachineWriteBoardId) {
    CQZ8840ReporterDlg& dlg = ShowMainDialog();
    CheckMachines({"M1"});
    wxString boxLabel;
    wxString hint;
    m_player.playOption = [&](COptionDlg& option) {
        const wxWindow* list = option.MachineIdList();
        for (const wxWindow* w = list; w != &option && boxLabel.empty(); w = w->GetParent()) {
            for (const wxWindow* sibling : w->GetParent()->GetChildren()) {
                const auto* box = wxDynamicCast(sibling, wxStaticBox);
                if (box != nullptr && box->GetScreenRect().Contains(list->GetScreenRect()))
                    boxLabel = box->GetLabel();
            }
        }
        hint = option.ListOf(Dimension::MachineId).Search()->GetHint();
        test::ClickButton(option, wxID_CANCEL);
    };
    RunOption(dlg);
    EXPECT_EQ(boxLabel, "Machine (Write Board) ID");
    EXPECT_EQ(hint, "Search Machine (Write Board) IDs");
}

// Focus on a window or inside it.
bool HasFocusIn(const wxWindow* window) {
    for (const wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent()) {
        if (w == window)
            return true;
    }
    return false;
}

TEST_F(OptionTest, OpensOnTheCustomerListWhereEnterRunsOk) {
    CQZ8840ReporterDlg& dlg = ShowMainDialog();
    CheckMachines({"M1"});
    bool focusOnCustomers = false;
    bool endedByEnter = false;
    m_player.playOption = [&](COptionDlg& option) {
        // The operator's own keys: the pointer over the dialog gives it the
        // keyboard where no window manager does.
        test::RealPointTo(&option);
        focusOnCustomers = test::PumpUntil([&] { return HasFocusIn(option.CustomerList()); });
        Uncheck(*option.SettingFileList(), "SET_B");
        test::RealKey(WXK_RETURN);
        endedByEnter = test::PumpUntil([&] { return !option.IsModal(); });
        if (!endedByEnter)
            test::ClickButton(option, wxID_CANCEL);
    };

    EXPECT_EQ(RunOption(dlg), (Texts{"parse", "parse:ok", "option"}));
    EXPECT_TRUE(focusOnCustomers);
    EXPECT_TRUE(endedByEnter);
    EXPECT_EQ(Values(dlg.ExcludedValues().settingFiles), Texts{"SET_B"});
}

}  // namespace
}  // namespace qz
