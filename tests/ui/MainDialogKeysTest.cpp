// The main dialog under the operator's own keys and clicks (XTest through the
// X server): no key ends it, Tab follows the screen, the common date ranges,
// the line on what the reports leave out, and resizing.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combo.h>
#include <wx/modalhook.h>
#include <wx/xrc/xmlres.h>

#include "tests/support/RecordText.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/DateRangePresets.h"
#include "ui/OptionDlg.h"
#include "ui/QZ8840ReporterDlg.h"

namespace qz {
namespace {

std::vector<int> Checked(const CReportDataListCtrl& list) {
    std::vector<int> rows;
    list.GetCheckedItems(rows);
    return rows;
}

wxDateTime Limit(const wxDatePickerCtrl* picker, bool upper) {
    wxDateTime lower, higher;
    picker->GetRange(&lower, &higher);
    return upper ? higher : lower;
}

// Lets every dialog run for real (the option scan's progress dialog ends by
// itself) and plays the operator in the option dialog once its loop runs.
class OptionPlayer : public wxModalDialogHook {
  public:
    OptionPlayer() { Register(); }
    ~OptionPlayer() override { Unregister(); }

    std::function<void(COptionDlg&)> play;

  protected:
    int Enter(wxDialog* dlg) override {
        if (auto* option = dynamic_cast<COptionDlg*>(dlg)) {
            option->CallAfter([this, option] {
                play(*option);
                if (option->IsModal()) {
                    ADD_FAILURE() << "the option dialog is still open";
                    option->EndModal(wxID_CANCEL);
                }
            });
        }
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
};

class MainDialogKeysTest : public ::testing::Test {
  protected:
    MainDialogKeysTest() {
        m_tree.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
        test::RecordFileText records;
        records.Append(test::RecordLine("2018/05/03 10:00:00", "SET_A", "0A1B", "WB-1", "OK"))
            .Append(test::RecordLine("2018/05/03 11:00:00", "SET_B", "ABCDE", "WB-2", "OK"));
        m_tree.Write("ReportData/M1/1.csv", records);
        m_tree.MakeDir("ReportData/M2");
        m_dlg.reset(new CQZ8840ReporterDlg(m_tree.Paths(), DateLocale::FromEnvironment()));
        m_dlg->Show();
        test::ProcessEvents();
        // The pointer over the dialog gives it the keyboard (no window
        // manager here).
        test::RealPointTo(m_dlg.get());
    }

    wxWindow* Control(const char* name) const { return m_dlg->FindWindow(XRCID(name)); }

    // Puts the focus on window as a click would; false when it never got it.
    bool FocusOn(wxWindow* window) {
        window->SetFocus();
        return test::PumpUntil([&] { return test::HasFocusIn(window); });
    }

