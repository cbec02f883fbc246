#include "host/gendb_pg_ahead.h"

#include <poll.h>

#include <cstring>

#include "host/gendb_text.h"

PgReadAhead::~PgReadAhead() {
  // The connection is going away with us: what is still due is not read.
  conn_->Release(this);
}

bool PgReadAhead::Announce(const std::vector<std::string>& statements, int cursor, std::string* lost) {
  Clear();
  if (statements.size() < 2) return true;
  std::vector<Entry> entries;
  entries.reserve(statements.size());
  for (const std::string& s : statements) {
    std::string_view body;
    if (gendb_text::SplitStatement(s, &body) != gendb_text::StatementShape::kSingle ||
        !gendb_text::IsQueryStatement(body)) {
      return true;
    }
    entries.push_back(Entry{std::string(body)});
  }
  std::string error;
  if (!conn_->EnsureConnected(&error)) {
    *lost = error;
    return false;
  }
  entries_ = std::move(entries);
  cursor_ = cursor;
  next_ = 0;
  if (SendFrom(0, &error)) return true;
  Forget();
  if (!conn_->IsBad()) return true;  // the statements run one by one
  *lost = error;
  return false;
}

void PgReadAhead::Clear() {
  if (piped_) {
    for (Entry& e : entries_) e.state = State::kDone;  // nothing is sent again
    Drain();
  }
  entries_.clear();
  next_ = 0;
}

