// The goal records on both engines: writes in a transaction, the duplicate
// rules, two processes racing for one producer and year, a save that loses
// its database half-way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "goals/goal_editor.h"
#include "host/gendb.h"
#include "suite/goal_info.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

class GoalRecordsTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string error;
    ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  }
  GoalInfo Record(const char* producer, int year, int32_t cents) {
    GoalInfo g;
    g.SetProducer(producer);
    g.year = year;
    for (int32_t& v : g.goals) v = cents;
    return g;
  }
  long Count(const std::string& where = "") {
    long n = -1;
    const std::string sql = "SELECT COUNT(0) FROM GOALS" + where;
    if (Db()->dbExecute(sql.c_str(), 21) == 0 && Db()->dbFetch(0, 21) == 0) Db()->dbGetLong(1, &n, 21);
    Db()->dbClose(21);
    return n;
  }
};

TEST_P(GoalRecordsTest, AddChangeDeleteList) {
  std::string error;
  GoalInfo a = Record("D01", 2026, 100000), b = Record("D*", 2026, 50000);
  ASSERT_EQ(InsertGoalRecord(Db(), &a, 20261201, &error), GoalWrite::kDone) << error;
  ASSERT_EQ(InsertGoalRecord(Db(), &b, 20261201, &error), GoalWrite::kDone) << error;
  EXPECT_EQ(a.id, 1);
  EXPECT_EQ(b.id, 2);
  b.goals[11] = 1234;
  b.year = 2027;
  ASSERT_EQ(UpdateGoalRecord(Db(), b, 20261202, &error), GoalWrite::kDone) << error;
  GoalInfo back;
  ASSERT_TRUE(ReadGoalRecord(Db(), b.id, &back, &error)) << error;
  EXPECT_EQ(back.Producer(), "D*");
  EXPECT_EQ(back.year, 2027);
  EXPECT_EQ(back.goals[11], 1234);
  EXPECT_EQ(LoadGoalYears(Db()), (std::vector<int>{2026, 2027}));
  std::vector<GoalInfo> all;
  ASSERT_TRUE(LoadGoalRecords(Db(), 2026, &all, &error));
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].Producer(), "D01");
  EXPECT_EQ(DeleteGoalRecord(Db(), a.id, &error), GoalWrite::kDone);
  EXPECT_EQ(DeleteGoalRecord(Db(), a.id, &error), GoalWrite::kMissing);
  EXPECT_EQ(UpdateGoalRecord(Db(), a, 20261202, &error), GoalWrite::kMissing);
  EXPECT_EQ(Count(), 1);
}

TEST_P(GoalRecordsTest, DuplicatesAreRefusedButNotAgainstThemselves) {
  std::string error;
  GoalInfo a = Record("D01", 2026, 100000), b = Record("D02", 2026, 100000);
  ASSERT_EQ(InsertGoalRecord(Db(), &a, 20261201, &error), GoalWrite::kDone);
  ASSERT_EQ(InsertGoalRecord(Db(), &b, 20261201, &error), GoalWrite::kDone);
  GoalInfo again = Record("D01", 2026, 5);
  EXPECT_TRUE(DuplicateExist(Db(), again, kGoalModeAdding, 0));
  // The unique index refuses what a check missed; the table stays as it was.
  EXPECT_EQ(InsertGoalRecord(Db(), &again, 20261201, &error), GoalWrite::kDuplicate);
  // Changing a record without changing its pair is not a duplicate of itself.
  a.goals[0] = 7;
  EXPECT_FALSE(DuplicateExist(Db(), a, kGoalModeChanging, a.id));
  EXPECT_EQ(UpdateGoalRecord(Db(), a, 20261201, &error), GoalWrite::kDone);
  // Moving D02 onto D01's pair is.
  b.SetProducer("D01");
  EXPECT_TRUE(DuplicateExist(Db(), b, kGoalModeChanging, b.id));
  EXPECT_EQ(UpdateGoalRecord(Db(), b, 20261201, &error), GoalWrite::kDuplicate);
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Count(" WHERE GOAL_PROD = 'D02'"), 1);
  // A quote in a code cannot break the check.
  EXPECT_FALSE(DuplicateExist(Db(), Record("O'B", 2026, 1), kGoalModeAdding, 0));
}

