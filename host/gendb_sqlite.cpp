#include "host/gendb_sqlite.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <list>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "host/gendb_readers.h"
#include "host/gendb_text.h"
#include "host/sql_literal.h"

using gendb_text::StatementShape;

std::string SqliteDialect::TextType(int max_chars) const {
  return max_chars > 0 ? "VARCHAR(" + std::to_string(max_chars) + ")" : "TEXT";
}

std::string SqliteDialect::TableExistsSql(std::string_view prefix, std::string_view table) const {
  return "SELECT COUNT(0) FROM " + std::string(prefix) +
         "sqlite_master WHERE type IN ('table', 'view') AND lower(name) = lower(" +
         SqlQuoted(table) + ")";
}

namespace {

// How long a statement waits for another program's write lock.
std::atomic<int> g_busy_timeout_ms{5000};

// The message of the connection's last failure; a lock held by another
// program past the busy timeout gets a message of its own, which says what
// that program does: a connection holding the write lock waits for readers
// (a rollback-journal database is not written while it is read), any other
// waits for a writer.
std::string SqliteErrorText(sqlite3* db) {
  if (sqlite3_errcode(db) != SQLITE_BUSY) return sqlite3_errmsg(db);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", g_busy_timeout_ms.load() / 1000.0);
  if (sqlite3_txn_state(db, nullptr) == SQLITE_TXN_WRITE) {
    return std::string("La base SQLite est lue par un autre programme, ce qui empêche d'y écrire (") + seconds +
           " s d'attente) ; réessayez quand il aura terminé.";
  }
  return std::string("La base SQLite est verrouillée par un autre programme qui y écrit (") + seconds +
         " s d'attente) ; réessayez quand il aura terminé.";
}

constexpr int kEndOfData = 100;
constexpr int kFailed = -1;

// "file:" URI of path: the characters a URI gives a meaning to are escaped.
std::string FileUri(const std::string& path) {
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (c == '%' || c == '?' || c == '#' || c < 0x20) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      uri += hex;
    } else {
      uri.push_back(static_cast<char>(c));
    }
  }
  return uri;
}

// A prefix "NAME." names an attached database. When none of that name is
// attached and the file NAME.db lies beside the main one (a group kept as a
// file per clinic), it is attached now, read only when the connection is.
// True when there is nothing to do; false with *error when the file is
// there but cannot be attached.
// *attached (when given) gets the name attached, "" when none was.
bool AttachSibling(sqlite3* db, const std::string& main_path, const std::string& prefix, bool read_only,
                   std::string* error, std::string* attached_as = nullptr) {
  if (attached_as != nullptr) attached_as->clear();
  if (prefix.size() < 2 || prefix.back() != '.') return true;
  std::string name = prefix.substr(0, prefix.size() - 1);
  if (name.size() >= 2 && name.front() == '"') name = name.substr(1, name.size() - 2);
  std::string lower;
  for (char c : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  if (lower == "main" || lower == "temp") return true;
  sqlite3_stmt* list = nullptr;
  bool attached = false;
  if (sqlite3_prepare_v2(db, "PRAGMA database_list", -1, &list, nullptr) == SQLITE_OK) {
    while (sqlite3_step(list) == SQLITE_ROW) {
      const char* n = reinterpret_cast<const char*>(sqlite3_column_text(list, 1));
      if (n != nullptr && sqlite3_stricmp(n, name.c_str()) == 0) attached = true;
    }
  }
  sqlite3_finalize(list);
  if (attached || main_path.empty() || main_path == ":memory:" || main_path.rfind("file:", 0) == 0) return true;
  const std::string::size_type slash = main_path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : main_path.substr(0, slash == 0 ? 1 : slash);
  const std::string file = (folder == "/" ? "" : folder) + "/" + name + ".db";
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return true;
  const std::string uri = FileUri(file) + (read_only ? "?mode=ro" : "");
  const std::string sql = "ATTACH DATABASE " + SqlQuoted(uri) + " AS \"" + name + "\"";
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) {
    if (attached_as != nullptr) *attached_as = name;
    return true;
  }
  *error = "Impossible de joindre la base du cabinet « " + file + " » : " +
           (message != nullptr ? message : sqlite3_errmsg(db));
  sqlite3_free(message);
  return false;
}

