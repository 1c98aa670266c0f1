// The date pickers of the main dialog under the operator's own keystrokes
// (XTest through the X server): typed dates and the open calendar.

#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>
#include <wx/combo.h>
#include <wx/textctrl.h>

#include "tests/ui/UiTestSupport.h"
#include "ui/QZ8840ReporterDlg.h"

#ifndef wxHAS_NATIVE_DATEPICKCTRL

namespace qz {
namespace {

wxComboCtrl* DateCombo(wxDatePickerCtrl* picker) {
    for (wxWindow* child : picker->GetChildren()) {
        if (auto* combo = wxDynamicCast(child, wxComboCtrl))
            return combo;
    }
    return nullptr;
}

wxString Shown(const wxDateTime& date) {
    return date.Format("%m/%d/%Y");
}

wxDateTime Limit(const wxDatePickerCtrl* picker, bool upper) {
    wxDateTime lower, higher;
    picker->GetRange(&lower, &higher);
    return upper ? higher : lower;
}

class DateKeysTest : public ::testing::Test {
  protected:
    DateKeysTest() {
        m_tree.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
        m_dlg.reset(new CQZ8840ReporterDlg(m_tree.Paths(), DateLocale::FromEnvironment()));
        m_dlg->Show();
        test::ProcessEvents();
    }

    // Picks a date through the calendar's own notification.
    static void Pick(wxDatePickerCtrl* picker, const wxDateTime& date) {
        picker->SetValue(date);
        wxDateEvent changed(picker, date, wxEVT_DATE_CHANGED);
        picker->ProcessWindowEvent(changed);
    }

    // Puts the keyboard into the picker's field: the pointer over the dialog
    // gives it the keyboard (no window manager here), the focus goes to the
    // field as a click would put it.
    void FocusField(wxDatePickerCtrl* picker) {
        test::RealPointTo(m_dlg.get());
        picker->SetFocus();
        ASSERT_TRUE(test::PumpUntil([&] { return test::HasFocusIn(picker); }))
            << "the field never had the keyboard";
    }

    // Replaces the field's text by typing, then ends the entry with Tab.
    void TypeInto(wxDatePickerCtrl* picker, const char* text) {
        FocusField(picker);
        test::RealKey('A', wxMOD_CONTROL);
        test::RealType(text);
        test::RealKey(WXK_TAB);
        EXPECT_TRUE(test::PumpUntil([&] { return !test::HasFocusIn(picker); })) << "Tab stayed";
        test::ProcessEvents();
    }

    test::DataTree m_tree;
    test::MessageBoxRecorder m_messages;
    std::unique_ptr<CQZ8840ReporterDlg, test::DialogDeleter> m_dlg;
};

const wxDateTime kDec1(1, wxDateTime::Dec, 2026);
const wxDateTime kDec12(12, wxDateTime::Dec, 2026);

TEST_F(DateKeysTest, TypedStartDateIsTakenOnlyWholeAndWithinTheEndDate) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    Pick(dlg.EndPicker(), kDec12);
    Pick(dlg.StartPicker(), kDec1);
    ASSERT_EQ(DateCombo(dlg.StartPicker())->GetValue(), "12/01/2026")
        << "the keystrokes below assume this date format";

    const struct {
        const char* typed;
        wxDateTime start;  // the picker's date after the entry
    } cases[] = {
        // After the end date: every shorter year on the way ("12/20/202" is
        // year 202) was within it, yet none of them is the date.
        {"12/20/2026", kDec1},
        {"12/5/2026", wxDateTime(5, wxDateTime::Dec, 2026)},  // whole, no leading zero
        {"12/07/20", wxDateTime(5, wxDateTime::Dec, 2026)},   // left unfinished
        {"12/07/2026", wxDateTime(7, wxDateTime::Dec, 2026)},
        {"12/12/2026", kDec12},  // the end date itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        TypeInto(dlg.StartPicker(), c.typed);
        EXPECT_EQ(dlg.StartPicker()->GetValue(), c.start);
        EXPECT_EQ(DateCombo(dlg.StartPicker())->GetValue(), Shown(c.start));
        EXPECT_EQ(Limit(dlg.EndPicker(), false), c.start);
        EXPECT_EQ(Limit(dlg.StartPicker(), true), kDec12);
    }
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(DateKeysTest, TypedEndDateIsTakenOnlyWholeAndFromTheStartDate) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    Pick(dlg.EndPicker(), kDec12);
    Pick(dlg.StartPicker(), kDec1);
    const wxDateTime jan5(5, wxDateTime::Jan, 2027);

    const struct {
        const char* typed;
        wxDateTime end;
    } cases[] = {
        {"11/30/2026", kDec12},  // before the start date
        {"1/5/2027", jan5},      // whole, no leading zero
        {"01/31/2", jan5},       // left unfinished
        {"12/01/2026", kDec1},   // the start date itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        TypeInto(dlg.EndPicker(), c.typed);
        EXPECT_EQ(dlg.EndPicker()->GetValue(), c.end);
        EXPECT_EQ(DateCombo(dlg.EndPicker())->GetValue(), Shown(c.end));
        EXPECT_EQ(Limit(dlg.StartPicker(), true), c.end);
        EXPECT_EQ(Limit(dlg.EndPicker(), false), kDec1);
    }
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(DateKeysTest, OpenCalendarTakesEnterAndEscapeBeforeTheDialog) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    Pick(dlg.EndPicker(), kDec12);
    Pick(dlg.StartPicker(), kDec1);
    wxComboCtrl* combo = DateCombo(dlg.StartPicker());
    ASSERT_NE(combo, nullptr);
    FocusField(dlg.StartPicker());

    // Open, a week on, Enter: the calendar's date is picked and limits the end.
    const wxDateTime dec8(8, wxDateTime::Dec, 2026);
    test::RealKey(WXK_DOWN, wxMOD_ALT);
    ASSERT_TRUE(test::PumpUntil([&] { return combo->IsPopupShown(); })) << "no calendar";
    test::RealKey(WXK_DOWN);
    test::RealKey(WXK_RETURN);
    EXPECT_TRUE(test::PumpUntil([&] { return !combo->IsPopupShown(); }));
    EXPECT_TRUE(dlg.IsShown()) << "Enter reached the dialog";
    EXPECT_EQ(dlg.StartPicker()->GetValue(), dec8);
    EXPECT_EQ(Limit(dlg.EndPicker(), false), dec8);

    // Open again, Escape: only the calendar closes.
    test::RealKey(WXK_DOWN, wxMOD_ALT);
    ASSERT_TRUE(test::PumpUntil([&] { return combo->IsPopupShown(); }));
    test::RealKey(WXK_ESCAPE);
    EXPECT_TRUE(test::PumpUntil([&] { return !combo->IsPopupShown(); }))
        << "Escape left the calendar open";
    EXPECT_TRUE(dlg.IsShown());
    EXPECT_EQ(dlg.StartPicker()->GetValue(), dec8);

    // Closed, Enter stays with the field: the dialog stays open.
    test::RealKey(WXK_RETURN);
    test::ProcessEvents();
    EXPECT_TRUE(dlg.IsShown());
    EXPECT_EQ(dlg.StartPicker()->GetValue(), dec8);
}

}  // namespace
}  // namespace qz

#endif  // wxHAS_NATIVE_DATEPICKCTRL
