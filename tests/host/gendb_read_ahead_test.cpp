// Statements announced with dbReadAhead (sent ahead in one pipeline on
// PostgreSQL) give what each gives when run alone: the same rows, the same
// failure, a lost server noticed, and never a result older than a call made
// in between.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "tests/support/test_db.h"

namespace {

constexpr int kCursor = 117;

// What one statement gave: dbExecute's status, its rows (values through
// dbGetField, '|' between them) and LastError() at the end.
struct Read {
  int rc = 0;
  std::vector<std::string> rows;
  std::string error;
  bool operator==(const Read& o) const { return rc == o.rc && rows == o.rows && error == o.error; }
};

std::ostream& operator<<(std::ostream& out, const Read& r) {
  out << "rc " << r.rc << ", " << r.rows.size() << " rows";
  if (!r.rows.empty()) out << " (first " << r.rows.front() << ", last " << r.rows.back() << ")";
  return out << ", error \"" << r.error << "\"";
}

Read RunOne(GenDB* db, const std::string& sql, int cursor = kCursor) {
  Read r;
  r.rc = db->dbExecute(sql.c_str(), cursor) == 0 ? 0 : 1;
  if (r.rc == 0) {
    const int n = db->dbColumnCount(cursor);
    for (int f = db->dbFetch(0, cursor); f == 0; f = db->dbFetch(1, cursor)) {
      std::string row;
      for (int c = 1; c <= n; ++c) {
        std::string v;
        db->dbGetField(c, &v, cursor, false);
        row += (c > 1 ? "|" : "") + v;
      }
      r.rows.push_back(row);
    }
  }
  r.error = db->LastError();
  db->dbClose(cursor);
  return r;
}

// How the caller holds the connection while the statements run.
enum class Around { kNothing, kTransaction, kSnapshot };

const char* Name(Around a) {
  return a == Around::kNothing ? "outside a transaction" : a == Around::kTransaction ? "in a transaction" : "in a snapshot";
}

class ReadAheadTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Exec("CREATE TABLE NAMES (ID INTEGER, FIRST VARCHAR(20), LAST TEXT, AMOUNT BIGINT)");
    ASSERT_EQ(Db()->dbBeginTransaction(), 0);
    for (int id = 1; id <= 3000; ++id) {
      const std::string last = id % 97 == 0 ? "NULL" : "'Côté\tL''" + std::to_string(id) + "\\'";
      Exec("INSERT INTO NAMES VALUES (" + std::to_string(id) + ", 'P" + std::to_string(id % 50) + "', " + last +
           ", " + std::to_string(static_cast<long long>(id) * 1000003) + ")");
    }
    ASSERT_EQ(Db()->dbCommit(), 0);
  }

  void Begin(Around around) {
    int rc = 0;
    if (around == Around::kTransaction) rc = Db()->dbBeginTransaction();
    if (around == Around::kSnapshot) rc = Db()->dbBeginSnapshot();
    ASSERT_EQ(rc, 0) << Db()->LastError();
  }
  void End(Around around) {
    int rc = 0;
    if (around == Around::kTransaction) rc = Db()->dbCommit();
    if (around == Around::kSnapshot) rc = Db()->dbEndSnapshot();
    EXPECT_EQ(rc, 0) << Db()->LastError();
  }

  static std::vector<std::string> Statements() {
    return {
        "SELECT ID, FIRST, LAST, AMOUNT FROM NAMES WHERE ID BETWEEN 1 AND 2500 ORDER BY ID",
        "SELECT ID FROM NAMES WHERE ID < 0",
        "SELECT LAST FROM NAMES WHERE ID = 97",
        "SELECT COUNT(0), MAX(AMOUNT), MIN(FIRST) FROM NAMES",
        "SELECT ID, NULL, '' FROM NAMES WHERE ID IN (3, 5, 8, 13, 2999) ORDER BY ID",
        "SELECT FIRST, COUNT(0) FROM NAMES GROUP BY FIRST ORDER BY FIRST",
    };
  }
};

