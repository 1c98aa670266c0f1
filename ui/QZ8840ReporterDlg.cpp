#include "ui/QZ8840ReporterDlg.h"

#include <utility>

#include <wx/combo.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "platform/MessageBox.h"
#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "ui/AboutDlg.h"
#include "ui/Resources.h"
#include "ui/TextConvert.h"

#ifdef __WXMSW__
#include <wx/dcclient.h>
#include <wx/msw/wrapwin.h>
#endif

namespace qz {

namespace {

constexpr int kBannerHeight = 60;  // pixels

// What the calendar-time conversion reports for a year it cannot hold.
constexpr char kImproperArgument[] = "Encountered an improper argument.";

// The generic picker is a text field with a drop-down calendar; it notifies
// every keystroke that leaves a parsable date in the field ("01/31/2", year 2,
// on the way to "01/31/2018"), and also dates outside its limits, which it
// does not take. A native picker has no such parts and notifies whole dates.
wxComboCtrl* DateCombo(const wxDatePickerCtrl* picker) {
    for (wxWindow* child : picker->GetChildren()) {
        if (auto* combo = wxDynamicCast(child, wxComboCtrl))
            return combo->GetPopupControl() ? combo : nullptr;
    }
    return nullptr;
}

wxWindow* DateField(const wxDatePickerCtrl* picker) {
    wxComboCtrl* combo = DateCombo(picker);
    return combo ? combo->GetTextCtrl() : nullptr;
}

enum class DateChange {
    Picked,   // from the calendar, the end of an entry or a native picker
    Typing,   // an entry on its way
    Refused,  // a date the picker did not take
};

DateChange ClassifyDateChange(const wxDatePickerCtrl* picker, const wxDateTime& date) {
    wxComboCtrl* combo = DateCombo(picker);
    if (!combo)
        return DateChange::Picked;
    const wxDateTime held = picker->GetValue();
    if (!held.IsValid() || !held.IsSameDate(date))
        return DateChange::Refused;
    // The calendar and the end of an entry leave the field showing the date
    // as the picker renders it ("01/31/2018"), as does an entry typed out in
    // full; the keystrokes on the way ("01/31/2" for 01/31/0002) do not.
    if (combo->GetValue() != combo->GetPopupControl()->GetStringValue())
        return DateChange::Typing;
    return DateChange::Picked;
}

}  // namespace

wxDateTime ToCalendarTime(const wxDateTime& picked) {
    if (!picked.IsValid())
        return wxInvalidDateTime;
    const int year = picked.GetYear();
    if (year < 1900)
        return wxDateTime(static_cast<time_t>(0));
    if (year > 3000)
        return wxInvalidDateTime;
    return wxDateTime(picked.GetDay(), picked.GetMonth(), year, picked.GetHour(),
                      picked.GetMinute(), picked.GetSecond());
}

CQZ8840ReporterDlg::CQZ8840ReporterDlg(DataPaths paths, wxWindow* parent)
    : m_dataPaths(std::move(paths)) {
    m_hIcon = LoadAppIcons();
    LoadDialogLayout(this, parent, "IDD_QZ8840REPORTER_DIALOG", wxSize(459, 258));
    DoDataExchange();

    Bind(wxEVT_INIT_DIALOG, &CQZ8840ReporterDlg::OnInitDialogEvent, this);
    Bind(wxEVT_CHAR_HOOK, &CQZ8840ReporterDlg::OnCharHook, this);
#ifdef __WXMSW__
    Bind(wxEVT_PAINT, &CQZ8840ReporterDlg::OnPaint, this);
#endif
    Bind(wxEVT_MENU, &CQZ8840ReporterDlg::OnMenuCommand, this, IDM_ABOUTBOX);
    BindClick(IDC_BTN_OPTION, &CQZ8840ReporterDlg::OnBnClickedOption);
    BindClick(IDC_BTN_RESET, &CQZ8840ReporterDlg::OnBnClickedReset);
    BindClick(IDC_BTN_SELECT_ALL, &CQZ8840ReporterDlg::OnBnClickedSelectAll);
    Bind(wxEVT_DATE_CHANGED, &CQZ8840ReporterDlg::OnDtnDatetimechangeStartDate, this,
         IDC_DTP_START_DATE);
    Bind(wxEVT_DATE_CHANGED, &CQZ8840ReporterDlg::OnDtnDatetimechangeEndDate, this,
         IDC_DTP_END_DATE);
    BindClick(IDC_BTN_GENERATE_REPORT, &CQZ8840ReporterDlg::OnBnClickedGenerateReport);
    for (const wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxWindow* field = DateField(picker))
            field->Bind(wxEVT_KILL_FOCUS, &CQZ8840ReporterDlg::OnDateFieldLeft, this);
    }
}

