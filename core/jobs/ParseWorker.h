#pragma once
// One worker of the pool, and the contract of the per-file parsers towards it.
//
// Parse modes: kModeOptionScan (0) runs ScanOptionValues, kModeReport (1) runs
// ParseReportFile. A per-file parser:
//  1. empties the result slots of its mode at its start;
//  2. tests g_cancelEvent before each data line; when set it closes the file,
//     frees m_pszPath and returns without a final progress update and without
//     setting m_idleEvent;
//  3. after each line tries to add (position - last reported position) to
//     g_parsedBytes with a 1000 ms bounded wait;
//  4. at the end of the file adds the rest with an unbounded wait, closes the
//     file, frees m_pszPath and sets m_idleEvent as its very last action;
//  5. on a file error shows the error's description in a message box, frees
//     m_pszPath and sets m_idleEvent.
// The slots belong to the worker while m_idleEvent is reset and to the job
// thread while it is set or after the worker's thread has ended.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Sync.h"
#include "platform/Thread.h"
#include "records/CountMap.h"
#include "records/ReportCounts.h"

namespace qz {

constexpr std::int32_t kModeOptionScan = 0;
constexpr std::int32_t kModeReport = 1;

struct CParseWorker {
    std::unique_ptr<Thread> m_pThread;
    Event m_quitEvent{Event::Reset::Auto, false};
    Event m_workEvent{Event::Reset::Auto, false};
    Event m_idleEvent{Event::Reset::Manual, true};
    std::int32_t m_nMode = 0;
    // The file to parse; set by the pool, freed (reset) by the parser on every exit.
    std::unique_ptr<std::string> m_pszPath;
    CValueSet m_fileSettingFiles;
    CValueSet m_fileMachineIds;
    CValueSet m_fileCustomers;
    CReportCounts m_counts;
};

}  // namespace qz
