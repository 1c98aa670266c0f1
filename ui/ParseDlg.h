#pragma once
// The modal "Parsing..." dialog under which every parse job runs. It collects
// the checked machine rows of its owner, starts the job of its mode on a
// thread of its own, shows the percentage and an estimate of the remaining
// time every 100 ms and lets the operator cancel.
//
// ShowModal ends with wxID_OK once the job thread has ended with data parsed,
// and with wxID_CANCEL after a cancel or when the job found no record data.
// Either way the job thread has ended, so the caller may read its results.
// While the UI thread waits for the job thread it keeps showing the message
// boxes that workers ask for, so a file error during a cancel cannot deadlock.
// UI thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "jobs/ParseJobs.h"

class wxGauge;
class wxStaticText;

namespace qz {

class CQZ8840ReporterDlg;
class CReportDataListCtrl;
class Thread;

// Control ids of the progress dialog's layout.
enum : int {
    IDC_PROGRESS_PARSE = 1027,
    IDC_STATIC_REMAINING_TIME = 1028,
    IDC_STATIC_PERCENT = 1029,
    IDC_STATIC_STATUS = 1030,
};

// Shown by the commands that run a parse job when no machine row is checked.
inline constexpr char kNoMachineSelectedMessage[] = "No \"Machine (platform)\" is selected";
// Shown by the progress dialog when the job found no record data.
inline constexpr char kRecordNotFoundMessage[] = "Production record not found!!";

// True when list has rows and at least one of them is checked.
bool HasCheckedMachine(const CReportDataListCtrl& list);

// The remaining seconds estimated after ticks timer ticks (tenths of a second)
// with the fraction r of the bytes parsed: (1 - r) / r * ticks / 10 + 1,
// truncated; capped at the int range. Nothing while r is 0 (no estimate yet).
std::optional<int> EstimateRemainingSeconds(double r, int ticks);
// "%d min %d s", or "%d s" below one minute.
std::string FormatRemainingTime(int seconds);

class CParseDlg : public wxDialog {
  public:
    // mode: kModeOptionScan or kModeReport. Resets g_cancelEvent.
    CParseDlg(std::int32_t mode, CQZ8840ReporterDlg* owner);
    ~CParseDlg() override;

    bool OnInitDialog();
    void OnTimer(wxTimerEvent& event);
    void UpdateProgress();
    // Cancel button, Escape, close box, and a job without record data.
    void OnCancel();

    CQZ8840ReporterDlg* m_pOwner = nullptr;
    std::unique_ptr<Thread> m_pThread;
    wxGauge* m_progress = nullptr;
    wxStaticText* m_percentText = nullptr;
    wxStaticText* m_remainingText = nullptr;
    int m_nTimerID = 0;
    std::uint64_t m_nLastParsedBytes = 0;
    std::int32_t m_nPercent = 0;
    std::int32_t m_nShownPercent = 0;
    std::int32_t m_nTick = 0;
    std::int32_t m_nMode = 0;
    wxStaticText* m_statusText = nullptr;

  private:
    static constexpr int kTimerId = 1;

    void DoDataExchange();
    void OnInitDialogEvent(wxInitDialogEvent& event);
    void OnOkCommand(wxCommandEvent& event);
    void OnCancelCommand(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void StartJobThread();
    // Waits for the job thread to end, showing queued message boxes meanwhile,
    // then deletes it.
    void WaitForJobThread();
    void KillTimer();

    ParseJobInput m_input;  // read by the job thread while it runs
    wxTimer m_timer;
    bool m_bInitialised = false;
    bool m_bEnding = false;  // an end path has begun
};

}  // namespace qz
