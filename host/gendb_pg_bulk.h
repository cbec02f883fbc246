// Bulk loading for the PostgreSQL engine: COPY table (columns) FROM STDIN in
// text format. Tabs, newlines, carriage returns and backslashes in texts are
// escaped; NUL bytes are dropped (a text value cannot hold one). Rows are
// sent in 256 KB chunks.
//
// Inside the caller's transaction the load runs in savepoint vantra_bulk, so
// a failed load undoes only its own rows. Nothing is kept unless Finish
// returns true; a loader destroyed unfinished ends the COPY with an error.
// No other call may be made on the connection between construction and
// Finish (the COPY holds it).
#pragma once

#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/gendb_pg_conn.h"

class PgBulkLoader : public BulkLoader {
 public:
  // Starts the COPY on conn; failures are kept for AddRow/Finish and also
  // written to *last_error (the connection's LastError), which must outlive
  // the loader.
  PgBulkLoader(PgConnection* conn, std::string* last_error, const std::string& table,
               const std::vector<std::string>& columns);
  ~PgBulkLoader() override;
  bool AddRow(const std::vector<BulkCell>& cells) override;
  bool Finish() override;

 private:
  void Fail(const std::string& message);
  bool Flush();

  PgConnection* conn_;
  std::string* last_error_;
  size_t columns_ = 0;
  bool copying_ = false;    // the server is in COPY IN state
  bool savepoint_ = false;  // a savepoint guards the load
  bool finished_ = false;
  std::string buffer_;
  std::string error_;
};
