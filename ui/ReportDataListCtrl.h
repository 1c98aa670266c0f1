#pragma once
// The one-column check list used by every list of the program: the machine list
// of the main dialog and the three filter lists of the option dialog.
//
// Rows are identified by their 0-based index and stand in insertion order. Each
// row keeps the exact bytes it was inserted with (InsertRow), since its shown
// text is only a display form of them (ToDisplayText).
//
// Dialog layouts create it with <object class="wxListCtrl" subclass=
// "CReportDataListCtrl"> in report view; the owning dialog calls InitList once.
// UI thread only.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <wx/listctrl.h>

namespace qz {

// Column titles by column kind: 0 "Machine Name", 1 "File Name", 2 "Machine ID",
// 3 "Cable Number", 4 "Customer Name".
extern const char* const g_listColumnTitles[5];

class CReportDataListCtrl : public wxListCtrl {
  public:
    CReportDataListCtrl() = default;
    CReportDataListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxDefaultSize,
                        long style = wxLC_REPORT | wxBORDER_SUNKEN);

    // Check boxes on, one left-aligned column titled g_listColumnTitles[kind],
    // as wide as the client area.
    void InitList(int kind);

    // Inserts a row at index showing bytes; returns its index.
    long InsertRow(long index, std::string_view bytes);
    // The bytes row index was inserted with.
    const std::string& GetRowBytes(long index) const;

    bool GetCheck(long index) const { return IsItemChecked(index); }
    // Sets or clears a row's check box; an index outside the list is ignored.
    void SetCheck(long index, bool check = true);

    // Empty out, then the indices of the checked (unchecked) rows, ascending.
    void GetCheckedItems(std::vector<int>& out) const;
    void GetUncheckedItems(std::vector<int>& out) const;

    // True when the checked rows differ from those at the last change found
    // here (by index only); the new set is then kept for the next call.
    bool IsCheckChanged();

    int m_nColumnKind = 0;
    std::vector<int> m_lastCheckedItems;

  private:
    void CollectItems(std::vector<int>& out, bool checked) const;

    // Row bytes live here; each row's item data points at its entry, so the
    // link survives inserting in the middle.
    std::vector<std::unique_ptr<std::string>> m_rowBytes;

    wxDECLARE_DYNAMIC_CLASS(CReportDataListCtrl);
};

}  // namespace qz
