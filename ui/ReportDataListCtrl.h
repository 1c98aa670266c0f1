#pragma once
// The one-column check list used by every list of the program: the machine list
// of the main dialog and the three filter lists of the option dialog.
//
// Rows are identified by their 0-based index and stand in insertion order. Each
// row keeps the exact bytes it was inserted with (InsertRow), since its shown
// text is only a display form of them (ToDisplayText).
//
// A native list view (GTK's tree view where there is one): a check-box column
// before the text column, so that assistive technology reads every row's text
// and checked state as the toolkit's own list would. Space toggles the check
// boxes of the selected rows; clicking a check box, double-clicking a row and
// the check box's accessible toggle action toggle that row's.
//
// Dialog layouts create it with <object class="wxDataViewListCtrl" subclass=
// "CReportDataListCtrl">; the owning dialog calls InitList once. UI thread only.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <wx/dataview.h>

namespace qz {

// Column titles by column kind: 0 "Machine Name", 1 "File Name", 2 "Machine ID",
// 3 "Customer Name".
extern const char* const g_listColumnTitles[4];

class CReportDataListCtrl : public wxDataViewListCtrl {
  public:
    static constexpr unsigned kCheckColumn = 0;
    static constexpr unsigned kTextColumn = 1;

    CReportDataListCtrl();
    CReportDataListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxDefaultSize,
                        long style = wxDV_MULTIPLE | wxBORDER_SUNKEN);

    // The check-box column, then one left-aligned text column titled
    // g_listColumnTitles[kind] filling the rest of the client area.
    void InitList(int kind);

    // Inserts a row at index showing bytes, unchecked; returns its index.
    long InsertRow(long index, std::string_view bytes);
    // The bytes row index was inserted with.
    const std::string& GetRowBytes(long index) const;
    // The text row index shows.
    wxString GetItemText(long index) const;
    void SetItemText(long index, const wxString& text);

    bool GetCheck(long index) const;
    // Sets or clears a row's check box; an index outside the list is ignored.
    void SetCheck(long index, bool check = true);

    // Empty out, then the indices of the checked (unchecked) rows, ascending.
    void GetCheckedItems(std::vector<int>& out) const;
    void GetUncheckedItems(std::vector<int>& out) const;

    // True when the checked rows differ from those at the last change found
    // here (by index only); the new set is then kept for the next call.
    bool IsCheckChanged();

    // Space: the selected rows (else the current row) all take the state
    // opposite to the current row's (else the first selected row's).
    void ToggleSelectedChecks();

    std::vector<int> m_lastCheckedItems;

  private:
    void BindKeys();
    void OnCharHook(wxKeyEvent& event);
    void OnItemActivated(wxDataViewEvent& event);
    void CollectItems(std::vector<int>& out, bool checked) const;

    // Row bytes live here; each row's item data points at its entry, so the
    // link survives inserting in the middle.
    std::vector<std::unique_ptr<std::string>> m_rowBytes;

    wxDECLARE_DYNAMIC_CLASS(CReportDataListCtrl);
};

}  // namespace qz
