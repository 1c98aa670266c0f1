#pragma once
// The option dialog: three check lists of the values the last option scan
// found (Setting File, Machine (Write Board) ID, Customer). Rows start checked
// unless the operator left them unchecked at the last OK; OK replaces the
// excluded values with the unchecked ones, which a report leaves out. Cancel
// and the close box leave them as they are; Escape does not close the dialog.
// UI thread only.

#include <string>
#include <vector>

#include <wx/dialog.h>

#include "records/OptionValues.h"
#include "report/CustomerList.h"
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

    bool OnInitDialog();
    void InitOptionLists();
    void OnBnClickedSelectAllSettingFile();
    void OnBnClickedSelectAllMachineId();
    void OnBnClickedSelectAllCustomer();
    // Validates the three lists, replaces the excluded values and closes
    // the dialog with OK; a list without a checked row is reported instead and
    // the dialog stays open with nothing changed.
    void OnOK();
    // Escape goes to the focused control; Enter on a focused button clicks it
    // and elsewhere runs OK.
    KeyRoute PreTranslateMessage(const wxKeyEvent& event);

    CReportDataListCtrl* SettingFileList() const { return m_listSettingFile; }
    CReportDataListCtrl* MachineIdList() const { return m_listMachineId; }
    CReportDataListCtrl* CustomerList() const { return m_listCustomer; }

  private:
    void FindControls();
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnCharHook(wxKeyEvent& event);

    CReportDataListCtrl* m_listSettingFile = nullptr;
    CReportDataListCtrl* m_listMachineId = nullptr;
    CReportDataListCtrl* m_listCustomer = nullptr;
    const OptionValues& m_found;
    const CustomerNames& m_customerNames;
    OptionValues& m_excluded;
    // The customer code behind each row of m_listCustomer: the row shows the
    // code with the customer's name, and the code is what the filter holds.
    std::vector<std::string> m_customerCodes;
    bool m_bInitialised = false;
};

}  // namespace qz
