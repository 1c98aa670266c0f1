#pragma once
// The program's message box on wx: a box with the text, an OK button and the
// application's display name (the program's name) as caption,
// on top of the innermost modal dialog open at the time (else the main window).
// On the UI thread it is shown at once. Another thread queues its text, wakes
// the UI thread and waits until the operator has closed the box; the UI thread
// shows queued boxes from its event loop, or from ServePendingMessageBoxes when
// it is busy waiting for that other thread.

namespace qz {

// Makes ShowMessageBox use the box above.
void InstallGuiMessageBoxHandler();

// UI thread: shows every queued box, one after the other; returns when the
// queue is empty. Cheap when nothing is queued.
void ServePendingMessageBoxes();

}  // namespace qz