// Forwards to a real connection but fails every INSERT and UPDATE, as a
// server lost between the transaction's start and its write would.
class LosingDb : public GenDB {
 public:
  explicit LosingDb(GenDB* db) : db_(db) {}
  int dbExecute(const char* s, int c) override { return db_->dbExecute(s, c); }
  int dbFetch(int m, int c) override { return db_->dbFetch(m, c); }
  int dbGetLong(int col, long* o, int c) override { return db_->dbGetLong(col, o, c); }
  int dbGetShort(int col, short* o, int c) override { return db_->dbGetShort(col, o, c); }
  int dbGetChar(int col, char* o, int c) override { return db_->dbGetChar(col, o, c); }
  int dbGetString(int col, char* b, int cap, int c) override { return db_->dbGetString(col, b, cap, c); }
  int dbGetField(int col, std::string* o, int c, bool t) override { return db_->dbGetField(col, o, c, t); }
  int dbRowCount(long* o, int c) override { return db_->dbRowCount(o, c); }
  int dbClose(int c) override { return db_->dbClose(c); }
  int dbColumnCount(int c) override { return db_->dbColumnCount(c); }
  const char* dbPrefix() const override { return db_->dbPrefix(); }
  int dbExec(const char* s) override {
    const std::string text = s;
    if (text.rfind("INSERT", 0) == 0 || text.rfind("UPDATE", 0) == 0) {
      lost_ = true;
      return 1;
    }
    return db_->dbExec(s);
  }
  int dbBeginTransaction() override { return db_->dbBeginTransaction(); }
  int dbCommit() override { return db_->dbCommit(); }
  int dbRollback() override { return db_->dbRollback(); }
  std::unique_ptr<BulkLoader> BeginBulk(const std::string& t, const std::vector<std::string>& c) override {
    return db_->BeginBulk(t, c);
  }
  const SqlDialect& Dialect() const override { return db_->Dialect(); }
  const std::string& LastError() const override { return lost_ ? message_ : db_->LastError(); }
  const std::string& Url() const override { return db_->Url(); }
  long dbRowsChanged() const override { return db_->dbRowsChanged(); }

 private:
  GenDB* db_;
  bool lost_ = false;
  std::string message_ = "server closed the connection unexpectedly";
};

TEST_P(GoalRecordsTest, LostDatabaseLeavesTheTableAsItWas) {
  std::string error;
  GoalInfo a = Record("D01", 2026, 100000);
  ASSERT_EQ(InsertGoalRecord(Db(), &a, 20261201, &error), GoalWrite::kDone);
  LosingDb losing(Db());
  GoalInfo b = Record("H01", 2026, 3);
  EXPECT_EQ(InsertGoalRecord(&losing, &b, 20261201, &error), GoalWrite::kFailed);
  EXPECT_NE(error.find("server closed"), std::string::npos) << error;
  a.goals[0] = 1;
  error.clear();
  EXPECT_EQ(UpdateGoalRecord(&losing, a, 20261201, &error), GoalWrite::kFailed);
  EXPECT_FALSE(error.empty());
  GoalInfo back;
  ASSERT_TRUE(ReadGoalRecord(Db(), a.id, &back, &error));
  EXPECT_EQ(back.goals[0], 100000);
  EXPECT_EQ(Count(), 1);
  // The connection is usable afterwards: no transaction was left open.
  GoalInfo c = Record("H02", 2026, 3);
  EXPECT_EQ(InsertGoalRecord(Db(), &c, 20261201, &error), GoalWrite::kDone) << error;
}

std::string RunWriter(const std::string& url, const std::string& dir, int index, FILE** pipe) {
  const std::string cmd = std::string(GOALS_RACE_WRITER) + " '" + url + "' D01 2026 '" + dir + "' " +
                          std::to_string(index);
  *pipe = popen(cmd.c_str(), "r");
  return cmd;
}

