#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/combo.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "report/CustomerList.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/QZ8840ReporterDlg.h"
#include "ui/Resources.h"

// Lets a failed check show dates.
void PrintTo(const wxDateTime& date, std::ostream* os) {
    *os << (date.IsValid() ? date.FormatISOCombined(' ').utf8_string() : std::string("(invalid)"));
}

// Plays the operator in the about box: checks what it shows, then presses OK.
template <>
class wxExpectModal<qz::CAboutDlg> : public wxExpectModalBase<qz::CAboutDlg> {
  public:
    wxExpectModal() = default;

  protected:
    int OnInvoked(qz::CAboutDlg* dlg) const override {
        EXPECT_EQ(dlg->GetTitle(), "About Norvale Tavrilo Reporter");
        std::vector<wxString> labels;
        for (wxWindow* child : dlg->GetChildren()) {
            if (auto* text = wxDynamicCast(child, wxStaticText))
                labels.push_back(text->GetLabel());
        }
        EXPECT_NE(std::find(labels.begin(), labels.end(), "Norvale Tavrilo Production Report"),
                  labels.end());
        EXPECT_NE(std::find(labels.begin(), labels.end(), "Version 1.1.0"), labels.end());
        EXPECT_NE(dlg->FindWindow(wxID_OK), nullptr);
        return wxID_OK;
    }
};

namespace qz {
namespace {

using DialogPtr = std::unique_ptr<CQZ8840ReporterDlg, test::DialogDeleter>;

class MainDialogTest : public ::testing::Test {
  protected:
    // Constructs the dialog and shows it modeless, which initialises it.
    DialogPtr ShowDialog() {
        DialogPtr dlg(new CQZ8840ReporterDlg(m_tree.Paths(), DateLocale::FromEnvironment()));
        dlg->Show();
        test::ProcessEvents();
        return dlg;
    }

    static std::vector<int> Checked(const CReportDataListCtrl& list) {
        std::vector<int> rows;
        list.GetCheckedItems(rows);
        return rows;
    }

