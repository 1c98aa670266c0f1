#pragma once
// Progress and cancel state shared by the parsers, the pool, the job and the
// progress display.
//
// g_parsedBytes is changed only while g_progressMutex is held and may be read
// at any time without it (it is atomic). g_totalBytes is written by the job's
// size pass. g_cancelEvent (manual reset) asks every thread of a job to stop.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/Sync.h"

namespace qz {

extern std::atomic<std::uint64_t> g_parsedBytes;
extern std::atomic<std::uint64_t> g_totalBytes;
extern std::timed_mutex g_progressMutex;
extern Event g_cancelEvent;

// Adds delta to g_parsedBytes if g_progressMutex can be taken within 1000 ms
// (an uncontended call costs no clock read and no system call). Returns false
// when the time ran out and nothing was added.
bool TryAddParsedBytes(std::uint64_t delta);
// Adds delta to g_parsedBytes, waiting for the mutex without a time limit.
void AddParsedBytes(std::uint64_t delta);

}  // namespace qz
