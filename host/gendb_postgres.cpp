#include "host/gendb_postgres.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <unordered_map>

#include "host/gendb_text.h"
#include "host/sql_literal.h"

using gendb_text::StatementShape;

std::string PostgresDialect::TextType(int max_chars) const {
  return max_chars > 0 ? "VARCHAR(" + std::to_string(max_chars) + ")" : "TEXT";
}

std::string PostgresDialect::TableExistsSql(std::string_view prefix, std::string_view table) const {
  return "SELECT CASE WHEN to_regclass(" + SqlQuoted(std::string(prefix) + std::string(table)) +
         ") IS NULL THEN 0 ELSE 1 END";
}

namespace {

constexpr int kEndOfData = 100;
constexpr int kFailed = -1;
constexpr int kFirstBatch = 256;
constexpr int kLargestBatch = 8192;
constexpr size_t kCopyBufferBytes = 256 * 1024;

bool IsPlainName(std::string_view name) {
  if (name.empty() || name.front() == '.' || name.back() == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
  });
}

// First line of a libpq message, without its "ERROR:  " severity.
std::string Shorten(const char* message) {
  std::string s = message != nullptr ? message : "";
  const size_t nl = s.find('\n');
  if (nl != std::string::npos) s.resize(nl);
  for (const char* severity : {"ERROR:  ", "FATAL:  ", "PANIC:  "}) {
    if (s.rfind(severity, 0) == 0) s.erase(0, std::char_traits<char>::length(severity));
  }
  return s;
}

std::string ResultError(const PGresult* r) {
  const char* primary = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
  return primary != nullptr ? std::string(primary) : Shorten(PQresultErrorMessage(r));
}

struct PgCursor {
  std::string name;         // server-side cursor name, "vantra_c77"
  std::string text;         // the statement (dbRowCount, restart by dbFetch(0))
  PGresult* batch = nullptr;
  int rows = 0;             // rows in batch
  int row = 0;              // current row in batch (valid when has_row)
  int columns = 0;
  int batch_size = kFirstBatch;
  bool open = false;        // a statement is on this cursor
  bool query = false;       // rows come from a server-side cursor
  bool declared = false;    // that cursor exists on the server
  bool exhausted = true;    // the server has no more rows for it
  bool consumed = false;    // dbFetch handed out rows already
  bool has_row = false;
  bool in_user_savepoint = false;
  std::string gone;         // why the rows still due can no longer come
};

class PgGenDB;

class PgBulkLoader : public BulkLoader {
 public:
  PgBulkLoader(PgGenDB* db, const std::string& table, const std::vector<std::string>& columns);
  ~PgBulkLoader() override;
  bool AddRow(const std::vector<BulkCell>& cells) override;
  bool Finish() override;

 private:
  void Fail(const std::string& message);
  bool Flush();

  PgGenDB* db_;
  size_t columns_ = 0;
  bool copying_ = false;   // the server is in COPY IN state
  bool savepoint_ = false; // a savepoint guards the load
  bool finished_ = false;
  std::string buffer_;
  std::string error_;
};

class PgGenDB : public GenDB {
 public:
  PgGenDB(PGconn* conn, std::string url, std::string prefix)
      : conn_(conn), url_(std::move(url)), prefix_(std::move(prefix)) {}

  ~PgGenDB() override {
    for (auto& [number, c] : cursors_) PQclear(c.batch);
    PQfinish(conn_);
  }

  // Session settings; also after a reconnection. false with *error set.
  bool SetUpSession(std::string* error) {
    return Roundtrip("SET standard_conforming_strings = on; SET cursor_tuple_fraction = 1", nullptr, error);
  }

  int dbExecute(const char* statement, int cursor) override {
    last_error_.clear();
    PgCursor* c = CursorFor(cursor);
    if (c->open) CloseCursor(c);
    std::string_view body;
    const StatementShape shape =
        gendb_text::SplitStatement(statement == nullptr ? "" : statement, &body);
    if (shape != StatementShape::kSingle) {
      last_error_ = shape == StatementShape::kEmpty
                        ? "Instruction SQL vide."
                        : "Une seule instruction SQL par curseur (curseur " + std::to_string(cursor) + ").";
      return kFailed;
    }
    if (!EnsureConnected()) return kFailed;
    c->text.assign(body);
    return Open(c) ? 0 : kFailed;
  }

