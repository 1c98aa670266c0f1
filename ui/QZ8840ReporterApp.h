#pragma once
// The application object. OnInit is the whole run: the single-instance guard,
// the locale of record dates, the data paths, the message box, the main dialog
// run modally. It always returns false, so no main loop runs afterwards;
// RunApplication then calls OnExit, whose result is the exit code.

#include <wx/app.h>

namespace qz {

class CQZ8840ReporterApp : public wxApp {
  public:
    CQZ8840ReporterApp();

    bool OnInit() override;
    int OnExit() override;
};

// main(): starts wx with a CQZ8840ReporterApp, runs OnInit and OnExit, cleans
// up; returns OnExit's result (0, also for a refused second instance).
int RunApplication(int argc, char** argv);

}  // namespace qz
