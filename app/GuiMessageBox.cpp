#include "app/GuiMessageBox.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

#include "app/TextConvert.h"
#include "platform/MessageBox.h"

namespace qz {

namespace {

struct Request {
    std::string text;
    bool done = false;
};

std::mutex g_queueMutex;
std::condition_variable g_queueDone;
std::deque<Request*> g_queue;  // owned by the waiting threads

void ShowNow(const std::string& text) {
    const wxString caption = wxTheApp ? wxTheApp->GetAppName() : wxString();
    wxMessageBox(ToDisplayText(text), caption, wxOK | wxICON_EXCLAMATION);
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

void InstallGuiMessageBoxHandler() {
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
