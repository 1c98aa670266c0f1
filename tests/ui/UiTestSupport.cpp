#include "tests/ui/UiTestSupport.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/uiaction.h>

#include <thread>

#include "ui/ReportDataListCtrl.h"

namespace qz::test {

void ProcessEvents() {
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessPendingEvents();
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
            while (loop->Pending())
                loop->Dispatch();
        }
    }
}

bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        ProcessEvents();
        if (pred())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Texts Rows(const CReportDataListCtrl& list) {
    Texts rows;
    for (long i = 0; i < list.GetItemCount(); ++i)
        rows.push_back((list.GetCheck(i) ? "+" : "-") + list.GetItemText(i).utf8_string());
    return rows;
}

Texts Values(const CValueSet& set) {
    return Texts(set.begin(), set.end());
}

bool HasFocusIn(const wxWindow* window) {
    for (const wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent()) {
        if (w == window)
            return true;
    }
    return false;
}

namespace {

// Lets the X server's answer arrive and be handled.
void Settle() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
    PumpUntil([until] { return std::chrono::steady_clock::now() >= until; });
}

}  // namespace

void RealPointTo(wxWindow* window) {
    const wxRect rect = window->GetScreenRect();
    wxUIActionSimulator sim;
    sim.MouseMove(rect.GetLeft() + rect.GetWidth() / 2, rect.GetTop() + rect.GetHeight() / 2);
    Settle();
}

void RealClick(wxWindow* window, bool atLeft) {
    const wxRect rect = window->GetScreenRect();
    const int x = atLeft ? rect.GetLeft() + 8 : rect.GetLeft() + rect.GetWidth() / 2;
    wxUIActionSimulator sim;
    // From outside, as a hand comes to it: a click where the last one was
    // would count as a second click of the same gesture.
    sim.MouseMove(rect.GetLeft() - 4, rect.GetTop() - 4);
    Settle();
    sim.MouseMove(x, rect.GetTop() + rect.GetHeight() / 2);
    Settle();
    sim.MouseClick();
    Settle();
}

void RealKey(int keyCode, int modifiers) {
    wxUIActionSimulator sim;
    sim.Char(keyCode, modifiers);
    Settle();
}

void RealType(const char* text) {
    wxUIActionSimulator sim;
    sim.Text(text);
    Settle();
}

}  // namespace qz::test
