// The Option command of the main dialog: runs the option scan under the
// progress dialog when the checked machines changed since the last use or the
// last scan did not finish, then opens the option dialog.

#include <utility>

#include "facts/CacheLocation.h"
#include "jobs/OptionScanJob.h"
#include "ui/GuiMessageBox.h"
#include "ui/OptionDlg.h"
#include "ui/ParseDlg.h"
#include "ui/QZ8840ReporterDlg.h"

namespace qz {

void CQZ8840ReporterDlg::OnBnClickedOption() {
    if (!HasCheckedMachine(*m_listMachine)) {
        ShowMessageBox(kNoMachineSelectedMessage);
        return;
    }
    // Always asked: the call also renews the list's snapshot.
    const bool machinesChanged = m_listMachine->IsCheckChanged();
    if (machinesChanged || m_bOptionScanNeeded) {
        OptionScanRequest request;
        request.machineFolders = CheckedMachineFolders();
        request.sink = MessageBoxSink();
        request.dateLocale = m_dateLocale;  // the reports' facts, kept for them
        request.cache = DefaultCachePlace(m_dataPaths.strReportDataPath);
        OptionScanJob job(std::move(request));
        OptionValues found;
        int result = wxID_CANCEL;
        {
            CParseDlg scan(this, job.Progress(), [&job, &found] { found = job.Run(); });
            result = scan.ShowModal();
        }
        m_foundValues = std::move(found);
        TellCacheNote(job.CacheNote());
        if (result != wxID_OK) {
            m_bOptionScanNeeded = true;
            return;
        }
    }
    {
        COptionDlg dlg(this, m_foundValues, m_customerNames, m_excludedValues);
        dlg.ShowModal();
    }
    m_bOptionScanNeeded = false;
}

}  // namespace qz
