#include "tests/support/standby.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "host/gendb.h"
#include "host/sql_literal.h"

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

// The one text value of statement; false with *error.
bool QueryText(GenDB* db, const std::string& statement, std::string* out, std::string* error) {
  const bool ok = db->dbExecute(statement.c_str(), 1) == 0 && db->dbFetch(0, 1) == 0 &&
                  db->dbGetField(1, out, 1, true) == 0;
  if (!ok) *error = statement + " : " + db->LastError();
  db->dbClose(1);
  return ok;
}

}  // namespace

bool HaveStandby() { return !PrimaryUrl().empty() && !StandbyUrl().empty(); }
std::string PrimaryUrl() { return Env("VANTRA_TEST_PG_URL"); }
std::string StandbyUrl() { return Env("VANTRA_TEST_PG_STANDBY_URL"); }

bool WaitForStandby(std::string* error, double timeout_seconds) {
  std::unique_ptr<GenDB> primary = OpenGenDB(PrimaryUrl(), "", DbAccess::kRead, error);
  if (primary == nullptr) return false;
  std::string lsn;
  // The insert position, not pg_current_wal_lsn (the written one): the test
  // server commits without waiting for the disk (synchronous_commit off), so
  // the last commit may still be in the WAL buffers; the standby reaches it
  // once the WAL writer has sent it.
  if (!QueryText(primary.get(), "SELECT pg_current_wal_insert_lsn()::text", &lsn, error)) return false;
  std::unique_ptr<GenDB> standby = OpenGenDB(StandbyUrl(), "", DbAccess::kRead, error);
  if (standby == nullptr) return false;
  const std::string check = "SELECT CASE WHEN pg_last_wal_replay_lsn() >= " + SqlQuoted(lsn) +
                            "::pg_lsn THEN 'Y' ELSE 'N' END";
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  std::string replayed;
  while (QueryText(standby.get(), check, &replayed, error)) {
    if (replayed == "Y") return true;
    if (std::chrono::steady_clock::now() > until) {
      *error = "le serveur de secours n'a pas rejoué le journal jusqu'à " + lsn;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool DropPrimarySchema(const std::string& schema, std::string* error) {
  std::unique_ptr<GenDB> db = OpenGenDB(PrimaryUrl(), "", DbAccess::kWrite, error);
  if (db == nullptr) return false;
  if (db->dbExec(("DROP SCHEMA IF EXISTS " + schema + " CASCADE").c_str()) != 0) {
    *error = db->LastError();
    return false;
  }
  return true;
}
