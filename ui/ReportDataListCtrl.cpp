#include "ui/ReportDataListCtrl.h"

#include <wx/settings.h>
#include <wx/utils.h>

#include "ui/ListLayoutTrace.h"
#include "ui/TextConvert.h"

namespace qz {

const char* const g_listColumnTitles[4] = {
    "Machine Name",
    "File Name",
    "Machine ID",
    "Customer Name",
};

wxIMPLEMENT_DYNAMIC_CLASS(CReportDataListCtrl, wxDataViewListCtrl);

CReportDataListCtrl::CReportDataListCtrl() {
    BindKeys();
}

CReportDataListCtrl::CReportDataListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                         const wxSize& size, long style)
    : wxDataViewListCtrl(parent, id, pos, size, style) {
    BindKeys();
}

void CReportDataListCtrl::BindKeys() {
    // The key reaches the list before the dialog and the native list view.
    Bind(wxEVT_CHAR_HOOK, &CReportDataListCtrl::OnCharHook, this);
    Bind(wxEVT_DATAVIEW_ITEM_ACTIVATED, &CReportDataListCtrl::OnItemActivated, this);
    // Traced once the size's layout and the rows' filling are done.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter([this] { TraceListLayout(*this, kCheckColumn, kTextColumn); });
    });
}

void CReportDataListCtrl::InitList(int kind) {
    // The columns take their widths once shown: reckon with the set ones.
    const int checkWidth = wxDVC_TOGGLE_DEFAULT_WIDTH;
    AppendToggleColumn(wxString(), wxDATAVIEW_CELL_ACTIVATABLE, checkWidth, wxALIGN_CENTER, 0);
    const int rest = GetClientSize().GetWidth() - checkWidth -
                     wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
    AppendTextColumn(FromUtf8(g_listColumnTitles[kind]), wxDATAVIEW_CELL_INERT,
                     rest > 0 ? rest : wxCOL_WIDTH_AUTOSIZE, wxALIGN_LEFT,
                     wxDATAVIEW_COL_RESIZABLE);
    // Where the list is wx's generic one (MSW), its header and row windows
    // are placed only by a size event; a list laid out without a sizer gets
    // none after creation, and both would stay 20 x 20 at its top left.
    SendSizeEvent();
}

long CReportDataListCtrl::InsertRow(long index, std::string_view bytes) {
    if (index < 0 || index > GetItemCount())
        return -1;
    m_rowBytes.push_back(std::make_unique<std::string>(bytes));
    wxVector<wxVariant> values;
    values.push_back(wxVariant(false));
    values.push_back(wxVariant(ToDisplayText(bytes)));
    InsertItem(static_cast<unsigned>(index), values,
               reinterpret_cast<wxUIntPtr>(m_rowBytes.back().get()));
    return index;
}

const std::string& CReportDataListCtrl::GetRowBytes(long index) const {
    static const std::string kNone;
    if (index < 0 || index >= GetItemCount())
        return kNone;
    const auto* bytes =
        reinterpret_cast<const std::string*>(GetItemData(RowToItem(static_cast<int>(index))));
    return bytes ? *bytes : kNone;
}

wxString CReportDataListCtrl::GetItemText(long index) const {
    if (index < 0 || index >= GetItemCount())
        return wxString();
    return GetTextValue(static_cast<unsigned>(index), kTextColumn);
}

void CReportDataListCtrl::SetItemText(long index, const wxString& text) {
    if (index >= 0 && index < GetItemCount())
        SetTextValue(text, static_cast<unsigned>(index), kTextColumn);
}

bool CReportDataListCtrl::GetCheck(long index) const {
    return index >= 0 && index < GetItemCount() &&
           GetToggleValue(static_cast<unsigned>(index), kCheckColumn);
}

void CReportDataListCtrl::SetCheck(long index, bool check) {
    if (index < 0 || index >= GetItemCount())
        return;
    const auto row = static_cast<unsigned>(index);
    GetStore()->SetValueByRow(wxVariant(check), row, kCheckColumn);
    // The whole row changed, not one value: a native list view tells
    // assistive technology of it only then.
    GetStore()->RowChanged(row);
}

void CReportDataListCtrl::CollectItems(std::vector<int>& out, bool checked) const {
    out.clear();
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        if (GetCheck(i) == checked)
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

void CReportDataListCtrl::ToggleSelectedChecks() {
    std::vector<int> rows;
    for (int i = 0, n = GetItemCount(); i < n; ++i) {
        if (IsRowSelected(static_cast<unsigned>(i)))
            rows.push_back(i);
    }
    int current = ItemToRow(GetCurrentItem());
    if (rows.empty() && current != wxNOT_FOUND)
        rows.push_back(current);
    if (rows.empty())
        return;
    if (current == wxNOT_FOUND || !IsRowSelected(static_cast<unsigned>(current)))
        current = rows.front();
    const bool check = !GetCheck(current);
    for (const int row : rows)
        SetCheck(row, check);
}

void CReportDataListCtrl::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE && !event.HasAnyModifiers()) {
        ToggleSelectedChecks();
        return;  // neither the dialog nor the native list sees it
    }
    event.Skip();
}

// A row is activated by a double click on it, which toggles its check box as
// the platform's check lists do, and by the toggle action of its check box that
// assistive technology offers. A double click on the check box itself has
// toggled it twice already, click by click.
void CReportDataListCtrl::OnItemActivated(wxDataViewEvent& event) {
    const int row = ItemToRow(event.GetItem());
    if (row == wxNOT_FOUND)
        return;
    const wxDataViewColumn* column = event.GetDataViewColumn();
    const bool onCheckBox = column && column == GetColumn(kCheckColumn);
    if (onCheckBox && wxGetMouseState().LeftIsDown())
        return;
    SetCheck(row, !GetCheck(row));
}

}  // namespace qz
