// The SQLite engine of GenDB: one database file, opened through the sqlite3
// C API.
//
// Cursors. Each open cursor holds one prepared statement; dbFetch steps it and
// the column readers read the current row in place (no copy, no allocation
// per row: integers are formatted into the caller's buffer, texts copied from
// SQLite's own storage).
//
// Statement cache. Prepared statements are kept per exact statement text in a
// small LRU cache (kStatementCacheSize entries, prepared with
// SQLITE_PREPARE_PERSISTENT), so a look-up text executed again on cursor 117,
// or the same row statement run again, is reset and reused instead of being
// parsed and planned again. Texts that differ only by a literal are different
// entries: a million look-ups with a million ids prepare a million times (a
// few microseconds each); the cache pays off for repeated texts. When the
// same text is open on two cursors at once the second one gets a private
// statement, finalized when that cursor closes.
//
// Writes through dbExecute (INSERT, UPDATE, CREATE ...) run at once, in
// dbExecute; dbFetch then reports no row.
//
// Prefix: "" or "name." where name is a database attached to this connection
// (ATTACH DATABASE 'file' AS name), the SQLite counterpart of a PostgreSQL
// schema. dbPrefix() returns the prefix as given.
//
// Connection settings: busy timeout 5 s (a statement that still finds
// another program's write lock after it fails with a French message saying
// so); for files, WAL journal with
// synchronous=NORMAL; a 64 MB page cache and memory-mapped reads.
#pragma once

#include <memory>
#include <string>

#include "host/gendb.h"

class SqliteDialect : public SqlDialect {
 public:
  DbEngine Engine() const override { return DbEngine::kSqlite; }
  std::string BigIntType() const override { return "INTEGER"; }
  std::string IntType() const override { return "INTEGER"; }
  // "VARCHAR(n)" (text affinity; SQLite does not enforce the length), "TEXT"
  // when max_chars <= 0.
  std::string TextType(int max_chars) const override;
  // Looks the table up in sqlite_master of the prefix's database; the name is
  // compared without regard to case, as SQLite resolves names.
  std::string TableExistsSql(std::string_view prefix, std::string_view table) const override;
  std::string SchemasHoldingSql(const std::vector<std::string>& /*tables*/) const override { return std::string(); }
};

constexpr int kStatementCacheSize = 64;

// The busy timeout of connections opened from now on (milliseconds; 5000
// by default).
void SetSqliteBusyTimeout(int milliseconds);

// Opens PATH (":memory:" for a private in-memory database) as access says
// (DbAccess in host/gendb.h). Returns null and fills *error (French) on
// failure.
std::unique_ptr<GenDB> OpenSqliteGenDB(const std::string& path, const std::string& prefix, DbAccess access,
                                       std::string* error);
inline std::unique_ptr<GenDB> OpenSqliteGenDB(const std::string& path, const std::string& prefix,
                                              bool create_if_missing, std::string* error) {
  return OpenSqliteGenDB(path, prefix, create_if_missing ? DbAccess::kCreate : DbAccess::kWrite, error);
}
