// The PostgreSQL connection (gendb_pg_conn.h) and dialect (gendb_postgres.h).
#include "host/gendb_pg_conn.h"

#include <poll.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "host/gendb_postgres.h"
#include "host/sql_literal.h"

std::string PostgresDialect::TextType(int max_chars) const {
  return max_chars > 0 ? "VARCHAR(" + std::to_string(max_chars) + ")" : "TEXT";
}

std::string PostgresDialect::TableExistsSql(std::string_view prefix, std::string_view table) const {
  return "SELECT CASE WHEN to_regclass(" + SqlQuoted(std::string(prefix) + std::string(table)) +
         ") IS NULL THEN 0 ELSE 1 END";
}

std::string PostgresDialect::SchemasHoldingSql(const std::vector<std::string>& tables) const {
  std::string names;
  for (const std::string& t : tables) {
    std::string lower;
    for (char c : t) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    names += (names.empty() ? "" : ", ") + SqlQuoted(lower);
  }
  return "SELECT table_schema FROM information_schema.tables WHERE lower(table_name) IN (" + names +
         ") GROUP BY table_schema HAVING COUNT(DISTINCT lower(table_name)) = " + std::to_string(tables.size()) +
         " ORDER BY table_schema";
}

std::string PgShorten(const char* message) {
  std::string s = message != nullptr ? message : "";
  const size_t nl = s.find('\n');
  if (nl != std::string::npos) s.resize(nl);
  for (const char* severity : {"ERROR:  ", "FATAL:  ", "PANIC:  "}) {
    if (s.rfind(severity, 0) == 0) s.erase(0, std::char_traits<char>::length(severity));
  }
  return s;
}

std::string PgResultError(const PGresult* r) {
  const char* primary = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
  return primary != nullptr ? std::string(primary) : PgShorten(PQresultErrorMessage(r));
}

void PgDiscardCopyOut(PGconn* conn) {
  char* data = nullptr;
  while (PQgetCopyData(conn, &data, 0) > 0) PQfreemem(data);
}

std::string DescribePgConnection(PGconn* conn) {
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

PgConnection::PgConnection(PGconn* conn, std::string url) : conn_(conn), url_(std::move(url)) {
  // Server notices (NOTICE, WARNING) are not shown to users of the core. A
  // FATAL one comes while the connection is idle when the server ends it
  // (an administrator's pg_terminate_backend, a shutdown): its end of file
  // may follow a moment later, so the connection is known gone from here.
  PQsetNoticeReceiver(
      conn_,
      [](void* self, const PGresult* notice) {
        const char* severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
        if (severity != nullptr && (std::strcmp(severity, "FATAL") == 0 || std::strcmp(severity, "PANIC") == 0)) {
          auto* c = static_cast<PgConnection*>(self);
          c->closing_ = PgShorten(PQresultErrorMessage(notice));
        }
      },
      this);
}

PgConnection::~PgConnection() { PQfinish(conn_); }

bool PgConnection::SetUpSession(std::string* error) {
  return Roundtrip("SET standard_conforming_strings = on; SET max_parallel_workers_per_gather = 0", error);
}

void PgConnection::Claim() {
  if (owner_ != nullptr) {
    PgConnectionUser* user = owner_;
    owner_ = nullptr;
    user->YieldConnection();
  }
  Drain();
}

void PgConnection::Drain() {
  if (!async_) return;
  async_ = false;
  while (PGresult* r = PQgetResult(conn_)) PQclear(r);
  CheckLost();
}

void PgConnection::Probe() {
  if (async_ || owner_ != nullptr || IsBad()) return;
  // A closing server sends its reason first (a FATAL notice while idle: see
  // the notice receiver), then its end of file, which marks the connection
  // bad: read and parse until nothing more is waiting.
  for (int i = 0; i < 4 && !IsBad() && closing_.empty(); ++i) {
    pollfd p = {PQsocket(conn_), POLLIN, 0};
    if (p.fd < 0 || poll(&p, 1, 0) <= 0 || PQconsumeInput(conn_) == 0) return;
    PQisBusy(conn_);  // parses what came
  }
}

bool PgConnection::EnsureConnected(std::string* error) {
  Claim();
  if (!in_block_) Probe();
  if (!IsBad() && (closing_.empty() || in_block_)) return true;
  if (in_block_ || block_lost_) {
    Lost();
    *error = LostMessage(kBlockLost);
    return false;
  }
  closing_.clear();
  PQreset(conn_);
  if (PQstatus(conn_) != CONNECTION_OK) {
    *error = LostMessage(PgShorten(PQerrorMessage(conn_)));
    return false;
  }
  in_block_ = false;
  return SetUpSession(error);
}

bool PgConnection::Roundtrip(const std::string& sql, std::string* error) {
  Claim();
  if (PQsendQuery(conn_, sql.c_str()) == 0) {
    *error = PgShorten(PQerrorMessage(conn_));
    if (IsBad()) {
      Lost();
      *error = LostMessage(*error);
    }
    return false;
  }
  bool ok = true;
  while (PGresult* r = PQgetResult(conn_)) {
    const ExecStatusType status = PQresultStatus(r);
    if (status == PGRES_COPY_IN) {
      PQputCopyEnd(conn_, "COPY FROM STDIN n'est possible que par BeginBulk");
    } else if (status == PGRES_COPY_OUT) {
      PgDiscardCopyOut(conn_);
    } else if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY && ok) {
      ok = false;
      *error = PgResultError(r);
    }
    NoteRowsChanged(r);
    PQclear(r);
  }
  const std::string lost = CheckLost();
  if (!lost.empty()) {
    *error = ok ? lost : LostMessage(*error);
    return false;
  }
  return ok;
}

