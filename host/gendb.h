// GenDB: the practice database connection every analysis runs its SQL through.
//
// One interface, two engines: SQLite (embedded default, one file) and
// PostgreSQL (server; one schema per clinic selected by the prefix).
//
// Calling order, as every caller uses it:
//   db->dbExecute(stmt, cursor);                 // 0 = statement accepted
//   for (int r = db->dbFetch(0, cursor); r == 0; r = db->dbFetch(1, cursor)) {
//       db->dbGetLong(1, &id, cursor); ...
//   }
//   db->dbClose(cursor);                         // also when no row came
//
// Cursors are small integers chosen by the caller (21, 25, 37, 50, 77, 115,
// 117 ...). Each cursor holds one statement; several cursors may be open at
// once, so a query may run inside another's fetch loop on another cursor.
// Executing on a cursor that is still open closes its previous statement.
//
// Column readers take 1-based column positions. NULL reads as 0 or as the
// empty text. dbGetString copies at most capacity-1 bytes and always writes
// the terminator (capacity 0 writes nothing); a cut never splits a UTF-8
// character (the partial character is left out). Integer columns read as
// their decimal text; text columns read by dbGetLong/dbGetShort give their
// leading integer ("123" -> 123, "12.9" -> 12, "abc" -> 0); dbGetShort
// clamps to the short range. A reader on a cursor without a
// current row, or a column out of range, yields 0 / empty and returns non-zero.
//
// Errors: no method throws. A failed statement yields no row (dbFetch returns
// non-zero) and its message is kept in LastError() until the next dbExecute.
// A lost server behaves the same: the running fetch loop ends, LastError()
// says why.
//
// Statement texts are the same on both engines: unquoted upper-case
// identifiers, COUNT(0), UNION, LIKE 'P%', !=. Differences (type names in DDL,
// bulk loading, LIMIT, schema selection) live in SqlDialect.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class DbEngine { kSqlite, kPostgres };

// The few places where the two engines need different SQL text. Callers never
// branch on the engine themselves; they ask the dialect.
class SqlDialect {
 public:
  virtual ~SqlDialect() = default;
  virtual DbEngine Engine() const = 0;
  // Column type for DDL: "INTEGER" (64-bit on SQLite, BIGINT on PostgreSQL),
  // a text column, etc.
  virtual std::string BigIntType() const = 0;
  virtual std::string IntType() const = 0;
  virtual std::string TextType(int max_chars) const = 0;
  // Statement that tells whether a table exists: one row, one column, 0 or 1.
  virtual std::string TableExistsSql(std::string_view prefix, std::string_view table) const = 0;
  // Statement listing, one row each, the schemas that hold every one of
  // tables (the clinics of a group, suite/clinics.h); "" where an engine
  // keeps its clinics as files (SQLite: attached databases).
  virtual std::string SchemasHoldingSql(const std::vector<std::string>& tables) const = 0;
};

// One row of values for BulkLoader. Text cells are taken as is (no quoting
// needed); integers are written in decimal.
struct BulkCell {
  bool is_text = false;
  int64_t number = 0;
  std::string_view text;
  static BulkCell Int(int64_t v) { BulkCell c; c.number = v; return c; }
  static BulkCell Text(std::string_view s) { BulkCell c; c.is_text = true; c.text = s; return c; }
};

// Fast loading of many rows into one table: a prepared INSERT inside one
// transaction on SQLite, COPY ... FROM STDIN on PostgreSQL.
class BulkLoader {
 public:
  virtual ~BulkLoader() = default;
  // Adds one row; cells in the column order given to GenDB::BeginBulk.
  virtual bool AddRow(const std::vector<BulkCell>& cells) = 0;
  // Ends the load; false (and GenDB::LastError) when anything failed.
  virtual bool Finish() = 0;
};

class GenDB {
 public:
  virtual ~GenDB() = default;

