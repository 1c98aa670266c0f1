#pragma once
// The program's message box: a text with an OK button and the application's
// display name (the program's name) as caption, on top of the innermost modal
// dialog open at the time (else the main window).
// It may be asked for from any thread; the asking thread waits until the
// operator has closed it. On the UI thread it is shown at once. Another thread
// queues its text, wakes the UI thread and waits; the UI thread shows queued
// boxes from its event loop, or from ServePendingMessageBoxes when it is busy
// waiting for that other thread.

#include <functional>
#include <string>
#include <string_view>

#include "jobs/JobSink.h"

namespace qz {

// Shows text through the handler installed (the box above once the program
// has installed it; a test's recorder), else writes it to standard error.
void ShowMessageBox(std::string_view text);

// What ShowMessageBox calls. Installing one (an empty one restores the
// standard-error default) returns the previous one. Thread-safe.
using MessageBoxHandler = std::function<void(const std::string& text)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Makes ShowMessageBox use the box above.
void InstallGuiMessageBoxHandler();

// UI thread: shows every queued box, one after the other; returns when the
// queue is empty. Cheap when nothing is queued.
void ServePendingMessageBoxes();

// The dialogs' sink for a job: each file error in a message box, its worker
// waiting until the operator has closed it.
JobSink MessageBoxSink();

}  // namespace qz
