#include "host/gendb_pg_rows.h"

PgRows::~PgRows() {
  // The connection is going away with us: what is still due is not read.
  conn_->Release(this);
  PQclear(lookahead_);
  PQclear(current_);
}

bool PgRows::Start(std::string_view statement, std::string* error) {
  Close();
  conn_->Claim();
  savepoint_ = conn_->InBlock();
  const std::string message = conn_->Protect(statement);
  if (PQsendQuery(conn_->get(), message.c_str()) == 0) {
    *error = PgShorten(PQerrorMessage(conn_->get()));
    const std::string lost = conn_->CheckLost();
    if (!lost.empty()) *error = lost;
    return false;
  }
  PQsetSingleRowMode(conn_->get());
  streaming_ = true;
  conn_->SetOwner(this);
  lookahead_ = Pull();
  if (lookahead_ == nullptr && arena_rows_ == 0 && !failure_.empty()) {
    *error = failure_;
    return false;
  }
  return true;
}

PGresult* PgRows::Pull() {
  PGconn* conn = conn_->get();
  while (streaming_) {
    PGresult* r = PQgetResult(conn);
    if (r == nullptr) {
      Finish();
      break;
    }
    switch (PQresultStatus(r)) {
      case PGRES_SINGLE_TUPLE:
        columns_ = PQnfields(r);
        ++received_;
        return r;
      case PGRES_TUPLES_OK:
        // The end of a statement's rows (all of them when single-row mode
        // could not be set).
        columns_ = PQnfields(r);
        for (int i = 0; i < PQntuples(r); ++i) Append(r, i);
        received_ += PQntuples(r);
        break;
      case PGRES_COMMAND_OK:
      case PGRES_EMPTY_QUERY:
        break;
      case PGRES_COPY_IN:
        PQputCopyEnd(conn, "COPY FROM STDIN n'est possible que par BeginBulk");
        break;
      case PGRES_COPY_OUT:
        PgDiscardCopyOut(conn);
        break;
      default:
        if (failure_.empty()) failure_ = PgResultError(r);
        break;
    }
    PQclear(r);
  }
  return nullptr;
}

void PgRows::Finish() {
  streaming_ = false;
  conn_->Release(this);
  const std::string lost = conn_->CheckLost();
  if (!lost.empty()) {
    failure_ = failure_.empty() ? lost : conn_->LostMessage(failure_);
  } else if (!failure_.empty() && savepoint_) {
    conn_->AfterProtectedFailure();
  } else {
    conn_->Reconcile();
  }
}

void PgRows::Append(const PGresult* r, int row) {
  for (int c = 0; c < columns_; ++c) {
    arena_.append(PQgetvalue(r, row, c), static_cast<size_t>(PQgetlength(r, row, c)));
    ends_.push_back(arena_.size());
  }
  ++arena_rows_;
}

void PgRows::YieldConnection() {
  while (PGresult* r = Pull()) {
    Append(r, 0);
    PQclear(r);
  }
}

void PgRows::DropCurrent() {
  PQclear(current_);
  current_ = nullptr;
  arena_row_ = kNoRow;
}

int PgRows::Next(std::string* error) {
  DropCurrent();
  if (lookahead_ != nullptr) {
    current_ = lookahead_;
    lookahead_ = nullptr;
    return 0;
  }
  if (next_arena_row_ == arena_rows_ && streaming_) current_ = Pull();
  if (current_ != nullptr) return 0;
  if (next_arena_row_ < arena_rows_) {
    arena_row_ = next_arena_row_++;
    return 0;
  }
  if (!failure_.empty()) {
    *error = failure_;
    return kFailed;
  }
  return kEndOfData;
}

void PgRows::Close() {
  while (PGresult* r = Pull()) PQclear(r);
  DropCurrent();
  PQclear(lookahead_);
  lookahead_ = nullptr;
  next_arena_row_ = arena_rows_ = 0;
  arena_.clear();
  ends_.clear();
  columns_ = 0;
  received_ = 0;
  failure_.clear();
  savepoint_ = false;
}

std::string_view PgRows::Value(int column) const {
  if (current_ != nullptr) {
    return std::string_view(PQgetvalue(current_, 0, column), static_cast<size_t>(PQgetlength(current_, 0, column)));
  }
  const size_t i = arena_row_ * static_cast<size_t>(columns_) + static_cast<size_t>(column);
  const size_t begin = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(arena_).substr(begin, ends_[i] - begin);
}

long PgRows::Count(std::string* error) {
  if (streaming_) conn_->Claim();  // reads the rest into the arena
  if (!failure_.empty()) {
    *error = failure_;
    return -1;
  }
  return received_;
}
