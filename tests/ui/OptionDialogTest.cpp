// The option dialog's lists under the operator's own keys (XTest through the
// X server): search, "Only these", "Select All", typing to jump, resizing.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/srchctrl.h>
#include <wx/xrc/xmlres.h>

#include "tests/ui/UiTestSupport.h"
#include "ui/OptionDlg.h"
#include "ui/ReportDataListCtrl.h"

namespace qz {
namespace {

using test::Rows;
using test::Texts;
using test::Values;

constexpr char kLongName[] =
    "A customer whose name runs on far longer than any list of this dialog is wide";

class OptionDialogTest : public ::testing::Test {
  protected:
    OptionDialogTest() {
        for (const char* value : {"SET_A1", "SET_A2", "SET_B1", "OTHER"})
            m_found.settingFiles.Insert(value);
        m_found.machineIds.Insert("WB-1");
        m_found.customers.Insert("0A1B");
        m_found.customers.Insert("LONG");
        m_names["LONG"] = kLongName;
        m_dlg.reset(new COptionDlg(nullptr, m_found, m_names, m_excluded));
        m_dlg->Show();
        test::ProcessEvents();
        test::RealPointTo(m_dlg.get());
    }

    CReportDataListCtrl& Files() const { return *m_dlg->SettingFileList(); }
    wxSearchCtrl* FileSearch() const { return m_dlg->ListOf(Dimension::SettingFile).Search(); }

    bool FocusOn(wxWindow* window) {
        window->SetFocus();
        return test::PumpUntil([&] { return test::HasFocusIn(window); });
    }

    // Replaces the search field's text by typing.
    void Search(const char* text) {
        ASSERT_TRUE(FocusOn(FileSearch()));
        test::RealKey('A', wxMOD_CONTROL);
        test::RealKey(WXK_BACK);
        if (*text)
            test::RealType(text);
        ASSERT_TRUE(test::PumpUntil([&] { return FileSearch()->GetValue() == text; }));
        test::ProcessEvents();
    }

    // Selects the list row starting with prefix by typing it into the list.
    void JumpTo(const char* prefix) {
        ASSERT_TRUE(FocusOn(&Files()));
        test::RealType(prefix);
    }

    void Click(const char* name) {
        test::RealClick(m_dlg->FindWindow(XRCID(name)));
        test::ProcessEvents();
    }

    OptionValues m_found;
    CustomerNames m_names;
    OptionValues m_excluded;
    test::MessageBoxRecorder m_messages;
    std::unique_ptr<COptionDlg, test::DialogDeleter> m_dlg;
};

TEST_F(OptionDialogTest, SearchNarrowsTheRowsAndHiddenRowsKeepTheirChecks) {
    Search("set_a");  // any case
    EXPECT_EQ(Rows(Files()), (Texts{"+SET_A1", "+SET_A2"}));

    // Typing in the list jumps to the row; Space unchecks it.
    JumpTo("set_a2");
    test::RealKey(WXK_SPACE);
    EXPECT_EQ(Rows(Files()), (Texts{"+SET_A1", "-SET_A2"}));

    Search("b");
    EXPECT_EQ(Rows(Files()), Texts{"+SET_B1"});
    Search("");
    EXPECT_EQ(Rows(Files()), (Texts{"+OTHER", "+SET_A1", "-SET_A2", "+SET_B1"}));

    // Hidden while OK runs: still left out.
    Search("other");
    test::RealKey(WXK_RETURN);  // in the search field: not OK
    test::ProcessEvents();
    EXPECT_TRUE(m_dlg->IsShown());
    Click("wxID_OK");
    EXPECT_FALSE(m_dlg->IsShown());
    EXPECT_EQ(Values(m_excluded.settingFiles), Texts{"SET_A2"});
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(OptionDialogTest, OnlyTheseAndSelectAllReachHiddenRows) {
    // The rows shown for "set_", all selected: only they stay checked.
    Search("set_");
    ASSERT_TRUE(FocusOn(&Files()));
    test::RealKey('A', wxMOD_CONTROL);
    Click("IDC_BTN_ONLY_SETTING_FILE");
    Search("");
    EXPECT_EQ(Rows(Files()), (Texts{"-OTHER", "+SET_A1", "+SET_A2", "+SET_B1"}));

    // One row selected by typing: only it.
    JumpTo("set_b");
    Click("IDC_BTN_ONLY_SETTING_FILE");
    EXPECT_EQ(Rows(Files()), (Texts{"-OTHER", "-SET_A1", "-SET_A2", "+SET_B1"}));

    // Select All with a search in force checks the hidden rows as well.
    Search("other");
    Click("IDC_BTN_SELECT_ALL_SETTING_FILE");
    Search("");
    EXPECT_EQ(Rows(Files()), (Texts{"+OTHER", "+SET_A1", "+SET_A2", "+SET_B1"}));

    // No row left checked, though hidden: OK says so and keeps the dialog.
    Search("set_a1");
    JumpTo("set_a1");
    Click("IDC_BTN_ONLY_SETTING_FILE");
    ASSERT_TRUE(FocusOn(&Files()));
    test::RealKey(WXK_SPACE);
    EXPECT_EQ(Rows(Files()), Texts{"-SET_A1"});
    Click("wxID_OK");
    EXPECT_TRUE(m_dlg->IsShown());
    EXPECT_EQ(m_messages.texts(), Texts{"No \"Setting File\" is seleced!"});
}

TEST_F(OptionDialogTest, ListsGrowWithTheDialogAndLongNamesShowWhole) {
    CReportDataListCtrl& customers = *m_dlg->CustomerList();
    const wxSize before = customers.GetSize();
    m_dlg->SetSize(m_dlg->GetSize() + wxSize(300, 200));
    ASSERT_TRUE(test::PumpUntil([&] { return customers.GetSize() != before; }));
    EXPECT_GT(customers.GetSize().x, before.x);
    EXPECT_EQ(customers.GetSize().y, before.y + 200);
    EXPECT_GT(Files().GetSize().x, before.x);

    // The long name's row is not cut: its column is as wide as its text.
    const wxString label = customers.GetItemText(1);
    ASSERT_TRUE(label.Contains(kLongName));
    EXPECT_GE(customers.GetColumn(CReportDataListCtrl::kTextColumn)->GetWidth(),
              customers.GetTextExtent(label).x);

    // Escape leaves the dialog open.
    ASSERT_TRUE(FocusOn(&customers));
    test::RealKey(WXK_ESCAPE);
    test::ProcessEvents();
    EXPECT_TRUE(m_dlg->IsShown());
}

}  // namespace
}  // namespace qz
