#include "suite/goal_info.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "host/gendb.h"
#include "host/sql_literal.h"

namespace {

constexpr const char* kMonthColumns[12] = {"GOAL_JAN", "GOAL_FEB", "GOAL_MAR", "GOAL_APR",
                                           "GOAL_MAY", "GOAL_JUN", "GOAL_JUL", "GOAL_AUG",
                                           "GOAL_SEP", "GOAL_OCT", "GOAL_NOV", "GOAL_DEC"};
// A save that failed for a reason other than a duplicate (a busy database, an
// id taken by another writer in the meantime) is tried again this often.
constexpr int kWriteAttempts = 5;

std::string Table(GenDB* db) { return std::string(db->dbPrefix()) + "GOALS"; }

// Reads the current row of a SELECT * on cursor into *out.
void ReadRow(GenDB* db, GoalInfo* out) {
  long v = 0;
  db->dbGetLong(1, &v, kGoalsCursor);
  out->id = static_cast<int32_t>(v);
  db->dbGetString(3, out->producer, sizeof out->producer, kGoalsCursor);
  db->dbGetLong(4, &v, kGoalsCursor);
  out->year = static_cast<int32_t>(v);
  for (int m = 0; m < 12; ++m) {
    db->dbGetLong(5 + m, &v, kGoalsCursor);
    out->goals[m] = static_cast<int32_t>(v);
  }
}

// One number from a statement; -1 when it failed.
long QueryNumber(GenDB* db, const std::string& sql) {
  long n = -1;
  if (db->dbExecute(sql.c_str(), kGoalsCursor) == 0 && db->dbFetch(0, kGoalsCursor) == 0) {
    n = 0;
    db->dbGetLong(1, &n, kGoalsCursor);
  }
  db->dbClose(kGoalsCursor);
  return n;
}

// Records other than except_id holding the pair; -1 when the count failed.
long PairCount(GenDB* db, const GoalInfo& r, long except_id) {
  char sql[256];
  std::snprintf(sql, sizeof sql, "SELECT COUNT(0) FROM %s WHERE GOAL_PROD = '%s' AND GOAL_YEAR = %d AND GOALS_ID != %ld",
                Table(db).c_str(), SqlEscaped(r.producer).c_str(), static_cast<int>(r.year), except_id);
  return QueryNumber(db, sql);
}

long IdCount(GenDB* db, long id) {
  return QueryNumber(db, "SELECT COUNT(0) FROM " + Table(db) + " WHERE GOALS_ID = " + std::to_string(id));
}

// Inside the write's transaction: kDone when the row of id is there (and,
// with as_read, still holds that record), kMissing or kChanged otherwise.
GoalWrite StillThere(GenDB* db, long id, const GoalInfo* as_read) {
  if (as_read == nullptr) {
    const long found = IdCount(db, id);
    if (found < 0) return GoalWrite::kFailed;
    return found == 0 ? GoalWrite::kMissing : GoalWrite::kDone;
  }
  GoalInfo now;
  std::string error;
  if (!ReadGoalRecord(db, id, &now, &error)) return error.empty() ? GoalWrite::kMissing : GoalWrite::kFailed;
  if (std::strcmp(now.producer, as_read->producer) != 0 || now.year != as_read->year) return GoalWrite::kMissing;
  return std::equal(std::begin(now.goals), std::end(now.goals), std::begin(as_read->goals)) ? GoalWrite::kDone
                                                                                            : GoalWrite::kChanged;
}

// The UPDATE or DELETE of one id. The check before it saw the row, but on
// PostgreSQL another session may have deleted it without committing yet:
// this statement then waits for that session and, once it commits, changes
// nothing. The count of rows changed tells: none is kMissing.
GoalWrite ExecById(GenDB* db, const std::string& sql) {
  if (db->dbExec(sql.c_str()) != 0) return GoalWrite::kFailed;
  return db->dbRowsChanged() == 0 ? GoalWrite::kMissing : GoalWrite::kDone;
}

std::string Values(const GoalInfo& r) {
  std::string out;
  for (int m = 0; m < 12; ++m) out += ", " + std::to_string(r.goals[m]);
  return out;
}

void Pause(int attempt) { std::this_thread::sleep_for(std::chrono::milliseconds(20 * (attempt + 1))); }

// Runs body inside a transaction, committing when it answers kDone and
// rolling back otherwise. A failed attempt is retried unless the pair turned
// out to be taken (kDuplicate) or the body found nothing to change.
template <class Body>
GoalWrite InTransaction(GenDB* db, const GoalInfo* pair, long except_id, std::string* error, Body body) {
  // A hot standby refuses every write: said before anything starts.
  if (db->dbIsStandby()) {
    if (error) *error = kStandbyRefusal;
    return GoalWrite::kFailed;
  }
  std::string last;
  for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
    if (db->dbBeginTransaction() != 0) {
      last = db->LastError();
      if (db->dbLastFailureWasLock()) break;  // waited once already
      Pause(attempt);
      continue;
    }
    const GoalWrite result = body();
    if (result == GoalWrite::kDone && db->dbCommit() == 0) return GoalWrite::kDone;
    const bool lock = db->dbLastFailureWasLock();
    if (result == GoalWrite::kFailed || result == GoalWrite::kDone) last = db->LastError();
    db->dbRollback();
    if (lock) break;
    if (result == GoalWrite::kMissing || result == GoalWrite::kChanged) return result;
    // A save refused by the unique index of the pair, or one that lost a race
    // with a writer of the same pair, is a duplicate once that writer is done.
    if (pair != nullptr && PairCount(db, *pair, except_id) > 0) return GoalWrite::kDuplicate;
    if (result == GoalWrite::kDuplicate) return result;
    Pause(attempt);
  }
  if (error) *error = last.empty() ? "la base de données a refusé l'enregistrement" : last;
  return GoalWrite::kFailed;
}

}  // namespace

