#include "ui/QZ8840ReporterDlg.h"

#include <utility>

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/xrc/xmlres.h>

#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "ui/AboutDlg.h"
#include "ui/AccessibleName.h"
#include "ui/ExclusionSummary.h"
#include "ui/GuiMessageBox.h"
#include "ui/ListColumnKind.h"
#include "ui/Resources.h"
#include "ui/TabNavigation.h"
#include "ui/TextColumnFit.h"
#include "ui/TextConvert.h"

#ifdef __WXMSW__
#include <wx/dcclient.h>
#include <wx/msw/wrapwin.h>
#endif

namespace qz {

namespace {

constexpr int kBannerHeight = 60;  // pixels

// The layout's name of a common range's button.
const char* PresetButtonName(DateRangePreset preset) {
    switch (preset) {
        case DateRangePreset::Today:
            return "IDC_BTN_RANGE_TODAY";
        case DateRangePreset::Yesterday:
            return "IDC_BTN_RANGE_YESTERDAY";
        case DateRangePreset::Last7Days:
            return "IDC_BTN_RANGE_LAST_7_DAYS";
        case DateRangePreset::ThisMonth:
            return "IDC_BTN_RANGE_THIS_MONTH";
        case DateRangePreset::LastMonth:
            break;
    }
    return "IDC_BTN_RANGE_LAST_MONTH";
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
    // The Option command may change what the reports leave out.
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&) {
            OnBnClickedOption();
            ShowExclusions();
        },
        XRCID("IDC_BTN_OPTION"));
    BindClick(XRCID("IDC_BTN_RESET"), &CQZ8840ReporterDlg::OnBnClickedReset);
    BindClick(XRCID("IDC_BTN_SELECT_ALL"), &CQZ8840ReporterDlg::OnBnClickedSelectAll);
    m_dateRange = std::make_unique<DateRangePickers>(m_dtpStart, m_dtpEnd);
    BindClick(XRCID("IDC_BTN_GENERATE_REPORT"), &CQZ8840ReporterDlg::OnBnClickedGenerateReport);
    for (const DateRangePreset preset : kDateRangePresets) {
        Bind(
            wxEVT_BUTTON, [this, preset](wxCommandEvent&) { OnBnClickedDateRange(preset); },
            XRCID(PresetButtonName(preset)));
    }
    BindClick(XRCID("IDC_BTN_CLEAR_EXCLUSIONS"), &CQZ8840ReporterDlg::OnBnClickedClearExclusions);
}

CQZ8840ReporterDlg::~CQZ8840ReporterDlg() = default;

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
    m_exclusionLine = XRCCTRL(*this, "IDC_STATIC_EXCLUSIONS", wxStaticText);
    m_clearExclusions = FindWindow(XRCID("IDC_BTN_CLEAR_EXCLUSIONS"));
    wxASSERT_MSG(m_banner && m_listMachine && m_dtpStart && m_dtpEnd && m_exclusionLine &&
                     m_clearExclusions && FindWindow(XRCID("IDC_BTN_OPTION")),
                 "main dialog layout lacks a control");
    // No default push button: Enter is handled in PreTranslateMessage.
    SetDefaultItem(nullptr);
    SetUpAccessibleNames();
    m_banner->SetMinSize(wxSize(-1, kBannerHeight));
    // Never smaller than it opens; the machine list takes any room added.
    SetMinClientSize(GetClientSize());
}

void CQZ8840ReporterDlg::SetUpAccessibleNames() {
    SetAccessibleName(m_dtpStart, "First day");
    SetAccessibleName(m_dtpEnd, "Last day");
}

bool CQZ8840ReporterDlg::Show(bool show) {
    if (show && !m_initialised)
        InitDialog();
    return wxDialog::Show(show);
}

void CQZ8840ReporterDlg::OnInitDialogEvent(wxInitDialogEvent& event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    event.Skip();  // the base class transfers data to the controls
}

bool CQZ8840ReporterDlg::OnInitDialog() {
    AddAboutEntry();
    SetIcons(m_icons);

    // The banner spans the client area's top, 60 pixels high (the layout
    // keeps it so when the dialog is resized).
    m_banner->SetImage(LoadImageFromResource());
    Layout();

    m_listMachine->InitList(ColumnKindNumber(ListColumnKind::MachineName));
    CustomerList customers = LoadCustomerList(m_dataPaths.strCustomerListPath);
    if (customers.error)
        ShowMessageBox(customers.error->ShownDescription());
    m_customerNames = std::move(customers.names);
    FillMachineList();
    KeepTextColumnFitted(*m_listMachine);
    LeaveListOnTab(*m_listMachine);
    ShowExclusions();
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

void CQZ8840ReporterDlg::OnBnClickedDateRange(DateRangePreset preset) {
    const DayRange range = PresetRange(preset, wxDateTime::Today());
    m_dateRange->PickRange(range.first, range.last);
}

void CQZ8840ReporterDlg::OnBnClickedClearExclusions() {
    m_excludedValues = OptionValues();
    ShowExclusions();
}

void CQZ8840ReporterDlg::ShowExclusions() {
    const std::string line = ExclusionLine(m_excludedValues);
    m_exclusionLine->SetLabel(FromUtf8(line));
    m_exclusionLine->SetToolTip(ExclusionDetails(m_excludedValues, m_customerNames));
    const bool any = !line.empty();
    m_exclusionLine->Show(any);
    m_clearExclusions->Show(any);
    Layout();
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
    if (const std::optional<KeyRoute> route = m_dateRange->RouteKeyToOpenCalendar(event))
        return *route;
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            return KeyRoute::Control;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: {
            // The framework would turn Enter into the OK command, which ends
            // the dialog and the program: only a focused button takes it.
            wxWindow* focus = FindFocus();
            if (wxDynamicCast(focus, wxButton))
                return KeyRoute::Dialog;  // the focused button clicks itself
            if (wxDatePickerCtrl* picker = m_dateRange->PickerHolding(focus))
                m_dateRange->SettleDateEntry(picker);
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
