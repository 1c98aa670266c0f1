#include "ui/OptionDlg.h"

#include <utility>

#include <wx/button.h>
#include <wx/srchctrl.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include "records/Dimension.h"
#include "ui/GuiMessageBox.h"
#include "ui/ListColumnKind.h"
#include "ui/ReportDataListCtrl.h"
#include "ui/Resources.h"
#include "ui/TabNavigation.h"
#include "ui/TextColumnFit.h"

namespace qz {

namespace {

constexpr char kNoSettingFileMessage[] = "No \"Setting File\" is seleced!";
constexpr char kNoMachineIdMessage[] = "No \"Machine (Write Board) ID\" is seleced!";
constexpr char kNoCustomerMessage[] = "No \"Customer\" is seleced!";

// What the layout and the messages call each dimension's list.
struct ListParts {
    const char* key;  // the layout's names end with it
    ListColumnKind column;
    const char* noCheckedRowMessage;
};

ListParts PartsOf(Dimension dimension) {
    switch (dimension) {
        case Dimension::SettingFile:
            return {"SETTING_FILE", ListColumnKind::FileName, kNoSettingFileMessage};
        case Dimension::MachineId:
            return {"MACHINE_ID", ListColumnKind::MachineId, kNoMachineIdMessage};
        case Dimension::Customer:
            break;
    }
    return {"CUSTOMER", ListColumnKind::CustomerName, kNoCustomerMessage};
}

wxString LayoutName(const char* prefix, Dimension dimension) {
    return wxString(prefix) + PartsOf(dimension).key;
}

std::size_t IndexOf(Dimension dimension) {
    return static_cast<std::size_t>(dimension);
}

}  // namespace

COptionDlg::COptionDlg(wxWindow* parent, const OptionValues& found,
                       const CustomerNames& customerNames, OptionValues& excluded)
    : m_found(found), m_customerNames(customerNames), m_excluded(excluded) {
    LoadDialogLayout(this, parent, "IDD_OPTION_DIALOG", wxSize(597, 263));
    FindControls();

    Bind(wxEVT_INIT_DIALOG, &COptionDlg::OnInitDialogEvent, this);
    Bind(wxEVT_CHAR_HOOK, &COptionDlg::OnCharHook, this);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnBnClickedSelectAllSettingFile(); },
        XRCID("IDC_BTN_SELECT_ALL_SETTING_FILE"));
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnBnClickedSelectAllMachineId(); },
        XRCID("IDC_BTN_SELECT_ALL_MACHINE_ID"));
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnBnClickedSelectAllCustomer(); },
        XRCID("IDC_BTN_SELECT_ALL_CUSTOMER"));
    for (const Dimension dimension : kDimensions) {
        Bind(
            wxEVT_BUTTON,
            [this, dimension](wxCommandEvent&) { ListOf(dimension).CheckOnlySelected(); },
            wxXmlResource::GetXRCID(LayoutName("IDC_BTN_ONLY_", dimension)));
    }
}

COptionDlg::~COptionDlg() = default;

void COptionDlg::FindControls() {
    for (const Dimension dimension : kDimensions) {
        auto* list =
            wxDynamicCast(FindWindow(wxXmlResource::GetXRCID(LayoutName("IDC_LIST_", dimension))),
                          CReportDataListCtrl);
        auto* search =
            wxDynamicCast(FindWindow(wxXmlResource::GetXRCID(LayoutName("IDC_SEARCH_", dimension))),
                          wxSearchCtrl);
        wxASSERT_MSG(list && search, "option dialog layout lacks a list or its search field");
        m_lists[IndexOf(dimension)] = std::make_unique<FilteredCheckList>(list, search);
    }
    // Never smaller than it opens; the lists take any room added.
    SetMinClientSize(GetClientSize());
}

FilteredCheckList& COptionDlg::ListOf(Dimension dimension) const {
    return *m_lists[IndexOf(dimension)];
}

void COptionDlg::OnInitDialogEvent(wxInitDialogEvent& event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    event.Skip();
}

bool COptionDlg::OnInitDialog() {
    InitOptionLists();
    // Where the dialog has always opened.
    CustomerList()->SetFocus();
    return true;
}

void COptionDlg::InitOptionLists() {
    wxBusyCursor wait;
    for (const Dimension dimension : kDimensions) {
        FilteredCheckList& list = ListOf(dimension);
        list.List()->InitList(ColumnKindNumber(PartsOf(dimension).column));
        // One row per found value, checked unless the last OK excluded it; a
        // customer row shows the code with the customer's name.
        std::vector<FilteredCheckList::Row> rows;
        for (const std::string& value : m_found.Of(dimension)) {
            rows.push_back(
                {value,
                 dimension == Dimension::Customer ? CustomerLabel(m_customerNames, value) : value,
                 !m_excluded.Of(dimension).Contains(value)});
        }
        list.SetRows(std::move(rows));
        KeepTextColumnFitted(*list.List());
        LeaveListOnTab(*list.List());
    }
}

void COptionDlg::OnBnClickedSelectAllSettingFile() {
    ListOf(Dimension::SettingFile).CheckAll();
}

void COptionDlg::OnBnClickedSelectAllMachineId() {
    ListOf(Dimension::MachineId).CheckAll();
}

void COptionDlg::OnBnClickedSelectAllCustomer() {
    ListOf(Dimension::Customer).CheckAll();
}

void COptionDlg::OnOK() {
    for (const Dimension dimension : kDimensions) {
        if (!ListOf(dimension).HasCheckedRow()) {
            ShowMessageBox(PartsOf(dimension).noCheckedRowMessage);
            return;
        }
    }
    OptionValues excluded;
    for (const Dimension dimension : kDimensions) {
        for (const std::string& value : ListOf(dimension).UncheckedValues())
            excluded.Of(dimension).Insert(value);
    }
    m_excluded = std::move(excluded);

    EndDialog(wxID_OK);
}

bool COptionDlg::IsSearchField(const wxWindow* window) const {
    // A search field may be made of a text field inside a control.
    for (const wxWindow* w = window; w && w != this; w = w->GetParent()) {
        for (const Dimension dimension : kDimensions) {
            if (w == ListOf(dimension).Search())
                return true;
        }
    }
    return false;
}

KeyRoute COptionDlg::PreTranslateMessage(const wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            return KeyRoute::Control;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: {
            // A focused button clicks itself; a search is not an answer to the
            // dialog; elsewhere Enter is OK, which a list would otherwise keep
            // for itself.
            wxWindow* focus = FindFocus();
            if (event.HasAnyModifiers() || wxDynamicCast(focus, wxButton))
                return KeyRoute::Dialog;
            if (IsSearchField(focus))
                return KeyRoute::Handled;
            OnOK();
            return KeyRoute::Handled;
        }
        default:
            return KeyRoute::Dialog;
    }
}

void COptionDlg::OnCharHook(wxKeyEvent& event) {
    switch (PreTranslateMessage(event)) {
        case KeyRoute::Dialog:
            event.Skip();  // the dialog's own handling (Tab, ...)
            break;
        case KeyRoute::Control:
            event.DoAllowNextEvent();  // to the focused control only
            break;
        case KeyRoute::Handled:
            break;
    }
}

}  // namespace qz
