#include "jobs/CachedFileFacts.h"

#include <algorithm>
#include <optional>

#include "facts/FileFingerprint.h"
#include "platform/FileError.h"
#include "platform/FileIdentity.h"

namespace qz {

namespace {

enum class Served { FromCache, Grown, Whole };

Served HowToServe(const std::optional<StoredFile>& stored, const std::optional<FileStamp>& now,
                  const std::string& path) {
    if (!stored || !now || !now->SameFile(stored->state.stamp) ||
        now->size < stored->state.completeEnd) {
        return Served::Whole;
    }
    const StoredFileState& state = stored->state;
    if (*now == state.stamp) {
        return state.settled ? Served::FromCache : Served::Whole;
    }
    // Same size but other times: changed in place. Bigger: grown, when the
    // bytes the facts came from are still there.
    if (now->size <= state.stamp.size) {
        return Served::Whole;
    }
    try {
        return FileFingerprint(path, state.completeEnd) == state.fingerprint ? Served::Grown
                                                                             : Served::Whole;
    } catch (const FileError&) {
        return Served::Whole;  // the count says why
    }
}

// facts become kept followed by themselves. Appending nothing (an unchanged
// file) leaves kept as it is, without indexing its rows.
void Prepend(FileFacts kept, FileFacts& facts) {
    if (!facts.rows.empty() || facts.texts.Size() > 0 || !facts.found.IsEmpty()) {
        kept.Append(facts);
    }
    facts = std::move(kept);
}

}  // namespace

bool CachedFileFacts::IsSettled(const FileStamp& stamp, std::int64_t clock) {
    constexpr std::int64_t kMillisecond = 1'000'000;
    const bool fine = stamp.modified % kMillisecond != 0 && stamp.changed % kMillisecond != 0;
    const std::int64_t settle = fine ? kSettleTimeFine : kSettleTimeCoarse;
    return std::max(stamp.modified, stamp.changed) + settle < clock;
}

CachedFileFacts::CachedFileFacts(FactStore* store, const DateLocale& locale)
    : m_store(store != nullptr && store->IsUsable() ? store : nullptr), m_locale(locale) {}

bool CachedFileFacts::Count(const std::string& path, FileProgress& progress, FileFactCount& count) {
    if (m_store == nullptr) {
        return CountFileFacts(path, m_locale, 0, progress, count);
    }
    // Taken before the file is read: a write after it changes the stamp, so
    // the entry can only be read again, never believed wrongly.
    const std::optional<FileStamp> stamp = GetFileStamp(path);
    const std::int64_t clock = FileClockNow();
    std::optional<StoredFile> stored;
    {
        std::lock_guard lock(m_mutex);
        stored = m_store->Find(path);
    }
    const Served served = HowToServe(stored, stamp, path);
    std::uint64_t from = 0;
    FileFacts kept;
    if (served != Served::Whole) {
        from = stored->state.completeEnd;
        kept = std::move(stored->facts);
        progress.AddDone(from);
    }
    if (served == Served::FromCache && from == stamp->size) {
        // Nothing behind the last complete line: the file is not opened.
        if (progress.IsCancelled()) {
            return false;
        }
        count = FileFactCount{};
        count.completeEnd = from;
    } else {
        bool counted = false;
        try {
            counted = CountFileFacts(path, m_locale, from, progress, count);
        } catch (const FileError&) {
            // What was read before the error counts, the stored lines too.
            if (served != Served::Whole) {
                Prepend(std::move(kept), count.facts);
            }
            throw;
        }
        if (!counted) {
            return false;
        }
    }
    // A grown file gets its new stamp even when no line was completed, so
    // that it is unchanged next time.
    const bool renewed = served != Served::FromCache || count.completeEnd != from;
    if (served != Served::Whole) {
        Prepend(std::move(kept), count.facts);
    }

    std::optional<FactStoreEntry> entry;
    if (stamp && renewed) {
        StoredFileState state;
        state.stamp = *stamp;
        state.settled = IsSettled(*stamp, clock);
        state.completeEnd = count.completeEnd;
        try {
            state.fingerprint = FileFingerprint(path, count.completeEnd);
            entry = MakeStoreEntry(path, state, count.facts);
        } catch (const FileError&) {
            // Gone or unreadable since: nothing to keep.
        }
    }
    std::lock_guard lock(m_mutex);
    switch (served) {
        case Served::FromCache:
            ++m_use.filesFromCache;
            break;
        case Served::Grown:
            ++m_use.filesGrown;
            break;
        case Served::Whole:
            ++m_use.filesRead;
            break;
    }
    m_use.bytesFromCache += from;
    if (entry) {
        m_toSave.push_back(std::move(*entry));
    }
    return true;
}

void CachedFileFacts::Save(bool cancelled) {
    std::lock_guard lock(m_mutex);
    if (m_store != nullptr && !cancelled) {
        m_store->Save(m_toSave);
    }
    m_toSave.clear();
}

FactCacheUse CachedFileFacts::Use() const {
    std::lock_guard lock(m_mutex);
    return m_use;
}

}  // namespace qz
