#pragma once
// Where the jobs get a record file's facts: the one call that both the report
// job and the option scan job make per file, on a worker. With a cache, the
// stored facts serve what they can and only the rest is read
// (jobs/CachedFileFacts.h); a cache that cannot be used is only a reason to
// tell, never a failure.

#include <memory>
#include <string>

#include "dates/DateParser.h"
#include "facts/CacheLocation.h"
#include "facts/FactStore.h"
#include "jobs/CachedFileFacts.h"
#include "progress/JobProgress.h"
#include "records/FileFactCounter.h"

namespace qz {

class FileFactSource {
  public:
    // Opens the cache at place (none for an empty path); on the job's thread.
    FileFactSource(const CachePlace& place, const DateLocale& locale);
    ~FileFactSource();

    // The facts of the whole file at path; as CountFileFacts from the file's
    // start (false when cancelled, FileError as it throws them). Called by
    // the workers at once.
    bool Read(const std::string& path, FileProgress& progress, FileFactCount& count);

    // After the workers: keeps what this job read in the cache (nothing when
    // cancelled). Returns why the cache was not used, or not fully: empty when
    // it was, or when there is none.
    std::string Finish(bool cancelled);

    FactCacheUse Use() const { return m_cached.Use(); }

  private:
    std::unique_ptr<FactStore> m_store;
    CachedFileFacts m_cached;
};

}  // namespace qz