// True when name is a plain identifier, optionally "schema.table": what
// BeginBulk accepts for table and column names.
bool IsPlainName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) return false;
  }
  return name.front() != '.' && name.back() != '.';
}

class StatementCache {
 public:
  struct Entry {
    std::string text;
    sqlite3_stmt* stmt = nullptr;
    bool in_use = false;
  };

  ~StatementCache() { Clear(); }

  void Clear() {
    index_.clear();
    for (Entry& e : lru_) sqlite3_finalize(e.stmt);
    lru_.clear();
  }

  // The cached statement for text, marked in use, or null (*entry null) when
  // text is already in use or not cached; *entry then tells nothing.
  Entry* Find(std::string_view text) {
    auto it = index_.find(text);
    if (it == index_.end() || it->second->in_use) return nullptr;
    lru_.splice(lru_.begin(), lru_, it->second);  // most recently used first
    it->second->in_use = true;
    return &*it->second;
  }

  bool Contains(std::string_view text) const { return index_.count(text) != 0; }

  // Adds a freshly prepared statement, in use; evicts the least recently
  // used idle entry beyond the capacity.
  Entry* Add(std::string_view text, sqlite3_stmt* stmt) {
    lru_.push_front(Entry{std::string(text), stmt, true});
    index_.emplace(std::string_view(lru_.front().text), lru_.begin());
    if (lru_.size() > static_cast<size_t>(kStatementCacheSize)) {
      for (auto it = std::prev(lru_.end());; --it) {
        if (!it->in_use) {
          index_.erase(std::string_view(it->text));
          sqlite3_finalize(it->stmt);
          lru_.erase(it);
          break;
        }
        if (it == lru_.begin()) break;
      }
    }
    return &lru_.front();
  }

 private:
  std::list<Entry> lru_;
  std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
};

struct SqliteCursor {
  sqlite3_stmt* stmt = nullptr;
  StatementCache::Entry* entry = nullptr;  // null: a private statement
  int columns = 0;
  int first_rc = SQLITE_DONE;  // result of the step made by dbExecute
  bool primed = false;         // that first step is not yet handed out
  bool has_row = false;
  bool done = true;
};

class SqliteGenDB;

class SqliteBulkLoader : public BulkLoader {
 public:
  SqliteBulkLoader(SqliteGenDB* db, sqlite3* handle, const std::string& table,
                   const std::vector<std::string>& columns);
  ~SqliteBulkLoader() override;
  bool AddRow(const std::vector<BulkCell>& cells) override;
  bool Finish() override;

 private:
  void Fail(const std::string& message);

  SqliteGenDB* db_;
  sqlite3* handle_;
  sqlite3_stmt* insert_ = nullptr;
  size_t columns_ = 0;
  bool open_ = false;  // the savepoint is open
  std::string error_;
};

class SqliteGenDB : public GenDBTypedReaders<SqliteGenDB> {
  friend class GenDBTypedReaders<SqliteGenDB>;

 public:
  SqliteGenDB(sqlite3* db, std::string url, std::string prefix)
      : db_(db), url_(std::move(url)), prefix_(std::move(prefix)) {}

  ~SqliteGenDB() override {
    for (auto& [number, c] : cursors_) CloseCursor(&c);
    cache_.Clear();
    sqlite3_close_v2(db_);
  }