void GoalInfo::SetProducer(const std::string& code) {
  std::memset(producer, 0, sizeof producer);
  std::strncpy(producer, code.c_str(), sizeof producer - 1);
}

std::vector<int> LoadGoalYears(GenDB* db) {
  std::vector<int> years;
  if (db == nullptr) return years;
  char sql[128];
  std::snprintf(sql, sizeof sql, "SELECT DISTINCT GOAL_YEAR FROM %sGOALS ORDER BY GOAL_YEAR", db->dbPrefix());
  if (db->dbExecute(sql, kGoalsCursor) == 0) {
    for (int r = db->dbFetch(0, kGoalsCursor); r == 0; r = db->dbFetch(1, kGoalsCursor)) {
      long y = 0;
      db->dbGetLong(1, &y, kGoalsCursor);
      years.push_back(static_cast<int>(y));
    }
  }
  db->dbClose(kGoalsCursor);
  return years;
}

bool LoadGoalRecords(GenDB* db, int year, std::vector<GoalInfo>* out, std::string* error) {
  out->clear();
  std::string sql = "SELECT * FROM " + Table(db);
  if (year != 0) sql += " WHERE GOAL_YEAR = " + std::to_string(year);
  sql += " ORDER BY GOAL_PROD, GOAL_YEAR";
  bool ok = db->dbExecute(sql.c_str(), kGoalsCursor) == 0;
  if (ok) {
    for (int r = db->dbFetch(0, kGoalsCursor); r == 0; r = db->dbFetch(1, kGoalsCursor)) {
      GoalInfo g;
      ReadRow(db, &g);
      out->push_back(g);
    }
    ok = db->LastError().empty();
  }
  if (!ok && error) *error = db->LastError();
  db->dbClose(kGoalsCursor);
  return ok;
}

bool ReadGoalRecord(GenDB* db, long id, GoalInfo* out, std::string* error) {
  if (error) error->clear();
  const std::string sql = "SELECT * FROM " + Table(db) + " WHERE GOALS_ID = " + std::to_string(id);
  bool found = false;
  if (db->dbExecute(sql.c_str(), kGoalsCursor) == 0 && db->dbFetch(0, kGoalsCursor) == 0) {
    ReadRow(db, out);
    found = true;
  } else if (error) {
    *error = db->LastError();
  }
  db->dbClose(kGoalsCursor);
  return found;
}

GoalWrite InsertGoalRecord(GenDB* db, GoalInfo* record, long today, std::string* error) {
  return InTransaction(db, record, 0, error, [&] {
    const long max = QueryNumber(db, "SELECT MAX(GOALS_ID) FROM " + Table(db));
    if (max < 0) return GoalWrite::kFailed;
    const long id = max + 1;
    std::string sql = "INSERT INTO " + Table(db) + " (GOALS_ID, GOAL_CHGDATE, GOAL_PROD, GOAL_YEAR";
    for (const char* c : kMonthColumns) sql += std::string(", ") + c;
    sql += ") VALUES (" + std::to_string(id) + ", " + std::to_string(today) + ", " + SqlQuoted(record->producer) +
           ", " + std::to_string(record->year) + Values(*record) + ")";
    if (db->dbExec(sql.c_str()) != 0) return GoalWrite::kFailed;
    record->id = static_cast<int32_t>(id);
    return GoalWrite::kDone;
  });
}

GoalWrite UpdateGoalRecord(GenDB* db, const GoalInfo& record, long today, std::string* error,
                           const GoalInfo* as_read) {
  return InTransaction(db, &record, record.id, error, [&] {
    const GoalWrite present = StillThere(db, record.id, as_read);
    if (present != GoalWrite::kDone) return present;
    std::string sql = "UPDATE " + Table(db) + " SET GOAL_CHGDATE = " + std::to_string(today) +
                      ", GOAL_PROD = " + SqlQuoted(record.producer) + ", GOAL_YEAR = " + std::to_string(record.year);
    for (int m = 0; m < 12; ++m) sql += std::string(", ") + kMonthColumns[m] + " = " + std::to_string(record.goals[m]);
    sql += " WHERE GOALS_ID = " + std::to_string(record.id);
    return ExecById(db, sql);
  });
}

GoalWrite DeleteGoalRecord(GenDB* db, long id, std::string* error, const GoalInfo* as_read) {
  return InTransaction(db, nullptr, 0, error, [&] {
    const GoalWrite present = StillThere(db, id, as_read);
    if (present != GoalWrite::kDone) return present;
    const std::string sql = "DELETE FROM " + Table(db) + " WHERE GOALS_ID = " + std::to_string(id);
    return ExecById(db, sql);
  });
}