  int dbFetch(int mode, int cursor) override {
    PgCursor* c = Find(cursor);
    if (c == nullptr || !c->open) return kEndOfData;
    if (mode == 0 && c->consumed && c->query) {
      // Back to the first row: a NO SCROLL cursor cannot rewind, run it again.
      last_error_.clear();
      CloseCursor(c);
      if (!EnsureConnected() || !Open(c)) return kFailed;
    }
    if (!c->consumed) {
      c->consumed = true;
      c->row = 0;
    } else if (c->has_row || c->row < c->rows) {
      ++c->row;
    }
    if (c->row < c->rows) {
      c->has_row = true;
      return 0;
    }
    c->has_row = false;
    if (!c->gone.empty()) {
      last_error_ = c->gone;
      return kFailed;
    }
    if (c->exhausted || !c->declared) return kEndOfData;
    return FetchMore(c);
  }

  int dbGetLong(int column, long* out, int cursor) override {
    int64_t v = 0;
    const int rc = ReadInt(column, cursor, &v);
    if (out != nullptr) *out = static_cast<long>(v);
    return rc;
  }

  int dbGetShort(int column, short* out, int cursor) override {
    int64_t v = 0;
    const int rc = ReadInt(column, cursor, &v);
    if (out != nullptr) *out = static_cast<short>(std::clamp<int64_t>(v, SHRT_MIN, SHRT_MAX));
    return rc;
  }

  int dbGetChar(int column, char* out, int cursor) override {
    std::string_view v;
    const int rc = ReadText(column, cursor, &v);
    if (out != nullptr) *out = v.empty() ? '\0' : v.front();
    return rc;
  }

  int dbGetString(int column, char* buffer, int capacity, int cursor) override {
    std::string_view v;
    const int rc = ReadText(column, cursor, &v);
    gendb_text::CopyToBuffer(v.data(), v.size(), buffer, capacity);
    return rc;
  }

  int dbGetField(int column, std::string* out, int cursor, bool trim_trailing) override {
    std::string_view v;
    const int rc = ReadText(column, cursor, &v);
    if (out == nullptr) return rc;
    out->assign(v.data(), v.size());
    if (trim_trailing) gendb_text::TrimTrailingBlanks(out);
    return rc;
  }

  int dbRowCount(long* out, int cursor) override {
    if (out != nullptr) *out = 0;
    PgCursor* c = Find(cursor);
    if (c == nullptr || !c->open) return kFailed;
    if (!c->query) {
      if (out != nullptr) *out = c->rows;
      return 0;
    }
    PGresult* r = nullptr;
    if (!RunProtected("SELECT COUNT(0) FROM (" + c->text + "\n) AS vantra_count", &r, false)) return kFailed;
    if (out != nullptr && r != nullptr && PQntuples(r) == 1) {
      *out = static_cast<long>(gendb_text::ParseLeadingInt(PQgetvalue(r, 0, 0), PQgetlength(r, 0, 0)));
    }
    PQclear(r);
    return 0;
  }

  int dbClose(int cursor) override {
    PgCursor* c = Find(cursor);
    if (c == nullptr || !c->open) return 0;
    return CloseCursor(c) ? 0 : kFailed;
  }

  int dbColumnCount(int cursor) override {
    PgCursor* c = Find(cursor);
    return c != nullptr && c->open ? c->columns : 0;
  }

  const char* dbPrefix() const override { return prefix_.c_str(); }

  int dbExec(const char* statement) override {
    last_error_.clear();
    std::string_view body;
    if (gendb_text::SplitStatement(statement == nullptr ? "" : statement, &body) == StatementShape::kEmpty) {
      last_error_ = "Instruction SQL vide.";
      return kFailed;
    }
    if (!EnsureConnected()) return kFailed;
    PGresult* r = nullptr;
    const bool ok = RunProtected(statement, &r, true);
    PQclear(r);
    if (ok) Reconcile();
    return ok ? 0 : kFailed;
  }

