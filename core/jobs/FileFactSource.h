#pragma once
// Where the jobs get a record file's facts: the one call that both the report
// job and the option scan job make per file, on a worker.

#include <string>

#include "dates/DateParser.h"
#include "progress/JobProgress.h"
#include "records/FileFactCounter.h"

namespace qz {

// The facts of the whole file at path, dates read by locale; as
// CountFileFacts from the file's start (false when cancelled, FileError as it
// throws them).
bool ReadFileFacts(const std::string& path, const DateLocale& locale, FileProgress& progress,
                   FileFactCount& count);

}  // namespace qz
