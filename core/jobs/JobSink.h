#pragma once
// Where a job tells its caller what went wrong with one of its files: a file
// it could not read, or read only in part (lines too long to count, memory
// that ran out). The caller passes the sink with the request and decides how
// the operator learns of it: the dialogs show a message box, the batch command
// writes a line on standard error, tests record.

#include <functional>

#include "platform/FileError.h"

namespace qz {

// Called on the job's worker threads, by several of them at once; the worker
// waits until it returns, so a sink that waits for the operator holds that
// worker only. Empty: nobody listens (a report's result still counts the
// files that failed).
using JobSink = std::function<void(const FileError& error)>;

// Hands error to sink, unless it is empty.
inline void Tell(const JobSink& sink, const FileError& error) {
    if (sink) {
        sink(error);
    }
}

}  // namespace qz