  int dbExecute(const char* statement, int cursor) override {
    last_error_.clear();
    SqliteCursor* c = CursorFor(cursor);
    CloseCursor(c);
    std::string_view body;
    const StatementShape shape =
        gendb_text::SplitStatement(statement == nullptr ? "" : statement, &body);
    if (shape != StatementShape::kSingle) {
      last_error_ = shape == StatementShape::kEmpty
                        ? "Instruction SQL vide."
                        : "Une seule instruction SQL par curseur (curseur " + std::to_string(cursor) + ").";
      return kFailed;
    }
    if (!Acquire(body, c)) return kFailed;
    // The first step runs now so that errors found while executing (not only
    // while preparing) are reported by dbExecute, and writes happen at once.
    c->first_rc = sqlite3_step(c->stmt);
    if (c->first_rc != SQLITE_ROW && c->first_rc != SQLITE_DONE) {
      last_error_ = SqliteErrorText(db_);
      CloseCursor(c);
      return kFailed;
    }
    c->primed = true;
    c->done = false;
    if (c->columns == 0) {
      // A statement without result columns: finish it now, it yields no row.
      while (c->first_rc == SQLITE_ROW) c->first_rc = sqlite3_step(c->stmt);
      if (c->first_rc != SQLITE_DONE) {
        last_error_ = SqliteErrorText(db_);
        CloseCursor(c);
        return kFailed;
      }
    }
    return 0;
  }

  int dbFetch(int mode, int cursor) override {
    SqliteCursor* c = Find(cursor);
    if (c == nullptr || c->stmt == nullptr) return kEndOfData;
    int rc;
    if (c->primed) {
      c->primed = false;
      rc = c->first_rc;
    } else if (c->columns == 0) {
      return kEndOfData;  // a write: never run it again
    } else if (mode == 0) {
      sqlite3_reset(c->stmt);
      rc = sqlite3_step(c->stmt);
    } else {
      // Stepping a finished statement would start it again: stay finished.
      if (c->done) return kEndOfData;
      rc = sqlite3_step(c->stmt);
    }
    c->has_row = rc == SQLITE_ROW;
    c->done = !c->has_row;
    if (rc == SQLITE_ROW) return 0;
    if (rc == SQLITE_DONE) return kEndOfData;
    last_error_ = SqliteErrorText(db_);
    return kFailed;
  }

  int dbRowCount(long* out, int cursor) override {
    if (out != nullptr) *out = 0;
    SqliteCursor* c = Find(cursor);
    if (c == nullptr || c->stmt == nullptr) return kFailed;
    if (c->columns == 0) return 0;
    // A second statement over the same text, stepped to the end.
    sqlite3_stmt* counter = nullptr;
    if (sqlite3_prepare_v2(db_, sqlite3_sql(c->stmt), -1, &counter, nullptr) != SQLITE_OK) {
      last_error_ = SqliteErrorText(db_);
      return kFailed;
    }
    long n = 0;
    int rc;
    while ((rc = sqlite3_step(counter)) == SQLITE_ROW) ++n;
    if (rc != SQLITE_DONE) last_error_ = SqliteErrorText(db_);
    sqlite3_finalize(counter);
    if (out != nullptr) *out = n;
    return rc == SQLITE_DONE ? 0 : kFailed;
  }

  int dbClose(int cursor) override {
    SqliteCursor* c = Find(cursor);
    if (c != nullptr) CloseCursor(c);
    return 0;
  }

  int dbColumnCount(int cursor) override {
    SqliteCursor* c = Find(cursor);
    return c == nullptr ? 0 : c->columns;
  }

  const char* dbPrefix() const override { return prefix_.c_str(); }

