#include "ui/QZ8840ReporterDlg.h"

#include <utility>

#include <wx/calctrl.h>
#include <wx/combo.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "ui/AboutDlg.h"
#include "ui/GuiMessageBox.h"
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

// The runs of digits and of other characters a date text is made of.
std::vector<wxString> DateTextRuns(const wxString& text) {
    std::vector<wxString> runs;
    bool digits = false;
    for (const wxUniChar c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (runs.empty() || digit != digits)
            runs.emplace_back();
        runs.back() += c;
        digits = digit;
    }
    return runs;
}

// True when text is the whole date rendered as shown: every part as the
// picker renders it, where a day or month may go without its leading zero
// ("1/31/2018" for "01/31/2018"). A year must be there in full: "01/31/2"
// stands for 01/31/0002 only on the way to a longer year.
bool IsWholeEntry(const wxString& text, const wxString& shown) {
    const std::vector<wxString> typed = DateTextRuns(text.Strip(wxString::both));
    const std::vector<wxString> rendered = DateTextRuns(shown);
    if (typed.size() != rendered.size())
        return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const wxString& t = typed[i];
        const wxString& r = rendered[i];
        if (t == r)
            continue;
        unsigned long tn = 0, rn = 0;
        if (r.length() > 2 || !t.ToULong(&tn) || !r.ToULong(&rn) || tn != rn)
            return false;
    }
    return true;
}

// Where a key moves an open calendar's day to (invalid: not a moving key),
// as the calendar itself moves it.
wxDateTime MovedCalendarDate(const wxDateTime& day, int keyCode) {
    switch (keyCode) {
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            return day - wxDateSpan::Day();
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            return day + wxDateSpan::Day();
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return day - wxDateSpan::Week();
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return day + wxDateSpan::Week();
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            return day - wxDateSpan::Month();
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            return day + wxDateSpan::Month();
        case WXK_HOME:
        case WXK_NUMPAD_HOME:
            return wxDateTime(day).SetDay(1);
        case WXK_END:
        case WXK_NUMPAD_END:
            return wxDateTime(day).SetToLastMonthDay();
        default:
            return wxInvalidDateTime;
    }
}

// The picker's calendar when it is open.
wxCalendarCtrl* OpenCalendar(const wxDatePickerCtrl* picker) {
    wxComboCtrl* combo = DateCombo(picker);
    if (!combo || !combo->IsPopupShown())
        return nullptr;
    return wxDynamicCast(combo->GetPopupControl()->GetControl(), wxCalendarCtrl);
}

// Raises window, then the dialogs open over it (a modal dialog the operator
// must answer stays above the window it belongs to).
void RaiseWithOwnedWindows(wxWindow* window) {
    window->Raise();
    for (wxWindow* child : window->GetChildren()) {
        if (child->IsTopLevel() && child->IsShown())
            RaiseWithOwnedWindows(child);
    }
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

CQZ8840ReporterDlg::CQZ8840ReporterDlg(DataPaths paths, DateLocale dateLocale, wxWindow* parent)
    : m_dataPaths(std::move(paths)), m_dateLocale(std::move(dateLocale)) {
    m_icons = LoadAppIcons();
    LoadDialogLayout(this, parent, "IDD_QZ8840REPORTER_DIALOG", wxSize(459, 258));
    FindControls();

    Bind(wxEVT_INIT_DIALOG, &CQZ8840ReporterDlg::OnInitDialogEvent, this);
    Bind(wxEVT_CHAR_HOOK, &CQZ8840ReporterDlg::OnCharHook, this);
#ifdef __WXMSW__
    Bind(wxEVT_PAINT, &CQZ8840ReporterDlg::OnPaint, this);
#endif
    Bind(wxEVT_MENU, &CQZ8840ReporterDlg::OnMenuCommand, this, IDM_ABOUTBOX);
    BindClick(XRCID("IDC_BTN_OPTION"), &CQZ8840ReporterDlg::OnBnClickedOption);
    BindClick(XRCID("IDC_BTN_RESET"), &CQZ8840ReporterDlg::OnBnClickedReset);
    BindClick(XRCID("IDC_BTN_SELECT_ALL"), &CQZ8840ReporterDlg::OnBnClickedSelectAll);
    Bind(wxEVT_DATE_CHANGED, &CQZ8840ReporterDlg::OnDtnDatetimechangeStartDate, this,
         XRCID("IDC_DTP_START_DATE"));
    Bind(wxEVT_DATE_CHANGED, &CQZ8840ReporterDlg::OnDtnDatetimechangeEndDate, this,
         XRCID("IDC_DTP_END_DATE"));
    BindClick(XRCID("IDC_BTN_GENERATE_REPORT"), &CQZ8840ReporterDlg::OnBnClickedGenerateReport);
    m_acceptedStart = m_dtpStart->GetValue();
    m_acceptedEnd = m_dtpEnd->GetValue();
    // Bound after the picker's own focus handling, so run before it: the
    // field still shows what was typed.
    for (const wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxWindow* field = DateField(picker)) {
            field->Bind(wxEVT_SET_FOCUS, &CQZ8840ReporterDlg::OnDateFieldEntered, this);
            field->Bind(wxEVT_KILL_FOCUS, &CQZ8840ReporterDlg::OnDateFieldLeft, this);
        }
    }
}

