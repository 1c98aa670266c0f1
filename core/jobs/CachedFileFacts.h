#pragma once
// The fact store in front of the per-file count (records/FileFactCounter.h),
// shared by a job's workers. For each file it decides from the stored entry
// and the file's stamp what must be read:
// - unchanged (same file, size and times, the times at rest when stored): the
//   stored facts; the file is opened only for an unterminated last line;
// - grown (same file, bigger, the bytes before the stored offset still those
//   it was counted from): the stored facts, and the lines after the offset;
// - anything else: the whole file, its entry replaced.
// An unterminated last line is read every time and never stored. Bytes
// served from the store count as done at once in the job's progress.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "dates/DateParser.h"
#include "facts/FactStore.h"
#include "progress/JobProgress.h"
#include "records/FileFactCounter.h"

namespace qz {

// How a job's files were served.
struct FactCacheUse {
    std::uint64_t filesFromCache = 0;  // unchanged
    std::uint64_t filesGrown = 0;      // read from the stored offset
    std::uint64_t filesRead = 0;       // read whole
    std::uint64_t bytesFromCache = 0;
};

class CachedFileFacts {
  public:
    // Times within the settle time of the clock may not tell a later write
    // (a file clock ticks coarsely): an entry stamped so is checked, never
    // trusted as unchanged. A file system whose times show sub-millisecond
    // digits ticks at most every few milliseconds; others (FAT: 2 s) may tick
    // every 2 seconds.
    static constexpr std::int64_t kSettleTimeFine = 100'000'000;      // nanoseconds
    static constexpr std::int64_t kSettleTimeCoarse = 2'000'000'000;  // nanoseconds
    static bool IsSettled(const FileStamp& stamp, std::int64_t clock);

    // store null: every file is read whole and nothing is kept.
    CachedFileFacts(FactStore* store, const DateLocale& locale);

    // The facts of path as CountFileFacts(path, locale, 0, ...) gives them
    // (but for the header, which a file read from a stored offset does not
    // give). Called by the workers at once. False when cancelled (count
    // partial). Throws FileError.
    bool Count(const std::string& path, FileProgress& progress, FileFactCount& count);

    // After the workers: saves the entries the job's counts made, in one
    // transaction, and prunes the entries of files that are gone. Nothing
    // after a cancel.
    void Save(bool cancelled);

    FactCacheUse Use() const;

  private:
    FactStore* m_store;
    const DateLocale m_locale;
    mutable std::mutex m_mutex;  // the store, the entries to save and m_use
    std::vector<FactStoreEntry> m_toSave;
    FactCacheUse m_use;
};

}  // namespace qz
