// The goal records on both engines: writes in a transaction, the duplicate
// rules, two processes racing for one producer and year, a save that loses
// its database half-way.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

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

INSTANTIATE_DB_TEST(GoalRecordsTest);

}  // namespace