  int dbExec(const char* statement) override {
    last_error_.clear();
    std::string_view body;
    const StatementShape shape =
        gendb_text::SplitStatement(statement == nullptr ? "" : statement, &body);
    if (shape == StatementShape::kEmpty) {
      last_error_ = "Instruction SQL vide.";
      return kFailed;
    }
    if (shape == StatementShape::kSeveral) return RunScript(statement);
    SqliteCursor c;
    if (!Acquire(body, &c)) return kFailed;
    int rc;
    while ((rc = sqlite3_step(c.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) last_error_ = SqliteErrorText(db_);
    CloseCursor(&c);
    return rc == SQLITE_DONE ? 0 : kFailed;
  }

  // IMMEDIATE: the write lock is taken (or waited for, once) at the start;
  // a deferred transaction that read first could not upgrade when another
  // program wrote meanwhile, and would fail without waiting.
  int dbBeginTransaction() override {
    if (snapshot_) return Nested("SAVEPOINT vantra_tx", true);
    return RunScript("BEGIN IMMEDIATE");
  }
  bool dbLastFailureWasLock() const override { return !last_error_.empty() && sqlite3_errcode(db_) == SQLITE_BUSY; }
  int dbCommit() override {
    if (snapshot_) return Nested("RELEASE vantra_tx", false);
    return RunScript("COMMIT");
  }
  int dbRollback() override {
    if (snapshot_) return Nested("ROLLBACK TO vantra_tx; RELEASE vantra_tx", false);
    return RunScript("ROLLBACK");
  }

  // DEFERRED: the read lock (and with WAL the snapshot) is taken at the
  // first read and kept until the end; a read-only connection takes no
  // write lock at all.
  int dbBeginSnapshot() override {
    last_error_.clear();
    if (snapshot_ || !sqlite3_get_autocommit(db_)) {
      last_error_ = "Une transaction est déjà en cours.";
      return kFailed;
    }
    if (RunScript("BEGIN DEFERRED") != 0) return kFailed;
    snapshot_ = true;
    nested_ = false;
    return 0;
  }

  int dbEndSnapshot() override {
    if (!snapshot_) {
      last_error_ = "Aucune transaction en cours.";
      return kFailed;
    }
    snapshot_ = nested_ = false;
    for (auto& [number, c] : cursors_) CloseCursor(&c);
    return RunScript("COMMIT");
  }

  bool dbInSnapshot() const override { return snapshot_; }

  bool dbSetPrefix(const std::string& prefix, std::string* error) override {
    if (snapshot_ || !sqlite3_get_autocommit(db_)) {
      *error = "Le préfixe ne change pas pendant une transaction.";
      return false;
    }
    if (!ValidTablePrefix(prefix, error)) return false;
    for (auto& [number, c] : cursors_) CloseCursor(&c);
    // The clinic attached for the last prefix goes (a connection of a group
    // run visits many clinics; SQLite attaches ten at most).
    cache_.Clear();
    if (!sibling_.empty()) {
      RunScript(("DETACH DATABASE \"" + sibling_ + "\"").c_str());
      sibling_.clear();
    }
    if (!AttachSibling(db_, url_.substr(7), prefix, read_only_, error, &sibling_)) return false;
    prefix_ = prefix;
    return true;
  }
  // How the connection was opened: read only, and the clinic's file attached
  // for its prefix ("" when none).
  void SetOpened(bool read_only, std::string sibling) {
    read_only_ = read_only;
    sibling_ = std::move(sibling);
  }

  std::unique_ptr<BulkLoader> BeginBulk(const std::string& table,
                                        const std::vector<std::string>& columns) override {
    last_error_.clear();
    return std::make_unique<SqliteBulkLoader>(this, db_, table, columns);
  }

  const SqlDialect& Dialect() const override { return dialect_; }
  const std::string& LastError() const override { return last_error_; }
  const std::string& Url() const override { return url_; }

  void SetError(const std::string& message) { last_error_ = message; }

  // Runs statements that yield nothing worth reading; 0 or kFailed.
  int RunScript(const char* sql) {
    last_error_.clear();
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return 0;
    last_error_ = message != nullptr && sqlite3_errcode(db_) != SQLITE_BUSY ? message : SqliteErrorText(db_);
    sqlite3_free(message);
    return kFailed;
  }

  // SQLite keeps the count of the last INSERT, UPDATE or DELETE completed
  // (rows changed by triggers left out).
  long dbRowsChanged() const override { return static_cast<long>(sqlite3_changes64(db_)); }

 private:
  SqliteCursor* CursorFor(int number) {
    if (last_cursor_ != nullptr && last_number_ == number) return last_cursor_;
    last_number_ = number;
    last_cursor_ = &cursors_[number];  // node-based map: the address is stable
    return last_cursor_;
  }

  SqliteCursor* Find(int number) {
    if (last_cursor_ != nullptr && last_number_ == number) return last_cursor_;
    auto it = cursors_.find(number);
    if (it == cursors_.end()) return nullptr;
    last_number_ = number;
    last_cursor_ = &it->second;
    return last_cursor_;
  }

  // Prepares body on c (cached when possible). false with last_error_ set.
  bool Acquire(std::string_view body, SqliteCursor* c) {
    if (StatementCache::Entry* e = cache_.Find(body)) {
      c->stmt = e->stmt;
      c->entry = e;
    } else {
      const bool cache = !cache_.Contains(body);  // else that text is busy on another cursor
      sqlite3_stmt* stmt = nullptr;
      const int rc = sqlite3_prepare_v3(db_, body.data(), static_cast<int>(body.size()),
                                        cache ? SQLITE_PREPARE_PERSISTENT : 0, &stmt, nullptr);
      if (rc != SQLITE_OK || stmt == nullptr) {
        last_error_ = rc != SQLITE_OK ? SqliteErrorText(db_) : "Instruction SQL vide.";
        sqlite3_finalize(stmt);
        return false;
      }
      c->stmt = stmt;
      c->entry = cache ? cache_.Add(body, stmt) : nullptr;
    }
    c->columns = sqlite3_column_count(c->stmt);
    return true;
  }

  void CloseCursor(SqliteCursor* c) {
    if (c->stmt != nullptr) {
      if (c->entry != nullptr) {
        sqlite3_reset(c->stmt);
        c->entry->in_use = false;
      } else {
        sqlite3_finalize(c->stmt);
      }
    }
    *c = SqliteCursor();
  }

  // The cursor positioned on a row with column in range, or null (and the
  // reason in last_error_ unless an earlier failure is already there).
  SqliteCursor* Row(int column, int cursor) {
    SqliteCursor* c = Find(cursor);
    if (c != nullptr && c->has_row && column >= 1 && column <= c->columns) return c;
    if (last_error_.empty()) {
      last_error_ = gendb_text::NoValueMessage(c != nullptr && c->has_row, column, cursor);
    }
    return nullptr;
  }

  // Each reader looks the column up once (sqlite3_column_value) and reads the
  // value through it: one call into SQLite per access instead of three. The
  // value is SQLite's own, read before the next step on this thread only.
  int ReadInt(int column, int cursor, int64_t* v) {
    *v = 0;
    SqliteCursor* c = Row(column, cursor);
    if (c == nullptr) return kFailed;
    sqlite3_value* value = sqlite3_column_value(c->stmt, column - 1);
    switch (sqlite3_value_type(value)) {
      case SQLITE_INTEGER:
        *v = sqlite3_value_int64(value);
        break;
      case SQLITE_FLOAT: {
        const double d = std::trunc(sqlite3_value_double(value));
        *v = d >= 9.2e18 ? INT64_MAX : d <= -9.2e18 ? INT64_MIN : static_cast<int64_t>(d);
        break;
      }
      case SQLITE_NULL:
        break;
      default: {
        const char* s = reinterpret_cast<const char*>(sqlite3_value_text(value));
        *v = gendb_text::ParseLeadingInt(s, static_cast<size_t>(sqlite3_value_bytes(value)));
      }
    }
    return 0;
  }

  // The column as text in *v; integers are formatted into scratch
  // (kReadScratch bytes) rather than converted by SQLite (which would allocate).
  int ReadText(int column, int cursor, char* scratch, std::string_view* v) {
    *v = std::string_view();
    SqliteCursor* c = Row(column, cursor);
    if (c == nullptr) return kFailed;
    sqlite3_value* value = sqlite3_column_value(c->stmt, column - 1);
    switch (sqlite3_value_type(value)) {
      case SQLITE_INTEGER:
        *v = std::string_view(scratch, gendb_text::FormatInt(sqlite3_value_int64(value), scratch));
        break;
      case SQLITE_NULL:
        break;
      case SQLITE_BLOB: {
        const void* p = sqlite3_value_blob(value);
        *v = std::string_view(static_cast<const char*>(p), static_cast<size_t>(sqlite3_value_bytes(value)));
        break;
      }
      default: {
        const char* s = reinterpret_cast<const char*>(sqlite3_value_text(value));
        if (s != nullptr) *v = std::string_view(s, static_cast<size_t>(sqlite3_value_bytes(value)));
      }
    }
    return 0;
  }

  // A transaction inside the snapshot: a savepoint, one at a time.
  int Nested(const char* statement, bool begin) {
    last_error_.clear();
    if (begin == nested_) {
      last_error_ = begin ? "Une transaction est déjà en cours." : "Aucune transaction en cours.";
      return kFailed;
    }
    nested_ = begin;
    return RunScript(statement);
  }

  sqlite3* db_;
  std::string url_;
  std::string prefix_;
  bool read_only_ = false;
  std::string sibling_;  // attached by AttachSibling for the prefix
  bool snapshot_ = false;
  bool nested_ = false;
  std::string last_error_;
  SqliteDialect dialect_;
  StatementCache cache_;
  std::unordered_map<int, SqliteCursor> cursors_;
  int last_number_ = 0;
  SqliteCursor* last_cursor_ = nullptr;
};

SqliteBulkLoader::SqliteBulkLoader(SqliteGenDB* db, sqlite3* handle, const std::string& table,
                                   const std::vector<std::string>& columns)
    : db_(db), handle_(handle), columns_(columns.size()) {
  if (!IsPlainName(table) || columns.empty()) {
    Fail("Chargement en bloc : nom de table ou de colonnes invalide (« " + table + " »).");
    return;
  }
  std::string sql = "INSERT INTO " + table + " (";
  std::string marks;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!IsPlainName(columns[i])) {
      Fail("Chargement en bloc : nom de colonne invalide (« " + columns[i] + " »).");
      return;
    }
    sql += (i ? ", " : "") + columns[i];
    marks += i ? ", ?" : "?";
  }
  sql += ") VALUES (" + marks + ")";
  // A savepoint starts a transaction when none is open and nests otherwise.
  if (db_->RunScript("SAVEPOINT vantra_bulk") != 0) {
    Fail(db_->LastError());
    return;
  }
  open_ = true;
  if (sqlite3_prepare_v3(handle_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &insert_, nullptr) != SQLITE_OK) {
    Fail(SqliteErrorText(handle_));
  }
}

