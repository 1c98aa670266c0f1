// The Option command of the main dialog: runs the option scan under the
// progress dialog when the checked machines changed since the last use or the
// last scan did not finish, then opens the option dialog.

#include "ui/QZ8840ReporterDlg.h"
#include "ui/OptionDlg.h"
#include "ui/ParseDlg.h"
#include "jobs/ParseWorker.h"
#include "platform/MessageBox.h"

namespace qz {

void CQZ8840ReporterDlg::OnBnClickedOption() {
    if (!HasCheckedMachine(*m_listMachine)) {
        ShowMessageBox(kNoMachineSelectedMessage);
        return;
    }
    // Always asked: the call also renews the list's snapshot.
    const bool machinesChanged = m_listMachine->IsCheckChanged();
    if (machinesChanged || m_bOptionScanNeeded) {
        CParseDlg scan(kModeOptionScan, this);
        if (scan.ShowModal() != wxID_OK) {
            m_bOptionScanNeeded = true;
            return;
        }
    }
    {
        COptionDlg dlg(this);
        dlg.ShowModal();
    }
    m_bOptionScanNeeded = false;
}

}  // namespace qz