std::string ReadAll(FILE* pipe) {
  std::string out;
  char buffer[256];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  if (pipe) pclose(pipe);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

TEST_P(GoalRecordsTest, TwoProcessesSavingTheSamePairLeaveOneRecord) {
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    Exec("DELETE FROM GOALS");
    TempDir dir;
    FILE* first = nullptr;
    FILE* second = nullptr;
    RunWriter(Url(), dir.path(), 0, &first);
    RunWriter(Url(), dir.path(), 1, &second);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const std::multiset<std::string> answers = {ReadAll(first), ReadAll(second)};
    // Both passed the duplicate check before either saved: only the index decides.
    EXPECT_EQ(answers, (std::multiset<std::string>{"done", "duplicate"}));
    EXPECT_EQ(Count(" WHERE GOAL_PROD = 'D01' AND GOAL_YEAR = 2026"), 1);
  }
}

// A record deleted, or replaced, by another connection between the editor's
// read and its save: nothing is written, and the save says so.
TEST_P(GoalRecordsTest, ChangeOrDeleteOfARecordGoneSinceItWasRead) {
  std::string error;
  GoalInfo a = Record("D01", 2026, 100000), b = Record("D02", 2026, 200000);
  ASSERT_EQ(InsertGoalRecord(Db(), &a, 20261201, &error), GoalWrite::kDone) << error;
  ASSERT_EQ(InsertGoalRecord(Db(), &b, 20261201, &error), GoalWrite::kDone) << error;
  GoalInfo read;
  ASSERT_TRUE(ReadGoalRecord(Db(), b.id, &read, &error));
  std::unique_ptr<GenDB> other = OpenAgain();
  ASSERT_NE(other, nullptr);
  // Deleted: the change and the delete both find nothing.
  ASSERT_EQ(other->dbExec(("DELETE FROM GOALS WHERE GOALS_ID = " + std::to_string(b.id)).c_str()), 0);
  GoalInfo edited = read;
  edited.goals[0] = 1;
  EXPECT_EQ(UpdateGoalRecord(Db(), edited, 20261202, &error, &read), GoalWrite::kMissing);
  EXPECT_EQ(DeleteGoalRecord(Db(), read.id, &error, &read), GoalWrite::kMissing);
  // Its id given to a new record (the largest id plus 1): that record is
  // another producer and year, and stays as it was.
  GoalInfo c = Record("H01", 2030, 300000);
  ASSERT_EQ(InsertGoalRecord(other.get(), &c, 20261201, &error), GoalWrite::kDone) << error;
  ASSERT_EQ(c.id, read.id);
  EXPECT_EQ(UpdateGoalRecord(Db(), edited, 20261202, &error, &read), GoalWrite::kMissing);
  EXPECT_EQ(DeleteGoalRecord(Db(), read.id, &error, &read), GoalWrite::kMissing);
  GoalInfo back;
  ASSERT_TRUE(ReadGoalRecord(Db(), c.id, &back, &error));
  EXPECT_EQ(back.Producer(), "H01");
  EXPECT_EQ(back.goals[0], 300000);
  // Changed by the other connection: refused until read again.
  GoalInfo a_read;
  ASSERT_TRUE(ReadGoalRecord(Db(), a.id, &a_read, &error));
  ASSERT_EQ(other->dbExec(("UPDATE GOALS SET GOAL_JAN = 5 WHERE GOALS_ID = " + std::to_string(a.id)).c_str()), 0);
  GoalInfo a_edit = a_read;
  a_edit.goals[1] = 7;
  EXPECT_EQ(UpdateGoalRecord(Db(), a_edit, 20261202, &error, &a_read), GoalWrite::kChanged);
  EXPECT_EQ(DeleteGoalRecord(Db(), a.id, &error, &a_read), GoalWrite::kChanged);
  ASSERT_TRUE(ReadGoalRecord(Db(), a.id, &back, &error));
  EXPECT_EQ(back.goals[0], 5);
  EXPECT_EQ(back.goals[1], 100000);
  EXPECT_EQ(Count(), 2);
}

