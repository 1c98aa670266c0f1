#include "ui/GuiMessageBox.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <iterator>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>
#include <wx/weakref.h>

#include "platform/DebugTrace.h"
#include "ui/TextConvert.h"

namespace qz {

namespace {

std::mutex g_handlerMutex;
MessageBoxHandler g_handler;

struct Request {
    std::string text;
    bool done = false;
};

std::mutex g_queueMutex;
std::condition_variable g_queueDone;
std::deque<Request*> g_queue;  // owned by the waiting threads

// The modal dialogs open now, innermost last. A box goes on top of the
// innermost one: with the main window as its parent, the box would raise the
// main window over the dialog the operator waits on (the progress dialog),
// which then stays hidden where no window manager keeps it above.
class ModalDialogTracker : public wxModalDialogHook {
  public:
    wxWindow* Innermost() const {
        for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
            wxDialog* dialog = it->get();
            if (dialog && dialog->IsShown() && !dialog->IsBeingDeleted())
                return dialog;
        }
        return nullptr;
    }

  protected:
    int Enter(wxDialog* dialog) override {
        // A dialog another hook kept from showing never exits: drop it once gone.
        std::erase_if(m_open, [](const wxWeakRef<wxDialog>& open) { return !open; });
        m_open.emplace_back(dialog);
        return wxID_NONE;
    }

    void Exit(wxDialog* dialog) override {
        for (auto it = m_open.rbegin(); it != m_open.rend(); ++it) {
            if (it->get() == dialog) {
                m_open.erase(std::next(it).base());
                break;
            }
        }
    }

  private:
    std::vector<wxWeakRef<wxDialog>> m_open;  // UI thread only
};

ModalDialogTracker& ModalDialogs() {
    static ModalDialogTracker tracker;
    return tracker;
}

void ShowNow(const std::string& text) {
    const wxString caption = wxTheApp ? wxTheApp->GetAppDisplayName() : wxString();
    wxWindow* parent = ModalDialogs().Innermost();
    if (!parent && wxTheApp)
        parent = wxTheApp->GetTopWindow();
    DebugTrace("message box: " + text);  // tests of the Windows build expect each box
    wxMessageBox(ToDisplayText(text), caption, wxOK | wxICON_EXCLAMATION, parent);
}

void ShowOrQueue(const std::string& text) {
    if (wxThread::IsMain()) {
        ShowNow(text);
        return;
    }
    if (!wxTheApp) {  // the UI is gone: nobody could close a box
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    Request request{text};
    {
        std::lock_guard lock(g_queueMutex);
        g_queue.push_back(&request);
    }
    wxTheApp->CallAfter([] { ServePendingMessageBoxes(); });
    std::unique_lock lock(g_queueMutex);
    g_queueDone.wait(lock, [&] { return request.done; });
}

}  // namespace

void ShowMessageBox(std::string_view text) {
    MessageBoxHandler handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_handler;
    }
    // Called outside the lock: a handler blocks until the operator answers, and
    // other threads must be able to show their boxes meanwhile.
    const std::string message(text);
    if (handler) {
        handler(message);
    } else {
        std::fprintf(stderr, "%s\n", message.c_str());
        std::fflush(stderr);
    }
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard lock(g_handlerMutex);
    MessageBoxHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

JobSink MessageBoxSink() {
    return [](const FileError& error) { ShowMessageBox(error.ShownDescription()); };
}

void InstallGuiMessageBoxHandler() {
    static bool tracking = false;
    if (!std::exchange(tracking, true))
        ModalDialogs().Register();
    SetMessageBoxHandler(ShowOrQueue);
}

void ServePendingMessageBoxes() {
    for (;;) {
        Request* request = nullptr;
        {
            std::lock_guard lock(g_queueMutex);
            if (g_queue.empty())
                return;
            request = g_queue.front();
            g_queue.pop_front();
        }
        ShowNow(request->text);
        {
            std::lock_guard lock(g_queueMutex);
            request->done = true;
        }
        g_queueDone.notify_all();
    }
}

}  // namespace qz
