#include "ui/ParseDlg.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <mutex>
#include <vector>

#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "ui/GuiMessageBox.h"
#include "ui/QZ8840ReporterDlg.h"
#include "ui/Resources.h"
#include "ui/TextConvert.h"
#include "ui/ReportDataListCtrl.h"
#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "platform/MessageBox.h"
#include "platform/Thread.h"

namespace qz {

namespace {

constexpr std::chrono::milliseconds kTimerInterval{100};
// How long the UI thread sleeps between two looks at the job thread and the
// message-box queue while it waits for the job to end.
constexpr std::chrono::milliseconds kWaitSlice{20};

constexpr char kCancellingStatus[] = "Cancelling...Please wait...";
constexpr char kCancellingCaption[] = "Cancelling...";

}  // namespace

bool HasCheckedMachine(const CReportDataListCtrl& list) {
    std::vector<int> checked;
    list.GetCheckedItems(checked);
    return list.GetItemCount() > 0 && !checked.empty();
}

std::optional<int> EstimateRemainingSeconds(double r, int ticks) {
    if (!(r > 0.0))
        return std::nullopt;
    if (r > 1.0)
        r = 1.0;
    const double seconds = (1.0 - r) / r * (ticks / 10.0) + 1.0;
    if (seconds >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(seconds);
}

std::string FormatRemainingTime(int seconds) {
    char text[40];
    const int minutes = seconds / 60;
    if (minutes != 0)
        std::snprintf(text, sizeof text, "%d min %d s", minutes, seconds - 60 * minutes);
    else
        std::snprintf(text, sizeof text, "%d s", seconds);
    return text;
}

CParseDlg::CParseDlg(std::int32_t mode, CQZ8840ReporterDlg* owner)
    : m_pOwner(owner), m_nMode(mode), m_timer(this, kTimerId) {
    LoadDialogLayout(this, owner, "IDD_PARSE_DIALOG", wxSize(297, 106));
    DoDataExchange();

    // The dialog ends only through completion and cancel: the OK command
    // (Enter, a default button) must not end it while the job runs.
    SetAffirmativeId(wxID_NONE);
    SetEscapeId(wxID_CANCEL);
    Bind(wxEVT_BUTTON, &CParseDlg::OnOkCommand, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CParseDlg::OnCancelCommand, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CParseDlg::OnClose, this);
    Bind(wxEVT_TIMER, &CParseDlg::OnTimer, this);
    Bind(wxEVT_INIT_DIALOG, &CParseDlg::OnInitDialogEvent, this);

    g_cancelEvent.ResetEvent();
}

CParseDlg::~CParseDlg() {
    KillTimer();
    if (m_pThread) {
        // Only reached when the dialog goes without having ended: stop the job
        // first, its input lives here.
        g_cancelEvent.Set();
        WaitForJobThread();
    }
}

void CParseDlg::DoDataExchange() {
    m_progress = wxDynamicCast(FindWindow(IDC_PROGRESS_PARSE), wxGauge);
    m_percentText = wxDynamicCast(FindWindow(IDC_STATIC_PERCENT), wxStaticText);
    m_remainingText = wxDynamicCast(FindWindow(IDC_STATIC_REMAINING_TIME), wxStaticText);
    m_statusText = wxDynamicCast(FindWindow(IDC_STATIC_STATUS), wxStaticText);
    wxASSERT_MSG(m_progress && m_percentText && m_remainingText && m_statusText,
                 "progress dialog layout lacks a control");
}

void CParseDlg::OnInitDialogEvent(wxInitDialogEvent& event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    event.Skip();
}

bool CParseDlg::OnInitDialog() {
    StartJobThread();
    m_progress->SetRange(100);
    m_timer.Start(static_cast<int>(kTimerInterval.count()));
    m_nTimerID = kTimerId;
    return true;
}

void CParseDlg::StartJobThread() {
    // The rows are read here, on the UI thread that owns the list; the job
    // gets its own copy and never calls into the UI.
    m_input.checkedRows.clear();
    if (m_pOwner && m_pOwner->m_listMachine)
        m_pOwner->m_listMachine->GetCheckedItems(m_input.checkedRows);

    // The counters still hold the previous job's values until the new job's
    // size pass clears them; the first tick must not read them as 100 %.
    g_totalBytes.store(0);
    {
        std::lock_guard lock(g_progressMutex);
        g_parsedBytes.store(0);
    }

    const auto proc = m_nMode == kModeOptionScan ? &OptionScanThreadProc : &ReportThreadProc;
    m_pThread = std::make_unique<Thread>([proc, input = &m_input] { return proc(input); });
    m_pThread->Resume();
}

void CParseDlg::OnTimer(wxTimerEvent& event) {
    ++m_nTick;
    UpdateProgress();
    event.Skip();
}

void CParseDlg::UpdateProgress() {
    if (m_bEnding || !m_pThread)
        return;
    // Read the end first: a job that has ended has written its totals.
    const bool ended = m_pThread->EndedEvent().IsSet();
    const std::uint64_t total = g_totalBytes.load();
    if (total == 0) {
        if (ended) {
            ShowMessageBox(kRecordNotFoundMessage);
            OnCancel();
        }
        return;  // still measuring
    }

    const std::uint64_t parsed = g_parsedBytes.load();
    // A file that grew or was added after the size pass can take the parsed
    // bytes past the total; one that could not be read leaves them short. The
    // end of the job is what completes the run.
    double r = static_cast<double>(parsed) / static_cast<double>(total);
    if (ended || r > 1.0)
        r = 1.0;
    if (ended || parsed != m_nLastParsedBytes) {
        m_nLastParsedBytes = parsed;
        m_nPercent = static_cast<std::int32_t>(r * 100.0);
    }
    if (m_nPercent != m_nShownPercent) {
        m_percentText->SetLabel(wxString::Format("%d%%", m_nPercent));
        m_nShownPercent = m_nPercent;
    }
    if (const std::optional<int> seconds = EstimateRemainingSeconds(r, m_nTick))
        m_remainingText->SetLabel(FromUtf8(FormatRemainingTime(*seconds)));
    m_progress->SetValue(m_nPercent);

    if (ended) {
        m_bEnding = true;
        WaitForJobThread();
        KillTimer();
        EndDialog(wxID_OK);
    }
}

void CParseDlg::OnOkCommand(wxCommandEvent&) {
    // Swallowed: only the end of the job completes the run.
}

void CParseDlg::OnCancelCommand(wxCommandEvent&) {
    OnCancel();
}

void CParseDlg::OnClose(wxCloseEvent&) {
    OnCancel();
}

void CParseDlg::OnCancel() {
    if (m_bEnding)
        return;  // a second cancel while the first one waits
    m_bEnding = true;
    wxBeginBusyCursor();
    g_cancelEvent.Set();
    m_statusText->SetLabel(kCancellingStatus);
    SetTitle(kCancellingCaption);
    KillTimer();
    WaitForJobThread();
    wxEndBusyCursor();
    EndDialog(wxID_CANCEL);
}

void CParseDlg::WaitForJobThread() {
    if (!m_pThread)
        return;
    while (!m_pThread->EndedEvent().WaitFor(kWaitSlice)) {
        // A worker may be waiting for the operator to close a file-error box,
        // and the job for that worker.
        ServePendingMessageBoxes();
        // Repaint (the cancelling texts), but take no input and run no timer.
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
            loop->YieldFor(wxEVT_CATEGORY_UI);
    }
    m_pThread->Join();
    m_pThread.reset();
}

void CParseDlg::KillTimer() {
    m_timer.Stop();
    m_nTimerID = 0;
}

}  // namespace qz
