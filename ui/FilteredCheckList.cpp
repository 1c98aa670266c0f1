#include "ui/FilteredCheckList.h"

#include <utility>

#include <wx/srchctrl.h>

#include "ui/ReportDataListCtrl.h"
#include "ui/TextColumnFit.h"
#include "ui/TextConvert.h"

namespace qz {

namespace {

// Keys typed further apart than this start a new jump.
constexpr long kTypingPauseMs = 1000;

bool Matches(const wxString& text, const wxString& filter) {
    return filter.empty() || text.Lower().Contains(filter.Lower());
}

}  // namespace

FilteredCheckList::FilteredCheckList(CReportDataListCtrl* list, wxSearchCtrl* search)
    : m_list(list), m_search(search) {
    m_search->Bind(wxEVT_TEXT, &FilteredCheckList::OnSearchText, this);
    // The typed characters go to the window that holds the rows (the list
    // itself on GTK, a window inside it in wx's generic list).
    m_list->GetMainWindow()->Bind(wxEVT_CHAR, &FilteredCheckList::OnListKey, this);
}

FilteredCheckList::~FilteredCheckList() {
    m_search->Unbind(wxEVT_TEXT, &FilteredCheckList::OnSearchText, this);
    m_list->GetMainWindow()->Unbind(wxEVT_CHAR, &FilteredCheckList::OnListKey, this);
}

void FilteredCheckList::SetRows(std::vector<Row> rows) {
    m_rows = std::move(rows);
    ShowRows();
}

void FilteredCheckList::SetFilter(const wxString& filter) {
    TakeChecksFromList();
    m_filter = filter;
    ShowRows();
}

void FilteredCheckList::OnSearchText(wxCommandEvent& event) {
    SetFilter(event.GetString());
}

void FilteredCheckList::TakeChecksFromList() {
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        m_rows[m_shown[i]].checked = m_list->GetCheck(static_cast<long>(i));
}

void FilteredCheckList::ShowRows() {
    m_list->DeleteAllItems();
    m_shown.clear();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!Matches(ToDisplayText(m_rows[i].text), m_filter))
            continue;
        const long row = m_list->InsertRow(static_cast<long>(m_shown.size()), m_rows[i].text);
        m_list->SetCheck(row, m_rows[i].checked);
        m_shown.push_back(i);
    }
    FitTextColumn(*m_list);
}

void FilteredCheckList::CheckAll() {
    for (Row& row : m_rows)
        row.checked = true;
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        m_list->SetCheck(static_cast<long>(i), true);
}

void FilteredCheckList::CheckOnlySelected() {
    std::vector<long> selected;
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        if (m_list->IsRowSelected(static_cast<unsigned>(i)))
            selected.push_back(static_cast<long>(i));
    }
    if (selected.empty())
        return;  // nothing to keep: leave the checks alone
    for (Row& row : m_rows)
        row.checked = false;
    for (std::size_t i = 0; i < m_shown.size(); ++i)
        m_list->SetCheck(static_cast<long>(i), false);
    for (const long i : selected) {
        m_rows[m_shown[static_cast<std::size_t>(i)]].checked = true;
        m_list->SetCheck(i, true);
    }
}

bool FilteredCheckList::JumpTo(const wxString& prefix) {
    const wxString wanted = prefix.Lower();
    for (std::size_t i = 0; i < m_shown.size(); ++i) {
        if (!m_list->GetItemText(static_cast<long>(i)).Lower().StartsWith(wanted))
            continue;
        const wxDataViewItem item = m_list->RowToItem(static_cast<int>(i));
        m_list->UnselectAll();
        m_list->Select(item);
        m_list->SetCurrentItem(item);
        m_list->EnsureVisible(item);
        return true;
    }
    return false;
}

void FilteredCheckList::OnListKey(wxKeyEvent& event) {
    const wxChar c = event.GetUnicodeKey();
    // Space toggles checks and the control keys move: the list's own.
    if (c == WXK_NONE || c <= ' ' || c == WXK_DELETE ||
        (event.GetModifiers() & ~wxMOD_SHIFT) != 0) {
        event.Skip();
        return;
    }
    const wxDateTime now = wxDateTime::UNow();
    if (!m_lastTyped.IsValid() || (now - m_lastTyped).GetMilliseconds() > kTypingPauseMs)
        m_typed.clear();
    m_lastTyped = now;
    m_typed += c;
    JumpTo(m_typed);
}

bool FilteredCheckList::HasCheckedRow() {
    TakeChecksFromList();
    for (const Row& row : m_rows) {
        if (row.checked)
            return true;
    }
    return false;
}

std::vector<std::string> FilteredCheckList::UncheckedValues() {
    TakeChecksFromList();
    std::vector<std::string> values;
    for (const Row& row : m_rows) {
        if (!row.checked)
            values.push_back(row.value);
    }
    return values;
}

}  // namespace qz