  int dbBeginTransaction() override {
    last_error_.clear();
    if (user_txn_) {
      last_error_ = "Une transaction est déjà en cours.";
      return kFailed;
    }
    if (!EnsureConnected()) return kFailed;
    if (txn_open_) {
      if (!Send(TakePending() + "SAVEPOINT vantra_user")) return kFailed;
      user_savepoint_ = true;
    } else {
      if (!Send("BEGIN")) return kFailed;
      txn_open_ = true;
    }
    user_txn_ = true;
    return 0;
  }

  int dbCommit() override {
    last_error_.clear();
    if (!user_txn_) {
      last_error_ = "Aucune transaction en cours.";
      return kFailed;
    }
    user_txn_ = false;
    if (user_savepoint_) {
      user_savepoint_ = false;
      wrote_in_txn_ = true;
      if (!Send(TakePending() + "RELEASE SAVEPOINT vantra_user")) return kFailed;
      // The cursors that held the block open may all be closed by now.
      if (declared_count_ == 0 && txn_open_) return EndImplicitTransaction() ? 0 : kFailed;
      return 0;
    }
    if (declared_count_ > 0) {
      // Open cursors keep the block alive; closing the last one commits it.
      wrote_in_txn_ = true;
      return 0;
    }
    pending_.clear();
    txn_open_ = false;
    wrote_in_txn_ = false;
    const bool ok = Send("COMMIT");
    Reconcile();
    return ok ? 0 : kFailed;
  }

  int dbRollback() override {
    last_error_.clear();
    if (!user_txn_) {
      last_error_ = "Aucune transaction en cours.";
      return kFailed;
    }
    user_txn_ = false;
    if (user_savepoint_) {
      user_savepoint_ = false;
      const bool ok = Send(TakePending() + "ROLLBACK TO SAVEPOINT vantra_user; RELEASE SAVEPOINT vantra_user");
      for (auto& [number, c] : cursors_) {
        if (c.declared && c.in_user_savepoint) Forget(&c, "Curseur fermé par l'annulation de la transaction.");
      }
      if (declared_count_ == 0) EndImplicitTransaction();
      return ok ? 0 : kFailed;
    }
    pending_.clear();
    const bool ok = Send("ROLLBACK");
    EndedTransaction("Curseur fermé par l'annulation de la transaction.");
    Reconcile();
    return ok ? 0 : kFailed;
  }

  std::unique_ptr<BulkLoader> BeginBulk(const std::string& table,
                                        const std::vector<std::string>& columns) override {
    last_error_.clear();
    EnsureConnected();
    return std::make_unique<PgBulkLoader>(this, table, columns);
  }

  const SqlDialect& Dialect() const override { return dialect_; }
  const std::string& LastError() const override { return last_error_; }
  const std::string& Url() const override { return url_; }

  // --- used by PgBulkLoader ---------------------------------------------
  PGconn* conn() { return conn_; }
  bool InTransaction() const { return txn_open_; }
  void SetError(const std::string& message) { last_error_ = message; }
  void NoteWrite() {
    if (txn_open_) wrote_in_txn_ = true;
  }
  // Sends statements and reads every result; false with last_error_ set.
  bool Send(const std::string& sql) {
    std::string error;
    if (Roundtrip(sql, nullptr, &error)) return true;
    last_error_ = error;
    return false;
  }
  std::string TakePending() {
    std::string p;
    p.swap(pending_);
    return p;
  }
  void AfterConnectionCheck() {
    if (PQstatus(conn_) == CONNECTION_BAD) Lost(Shorten(PQerrorMessage(conn_)));
  }
  // Reads the answer of a message sent without waiting.
  void Drain() {
    if (!async_) return;
    async_ = false;
    while (PGresult* r = PQgetResult(conn_)) PQclear(r);
    AfterConnectionCheck();
  }

