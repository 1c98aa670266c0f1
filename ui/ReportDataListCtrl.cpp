#include "ui/ReportDataListCtrl.h"

#include "ui/TextConvert.h"

namespace qz {

const char* const g_listColumnTitles[5] = {
    "Machine Name", "File Name", "Machine ID", "Cable Number", "Customer Name",
};

wxIMPLEMENT_DYNAMIC_CLASS(CReportDataListCtrl, wxListCtrl);

CReportDataListCtrl::CReportDataListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                         const wxSize& size, long style)
    : wxListCtrl(parent, id, pos, size, style) {}

void CReportDataListCtrl::InitList(int kind) {
    m_nColumnKind = kind;
    EnableCheckBoxes(true);
    InsertColumn(0, FromUtf8(g_listColumnTitles[kind]), wxLIST_FORMAT_LEFT);
    SetColumnWidth(0, GetClientSize().GetWidth());
}

long CReportDataListCtrl::InsertRow(long index, std::string_view bytes) {
    const long row = InsertItem(index, ToDisplayText(bytes));
    if (row >= 0) {
        m_rowBytes.push_back(std::make_unique<std::string>(bytes));
        SetItemPtrData(row, reinterpret_cast<wxUIntPtr>(m_rowBytes.back().get()));
    }
    return row;
}

const std::string& CReportDataListCtrl::GetRowBytes(long index) const {
    static const std::string kNone;
    const auto* bytes = reinterpret_cast<const std::string*>(GetItemData(index));
    return bytes ? *bytes : kNone;
}

void CReportDataListCtrl::SetCheck(long index, bool check) {
    if (index >= 0 && index < GetItemCount())
        CheckItem(index, check);
}

void CReportDataListCtrl::CollectItems(std::vector<int>& out, bool checked) const {
    out.clear();
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        if (IsItemChecked(i) == checked)
            out.push_back(i);
    }
}

void CReportDataListCtrl::GetCheckedItems(std::vector<int>& out) const {
    CollectItems(out, true);
}

void CReportDataListCtrl::GetUncheckedItems(std::vector<int>& out) const {
    CollectItems(out, false);
}

bool CReportDataListCtrl::IsCheckChanged() {
    std::vector<int> checked;
    GetCheckedItems(checked);
    if (checked == m_lastCheckedItems)
        return false;
    m_lastCheckedItems = std::move(checked);
    return true;
}

}  // namespace qz
