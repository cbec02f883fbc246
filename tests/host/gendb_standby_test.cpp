// GenDB on the test server's hot standby: which connections know it for one,
// what an opening for creation answers there, and that a read-only report
// connection reads there as on the primary. Skipped without the two URLs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/gendb.h"
#include "tests/support/standby.h"
#include "tests/support/test_db.h"

namespace {

TEST(GenDbStandbyTest, EachConnectionKnowsWhetherItsServerIsAStandby) {
  if (!HaveStandby()) GTEST_SKIP() << kNoStandby;
  TempDir dir;
  struct Case {
    const char* name;
    std::string url;
    DbAccess access;
    bool standby;
  };
  const Case cases[] = {
      {"standby_write", StandbyUrl(), DbAccess::kWrite, true},
      {"standby_read", StandbyUrl(), DbAccess::kRead, true},
      {"primary_write", PrimaryUrl(), DbAccess::kWrite, false},
      {"primary_create", PrimaryUrl(), DbAccess::kCreate, false},
      {"primary_read", PrimaryUrl(), DbAccess::kRead, false},
      {"sqlite_create", "sqlite:" + dir.File("x.sqlite"), DbAccess::kCreate, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB(c.url, "", c.access, &error);
    ASSERT_NE(db, nullptr) << error;
    EXPECT_EQ(db->dbIsStandby(), c.standby);
    EXPECT_EQ(db->dbIsStandby(), c.standby);  // kept, and asked again the same
  }
}

TEST(GenDbStandbyTest, CreationIsRefusedOnTheStandbyBeforeAnythingIsTried) {
  if (!HaveStandby()) GTEST_SKIP() << kNoStandby;
  for (const char* prefix : {"", "vantra_standby_never."}) {
    SCOPED_TRACE(prefix);
    std::string error;
    EXPECT_EQ(OpenGenDB(StandbyUrl(), prefix, DbAccess::kCreate, &error), nullptr);
    EXPECT_EQ(error, kStandbyRefusal);
  }
}

// A statement that would write fails on the standby with the server's own
// reason, and the connection goes on reading.
TEST(GenDbStandbyTest, AWriteFailsOnTheStandbyAndReadingGoesOn) {
  if (!HaveStandby()) GTEST_SKIP() << kNoStandby;
  std::string error;
  std::unique_ptr<GenDB> db = OpenGenDB(StandbyUrl(), "", DbAccess::kRead, &error);
  ASSERT_NE(db, nullptr) << error;
  EXPECT_NE(db->dbExec("CREATE TEMP TABLE VANTRA_T (A INTEGER)"), 0);
  EXPECT_NE(db->LastError().find("read-only"), std::string::npos) << db->LastError();
  ASSERT_EQ(db->dbExecute("SELECT 41 + 1", 1), 0) << db->LastError();
  ASSERT_EQ(db->dbFetch(0, 1), 0);
  long v = 0;
  db->dbGetLong(1, &v, 1);
  EXPECT_EQ(v, 42);
  db->dbClose(1);
  // A read transaction (the audit look-ups run in one) is allowed there.
  EXPECT_EQ(db->dbBeginTransaction(), 0) << db->LastError();
  EXPECT_EQ(db->dbCommit(), 0) << db->LastError();
}

}  // namespace
