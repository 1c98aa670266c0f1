// qz-ui-screenshot <file.png>: shows the main dialog on a small demo data tree
// and saves a picture of it (run under Xvfb; used for docs/main-dialog.png).

#include <cstdio>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/utils.h>

#include "tests/ui/UiTestSupport.h"
#include "ui/QZ8840ReporterDlg.h"
#include "ui/Resources.h"

namespace {

class ScreenshotApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qz-ui-screenshot <file.png>\n");
        return 2;
    }
    const wxString output = wxString::FromUTF8(argv[1]);
    wxApp::SetInstance(new ScreenshotApp);
    if (!wxEntryStart(argc, argv))
        return 1;
    wxTheApp->CallOnInit();
    qz::LoadUiResources();

    bool saved = false;
    {
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);
        qz::test::DataTree tree;
        tree.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
        for (const char* machine : {"Line 1 - Platform A", "Line 1 - Platform B",
                                    "Line 2 - Platform A", "Line 2 - Platform C"})
            tree.MakeDir(std::string("ReportData/") + machine);

        auto* dlg = new qz::CQZ8840ReporterDlg(tree.Paths(), qz::DateLocale::FromEnvironment());
        dlg->Move(0, 0);
        dlg->Show();
        for (int i = 0; i < 40; ++i) {
            qz::test::ProcessEvents();
            wxMilliSleep(25);
        }
        const wxRect rect(dlg->ClientToScreen(wxPoint(0, 0)), dlg->GetClientSize());
        wxBitmap shot(rect.GetSize(), 24);
        {
            wxScreenDC screen;
            wxMemoryDC memory(shot);
            memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
        }
        saved = shot.SaveFile(output, wxBITMAP_TYPE_PNG);
        delete dlg;
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return saved ? 0 : 1;
}
