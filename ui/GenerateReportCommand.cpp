// The Generate Report command of the main dialog: one report from the button
// click to the opened report page.

#include <wx/datectrl.h>

#include "ui/QZ8840ReporterDlg.h"
#include "report/ReportScriptWriter.h"
#include "ui/ParseDlg.h"
#include "jobs/ParseWorker.h"
#include "platform/MessageBox.h"
#include "dates/OleDate.h"
#include "platform/ShellOpen.h"
#include "report/DataPaths.h"
#include "records/RecordParser.h"
#include "records/ReportCounts.h"

namespace qz {

namespace {

constexpr char kNoRecordMessage[] =
    "No record!!\r\nPlease check \"Machine (Platform)\", \"Date\" and \"Option\"!!";

// A picker's value, date and time of day as the picker holds it.
OleDate ToOleDate(const wxDateTime& value) {
    if (!value.IsValid())
        return OleDate::Invalid();
    return OleDate::FromParts(value.GetYear(), value.GetMonth() - wxDateTime::Jan + 1,
                              value.GetDay(), value.GetHour(), value.GetMinute(),
                              value.GetSecond());
}

}  // namespace

void CQZ8840ReporterDlg::OnBnClickedGenerateReport() {
    if (!HasCheckedMachine(*m_listMachine)) {
        ShowMessageBox(kNoMachineSelectedMessage);
        return;
    }
    g_dtReportStart = ToOleDate(m_dtpStart->GetValue());
    g_dtReportEnd = ToOleDate(m_dtpEnd->GetValue());

    {
        CParseDlg dlg(kModeReport, this);
        // Cancelled, or no record data (the dialog has said so): nothing more.
        if (dlg.ShowModal() == wxID_CANCEL)
            return;
    }

    if (g_reportTotals.m_nOk == 0 && g_reportTotals.m_nNg == 0) {
        ShowMessageBox(kNoRecordMessage);
        return;
    }

    CReportScriptWriter().WriteAll();

    ShellOpen(g_strReportHtmlPath);
}

}  // namespace qz