CQZ8840ReporterDlg::~CQZ8840ReporterDlg() {
    // The fields go after this part of the dialog; their focus may go with them.
    for (const wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxWindow* field = DateField(picker))
            field->Unbind(wxEVT_KILL_FOCUS, &CQZ8840ReporterDlg::OnDateFieldLeft, this);
    }
}

void CQZ8840ReporterDlg::BindClick(int id, void (CQZ8840ReporterDlg::*handler)()) {
    Bind(
        wxEVT_BUTTON, [this, handler](wxCommandEvent&) { (this->*handler)(); }, id);
}

void CQZ8840ReporterDlg::OnMenuCommand(wxCommandEvent& event) {
    OnSysCommand(event.GetId());
}

void CQZ8840ReporterDlg::DoDataExchange() {
    m_banner = wxDynamicCast(FindWindow(IDC_STATIC_BANNER), CStaticImageCtrl);
    m_btnOption = wxDynamicCast(FindWindow(IDC_BTN_OPTION), wxButton);
    m_listMachine = wxDynamicCast(FindWindow(IDC_LIST_MACHINE), CReportDataListCtrl);
    m_dtpStart = wxDynamicCast(FindWindow(IDC_DTP_START_DATE), wxDatePickerCtrl);
    m_dtpEnd = wxDynamicCast(FindWindow(IDC_DTP_END_DATE), wxDatePickerCtrl);
    wxASSERT_MSG(m_banner && m_btnOption && m_listMachine && m_dtpStart && m_dtpEnd,
                 "main dialog layout lacks a control");
    // No default push button: Enter is handled in PreTranslateMessage.
    SetDefaultItem(nullptr);
}

bool CQZ8840ReporterDlg::Show(bool show) {
    if (show && !m_bInitialised)
        InitDialog();
    return wxDialog::Show(show);
}

void CQZ8840ReporterDlg::OnInitDialogEvent(wxInitDialogEvent& event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    event.Skip();  // the base class transfers data to the controls
}

bool CQZ8840ReporterDlg::OnInitDialog() {
    AddAboutEntry();
    SetIcons(m_hIcon);

    const int width = GetClientSize().GetWidth();
    m_banner->m_pImage = LoadImageFromResource();
    m_banner->SetSize(0, 0, width, kBannerHeight);
    m_banner->Refresh();

    m_listMachine->InitList(0);
    m_customerNames = LoadCustomerList(m_dataPaths.strCustomerListPath);
    FillMachineList();
    return true;
}

void CQZ8840ReporterDlg::AddAboutEntry() {
    const char* const text = kAboutBoxText;
    if (*text == '\0')
        return;
#ifdef __WXMSW__
    if (wxMenu* menu = MSWGetSystemMenu()) {
        menu->AppendSeparator();
        menu->Append(IDM_ABOUTBOX, FromUtf8(text));
    }
#else
    // No system menu a program can extend here: the banner's context menu
    // holds the entry instead (and F1 opens the box, see PreTranslateMessage).
    m_banner->Bind(wxEVT_CONTEXT_MENU, &CQZ8840ReporterDlg::OnBannerContextMenu, this);
#endif
}

void CQZ8840ReporterDlg::OnBannerContextMenu(wxContextMenuEvent&) {
    wxMenu menu;
    menu.Append(IDM_ABOUTBOX, FromUtf8(kAboutBoxText));
    PopupMenu(&menu);
}

void CQZ8840ReporterDlg::FillMachineList() {
    m_machineFolderNames = ScanMachineFolders(m_dataPaths);
    for (std::size_t i = 0; i < m_machineFolderNames.size(); ++i)
        m_listMachine->InsertRow(static_cast<long>(i), m_machineFolderNames[i]);
    m_listMachine->SetCheck(0, true);
}

std::vector<std::string> CQZ8840ReporterDlg::CheckedMachineFolders() const {
    std::vector<int> rows;
    m_listMachine->GetCheckedItems(rows);
    std::vector<std::string> folders;
    for (const int row : rows) {
        if (static_cast<std::size_t>(row) < m_machineFolderNames.size())
            folders.push_back(m_dataPaths.MachineFolder(m_machineFolderNames[row]));
    }
    return folders;
}

void CQZ8840ReporterDlg::OnBnClickedSelectAll() {
    for (long i = 0, n = m_listMachine->GetItemCount(); i < n; ++i)
        m_listMachine->SetCheck(i, true);
}

void CQZ8840ReporterDlg::OnBnClickedReset() {
    for (long i = 0, n = m_listMachine->GetItemCount(); i < n; ++i)
        m_listMachine->SetCheck(i, false);
}

void CQZ8840ReporterDlg::OnDtnDatetimechangeStartDate(wxDateEvent& event) {
    if (IsDateToApply(m_dtpStart, event.GetDate(), m_bStartEntryPending))
        LimitEndPicker(event.GetDate());
}