  // 0 when the statement was accepted; otherwise non-zero and LastError().
  virtual int dbExecute(const char* statement, int cursor) = 0;
  // mode 0 = first row, 1 = next row. Returns 0 when a row was read.
  virtual int dbFetch(int mode, int cursor) = 0;
  virtual int dbGetLong(int column, long* out, int cursor) = 0;
  virtual int dbGetShort(int column, short* out, int cursor) = 0;
  // First byte of the text column (or '\0' for NULL / empty).
  virtual int dbGetChar(int column, char* out, int cursor) = 0;
  virtual int dbGetString(int column, char* buffer, int capacity, int cursor) = 0;
  // Whole text of the column, no capacity. trim_trailing removes trailing blanks.
  virtual int dbGetField(int column, std::string* out, int cursor, bool trim_trailing) = 0;
  // Number of rows the statement on this cursor yields (counts them; cost of
  // one extra pass on SQLite).
  virtual int dbRowCount(long* out, int cursor) = 0;
  virtual int dbClose(int cursor) = 0;
  // The statements the caller is about to run on cursor, in this order, each
  // through dbExecute and read before the next (the set-based look-ups of a
  // fill): queries only, one statement each. The engine may send them
  // ahead, so that the server works on the next ones while the caller reads
  // (PostgreSQL: one pipeline, gendb_pg_ahead.h); each dbExecute then finds
  // its statement's rows, its failure or the lost server as it would have
  // alone, except that a statement failing once its rows have begun gives
  // none of them. A dbExecute on cursor of a statement further down the
  // list skips those before it; of a statement not in the list, ends the
  // read-ahead. Any other call may come in between: what was sent and not
  // read yet is sent again afterwards. SQLite runs each as it comes.
  virtual void dbReadAhead(const std::vector<std::string>& /*statements*/, int /*cursor*/) {}
  // Number of columns of the statement on this cursor (0 when none); used by
  // tools that print any statement (`vantra sql`).
  virtual int dbColumnCount(int cursor) = 0;
  // Owner prefix written before every table name ("" or "clinic2.").
  virtual const char* dbPrefix() const = 0;

  // Statements that change data, outside the cursor protocol. 0 on success.
  // dbExec takes one statement or several separated by ';' (dbExecute takes
  // exactly one).
  virtual int dbExec(const char* statement) = 0;
  virtual int dbBeginTransaction() = 0;
  virtual int dbCommit() = 0;
  virtual int dbRollback() = 0;

  // One snapshot for a whole run (a clinic of a group, host/clinic_pool.h):
  // on PostgreSQL a REPEATABLE READ, READ ONLY transaction, on SQLite a
  // deferred read transaction, so every statement of the run sees the same
  // data. Inside it dbBeginTransaction, dbCommit and dbRollback work on a
  // savepoint (the look-ups' read transactions nest in it). 0 on success;
  // refused when a transaction is already open. dbEndSnapshot ends it (and
  // nothing is written either way).
  // The engines implement all three; a connection that cannot (a test's
  // stand-in) refuses.
  virtual int dbBeginSnapshot() { return -1; }
  virtual int dbEndSnapshot() { return -1; }
  virtual bool dbInSnapshot() const { return false; }

  // Moves the connection to another clinic's tables: the owner prefix of
  // every statement from now on (ValidTablePrefix; on SQLite "NAME." is
  // attached first when it is not, see OpenGenDB). Not inside a transaction
  // or snapshot. False with *error (the prefix is left as it was).
  virtual bool dbSetPrefix(const std::string& /*prefix*/, std::string* error) {
    if (error != nullptr) *error = "Cette connexion ne change pas de préfixe de tables.";
    return false;
  }

  // Starts loading rows into table, named as in a statement (the caller puts
  // dbPrefix() before it; plain names only, "schema.TABLE" at most). Never
  // null: a load that cannot start fails its AddRow and Finish. Nothing is
  // kept unless Finish returns true (a loader destroyed unfinished undoes its
  // rows). The loader must not outlive this connection, and no other call
  // may be made on the connection until Finish.
  virtual std::unique_ptr<BulkLoader> BeginBulk(const std::string& table,
                                                const std::vector<std::string>& columns) = 0;

  virtual const SqlDialect& Dialect() const = 0;
  // Message of the last failure ("" when the last statement succeeded).
  virtual const std::string& LastError() const = 0;
  // Text that names the connection for messages ("sqlite:/path", "postgresql://host/db").
  virtual const std::string& Url() const = 0;

