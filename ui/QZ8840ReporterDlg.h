#pragma once
// The main window: banner, machine list, report date range and the four
// command buttons. Run modally by the application, which gives it the data
// paths and the date locale; initialising it (OnInitDialog, run once when it
// is first shown) loads the customer list and fills the machine list.
//
// It holds what the commands need between uses: the data paths, the date
// locale, the customer names, the machine folders behind the rows, the values the last option scan
// found, the values the operator excluded and the last report's totals. The
// Option and Generate Report commands are defined with the option dialog and
// the report command. UI thread only.

#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/calctrl.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/dialog.h>
#include <wx/iconbndl.h>

#include "dates/DateParser.h"
#include "jobs/ReportJob.h"
#include "records/OptionValues.h"
#include "records/ReportCounts.h"
#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "ui/KeyRoute.h"
#include "ui/ReportDataListCtrl.h"
#include "ui/StaticImageCtrl.h"

namespace qz {

// The lower (upper) limit a picked date gives the other picker: the start of
// the calendar-time scale (1970-01-01 00:00 UTC) for a year before 1900, else
// the same local date and time. Invalid for a year after 3000, which the
// calendar-time scale does not hold.
wxDateTime ToCalendarTime(const wxDateTime& picked);

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
    void OnDtnDatetimechangeStartDate(wxDateEvent& event);
    void OnDtnDatetimechangeEndDate(wxDateEvent& event);
    // Shows the window restored and above the others (a second start asks).
    void BringToFront();
    // Window-menu commands: the about entry opens the about box.
    void OnSysCommand(int id);

    // The folders of the checked machine rows, in row order.
    std::vector<std::string> CheckedMachineFolders() const;
    // What Generate Report asks for now: the checked machines, the pickers'
    // dates and the excluded values.
    ReportRequest MakeReportRequest() const;

    // An open date calendar takes Enter (picks the date) and Escape (closes
    // it) before the dialog. Otherwise Escape never closes the dialog; Enter
    // on a focused button clicks it and elsewhere gives the OK command; F1
    // opens the about box where the window has no system menu to hold the
    // about entry.
    KeyRoute PreTranslateMessage(const wxKeyEvent& event);

    wxDatePickerCtrl* StartPicker() const { return m_dtpStart; }
    wxDatePickerCtrl* EndPicker() const { return m_dtpEnd; }
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
    KeyRoute RouteToCalendar(wxCalendarCtrl& calendar, const wxKeyEvent& event);
    // A picker's date counts, and limits the other picker, once accepted
    // whole: picked from the calendar, typed out as the field shows it, or
    // typed in another whole form and the entry ended (focus lost, Enter). An
    // entry ended unfinished or refused gives way to the last accepted date.
    wxDateTime& AcceptedDate(const wxDatePickerCtrl* picker);
    wxDatePickerCtrl* PickerOfField(const wxWindow* field) const;
    void OnDateFieldEntered(wxFocusEvent& event);
    void OnDateFieldLeft(wxFocusEvent& event);
    void SettleDateEntry(wxDatePickerCtrl* picker);
    void LimitEndPicker(const wxDateTime& start);
    void LimitStartPicker(const wxDateTime& end);
#ifdef __WXMSW__
    void OnPaint(wxPaintEvent& event);
    // The cursor shown while the minimised window is dragged.
    WXHICON OnQueryDragIcon();
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

    wxIconBundle m_icons;
    wxDatePickerCtrl* m_dtpStart = nullptr;
    wxDatePickerCtrl* m_dtpEnd = nullptr;
    CReportDataListCtrl* m_listMachine = nullptr;
    bool m_bOptionScanNeeded = true;
    CStaticImageCtrl* m_banner = nullptr;

    const DataPaths m_dataPaths;
    const DateLocale m_dateLocale;  // how record dates are read
    CustomerNames m_customerNames;
    std::vector<std::string> m_machineFolderNames;
    OptionValues m_foundValues;     // by the last option scan
    OptionValues m_excludedValues;  // left unchecked at the last OK of the option dialog
    CReportTotals m_reportTotals;   // of the last report run, partial after a cancel

    bool m_bInitialised = false;
    wxDateTime m_acceptedStart;
    wxDateTime m_acceptedEnd;
};

}  // namespace qz
