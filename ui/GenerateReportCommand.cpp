// The Generate Report command of the main dialog: one report from the button
// click to the opened report page.

#include <functional>

#include <wx/datectrl.h>

#include "dates/OleDate.h"
#include "facts/CacheLocation.h"
#include "jobs/ReportPipeline.h"
#include "platform/FileError.h"
#include "platform/Path.h"
#include "platform/ShellOpen.h"
#include "ui/GuiMessageBox.h"
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
    request.criteria.dateLocale = m_dateLocale;
    request.sink = MessageBoxSink();
    request.cache = DefaultCachePlace(m_dataPaths.strReportDataPath);
    return request;
}

void CQZ8840ReporterDlg::TellCacheNote(const std::string& note) {
    if (!note.empty() && !m_cacheNoteShown) {
        m_cacheNoteShown = true;
        ShowMessageBox(note);
    }
}

void CQZ8840ReporterDlg::OnBnClickedGenerateReport() {
    if (!HasCheckedMachine(*m_listMachine)) {
        ShowMessageBox(kNoMachineSelectedMessage);
        return;
    }

    const ReportOutcome outcome =
        RunReport(MakeReportRequest(), m_customerNames, m_dataPaths.strReportJsPath,
                  [this](JobProgress& progress, const std::function<void()>& count) {
                      CParseDlg dlg(this, progress, count);
                      dlg.ShowModal();
                  });
    m_reportTotals = outcome.totals;
    TellCacheNote(outcome.totals.cacheNote);
    switch (outcome.kind) {
        case ReportOutcome::Kind::Cancelled:
        case ReportOutcome::Kind::NoRecordFiles:  // the progress dialog has said so
            return;
        case ReportOutcome::Kind::NoRecords:
            ShowMessageBox(kNoRecordMessage);
            return;
        case ReportOutcome::Kind::Written:
            break;
    }
    for (const FileError& failure : outcome.writeFailures)
        ShowMessageBox(failure.ShownDescription());

    // The report stands; the operator learns where the page is.
    if (!ShellOpen(m_dataPaths.strReportHtmlPath))
        ShowMessageBox(kPageNotOpenedMessage + ToNativePath(m_dataPaths.strReportHtmlPath));
}

}  // namespace qz
