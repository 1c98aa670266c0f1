#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>

#include "tests/ui/UiTestSupport.h"
#include "ui/ReportDataListCtrl.h"

namespace qz {
namespace {

class CheckListTest : public ::testing::Test {
  protected:
    CheckListTest()
        : m_frame(new wxFrame(nullptr, wxID_ANY, "lists")),
          m_list(new CReportDataListCtrl(m_frame, wxID_ANY, wxDefaultPosition, wxSize(300, 200))) {}
    ~CheckListTest() override { delete m_frame; }

    void AddRows(std::initializer_list<const char*> rows) {
        for (const char* row : rows)
            m_list->InsertRow(m_list->GetItemCount(), row);
    }
    std::vector<int> Checked() const {
        std::vector<int> out{99};  // must be emptied first
        m_list->GetCheckedItems(out);
        return out;
    }
    std::vector<int> Unchecked() const {
        std::vector<int> out{99};
        m_list->GetUncheckedItems(out);
        return out;
    }

    wxFrame* m_frame;
    CReportDataListCtrl* m_list;
};

TEST_F(CheckListTest, InitListSetsKindTitleAndFullWidthColumns) {
    const char* const titles[] = {"Machine Name", "File Name", "Machine ID", "Customer Name"};
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        auto* list =
            new CReportDataListCtrl(m_frame, wxID_ANY, wxDefaultPosition, wxSize(250, 120));
        list->InitList(kind);
        m_frame->Show();
        ASSERT_EQ(list->GetColumnCount(), 2u);
        wxDataViewColumn* check = list->GetColumn(CReportDataListCtrl::kCheckColumn);
        wxDataViewColumn* text = list->GetColumn(CReportDataListCtrl::kTextColumn);
        EXPECT_TRUE(wxDynamicCast(check->GetRenderer(), wxDataViewToggleRenderer));
        EXPECT_EQ(text->GetTitle(), titles[kind]);
        // Both columns fill the client area but for a vertical scroll bar.
        test::PumpUntil([&] { return text->GetWidth() > 0; });
        const int width = list->GetClientSize().x;
        EXPECT_LE(check->GetWidth() + text->GetWidth(), width);
        EXPECT_GE(check->GetWidth() + text->GetWidth(), width - 30);
        list->Destroy();
    }
    m_frame->Hide();
}

TEST_F(CheckListTest, CheckedAndUncheckedRowsAscending) {
    m_list->InitList(1);
    EXPECT_TRUE(Checked().empty());
    EXPECT_TRUE(Unchecked().empty());

    AddRows({"a", "b", "c", "d"});
    m_list->SetCheck(3);
    m_list->SetCheck(1);
    m_list->SetCheck(7);  // outside the list: ignored
    EXPECT_EQ(Checked(), (std::vector<int>{1, 3}));
    EXPECT_EQ(Unchecked(), (std::vector<int>{0, 2}));
}

TEST_F(CheckListTest, IsCheckChangedComparesCheckedRowIndices) {
    m_list->InitList(0);
    EXPECT_FALSE(m_list->IsCheckChanged()) << "empty list";

    AddRows({"M1", "M2", "M3"});
    EXPECT_FALSE(m_list->IsCheckChanged()) << "nothing checked, nothing stored";

    m_list->SetCheck(0);
    EXPECT_TRUE(m_list->IsCheckChanged());
    EXPECT_FALSE(m_list->IsCheckChanged()) << "second call in a row";

    m_list->SetCheck(0, false);
    m_list->SetCheck(0, true);
    EXPECT_FALSE(m_list->IsCheckChanged()) << "unchecked and checked again";

    m_list->SetCheck(0, false);
    m_list->SetCheck(2, true);
    EXPECT_TRUE(m_list->IsCheckChanged()) << "swapped, same count";
    EXPECT_EQ(m_list->m_lastCheckedItems, std::vector<int>{2});

    // Only indices count: new texts at the same indices change nothing.
    m_list->SetItemText(2, "renamed");
    EXPECT_FALSE(m_list->IsCheckChanged());

    m_list->SetCheck(1, true);
    EXPECT_TRUE(m_list->IsCheckChanged()) << "one more";
    m_list->SetCheck(1, false);
    m_list->SetCheck(2, false);
    EXPECT_TRUE(m_list->IsCheckChanged()) << "none left";
    EXPECT_TRUE(m_list->m_lastCheckedItems.empty());
}

TEST_F(CheckListTest, RowsKeepTheirBytesBesideTheShownText) {
    m_list->InitList(3);
    const std::string latin1 = "Caf\xe9";
    const std::string utf8 = "Caf\xc3\xa9";
    m_list->InsertRow(0, latin1);
    m_list->InsertRow(1, utf8);
    m_list->InsertRow(0, "first");  // inserting in front moves the others

    EXPECT_EQ(m_list->GetRowBytes(0), "first");
    EXPECT_EQ(m_list->GetRowBytes(1), latin1);
    EXPECT_EQ(m_list->GetRowBytes(2), utf8);
    EXPECT_EQ(m_list->GetItemText(1), wxString(L"Caf\u00e9"));
    EXPECT_EQ(m_list->GetItemText(2), wxString(L"Caf\u00e9"));
}

TEST_F(CheckListTest, SpaceTogglesTheSelectedRowsChecks) {
    m_list->InitList(0);
    AddRows({"M1", "M2", "M3", "M4"});
    m_frame->Show();
    test::RealPointTo(m_list);  // the frame has the keyboard while the pointer is over it
    m_list->SetFocus();
    ASSERT_TRUE(test::PumpUntil([&] {
        for (const wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent()) {
            if (w == m_list)
                return true;
        }
        return false;
    })) << "the list never had the keyboard";

    const auto select = [this](std::initializer_list<int> rows, int current) {
        m_list->UnselectAll();
        for (const int row : rows)
            m_list->SelectRow(static_cast<unsigned>(row));
        m_list->SetCurrentItem(m_list->RowToItem(current));
        test::ProcessEvents();
    };

    select({1}, 1);
    test::RealKey(WXK_SPACE);
    EXPECT_EQ(Checked(), std::vector<int>{1}) << "one row";
    test::RealKey(WXK_SPACE);
    EXPECT_TRUE(Checked().empty()) << "and back";

    // Several rows take the state opposite to the current row's.
    m_list->SetCheck(2);
    select({0, 2, 3}, 3);
    test::RealKey(WXK_SPACE);
    EXPECT_EQ(Checked(), (std::vector<int>{0, 2, 3}));
    select({0, 1, 2}, 2);
    test::RealKey(WXK_SPACE);
    EXPECT_EQ(Checked(), std::vector<int>{3});
    EXPECT_EQ(m_list->GetSelectedItemsCount(), 3) << "Space leaves the selection as it is";
    m_frame->Hide();
}

}  // namespace
}  // namespace qz