 private:
  PgCursor* CursorFor(int number) {
    if (last_cursor_ != nullptr && last_number_ == number) return last_cursor_;
    auto [it, added] = cursors_.try_emplace(number);
    if (added) it->second.name = "vantra_c" + std::to_string(number < 0 ? -number : number) + (number < 0 ? "n" : "");
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

  // Sends sql, reads every result; the last rows result goes to *rows (when
  // wanted, else it is freed). false and *error on the first failure.
  bool Roundtrip(const std::string& sql, PGresult** rows, std::string* error) {
    Drain();
    if (rows != nullptr) *rows = nullptr;
    if (PQsendQuery(conn_, sql.c_str()) == 0) {
      *error = Shorten(PQerrorMessage(conn_));
      AfterConnectionCheck();
      if (PQstatus(conn_) == CONNECTION_BAD) *error = LostMessage(*error);
      return false;
    }
    bool ok = true;
    while (PGresult* r = PQgetResult(conn_)) {
      const ExecStatusType status = PQresultStatus(r);
      if (status == PGRES_TUPLES_OK && rows != nullptr) {
        PQclear(*rows);
        *rows = r;
        continue;
      }
      if (status == PGRES_COPY_IN) {
        PQputCopyEnd(conn_, "COPY FROM STDIN n'est possible que par BeginBulk");
      } else if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY &&
                 ok) {
        ok = false;
        *error = ResultError(r);
      }
      PQclear(r);
    }
    if (PQstatus(conn_) == CONNECTION_BAD) {
      const std::string reason = ok ? Shorten(PQerrorMessage(conn_)) : *error;
      Lost(reason);
      *error = LostMessage(reason);
      ok = false;
    }
    if (!ok && rows != nullptr) {
      PQclear(*rows);
      *rows = nullptr;
    }
    return ok;
  }

  // Sends sql without waiting for its answer (read by the next Drain).
  void SendAsync(const std::string& sql) {
    Drain();
    if (PQsendQuery(conn_, sql.c_str()) != 0) {
      async_ = true;
    } else {
      AfterConnectionCheck();
    }
  }

  // Runs sql where a failure cannot harm the open transaction block: inside
  // a savepoint when a block is open. false with last_error_ set.
  bool RunProtected(const std::string& sql, PGresult** rows, bool write) {
    const bool in_block = txn_open_;
    std::string message = in_block ? "SAVEPOINT vantra_sp; " + TakePending() + sql + "\n; RELEASE SAVEPOINT vantra_sp"
                                   : TakePending() + sql;
    std::string error;
    if (Roundtrip(message, rows, &error)) {
      if (in_block && write) wrote_in_txn_ = true;
      return true;
    }
    last_error_ = error;
    if (in_block && PQstatus(conn_) != CONNECTION_BAD) {
      SendAsync("ROLLBACK TO SAVEPOINT vantra_sp; RELEASE SAVEPOINT vantra_sp");
    }
    return false;
  }

  // Runs c->text on c: a server-side cursor for queries, at once otherwise.
  bool Open(PgCursor* c) {
    c->open = true;
    c->consumed = false;
    c->has_row = false;
    c->gone.clear();
    c->batch_size = kFirstBatch;
    c->query = gendb_text::IsQueryStatement(c->text);
    if (!c->query) {
      PGresult* r = nullptr;
      if (!RunProtected(c->text, &r, true)) {
        c->open = false;
        return false;
      }
      Reconcile();
      TakeBatch(c, r, true);
      return true;
    }
    const bool begin = !txn_open_;
    std::string sql = begin ? "BEGIN; " : "SAVEPOINT vantra_sp; " + TakePending();
    sql += "DECLARE " + c->name + " NO SCROLL CURSOR FOR " + c->text + "\n; FETCH FORWARD " +
           std::to_string(c->batch_size) + " FROM " + c->name;
    if (!begin) sql += "; RELEASE SAVEPOINT vantra_sp";
    PGresult* r = nullptr;
    std::string error;
    if (!Roundtrip(sql, &r, &error)) {
      last_error_ = error;
      c->open = false;
      if (PQstatus(conn_) != CONNECTION_BAD) {
        SendAsync(begin ? "ROLLBACK" : "ROLLBACK TO SAVEPOINT vantra_sp; RELEASE SAVEPOINT vantra_sp");
      }
      return false;
    }
    txn_open_ = true;
    c->declared = true;
    c->in_user_savepoint = user_savepoint_;
    ++declared_count_;
    TakeBatch(c, r, false);
    return true;
  }

