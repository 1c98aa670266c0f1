// Every SQL statement of the cache is in this file.
#include "facts/FactStore.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "facts/FactCoding.h"
#include "platform/FileError.h"
#include "platform/Path.h"

namespace qz {

namespace {

// user_version: the layout of the tables below.
constexpr int kSchemaVersion = 1;
// application_id: "QZ84", which tells our databases from any other.
constexpr std::uint32_t kApplicationId = 0x515A3834;
constexpr std::string_view kDatabaseMagic{"SQLite format 3\0", 16};
constexpr std::size_t kApplicationIdOffset = 68;

constexpr const char* kCreateSchema =
    "DROP TABLE IF EXISTS files;"
    "CREATE TABLE files ("
    " path BLOB PRIMARY KEY NOT NULL,"
    " volume INTEGER NOT NULL, file_index INTEGER NOT NULL, size INTEGER NOT NULL,"
    " modified INTEGER NOT NULL, changed INTEGER NOT NULL, settled INTEGER NOT NULL,"
    " complete_end INTEGER NOT NULL, fingerprint INTEGER NOT NULL,"
    " locale BLOB NOT NULL, format INTEGER NOT NULL, facts BLOB NOT NULL);";
constexpr const char* kFind =
    "SELECT volume, file_index, size, modified, changed, settled, complete_end, fingerprint,"
    " locale, format, facts FROM files WHERE path = ?1";
constexpr const char* kPut =
    "INSERT OR REPLACE INTO files (path, volume, file_index, size, modified, changed, settled,"
    " complete_end, fingerprint, locale, format, facts)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)";
constexpr const char* kForget = "DELETE FROM files WHERE path = ?1";
constexpr const char* kPaths = "SELECT path FROM files";
constexpr const char* kCount = "SELECT count(*) FROM files";

bool IsDamage(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool IsBusy(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Whether the file at path holds one of our databases, judged by its first
// bytes, which stay readable when the rest is cut or damaged.
bool HasOurHeader(const std::string& header) {
    if (header.size() < kApplicationIdOffset + 4 || !header.starts_with(kDatabaseMagic)) {
        return false;
    }
    std::uint32_t id = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        id = id << 8 | static_cast<unsigned char>(header[kApplicationIdOffset + i]);
    }
    return id == kApplicationId;
}

// A statement prepared once and reset after each use.
class Statement {
  public:
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(m_statement); }

    int Prepare(sqlite3* db, const char* sql) {
        return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr);
    }
    sqlite3_stmt* operator*() const { return m_statement; }
    void Reset() const {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    void Blob(int index, std::string_view bytes) const {
        sqlite3_bind_blob64(m_statement, index, bytes.data(), bytes.size(), SQLITE_STATIC);
    }
    void Int(int index, std::int64_t value) const { sqlite3_bind_int64(m_statement, index, value); }
    void Uint(int index, std::uint64_t value) const {
        Int(index, static_cast<std::int64_t>(value));
    }
    std::string_view ColumnBlob(int column) const {
        const void* data = sqlite3_column_blob(m_statement, column);
        const int size = sqlite3_column_bytes(m_statement, column);
        return data == nullptr ? std::string_view()
                               : std::string_view(static_cast<const char*>(data),
                                                  static_cast<std::size_t>(size));
    }
    std::int64_t ColumnInt(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::uint64_t ColumnUint(int column) const {
        return static_cast<std::uint64_t>(ColumnInt(column));
    }

  private:
    sqlite3_stmt* m_statement = nullptr;
};

}  // namespace

struct FactStore::Database {
    sqlite3* db = nullptr;
    Statement find, put, forget, paths, count;

    // sqlite3_close_v2 waits for the statements, finalized after this body.
    ~Database() { sqlite3_close_v2(db); }