bool PgReadAhead::SendFrom(size_t from, std::string* error) {
  PGconn* c = conn_->get();
  if (PQenterPipelineMode(c) == 0) {
    *error = PgShorten(PQerrorMessage(c));
    return false;
  }
  piped_ = true;
  ClearInFlight();
  failed_ = false;
  first_error_.clear();
  in_block_ = conn_->InBlock();
  bool ok = true;
  auto send = [&](const char* sql, Item item, size_t entry) {
    if (!ok) return;
    ok = PQsendQueryParams(c, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
    if (!ok) return;
    items_.push_back(item);
    item_entries_.push_back(entry);
  };
  if (in_block_) send("SAVEPOINT vantra_sp", Item::kSavepoint, 0);
  for (size_t i = from; i < entries_.size() && ok; ++i) {
    if (entries_[i].state != State::kWaiting) continue;
    send(entries_[i].text.c_str(), Item::kStatement, i);
    // The server keeps what it writes until its buffer fills or a Sync
    // comes: a small answer would wait behind the statements after it.
    if (ok) ok = PQsendFlushRequest(c) != 0;
    if (ok) {
      entries_[i].state = State::kInFlight;
      ++sent_;
    }
  }
  if (in_block_) send("RELEASE SAVEPOINT vantra_sp", Item::kRelease, 0);
  // The Sync ends the pipeline (and flushes it): even after a failed send,
  // so that what went out can be read back.
  const bool synced = PQpipelineSync(c) != 0;
  if (synced) {
    items_.push_back(Item::kSync);
    item_entries_.push_back(0);
  }
  conn_->SetOwner(this);
  if (ok && synced) return true;
  *error = PgShorten(PQerrorMessage(c));
  const std::string lost = conn_->CheckLost();
  if (!lost.empty()) {
    *error = lost;
  } else if (synced) {
    Drain();  // what went out comes back before the Sync
  }
  return false;
}

bool PgReadAhead::ReadNext(Item item, Answer* answer) {
  PGconn* c = conn_->get();
  if (item == Item::kSync) {
    // The Sync's own result, with no end-of-results after it.
    while (PGresult* r = PQgetResult(c)) {
      const ExecStatusType status = PQresultStatus(r);
      PQclear(r);
      if (status == PGRES_PIPELINE_SYNC) return true;
      if (conn_->IsBad()) break;
    }
    answer->error = conn_->CheckLost();
    if (answer->error.empty()) answer->error = PgShorten(PQerrorMessage(c));
    return false;
  }
  bool fatal = false;
  while (PGresult* r = PQgetResult(c)) {
    switch (PQresultStatus(r)) {
      case PGRES_TUPLES_OK:
      case PGRES_COMMAND_OK:
        if (answer->rows == nullptr && answer->error.empty()) {
          answer->rows = r;
          r = nullptr;
        }
        break;
      case PGRES_PIPELINE_ABORTED:
        answer->aborted = true;
        break;
      default:
        if (answer->error.empty()) answer->error = PgResultError(r);
        if (const char* severity = PQresultErrorField(r, PG_DIAG_SEVERITY_NONLOCALIZED);
            severity != nullptr && (std::strcmp(severity, "FATAL") == 0 || std::strcmp(severity, "PANIC") == 0)) {
          fatal = true;
        }
        break;
    }
    PQclear(r);
  }
  // A FATAL error is the server ending the connection; outside a pipeline
  // libpq reads on to its end of file, here it stops at the statement's end.
  for (int i = 0; fatal && i < 50 && !conn_->IsBad(); ++i) {
    pollfd p = {PQsocket(c), POLLIN, 0};
    if (p.fd < 0 || poll(&p, 1, 100) < 0 || PQconsumeInput(c) == 0) break;
  }
  const std::string lost = conn_->CheckLost();
  if (lost.empty()) return true;
  PQclear(answer->rows);
  answer->rows = nullptr;
  answer->error = answer->error.empty() ? lost : conn_->LostMessage(answer->error);
  return false;
}

void PgReadAhead::Drain() {
  while (piped_ && item_next_ < items_.size()) {
    const Item item = items_[item_next_];
    const size_t entry = item_entries_[item_next_];
    ++item_next_;
    Answer a;
    if (!ReadNext(item, &a)) {
      Forget();
      return;
    }
    PQclear(a.rows);
    if (!a.error.empty() && !failed_) {
      failed_ = true;
      first_error_ = a.error;
    }
    if (item == Item::kStatement && entries_[entry].state == State::kInFlight) {
      entries_[entry].state = State::kWaiting;
    }
  }
  EndPipeline();
}

void PgReadAhead::EndPipeline() {
  if (!piped_) return;
  piped_ = false;
  ClearInFlight();
  PQexitPipelineMode(conn_->get());
  conn_->Release(this);
  if (failed_ && in_block_) conn_->AfterProtectedFailure();
  failed_ = false;
}

void PgReadAhead::ClearInFlight() {
  items_.clear();
  item_entries_.clear();
  item_next_ = 0;
}

void PgReadAhead::Forget() {
  piped_ = false;
  ClearInFlight();
  failed_ = false;
  entries_.clear();
  next_ = 0;
  conn_->Release(this);
}

void PgReadAhead::YieldConnection() { Drain(); }

bool PgReadAhead::Take(std::string_view statement, PgTaken* taken) {
  size_t j = next_;
  while (j < entries_.size() && entries_[j].text != statement) ++j;
  if (j == entries_.size()) {
    Clear();
    return false;
  }
  for (size_t k = next_; k < j; ++k) entries_[k].state = State::kDone;  // skipped
  next_ = j + 1;
  bool skipped_failed = false;  // a statement skipped by the caller failed first
  for (int attempt = 0;; ++attempt) {
    if (entries_[j].state == State::kWaiting) {
      // Nothing is in flight: what is left goes out again.
      std::string error;
      taken->sent_in_block = conn_->InBlock();
      if (!conn_->EnsureConnected(&error) || !SendFrom(j, &error)) {
        taken->error = error;
        taken->lost = conn_->IsBad();
        Forget();
        return true;
      }
    }
    taken->sent_in_block = in_block_;
    while (piped_ && item_next_ < items_.size()) {
      const Item item = items_[item_next_];
      const size_t entry = item_entries_[item_next_];
      ++item_next_;
      Answer a;
      if (!ReadNext(item, &a)) {
        taken->error = a.error;
        taken->lost = true;
        Forget();
        return true;
      }
      if (item == Item::kSync) {
        EndPipeline();
        break;
      }
      if (item != Item::kStatement || entry != j) {
        PQclear(a.rows);
        if (!a.error.empty() && !failed_) {
          failed_ = true;
          first_error_ = a.error;
          skipped_failed = item == Item::kStatement;
        }
        continue;
      }
      if (!a.aborted) {
        entries_[j].state = State::kDone;
        if (!a.error.empty()) {
          failed_ = true;
          first_error_ = a.error;
          taken->error = a.error;
          Drain();
          return true;
        }
        taken->rows = a.rows;
        // The last statement in flight: the connection is free at once.
        bool more = false;
        for (size_t i = item_next_; i < items_.size() && !more; ++i) more = items_[i] == Item::kStatement;
        if (!more) Drain();
        return true;
      }
      // Skipped by the server after an earlier failure of the pipeline.
      entries_[j].state = State::kWaiting;
      Drain();
      break;
    }
    if (entries_[j].state == State::kDone) break;  // cannot happen: handed out above
    if (attempt == 0 && skipped_failed) continue;  // it never ran: sent again
    // The pipeline's own savepoint failed (the caller's transaction is
    // spoilt): this statement fails with it, as it would have alone.
    entries_[j].state = State::kDone;
    taken->error = first_error_.empty() ? "L'instruction n'a pas été exécutée." : first_error_;
    return true;
  }
  taken->error = "L'instruction n'a pas été exécutée.";
  return true;
}
