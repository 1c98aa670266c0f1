#pragma once
// Helpers of the UI tests: a record-folder tree under a redirected home, and
// the program's data paths on it.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <wx/dialog.h>
#include <wx/window.h>

#include "records/CountMap.h"
#include "report/DataPaths.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/MessageBoxRecorder.h"

namespace qz {
class CReportDataListCtrl;
}

namespace qz::test {

// The data root below the redirected documents folder.
class DataTree {
  public:
    static constexpr std::string_view kRoot = "home/Documents/Norvale/TavriloIC/";

    const HomeRedirect& home() const { return m_home; }
    // The data paths as the program resolves them, which the redirected home
    // puts on this tree.
    DataPaths Paths() const { return DataPaths::Resolve(); }

    std::string Write(std::string_view rel, std::string_view bytes) const {
        return m_home.tempDir().Write(std::string(kRoot) + std::string(rel), bytes);
    }
    std::string MakeDir(std::string_view rel) const {
        return m_home.tempDir().MakeDir(std::string(kRoot) + std::string(rel));
    }

  private:
    HomeRedirect m_home;
};

// Drains the event queue a few times (the tests run without a main loop).
void ProcessEvents();

// Processes events until pred holds, at most for limit; pred's last answer.
bool PumpUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// Deletes a dialog shown modeless by a test.
struct DialogDeleter {
    void operator()(wxDialog* dlg) const { delete dlg; }
};

using Texts = std::vector<std::string>;

// A check list's rows, each as "+" (checked) or "-" followed by its text.
Texts Rows(const CReportDataListCtrl& list);

// A value set's values, in its order.
Texts Values(const CValueSet& set);

// True when the focus is on window or inside it.
bool HasFocusIn(const wxWindow* window);

// The operator's own input, through the X server (XTest): the window under
// the pointer has the keyboard here, where no window manager gives it.
// Clicks the middle of window (its left part with atLeft).
void RealClick(wxWindow* window, bool atLeft = false);
// Moves the pointer over window without clicking.
void RealPointTo(wxWindow* window);
// A key press and release, with wxMOD_* modifiers.
void RealKey(int keyCode, int modifiers = 0);
// Each character of text as a key.
void RealType(const char* text);

}  // namespace qz::test