    int Exec(const char* sql) const { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    std::string Message() const { return db == nullptr ? "out of memory" : sqlite3_errmsg(db); }
};

FactStore::FactStore(const std::string& path, FactStoreOptions options)
    : m_path(path), m_options(std::move(options)) {
    Open();
}

FactStore::~FactStore() = default;

bool FactStore::IsUsable() const {
    return m_db != nullptr;
}

void FactStore::NotUsed(std::string reason) {
    if (m_whyNotUsed.empty()) {
        m_whyNotUsed = "The cache " + m_path + " was not used: " + std::move(reason) + ".";
    }
}

void FactStore::Failed(int code, const char* what) {
    if (IsDamage(code)) {
        m_damaged = true;
        NotUsed("it is damaged; it is made again");
    } else if (IsBusy(code)) {
        NotUsed("another report kept it busy");
    } else if ((code & 0xFF) == SQLITE_FULL) {
        NotUsed("it is full");
    } else {
        NotUsed(std::string(what) + " failed (" + (m_db ? m_db->Message() : "") + ")");
    }
}

namespace {

// Removes the database and the files SQLite keeps beside it.
bool RemoveDatabaseFiles(const std::string& path) {
    std::error_code error;
    bool removed = true;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::remove(FileSystemPath(path + suffix), error);
        removed = removed && !error;
    }
    return removed;
}

}  // namespace

void FactStore::Open() {
    m_db.reset();
    // A file that is not ours is never replaced unless the path is ours.
    if (const auto stamp = GetFileStamp(m_path); stamp && stamp->size > 0) {
        std::string header;
        try {
            header = ReadFileBytes(m_path, 0, kApplicationIdOffset + 4);
        } catch (const FileError& error) {
            NotUsed(std::string("it cannot be read (") + error.what() + ")");
            return;
        }
        if (!HasOurHeader(header)) {
            if (!m_options.ownsPath) {
                NotUsed("it is not a cache of this program (delete it, or name another file)");
                return;
            }
            if (!RemoveDatabaseFiles(m_path)) {
                NotUsed("it is damaged and cannot be removed");
                return;
            }
        }
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto database = std::make_unique<Database>();
        int code = sqlite3_open_v2(m_path.c_str(), &database->db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
        if (code != SQLITE_OK) {
            NotUsed("it cannot be opened (" + database->Message() + ")");
            return;
        }
        sqlite3_busy_timeout(database->db, static_cast<int>(kBusyWait.count()));
        sqlite3_extended_result_codes(database->db, 1);
        m_db = std::move(database);
        Database& db = *m_db;

        // The schema is made before the journal turns to WAL, so that the
        // application id stands in the database file itself from the start.
        Statement version;
        code = version.Prepare(db.db, "PRAGMA user_version");
        int found = -1;
        if (code == SQLITE_OK && (code = sqlite3_step(*version)) == SQLITE_ROW) {
            found = sqlite3_column_int(*version, 0);
            code = SQLITE_OK;
        }
        version.Reset();
        if (code == SQLITE_OK && found != kSchemaVersion) {
            code = db.Exec("BEGIN IMMEDIATE");
            if (code == SQLITE_OK) {
                // Made by another store meanwhile?
                found = sqlite3_step(*version) == SQLITE_ROW ? sqlite3_column_int(*version, 0) : -1;
                version.Reset();
                const std::string pragmas =
                    "PRAGMA application_id = " + std::to_string(kApplicationId) +
                    "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
                if (found != kSchemaVersion && ((code = db.Exec(kCreateSchema)) != SQLITE_OK ||
                                                (code = db.Exec(pragmas.c_str())) != SQLITE_OK)) {
                    db.Exec("ROLLBACK");
                } else {
                    code = db.Exec("COMMIT");
                    if (code != SQLITE_OK) {
                        db.Exec("ROLLBACK");
                    }
                }
            }
        }
        if (code == SQLITE_OK) {
            // Another store may hold the database while it turns to WAL: it
            // then is WAL already, or becomes it next time.
            db.Exec("PRAGMA journal_mode = WAL");
            db.Exec("PRAGMA synchronous = NORMAL");
            if (m_options.maxBytes > 0) {
                const std::string limit =
                    "PRAGMA max_page_count = " +
                    std::to_string(std::max<std::uint64_t>(m_options.maxBytes / 4096, 8));
                db.Exec(limit.c_str());
            }
            if ((code = db.find.Prepare(db.db, kFind)) == SQLITE_OK &&
                (code = db.put.Prepare(db.db, kPut)) == SQLITE_OK &&
                (code = db.forget.Prepare(db.db, kForget)) == SQLITE_OK &&
                (code = db.paths.Prepare(db.db, kPaths)) == SQLITE_OK) {
                code = db.count.Prepare(db.db, kCount);
            }
        }
        if (code == SQLITE_OK) {
            return;
        }
        const bool damaged = IsDamage(code);
        Failed(code, "opening it");
        m_db.reset();
        // A database of ours that reads back broken is made again once.
        if (!damaged || attempt > 0 || !RemoveDatabaseFiles(m_path)) {
            return;
        }
        m_damaged = false;
    }
}

std::optional<StoredFile> FactStore::Find(const std::string& path) {
    if (!m_db || m_damaged || m_readingFailed) {
        return std::nullopt;
    }
    const Statement& find = m_db->find;
    find.Blob(1, path);
    const int code = sqlite3_step(*find);
    std::optional<StoredFile> entry;
    if (code == SQLITE_ROW && find.ColumnBlob(8) == m_options.localeKey &&
        find.ColumnInt(9) == kFactFormatVersion) {
        if (auto facts = DecodeFacts(find.ColumnBlob(10))) {
            entry.emplace();
            entry->path = path;
            FileStamp& stamp = entry->state.stamp;
            stamp.volume = find.ColumnUint(0);
            stamp.fileIndex = find.ColumnUint(1);
            stamp.size = find.ColumnUint(2);
            stamp.modified = find.ColumnInt(3);
            stamp.changed = find.ColumnInt(4);
            entry->state.settled = find.ColumnInt(5) != 0;
            entry->state.completeEnd = find.ColumnUint(6);
            entry->state.fingerprint = find.ColumnUint(7);
            entry->facts = std::move(*facts);
        }
    } else if (code != SQLITE_ROW && code != SQLITE_DONE) {
        // Each look-up could wait kBusyWait again: the job goes on without.
        m_readingFailed = true;
        Failed(code, "reading it");
    }
    find.Reset();
    return entry;
}

FactStoreEntry MakeStoreEntry(std::string path, const StoredFileState& state,
                              const FileFacts& facts) {
    FactStoreEntry entry{std::move(path), state, EncodeFacts(facts)};
    if (entry.facts.size() * kMaxFactsShareDivisor > state.completeEnd) {
        entry.facts.clear();
    }
    return entry;
}

bool FactStore::Save(std::span<const FactStoreEntry> put) {
    if (m_damaged) {
        // Damaged in use: made again now, when no other store holds it busy.
        m_db.reset();
        if (!RemoveDatabaseFiles(m_path)) {
            return false;
        }
        m_damaged = false;
        Open();
    }
    if (!m_db) {
        return false;
    }
    Database& db = *m_db;
    // Files that are gone, found before the write lock is taken: a run that
    // read nothing new and found nothing gone writes nothing.
    std::unordered_set<std::string> written;
    for (const FactStoreEntry& file : put) {
        written.insert(file.path);
    }
    std::vector<std::string> gone;
    int code = SQLITE_OK;
    for (;;) {
        const int step = sqlite3_step(*db.paths);
        if (step != SQLITE_ROW) {
            code = step == SQLITE_DONE ? SQLITE_OK : step;
            break;
        }
        std::string path(db.paths.ColumnBlob(0));
        if (!written.contains(path) && !GetFileStamp(path)) {
            gone.push_back(std::move(path));
        }
    }
    db.paths.Reset();
    if (code == SQLITE_OK && put.empty() && gone.empty()) {
        return true;
    }
    if (code == SQLITE_OK) {
        code = db.Exec("BEGIN IMMEDIATE");
        if (code != SQLITE_OK) {
            Failed(code, "writing it");
            return false;
        }
    }
    for (const FactStoreEntry& file : put) {
        if (code != SQLITE_OK) {
            break;
        }
        const std::string& facts = file.facts;
        const Statement& statement = facts.empty() ? db.forget : db.put;
        statement.Blob(1, file.path);
        if (&statement == &db.put) {
            const FileStamp& stamp = file.state.stamp;
            statement.Uint(2, stamp.volume);
            statement.Uint(3, stamp.fileIndex);
            statement.Uint(4, stamp.size);
            statement.Int(5, stamp.modified);
            statement.Int(6, stamp.changed);
            statement.Int(7, file.state.settled ? 1 : 0);
            statement.Uint(8, file.state.completeEnd);
            statement.Uint(9, file.state.fingerprint);
            statement.Blob(10, m_options.localeKey);
            statement.Int(11, kFactFormatVersion);
            statement.Blob(12, facts);
        }
        code = sqlite3_step(*statement);
        code = code == SQLITE_DONE ? SQLITE_OK : code;
        statement.Reset();
    }
    for (const std::string& path : gone) {
        if (code != SQLITE_OK) {
            break;
        }
        db.forget.Blob(1, path);
        code = sqlite3_step(*db.forget);
        code = code == SQLITE_DONE ? SQLITE_OK : code;
        db.forget.Reset();
    }
    if (code == SQLITE_OK) {
        code = db.Exec("COMMIT");
    }
    if (code != SQLITE_OK) {
        Failed(code, "writing it");
        db.Exec("ROLLBACK");
        return false;
    }
    return true;
}

std::size_t FactStore::EntryCount() {
    if (!m_db) {
        return 0;
    }
    std::size_t count = 0;
    if (sqlite3_step(*m_db->count) == SQLITE_ROW) {
        count = static_cast<std::size_t>(sqlite3_column_int64(*m_db->count, 0));
    }
    m_db->count.Reset();
    return count;
}

}  // namespace qz
