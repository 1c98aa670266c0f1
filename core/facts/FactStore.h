#pragma once
// The facts of record files kept between runs, in one SQLite database per data
// tree. An entry holds what identifies the bytes a file's facts were counted
// from (its stamp, the offset behind its last complete line, a fingerprint of
// the bytes before that offset) and the facts of the lines up to the offset.
// The store is only ever an optimisation: whatever goes wrong with it (busy,
// damaged, foreign, unwritable, full), its calls answer "nothing stored" or
// "not saved", never throw, never wait more than kBusyWait, and the first
// reason is kept for the front ends to show once.
//
// Not thread-safe: one thread uses a store at a time. Several stores (threads
// or processes) may use one database at once.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/FileIdentity.h"
#include "records/FileFacts.h"

namespace qz {

// Bumped whenever counting a file would give other facts from the same bytes:
// entries of another version are read again.
inline constexpr std::int64_t kFactFormatVersion = 1;

// What a file's facts were counted from.
struct StoredFileState {
    FileStamp stamp;  // taken before the file was read
    // The stamp's times lay far enough behind the clock that a later write
    // must change them (a write in the same tick of a coarse file clock may
    // not): only then does an equal stamp mean unchanged bytes.
    bool settled = false;
    std::uint64_t completeEnd = 0;  // behind the last complete line counted
    std::uint64_t fingerprint = 0;  // FileFingerprint at completeEnd
};

struct StoredFile {
    std::string path;
    StoredFileState state;
    FileFacts facts;  // of the complete lines up to state.completeEnd
};

// An entry made ready to save: its facts encoded (by the thread that counted
// them, so that a job keeps the compact bytes until it saves). Empty facts:
// the file's facts are not kept, and an entry it had is dropped.
struct FactStoreEntry {
    std::string path;
    StoredFileState state;
    std::string facts;
};

// The entry of path's facts: dropped (facts empty) when the encoded facts are
// not much smaller than the completeEnd bytes they came from, so that crafted
// keys cannot grow the cache.
FactStoreEntry MakeStoreEntry(std::string path, const StoredFileState& state,
                              const FileFacts& facts);

struct FactStoreOptions {
    std::string localeKey;  // LocaleKey of the locale the facts are read with
    // An unreadable file at the path may be replaced: the path is the
    // program's own (the default place), not one the user named.
    bool ownsPath = false;
    // The database's size limit (0: none); a save that would pass it is not
    // made.
    std::uint64_t maxBytes = 0;
};

class FactStore {
  public:
    static constexpr std::chrono::milliseconds kBusyWait{250};

    // Opens (creating it when absent) the database at path. Never throws: a
    // store that cannot be used says why (WhyNotUsed) and finds nothing.
    FactStore(const std::string& path, FactStoreOptions options);
    ~FactStore();
    FactStore(const FactStore&) = delete;
    FactStore& operator=(const FactStore&) = delete;

    bool IsUsable() const;
    // Why the store was not used, or not fully (empty while all went well):
    // the first reason only.
    const std::string& WhyNotUsed() const { return m_whyNotUsed; }

    // The entry of path, when one was saved with this store's locale and
    // format version and reads back whole.
    std::optional<StoredFile> Find(const std::string& path);

    // In one transaction: replaces the entries of put (drops those without
    // facts), and drops those of files that are gone. All or nothing; false
    // when nothing was saved.
    bool Save(std::span<const FactStoreEntry> put);

    // Paths with an entry (for tests and diagnostics).
    std::size_t EntryCount();

  private:
    struct Database;

    void Open();
    void NotUsed(std::string reason);
    void Failed(int code, const char* what);

    std::string m_path;
    FactStoreOptions m_options;
    std::unique_ptr<Database> m_db;
    std::string m_whyNotUsed;
    bool m_damaged = false;        // the database read back broken
    bool m_readingFailed = false;  // a look-up failed: no more waits for it
};

// Where a file's stored facts may be kept: encoded facts at most this share of
// the bytes they came from.
inline constexpr std::uint64_t kMaxFactsShareDivisor = 4;

}  // namespace qz