  // Makes r the rows in hand of c; the cursor is exhausted when r holds
  // fewer rows than asked for.
  void TakeBatch(PgCursor* c, PGresult* r, bool all) {
    PQclear(c->batch);
    c->batch = r;
    c->rows = r != nullptr ? PQntuples(r) : 0;
    c->columns = r != nullptr ? PQnfields(r) : 0;
    c->row = 0;
    c->exhausted = all || c->rows < c->batch_size;
  }

  int FetchMore(PgCursor* c) {
    c->batch_size = std::min(c->batch_size * 8, kLargestBatch);
    const std::string fetch = "FETCH FORWARD " + std::to_string(c->batch_size) + " FROM " + c->name;
    // Alone in the block, a failure loses nothing else: no savepoint needed.
    const bool alone = declared_count_ == 1 && !user_txn_ && !wrote_in_txn_;
    PGresult* r = nullptr;
    bool ok;
    if (alone) {
      std::string error;
      ok = Roundtrip(TakePending() + fetch, &r, &error);
      if (!ok) {
        last_error_ = error;
        if (PQstatus(conn_) != CONNECTION_BAD) {
          SendAsync("ROLLBACK");
          EndedTransaction(error);
        }
      }
    } else {
      ok = RunProtected(fetch, &r, false);
    }
    if (!ok) {
      c->exhausted = true;
      return kFailed;
    }
    TakeBatch(c, r, false);
    if (c->rows == 0) return kEndOfData;
    c->has_row = true;
    return 0;
  }

  // Ends the statement on c. Closing the last cursor of an implicit block
  // commits it. false when that commit failed (last_error_ says why).
  bool CloseCursor(PgCursor* c) {
    PQclear(c->batch);
    c->batch = nullptr;
    c->rows = c->row = c->columns = 0;
    c->open = c->has_row = false;
    c->exhausted = true;
    c->gone.clear();
    if (!c->declared) return true;
    c->declared = false;
    --declared_count_;
    if (declared_count_ == 0 && !user_txn_ && txn_open_) return EndImplicitTransaction();
    pending_ += "CLOSE " + c->name + "; ";
    return true;
  }

  bool EndImplicitTransaction() {
    pending_.clear();  // COMMIT closes every cursor
    txn_open_ = false;
    if (wrote_in_txn_) {
      // Writes to keep: wait for the verdict.
      wrote_in_txn_ = false;
      return Send("COMMIT");
    }
    SendAsync("COMMIT");
    return true;
  }

  // The server-side cursor of c is gone; rows in hand stay readable, reading
  // past them ends with why.
  void Forget(PgCursor* c, const std::string& why) {
    if (c->declared) {
      c->declared = false;
      --declared_count_;
    }
    if (c->open && !c->exhausted) c->gone = why;
  }

  // The transaction block ended (rolled back, committed behind our back or
  // lost with the connection).
  void EndedTransaction(const std::string& why) {
    for (auto& [number, c] : cursors_) Forget(&c, why);
    declared_count_ = 0;
    txn_open_ = user_txn_ = user_savepoint_ = wrote_in_txn_ = false;
    pending_.clear();
  }

  std::string LostMessage(const std::string& reason) const {
    return "Connexion au serveur PostgreSQL perdue (" + url_ + ") : " + reason;
  }

  void Lost(const std::string& reason) {
    async_ = false;
    EndedTransaction(LostMessage(reason));
  }

  // Aligns the block state with the server's after statements the caller
  // wrote (a BEGIN or COMMIT passed to dbExec).
  void Reconcile() {
    if (async_) return;
    switch (PQtransactionStatus(conn_)) {
      case PQTRANS_IDLE:
        if (txn_open_) EndedTransaction("Curseur fermé par la fin de la transaction.");
        break;
      case PQTRANS_INTRANS:
        if (!txn_open_) txn_open_ = user_txn_ = true;
        break;
      case PQTRANS_INERROR:
        SendAsync("ROLLBACK");
        EndedTransaction("Curseur fermé par l'annulation de la transaction.");
        break;
      default:
        break;
    }
  }

