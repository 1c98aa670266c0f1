#include "ui/QZ8840ReporterApp.h"

#include <clocale>

#include <wx/msgdlg.h>

#include "dates/DateParser.h"
#include "platform/SingleInstance.h"
#include "report/DataPaths.h"
#include "report/ReportPageSetup.h"
#include "ui/GuiMessageBox.h"
#include "ui/QZ8840ReporterDlg.h"
#include "ui/Resources.h"

namespace qz {

namespace {

constexpr char kSingleInstanceName[] = "QZ8840-Production-Report";
// The main window's title: message boxes carry it too.
constexpr char kProgramName[] = "Norvale Tavrilo Production Report";
constexpr char kNotAnsweringMessage[] =
    "The program is already running but does not answer.\n"
    "End the running program, then start it again.";

}  // namespace

CQZ8840ReporterApp::CQZ8840ReporterApp() {
    // The window class matches the executable and its desktop entry.
    SetClassName("qz8840-reporter");
    SetAppDisplayName(kProgramName);
}

bool CQZ8840ReporterApp::OnInit() {
    SingleInstanceGuard guard(kSingleInstanceName);
    if (guard.AlreadyExists()) {
        // No window of its own: the running one comes forward. One that does
        // not answer (stopped, hanging) is told of rather than waited for.
        if (!guard.AskHolderToShow())
            wxMessageBox(kNotAnsweringMessage, kProgramName, wxOK | wxICON_WARNING);
        return false;
    }

    // Record dates are read in the order of the user's LC_TIME, taken once
    // here with the data paths.
    std::setlocale(LC_ALL, "");
    const DataPaths paths = DataPaths::Resolve();
    const DateLocale dateLocale = DateLocale::FromEnvironment();

    InstallGuiMessageBoxHandler();
    LoadUiResources();
    // The page and the script folder below the data root, where missing.
    if (const std::string problem = PrepareReportPage(paths); !problem.empty())
        ShowMessageBox(problem);

    {
        CQZ8840ReporterDlg dlg(paths, dateLocale, nullptr);
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