    test::DataTree m_tree;
    test::MessageBoxRecorder m_messages;
    std::unique_ptr<CQZ8840ReporterDlg, test::DialogDeleter> m_dlg;
};

TEST_F(MainDialogKeysTest, EnterInEveryControlLeavesTheDialogOpen) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    // None checked: Option and Generate Report answer with a message only.
    dlg.OnBnClickedReset();
    const struct {
        wxWindow* control;
        std::vector<std::string> messages;  // what the Enter gives
    } cases[] = {
        {dlg.MachineList(), {}},
        {Control("IDC_BTN_RESET"), {}},
        {dlg.StartPicker(), {}},
        {dlg.EndPicker(), {}},
        {Control("IDC_BTN_RANGE_TODAY"), {}},
        {Control("IDC_BTN_OPTION"), {"No \"Machine (platform)\" is selected"}},
        {Control("IDC_BTN_GENERATE_REPORT"), {"No \"Machine (platform)\" is selected"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control->GetName().utf8_string());
        const std::size_t before = m_messages.texts().size();
        ASSERT_TRUE(FocusOn(c.control));
        test::RealKey(WXK_RETURN);
        test::ProcessEvents();
        EXPECT_TRUE(dlg.IsShown()) << "Enter ended the dialog";
        const std::vector<std::string> texts = m_messages.texts();
        EXPECT_EQ(std::vector<std::string>(texts.begin() + static_cast<long>(before), texts.end()),
                  c.messages);
    }

    // A focused button takes Enter as a click.
    ASSERT_TRUE(FocusOn(Control("IDC_BTN_SELECT_ALL")));
    test::RealKey(WXK_RETURN);
    EXPECT_TRUE(test::PumpUntil([&] { return Checked(*dlg.MachineList()).size() == 2; }));
    EXPECT_TRUE(dlg.IsShown());

    // The close box still ends it.
    dlg.Close();
    EXPECT_FALSE(dlg.IsShown());
}

TEST_F(MainDialogKeysTest, EnterInADateFieldTakesTheTypedDate) {
#ifndef wxHAS_NATIVE_DATEPICKCTRL
    CQZ8840ReporterDlg& dlg = *m_dlg;
    dlg.EndPicker()->SetValue(wxDateTime(31, wxDateTime::Dec, 2026));
    ASSERT_TRUE(FocusOn(dlg.StartPicker()));
    test::RealKey('A', wxMOD_CONTROL);
    test::RealType("3/4/2026");
    test::RealKey(WXK_RETURN);
    const wxDateTime mar4(4, wxDateTime::Mar, 2026);
    EXPECT_TRUE(test::PumpUntil([&] { return Limit(dlg.EndPicker(), false) == mar4; }));
    EXPECT_EQ(dlg.StartPicker()->GetValue(), mar4);
    EXPECT_TRUE(test::HasFocusIn(dlg.StartPicker())) << "Enter left the field";
    EXPECT_TRUE(dlg.IsShown());
#else
    GTEST_SKIP() << "a native picker has no typed-date field";
#endif
}

TEST_F(MainDialogKeysTest, TabFollowsTheScreen) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    const std::vector<wxWindow*> order = {
        dlg.MachineList(),
        Control("IDC_BTN_RESET"),
        Control("IDC_BTN_SELECT_ALL"),
        dlg.StartPicker(),
        dlg.EndPicker(),
        Control("IDC_BTN_RANGE_TODAY"),
        Control("IDC_BTN_RANGE_YESTERDAY"),
        Control("IDC_BTN_RANGE_LAST_7_DAYS"),
        Control("IDC_BTN_RANGE_THIS_MONTH"),
        Control("IDC_BTN_RANGE_LAST_MONTH"),
        Control("IDC_BTN_OPTION"),
        Control("IDC_BTN_GENERATE_REPORT"),
    };
    ASSERT_TRUE(FocusOn(order.front()));
    for (std::size_t i = 1; i < order.size(); ++i) {
        SCOPED_TRACE(order[i]->GetName().utf8_string());
        test::RealKey(WXK_TAB);
        EXPECT_TRUE(test::PumpUntil([&] { return test::HasFocusIn(order[i]); }))
            << "Tab went elsewhere";
    }
}

TEST(DateRangePresetTest, RangesFromToday) {
    using Month = wxDateTime::Month;
    const auto day = [](wxDateTime::wxDateTime_t d, Month m, int y) { return wxDateTime(d, m, y); };
    const struct {
        DateRangePreset preset;
        wxDateTime today;
        wxDateTime first;
        wxDateTime last;
    } cases[] = {
        {DateRangePreset::Today, wxDateTime(15, wxDateTime::Jan, 2025, 17, 45),
         day(15, wxDateTime::Jan, 2025), day(15, wxDateTime::Jan, 2025)},
        {DateRangePreset::Yesterday, day(1, wxDateTime::Jan, 2025), day(31, wxDateTime::Dec, 2024),
         day(31, wxDateTime::Dec, 2024)},
        {DateRangePreset::Last7Days, day(3, wxDateTime::Mar, 2024), day(26, wxDateTime::Feb, 2024),
         day(3, wxDateTime::Mar, 2024)},
        {DateRangePreset::ThisMonth, day(10, wxDateTime::Feb, 2024), day(1, wxDateTime::Feb, 2024),
         day(29, wxDateTime::Feb, 2024)},
        {DateRangePreset::LastMonth, day(31, wxDateTime::Mar, 2023), day(1, wxDateTime::Feb, 2023),
         day(28, wxDateTime::Feb, 2023)},
        {DateRangePreset::LastMonth, day(5, wxDateTime::Jan, 2025), day(1, wxDateTime::Dec, 2024),
         day(31, wxDateTime::Dec, 2024)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(PresetLabel(c.preset)) + " on " +
                     c.today.FormatISODate().utf8_string());
        const DayRange range = PresetRange(c.preset, c.today);
        EXPECT_EQ(range.first, c.first);
        EXPECT_EQ(range.last, c.last);
    }
}

TEST_F(MainDialogKeysTest, CommonRangesSetBothPickersAsIfPicked) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    const struct {
        const char* button;
        DateRangePreset preset;
    } cases[] = {
        {"IDC_BTN_RANGE_LAST_MONTH", DateRangePreset::LastMonth},
        {"IDC_BTN_RANGE_TODAY", DateRangePreset::Today},
        {"IDC_BTN_RANGE_LAST_7_DAYS", DateRangePreset::Last7Days},
        {"IDC_BTN_RANGE_YESTERDAY", DateRangePreset::Yesterday},
        {"IDC_BTN_RANGE_THIS_MONTH", DateRangePreset::ThisMonth},
    };
    // Limits from an earlier pick that the first range lies outside of.
    dlg.StartPicker()->SetRange(wxInvalidDateTime, wxDateTime(1, wxDateTime::Jan, 2000));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        wxWindow* button = Control(c.button);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetLabel(), PresetLabel(c.preset));
        ASSERT_TRUE(FocusOn(button));
        test::RealKey(WXK_SPACE);
        const DayRange range = PresetRange(c.preset, wxDateTime::Today());
        EXPECT_TRUE(test::PumpUntil([&] {
            return dlg.StartPicker()->GetValue() == range.first &&
                   dlg.EndPicker()->GetValue() == range.last;
        }));
        // Each limits the other, as a pick does.
        EXPECT_EQ(Limit(dlg.EndPicker(), false), range.first);
        EXPECT_EQ(Limit(dlg.StartPicker(), true), range.last);
        EXPECT_FALSE(Limit(dlg.EndPicker(), true).IsValid());
    }
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(MainDialogKeysTest, ExclusionLineAfterOptionOkAndAfterClearing) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    wxStaticText* line = dlg.ExclusionLabel();
    wxWindow* clear = Control("IDC_BTN_CLEAR_EXCLUSIONS");
    EXPECT_FALSE(line->IsShown());
    EXPECT_FALSE(clear->IsShown());

    // In the option dialog: jump to the customer ABCDE by typing, Space
    // unchecks it; in the setting files, "SET_B" likewise; Enter is OK.
    OptionPlayer player;
    player.play = [](COptionDlg& option) {
        test::RealPointTo(&option);
        ASSERT_TRUE(test::PumpUntil([&] { return test::HasFocusIn(option.CustomerList()); }));
        test::RealType("ab");
        test::RealKey(WXK_SPACE);
        option.SettingFileList()->SetFocus();
        ASSERT_TRUE(test::PumpUntil([&] { return test::HasFocusIn(option.SettingFileList()); }));
        test::RealType("set_b");
        test::RealKey(WXK_SPACE);
        test::RealKey(WXK_RETURN);
        test::PumpUntil([&] { return !option.IsModal(); });
    };
    ASSERT_TRUE(FocusOn(Control("IDC_BTN_OPTION")));
    test::RealKey(WXK_RETURN);
    ASSERT_TRUE(test::PumpUntil([&] { return line->IsShown(); })) << "no exclusion line";

    EXPECT_EQ(line->GetLabel(), "Leaving out: 1 setting file, 1 customer");
    EXPECT_EQ(line->GetToolTipText(), "Setting files: SET_B\nCustomers: ABCDE_Unknown");
    EXPECT_TRUE(clear->IsShown());
    EXPECT_EQ(dlg.ExcludedValues().customers.Size(), 1u);

    ASSERT_TRUE(FocusOn(clear));
    test::RealKey(WXK_SPACE);
    EXPECT_TRUE(test::PumpUntil([&] { return !line->IsShown(); }));
    EXPECT_FALSE(clear->IsShown());
    EXPECT_TRUE(dlg.ExcludedValues().IsEmpty());
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(MainDialogKeysTest, MachineListGrowsWithTheDialogAndShowsLongNamesWhole) {
    CQZ8840ReporterDlg& dlg = *m_dlg;
    const wxSize listBefore = dlg.MachineList()->GetSize();
    const wxSize dialogBefore = dlg.GetSize();

    dlg.SetSize(dialogBefore + wxSize(300, 200));
    ASSERT_TRUE(test::PumpUntil([&] { return dlg.MachineList()->GetSize() != listBefore; }));
    EXPECT_EQ(dlg.MachineList()->GetSize(), listBefore + wxSize(300, 200));
    EXPECT_EQ(dlg.Banner()->GetRect(), wxRect(0, 0, dlg.GetClientSize().x, 60));

    // Not smaller than it opened.
    dlg.SetSize(wxSize(100, 100));
    test::ProcessEvents();
    EXPECT_GE(dlg.GetSize().x, dialogBefore.x);
    EXPECT_GE(dlg.GetSize().y, dialogBefore.y);
}

}  // namespace
}  // namespace qz