  bool EnsureConnected() {
    Drain();
    if (PQstatus(conn_) != CONNECTION_BAD) return true;
    PQreset(conn_);
    std::string error;
    if (PQstatus(conn_) != CONNECTION_OK) {
      last_error_ = LostMessage(Shorten(PQerrorMessage(conn_)));
      return false;
    }
    EndedTransaction("");
    if (!SetUpSession(&error)) {
      last_error_ = error;
      return false;
    }
    return true;
  }

  PgCursor* Row(int column, int cursor) {
    PgCursor* c = Find(cursor);
    if (c != nullptr && c->has_row && column >= 1 && column <= c->columns) return c;
    if (last_error_.empty()) {
      last_error_ = gendb_text::NoValueMessage(c != nullptr && c->has_row, column, cursor);
    }
    return nullptr;
  }

  int ReadInt(int column, int cursor, int64_t* v) {
    *v = 0;
    PgCursor* c = Row(column, cursor);
    if (c == nullptr) return kFailed;
    if (!PQgetisnull(c->batch, c->row, column - 1)) {
      *v = gendb_text::ParseLeadingInt(PQgetvalue(c->batch, c->row, column - 1),
                                       static_cast<size_t>(PQgetlength(c->batch, c->row, column - 1)));
    }
    return 0;
  }

  int ReadText(int column, int cursor, std::string_view* v) {
    *v = std::string_view();
    PgCursor* c = Row(column, cursor);
    if (c == nullptr) return kFailed;
    // NULL comes back as "" from libpq.
    *v = std::string_view(PQgetvalue(c->batch, c->row, column - 1),
                          static_cast<size_t>(PQgetlength(c->batch, c->row, column - 1)));
    return 0;
  }

  PGconn* conn_;
  std::string url_;
  std::string prefix_;
  std::string last_error_;
  PostgresDialect dialect_;
  std::unordered_map<int, PgCursor> cursors_;
  int last_number_ = 0;
  PgCursor* last_cursor_ = nullptr;

  bool txn_open_ = false;       // a transaction block is open on the server
  bool user_txn_ = false;       // the caller's dbBeginTransaction is in force
  bool user_savepoint_ = false; // ... as savepoint vantra_user in the cursors' block
  bool wrote_in_txn_ = false;   // statements other than reads ran in the block
  int declared_count_ = 0;      // server-side cursors open
  std::string pending_;         // CLOSE statements for the head of the next message
  bool async_ = false;          // a message's answer is still to be read
};

// --- bulk loading ----------------------------------------------------------

PgBulkLoader::PgBulkLoader(PgGenDB* db, const std::string& table, const std::vector<std::string>& columns)
    : db_(db), columns_(columns.size()) {
  if (!IsPlainName(table) || columns.empty()) {
    Fail("Chargement en bloc : nom de table ou de colonnes invalide (« " + table + " »).");
    return;
  }
  std::string sql = "COPY " + table + " (";
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!IsPlainName(columns[i])) {
      Fail("Chargement en bloc : nom de colonne invalide (« " + columns[i] + " »).");
      return;
    }
    sql += (i ? ", " : "") + columns[i];
  }
  sql += ") FROM STDIN";
  if (PQstatus(db_->conn()) == CONNECTION_BAD) {
    Fail("Connexion au serveur PostgreSQL perdue.");
    return;
  }
  if (db_->InTransaction()) {
    if (!db_->Send(db_->TakePending() + "SAVEPOINT vantra_bulk")) {
      Fail(db_->LastError());
      return;
    }
    savepoint_ = true;
  }
  db_->Drain();
  PGresult* r = PQexec(db_->conn(), sql.c_str());
  if (PQresultStatus(r) == PGRES_COPY_IN) {
    copying_ = true;
  } else {
    Fail(ResultError(r));
  }
  PQclear(r);
  buffer_.reserve(kCopyBufferBytes + 4096);
}

