#include "tests/ui/flow/FlowTestSupport.h"

#include <memory>
#include <thread>

#include <wx/msgdlg.h>
#include <wx/timer.h>

namespace qz::test {

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void ClickButton(wxDialog& dlg, int id) {
    wxWindow* button = dlg.FindWindow(id);
    ASSERT_NE(button, nullptr) << "no button " << id;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

void PressKey(wxDialog& dlg, int keyCode) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = keyCode;
    key.SetEventObject(&dlg);
    dlg.ProcessWindowEvent(key);
}

int DialogPlayer::Enter(wxDialog* dlg) {
    if (auto* parse = dynamic_cast<CParseDlg*>(dlg)) {
        log.push_back("parse");
        if (onParse)
            onParse(*parse);
        return wxID_NONE;  // runs for real
    }
    if (auto* option = dynamic_cast<COptionDlg*>(dlg)) {
        log.push_back("option");
        // Acts inside the real modal loop, after the dialog's initialisation.
        option->CallAfter([this, option] {
            if (playOption)
                playOption(*option);
            if (option->IsModal()) {
                ADD_FAILURE() << "the option dialog was left open";
                option->EndModal(wxID_CANCEL);
            }
        });
        return wxID_NONE;
    }
    if (auto* box = dynamic_cast<wxMessageDialog*>(dlg)) {
        log.push_back("box:" + box->GetMessage().utf8_string());
        if (onMessageBox)
            onMessageBox(box->GetMessage());
        return wxID_OK;
    }
    ADD_FAILURE() << "unexpected dialog \"" << dlg->GetTitle().utf8_string() << "\"";
    return wxID_CANCEL;
}

void DialogPlayer::Exit(wxDialog* dlg) {
    if (dynamic_cast<CParseDlg*>(dlg))
        log.push_back(dlg->GetReturnCode() == wxID_OK ? "parse:ok" : "parse:cancel");
}

void OnEachTick(CParseDlg& dlg, std::function<void(CParseDlg&, int tick)> action) {
    auto tick = std::make_shared<int>(0);
    dlg.Bind(wxEVT_TIMER, [&dlg, tick, action](wxTimerEvent& event) {
        action(dlg, ++*tick);
        event.Skip();
    });
}

HeldMessageBoxes::HeldMessageBoxes() {
    Register();
    m_previous = SetMessageBoxHandler([this](const std::string& text) {
        int arrived = 0;
        {
            std::lock_guard lock(m_mutex);
            m_texts.push_back(text);
            arrived = static_cast<int>(m_texts.size());
        }
        if (onArrive)
            onArrive(arrived);
        std::unique_lock lock(m_mutex);
        while (!m_bReleased && !IsJobCancelled())
            m_released.wait_for(lock, std::chrono::milliseconds(5));
    });
}

HeldMessageBoxes::~HeldMessageBoxes() {
    Release();
    SetMessageBoxHandler(m_previous);
    Unregister();
}

int HeldMessageBoxes::Enter(wxDialog* dlg) {
    // The job starts once the dialog is shown, after this, and has ended
    // before Exit: a held thread always finds its job's progress here.
    if (auto* parse = dynamic_cast<CParseDlg*>(dlg))
        m_runningJob = &parse->Progress();
    return wxID_NONE;
}

void HeldMessageBoxes::Exit(wxDialog* dlg) {
    if (auto* parse = dynamic_cast<CParseDlg*>(dlg); parse && m_runningJob == &parse->Progress())
        m_runningJob = nullptr;
}

bool HeldMessageBoxes::IsJobCancelled() const {
    const JobProgress* job = m_runningJob;
    return job && job->IsCancelled();
}

void HeldMessageBoxes::Release() {
    {
        std::lock_guard lock(m_mutex);
        m_bReleased = true;
    }
    m_released.notify_all();
}

std::vector<std::string> HeldMessageBoxes::texts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

FlowTest::FlowTest() {
    m_tree.Write("CustomerList.lst", "");
    m_tree.MakeDir("ReportData");
}

FlowTest::~FlowTest() {
    m_dlg.reset();
}

std::string FlowTest::WriteRecords(const std::string& machine, const std::string& name,
                                   std::initializer_list<std::string> lines) {
    RecordFileText content;
    for (const std::string& line : lines)
        content.Append(line);
    m_tree.Write("ReportData/" + machine + "/" + name, content);
    return content;
}

void FlowTest::WritePreviousScripts() {
    m_tree.Write("Report/report.html", "<html></html>\n");
    for (const char* name : kScriptNames)
        m_tree.Write(std::string("Report/js/") + name, "previous");
}

std::string FlowTest::Script(std::string_view name) const {
    return ReadFile(m_tree.home().documents() + "/Norvale/TavriloIC/Report/js/" +
                    std::string(name));
}

CQZ8840ReporterDlg& FlowTest::ShowMainDialog() {
    m_dlg.reset(new CQZ8840ReporterDlg(m_tree.Paths(), DateLocale::FromEnvironment()));
    m_dlg->Show();
    ProcessEvents();
    return *m_dlg;
}

void FlowTest::CheckMachines(std::initializer_list<std::string_view> names) {
    CReportDataListCtrl& list = *m_dlg->MachineList();
    for (long row = 0; row < list.GetItemCount(); ++row) {
        bool named = false;
        for (const std::string_view name : names)
            named = named || list.GetRowBytes(row) == name;
        list.SetCheck(row, named);
    }
}

}  // namespace qz::test
