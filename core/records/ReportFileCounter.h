#pragma once
// The report pass over one record file: its OK and NG counts overall, per
// Setting File, per Machine (Write Board) ID and per record day, for the records in the report
// days that hold no excluded value. Knows nothing of threads: a job calls it
// once per file on a worker.

#include <chrono>
#include <string>

#include "progress/JobProgress.h"
#include "records/ReportCounts.h"
#include "records/ReportCriteria.h"

namespace qz {

// Counts the record lines of the file at path (its first line is a header)
// into counts, which it empties first. False when a cancel stopped it; counts
// then hold part of the file. A file that cannot be opened or read throws
// FileError. A line longer than TextFileReader::kMaxLineBytes is skipped (its
// bytes count for progress); when the file held any, a FileError that says so
// is thrown after the whole file was counted.
// A last line without a line end (a lone CR ends one) may be a record a machine
// is still writing: when the file changed less than kQuietTime before, the
// line is left out and counted in counts.m_linesLeftOut; in a file quiet for
// longer it counts as it stands.
inline constexpr std::chrono::milliseconds kQuietTime{5000};

bool CountReportFile(const std::string& path, const ReportCriteria& criteria,
                     FileProgress& progress, CReportCounts& counts);

}  // namespace qz
