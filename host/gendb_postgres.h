// The PostgreSQL engine of GenDB, over libpq, one connection.
//
// Cursors are server-side cursors. dbExecute sends, in one message,
//   [BEGIN | SAVEPOINT vantra_sp; CLOSE <closed cursors>;]
//   DECLARE vantra_cN NO SCROLL CURSOR FOR <statement>; FETCH FORWARD k FROM vantra_cN
//   [; RELEASE SAVEPOINT vantra_sp]
// and keeps the k rows (one PGresult) for dbFetch; later batches come with
// "FETCH FORWARD k" when the rows in hand are used up (k grows from 256 to
// 8192), so a million-row statement never sits in memory at once and the
// connection is free between batches for the statements of other cursors: a
// look-up on cursor 117 inside the fetch loop of cursor 77 costs one round
// trip. Column readers read the PGresult in place (text format, no
// allocation per row). A statement that fails while its rows come (a
// division by zero in row 700, say) ends with the rows of the earlier
// batches: the rows of the failing batch are not handed out.
//
// Transactions. Cursors live in a transaction block: the first cursor opens
// one (BEGIN sent with its DECLARE) and closing the last one commits it. That
// COMMIT, and the CLOSE of a cursor while others stay open, cost no round
// trip: the COMMIT is sent without waiting (its answer is read before the
// next message) and a CLOSE travels at the head of the next message. When a
// transaction is already open, each statement runs inside a savepoint, so a
// failing look-up (a missing table, bad SQL) is rolled back alone and the
// other cursors, and the caller's own transaction, go on.
// dbBeginTransaction opens the block (or a savepoint "vantra_user" inside
// the cursors' block); dbCommit while cursors are still open releases the
// caller's part, and the block is committed when the last cursor closes
// (dbClose then reports a failure of that commit). dbRollback closes the
// cursors opened since dbBeginTransaction; reading on them ends with an
// error.
//
// Statements that are not queries (INSERT, UPDATE, CREATE, SET, SHOW ...) are
// run at once by dbExecute and dbExec; inside a transaction block they run
// in a savepoint like the queries.
//
// A lost connection ends every cursor: the fetch loop in progress ends with
// the error in LastError(), and the next dbExecute or dbExec reconnects once
// (libpq PQreset) before giving up.
//
// dbRowCount runs SELECT COUNT(0) FROM (<statement>) on the server.
//
// Prefix: "name." is a schema: statements name tables "name.AUDITFIL" and
// the schema must exist (created when create_if_missing is true); "" uses
// the connection's search_path (options=-csearch_path=... in the URL).
// Identifiers are not quoted, so unquoted upper-case names fold to lower
// case as long as the DDL is unquoted too.
//
// Bulk loading uses COPY ... FROM STDIN in text format (tabs, newlines,
// carriage returns and backslashes escaped; NUL bytes dropped). No other
// call may be made on the connection between BeginBulk and Finish.
//
// Connection defaults (a URL or conninfo may override them):
// connect_timeout 5 s, client_encoding UTF8, TCP keepalives.
// Session settings: standard_conforming_strings on (SqlQuoted relies on
// it), cursor_tuple_fraction 1 (cursors are read to the end).
#pragma once

#include <memory>
#include <string>

#include "host/gendb.h"

class PostgresDialect : public SqlDialect {
 public:
  DbEngine Engine() const override { return DbEngine::kPostgres; }
  std::string BigIntType() const override { return "BIGINT"; }
  std::string IntType() const override { return "INTEGER"; }
  // "VARCHAR(n)" (never CHAR(n), whose values come back padded), "TEXT" when
  // max_chars <= 0.
  std::string TextType(int max_chars) const override;
  // to_regclass on prefix + table: follows the search path when the prefix
  // is "", folds case as the statements do.
  std::string TableExistsSql(std::string_view prefix, std::string_view table) const override;
};

// conninfo: a postgresql:// or postgres:// URI or a "key=value ..." string.
// Returns null and fills *error (French, with libpq's reason) on failure.
std::unique_ptr<GenDB> OpenPostgresGenDB(const std::string& conninfo, const std::string& prefix,
                                         bool create_if_missing, std::string* error);