void CQZ8840ReporterDlg::OnDtnDatetimechangeEndDate(wxDateEvent& event) {
    if (IsDateToApply(m_dtpEnd, event.GetDate(), m_bEndEntryPending))
        LimitStartPicker(event.GetDate());
}

bool CQZ8840ReporterDlg::IsDateToApply(wxDatePickerCtrl* picker, const wxDateTime& date,
                                       bool& entryPending) {
    switch (ClassifyDateChange(picker, date)) {
        case DateChange::Picked:
            entryPending = false;
            return true;
        case DateChange::Typing:
            entryPending = true;
            return false;
        case DateChange::Refused:
            break;  // the picker keeps its date, and an entry on its way stays so
    }
    return false;
}

void CQZ8840ReporterDlg::OnDateFieldLeft(wxFocusEvent& event) {
    event.Skip();  // the picker tidies its field up
    // After the picker has done so, and outside the focus change, which a
    // message box must not interrupt.
    CallAfter(&CQZ8840ReporterDlg::ApplyPendingDateEntries);
}

void CQZ8840ReporterDlg::ApplyPendingDateEntries() {
    if (std::exchange(m_bStartEntryPending, false))
        LimitEndPicker(m_dtpStart->GetValue());
    if (std::exchange(m_bEndEntryPending, false))
        LimitStartPicker(m_dtpEnd->GetValue());
}

void CQZ8840ReporterDlg::LimitEndPicker(const wxDateTime& start) {
    const wxDateTime t = ToCalendarTime(start);
    if (!t.IsValid()) {
        ShowMessageBox(kImproperArgument);
        return;
    }
    m_dtpEnd->SetRange(t, wxInvalidDateTime);
}

void CQZ8840ReporterDlg::LimitStartPicker(const wxDateTime& end) {
    const wxDateTime t = ToCalendarTime(end);
    if (!t.IsValid()) {
        ShowMessageBox(kImproperArgument);
        return;
    }
    m_dtpStart->SetRange(wxInvalidDateTime, t);
}

void CQZ8840ReporterDlg::OnSysCommand(int id) {
    // The low four bits of a window-menu command belong to the system.
    if ((id & ~0xF) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.ShowModal();
    }
}

CQZ8840ReporterDlg::KeyRoute CQZ8840ReporterDlg::PreTranslateMessage(const wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            return KeyRoute::Control;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: {
            if (wxDynamicCast(FindFocus(), wxButton))
                return KeyRoute::Dialog;  // the focused button clicks itself
            wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
            ok.SetEventObject(this);
            ProcessWindowEvent(ok);
            return KeyRoute::Handled;
        }
#ifndef __WXMSW__
        case WXK_F1:
            if (event.HasAnyModifiers())
                return KeyRoute::Dialog;
            OnSysCommand(IDM_ABOUTBOX);
            return KeyRoute::Handled;
#endif
        default:
            return KeyRoute::Dialog;
    }
}

void CQZ8840ReporterDlg::OnCharHook(wxKeyEvent& event) {
    switch (PreTranslateMessage(event)) {
        case KeyRoute::Dialog:
            event.Skip();
            break;
        case KeyRoute::Control:
            event.DoAllowNextEvent();
            break;
        case KeyRoute::Handled:
            break;
    }
}

#ifdef __WXMSW__
// A minimised dialog draws its own icon (elsewhere the window manager does).
void CQZ8840ReporterDlg::OnPaint(wxPaintEvent& event) {
    if (IsIconized()) {
        wxPaintDC dc(this);
        ::SendMessage(GetHWND(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetHDC()), 0);
        const int cxIcon = ::GetSystemMetrics(SM_CXICON);
        const int cyIcon = ::GetSystemMetrics(SM_CYICON);
        const wxSize client = GetClientSize();
        const int x = (client.x - cxIcon + 1) / 2;
        const int y = (client.y - cyIcon + 1) / 2;
        dc.DrawIcon(m_hIcon.GetIcon(wxSize(cxIcon, cyIcon), wxIconBundle::FALLBACK_NEAREST_LARGER),
                    x, y);
        return;
    }
    event.Skip();
}

WXHICON CQZ8840ReporterDlg::OnQueryDragIcon() {
    return m_hIcon
        .GetIcon(wxSize(::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)),
                 wxIconBundle::FALLBACK_NEAREST_LARGER)
        .GetHICON();
}

WXLRESULT CQZ8840ReporterDlg::MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) {
    if (message == WM_QUERYDRAGICON)
        return reinterpret_cast<WXLRESULT>(OnQueryDragIcon());
    return wxDialog::MSWWindowProc(message, wParam, lParam);
}
#endif

}  // namespace qz