  // The server's reason ("server closed the connection unexpectedly") when a
  // call failed because the connection to the server was lost since the last
  // ClearLostConnection(); "" when none (SQLite never loses one). The engine
  // reconnects at the next statement, so a run of many statements asks this,
  // not LastError(), to learn that some of its rows are missing.
  virtual std::string LostConnection() const { return std::string(); }
  virtual void ClearLostConnection() {}

  // Rows inserted, changed or deleted by the most recent INSERT, UPDATE or
  // DELETE that dbExec completed (read it right after that dbExec): a write
  // by id answers 0 when its row is gone. -1 when the connection cannot tell.
  virtual long dbRowsChanged() const { return -1; }

  // True when the last failure was a lock of another program that the
  // connection already waited for (its busy timeout): trying again at once
  // would only wait again.
  virtual bool dbLastFailureWasLock() const { return false; }

  // True when the server is a hot standby (PostgreSQL in recovery, the
  // reports' server of a group, [SUITE] ReportDatabase): it answers every
  // read and refuses every write. Asked of the server once per connection
  // (at the opening of a writing one, kWrite or kCreate, else the first time
  // a caller asks) and kept; false when the question cannot be answered.
  // A writer asks before it starts (kStandbyRefusal), so nothing is ever
  // half-written. SQLite never is one.
  virtual bool dbIsStandby() { return false; }
};

// What a writer (the goal editor, demo-db) answers, in one line, on a
// connection whose dbIsStandby() is true.
inline constexpr char kStandbyRefusal[] = "la base est en lecture seule (serveur de secours)";

// The one line a generation reports when the server was lost during it:
// "La connexion au serveur a été perdue : la liste est partielle (REASON)."
std::string PartialListMessage(const std::string& reason);

// The table prefix goes into every statement as is, so it must be a name and
// nothing else: "" (no prefix), a schema (or attached database) "NAME." or a
// prefix glued to the table names "NAME", where NAME is letters, digits and
// '_' not starting with a digit, or such a name in double quotes ("Clinic".),
// 63 bytes at most. False with a French message otherwise.
bool ValidTablePrefix(std::string_view prefix, std::string* error);

// Opens a connection from a URL:
//   sqlite:PATH            (PATH may be relative; the file is created when missing
//                           only if create_if_missing is true)
//   postgresql://... or postgres://... or a libpq conninfo ("host=... dbname=...")
// prefix: owner prefix for every table name; on PostgreSQL a prefix "name."
// is a schema name. On SQLite a prefix "name." is a database attached to the
// connection: when no database of that name is attached and a file
// "name.db" lies beside the opened one, it is attached (read only for
// kRead), so a group of clinics kept as one file per clinic reads as a
// server's schemas do (suite/clinics.h). Returns null and fills *error on failure (an invalid
// prefix is refused before anything is opened).
std::unique_ptr<GenDB> OpenGenDB(const std::string& url, const std::string& prefix,
                                 bool create_if_missing, std::string* error);

// What an opening may do to a SQLite file (a server is opened the same way
// for all three):
//   kRead    read only: nothing in the file changes, not even its journal
//            mode (the reports); a file in a folder nobody may write is
//            read as it stands
//   kWrite   reads and writes an existing database as it is (the goal
//            editor, the sql command, the window)
//   kCreate  creates the file when missing and gives a new one the suite's
//            journal mode, WAL (demo-db)
// On a server, kWrite and kCreate ask at once whether it is a hot standby
// (GenDB::dbIsStandby); kCreate refuses one with kStandbyRefusal, before
// anything is created.
enum class DbAccess { kRead, kWrite, kCreate };
std::unique_ptr<GenDB> OpenGenDB(const std::string& url, const std::string& prefix, DbAccess access,
                                 std::string* error);

// The file of a "sqlite:PATH" URL ("sqlite:///abs" is "/abs"); "" for any
// other URL (a server) and for "sqlite:" without a path.
std::string SqlitePathOfUrl(const std::string& url);
