#pragma once
// Ctrl+C for a command that runs until its operator ends it (--watch): an
// interrupt only sets a flag the command polls, so that it ends between two
// reports, or stops the count of the report in hand, and never leaves a
// report half written. A second Ctrl+C ends the process at once, for an
// operator who will not wait. POSIX: SIGINT and SIGTERM. Windows: the
// console's Ctrl+C, Ctrl+Break and close events.

#include <chrono>

namespace qz {

// Sets the handlers; from then on an interrupt no longer ends the process.
void InstallWatchStop();

// Whether an interrupt came. Thread-safe.
bool WatchStopRequested();

// Waits up to duration, in short slices; true as soon as an interrupt came.
bool WaitForWatchStop(std::chrono::milliseconds duration);

// The command has finished its last report: a console being closed (which
// ends the process when its handler returns) may now end it.
void WatchStopped();

}  // namespace qz