PgBulkLoader::~PgBulkLoader() {
  if (!finished_) {
    if (error_.empty()) error_ = "Chargement en bloc abandonné avant sa fin.";
    Finish();
  }
}

void PgBulkLoader::Fail(const std::string& message) {
  if (error_.empty()) error_ = message;
  db_->SetError(error_);
}

bool PgBulkLoader::Flush() {
  if (buffer_.empty()) return true;
  if (PQputCopyData(db_->conn(), buffer_.data(), static_cast<int>(buffer_.size())) != 1) {
    Fail(Shorten(PQerrorMessage(db_->conn())));
    return false;
  }
  buffer_.clear();
  return true;
}

bool PgBulkLoader::AddRow(const std::vector<BulkCell>& cells) {
  if (!error_.empty() || !copying_) return false;
  if (cells.size() != columns_) {
    Fail("Chargement en bloc : " + std::to_string(cells.size()) + " valeurs pour " + std::to_string(columns_) +
         " colonnes.");
    return false;
  }
  char digits[24];
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) buffer_.push_back('\t');
    if (!cells[i].is_text) {
      buffer_.append(digits, gendb_text::FormatInt(cells[i].number, digits));
      continue;
    }
    for (char ch : cells[i].text) {
      switch (ch) {
        case '\\': buffer_ += "\\\\"; break;
        case '\t': buffer_ += "\\t"; break;
        case '\n': buffer_ += "\\n"; break;
        case '\r': buffer_ += "\\r"; break;
        case '\0': break;  // a text value cannot hold NUL
        default: buffer_.push_back(ch);
      }
    }
  }
  buffer_.push_back('\n');
  return buffer_.size() < kCopyBufferBytes || Flush();
}

bool PgBulkLoader::Finish() {
  if (finished_) return error_.empty();
  finished_ = true;
  PGconn* conn = db_->conn();
  if (copying_) {
    copying_ = false;
    if (error_.empty()) Flush();
    PQputCopyEnd(conn, error_.empty() ? nullptr : error_.c_str());
    bool first = true;
    while (PGresult* r = PQgetResult(conn)) {
      if (first && PQresultStatus(r) != PGRES_COMMAND_OK) Fail(ResultError(r));
      first = false;
      PQclear(r);
    }
    db_->AfterConnectionCheck();
  }
  if (savepoint_) {
    savepoint_ = false;
    const std::string keep_error = error_;
    if (keep_error.empty()) {
      if (!db_->Send("RELEASE SAVEPOINT vantra_bulk")) Fail(db_->LastError());
      db_->NoteWrite();
    } else {
      db_->Send("ROLLBACK TO SAVEPOINT vantra_bulk; RELEASE SAVEPOINT vantra_bulk");
    }
  }
  if (!error_.empty()) db_->SetError(error_);
  return error_.empty();
}

// "postgresql://user@host:port/db" of an open connection (never the password).
std::string DescribeConnection(PGconn* conn) {
  std::string url = "postgresql://";
  const char* user = PQuser(conn);
  const char* host = PQhost(conn);
  const char* port = PQport(conn);
  const char* db = PQdb(conn);
  if (user != nullptr && *user != '\0') url += std::string(user) + "@";
  if (host != nullptr) url += host[0] == '/' ? "[" + std::string(host) + "]" : std::string(host);
  if (port != nullptr && *port != '\0') url += ":" + std::string(port);
  url += "/";
  if (db != nullptr) url += db;
  return url;
}

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
    *error = "Connexion PostgreSQL impossible (" + (conn != nullptr ? DescribeConnection(conn) : conninfo) +
             ") : " + (conn != nullptr ? Shorten(PQerrorMessage(conn)) : "mémoire insuffisante");
    PQfinish(conn);
    return nullptr;
  }
  // Server notices (NOTICE, WARNING) are not shown to users of the core.
  PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
  auto db = std::make_unique<PgGenDB>(conn, DescribeConnection(conn), prefix);
  if (!db->SetUpSession(error)) return nullptr;
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
