#include "ui/OptionDlg.h"

#include <string_view>
#include <utility>

#include <wx/button.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include "records/Dimension.h"
#include "ui/GuiMessageBox.h"
#include "ui/ReportDataListCtrl.h"
#include "ui/Resources.h"

namespace qz {

namespace {

constexpr char kNoSettingFileMessage[] = "No \"Setting File\" is seleced!";
constexpr char kNoMachineIdMessage[] = "No \"Machine (Write Board) ID\" is seleced!";
constexpr char kNoCustomerMessage[] = "No \"Customer\" is seleced!";

// Column kinds of the three lists (g_listColumnTitles).
constexpr int kSettingFileColumn = 1;
constexpr int kMachineIdColumn = 2;
constexpr int kCustomerColumn = 3;

bool HasCheckedRow(const CReportDataListCtrl& list) {
    std::vector<int> checked;
    list.GetCheckedItems(checked);
    return !checked.empty();
}

void CheckAll(CReportDataListCtrl& list) {
    for (long i = 0, n = list.GetItemCount(); i < n; ++i)
        list.SetCheck(i, true);
}

// One row per found value, checked unless the last OK excluded it.
void FillValueList(CReportDataListCtrl& list, const CValueSet& found, const CValueSet& excluded) {
    long row = 0;
    for (const std::string& value : found) {
        list.InsertRow(row, value);
        list.SetCheck(row, !excluded.Contains(value));
        ++row;
    }
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
}

void COptionDlg::FindControls() {
    m_listSettingFile = XRCCTRL(*this, "IDC_LIST_SETTING_FILE", CReportDataListCtrl);
    m_listMachineId = XRCCTRL(*this, "IDC_LIST_MACHINE_ID", CReportDataListCtrl);
    m_listCustomer = XRCCTRL(*this, "IDC_LIST_CUSTOMER", CReportDataListCtrl);
    wxASSERT_MSG(m_listSettingFile && m_listMachineId && m_listCustomer,
                 "option dialog layout lacks a list");
}

void COptionDlg::OnInitDialogEvent(wxInitDialogEvent& event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    event.Skip();
}

bool COptionDlg::OnInitDialog() {
    InitOptionLists();
    // The first tab stop, as the layout orders them.
    m_listCustomer->SetFocus();
    return true;
}

void COptionDlg::InitOptionLists() {
    wxBusyCursor wait;
    m_listSettingFile->InitList(kSettingFileColumn);
    m_listMachineId->InitList(kMachineIdColumn);
    m_listCustomer->InitList(kCustomerColumn);

    FillValueList(*m_listSettingFile, m_found.settingFiles, m_excluded.settingFiles);
    FillValueList(*m_listMachineId, m_found.machineIds, m_excluded.machineIds);

    m_customerCodes.clear();
    long row = 0;
    for (const std::string& code : m_found.customers) {
        m_listCustomer->InsertRow(row, CustomerLabel(m_customerNames, code));
        m_listCustomer->SetCheck(row, !m_excluded.customers.Contains(code));
        m_customerCodes.push_back(code);
        ++row;
    }
}

void COptionDlg::OnBnClickedSelectAllSettingFile() {
    CheckAll(*m_listSettingFile);
}

void COptionDlg::OnBnClickedSelectAllMachineId() {
    CheckAll(*m_listMachineId);
}

void COptionDlg::OnBnClickedSelectAllCustomer() {
    CheckAll(*m_listCustomer);
}

void COptionDlg::OnOK() {
    if (!HasCheckedRow(*m_listSettingFile)) {
        ShowMessageBox(kNoSettingFileMessage);
        return;
    }
    if (!HasCheckedRow(*m_listMachineId)) {
        ShowMessageBox(kNoMachineIdMessage);
        return;
    }
    if (!HasCheckedRow(*m_listCustomer)) {
        ShowMessageBox(kNoCustomerMessage);
        return;
    }

    const auto listOf = [this](Dimension dimension) -> CReportDataListCtrl& {
        switch (dimension) {
            case Dimension::SettingFile:
                return *m_listSettingFile;
            case Dimension::MachineId:
                return *m_listMachineId;
            case Dimension::Customer:
                break;
        }
        return *m_listCustomer;
    };
    // A customer row shows a label: its value is the code behind it.
    const auto valueOf = [&](Dimension dimension, int row) {
        return dimension == Dimension::Customer
                   ? std::string_view(m_customerCodes.at(static_cast<std::size_t>(row)))
                   : std::string_view(listOf(dimension).GetRowBytes(row));
    };
    OptionValues excluded;
    std::vector<int> unchecked;
    for (const Dimension dimension : kDimensions) {
        listOf(dimension).GetUncheckedItems(unchecked);
        for (const int row : unchecked)
            excluded.Of(dimension).Insert(valueOf(dimension, row));
    }
    m_excluded = std::move(excluded);

    EndDialog(wxID_OK);
}

KeyRoute COptionDlg::PreTranslateMessage(const wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            return KeyRoute::Control;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            // A focused button clicks itself; elsewhere Enter is OK, which a
            // list would otherwise keep for itself.
            if (event.HasAnyModifiers() || wxDynamicCast(FindFocus(), wxButton))
                return KeyRoute::Dialog;
            OnOK();
            return KeyRoute::Handled;
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
