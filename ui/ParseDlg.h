#pragma once
// The modal "Parsing..." dialog under which every job runs. It starts the job
// on a thread of its own, shows the percentage and an estimate of the
// remaining time every 100 ms from the job's progress and lets the operator
// cancel.
//
// ShowModal ends with wxID_OK once the job thread has ended with data parsed,
// and with wxID_CANCEL after a cancel or when the job found no record data.
// Either way the job thread has ended, so the caller may read its results.
// When the system has no thread to spare for the job, the dialog says so and
// ends with wxID_CANCEL without having run it.
// While the UI thread waits for the job thread it keeps showing the message
// boxes that workers ask for, so a file error during a cancel cannot deadlock.
// UI thread only.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "progress/JobProgress.h"
#include "report/MessageTexts.h"

class wxGauge;
class wxStaticText;

namespace qz {

class CReportDataListCtrl;

// True when list has rows and at least one of them is checked.
bool HasCheckedMachine(const CReportDataListCtrl& list);

// Starts body on a new thread; throws std::system_error when the system
// cannot create one, as std::thread does.
using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

class CParseDlg : public wxDialog {
  public:
    // job runs once the dialog is shown; progress is the one it reports to and
    // the one a cancel goes to. Both must outlive the dialog. startThread
    // starts the job's thread (tests pass one that fails).
    CParseDlg(wxWindow* owner, JobProgress& progress, std::function<void()> job,
              ThreadStarter startThread = StartStdThread);

    static std::thread StartStdThread(std::function<void()> body);
    ~CParseDlg() override;

    bool OnInitDialog();
    void OnTimer(wxTimerEvent& event);
    void UpdateProgress();
    // Cancel button, Escape, close box, and a job without record data.
    void OnCancel();

    // The running job's progress and cancel.
    JobProgress& Progress() const { return m_jobProgress; }
    // True while the job thread has been started and not yet joined.
    bool HasJobThread() const { return m_jobThread.joinable(); }
    // True while the progress display is refreshed (from the start of the job
    // to the end of the dialog).
    bool IsRefreshing() const { return m_timer.IsRunning(); }

    wxGauge* Gauge() const { return m_progress; }
    wxStaticText* PercentText() const { return m_percentText; }
    wxStaticText* RemainingText() const { return m_remainingText; }
    wxStaticText* StatusText() const { return m_statusText; }

  private:
    static constexpr int kTimerId = 1;

    void FindControls();
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnOkCommand(wxCommandEvent& event);
    void OnCancelCommand(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    // False (the reason shown, the dialog ending as cancelled) when the job's
    // thread cannot be created.
    bool StartJobThread();
    // Waits for the job thread to end, showing queued message boxes meanwhile,
    // then joins it.
    void WaitForJobThread();
    void KillTimer();

    wxGauge* m_progress = nullptr;
    wxStaticText* m_percentText = nullptr;
    wxStaticText* m_remainingText = nullptr;
    wxStaticText* m_statusText = nullptr;
    std::uint64_t m_nLastParsedBytes = 0;
    std::int32_t m_nPercent = 0;
    std::int32_t m_nShownPercent = 0;
    std::int32_t m_nTick = 0;

    JobProgress& m_jobProgress;
    std::function<void()> m_job;
    ThreadStarter m_startThread;
    std::thread m_jobThread;
    std::atomic<bool> m_bJobEnded{false};  // set by the job thread as its last act
    wxTimer m_timer;
    bool m_bInitialised = false;
    bool m_bEnding = false;  // an end path has begun
};

}  // namespace qz
