#pragma once
// Helpers of the report-flow tests: a main dialog on a data tree
// under a redirected home, an operator that answers the modal dialogs of a
// command, timer hooks into a running progress dialog, and message boxes that
// hold the worker thread that asked for them.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>

#include "progress/JobProgress.h"
#include "tests/support/RecordText.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/GuiMessageBox.h"
#include "ui/OptionDlg.h"
#include "ui/ParseDlg.h"
#include "ui/QZ8840ReporterDlg.h"

namespace qz::test {

// Polls pred every few milliseconds; false when it is still false after limit.
bool WaitUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// Sends a button click of id to dlg as the button itself would.
void ClickButton(wxDialog& dlg, int id);
// Sends a key to dlg's keyboard hook, as a key press in the dialog would.
void PressKey(wxDialog& dlg, int keyCode);

// Plays the operator while it exists. The progress dialog runs for real (a
// test may hook into it before it starts); the option dialog runs its real
// modal loop, in which playOption acts (it must end the dialog); message boxes
// shown through wx are answered with OK. log receives "parse", "parse:ok" or
// "parse:cancel" when it ends, "option", and "box:" + text.
class DialogPlayer : public wxModalDialogHook {
  public:
    DialogPlayer() { Register(); }
    ~DialogPlayer() override { Unregister(); }

    std::function<void(CParseDlg&)> onParse;
    std::function<void(COptionDlg&)> playOption;
    std::function<void(const wxString& text)> onMessageBox;
    std::vector<std::string> log;

  protected:
    int Enter(wxDialog* dlg) override;
    void Exit(wxDialog* dlg) override;
};

// Calls action at every tick of dlg's timer (tick counts from 1), before the
// dialog's own handling of that tick.
void OnEachTick(CParseDlg& dlg, std::function<void(CParseDlg&, int tick)> action);

// A message-box handler that records the text and holds the asking thread
// until Release() or until the job of the progress dialog shown meanwhile is
// cancelled: a file-error box that the operator has not closed yet, which a
// cancel must not wait for. Restores the previous handler when it goes.
class HeldMessageBoxes : private wxModalDialogHook {
  public:
    HeldMessageBoxes();
    ~HeldMessageBoxes() override;
    HeldMessageBoxes(const HeldMessageBoxes&) = delete;
    HeldMessageBoxes& operator=(const HeldMessageBoxes&) = delete;

    // Called on the asking thread with the number of boxes asked for so far,
    // before it is held.
    std::function<void(int arrived)> onArrive;

    void Release();
    std::vector<std::string> texts() const;

  private:
    // Watch the progress dialog's job while it is shown.
    int Enter(wxDialog* dlg) override;
    void Exit(wxDialog* dlg) override;
    bool IsJobCancelled() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_bReleased = false;
    std::vector<std::string> m_texts;
    std::atomic<const JobProgress*> m_runningJob{nullptr};
    MessageBoxHandler m_previous;
};

// A main dialog on a data tree of its own, and the operator's part.
class FlowTest : public ::testing::Test {
  protected:
    FlowTest();
    ~FlowTest() override;

    // Writes a record file (header plus lines) below ReportData/machine/.
    std::string WriteRecords(const std::string& machine, const std::string& name,
                             std::initializer_list<std::string> lines);
    // Writes the six report scripts with the text "previous"; the report page
    // folder exists afterwards.
    void WritePreviousScripts();
    // The content of a report script, read from the data tree.
    std::string Script(std::string_view name) const;

    // Constructs and initialises the main dialog over the tree as written.
    CQZ8840ReporterDlg& ShowMainDialog();
    // Checks exactly the machine rows named.
    void CheckMachines(std::initializer_list<std::string_view> names);

    DataTree m_tree;
    MessageBoxRecorder m_messages;
    ShellOpenRecorder m_opens;
    DialogPlayer m_player;

  private:
    struct DialogDeleter {
        void operator()(wxDialog* dlg) const { delete dlg; }
    };
    std::unique_ptr<CQZ8840ReporterDlg, DialogDeleter> m_dlg;
};

inline const char* const kScriptNames[] = {
    "chartSummary.js", "chartSettingFile.js", "chartMachineId.js",
    "tableSummary.js", "tableSettingFile.js", "tableMachineId.js",
};

}  // namespace qz::test
