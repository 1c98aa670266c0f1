#pragma once
// A check list of the option dialog with its search field. The rows live
// here; the list shows those whose text holds what the search field holds
// (any case), and a row keeps its check while it is hidden. "Only these"
// checks the selected rows shown and unchecks all others, hidden ones too;
// checking all reaches the hidden rows as well. Typing in the list jumps to
// the first row shown whose text starts with what was typed.
//
// The list control and the search field belong to the dialog's layout; this
// object binds to them and must go before they do. UI thread only.

#include <cstddef>
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/string.h>

class wxKeyEvent;
class wxCommandEvent;
class wxSearchCtrl;

namespace qz {

class CReportDataListCtrl;

class FilteredCheckList {
  public:
    struct Row {
        std::string value;  // what the filter holds
        std::string text;   // what the row shows (bytes)
        bool checked = true;
    };

    FilteredCheckList(CReportDataListCtrl* list, wxSearchCtrl* search);
    ~FilteredCheckList();
    FilteredCheckList(const FilteredCheckList&) = delete;
    FilteredCheckList& operator=(const FilteredCheckList&) = delete;

    CReportDataListCtrl* List() const { return m_list; }
    wxSearchCtrl* Search() const { return m_search; }

    // Replaces every row; the search field's text still narrows them.
    void SetRows(std::vector<Row> rows);
    // Shows the rows whose text holds filter (empty: all rows).
    void SetFilter(const wxString& filter);

    void CheckAll();
    void CheckOnlySelected();
    // Moves the selection to the first row shown that starts with prefix
    // (any case); false when none does.
    bool JumpTo(const wxString& prefix);

    // Over all rows, hidden ones included, with the checks the list shows.
    bool HasCheckedRow();
    std::vector<std::string> UncheckedValues();

  private:
    // The checks of the rows shown, as the operator left them, into m_rows.
    void TakeChecksFromList();
    void ShowRows();
    void OnSearchText(wxCommandEvent& event);
    void OnListKey(wxKeyEvent& event);

    CReportDataListCtrl* m_list;
    wxSearchCtrl* m_search;
    std::vector<Row> m_rows;
    wxString m_filter;
    std::vector<std::size_t> m_shown;  // row of m_rows behind each list row
    wxString m_typed;                  // the keys typed into the list so far
    wxDateTime m_lastTyped;
};

}  // namespace qz