TEST_P(ReadAheadTest, SameRowsAsOneByOne) {
  for (Around around : {Around::kNothing, Around::kTransaction, Around::kSnapshot}) {
    SCOPED_TRACE(Name(around));
    const std::vector<std::string> statements = Statements();
    std::vector<Read> alone;
    for (const std::string& s : statements) alone.push_back(RunOne(Db(), s));
    Begin(around);
    Db()->dbReadAhead(statements, kCursor);
    for (size_t i = 0; i < statements.size(); ++i) EXPECT_EQ(RunOne(Db(), statements[i]), alone[i]) << statements[i];
    End(around);
    EXPECT_EQ(alone[0].rows.size(), 2500u);
    EXPECT_EQ(alone[2].rows, std::vector<std::string>{""});  // NULL
  }
}

// A statement that fails in the middle: it reports what it reports alone,
// those after it still answer (a row the caller wrote first included), and
// the caller's transaction goes on: its write is kept.
TEST_P(ReadAheadTest, FailureInTheMiddle) {
  for (Around around : {Around::kNothing, Around::kTransaction, Around::kSnapshot}) {
    SCOPED_TRACE(Name(around));
    std::vector<std::string> statements = Statements();
    statements.insert(statements.begin() + 2, "SELECT NOPE FROM MISSING_TABLE WHERE ID = 1");
    Begin(around);
    if (around != Around::kSnapshot) Exec("INSERT INTO NAMES VALUES (5000, 'Kept', 'Kept', 0)");
    std::vector<Read> alone;
    for (const std::string& s : statements) alone.push_back(RunOne(Db(), s));
    Db()->dbReadAhead(statements, kCursor);
    for (size_t i = 0; i < statements.size(); ++i) EXPECT_EQ(RunOne(Db(), statements[i]), alone[i]) << statements[i];
    // Run twice more in the same order: the failure in the middle of each.
    for (int again = 0; again < 2; ++again) {
      Db()->dbReadAhead(statements, kCursor);
      for (size_t i = 0; i < statements.size(); ++i) EXPECT_EQ(RunOne(Db(), statements[i]), alone[i]) << statements[i];
    }
    End(around);
    ASSERT_NE(alone[2].rc, 0);
    EXPECT_NE(alone[2].error, "");
    EXPECT_EQ(alone[4].rows.size(), 1u);
    if (around != Around::kSnapshot) {
      EXPECT_EQ(alone[4].rows[0].substr(0, 5), "3001|") << alone[4].rows[0];
      EXPECT_EQ(RunOne(Db(), "SELECT LAST FROM NAMES WHERE ID = 5000").rows, std::vector<std::string>{"Kept"});
      Exec("DELETE FROM NAMES WHERE ID = 5000");
    }
  }
}

