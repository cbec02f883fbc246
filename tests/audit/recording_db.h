// A GenDB that forwards to a real connection, keeps every statement it was
// given with its cursor, and can play a server that goes away: after
// `rows_before_loss` rows fetched on cursor `loss_cursor`, every call fails
// as a lost connection does (the fetch loop ends, LastError says why).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/gendb.h"

class RecordingDb : public GenDB {
 public:
  explicit RecordingDb(GenDB* inner) : inner_(inner) {}

  std::vector<std::pair<int, std::string>> statements;  // (cursor, text); -1 = dbExec
  int loss_cursor = -1;
  long rows_before_loss = -1;

  int dbExecute(const char* statement, int cursor) override {
    statements.emplace_back(cursor, statement);
    if (gone_) return Fail();
    error_.clear();
    if (cursor == loss_cursor) fetched_ = 0;
    return inner_->dbExecute(statement, cursor);
  }
  int dbFetch(int mode, int cursor) override {
    if (gone_) return Fail();
    if (cursor == loss_cursor && rows_before_loss >= 0 && fetched_ >= rows_before_loss) {
      gone_ = true;
      return Fail();
    }
    const int r = inner_->dbFetch(mode, cursor);
    if (r == 0 && cursor == loss_cursor) ++fetched_;
    return r;
  }
  int dbGetLong(int c, long* out, int cursor) override { return inner_->dbGetLong(c, out, cursor); }
  int dbGetShort(int c, short* out, int cursor) override { return inner_->dbGetShort(c, out, cursor); }
  int dbGetChar(int c, char* out, int cursor) override { return inner_->dbGetChar(c, out, cursor); }
  int dbGetString(int c, char* b, int cap, int cursor) override {
    return inner_->dbGetString(c, b, cap, cursor);
  }
  int dbGetField(int c, std::string* out, int cursor, bool trim) override {
    return inner_->dbGetField(c, out, cursor, trim);
  }
  int dbRowCount(long* out, int cursor) override { return inner_->dbRowCount(out, cursor); }
  int dbClose(int cursor) override { return inner_->dbClose(cursor); }
  int dbColumnCount(int cursor) override { return inner_->dbColumnCount(cursor); }
  const char* dbPrefix() const override { return inner_->dbPrefix(); }
  int dbExec(const char* statement) override {
    statements.emplace_back(-1, statement);
    return gone_ ? Fail() : inner_->dbExec(statement);
  }
  int dbBeginTransaction() override { return gone_ ? Fail() : inner_->dbBeginTransaction(); }
  int dbCommit() override { return gone_ ? Fail() : inner_->dbCommit(); }
  int dbRollback() override { return gone_ ? Fail() : inner_->dbRollback(); }
  std::unique_ptr<BulkLoader> BeginBulk(const std::string& table,
                                        const std::vector<std::string>& columns) override {
    return inner_->BeginBulk(table, columns);
  }
  const SqlDialect& Dialect() const override { return inner_->Dialect(); }
  const std::string& LastError() const override { return gone_ ? error_ : inner_->LastError(); }
  const std::string& Url() const override { return inner_->Url(); }
  std::string LostConnection() const override { return gone_ ? error_ : inner_->LostConnection(); }
  void ClearLostConnection() override { inner_->ClearLostConnection(); }

  // Statements run on cursor.
  std::vector<std::string> On(int cursor) const {
    std::vector<std::string> out;
    for (const auto& [c, s] : statements) {
      if (c == cursor) out.push_back(s);
    }
    return out;
  }

 private:
  int Fail() {
    error_ = "server closed the connection unexpectedly";
    return 1;
  }
  GenDB* inner_;
  bool gone_ = false;
  long fetched_ = 0;
  std::string error_;
};
