// The rows of one statement on one cursor of the PostgreSQL engine.
//
// Start sends the statement at once, in libpq's single-row mode, and waits
// for its first row or its end: one round trip, no server-side cursor, and
// no savepoint unless the caller's transaction is open (PgConnection::Protect).
// A look-up that yields one row is then complete: its end comes in the same
// packet as the row, so reading on and Close wait for nothing. A long
// statement's rows are read as the caller fetches them while the server goes
// on producing the next ones.
//
// While its rows are still coming, the statement owns the connection. When
// anything else needs the connection (a look-up on another cursor inside
// this one's fetch loop, a transaction, a bulk load), YieldConnection reads
// the remaining rows at once into a compact arena (the texts back to back,
// one end offset per value) and they are handed out from there. So nested
// cursors need no transaction and see no change in their rows; the price is
// memory for the rows not yet fetched when another statement interrupts.
//
// A plain SELECT is sent as COPY (SELECT ...) TO STDOUT: the server writes
// each row as one line of text, which costs it less than a row message, and
// the rows are cut into the arena as they come instead of each becoming a
// PGresult of its own (a third of the client's time on a million rows).
// The values are the same texts (the same output functions, NULL as \N);
// the statement's own text is unchanged inside the parentheses. Anything
// COPY might read differently (a '$' or a backslash, unbalanced
// parentheses, another first word) is sent as it is, and a SELECT that COPY
// refuses (SELECT INTO, feature not supported) is sent again as it is.
//
// A statement that fails while its rows come (an overflow in row 700) hands
// out the rows before the failure, then fails with its message, as SQLite
// does. A lost server ends the rows with PgConnection::LostMessage. Closing
// a statement before its end reads and drops the rest of its rows.
#pragma once

#include <libpq-fe.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/gendb_pg_conn.h"

// True when statement may be sent as COPY (statement) TO STDOUT with the
// same rows: its first word is SELECT, and it holds no '$' (dollar quotes),
// no backslash (E'' strings) and parentheses that balance outside quotes and
// comments. One statement, without its final ';' (gendb_text::SplitStatement).
bool PgCopyableQuery(std::string_view statement);

// Decodes one value of COPY text data (backslash escapes) after out.
void PgAppendCopyValue(std::string_view field, std::string* out);

class PgRows : public PgConnectionUser {
 public:
  static constexpr int kEndOfData = 100;
  static constexpr int kFailed = -1;

  explicit PgRows(PgConnection* conn) : conn_(conn) {}
  ~PgRows() override;
  PgRows(const PgRows&) = delete;
  PgRows& operator=(const PgRows&) = delete;

  // Ends the previous statement, sends statement (one statement, any kind)
  // and reads up to its first row. false with *error when it failed before
  // yielding a row. A statement that yields no rows (INSERT, CREATE ...) has
  // run to its end when Start returns.
  bool Start(std::string_view statement, std::string* error);
  // Ends the previous statement and takes the whole result of one read
  // elsewhere (a statement sent ahead, gendb_pg_ahead.h): its rows are
  // handed out from it. Takes ownership of rows.
  void Adopt(PGresult* rows);
  // Moves to the next row: 0, kEndOfData, or kFailed with *error.
  int Next(std::string* error);
  // Ends the statement; reads and drops the rows still due.
  void Close();

  bool HasRow() const { return current_ != nullptr || arena_row_ != kNoRow || whole_row_ >= 0; }
  int Columns() const { return columns_; }
  // Text of a column (0-based) of the current row, "" for NULL; valid until
  // the next Next or Close. REQUIRES: HasRow(), 0 <= column < Columns().
  std::string_view Value(int column) const;
  // Rows the statement yields (reads those still due into the arena);
  // -1 with *error when it failed.
  long Count(std::string* error);

  void YieldConnection() override;

 private:
  static constexpr size_t kNoRow = static_cast<size_t>(-1);

  // Sends statement (as a COPY when copy is true) and reads up to its first
  // row; see Start.
  bool Send(std::string_view statement, bool copy, std::string* error);
  // Reads the statement's next row: true with *row a single-row result, or
  // with *row null and the row parked in the arena (a COPY's line); false
  // at the end of the statement.
  bool Pull(PGresult** row);
  // The statement's results are all read: notes a lost server, undoes a
  // failed statement's savepoint.
  void Finish();
  void Append(const PGresult* r, int row);
  // Parks one line of COPY text data (tab between values, \N for NULL,
  // backslash escapes) as a row of columns_ values.
  void AppendCopyLine(const char* line, size_t length);
  // Forgets the parked rows (every one was handed out).
  void ClearArena();
  void DropCurrent();

  PgConnection* conn_;
  bool streaming_ = false;          // results still due; owns the connection
  bool savepoint_ = false;          // sent inside savepoint vantra_sp
  bool copy_ = false;               // sent as COPY (...) TO STDOUT
  bool in_copy_ = false;            // the COPY's lines are coming
  std::string sqlstate_;            // of the first failure
  PGresult* lookahead_ = nullptr;   // first row, read by Start, not handed out
  PGresult* current_ = nullptr;     // current row, as a single-row result
  PGresult* whole_ = nullptr;       // an adopted result, every row of the statement
  int whole_row_ = -1;              // ... its current row
  int whole_next_ = 0;
  size_t arena_row_ = kNoRow;       // ... or its index in the arena
  size_t next_arena_row_ = 0;
  size_t arena_rows_ = 0;
  std::string arena_;               // texts of the parked rows, back to back
  std::vector<size_t> ends_;        // end offset of each parked value
  int columns_ = 0;
  long received_ = 0;               // rows received from the server
  std::string failure_;             // why the rows ended early
};