SqliteBulkLoader::~SqliteBulkLoader() {
  if (open_ || insert_ != nullptr) {
    // Abandoned without Finish: nothing of it is kept.
    if (error_.empty()) error_ = "Chargement en bloc abandonné avant sa fin.";
    Finish();
  }
}

void SqliteBulkLoader::Fail(const std::string& message) {
  if (error_.empty()) error_ = message;
  db_->SetError(error_);
}

bool SqliteBulkLoader::AddRow(const std::vector<BulkCell>& cells) {
  if (!error_.empty()) return false;
  if (cells.size() != columns_) {
    Fail("Chargement en bloc : " + std::to_string(cells.size()) + " valeurs pour " +
         std::to_string(columns_) + " colonnes.");
    return false;
  }
  for (size_t i = 0; i < cells.size(); ++i) {
    const int slot = static_cast<int>(i) + 1;
    // SQLITE_STATIC: the text outlives the step below.
    if (cells[i].is_text) {
      sqlite3_bind_text(insert_, slot, cells[i].text.data(), static_cast<int>(cells[i].text.size()), SQLITE_STATIC);
    } else {
      sqlite3_bind_int64(insert_, slot, cells[i].number);
    }
  }
  const int rc = sqlite3_step(insert_);
  sqlite3_reset(insert_);
  if (rc != SQLITE_DONE) {
    Fail(SqliteErrorText(handle_));
    return false;
  }
  return true;
}

