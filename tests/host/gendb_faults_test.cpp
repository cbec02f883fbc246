// The database connection under hostile input and faults: table prefixes
// that are not names, and a SQLite file locked by another program.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/gendb_sqlite.h"
#include "tests/support/test_db.h"

namespace {

TEST(TablePrefixTest, OnlyNamesAreAccepted) {
  struct Case {
    const char* name;
    std::string prefix;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"none", "", true},
      {"schema", "clinic2.", true},
      {"glued to the table names", "CLN_", true},
      {"underscore first", "_x.", true},
      {"quoted schema", "\"Clinic\".", true},
      {"63 bytes", std::string(62, 'a') + ".", true},
      {"64 bytes", std::string(63, 'a') + ".", false},
      {"very long", std::string(100000, 'a'), false},
      {"single quote", "x'.", false},
      {"injection", "x; DROP TABLE PATIENT; --", false},
      {"semicolon", "a;", false},
      {"line comment", "a--", false},
      {"block comment", "/*a*/", false},
      {"percent", "a%.", false},
      {"blank", "a b.", false},
      {"digit first", "2clinic.", false},
      {"two dots", "a.b.", false},
      {"dot alone", ".", false},
      {"quoted without dot", "\"a\"", false},
      {"quote inside quotes", "\"a\"\"b\".", false},
      {"empty quotes", "\"\".", false},
      {"accented (UTF-8)", "\xC3\xA9" "cole.", false},
      {"not UTF-8", "a\xFF\xFE.", false},
      {"line break", "a\n.", false},
      {"NUL inside", std::string("a\0b.", 4), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    EXPECT_EQ(ValidTablePrefix(c.prefix, &error), c.ok) << error;
    if (c.ok) {
      EXPECT_EQ(error, "");
      continue;
    }
    EXPECT_EQ(error.rfind("Préfixe de tables invalide : « ", 0), 0u) << error;
    EXPECT_LT(error.size(), 300u);  // a very long prefix is shown cut
    for (unsigned char ch : error) EXPECT_NE(ch, 0xFF);  // bytes outside UTF-8 are shown escaped
  }
}

TEST(TablePrefixTest, RefusedBeforeAnythingIsOpenedOrRun) {
  TempDir dir;
  const std::string file = dir.File("new.sqlite");
  std::string error;
  EXPECT_EQ(OpenGenDB("sqlite:" + file, "x; DROP TABLE PATIENT; --", true, &error), nullptr);
  EXPECT_NE(error.find("Préfixe de tables invalide"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(file));

  // A valid prefix glued to the names reaches the statements.
  auto db = OpenGenDB("sqlite:" + file, "CLN_", true, &error);
  ASSERT_NE(db, nullptr) << error;
  ASSERT_EQ(db->dbExec("CREATE TABLE CLN_PATIENT (PAT_ID INTEGER)"), 0) << db->LastError();
  const std::string sql = std::string("SELECT COUNT(0) FROM ") + db->dbPrefix() + "PATIENT";
  ASSERT_EQ(db->dbExecute(sql.c_str(), 1), 0) << db->LastError();
  EXPECT_EQ(db->dbFetch(0, 1), 0);
  db->dbClose(1);
}

// A child process that holds a write lock on file until its stdin pipe
// closes. `sql` runs first (e.g. "BEGIN IMMEDIATE; INSERT ...").
class LockHolder {
 public:
  LockHolder(const std::string& file, const std::string& sql) {
    int ready[2], hold[2];
    if (pipe(ready) != 0 || pipe(hold) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(hold[1]);
      sqlite3* db = nullptr;
      if (sqlite3_open(file.c_str(), &db) != SQLITE_OK || sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        _exit(2);
      }
      if (write(ready[1], "l", 1) != 1) _exit(3);
      char c;
      while (read(hold[0], &c, 1) > 0) {
      }
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      _exit(0);
    }
    close(ready[1]);
    close(hold[0]);
    hold_ = hold[1];
    char c;
    locked_ = read(ready[0], &c, 1) == 1;
    close(ready[0]);
  }
  ~LockHolder() { Release(); }
  bool locked() const { return locked_; }
  void Release() {
    if (pid_ <= 0) return;
    close(hold_);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int hold_ = -1;
  bool locked_ = false;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char kLockedMessage[] =
    "La base SQLite est verrouillée par un autre programme qui y écrit (0.4 s d'attente) ; réessayez quand il aura "
    "terminé.";

class SqliteLockTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSqliteBusyTimeout(400); }
  void TearDown() override { SetSqliteBusyTimeout(5000); }
  TempDir dir_;
  std::string file_ = dir_.File("practice.sqlite");
};

TEST_F(SqliteLockTest, WriterWaitsThenFailsWithAClearMessage) {
  std::string error;
  {
    auto db = OpenGenDB("sqlite:" + file_, "", true, &error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_EQ(db->dbExec("CREATE TABLE T (N INTEGER); INSERT INTO T VALUES (1)"), 0) << db->LastError();
  }
  LockHolder other(file_, "BEGIN IMMEDIATE; INSERT INTO T VALUES (99)");
  ASSERT_TRUE(other.locked());

  auto db = OpenGenDB("sqlite:" + file_, "", false, &error);
  ASSERT_NE(db, nullptr) << error;  // the file is in WAL mode: opening and reading go on
  ASSERT_EQ(db->dbExecute("SELECT COUNT(0) FROM T", 1), 0) << db->LastError();
  ASSERT_EQ(db->dbFetch(0, 1), 0);
  long n = 0;
  db->dbGetLong(1, &n, 1);
  EXPECT_EQ(n, 1);  // the other program's row is not committed
  db->dbClose(1);

  struct Write {
    const char* name;
    int (*run)(GenDB*);
  };
  const Write writes[] = {
      {"dbExec", [](GenDB* g) { return g->dbExec("INSERT INTO T VALUES (2)"); }},
      {"dbExecute", [](GenDB* g) { return g->dbExecute("INSERT INTO T VALUES (2)", 3); }},
      {"script", [](GenDB* g) { return g->dbExec("INSERT INTO T VALUES (2); INSERT INTO T VALUES (3)"); }},
      {"transaction", [](GenDB* g) {
         if (g->dbBeginTransaction() != 0) return -1;
         const int rc = g->dbExec("INSERT INTO T VALUES (2)");
         g->dbRollback();
         return rc;
       }},
  };
  for (const Write& w : writes) {
    SCOPED_TRACE(w.name);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(w.run(db.get()), 0);
    const double waited = SecondsSince(start);
    EXPECT_GE(waited, 0.3);  // it did wait for the lock
    EXPECT_LT(waited, 3.0);  // and gave up
    if (std::string(w.name) != "transaction") {
      EXPECT_EQ(db->LastError(), kLockedMessage);
    }
  }

  // Once the other program lets go, the same connection writes.
  other.Release();
  EXPECT_EQ(db->dbExec("INSERT INTO T VALUES (2)"), 0) << db->LastError();
}

TEST_F(SqliteLockTest, OpeningAFileLockedExclusivelyFailsWithTheSameMessage) {
  // A rollback-journal file whose writer is committing: not even a read
  // gets through, so the open itself waits and fails.
  {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "PRAGMA journal_mode=DELETE; CREATE TABLE T (N INTEGER)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
  }
  LockHolder other(file_, "BEGIN EXCLUSIVE; INSERT INTO T VALUES (1)");
  ASSERT_TRUE(other.locked());
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenGenDB("sqlite:" + file_, "", false, &error), nullptr);
  const double waited = SecondsSince(start);
  EXPECT_GE(waited, 0.3);
  EXPECT_LT(waited, 3.0);
  EXPECT_EQ(error, kLockedMessage);
  other.Release();
  EXPECT_NE(OpenGenDB("sqlite:" + file_, "", false, &error), nullptr) << error;
}

}  // namespace
