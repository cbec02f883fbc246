#include "host/gendb_pg_rows.h"

#include <strings.h>

#include <cctype>

PgRows::~PgRows() {
  // The connection is going away with us: what is still due is not read.
  conn_->Release(this);
  PQclear(lookahead_);
  PQclear(current_);
  PQclear(whole_);
}

void PgRows::Adopt(PGresult* rows) {
  Close();
  whole_ = rows;
  columns_ = PQnfields(rows);
  received_ = PQntuples(rows);
}

bool PgRows::Start(std::string_view statement, std::string* error) {
  if (!PgCopyableQuery(statement)) return Send(statement, false, error);
  if (Send(statement, true, error)) return true;
  // Refused as a COPY only (SELECT INTO, a row lock ...): sent as it is.
  if (sqlstate_ != "0A000" || conn_->IsBad()) return false;
  error->clear();
  return Send(statement, false, error);
}

bool PgRows::Send(std::string_view statement, bool copy, std::string* error) {
  Close();
  conn_->Claim();
  savepoint_ = conn_->InBlock();
  copy_ = copy;
  std::string message;
  if (copy) {
    // The line break ends a comment the statement may finish with.
    std::string wrapped = "COPY (";
    wrapped.append(statement);
    wrapped += "\n) TO STDOUT";
    message = conn_->Protect(wrapped);
  } else {
    message = conn_->Protect(statement);
  }
  if (PQsendQuery(conn_->get(), message.c_str()) == 0) {
    *error = PgShorten(PQerrorMessage(conn_->get()));
    const std::string lost = conn_->CheckLost();
    if (!lost.empty()) *error = lost;
    return false;
  }
  if (!copy) PQsetSingleRowMode(conn_->get());
  streaming_ = true;
  conn_->SetOwner(this);
  Pull(&lookahead_);
  if (lookahead_ == nullptr && arena_rows_ == 0 && !failure_.empty()) {
    *error = failure_;
    return false;
  }
  return true;
}

