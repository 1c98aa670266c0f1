#pragma once
// The option dialog: three check lists of the values the last option scan
// found (Setting File, Machine (Write Board) ID, Customer). Rows start checked
// unless the operator left them unchecked at the last OK; OK replaces the
// excluded values with the unchecked ones, which a report leaves out. Cancel
// and the close box leave them as they are; Escape does not close the dialog.
//
// Each list has a search field that narrows the rows shown (a hidden row
// keeps its check), "Only these" and "Select All"; typing in a list jumps to
// a row. The dialog can be resized and the lists take the room. UI thread only.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>

#include "records/Dimension.h"
#include "records/OptionValues.h"
#include "report/CustomerList.h"
#include "ui/FilteredCheckList.h"
#include "ui/KeyRoute.h"

namespace qz {

class CReportDataListCtrl;

class COptionDlg : public wxDialog {
  public:
    // found: the values to list; customerNames: the names shown with the
    // customer codes; excluded: the values shown unchecked, replaced as a whole
    // on OK. All three must outlive the dialog.
    COptionDlg(wxWindow* parent, const OptionValues& found, const CustomerNames& customerNames,
               OptionValues& excluded);
    ~COptionDlg() override;

    bool OnInitDialog();
    void InitOptionLists();
    void OnBnClickedSelectAllSettingFile();
    void OnBnClickedSelectAllMachineId();
    void OnBnClickedSelectAllCustomer();
    // Validates the three lists, replaces the excluded values and closes
    // the dialog with OK; a list without a checked row (hidden rows count) is
    // reported instead and the dialog stays open with nothing changed.
    void OnOK();
    // Escape goes to the focused control; Enter on a focused button clicks it,
    // in a search field does nothing and elsewhere runs OK.
    KeyRoute PreTranslateMessage(const wxKeyEvent& event);

    // The list of a dimension with its search field and the rows it hides.
    FilteredCheckList& ListOf(Dimension dimension) const;
    CReportDataListCtrl* SettingFileList() const { return ListOf(Dimension::SettingFile).List(); }
    CReportDataListCtrl* MachineIdList() const { return ListOf(Dimension::MachineId).List(); }
    CReportDataListCtrl* CustomerList() const { return ListOf(Dimension::Customer).List(); }

  private:
    void FindControls();
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnCharHook(wxKeyEvent& event);
    bool IsSearchField(const wxWindow* window) const;

    // By dimension, in kDimensions order.
    std::array<std::unique_ptr<FilteredCheckList>, kDimensions.size()> m_lists;
    const OptionValues& m_found;
    const CustomerNames& m_customerNames;
    OptionValues& m_excluded;
    bool m_initialised = false;
};

}  // namespace qz
