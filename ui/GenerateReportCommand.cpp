// The Generate Report command of the main dialog: one report from the button
// click to the opened report page.

#include <ctime>
#include <utility>

#include <wx/datectrl.h>

#include "dates/OleDate.h"
#include "jobs/ReportJob.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"
#include "platform/ShellOpen.h"
#include "records/ReportCounts.h"
#include "report/ReportScope.h"
#include "ui/ParseDlg.h"
#include "ui/QZ8840ReporterDlg.h"

namespace qz {

namespace {

constexpr char kPageNotOpenedMessage[] =
    "The report was written, but the page could not be opened: ";

// A picker's value, date and time of day as the picker holds it.
OleDate ToOleDate(const wxDateTime& value) {
    if (!value.IsValid())
        return OleDate::Invalid();
    return OleDate::FromParts(value.GetYear(), value.GetMonth() - wxDateTime::Jan + 1,
                              value.GetDay(), value.GetHour(), value.GetMinute(),
                              value.GetSecond());
}

}  // namespace

ReportRequest CQZ8840ReporterDlg::MakeReportRequest() const {
    ReportRequest request;
    request.machineFolders = CheckedMachineFolders();
    request.criteria.dtReportStart = ToOleDate(m_dtpStart->GetValue());
    request.criteria.dtReportEnd = ToOleDate(m_dtpEnd->GetValue());
    request.criteria.excluded = m_excludedValues;
    return request;
}

void CQZ8840ReporterDlg::OnBnClickedGenerateReport() {
    if (!HasCheckedMachine(*m_listMachine)) {
        ShowMessageBox(kNoMachineSelectedMessage);
        return;
    }

    ReportJob job(MakeReportRequest());
    ReportResult totals;
    int result = wxID_CANCEL;
    {
        // The scripts are written on the job's thread too: the writer may wait
        // a few seconds for another report's writer, and the UI thread never
        // waits.
        CParseDlg dlg(this, job.Progress(), [this, &job, &totals] {
            totals = job.Run();
            if (!job.Progress().IsCancelled() && (totals.m_nOk != 0 || totals.m_nNg != 0)) {
                WriteReportScripts(totals, job.Scope(totals, m_customerNames, std::time(nullptr)),
                                   m_dataPaths.strReportJsPath);
            }
        });
        result = dlg.ShowModal();
    }
    m_reportTotals = totals;
    // Cancelled, or no record data (the dialog has said so): nothing more.
    if (result == wxID_CANCEL)
        return;

    if (m_reportTotals.m_nOk == 0 && m_reportTotals.m_nNg == 0) {
        ShowMessageBox(kNoRecordMessage);
        return;
    }

    // The report stands; the operator learns where the page is.
    if (!ShellOpen(m_dataPaths.strReportHtmlPath))
        ShowMessageBox(kPageNotOpenedMessage + ToNativePath(m_dataPaths.strReportHtmlPath));
}

}  // namespace qz
