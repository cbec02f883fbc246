// The GenDB interface over PostgreSQL: numbered cursors, column readers and
// transactions, built on PgConnection (gendb_pg_conn.h), PgRows
// (gendb_pg_rows.h) and PgBulkLoader (gendb_pg_bulk.h).
#include "host/gendb_postgres.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <unordered_map>

#include "host/gendb_pg_ahead.h"
#include "host/gendb_pg_bulk.h"
#include "host/gendb_pg_conn.h"
#include "host/gendb_pg_rows.h"
#include "host/gendb_readers.h"
#include "host/gendb_text.h"
#include "host/sql_literal.h"

using gendb_text::StatementShape;

namespace {

constexpr int kEndOfData = PgRows::kEndOfData;
constexpr int kFailed = PgRows::kFailed;

struct PgCursor {
  explicit PgCursor(PgConnection* conn) : rows(conn) {}
  std::string text;       // the statement, sent again by dbFetch(0)
  PgRows rows;
  bool open = false;      // a statement is on this cursor
  bool query = false;     // it yields rows (mode 0 runs it again)
  bool consumed = false;  // dbFetch handed out rows already
};

class PgGenDB : public GenDBTypedReaders<PgGenDB> {
  friend class GenDBTypedReaders<PgGenDB>;

 public:
  PgGenDB(PGconn* conn, std::string prefix)
      : conn_(conn, DescribePgConnection(conn)), prefix_(std::move(prefix)) {}

  bool SetUpSession(std::string* error) { return conn_.SetUpSession(error); }

  int dbExecute(const char* statement, int cursor) override {
    last_error_.clear();
    PgCursor* c = CursorFor(cursor);
    if (c->open) Close(c);
    std::string_view body;
    const StatementShape shape =
        gendb_text::SplitStatement(statement == nullptr ? "" : statement, &body);
    if (shape != StatementShape::kSingle) {
      last_error_ = shape == StatementShape::kEmpty
                        ? "Instruction SQL vide."
                        : "Une seule instruction SQL par curseur (curseur " + std::to_string(cursor) + ").";
      return kFailed;
    }
    c->text.assign(body);
    c->query = gendb_text::IsQueryStatement(body);
    if (ahead_.Covers(cursor)) {
      PgTaken taken;
      if (ahead_.Take(body, &taken)) {
        if (taken.rows != nullptr) {
          c->rows.Adopt(taken.rows);
          c->open = true;
          return 0;
        }
        // Lost outside a transaction before its answer came: sent again on
        // a new connection, as Start does.
        if (!taken.lost || taken.sent_in_block) {
          last_error_ = taken.error;
          return Lose(kFailed);
        }
      }
    }
    return Lose(Start(c) ? 0 : kFailed);
  }

  void dbReadAhead(const std::vector<std::string>& statements, int cursor) override {
    last_error_.clear();
    // A server found gone is noted (LostConnection) as a failed statement's
    // would be; each statement then finds it on its usual way.
    if (!ahead_.Announce(statements, cursor, &last_error_)) Lose(kFailed);
  }

  int dbFetch(int mode, int cursor) override {
    PgCursor* c = Find(cursor);
    if (c == nullptr || !c->open) return kEndOfData;
    if (mode == 0 && c->consumed) {
      if (!c->query) return kEndOfData;  // a write is not run again
      last_error_.clear();
      if (!Start(c)) return Lose(kFailed);
    }
    c->consumed = true;
    return Lose(c->rows.Next(&last_error_));
  }

  int dbRowCount(long* out, int cursor) override {
    if (out != nullptr) *out = 0;
    PgCursor* c = Find(cursor);
    if (c == nullptr || !c->open) return kFailed;
    const long n = c->rows.Count(&last_error_);
    if (n < 0) return Lose(kFailed);
    if (out != nullptr) *out = n;
    return 0;
  }

  int dbClose(int cursor) override {
    PgCursor* c = Find(cursor);
    if (c != nullptr && c->open) Close(c);
    return 0;
  }

  int dbColumnCount(int cursor) override {
    PgCursor* c = Find(cursor);
    return c != nullptr && c->open ? c->rows.Columns() : 0;
  }

  const char* dbPrefix() const override { return prefix_.c_str(); }

  int dbExec(const char* statement) override {
    last_error_.clear();
    std::string_view body;
    if (gendb_text::SplitStatement(statement == nullptr ? "" : statement, &body) == StatementShape::kEmpty) {
      last_error_ = "Instruction SQL vide.";
      return kFailed;
    }
    if (!conn_.EnsureConnected(&last_error_)) return Lose(kFailed);
    return Lose(conn_.RunProtected(statement, &last_error_) ? 0 : kFailed);
  }

  int dbBeginTransaction() override {
    last_error_.clear();
    if (snapshot_) return Nested("SAVEPOINT vantra_tx", true);
    if (!conn_.EnsureConnected(&last_error_)) return Lose(kFailed);
    if (conn_.InBlock()) {
      last_error_ = "Une transaction est déjà en cours.";
      return kFailed;
    }
    return Lose(conn_.Begin(&last_error_) ? 0 : kFailed);
  }

