#include "host/gendb_pg_bulk.h"

#include <algorithm>
#include <cctype>

#include "host/gendb_text.h"

namespace {

constexpr size_t kCopyBufferBytes = 256 * 1024;

// Letters, digits, '_' and inner dots: "TABLE" or "schema.TABLE".
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.front() == '.' || name.back() == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
  });
}

}  // namespace

PgBulkLoader::PgBulkLoader(PgConnection* conn, std::string* last_error, const std::string& table,
                           const std::vector<std::string>& columns)
    : conn_(conn), last_error_(last_error), columns_(columns.size()) {
  if (!IsPlainName(table) || columns.empty()) {
    Fail("Chargement en bloc : nom de table ou de colonnes invalide (« " + table + " »).");
    return;
  }
  std::string sql = "COPY " + table + " (";
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!IsPlainName(columns[i])) {
      Fail("Chargement en bloc : nom de colonne invalide (« " + columns[i] + " »).");
      return;
    }
    sql += (i ? ", " : "") + columns[i];
  }
  sql += ") FROM STDIN";
  conn_->Claim();
  if (conn_->IsBad()) {
    Fail("Connexion au serveur PostgreSQL perdue.");
    return;
  }
  if (conn_->InBlock()) {
    std::string error;
    if (!conn_->Roundtrip("SAVEPOINT vantra_bulk", &error)) {
      Fail(error);
      return;
    }
    savepoint_ = true;
  }
  PGresult* r = PQexec(conn_->get(), sql.c_str());
  if (PQresultStatus(r) == PGRES_COPY_IN) {
    copying_ = true;
  } else {
    Fail(PgResultError(r));
  }
  PQclear(r);
  buffer_.reserve(kCopyBufferBytes + 4096);
}

PgBulkLoader::~PgBulkLoader() {
  if (!finished_) {
    if (error_.empty()) error_ = "Chargement en bloc abandonné avant sa fin.";
    Finish();
  }
}

void PgBulkLoader::Fail(const std::string& message) {
  if (error_.empty()) error_ = message;
  *last_error_ = error_;
}

bool PgBulkLoader::Flush() {
  if (buffer_.empty()) return true;
  if (PQputCopyData(conn_->get(), buffer_.data(), static_cast<int>(buffer_.size())) != 1) {
    Fail(PgShorten(PQerrorMessage(conn_->get())));
    return false;
  }
  buffer_.clear();
  return true;
}

bool PgBulkLoader::AddRow(const std::vector<BulkCell>& cells) {
  if (!error_.empty() || !copying_) return false;
  if (cells.size() != columns_) {
    Fail("Chargement en bloc : " + std::to_string(cells.size()) + " valeurs pour " + std::to_string(columns_) +
         " colonnes.");
    return false;
  }
  char digits[24];
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) buffer_.push_back('\t');
    if (!cells[i].is_text) {
      buffer_.append(digits, gendb_text::FormatInt(cells[i].number, digits));
      continue;
    }
    for (char ch : cells[i].text) {
      switch (ch) {
        case '\\': buffer_ += "\\\\"; break;
        case '\t': buffer_ += "\\t"; break;
        case '\n': buffer_ += "\\n"; break;
        case '\r': buffer_ += "\\r"; break;
        case '\0': break;  // a text value cannot hold NUL
        default: buffer_.push_back(ch);
      }
    }
  }
  buffer_.push_back('\n');
  return buffer_.size() < kCopyBufferBytes || Flush();
}

bool PgBulkLoader::Finish() {
  if (finished_) return error_.empty();
  finished_ = true;
  PGconn* conn = conn_->get();
  if (copying_) {
    copying_ = false;
    if (error_.empty()) Flush();
    PQputCopyEnd(conn, error_.empty() ? nullptr : error_.c_str());
    bool first = true;
    while (PGresult* r = PQgetResult(conn)) {
      if (first && PQresultStatus(r) != PGRES_COMMAND_OK) Fail(PgResultError(r));
      first = false;
      PQclear(r);
    }
    const std::string lost = conn_->CheckLost();
    if (!lost.empty()) Fail(lost);
  }
  if (savepoint_) {
    savepoint_ = false;
    std::string error;
    if (error_.empty()) {
      if (!conn_->Roundtrip("RELEASE SAVEPOINT vantra_bulk", &error)) Fail(error);
    } else {
      conn_->Roundtrip("ROLLBACK TO SAVEPOINT vantra_bulk; RELEASE SAVEPOINT vantra_bulk", &error);
    }
  }
  if (!error_.empty()) *last_error_ = error_;
  return error_.empty();
}
