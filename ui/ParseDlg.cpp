#include "ui/ParseDlg.h"

#include <chrono>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include "jobs/RemainingTime.h"
#include "ui/GuiMessageBox.h"
#include "ui/ReportDataListCtrl.h"
#include "ui/Resources.h"
#include "ui/TextConvert.h"

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

CParseDlg::CParseDlg(wxWindow* owner, JobProgress& progress, std::function<void()> job,
                     ThreadStarter startThread)
    : m_jobProgress(progress),
      m_job(std::move(job)),
      m_startThread(std::move(startThread)),
      m_timer(this, kTimerId) {
    LoadDialogLayout(this, owner, "IDD_PARSE_DIALOG", wxSize(297, 106));
    FindControls();

    // The dialog ends only through completion and cancel: the OK command
    // (Enter, a default button) must not end it while the job runs.
    SetAffirmativeId(wxID_NONE);
    SetEscapeId(wxID_CANCEL);
    Bind(wxEVT_BUTTON, &CParseDlg::OnOkCommand, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CParseDlg::OnCancelCommand, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CParseDlg::OnClose, this);
    Bind(wxEVT_TIMER, &CParseDlg::OnTimer, this);
    Bind(wxEVT_INIT_DIALOG, &CParseDlg::OnInitDialogEvent, this);
}

CParseDlg::~CParseDlg() {
    KillTimer();
    if (m_jobThread.joinable()) {
        // Only reached when the dialog goes without having ended: stop the job
        // first, it writes into its caller's results.
        m_jobProgress.Cancel();
        WaitForJobThread();
    }
}

void CParseDlg::FindControls() {
    m_progress = XRCCTRL(*this, "IDC_PROGRESS_PARSE", wxGauge);
    m_percentText = XRCCTRL(*this, "IDC_STATIC_PERCENT", wxStaticText);
    m_remainingText = XRCCTRL(*this, "IDC_STATIC_REMAINING_TIME", wxStaticText);
    m_statusText = XRCCTRL(*this, "IDC_STATIC_STATUS", wxStaticText);
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

std::thread CParseDlg::StartStdThread(std::function<void()> body) {
    return std::thread(std::move(body));
}

bool CParseDlg::OnInitDialog() {
    m_progress->SetRange(100);
    if (!StartJobThread())
        return true;
    m_timer.Start(static_cast<int>(kTimerInterval.count()));
    return true;
}

bool CParseDlg::StartJobThread() {
    try {
        // The job reports its progress through the progress object; the
        // message boxes its sink asks for wait for this thread, which shows
        // them from its event loop or while it waits for the job.
        m_jobThread = m_startThread([this] {
            m_job();
            m_bJobEnded.store(true, std::memory_order_release);
        });
        return true;
    } catch (const std::system_error& error) {
        // The dialog is not modal yet while it initialises: it says so and
        // ends from its own event loop.
        m_bEnding = true;
        CallAfter([this, reason = std::string(error.what())] {
            ShowMessageBox(kJobNotStartedMessage + reason);
            EndDialog(wxID_CANCEL);
        });
        return false;
    }
}

void CParseDlg::OnTimer(wxTimerEvent& event) {
    ++m_nTick;
    UpdateProgress();
    event.Skip();
}

void CParseDlg::UpdateProgress() {
    if (m_bEnding || !m_jobThread.joinable())
        return;
    // Read the end first: a job that has ended has measured and read all.
    const bool ended = m_bJobEnded.load(std::memory_order_acquire);
    const std::uint64_t total = m_jobProgress.TotalBytes();
    if (total == 0) {
        if (ended) {
            ShowMessageBox(kRecordNotFoundMessage);
            OnCancel();
        }
        return;  // still measuring
    }

    const std::uint64_t parsed = m_jobProgress.ParsedBytes();
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
    m_jobProgress.Cancel();
    m_statusText->SetLabel(kCancellingStatus);
    SetTitle(kCancellingCaption);
    KillTimer();
    WaitForJobThread();
    wxEndBusyCursor();
    EndDialog(wxID_CANCEL);
}

void CParseDlg::WaitForJobThread() {
    if (!m_jobThread.joinable())
        return;
    while (!m_bJobEnded.load(std::memory_order_acquire)) {
        // A worker may be waiting for the operator to close a file-error box,
        // and the job for that worker.
        ServePendingMessageBoxes();
        // Repaint (the cancelling texts), but take no input and run no timer.
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
            loop->YieldFor(wxEVT_CATEGORY_UI);
        if (!m_bJobEnded.load(std::memory_order_acquire))
            std::this_thread::sleep_for(kWaitSlice);
    }
    m_jobThread.join();
}

void CParseDlg::KillTimer() {
    m_timer.Stop();
}

}  // namespace qz