  int dbCommit() override {
    if (snapshot_) return Nested("RELEASE SAVEPOINT vantra_tx", false);
    return End(true);
  }
  int dbRollback() override {
    if (snapshot_) return Nested("ROLLBACK TO SAVEPOINT vantra_tx; RELEASE SAVEPOINT vantra_tx", false);
    return End(false);
  }

  int dbBeginSnapshot() override {
    last_error_.clear();
    if (!conn_.EnsureConnected(&last_error_)) return Lose(kFailed);
    if (conn_.InBlock() || snapshot_) {
      last_error_ = "Une transaction est déjà en cours.";
      return kFailed;
    }
    if (!conn_.Begin(&last_error_, "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY")) return Lose(kFailed);
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
    return End(true);
  }

  bool dbInSnapshot() const override { return snapshot_; }

  bool dbSetPrefix(const std::string& prefix, std::string* error) override {
    if (conn_.InBlock() || snapshot_) {
      *error = "Le préfixe ne change pas pendant une transaction.";
      return false;
    }
    if (!ValidTablePrefix(prefix, error)) return false;
    for (auto& [number, c] : cursors_) {
      if (c.open) Close(&c);
    }
    ahead_.Clear();
    prefix_ = prefix;
    return true;
  }

  std::unique_ptr<BulkLoader> BeginBulk(const std::string& table,
                                        const std::vector<std::string>& columns) override {
    last_error_.clear();
    conn_.EnsureConnected(&last_error_);
    return std::make_unique<PgBulkLoader>(&conn_, &last_error_, table, columns);
  }

  const SqlDialect& Dialect() const override { return dialect_; }
  const std::string& LastError() const override { return last_error_; }
  const std::string& Url() const override { return conn_.Url(); }
  std::string LostConnection() const override { return lost_; }
  void ClearLostConnection() override { lost_.clear(); }
  long dbRowsChanged() const override { return conn_.RowsChanged(); }

  bool dbIsStandby() override {
    if (standby_known_) return standby_;
    constexpr int kStandbyCursor = -2;
    long recovering = 0;
    if (dbExecute("SELECT CASE WHEN pg_is_in_recovery() THEN 1 ELSE 0 END", kStandbyCursor) == 0 &&
        dbFetch(0, kStandbyCursor) == 0 && dbGetLong(1, &recovering, kStandbyCursor) == 0) {
      standby_known_ = true;
      standby_ = recovering != 0;
    }
    dbClose(kStandbyCursor);
    return standby_;
  }

 private:
  PgCursor* CursorFor(int number) {
    if (last_cursor_ != nullptr && last_number_ == number) return last_cursor_;
    auto it = cursors_.try_emplace(number, &conn_).first;
    last_number_ = number;
    last_cursor_ = &it->second;
    return last_cursor_;
  }

  PgCursor* Find(int number) {
    if (last_cursor_ != nullptr && last_number_ == number) return last_cursor_;
    auto it = cursors_.find(number);
    if (it == cursors_.end()) return nullptr;
    last_number_ = number;
    last_cursor_ = &it->second;
    return last_cursor_;
  }

  // A call that failed on a connection that is gone (the reconnection of
  // EnsureConnected failed too, or the server left while rows came) is noted
  // for LostConnection().
  int Lose(int rc) {
    if (rc != kFailed || !lost_.empty()) return rc;
    conn_.Probe();  // the server's last message may have come before its end of file
    if (!conn_.IsBad()) return rc;
    const std::string& reason = conn_.LostReason();
    const bool made_here = !reason.empty() && last_error_.size() >= reason.size() &&
                           last_error_.compare(last_error_.size() - reason.size(), reason.size(), reason) == 0;
    lost_ = made_here ? reason : last_error_;
    return rc;
  }

  // Sends c->text; false with last_error_ set.
  bool Start(PgCursor* c) {
    c->open = false;
    c->consumed = false;
    if (!conn_.EnsureConnected(&last_error_)) return false;
    const bool in_block = conn_.InBlock();
    if (!c->rows.Start(c->text, &last_error_)) {
      c->rows.Close();
      // A server that went away while the connection was idle shows it only
      // now. A query is sent once more on a new connection; not a write (it
      // may have run), nor inside a transaction (gone with the server).
      if (!c->query || in_block || !conn_.IsBad()) return false;
      last_error_.clear();
      if (!conn_.EnsureConnected(&last_error_) || !c->rows.Start(c->text, &last_error_)) {
        c->rows.Close();
        return false;
      }
    }
    c->open = true;
    return true;
  }

  void Close(PgCursor* c) {
    c->rows.Close();
    c->open = c->consumed = false;
  }

  int End(bool commit) {
    last_error_.clear();
    conn_.Claim();
    conn_.Reconcile();
    if (!conn_.InBlock() && !conn_.BlockLost()) {
      last_error_ = "Aucune transaction en cours.";
      return kFailed;
    }
    return Lose(conn_.End(commit, &last_error_) ? 0 : kFailed);
  }

