// qz-ui-screenshot main|option <file.png>: shows the main dialog on a small
// demo data tree, with a setting file and a customer left out, or the option
// dialog of that line, and saves a picture of it (run under Xvfb; used for
// docs/main-dialog.png and docs/option-dialog.png).

#include <cstdio>
#include <string>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/utils.h>

#include "report/CustomerList.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/OptionDlg.h"
#include "ui/QZ8840ReporterDlg.h"
#include "ui/Resources.h"

namespace {

class ScreenshotApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// Lets the window settle, then saves its client area.
bool SaveClientArea(wxWindow* window, const wxString& file) {
    for (int i = 0; i < 40; ++i) {
        qz::test::ProcessEvents();
        wxMilliSleep(25);
    }
    const wxRect rect(window->ClientToScreen(wxPoint(0, 0)), window->GetClientSize());
    wxBitmap shot(rect.GetSize(), 24);
    {
        wxScreenDC screen;
        wxMemoryDC memory(shot);
        memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    return shot.SaveFile(file, wxBITMAP_TYPE_PNG);
}

// What an option scan of a small line finds.
qz::OptionValues DemoValues() {
    qz::OptionValues found;
    for (const char* file :
         {"HDMI_EDID_D20_V2.bin", "MAIN_SET_A01_REV3.bin", "MAIN_SET_A02_REV3.bin",
          "PWR_CTRL_C05_REV4.bin", "PWR_CTRL_C06_REV4.bin", "SUB_SET_B10_REV1.bin",
          "SUB_SET_B11_REV2.bin", "USB_PD_E31_REV1.bin"})
        found.settingFiles.Insert(file);
    for (const char* id : {"WB-01-P1", "WB-02-P1", "WB-03-P1", "WB-04-P2", "WB-05-P2"})
        found.machineIds.Insert(id);
    for (const char* code : {"0A1B", "0A2C", "1F00", "2B7E", "3C11"})
        found.customers.Insert(code);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc == 3 ? argv[1] : "";
    if (which != "main" && which != "option") {
        std::fprintf(stderr, "usage: qz-ui-screenshot main|option <file.png>\n");
        return 2;
    }
    const wxString output = wxString::FromUTF8(argv[2]);
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
        tree.Write("CustomerList.lst",
                   "0A1B _ Norvale Cable Works\n0A2C _ Tavrilo Harness Ltd\n"
                   "1F00 _ Eastgate Connectors\n2B7E _ Brightline Assemblies\n");
        for (const char* machine : {"Line 1 - Platform A", "Line 1 - Platform B",
                                    "Line 2 - Platform A", "Line 2 - Platform C"})
            tree.MakeDir(std::string("ReportData/") + machine);

        auto* dlg = new qz::CQZ8840ReporterDlg(tree.Paths(), qz::DateLocale::FromEnvironment());
        dlg->ExcludedValues().settingFiles.Insert("PWR_CTRL_C05_REV4.bin");
        dlg->ExcludedValues().customers.Insert("0A2C");
        if (which == "main") {
            dlg->Move(0, 0);
            dlg->Show();
            dlg->ShowExclusions();
            saved = SaveClientArea(dlg, output);
        } else {
            const qz::OptionValues found = DemoValues();
            const qz::CustomerNames names =
                qz::LoadCustomerList(tree.Paths().strCustomerListPath).names;
            auto* option = new qz::COptionDlg(nullptr, found, names, dlg->ExcludedValues());
            option->Move(0, 0);
            option->Show();
            saved = SaveClientArea(option, output);
            delete option;
        }
        delete dlg;
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return saved ? 0 : 1;
}