    test::DataTree m_tree;
    test::MessageBoxRecorder m_messages;
};

TEST_F(MainDialogTest, MachineFoldersBecomeRowsWithTheFirstChecked) {
    m_tree.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
    for (const char* machine : {"Platform-A", "Platform-B", "Platform-C"})
        m_tree.Write(std::string("ReportData/") + machine + "/record.csv", "header\n");
    m_tree.Write("ReportData/notes.txt", "not a machine");
    m_tree.Write("ReportData/readme", "");

    const DialogPtr dlg = ShowDialog();
    CReportDataListCtrl& list = *dlg->MachineList();

    ASSERT_EQ(list.GetItemCount(), 3);
    std::vector<std::string> names;
    for (long i = 0; i < 3; ++i) {
        // Row i shows machine folder i: the jobs' folders rely on it.
        const std::string& name = dlg->MachineFolderNames().at(static_cast<std::size_t>(i));
        EXPECT_EQ(list.GetRowBytes(i), name);
        EXPECT_EQ(list.GetItemText(i), wxString(name));
        names.push_back(list.GetRowBytes(i));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Platform-A", "Platform-B", "Platform-C"}));
    EXPECT_EQ(Checked(list), std::vector<int>{0});
    EXPECT_EQ(dlg->CheckedMachineFolders(),
              std::vector<std::string>{dlg->Paths().MachineFolder(list.GetRowBytes(0))});

    EXPECT_EQ(list.GetColumn(CReportDataListCtrl::kTextColumn)->GetTitle(), "Machine Name");
    EXPECT_EQ(dlg->Customers().at("0A1B"), "Cable Maker One");
    EXPECT_TRUE(dlg->OptionScanNeeded());
    EXPECT_TRUE(m_messages.texts().empty());

    // The banner spans the top of the client area, 60 pixels high.
    EXPECT_EQ(dlg->Banner()->GetRect(), wxRect(0, 0, dlg->GetClientSize().x, 60));
    EXPECT_NE(dlg->Banner()->GetImage(), nullptr);
}

TEST_F(MainDialogTest, EmptyOrMissingRecordFolderGivesAnEmptyListWithoutMessage) {
    m_tree.Write("CustomerList.lst", "");
    for (const bool folderExists : {false, true}) {
        SCOPED_TRACE(folderExists ? "empty folder" : "missing folder");
        if (folderExists)
            m_tree.MakeDir("ReportData");
        const DialogPtr dlg = ShowDialog();

        EXPECT_EQ(dlg->MachineList()->GetItemCount(), 0);
        EXPECT_TRUE(Checked(*dlg->MachineList()).empty());
        EXPECT_TRUE(m_messages.texts().empty());
    }
}

TEST_F(MainDialogTest, MissingCustomerListShowsOneMessageBeforeTheWindowIsVisible) {
    m_tree.MakeDir("ReportData/Platform-A");
    std::vector<bool> shownAtMessage;
    CQZ8840ReporterDlg* current = nullptr;
    const MessageBoxHandler previous = SetMessageBoxHandler(
        [&](const std::string&) { shownAtMessage.push_back(current && current->IsShown()); });

    DialogPtr dlg(new CQZ8840ReporterDlg(m_tree.Paths(), DateLocale::FromEnvironment()));
    current = dlg.get();
    dlg->Show();
    SetMessageBoxHandler(previous);

    EXPECT_EQ(shownAtMessage, std::vector<bool>{false});
    EXPECT_EQ(dlg->MachineList()->GetItemCount(), 1);  // start-up goes on
}

TEST_F(MainDialogTest, SelectAllChecksEveryRowAndResetClearsThem) {
    m_tree.Write("CustomerList.lst", "");
    for (const char* machine : {"M1", "M2", "M3"})
        m_tree.MakeDir(std::string("ReportData/") + machine);
    const DialogPtr dlg = ShowDialog();
    const wxDateTime startBefore = dlg->StartPicker()->GetValue();

    dlg->OnBnClickedSelectAll();
    EXPECT_EQ(Checked(*dlg->MachineList()), (std::vector<int>{0, 1, 2}));

    dlg->OnBnClickedReset();
    EXPECT_TRUE(Checked(*dlg->MachineList()).empty());
    EXPECT_EQ(dlg->StartPicker()->GetValue(), startBefore);
}

TEST_F(MainDialogTest, ButtonsReachTheirHandlersByControlId) {
    m_tree.MakeDir("ReportData/M1");
    m_tree.MakeDir("ReportData/M2");
    const DialogPtr dlg = ShowDialog();

    wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_BTN_SELECT_ALL"));
    dlg->FindWindow(XRCID("IDC_BTN_SELECT_ALL"))->ProcessWindowEvent(click);
    EXPECT_EQ(Checked(*dlg->MachineList()), (std::vector<int>{0, 1}));

    click.SetId(XRCID("IDC_BTN_RESET"));
    dlg->FindWindow(XRCID("IDC_BTN_RESET"))->ProcessWindowEvent(click);
    EXPECT_TRUE(Checked(*dlg->MachineList()).empty());
}

// Picks a date as the calendar does: the picker takes the date, then sends its
// change notification.
void Pick(wxDatePickerCtrl* picker, const wxDateTime& date) {
    picker->SetValue(date);
    wxDateEvent changed(picker, date, wxEVT_DATE_CHANGED);
    picker->ProcessWindowEvent(changed);
}

TEST_F(MainDialogTest, EachPickedDateLimitsTheOtherPicker) {
    const DialogPtr dlg = ShowDialog();
    const wxDateTime march10(10, wxDateTime::Mar, 2024, 9, 30, 15);
    const wxDateTime march20(20, wxDateTime::Mar, 2024);

    Pick(dlg->StartPicker(), march10);
    wxDateTime lower, upper;
    ASSERT_TRUE(dlg->EndPicker()->GetRange(&lower, &upper));
    EXPECT_EQ(lower, march10);
    EXPECT_FALSE(upper.IsValid());

    Pick(dlg->EndPicker(), march20);
    ASSERT_TRUE(dlg->StartPicker()->GetRange(&lower, &upper));
    EXPECT_FALSE(lower.IsValid());
    EXPECT_EQ(upper, march20);
    // The end picker keeps the limit the start gave it.
    ASSERT_TRUE(dlg->EndPicker()->GetRange(&lower, &upper));
    EXPECT_EQ(lower, march10);
}

TEST_F(MainDialogTest, YearOutsideTheCalendarTimeScale) {
    const DialogPtr dlg = ShowDialog();
    wxDateTime lower, upper;

    // Before 1900: the start of calendar time, 1970-01-01 00:00 UTC.
    Pick(dlg->StartPicker(), wxDateTime(5, wxDateTime::Jun, 1899));
    ASSERT_TRUE(dlg->EndPicker()->GetRange(&lower, &upper));
    EXPECT_EQ(lower.GetTicks(), 0);

    // After 3000: the conversion fails with a message; the limit stays.
    const std::size_t messagesBefore = m_messages.texts().size();
    Pick(dlg->StartPicker(), wxDateTime(1, wxDateTime::Jan, 3001));
    EXPECT_EQ(m_messages.texts().size(), messagesBefore + 1);
    ASSERT_TRUE(dlg->EndPicker()->GetRange(&lower, &upper));
    EXPECT_EQ(lower.GetTicks(), 0);
}

#ifndef wxHAS_NATIVE_DATEPICKCTRL
// The picker's text field, where the operator types a date.
wxTextCtrl* DateField(wxDatePickerCtrl* picker) {
    for (wxWindow* child : picker->GetChildren()) {
        if (auto* combo = wxDynamicCast(child, wxComboCtrl))
            return combo->GetTextCtrl();
    }
    return nullptr;
}

// Types text into an empty field one key at a time; the field reports each
// keystroke as a text change.
void Type(wxTextCtrl* field, const wxString& text) {
    field->SetValue(wxString());
    for (std::size_t n = 1; n <= text.length(); ++n)
        field->SetValue(text.Left(n));
}

void LeaveField(wxTextCtrl* field) {
    wxFocusEvent left(wxEVT_KILL_FOCUS, field->GetId());
    left.SetEventObject(field);
    field->ProcessWindowEvent(left);
    test::ProcessEvents();
}

wxDateTime UpperLimit(const wxDatePickerCtrl* picker) {
    wxDateTime lower, upper;
    picker->GetRange(&lower, &upper);
    return upper;
}

TEST_F(MainDialogTest, TypedDateLimitsTheOtherPickerOnlyOnceComplete) {
    const DialogPtr dlg = ShowDialog();
    const wxDateTime jan10(10, wxDateTime::Jan, 2018);
    const wxDateTime jan31(31, wxDateTime::Jan, 2018);
    wxTextCtrl* field = DateField(dlg->EndPicker());
    ASSERT_NE(field, nullptr);
    dlg->EndPicker()->SetValue(jan31);
    ASSERT_EQ(field->GetValue(), "01/31/2018") << "the keystrokes below assume this date format";
    dlg->EndPicker()->SetValue(wxDateTime(1, wxDateTime::Mar, 2018));
    Pick(dlg->StartPicker(), jan10);

    // Every prefix of the entry that parses as a date ("01/31/2" is year 2)
    // leaves the start picker alone.
    const wxString typed = "01/31/2018";
    field->SetValue(wxString());
    for (std::size_t n = 1; n < typed.length(); ++n) {
        SCOPED_TRACE(typed.Left(n));
        field->SetValue(typed.Left(n));
        EXPECT_EQ(dlg->StartPicker()->GetValue(), jan10);
        EXPECT_FALSE(UpperLimit(dlg->StartPicker()).IsValid());
    }

    field->SetValue(typed);
    EXPECT_EQ(UpperLimit(dlg->StartPicker()), jan31);
    LeaveField(field);
    EXPECT_EQ(UpperLimit(dlg->StartPicker()), jan31);
    EXPECT_EQ(dlg->StartPicker()->GetValue(), jan10);
    EXPECT_EQ(dlg->EndPicker()->GetValue(), jan31);
}

TEST_F(MainDialogTest, TypedEntryEndsWhenTheFieldLosesFocus) {
    const wxDateTime jan31(31, wxDateTime::Jan, 2018);
    const struct {
        const char* typed;
        bool taken;
    } cases[] = {
        // A whole date, typed without the leading zero the picker shows.
        {"1/31/2018", true},
        // Left as year 2: unfinished, so the picker's date stays.
        {"01/31/2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const DialogPtr dlg = ShowDialog();
        const wxDateTime before = dlg->EndPicker()->GetValue();
        wxTextCtrl* field = DateField(dlg->EndPicker());
        ASSERT_NE(field, nullptr);

        Type(field, c.typed);
        EXPECT_FALSE(UpperLimit(dlg->StartPicker()).IsValid());

        LeaveField(field);
        EXPECT_EQ(dlg->EndPicker()->GetValue(), c.taken ? jan31 : before);
        if (c.taken)
            EXPECT_EQ(UpperLimit(dlg->StartPicker()), jan31);
        else
            EXPECT_FALSE(UpperLimit(dlg->StartPicker()).IsValid());
        EXPECT_EQ(field->GetValue(), dlg->EndPicker()->GetValue().Format("%m/%d/%Y"));
    }
}

TEST_F(MainDialogTest, TypedDateOutsideThePickersLimitIsNotTaken) {
    const DialogPtr dlg = ShowDialog();
    const wxDateTime jan10(10, wxDateTime::Jan, 2018);
    const wxDateTime jan31(31, wxDateTime::Jan, 2018);
    Pick(dlg->EndPicker(), jan31);
    Pick(dlg->StartPicker(), jan10);
    wxTextCtrl* field = DateField(dlg->EndPicker());
    ASSERT_NE(field, nullptr);

    // Before the end's lower limit, as is every year typed on the way: the
    // picker keeps its date, so the start picker keeps its limit and date.
    Type(field, "01/05/2018");
    LeaveField(field);
    EXPECT_EQ(dlg->EndPicker()->GetValue(), jan31);
    EXPECT_EQ(UpperLimit(dlg->StartPicker()), jan31);
    EXPECT_EQ(dlg->StartPicker()->GetValue(), jan10);
}
#endif  // wxHAS_NATIVE_DATEPICKCTRL

TEST(CalendarTimeTest, YearBoundaries) {
    const struct {
        int year;
        bool epoch;  // true: 1970-01-01 00:00 UTC
        bool valid;
    } cases[] = {
        {1, true, true},     {1899, true, true},  {1900, false, true},
        {2024, false, true}, {3000, false, true}, {3001, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        const wxDateTime picked(28, wxDateTime::Feb, c.year, 13, 14, 15);
        const wxDateTime t = ToCalendarTime(picked);
        ASSERT_EQ(t.IsValid(), c.valid);
        if (!c.valid)
            continue;
        if (c.epoch)
            EXPECT_EQ(t.GetTicks(), 0);
        else
            EXPECT_EQ(t, picked);
    }
}

TEST_F(MainDialogTest, EscapeLeavesTheDialogOpenAndTheCloseButtonEndsIt) {
    const DialogPtr dlg = ShowDialog();

    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(dlg.get());
    EXPECT_EQ(dlg->PreTranslateMessage(escape), KeyRoute::Control);
    dlg->ProcessWindowEvent(escape);
    EXPECT_TRUE(dlg->IsShown());

    dlg->Close();
    EXPECT_FALSE(dlg->IsShown());
}

TEST_F(MainDialogTest, AboutEntryOpensTheAboutBox) {
    const DialogPtr dlg = ShowDialog();

    wxCommandEvent about(wxEVT_MENU, IDM_ABOUTBOX);
    wxTEST_DIALOG(dlg->ProcessWindowEvent(about), wxExpectModal<CAboutDlg>());

#ifndef __WXMSW__
    wxKeyEvent f1(wxEVT_CHAR_HOOK);
    f1.m_keyCode = WXK_F1;
    wxTEST_DIALOG(dlg->ProcessWindowEvent(f1), wxExpectModal<CAboutDlg>());
#endif

    // Other window commands open nothing (the hook fails on any dialog).
    wxTestingModalHook hook;
    dlg->OnSysCommand(0x20);
    hook.CheckUnmetExpectations();
}

}  // namespace
}  // namespace qz