  // A transaction inside the snapshot: a savepoint, one at a time. A server
  // gone since the snapshot began ends it (nothing is read outside it).
  int Nested(const char* statement, bool begin) {
    last_error_.clear();
    if (begin == nested_) {
      last_error_ = begin ? "Une transaction est déjà en cours." : "Aucune transaction en cours.";
      return kFailed;
    }
    nested_ = begin;
    if (!conn_.InBlock()) {
      last_error_ = "L'instantané de lecture est perdu.";
      return Lose(kFailed);
    }
    const bool ok = conn_.Roundtrip(statement, &last_error_);
    return Lose(ok ? 0 : kFailed);
  }

  // The cursor, when it has a current row and the column is in range.
  PgCursor* Row(int column, int cursor) {
    PgCursor* c = Find(cursor);
    const bool has_row = c != nullptr && c->open && c->rows.HasRow();
    if (has_row && column >= 1 && column <= c->rows.Columns()) return c;
    if (last_error_.empty()) last_error_ = gendb_text::NoValueMessage(has_row, column, cursor);
    return nullptr;
  }

  int ReadInt(int column, int cursor, int64_t* v) {
    *v = 0;
    PgCursor* c = Row(column, cursor);
    if (c == nullptr) return kFailed;
    const std::string_view text = c->rows.Value(column - 1);  // NULL reads as "", hence 0
    *v = gendb_text::ParseLeadingInt(text.data(), text.size());
    return 0;
  }

  // Values arrive as text: scratch is not needed.
  int ReadText(int column, int cursor, char* /*scratch*/, std::string_view* v) {
    *v = std::string_view();
    PgCursor* c = Row(column, cursor);
    if (c == nullptr) return kFailed;
    *v = c->rows.Value(column - 1);
    return 0;
  }

  // Declared first, destroyed last: the cursors let go of it before it closes.
  PgConnection conn_;
  PgReadAhead ahead_{&conn_};  // statements sent ahead (dbReadAhead)
  std::string prefix_;
  std::string last_error_;
  std::string lost_;  // see LostConnection
  bool standby_known_ = false;  // dbIsStandby asked the server
  bool standby_ = false;
  bool snapshot_ = false;  // dbBeginSnapshot's transaction is open
  bool nested_ = false;    // a savepoint of dbBeginTransaction inside it
  PostgresDialect dialect_;
  std::unordered_map<int, PgCursor> cursors_;
  int last_number_ = 0;
  PgCursor* last_cursor_ = nullptr;
};

// The schema named by a prefix "name." as the server stores it: unquoted
// names fold to lower case, "Quoted". keeps its case. "" when the prefix
// names no schema.
std::string SchemaOfPrefix(const std::string& prefix) {
  if (prefix.size() < 2 || prefix.back() != '.') return "";
  std::string name = prefix.substr(0, prefix.size() - 1);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return name.substr(1, name.size() - 2);
  for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return name;
}

}  // namespace

std::unique_ptr<GenDB> OpenPostgresGenDB(const std::string& conninfo, const std::string& prefix,
                                         bool create_if_missing, std::string* error) {
  // Defaults first: a value given by the URL itself (dbname, expanded last)
  // takes precedence.
  const char* keys[] = {"connect_timeout", "client_encoding", "application_name", "keepalives_idle",
                        "keepalives_interval", "keepalives_count", "dbname", nullptr};
  const char* values[] = {"5", "UTF8", "vantra", "30", "10", "3", conninfo.c_str(), nullptr};
  PGconn* conn = PQconnectdbParams(keys, values, 1);
  if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
    *error = "Connexion PostgreSQL impossible (" + (conn != nullptr ? DescribePgConnection(conn) : conninfo) +
             ") : " + (conn != nullptr ? PgShorten(PQerrorMessage(conn)) : "mémoire insuffisante");
    PQfinish(conn);
    return nullptr;
  }
  auto db = std::make_unique<PgGenDB>(conn, prefix);
  if (!db->SetUpSession(error)) return nullptr;
  // A standby takes no write: refused before the schema is looked for.
  if (create_if_missing && db->dbIsStandby()) {
    *error = kStandbyRefusal;
    return nullptr;
  }
  const std::string schema = SchemaOfPrefix(prefix);
  if (!schema.empty()) {
    const std::string probe = "SELECT COUNT(0) FROM pg_catalog.pg_namespace WHERE nspname = " + SqlQuoted(schema);
    if (db->dbExecute(probe.c_str(), -1) != 0 || db->dbFetch(0, -1) != 0) {
      *error = db->LastError();
      return nullptr;
    }
    long found = 0;
    db->dbGetLong(1, &found, -1);
    db->dbClose(-1);
    if (found == 0) {
      if (!create_if_missing) {
        *error = "Le schéma « " + schema + " » n'existe pas dans " + db->Url() + ".";
        return nullptr;
      }
      if (db->dbExec(("CREATE SCHEMA " + prefix.substr(0, prefix.size() - 1)).c_str()) != 0) {
        *error = db->LastError();
        return nullptr;
      }
    }
  }
  return db;
}
