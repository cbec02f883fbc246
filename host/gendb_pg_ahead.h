// Statements sent ahead on the PostgreSQL engine (GenDB::dbReadAhead): the
// set-based look-ups of a fill, a few hundred statements whose texts are all
// known before the first runs.
//
// One after the other, each statement costs a round trip, and while the
// client files one statement's answers the server waits for the next. Here
// they go out together in libpq's pipeline mode (one Sync at the end, inside
// savepoint vantra_sp when the caller's transaction is open, as
// PgConnection::Protect does for one statement; a flush request after each
// statement, so that each answer leaves the server as soon as it is made),
// so the server runs the next while the client reads the last. The statements are sent as they are
// (extended protocol, text results, never as COPY: a pipeline cannot carry
// one) and each one's rows arrive as one complete result.
//
// Take hands out a statement's result in the order the caller asks:
//   * a statement further down the list skips those before it (their results
//     are read and dropped as they come);
//   * a failed statement ends the pipeline: the server skips everything
//     after it up to the Sync; those are read (as "aborted"), the savepoint
//     is rolled back (the caller's transaction goes on) and the statements
//     left are sent again, in a new pipeline, when the caller asks for one;
//   * anyone else who needs the connection (another cursor, a transaction,
//     a bulk load) claims it: what is in flight is read and dropped, and is
//     sent again on the next Take, so no result ever predates a call the
//     caller made in between;
//   * a lost server ends the read-ahead: the statement asked for fails with
//     PgConnection::LostMessage, the rest is forgotten.
#pragma once

#include <libpq-fe.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/gendb_pg_conn.h"

// What Take found for the statement asked for.
struct PgTaken {
  PGresult* rows = nullptr;  // its result (owned by the receiver) when it ran
  std::string error;         // why it failed ("" when it ran)
  bool lost = false;         // the server went away before its result came
  bool sent_in_block = false;  // it was sent inside the caller's transaction
};

class PgReadAhead : public PgConnectionUser {
 public:
  explicit PgReadAhead(PgConnection* conn) : conn_(conn) {}
  ~PgReadAhead() override;
  PgReadAhead(const PgReadAhead&) = delete;
  PgReadAhead& operator=(const PgReadAhead&) = delete;

  // Forgets what was announced before, keeps statements (one statement each,
  // queries, without their final ';') for cursor and sends them. Nothing is
  // kept (every statement then runs as usual) when statements holds fewer
  // than two, or one that is not a single query. False with *lost
  // (PgConnection::LostMessage) when the server was found gone.
  bool Announce(const std::vector<std::string>& statements, int cursor, std::string* lost);
  // True when cursor has statements announced.
  bool Covers(int cursor) const { return cursor_ == cursor && next_ < entries_.size(); }
  // The result of statement, the next announced one on cursor or one further
  // down (those before it are skipped): true with *taken. False when the
  // statement was not announced: the read-ahead ends (what is in flight is
  // read and dropped) and the statement runs as usual.
  bool Take(std::string_view statement, PgTaken* taken);
  // Ends the read-ahead (what is in flight is read and dropped).
  void Clear();

  // Reads and drops what is in flight; the statements not handed out yet are
  // sent again by the next Take.
  void YieldConnection() override;

  // Statements sent to the server since the connection was made (tests: a
  // statement sent again shows here).
  long SentCount() const { return sent_; }

 private:
  enum class State { kWaiting, kInFlight, kDone };
  struct Entry {
    std::string text;
    State state = State::kWaiting;
  };
  // What comes back for one message of the pipeline.
  enum class Item { kSavepoint, kStatement, kRelease, kSync };
  struct Answer {
    PGresult* rows = nullptr;
    std::string error;
    bool aborted = false;  // skipped by the server after an earlier failure
  };

  // Sends every waiting entry from `from` on as one pipeline; false with
  // *error (a lost server) when it could not.
  bool SendFrom(size_t from, std::string* error);
  // Reads the answer of the next message in flight; false when the server is
  // gone (*answer then holds the reason).
  bool ReadNext(Item item, Answer* answer);
  // Reads everything still in flight up to the Sync, dropping the results;
  // leaves pipeline mode. The statements that did not come back done wait
  // to be sent again.
  void Drain();
  // The pipeline is over: back to normal mode, the connection released,
  // and after a failure inside the caller's transaction its savepoint
  // rolled back.
  void EndPipeline();
  // The server went away: nothing more is expected.
  void Forget();
  // No message in flight any more.
  void ClearInFlight();

  PgConnection* conn_;
  std::vector<Entry> entries_;
  size_t next_ = 0;  // the first entry not handed out or skipped
  int cursor_ = 0;
  // Messages in flight, in the order their answers come, and the entry of
  // each kStatement.
  std::vector<Item> items_;
  std::vector<size_t> item_entries_;
  size_t item_next_ = 0;
  bool piped_ = false;         // in pipeline mode, answers due
  bool in_block_ = false;      // the pipeline runs inside the caller's transaction
  bool failed_ = false;        // a message of the pipeline failed
  std::string first_error_;    // ... this one's message
  long sent_ = 0;
};
