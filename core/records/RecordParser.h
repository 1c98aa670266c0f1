#pragma once
// The report pass over one production record file, run on a worker thread.
//
// A record line is split at commas; a run of commas counts as one and leading
// commas are skipped, so no field is empty. Positions: 0 date, 2 Setting File,
// 3 customer code, 4 Machine (Write Board) ID, 6 result ("OK" = passed).

#include <array>
#include <string_view>

#include "dates/OleDate.h"

namespace qz {

struct CParseWorker;
struct DateLocale;

// The report's date range, written by the UI thread while no job runs.
extern OleDate g_dtReportStart;
extern OleDate g_dtReportEnd;

// The locale the record dates are read with. Set before a job starts (the
// program sets it from the environment at start-up); read-only during a job.
const DateLocale& GetRecordDateLocale();
void SetRecordDateLocale(const DateLocale& locale);

// Splits line into at most fields.size() fields; returns how many were found.
// The views point into line.
std::size_t SplitRecordFields(std::string_view line, std::array<std::string_view, 7>& fields);

// a <= b on dates with status, with a half-second tolerance; false whenever
// either is invalid.
bool OleDateLessOrEqual(const OleDate& a, const OleDate& b);

// True when the record date lies from the start day 00:00:00 up to, not
// including, the day after the end day, 00:00:00 (half-second tolerance).
bool IsInDateRange(const OleDate& recordDate);

// Counts the record file worker.m_pszPath into worker.m_counts (see
// CParseWorker for the contract towards the pool).
void ParseReportFile(CParseWorker& worker);

}  // namespace qz