CQZ8840ReporterDlg::~CQZ8840ReporterDlg() {
    // The fields go after this part of the dialog; their focus may go with them.
    for (const wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxWindow* field = DateField(picker)) {
            field->Unbind(wxEVT_SET_FOCUS, &CQZ8840ReporterDlg::OnDateFieldEntered, this);
            field->Unbind(wxEVT_KILL_FOCUS, &CQZ8840ReporterDlg::OnDateFieldLeft, this);
        }
    }
}

void CQZ8840ReporterDlg::BindClick(int id, void (CQZ8840ReporterDlg::*handler)()) {
    Bind(
        wxEVT_BUTTON, [this, handler](wxCommandEvent&) { (this->*handler)(); }, id);
}

void CQZ8840ReporterDlg::OnMenuCommand(wxCommandEvent& event) {
    OnSysCommand(event.GetId());
}

void CQZ8840ReporterDlg::FindControls() {
    m_banner = XRCCTRL(*this, "IDC_STATIC_BANNER", CStaticImageCtrl);
    m_listMachine = XRCCTRL(*this, "IDC_LIST_MACHINE", CReportDataListCtrl);
    m_dtpStart = XRCCTRL(*this, "IDC_DTP_START_DATE", wxDatePickerCtrl);
    m_dtpEnd = XRCCTRL(*this, "IDC_DTP_END_DATE", wxDatePickerCtrl);
    wxASSERT_MSG(
        m_banner && m_listMachine && m_dtpStart && m_dtpEnd && FindWindow(XRCID("IDC_BTN_OPTION")),
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
    SetIcons(m_icons);

    const int width = GetClientSize().GetWidth();
    m_banner->m_pImage = LoadImageFromResource();
    m_banner->SetSize(0, 0, width, kBannerHeight);
    m_banner->Refresh();

    m_listMachine->InitList(0);
    CustomerList customers = LoadCustomerList(m_dataPaths.strCustomerListPath);
    if (customers.error)
        ShowMessageBox(customers.error->ShownDescription());
    m_customerNames = std::move(customers.names);
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
            folders.push_back(
                m_dataPaths.MachineFolder(m_machineFolderNames[static_cast<std::size_t>(row)]));
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
    if (ClassifyDateChange(m_dtpStart, event.GetDate()) != DateChange::Picked)
        return;  // settled when the entry ends
    m_acceptedStart = m_dtpStart->GetValue();
    LimitEndPicker(event.GetDate());
}

void CQZ8840ReporterDlg::OnDtnDatetimechangeEndDate(wxDateEvent& event) {
    if (ClassifyDateChange(m_dtpEnd, event.GetDate()) != DateChange::Picked)
        return;
    m_acceptedEnd = m_dtpEnd->GetValue();
    LimitStartPicker(event.GetDate());
}

wxDateTime& CQZ8840ReporterDlg::AcceptedDate(const wxDatePickerCtrl* picker) {
    return picker == m_dtpStart ? m_acceptedStart : m_acceptedEnd;
}

wxDatePickerCtrl* CQZ8840ReporterDlg::PickerOfField(const wxWindow* field) const {
    for (wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (field && DateField(picker) == field)
            return picker;
    }
    return nullptr;
}

void CQZ8840ReporterDlg::OnDateFieldEntered(wxFocusEvent& event) {
    event.Skip();
    // A date set from outside since the last entry counts as accepted.
    wxDatePickerCtrl* picker = PickerOfField(static_cast<wxWindow*>(event.GetEventObject()));
    wxComboCtrl* combo = picker ? DateCombo(picker) : nullptr;
    if (combo && IsWholeEntry(combo->GetValue(), combo->GetPopupControl()->GetStringValue()))
        AcceptedDate(picker) = picker->GetValue();
}

void CQZ8840ReporterDlg::OnDateFieldLeft(wxFocusEvent& event) {
    event.Skip();  // the picker tidies its field up after this
    if (wxDatePickerCtrl* picker = PickerOfField(static_cast<wxWindow*>(event.GetEventObject())))
        SettleDateEntry(picker);
}

void CQZ8840ReporterDlg::SettleDateEntry(wxDatePickerCtrl* picker) {
    wxComboCtrl* combo = DateCombo(picker);
    if (!combo)
        return;
    wxDateTime& accepted = AcceptedDate(picker);
    const wxDateTime held = picker->GetValue();
    if (held.IsValid() &&
        IsWholeEntry(combo->GetValue(), combo->GetPopupControl()->GetStringValue())) {
        if (accepted.IsValid() && accepted.IsEqualTo(held))
            return;
        accepted = held;
        // Outside the focus change, which a message box must not interrupt.
        CallAfter([this, picker, held] {
            if (picker == m_dtpStart)
                LimitEndPicker(held);
            else
                LimitStartPicker(held);
        });
        return;
    }
    // Unfinished or refused: the field shows the accepted date again, which
    // the picker then finds unchanged.
    if (accepted.IsValid())
        picker->SetValue(accepted);
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

void CQZ8840ReporterDlg::BringToFront() {
    if (IsIconized())
        Iconize(false);
    RaiseWithOwnedWindows(this);
}

void CQZ8840ReporterDlg::OnSysCommand(int id) {
    // The low four bits of a window-menu command belong to the system.
    if ((id & ~0xF) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.ShowModal();
    }
}

KeyRoute CQZ8840ReporterDlg::PreTranslateMessage(const wxKeyEvent& event) {
    for (wxDatePickerCtrl* picker : {m_dtpStart, m_dtpEnd}) {
        if (wxCalendarCtrl* calendar = OpenCalendar(picker))
            return RouteToCalendar(*calendar, event);
    }
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            return KeyRoute::Control;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: {
            if (wxDynamicCast(FindFocus(), wxButton))
                return KeyRoute::Dialog;  // the focused button clicks itself
            if (wxDatePickerCtrl* picker = PickerOfField(FindFocus()))
                SettleDateEntry(picker);
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

// An open calendar is a window of its own to the operator: Enter picks its
// date and closes it, Escape closes it, the arrows and page keys move its day
// (the picker follows, as on a click); others (Tab, ...) go on as usual. The
// calendar is driven here rather than sent the keys, which its drop-down
// would hand back.
KeyRoute CQZ8840ReporterDlg::RouteToCalendar(wxCalendarCtrl& calendar, const wxKeyEvent& event) {
    if (event.HasAnyModifiers())
        return KeyRoute::Dialog;
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE: {
            if (wxComboPopup* popup = dynamic_cast<wxComboPopup*>(&calendar))
                popup->Dismiss();
            return KeyRoute::Handled;
        }
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: {
            // As a double click on the day: the picker takes it and closes.
            wxCalendarEvent picked(&calendar, calendar.GetDate(), wxEVT_CALENDAR_DOUBLECLICKED);
            calendar.GetEventHandler()->ProcessEvent(picked);
            return KeyRoute::Handled;
        }
        default: {
            const wxDateTime moved = MovedCalendarDate(calendar.GetDate(), event.GetKeyCode());
            if (!moved.IsValid())
                return KeyRoute::Dialog;
            // A day outside the picker's limits is not taken.
            if (calendar.SetDate(moved)) {
                wxCalendarEvent changed(&calendar, moved, wxEVT_CALENDAR_SEL_CHANGED);
                calendar.GetEventHandler()->ProcessEvent(changed);
            }
            return KeyRoute::Handled;
        }
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
        dc.DrawIcon(m_icons.GetIcon(wxSize(cxIcon, cyIcon), wxIconBundle::FALLBACK_NEAREST_LARGER),
                    x, y);
        return;
    }
    event.Skip();
}

WXHICON CQZ8840ReporterDlg::OnQueryDragIcon() {
    return m_icons
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
