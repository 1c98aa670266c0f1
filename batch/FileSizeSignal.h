#pragma once
// A file-size limit (ulimit -f) must end a report as any other write failure:
// with a message, the write-failure exit status and no temporary file left.

namespace qz {

// Makes a write beyond the file-size limit fail with EFBIG instead of ending
// the process with SIGXFSZ. Nothing to do where the system has no such signal.
void TreatFileSizeLimitAsWriteError();

}  // namespace qz