void PgConnection::SendAsync(const std::string& sql) {
  Claim();
  if (PQsendQuery(conn_, sql.c_str()) != 0) {
    async_ = true;
  } else {
    CheckLost();
  }
}

std::string PgConnection::Protect(std::string_view statement) const {
  if (!in_block_) return std::string(statement);
  std::string sql = "SAVEPOINT vantra_sp; ";
  sql.append(statement);
  sql += "\n; RELEASE SAVEPOINT vantra_sp";
  return sql;
}

void PgConnection::AfterProtectedFailure() {
  if (in_block_ && !IsBad()) SendAsync("ROLLBACK TO SAVEPOINT vantra_sp; RELEASE SAVEPOINT vantra_sp");
}

bool PgConnection::RunProtected(std::string_view statements, std::string* error) {
  Claim();
  if (Roundtrip(Protect(statements), error)) {
    Reconcile();
    return true;
  }
  if (in_block_) {
    AfterProtectedFailure();
  } else if (!IsBad()) {
    Reconcile();  // a script that opened a block and failed in it
  }
  return false;
}

bool PgConnection::Begin(std::string* error, const char* statement) {
  if (block_lost_) {
    *error = LostMessage(kBlockLost);
    return false;
  }
  if (!Roundtrip(statement, error)) return false;
  in_block_ = true;
  return true;
}

bool PgConnection::End(bool commit, std::string* error) {
  if (block_lost_) {
    // The server rolled the block back when it went: a rollback has nothing
    // left to do, a commit nothing to keep.
    block_lost_ = false;
    in_block_ = false;
    if (commit) *error = LostMessage(kBlockLost);
    return !commit;
  }
  const bool ok = Roundtrip(commit ? "COMMIT" : "ROLLBACK", error);
  in_block_ = false;
  block_lost_ = false;  // lost by this very statement: ended all the same
  Reconcile();
  return ok;
}

void PgConnection::Reconcile() {
  if (async_ || owner_ != nullptr) return;
  switch (PQtransactionStatus(conn_)) {
    case PQTRANS_IDLE:
      in_block_ = false;
      break;
    case PQTRANS_INTRANS:
      in_block_ = true;
      break;
    case PQTRANS_INERROR:
      // A failure the savepoints did not catch (a script through dbExec):
      // the block cannot go on.
      SendAsync("ROLLBACK");
      in_block_ = false;
      break;
    default:
      break;
  }
}

void PgConnection::Lost() {
  async_ = false;
  owner_ = nullptr;
  if (in_block_) block_lost_ = true;
  in_block_ = false;
}

std::string PgConnection::LostMessage(const std::string& reason) const {
  lost_reason_ = reason;
  return "Connexion au serveur PostgreSQL perdue (" + url_ + ") : " + reason;
}

std::string PgConnection::CheckLost() {
  if (!IsBad()) return "";
  Lost();
  return LostMessage(PgShorten(PQerrorMessage(conn_)));
}

void PgConnection::NoteRowsChanged(const PGresult* r) {
  const char* tag = PQcmdStatus(const_cast<PGresult*>(r));
  if (tag == nullptr) return;
  for (const char* verb : {"INSERT ", "UPDATE ", "DELETE ", "MERGE "}) {
    if (std::strncmp(tag, verb, std::strlen(verb)) == 0) {
      rows_changed_ = std::atol(PQcmdTuples(const_cast<PGresult*>(r)));
      return;
    }
  }
}
