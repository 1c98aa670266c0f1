// Runs the UI tests inside a wx application (no main loop; an active event
// loop lets the tests process pending events). Listing the tests needs no
// display, so test discovery works at build time.

#include <cstdio>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>

#include "ui/Resources.h"

namespace {

class TestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// A failed wx assertion fails the running test instead of showing a dialog.
void FailTestOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                      const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << func.utf8_str() << ": "
                                          << cond.utf8_str() << " " << msg.utf8_str();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start the UI (is there a display?)\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    wxSetAssertHandler(FailTestOnAssert);
    qz::LoadUiResources();

    int result = 0;
    {
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