// The caller may leave the order of the list: skip statements, run another
// one, or make another call in between. Each statement still gives what it
// gives alone at the moment it is run.
TEST_P(ReadAheadTest, CallerLeavesTheList) {
  const std::string count = "SELECT COUNT(0) FROM NAMES WHERE ID > 4000";
  const std::string names = "SELECT FIRST FROM NAMES WHERE ID > 4000 ORDER BY ID";
  const std::string first = "SELECT ID FROM NAMES WHERE ID = 1";
  struct Case {
    const char* name;
    // What happens after the first statement, before the others.
    std::function<void(GenDB*)> between;
    std::vector<std::string> then;  // run in this order
    std::vector<std::vector<std::string>> rows;
  };
  const std::vector<Case> cases = {
      {"statements skipped", [](GenDB*) {}, {names}, {{}}},
      {"a statement not in the list, then the list again",
       [](GenDB* db) { EXPECT_EQ(RunOne(db, "SELECT 42").rows, std::vector<std::string>{"42"}); },
       {count, names},
       {{"0"}, {}}},
      {"a write in between",
       [](GenDB* db) { EXPECT_EQ(db->dbExec("INSERT INTO NAMES VALUES (4001, 'Nouveau', '', 0)"), 0); },
       {count, names},
       {{"1"}, {"Nouveau"}}},
      {"another cursor in between",
       [](GenDB* db) {
         EXPECT_EQ(RunOne(db, "SELECT COUNT(0) FROM NAMES", 21).rows, std::vector<std::string>{"3000"});
         EXPECT_EQ(db->dbExec("INSERT INTO NAMES VALUES (4002, 'Autre', '', 0)"), 0);
       },
       {count, names},
       {{"1"}, {"Autre"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Db()->dbReadAhead({first, "SELECT ID FROM NAMES WHERE ID = 2", count, names}, kCursor);
    EXPECT_EQ(RunOne(Db(), first).rows, std::vector<std::string>{"1"});
    c.between(Db());
    for (size_t i = 0; i < c.then.size(); ++i) {
      const Read r = RunOne(Db(), c.then[i]);
      EXPECT_EQ(r.rc, 0) << c.then[i] << ": " << r.error;
      EXPECT_EQ(r.rows, c.rows[i]) << c.then[i];
    }
    Exec("DELETE FROM NAMES WHERE ID > 4000");
  }
}

// The server goes away while the statements are in flight (the second one
// is still sleeping on the server). Outside a transaction that statement is
// sent again on a new connection and answers, and so does the rest of the
// list. Inside one it fails with the lost server, which LostConnection()
// reports, and so does every statement after it until the caller ends the
// transaction (run alone on a new connection, they would not be in it); the
// rollback succeeds, and the list then runs on a new connection.
TEST_P(ReadAheadTest, LostServerMidPipeline) {
  if (GetParam() != "postgres") GTEST_SKIP() << "a server going away only happens on PostgreSQL";
  std::unique_ptr<GenDB> killer = OpenAgain();
  ASSERT_NE(killer, nullptr);
  for (Around around : {Around::kNothing, Around::kTransaction}) {
    SCOPED_TRACE(Name(around));
    Db()->ClearLostConnection();
    const Read pid = RunOne(Db(), "SELECT pg_backend_pid()");
    ASSERT_EQ(pid.rows.size(), 1u);
    const std::string slow = "SELECT ID, pg_sleep(0.4) FROM NAMES WHERE ID = 2";
    const std::string after = "SELECT COUNT(0) FROM NAMES";
    Begin(around);
    Db()->dbReadAhead({"SELECT ID FROM NAMES WHERE ID = 1", slow, after}, kCursor);
    EXPECT_EQ(RunOne(Db(), "SELECT ID FROM NAMES WHERE ID = 1").rows, std::vector<std::string>{"1"});
    EXPECT_EQ(RunOne(killer.get(), "SELECT COUNT(0) FROM (SELECT pg_terminate_backend(" + pid.rows[0] + ")) AS t", 1).rows,
              std::vector<std::string>{"1"});
    const Read lost = RunOne(Db(), slow);
    if (around == Around::kNothing) {
      EXPECT_EQ(lost.rc, 0) << lost.error;
      EXPECT_EQ(lost.rows, std::vector<std::string>{"2|"});
      EXPECT_EQ(Db()->LostConnection(), "");
    } else {
      EXPECT_NE(lost.rc, 0);
      EXPECT_NE(lost.error.find("perdue"), std::string::npos) << lost.error;
      EXPECT_EQ(lost.error.find('\n'), std::string::npos) << lost.error;
      EXPECT_NE(Db()->LostConnection(), "");
    }
    if (around == Around::kTransaction) {
      const Read refused = RunOne(Db(), after);
      EXPECT_NE(refused.rc, 0);
      EXPECT_NE(refused.error.find("transaction en cours a été perdue"), std::string::npos) << refused.error;
      EXPECT_EQ(Db()->dbRollback(), 0) << Db()->LastError();  // the transaction went with the server
    }
    EXPECT_EQ(RunOne(Db(), after).rows, std::vector<std::string>{"3000"});
    Db()->ClearLostConnection();
  }
}

INSTANTIATE_DB_TEST(ReadAheadTest);

}  // namespace
