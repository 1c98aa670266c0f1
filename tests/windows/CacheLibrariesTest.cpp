// The fact cache's libraries as built for Windows (scripts/windows-deps):
// SQLite's write-ahead log and busy timeout between two connections on a
// real file, as the GUI and a batch run share one cache, and JSON text read
// back as itself.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>

#include "tests/support/TestSupport.h"

namespace qz {
namespace {

class Connection {
  public:
    explicit Connection(const std::string& path) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &m_db), SQLITE_OK);
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int Exec(const std::string& sql) {
        return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    std::string Text(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK);
        std::string text;
        if (sqlite3_step(statement) == SQLITE_ROW) {
            text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
        return text;
    }

  private:
    sqlite3* m_db = nullptr;
};

TEST(CacheLibraries, WalReadersSeeCommittedRowsAndAWriterWaitsOnlyItsTimeout) {
    ASSERT_TRUE(sqlite3_threadsafe());
    test::TempDir dir;
    const std::string path = dir.path() + "/cache.db";
    Connection writer(path);
    Connection reader(path);
    ASSERT_EQ(writer.Text("PRAGMA journal_mode=WAL"), "wal");
    ASSERT_EQ(writer.Exec("CREATE TABLE facts(key TEXT, ok INTEGER)"), SQLITE_OK);

    ASSERT_EQ(writer.Exec("BEGIN IMMEDIATE; INSERT INTO facts VALUES('M01', 7)"), SQLITE_OK);
    EXPECT_EQ(reader.Text("SELECT count(*) FROM facts"), "0");  // not yet committed

    // A second writer while the first holds the lock: busy after its timeout.
    ASSERT_EQ(reader.Exec("PRAGMA busy_timeout=200"), SQLITE_OK);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(reader.Exec("BEGIN IMMEDIATE"), SQLITE_BUSY);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));

    ASSERT_EQ(writer.Exec("COMMIT"), SQLITE_OK);
    EXPECT_EQ(reader.Text("SELECT ok FROM facts WHERE key='M01'"), "7");
    EXPECT_EQ(reader.Exec("BEGIN IMMEDIATE; ROLLBACK"), SQLITE_OK);
}

TEST(CacheLibraries, JsonWritesUtf8TextAsItself) {
    const std::string name = "\xE8\xA8\xAD\xE5\xAE\x9A.cfg";  // 設定.cfg
    const std::string text = nlohmann::json{{"file", name}}.dump();
    EXPECT_EQ(text, "{\"file\":\"" + name + "\"}");
    EXPECT_EQ(nlohmann::json::parse(text)["file"].get<std::string>(), name);
}

}  // namespace
}  // namespace qz