// The number of rows the last write changed, on both engines, inside and
// outside a transaction.
TEST_P(GoalRecordsTest, RowsChangedCountsTheLastWrite) {
  Exec("INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR) VALUES (1, 'D01', 2026)");
  EXPECT_EQ(Db()->dbRowsChanged(), 1);
  Exec("INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR) VALUES (2, 'D02', 2026)");
  Exec("UPDATE GOALS SET GOAL_JAN = 1 WHERE GOAL_YEAR = 2026");
  EXPECT_EQ(Db()->dbRowsChanged(), 2);
  ASSERT_EQ(Db()->dbBeginTransaction(), 0);
  Exec("DELETE FROM GOALS WHERE GOALS_ID = 9");
  EXPECT_EQ(Db()->dbRowsChanged(), 0);
  Exec("DELETE FROM GOALS WHERE GOALS_ID = 2");
  EXPECT_EQ(Db()->dbRowsChanged(), 1);
  ASSERT_EQ(Db()->dbCommit(), 0);
}

// PostgreSQL: another session has deleted the record without committing
// yet. `vantra goals-edit change` (a child process) sees the row, waits on
// its lock, and once the delete commits its UPDATE changes no row: it must
// say so and exit 1, not print the id.
TEST_P(GoalRecordsTest, ChangeWaitingOnAnUncommittedDeleteSaysTheRecordIsGone) {
  if (GetParam() != "postgres") GTEST_SKIP() << "a writer waits on a row lock only on PostgreSQL";
  std::string error;
  GoalInfo a = Record("D01", 2041, 100000), b = Record("D02", 2041, 100000);
  ASSERT_EQ(InsertGoalRecord(Db(), &a, 20261201, &error), GoalWrite::kDone) << error;
  ASSERT_EQ(InsertGoalRecord(Db(), &b, 20261201, &error), GoalWrite::kDone) << error;
  Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_INACTIVE) VALUES (1, 'D01', 'N')");
  std::unique_ptr<GenDB> holder = OpenAgain();
  ASSERT_NE(holder, nullptr);
  ASSERT_EQ(holder->dbBeginTransaction(), 0);
  ASSERT_EQ(holder->dbExec(("DELETE FROM GOALS WHERE GOALS_ID = " + std::to_string(a.id)).c_str()), 0);
  TempDir dir;
  // The case's schema comes first on the search path of its URL.
  std::string cmd = std::string(VANTRA_CLI) + " goals-edit --db '" + Url() + "' --ini " + dir.File("t.ini") +
                    " --today 20261201 change " + std::to_string(a.id) + " D01 2041";
  for (int m = 0; m < 12; ++m) cmd += " 2000";
  cmd += " 2>" + dir.File("stderr") + "; echo \"rc=$?\"";
  FILE* child = popen(cmd.c_str(), "r");
  ASSERT_NE(child, nullptr);
  // Wait (without a time limit on the result) until the child's UPDATE waits on the row lock.
  std::unique_ptr<GenDB> watcher = OpenAgain();
  long waiting = 0;
  for (int i = 0; i < 20000 && waiting == 0; ++i) {
    if (watcher->dbExecute("SELECT COUNT(0) FROM pg_stat_activity WHERE wait_event_type = 'Lock' "
                           "AND query LIKE '%UPDATE %GOALS%'", 21) == 0 && watcher->dbFetch(0, 21) == 0) {
      watcher->dbGetLong(1, &waiting, 21);
    }
    watcher->dbClose(21);
  }
  ASSERT_EQ(waiting, 1) << "the change never waited on the delete";
  ASSERT_EQ(holder->dbCommit(), 0);
  const std::string out = ReadAll(child);
  EXPECT_EQ(out, "rc=1");
  const std::string err = ::ReadAll(dir.File("stderr"));
  EXPECT_NE(err.find("n'existe plus"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(Count(), 1);
  GoalInfo back;
  ASSERT_TRUE(ReadGoalRecord(Db(), b.id, &back, &error));
  EXPECT_EQ(back.goals[0], 100000);
}

INSTANTIATE_DB_TEST(GoalRecordsTest);

}  // namespace
