// One libpq connection of the PostgreSQL engine and what the engine knows
// of its state: who is reading on it, whether a transaction block is open,
// and whether the server is still there.
//
// Only one statement can be in flight on a connection. A cursor whose rows
// are still coming (a PgConnectionUser) owns the connection until it has
// read them; anything else that needs the connection first calls Claim(),
// which asks the owner to read the rest of its rows (see gendb_pg_rows.h)
// and reads the answer of a message sent without waiting (SendAsync).
//
// Transactions. A block is open only when the caller opened one
// (dbBeginTransaction, or BEGIN through dbExec): reading needs none, every
// statement is its own snapshot outside a block. Inside a block, each
// statement runs in savepoint vantra_sp (see Protect), so a failing look-up
// is rolled back alone and the caller's transaction goes on.
//
// A lost server: the failing call reports LostMessage(reason); Lost() ends
// the block; EnsureConnected() (called before each new statement) first
// reads what came in while the connection was idle (a server that closed it
// shows then), and reconnects once with PQreset and sets the session up
// again (the URL's options, search_path among them, come back with it).
// Not while the caller's block is lost with the server: its statements would
// run, each on its own, outside the transaction the caller believes open
// (the writes before the loss rolled back by the server, those after it
// kept). Every statement then fails with kBlockLost until the caller ends
// the block: dbRollback succeeds, dbCommit fails; the next statement
// reconnects.
#pragma once

#include <libpq-fe.h>

#include <string>
#include <string_view>

// A reader that holds the connection while its rows come.
class PgConnectionUser {
 public:
  virtual ~PgConnectionUser() = default;
  // Reads every result still due on the connection (keeping what it needs);
  // the connection is free afterwards.
  virtual void YieldConnection() = 0;
};

// First line of a libpq message, without its "ERROR:  " severity.
std::string PgShorten(const char* message);
// Primary message of a failed result.
std::string PgResultError(const PGresult* r);
// Reads and drops the data of a COPY ... TO STDOUT (no reader of ours wants
// it; without this the connection would stay in COPY state).
void PgDiscardCopyOut(PGconn* conn);

class PgConnection {
 public:
  // Takes ownership of conn (open, CONNECTION_OK).
  PgConnection(PGconn* conn, std::string url);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  PGconn* get() { return conn_; }
  const std::string& Url() const { return url_; }

  // Session settings: standard_conforming_strings on (SqlQuoted relies on
  // it); no parallel plans, so that rows come in the order the table is read
  // (workers interleave their rows, and the lists keep the read order of
  // rows their sort finds equal). false with *error set.
  bool SetUpSession(std::string* error);

  // Frees the connection for a new message (see above).
  void Claim();
  // user may read on the connection until it calls Release or is asked to
  // yield by Claim.
  void SetOwner(PgConnectionUser* user) { owner_ = user; }
  void Release(PgConnectionUser* user) {
    if (owner_ == user) owner_ = nullptr;
  }

  // Claims the connection and reconnects when the server went away. false
  // with *error set when it cannot.
  bool EnsureConnected(std::string* error);

  // Sends sql (one or several statements), reads every result. false and
  // *error on the first failure (the rest of the message is skipped by the
  // server). A COPY FROM STDIN inside is refused.
  bool Roundtrip(const std::string& sql, std::string* error);
  // Sends sql without waiting; its answer is read by the next Claim.
  void SendAsync(const std::string& sql);

  // The message that runs statement with the block's protection: as is
  // outside a block, in savepoint vantra_sp inside one.
  std::string Protect(std::string_view statement) const;
  // After a protected statement failed (the connection still up): undoes
  // the savepoint without waiting.
  void AfterProtectedFailure();
  // Runs statements (dbExec, writes) with the block's protection; false with
  // *error. Aligns the block state afterwards.
  bool RunProtected(std::string_view statements, std::string* error);

  // The caller's transaction (dbBeginTransaction ... dbCommit/dbRollback).
  bool InBlock() const { return in_block_; }
  // statement: "BEGIN", or a BEGIN with its isolation (a run's snapshot).
  bool Begin(std::string* error, const char* statement = "BEGIN");
  bool End(bool commit, std::string* error);
  // Aligns the block state with the server's once the connection is idle
  // (the caller may have sent BEGIN or COMMIT itself).
  void Reconcile();

  bool IsBad() const { return PQstatus(conn_) == CONNECTION_BAD; }
  // The caller's block went away with the server and the caller has not
  // ended it yet (see above).
  bool BlockLost() const { return block_lost_; }
  static constexpr const char* kBlockLost =
      "la transaction en cours a été perdue avec la connexion ; rien n'en a été enregistré";
  // With nothing in flight: reads what the server sent meanwhile, so that a
  // server that closed the connection (a restart, an administrator's
  // pg_terminate_backend) shows as a bad connection before a statement is
  // sent on it. EnsureConnected does it outside a block.
  void Probe();
  // The server went away: the block is gone with it.
  void Lost();
  // Also keeps reason as LostReason().
  std::string LostMessage(const std::string& reason) const;
  // The reason of the last LostMessage.
  const std::string& LostReason() const { return lost_reason_; }
  // Checks the connection after reading; a lost one is noted. Returns the
  // message to report ("" while the connection is up).
  std::string CheckLost();

  // Rows of the most recent INSERT, UPDATE, DELETE or MERGE whose result
  // Roundtrip read (its command tag's count).
  long RowsChanged() const { return rows_changed_; }

 private:
  void Drain();
  void NoteRowsChanged(const PGresult* r);

  PGconn* conn_;
  std::string url_;
  PgConnectionUser* owner_ = nullptr;
  bool async_ = false;     // a message's answer is still to be read
  bool in_block_ = false;  // a transaction block is open on the server
  bool block_lost_ = false;  // ... was, and the server went away with it
  mutable std::string lost_reason_;
  std::string closing_;  // the server's FATAL notice: it is ending the connection
  long rows_changed_ = 0;
};

// "postgresql://user@host:port/db" of an open connection (never the password).
std::string DescribePgConnection(PGconn* conn);
