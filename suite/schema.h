// The practice database schema of the stand-in suite.
//
// Every table the analyses read or write, plus the suite's own scheduling
// tables that the calendar services use. The same schema on SQLite and
// PostgreSQL: identifiers are unquoted upper case (PostgreSQL folds them to
// lower case, so statements may spell them in any case), column types come
// from the connection's SqlDialect, and every statement names a table as
// dbPrefix() + NAME.
//
// Column conventions (docs/schema.md describes every table):
//   dates      integer YYYYMMDD, 0 = no date
//   times      integer HHMMSS
//   money      integer cents
//   flags      one-letter text
//   texts      NOT NULL DEFAULT '' with the maximal length given here;
//              integers NOT NULL DEFAULT 0
//   ids        the first column of most tables, PRIMARY KEY, assigned by the
//              writer (MAX + 1), never by the engine
#pragma once

#include <string>
#include <vector>

class GenDB;

enum class ColumnKind { kId, kInt, kText };

struct ColumnDef {
  const char* name;
  ColumnKind kind;
  int length = 0;             // text columns: maximal characters
  const char* default_text = "";  // text columns: DEFAULT value
};

struct IndexDef {
  const char* name;           // unique across the schema
  std::vector<const char*> columns;
  bool unique = false;
};

struct TableDef {
  const char* name;           // without prefix
  const char* purpose;        // one line, for docs and messages
  std::vector<ColumnDef> columns;  // in table order; SELECT * reads this order
  const char* primary_key;    // column name, or null for none
  std::vector<IndexDef> indexes;

  // Position (0-based) of a column, or -1.
  int ColumnIndex(const std::string& column) const;
  std::vector<std::string> ColumnNames() const;
};

// Every table, in creation order.
const std::vector<TableDef>& SchemaTables();
// The table of that name (without prefix), or null.
const TableDef* FindSchemaTable(const std::string& name);

// The DDL text of one table / of its indexes, for this connection's dialect
// and prefix (CREATE TABLE IF NOT EXISTS, CREATE [UNIQUE] INDEX IF NOT EXISTS).
std::string CreateTableSql(const GenDB& db, const TableDef& table);
std::vector<std::string> CreateIndexSql(const GenDB& db, const TableDef& table);

// Creates every table and index that is missing. Idempotent: running it on a
// complete schema changes nothing. Returns false with *error (the failing
// statement's message) on the first failure; tables created before it stay.
bool CreateSchema(GenDB* db, std::string* error);

// The two halves of CreateSchema, for bulk loading: tables first, indexes
// after the rows are in (building an index once is much faster than keeping
// it up to date row by row).
bool CreateSchemaTables(GenDB* db, std::string* error);
bool CreateSchemaIndexes(GenDB* db, std::string* error);

// Drops every table of the schema that exists (DROP TABLE IF EXISTS).
bool DropSchema(GenDB* db, std::string* error);

// Rows of one table; -1 when the table does not exist or the count failed.
long CountRows(GenDB* db, const std::string& table);

// True when at least one table of the schema exists and holds a row.
bool SchemaHasData(GenDB* db);