bool PgRows::Pull(PGresult** row) {
  *row = nullptr;
  PGconn* conn = conn_->get();
  while (streaming_) {
    if (in_copy_) {
      char* line = nullptr;
      const int n = PQgetCopyData(conn, &line, 0);
      if (n > 0) {
        AppendCopyLine(line, static_cast<size_t>(n));
        PQfreemem(line);
        ++received_;
        return true;
      }
      // -1: the data ended, the COPY's own result follows; -2: a failure
      // (a lost server), which that result says.
      in_copy_ = false;
      if (n == -2 && failure_.empty()) failure_ = PgShorten(PQerrorMessage(conn));
    }
    PGresult* r = PQgetResult(conn);
    if (r == nullptr) {
      Finish();
      break;
    }
    switch (PQresultStatus(r)) {
      case PGRES_SINGLE_TUPLE:
        columns_ = PQnfields(r);
        ++received_;
        *row = r;
        return true;
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
        if (copy_ && failure_.empty()) {
          columns_ = PQnfields(r);
          in_copy_ = true;
        } else {
          PgDiscardCopyOut(conn);
        }
        break;
      default:
        if (failure_.empty()) {
          failure_ = PgResultError(r);
          const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
          sqlstate_ = state != nullptr ? state : "";
        }
        break;
    }
    PQclear(r);
  }
  return false;
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

void PgRows::AppendCopyLine(const char* line, size_t length) {
  if (length > 0 && line[length - 1] == '\n') --length;
  const std::string_view data(line, length);
  size_t at = 0;
  for (int c = 0; c < columns_; ++c) {
    size_t tab = data.find('\t', at);
    if (tab == std::string_view::npos) tab = data.size();
    const std::string_view field = data.substr(at, tab - at);
    if (field != "\\N") PgAppendCopyValue(field, &arena_);  // \N: NULL reads as ""
    ends_.push_back(arena_.size());
    at = tab < data.size() ? tab + 1 : tab;
  }
  ++arena_rows_;
}

void PgRows::ClearArena() {
  next_arena_row_ = arena_rows_ = 0;
  arena_.clear();
  ends_.clear();
}

void PgRows::YieldConnection() {
  PGresult* r = nullptr;
  while (Pull(&r)) {
    if (r == nullptr) continue;  // parked already
    Append(r, 0);
    PQclear(r);
  }
}

void PgRows::DropCurrent() {
  PQclear(current_);
  current_ = nullptr;
  arena_row_ = kNoRow;
  whole_row_ = -1;
}

int PgRows::Next(std::string* error) {
  DropCurrent();
  if (whole_ != nullptr) {
    if (whole_next_ < PQntuples(whole_)) {
      whole_row_ = whole_next_++;
      return 0;
    }
    return kEndOfData;
  }
  if (lookahead_ != nullptr) {
    current_ = lookahead_;
    lookahead_ = nullptr;
    return 0;
  }
  if (next_arena_row_ == arena_rows_) {
    // Every parked row was handed out: the next ones (a COPY's) take their
    // place in the same memory.
    ClearArena();
    if (streaming_) Pull(&current_);
  }
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
  PGresult* r = nullptr;
  while (Pull(&r)) PQclear(r);
  DropCurrent();
  PQclear(lookahead_);
  lookahead_ = nullptr;
  PQclear(whole_);
  whole_ = nullptr;
  whole_next_ = 0;
  ClearArena();
  columns_ = 0;
  received_ = 0;
  failure_.clear();
  sqlstate_.clear();
  savepoint_ = copy_ = in_copy_ = false;
}

std::string_view PgRows::Value(int column) const {
  if (whole_row_ >= 0) {
    return std::string_view(PQgetvalue(whole_, whole_row_, column),
                            static_cast<size_t>(PQgetlength(whole_, whole_row_, column)));
  }
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

void PgAppendCopyValue(std::string_view field, std::string* out) {
  size_t at = 0;
  while (at < field.size()) {
    const size_t slash = field.find('\\', at);
    if (slash == std::string_view::npos || slash + 1 == field.size()) {
      out->append(field.substr(at));
      return;
    }
    out->append(field.substr(at, slash - at));
    at = slash + 2;
    const char e = field[slash + 1];
    auto octal = [](char d) { return d >= '0' && d <= '7'; };
    auto hex = [](char d) { return std::isxdigit(static_cast<unsigned char>(d)) != 0; };
    auto hex_value = [](char d) { return d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10; };
    switch (e) {
      case 'b': out->push_back('\b'); break;
      case 'f': out->push_back('\f'); break;
      case 'n': out->push_back('\n'); break;
      case 'r': out->push_back('\r'); break;
      case 't': out->push_back('\t'); break;
      case 'v': out->push_back('\v'); break;
      case 'x':
        if (at < field.size() && hex(field[at])) {
          int v = hex_value(field[at++]);
          if (at < field.size() && hex(field[at])) v = v * 16 + hex_value(field[at++]);
          out->push_back(static_cast<char>(v));
        } else {
          out->push_back('x');
        }
        break;
      default:
        if (octal(e)) {
          int v = e - '0';
          for (int k = 0; k < 2 && at < field.size() && octal(field[at]); ++k) v = v * 8 + (field[at++] - '0');
          out->push_back(static_cast<char>(v));
        } else {
          out->push_back(e);  // "\\" and any other character stand for themselves
        }
        break;
    }
  }
}

bool PgCopyableQuery(std::string_view s) {
  size_t i = 0;
  int depth = 0;
  bool first_word = true;
  while (i < s.size()) {
    const char ch = s[i];
    if (ch == '$' || ch == '\\') return false;
    if (ch == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      const size_t nl = s.find('\n', i);
      i = nl == std::string_view::npos ? s.size() : nl + 1;
    } else if (ch == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      int nesting = 0;  // comments nest in PostgreSQL
      for (; i < s.size(); ++i) {
        if (s.compare(i, 2, "/*") == 0) {
          ++nesting;
          ++i;
        } else if (s.compare(i, 2, "*/") == 0) {
          ++i;
          if (--nesting == 0) break;
        }
      }
      if (nesting != 0) return false;
      ++i;
    } else if (ch == '\'' || ch == '"') {
      const size_t close = s.find(ch, i + 1);  // '' and "" are two quotes in a row
      if (close == std::string_view::npos) return false;
      i = close + 1;
    } else if (ch == '(' || ch == ')') {
      if (first_word) return false;
      depth += ch == '(' ? 1 : -1;
      if (depth < 0) return false;
      ++i;
    } else if (first_word && std::isalpha(static_cast<unsigned char>(ch))) {
      size_t j = i;
      while (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j]))) ++j;
      if (j - i != 6 || strncasecmp(s.data() + i, "SELECT", 6) != 0) return false;
      first_word = false;
      i = j;
    } else if (first_word && !std::isspace(static_cast<unsigned char>(ch))) {
      return false;
    } else {
      ++i;
    }
  }
  return !first_word && depth == 0;
}
