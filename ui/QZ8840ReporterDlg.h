#pragma once
// The main window: banner, machine list, report date range (with the common
// ranges beside it), the line on what the report leaves out, and the command
// buttons. Run modally by the application, which gives it the data paths and
// the date locale; initialising it (OnInitDialog, run once when it is first
// shown) loads the customer list and fills the machine list. It can be
// resized; the machine list takes the room.
//
// It holds what the commands need between uses: the data paths, the date
// locale, the customer names, the machine folders behind the rows, the values the last option scan
// found, the values the operator excluded and the last report's totals. The
// Option and Generate Report commands are defined with the option dialog and
// the report command. UI thread only.

#include <memory>
#include <string>
#include <vector>

#include <wx/datectrl.h>
#include <wx/dialog.h>
#include <wx/iconbndl.h>
#include <wx/stattext.h>

#include "dates/DateParser.h"
#include "jobs/ReportJob.h"
#include "records/OptionValues.h"
#include "records/ReportCounts.h"
#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "ui/DateRangePickers.h"
#include "ui/DateRangePresets.h"
#include "ui/KeyRoute.h"
#include "ui/ReportDataListCtrl.h"
#include "ui/StaticImageCtrl.h"

namespace qz {

class CQZ8840ReporterDlg : public wxDialog {
  public:
    CQZ8840ReporterDlg(DataPaths paths, DateLocale dateLocale, wxWindow* parent = nullptr);
    ~CQZ8840ReporterDlg() override;

    // Runs OnInitDialog before the window first becomes visible, so that a
    // message box of the initialisation comes before the main window.
    bool Show(bool show = true) override;

    bool OnInitDialog();
    void FillMachineList();

    void OnBnClickedSelectAll();
    void OnBnClickedReset();
    void OnBnClickedOption();          // defined with the option dialog
    void OnBnClickedGenerateReport();  // defined with the report command
    // Sets both pickers to a common range, as if the operator picked them.
    void OnBnClickedDateRange(DateRangePreset preset);
    // Leaves nothing out of the reports any more.
    void OnBnClickedClearExclusions();
    // Shows the values the reports leave out in the line under the dates.
    void ShowExclusions();
    // Shows the window restored and above the others (a second start asks).
    void BringToFront();
    // Window-menu commands: the about entry opens the about box.
    void OnSysCommand(int id);

    // The folders of the checked machine rows, in row order.
    std::vector<std::string> CheckedMachineFolders() const;
    // What Generate Report asks for now: the checked machines, the pickers'
    // dates and the excluded values.
    ReportRequest MakeReportRequest() const;

    // An open date calendar takes its keys before the dialog. Otherwise no
    // key ends the dialog: Escape goes to the focused control; Enter clicks a
    // focused button, ends a typed date in a date field and does nothing
    // elsewhere; F1 opens the about box where the window has no system menu to
    // hold the about entry.
    KeyRoute PreTranslateMessage(const wxKeyEvent& event);

    wxDatePickerCtrl* StartPicker() const { return m_dtpStart; }
    wxDatePickerCtrl* EndPicker() const { return m_dtpEnd; }
    wxStaticText* ExclusionLabel() const { return m_exclusionLine; }
    CReportDataListCtrl* MachineList() const { return m_listMachine; }
    CStaticImageCtrl* Banner() const { return m_banner; }
    const DataPaths& Paths() const { return m_dataPaths; }
    const CustomerNames& Customers() const { return m_customerNames; }
    // Row i of the machine list shows MachineFolderNames()[i].
    const std::vector<std::string>& MachineFolderNames() const { return m_machineFolderNames; }
    // True until an option scan has run over the machines checked now.
    bool OptionScanNeeded() const { return m_bOptionScanNeeded; }
    const OptionValues& FoundValues() const { return m_foundValues; }
    // The values a report leaves out; the option dialog replaces them on OK.
    OptionValues& ExcludedValues() { return m_excludedValues; }
    const CReportTotals& ReportTotals() const { return m_reportTotals; }

  private:
    void FindControls();
    void BindClick(int id, void (CQZ8840ReporterDlg::*handler)());
    void OnMenuCommand(wxCommandEvent& event);
    void AddAboutEntry();
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnBannerContextMenu(wxContextMenuEvent& event);
    void SetUpAccessibleNames();
    // Shows why the cache of facts was not used, the first time only: the
    // report is exact without it, and the reason rarely changes.
    void TellCacheNote(const std::string& note);
#ifdef __WXMSW__
    void OnPaint(wxPaintEvent& event);
    // The cursor shown while the minimised window is dragged.
    WXHICON OnQueryDragIcon();
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

    wxIconBundle m_icons;
    wxDatePickerCtrl* m_dtpStart = nullptr;
    wxDatePickerCtrl* m_dtpEnd = nullptr;
    std::unique_ptr<DateRangePickers> m_dateRange;
    CReportDataListCtrl* m_listMachine = nullptr;
    bool m_bOptionScanNeeded = true;
    CStaticImageCtrl* m_banner = nullptr;
    wxStaticText* m_exclusionLine = nullptr;
    wxWindow* m_clearExclusions = nullptr;

    const DataPaths m_dataPaths;
    const DateLocale m_dateLocale;  // how record dates are read
    CustomerNames m_customerNames;
    std::vector<std::string> m_machineFolderNames;
    OptionValues m_foundValues;     // by the last option scan
    OptionValues m_excludedValues;  // left unchecked at the last OK of the option dialog
    CReportTotals m_reportTotals;   // of the last report run, partial after a cancel

    bool m_initialised = false;
    bool m_cacheNoteShown = false;
};

}  // namespace qz
