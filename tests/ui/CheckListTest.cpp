#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>

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

TEST_F(CheckListTest, InitListSetsKindTitleAndFullWidthColumn) {
    const char* const titles[] = {"Machine Name", "File Name", "Machine ID", "Cable Number",
                                  "Customer Name"};
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(kind);
        auto* list =
            new CReportDataListCtrl(m_frame, wxID_ANY, wxDefaultPosition, wxSize(250, 120));
        list->InitList(kind);
        EXPECT_EQ(list->m_nColumnKind, kind);
        EXPECT_TRUE(list->HasCheckBoxes());
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        ASSERT_TRUE(list->GetColumn(0, column));
        EXPECT_EQ(column.GetText(), titles[kind]);
        EXPECT_EQ(list->GetColumnWidth(0), list->GetClientSize().x);
        list->Destroy();
    }
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
    m_list->InitList(4);
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

}  // namespace
}  // namespace qz
