// The report days the main dialog starts with: both pickers on today.

#include <memory>

#include <gtest/gtest.h>
#include <wx/datectrl.h>
#include <wx/xrc/xmlres.h>

#include "tests/ui/UiTestSupport.h"
#include "ui/QZ8840ReporterDlg.h"

namespace qz {
namespace {

TEST(DatePickerTodayTest, BothPickersStartOnToday) {
    test::DataTree tree;
    tree.MakeDir("ReportData/M1");
    test::MessageBoxRecorder messages;
    // A dialog made across midnight may show either day.
    const wxDateTime before = wxDateTime::Today();
    const std::unique_ptr<CQZ8840ReporterDlg> dlg(
        new CQZ8840ReporterDlg(tree.Paths(), DateLocale::FromEnvironment()));
    dlg->Show();
    test::ProcessEvents();
    const wxDateTime after = wxDateTime::Today();

    for (const char* name : {"IDC_DTP_START_DATE", "IDC_DTP_END_DATE"}) {
        const auto* picker = wxDynamicCast(dlg->FindWindow(XRCID(name)), wxDatePickerCtrl);
        ASSERT_NE(picker, nullptr) << name;
        const wxDateTime shown = picker->GetValue();
        ASSERT_TRUE(shown.IsValid()) << name;
        EXPECT_TRUE(shown.IsSameDate(before) || shown.IsSameDate(after))
            << name << " shows " << shown.FormatISODate() << ", today is " << after.FormatISODate();
    }
}

}  // namespace
}  // namespace qz
