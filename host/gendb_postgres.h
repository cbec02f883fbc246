// The PostgreSQL engine of GenDB, over libpq, one connection.
//
// Three pieces, one file each:
//   gendb_pg_conn.h   the connection: who reads on it, the caller's
//                     transaction block, savepoints, a lost server; and the
//                     dialect below
//   gendb_pg_rows.h   the rows of one cursor's statement
//   gendb_pg_bulk.h   BeginBulk through COPY ... FROM STDIN
// gendb_postgres.cpp puts them behind GenDB's numbered cursors.
//
// Cursors. dbExecute sends the statement as it is (no server-side cursor)
// and waits for its first row: a look-up costs one round trip, like a plain
// PQexec. Rows then come one at a time as dbFetch asks for them. A statement
// run on another cursor while rows are still coming (a look-up on cursor 117
// inside the fetch loop of cursor 77) first has the rest of cursor 77's rows
// read into memory, from where dbFetch goes on handing them out: nested
// cursors need no transaction, at the cost of holding the rows not yet
// fetched of the interrupted statement. Column readers read the rows in
// place (text format, no allocation per value). A statement that fails
// while its rows come (a division by zero in row 700, say) hands out the
// rows before the failure, then fails. dbFetch(0) on a cursor already read
// runs its query again (a write is not run again).
//
// Transactions. Reading needs none: outside the caller's transaction each
// statement is its own snapshot. Inside dbBeginTransaction ... dbCommit /
// dbRollback (or a BEGIN the caller sent through dbExec), every statement
// runs in a savepoint, in the same message, so a failing look-up (a missing
// table, bad SQL) is rolled back alone and the caller's transaction and
// cursors go on.
//
// A lost connection: the fetch loop in progress ends with the error in
// LastError() ("Connexion au serveur PostgreSQL perdue ..."); rows already
// read into memory stay readable; the next dbExecute or dbExec reconnects
// once (libpq PQreset) before giving up.
//
// dbRowCount reads the rest of the statement's rows into memory and counts
// them (no second statement on the server).
//
// Prefix: "name." is a schema: statements name tables "name.AUDITFIL" and
// the schema must exist (created when create_if_missing is true); "" uses
// the connection's search_path (options=-csearch_path=... in the URL).
// Identifiers are not quoted, so unquoted upper-case names fold to lower
// case as long as the DDL is unquoted too.
//
// Connection defaults (a URL or conninfo may override them):
// connect_timeout 5 s, client_encoding UTF8, TCP keepalives.
// Session settings: standard_conforming_strings on (SqlQuoted relies on
// it); max_parallel_workers_per_gather 0: a statement without ORDER BY
// yields its rows in the order the table is read, the same from run to run
// (parallel workers would interleave theirs; server-side cursors never ran
// in parallel).
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
  std::string SchemasHoldingSql(const std::vector<std::string>& tables) const override;
};

// conninfo: a postgresql:// or postgres:// URI or a "key=value ..." string.
// Returns null and fills *error (French, with libpq's reason) on failure.
std::unique_ptr<GenDB> OpenPostgresGenDB(const std::string& conninfo, const std::string& prefix,
                                         bool create_if_missing, std::string* error);
