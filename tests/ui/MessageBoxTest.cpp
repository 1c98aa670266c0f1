#include <algorithm>
#include <atomic>
#include <chrono>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include "tests/ui/MessageBoxRecorder.h"
#include "ui/GuiMessageBox.h"

namespace qz {
namespace {

constexpr char kProgramName[] = "Program Name";

// Checks the box's text and caption, then closes it with OK.
class ExpectBox : public wxExpectModalBase<wxMessageDialog, ExpectBox> {
  public:
    // callerReturned: set by the caller once ShowMessageBox returned; it must
    // still be false while the box is open.
    explicit ExpectBox(const wxString& text, const std::atomic<bool>* callerReturned = nullptr)
        : m_text(text), m_callerReturned(callerReturned) {}

  protected:
    int OnInvoked(wxMessageDialog* dlg) const override {
        EXPECT_EQ(dlg->GetMessage(), m_text);
        // The program's name, not the executable's file name.
        EXPECT_EQ(dlg->GetCaption(), kProgramName);
        if (m_callerReturned) {
            EXPECT_FALSE(*m_callerReturned);
        }
        return wxID_OK;
    }

  private:
    wxString m_text;
    const std::atomic<bool>* m_callerReturned;
};

// Shows text from a worker thread while this thread serves message boxes, as
// the progress dialog does while it waits for a job; returned is set once the
// worker's ShowMessageBox has returned. Gives up after 10 s.
void ShowFromWorkerWhileServing(const char* text, std::atomic<bool>& returned) {
    std::thread worker([&] {
        ShowMessageBox(text);
        returned = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!returned && std::chrono::steady_clock::now() < deadline) {
        ServePendingMessageBoxes();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (returned) {
        worker.join();
    } else {
        ADD_FAILURE() << "the worker still waits for its box";
        worker.detach();
    }
}

// Texts shown from several threads at once all reach the handler, once each.
TEST(MessageBoxHandler, TakesTheTextsOfManyThreadsAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kEach = 50;
    test::MessageBoxRecorder recorder;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i)
                ShowMessageBox(std::to_string(t * kEach + i));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::vector<int> numbers;
    for (const std::string& text : recorder.texts())
        numbers.push_back(std::stoi(text));
    std::sort(numbers.begin(), numbers.end());
    std::vector<int> expected(kThreads * kEach);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(numbers, expected);
}

TEST(MessageBoxHandler, HandlersNestAndDefaultWritesToStandardError) {
    {
        test::MessageBoxRecorder outer;
        {
            test::MessageBoxRecorder inner;
            ShowMessageBox("to inner");
            EXPECT_EQ(inner.texts(), std::vector<std::string>{"to inner"});
        }
        ShowMessageBox("to outer");
        EXPECT_EQ(outer.texts(), std::vector<std::string>{"to outer"});
    }
    testing::internal::CaptureStderr();
    ShowMessageBox("No record!!\r\nPlease check");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "No record!!\r\nPlease check\n");
}

class GuiMessageBoxTest : public ::testing::Test {
  protected:
    GuiMessageBoxTest() {
        wxTheApp->SetAppDisplayName(kProgramName);
        InstallGuiMessageBoxHandler();
    }
    ~GuiMessageBoxTest() override { SetMessageBoxHandler({}); }
};

TEST_F(GuiMessageBoxTest, ShownAtOnceOnTheUiThread) {
    wxTEST_DIALOG(ShowMessageBox("Caf\xe9 not found"), ExpectBox(L"Caf\u00e9 not found"));
}

TEST_F(GuiMessageBoxTest, AnotherThreadWaitsUntilTheUiThreadHasShownIt) {
    std::atomic<bool> returned{false};
    // The UI thread is busy waiting, as the progress dialog is while a job
    // ends; it serves the box in its waiting loop.
    wxTEST_DIALOG(ShowFromWorkerWhileServing("from a worker", returned),
                  ExpectBox("from a worker", &returned));
    EXPECT_TRUE(returned);
}

// Closes every message box at once and records its parent; other dialogs show.
class BoxParentRecorder : public wxModalDialogHook {
  public:
    BoxParentRecorder() { Register(); }
    const std::vector<wxWindow*>& parents() const { return m_parents; }

  protected:
    int Enter(wxDialog* dialog) override {
        if (!wxDynamicCast(dialog, wxMessageDialog))
            return wxID_NONE;
        m_parents.push_back(dialog->GetParent());
        return wxID_OK;
    }

  private:
    std::vector<wxWindow*> m_parents;
};

TEST_F(GuiMessageBoxTest, BoxGoesOnTopOfTheModalDialogOpenAtTheTime) {
    wxDialog main(nullptr, wxID_ANY, "main");
    wxTheApp->SetTopWindow(&main);
    main.Show();
    wxDialog progress(&main, wxID_ANY, "progress");
    BoxParentRecorder recorder;

    progress.CallAfter([&] {
        ShowMessageBox("from the UI thread");
        // A worker's box, served while the dialog waits for the worker.
        std::atomic<bool> returned{false};
        ShowFromWorkerWhileServing("from a worker", returned);
        progress.EndModal(wxID_OK);
    });
    progress.ShowModal();
    // With no modal dialog left, the box goes on top of the main window.
    ShowMessageBox("after the dialog closed");

    EXPECT_EQ(recorder.parents(), (std::vector<wxWindow*>{&progress, &progress, &main}));
    wxTheApp->SetTopWindow(nullptr);
}

}  // namespace
}  // namespace qz