bool SqliteBulkLoader::Finish() {
  if (insert_ != nullptr) {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
  }
  if (open_) {
    open_ = false;
    if (!error_.empty()) {
      db_->RunScript("ROLLBACK TO vantra_bulk; RELEASE vantra_bulk");
    } else if (db_->RunScript("RELEASE vantra_bulk") != 0) {
      Fail(db_->LastError());
      db_->RunScript("ROLLBACK TO vantra_bulk; RELEASE vantra_bulk");
    }
  }
  if (!error_.empty()) db_->SetError(error_);
  return error_.empty();
}

void ApplyPragma(sqlite3* db, const char* sql) {
  // Settings are best effort: a read-only file keeps its journal mode.
  sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

}  // namespace

void SetSqliteBusyTimeout(int milliseconds) { g_busy_timeout_ms.store(milliseconds > 0 ? milliseconds : 0); }

namespace {

// "file:" URI of path for an immutable read (a folder nobody may write).
std::string ImmutableUri(const std::string& path) { return FileUri(path) + "?immutable=1"; }

bool FolderWritable(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  return ::access(folder.c_str(), W_OK) == 0;
}

// Opens and reads the schema, which tells a database from any other file
// now rather than at the first statement. Null with *error on failure.
sqlite3* OpenAndCheck(const std::string& name, const std::string& path, int flags, std::string* error,
                      int* code) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
  *code = rc;
  if (rc != SQLITE_OK) {
    *error = "Impossible d'ouvrir la base SQLite « " + path + " » : " +
             (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 0);
  sqlite3_busy_timeout(db, g_busy_timeout_ms.load());
  char* message = nullptr;
  if (sqlite3_exec(db, "SELECT COUNT(0) FROM sqlite_master", nullptr, nullptr, &message) != SQLITE_OK) {
    *code = sqlite3_errcode(db);
    *error = *code == SQLITE_BUSY
                 ? SqliteErrorText(db)
                 : "Le fichier « " + path + " » n'est pas une base SQLite utilisable : " +
                       (message != nullptr ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    sqlite3_close_v2(db);
    return nullptr;
  }
  return db;
}

}  // namespace

std::unique_ptr<GenDB> OpenSqliteGenDB(const std::string& path, const std::string& prefix, DbAccess access,
                                       std::string* error) {
  const bool in_memory = path == ":memory:" || path.empty() || path.find("mode=memory") != std::string::npos;
  int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
  flags |= access == DbAccess::kRead && !in_memory ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (access == DbAccess::kCreate) flags |= SQLITE_OPEN_CREATE;
  // A file the suite creates now (or an empty one it fills) gets its
  // journal mode; an existing database keeps the one it has.
  struct stat st {};
  const bool missing = !in_memory && ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
  const bool new_file = !in_memory && (missing || st.st_size == 0);
  if (missing && access != DbAccess::kCreate && path.rfind("file:", 0) != 0) {
    *error = "Impossible d'ouvrir la base SQLite « " + path + " » : le fichier n'existe pas.";
    return nullptr;
  }
  int code = SQLITE_OK;
  sqlite3* db = OpenAndCheck(path, path, flags, error, &code);
  if (db == nullptr && access == DbAccess::kRead && !in_memory && code != SQLITE_BUSY && code != SQLITE_NOTADB &&
      !FolderWritable(path)) {
    // A WAL database in a folder nobody may write cannot get its shared-
    // memory file: read it as it stands (nobody can be writing it either).
    std::string second;
    db = OpenAndCheck(ImmutableUri(path), path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                      &second, &code);
  }
  if (db == nullptr) return nullptr;
  error->clear();
  if (!in_memory && access != DbAccess::kRead) {
    if (access == DbAccess::kCreate && new_file) ApplyPragma(db, "PRAGMA journal_mode=WAL");
    ApplyPragma(db, "PRAGMA synchronous=NORMAL");
  }
  // No memory mapping: a file cut short while a report reads it (another
  // program truncating or replacing it) would end the process with SIGBUS;
  // read(2) gives an error instead. The mapping did not pay either: the
  // million-row audit of the large demo took 2.73 s mapped, 2.34 s not
  // (best of three, same output).

  // 8 MB of page cache: the analyses read each page once or twice, so a
  // bigger cache only adds page faults (64 MB cost a million-row audit read
  // 16,500 faults and 65 MB of peak memory for no fewer page reads).
  ApplyPragma(db, "PRAGMA cache_size=-8192");
  ApplyPragma(db, "PRAGMA temp_store=MEMORY");
  std::string sibling;
  if (!AttachSibling(db, path, prefix, access == DbAccess::kRead, error, &sibling)) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  auto gen = std::make_unique<SqliteGenDB>(db, "sqlite:" + path, prefix);
  gen->SetOpened(access == DbAccess::kRead, sibling);
  return gen;
}
