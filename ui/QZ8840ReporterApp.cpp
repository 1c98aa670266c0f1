#include "ui/QZ8840ReporterApp.h"

#include <clocale>

#include "platform/MessageBox.h"
#include "platform/SingleInstance.h"
#include "report/DataPaths.h"
#include "ui/GuiMessageBox.h"
#include "ui/QZ8840ReporterDlg.h"
#include "ui/Resources.h"

namespace qz {

namespace {

constexpr char kSingleInstanceName[] = "QZ8840-Production-Report";
// The main window's title: message boxes carry it too.
constexpr char kProgramName[] = "Norvale Tavrilo Production Report";

}  // namespace

CQZ8840ReporterApp::CQZ8840ReporterApp() {
    // The window class matches the executable and its desktop entry.
    SetClassName("qz8840-reporter");
    SetAppDisplayName(kProgramName);
}

bool CQZ8840ReporterApp::OnInit() {
    SingleInstanceGuard guard(kSingleInstanceName);
    if (guard.AlreadyExists()) {
        // No message and no window of its own: the running one comes forward.
        guard.AskHolderToShow();
        return false;
    }

    // Record dates are read in the order of the user's LC_TIME: a report's
    // criteria take the process locale as set here.
    std::setlocale(LC_ALL, "");
    const DataPaths paths = DataPaths::Resolve();

    InstallGuiMessageBoxHandler();
    LoadUiResources();

    {
        CQZ8840ReporterDlg dlg(paths, nullptr);
        SetTopWindow(&dlg);
        // Queued from the listening thread; Release below ends it before the
        // dialog goes.
        guard.ListenForShowRequests([&dlg] { dlg.CallAfter(&CQZ8840ReporterDlg::BringToFront); });
        dlg.ShowModal();
        SetTopWindow(nullptr);
        // Released before the dialog goes, so a new start succeeds even while
        // this process is still ending.
        guard.Release();
    }
    return false;
}

int CQZ8840ReporterApp::OnExit() {
    SetMessageBoxHandler({});
    return wxApp::OnExit();
}

}  // namespace qz

wxIMPLEMENT_APP_NO_MAIN(qz::CQZ8840ReporterApp);

namespace qz {

int RunApplication(int argc, char** argv) {
    if (!wxEntryStart(argc, argv))
        return 1;
    wxTheApp->CallOnInit();
    const int exitCode = wxTheApp->OnExit();
    wxEntryCleanup();
    return exitCode;
}

}  // namespace qz
