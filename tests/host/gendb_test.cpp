// Conformance cases for GenDB: every case runs on SQLite and on PostgreSQL
// (when VANTRA_TEST_PG_URL is set) with the same statement texts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/sql_literal.h"
#include "tests/support/test_db.h"

namespace {

class GenDbTest : public DbTest {
 protected:
  bool OnPostgres() const { return GetParam() == "postgres"; }

  // PATIENT(PAT_ID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR, PAT_NOTE) with three rows.
  void MakePatients() {
    const SqlDialect& d = Db()->Dialect();
    Exec("CREATE TABLE PATIENT (PAT_ID " + d.BigIntType() + " PRIMARY KEY, PAT_PNAME " + d.TextType(30) +
         ", PAT_LNAME " + d.TextType(30) + ", PAT_DOCTOR " + d.TextType(3) + ", PAT_NOTE " + d.TextType(0) + ")");
    Exec("INSERT INTO PATIENT VALUES (12, 'Marie', 'Tremblay', 'DR1', NULL)");
    Exec("INSERT INTO PATIENT VALUES (13, 'Sean', 'O''Brien', 'DR2', '123')");
    Exec("INSERT INTO PATIENT VALUES (14, 'Éloïse', 'Côté', 'DR1', 'abc')");
  }

  // AUDITFIL(AUD_ID, AUD_TYPE, AUD_DATE, AUD_FLD_NAME3) with n rows loaded
  // in bulk: ids 1..n, type 'P' for even ids and 'B' for odd ones.
  void MakeAudit(int n) {
    const SqlDialect& d = Db()->Dialect();
    Exec("CREATE TABLE AUDITFIL (AUD_ID " + d.BigIntType() + " PRIMARY KEY, AUD_TYPE " + d.TextType(1) +
         ", AUD_DATE " + d.BigIntType() + ", AUD_FLD_NAME3 " + d.TextType(20) + ")");
    auto bulk = Db()->BeginBulk("AUDITFIL", {"AUD_ID", "AUD_TYPE", "AUD_DATE", "AUD_FLD_NAME3"});
    for (int i = 1; i <= n; ++i) {
      const std::string digits = std::to_string(i % 100);
      ASSERT_TRUE(bulk->AddRow({BulkCell::Int(i), BulkCell::Text(i % 2 == 0 ? "P" : "B"),
                                BulkCell::Int(20260101 + i % 28), BulkCell::Text(digits)}))
          << Db()->LastError();
    }
    ASSERT_TRUE(bulk->Finish()) << Db()->LastError();
  }

  // All rows of a statement, columns joined by '|'.
  std::vector<std::string> Rows(GenDB* db, const std::string& sql, int cursor = 21) {
    std::vector<std::string> rows;
    EXPECT_EQ(db->dbExecute(sql.c_str(), cursor), 0) << sql << ": " << db->LastError();
    const int columns = db->dbColumnCount(cursor);
    for (int r = db->dbFetch(0, cursor); r == 0; r = db->dbFetch(1, cursor)) {
      std::string row;
      for (int c = 1; c <= columns; ++c) {
        std::string field;
        db->dbGetField(c, &field, cursor, false);
        row += (c > 1 ? "|" : "") + field;
      }
      rows.push_back(row);
    }
    db->dbClose(cursor);
    return rows;
  }
  std::vector<std::string> Rows(const std::string& sql, int cursor = 21) { return Rows(Db(), sql, cursor); }

  long Count(GenDB* db, const std::string& sql) {
    long n = -1;
    if (db->dbExecute(sql.c_str(), 25) == 0 && db->dbFetch(0, 25) == 0) db->dbGetLong(1, &n, 25);
    db->dbClose(25);
    return n;
  }
  long Count(const std::string& sql) { return Count(Db(), sql); }
};

using Strings = std::vector<std::string>;

TEST_P(GenDbTest, ReadsColumnsByPositionWithEveryReader) {
  MakePatients();
  GenDB* db = Db();
  ASSERT_EQ(db->dbExecute("SELECT PAT_ID, PAT_PNAME, pat_lname, PAT_DOCTOR FROM PATIENT WHERE PAT_ID = 12", 117), 0)
      << db->LastError();
  ASSERT_EQ(db->dbFetch(0, 117), 0);
  long id = 0;
  short id_short = 0;
  char first[31];
  char doctor = 0;
  std::string last;
  EXPECT_EQ(db->dbGetLong(1, &id, 117), 0);
  EXPECT_EQ(db->dbGetShort(1, &id_short, 117), 0);
  EXPECT_EQ(db->dbGetString(2, first, sizeof first, 117), 0);
  EXPECT_EQ(db->dbGetField(3, &last, 117, false), 0);
  EXPECT_EQ(db->dbGetChar(4, &doctor, 117), 0);
  EXPECT_EQ(id, 12);
  EXPECT_EQ(id_short, 12);
  EXPECT_STREQ(first, "Marie");
  EXPECT_EQ(last, "Tremblay");
  EXPECT_EQ(doctor, 'D');
  EXPECT_NE(db->dbFetch(1, 117), 0);
  EXPECT_NE(db->dbFetch(1, 117), 0) << "stays at the end";
  EXPECT_EQ(db->dbClose(117), 0);
  EXPECT_EQ(db->LastError(), "");
}

TEST_P(GenDbTest, SameStatementTextsOnBothEngines) {
  MakePatients();
  MakeAudit(40);
  Exec("CREATE TABLE AUDHIS (AUDH_ID " + Db()->Dialect().BigIntType() + ", AUDH_DATE " +
       Db()->Dialect().BigIntType() + ")");
  Exec("INSERT INTO AUDHIS VALUES (1, 20250101)");
  Exec("INSERT INTO AUDHIS VALUES (2, 20260105)");
  struct Case {
    const char* name;
    const char* sql;
    Strings rows;
  };
  const Case cases[] = {
      {"count zero", "SELECT COUNT(0) FROM AUDITFIL WHERE AUD_DATE >= 20260120", {"9"}},
      {"count union",
       "SELECT COUNT(0) FROM AUDITFIL WHERE AUD_DATE >= 20260127 UNION  SELECT COUNT(0) FROM AUDHIS WHERE "
       "AUDH_DATE >= 20260101",
       {"1", "2"}},
      {"like prefix", "SELECT PAT_ID FROM PATIENT WHERE PAT_PNAME LIKE 'M%'", {"12"}},
      {"not equal", "SELECT PAT_ID FROM PATIENT WHERE PAT_DOCTOR != 'DR1'", {"13"}},
      {"digits as text", "SELECT AUD_ID FROM AUDITFIL WHERE AUD_FLD_NAME3 = '7'", {"7"}},
      {"group and order",
       "SELECT COUNT(0), PAT_DOCTOR from PATIENT WHERE PAT_ID > 0  group by PAT_DOCTOR  order by PAT_DOCTOR ",
       {"2|DR1", "1|DR2"}},
      {"empty text column", "SELECT PAT_ID, '' FROM PATIENT WHERE PAT_ID = 13", {"13|"}},
      {"trailing semicolon", "SELECT PAT_LNAME FROM PATIENT WHERE PAT_ID = 14;", {"Côté"}},
      {"no row", "SELECT PAT_ID FROM PATIENT WHERE PAT_ID = 99", {}},
  };
  for (const Case& c : cases) {
    Strings rows = Rows(c.sql);
    if (std::string(c.name) == "count union") std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, c.rows) << c.name;
  }
}

TEST_P(GenDbTest, NestedCursorsOnOneConnection) {
  MakeAudit(3000);  // several PostgreSQL batches
  MakePatients();
  GenDB* db = Db();
  ASSERT_EQ(db->dbExecute("SELECT AUD_ID, AUD_TYPE FROM AUDITFIL ORDER BY AUD_ID", 77), 0) << db->LastError();
  long rows = 0, sum = 0, found = 0, failed = 0;
  for (int r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    long id = 0;
    db->dbGetLong(1, &id, 77);
    ++rows;
    sum += id;
    char sql[160];
    std::snprintf(sql, sizeof sql, "SELECT pat_pname, pat_lname FROM %sPATIENT WHERE PAT_ID = %ld", db->dbPrefix(),
                  12 + id % 4);
    if (db->dbExecute(sql, 117) == 0 && db->dbFetch(0, 117) == 0) ++found;
    db->dbClose(117);
    if (id % 500 == 0) {
      // A failing look-up (a table this practice does not have) must not
      // disturb the outer loop.
      if (db->dbExecute("SELECT PATIENT2_FirstName FROM PATIENT2 WHERE patient2_autodec = 1", 117) != 0) ++failed;
      EXPECT_NE(db->dbFetch(0, 117), 0);
      db->dbClose(117);
    }
  }
  db->dbClose(77);
  EXPECT_EQ(rows, 3000);
  EXPECT_EQ(sum, 3000L * 3001 / 2);
  EXPECT_EQ(found, 2250);  // ids 12, 13, 14 exist; 15 does not
  EXPECT_EQ(failed, 6);
  EXPECT_EQ(Count("SELECT COUNT(0) FROM AUDITFIL"), 3000) << "the connection is usable afterwards";
}

// Single-row look-ups on cursor 117 inside the fetch loop of cursor 77, with
// and without the caller's transaction: one row, no row, several rows of
// which only the first is read, a failing statement. The outer rows come
// complete and in order, and the caller's write in the transaction is kept.
TEST_P(GenDbTest, LookUpsInsideAFetchLoop) {
  MakeAudit(3000);
  MakePatients();
  GenDB* db = Db();
  struct LookUp {
    const char* name;
    const char* sql;
    bool executes;      // dbExecute accepts it
    const char* first;  // first column of the first row; nullptr: no row
  };
  const LookUp lookups[] = {
      {"one row", "SELECT PAT_LNAME FROM PATIENT WHERE PAT_ID = 13", true, "O'Brien"},
      {"no row", "SELECT PAT_LNAME FROM PATIENT WHERE PAT_ID = 99", true, nullptr},
      {"several rows, first read", "SELECT AUD_ID FROM AUDITFIL WHERE AUD_ID > 2990 ORDER BY AUD_ID", true, "2991"},
      {"all 3000 rows, first read", "SELECT AUD_ID FROM AUDITFIL ORDER BY AUD_ID DESC", true, "3000"},
      {"missing table", "SELECT PAT_LNAME FROM NOSUCHTABLE WHERE PAT_ID = 1", false, nullptr},
      // Division by zero: an error on PostgreSQL (found when the look-up is
      // closed, inside the transaction's savepoint), NULL on SQLite.
      {"second row fails", "SELECT 10 / (2 - AUD_ID) FROM AUDITFIL WHERE AUD_ID <= 3", true, "10"},
  };
  for (const bool in_transaction : {false, true}) {
    SCOPED_TRACE(in_transaction ? "inside the caller's transaction" : "no transaction");
    Exec("DELETE FROM PATIENT WHERE PAT_ID >= 50");
    if (in_transaction) {
      ASSERT_EQ(db->dbBeginTransaction(), 0) << db->LastError();
    }
    ASSERT_EQ(db->dbExecute("SELECT AUD_ID, AUD_TYPE FROM AUDITFIL ORDER BY AUD_ID", 77), 0) << db->LastError();
    long expected_id = 1;
    int r;
    for (r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77), ++expected_id) {
      long id = 0;
      char type = 0;
      db->dbGetLong(1, &id, 77);
      ASSERT_EQ(id, expected_id);
      if (id % 250 != 0) continue;
      const LookUp& l = lookups[(id / 250) % std::size(lookups)];
      SCOPED_TRACE(l.name);
      EXPECT_EQ(db->dbExecute(l.sql, 117) == 0, l.executes) << db->LastError();
      const int f = db->dbFetch(0, 117);
      EXPECT_EQ(f == 0, l.first != nullptr) << db->LastError();
      std::string first;
      db->dbGetField(1, &first, 117, false);
      EXPECT_EQ(first, l.first != nullptr ? l.first : "");
      EXPECT_EQ(db->dbClose(117), 0);
      // The outer cursor's current row is still readable.
      db->dbGetLong(1, &id, 77);
      db->dbGetChar(2, &type, 77);
      EXPECT_EQ(id, expected_id);
      EXPECT_EQ(type, id % 2 == 0 ? 'P' : 'B');
      if (id == 1500) Exec("INSERT INTO PATIENT VALUES (50, 'In', 'Loop', 'DR1', NULL)");
    }
    EXPECT_EQ(r, 100) << db->LastError();
    EXPECT_EQ(expected_id, 3001);
    db->dbClose(77);
    if (in_transaction) {
      ASSERT_EQ(db->dbCommit(), 0) << db->LastError();
    }
    EXPECT_EQ(Rows("SELECT PAT_LNAME FROM PATIENT WHERE PAT_ID >= 50"), Strings{"Loop"});
  }
}

TEST_P(GenDbTest, ErrorWhileFetchingEndsOnlyThatCursor) {
  MakeAudit(2000);
  GenDB* db = Db();
  // Fails on row 700 (an integer overflow on both engines), after rows have
  // come. No ORDER BY: a sort would compute every
  // row before the first one comes; a fresh table is scanned in load order.
  const char* failing =
      "SELECT AUD_ID, CASE WHEN AUD_ID = 700 THEN abs(AUD_ID * 0 - 9223372036854775807 - 1) ELSE 0 END "
      "FROM AUDITFIL";
  ASSERT_EQ(db->dbExecute("SELECT AUD_ID FROM AUDITFIL ORDER BY AUD_ID", 77), 0);
  long outer = 0, inner_rows = 0;
  int inner_end = 0;
  for (int r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    if (++outer != 3) continue;
    ASSERT_EQ(db->dbExecute(failing, 117), 0) << db->LastError();
    for (inner_end = db->dbFetch(0, 117); inner_end == 0; inner_end = db->dbFetch(1, 117)) ++inner_rows;
    EXPECT_NE(db->LastError(), "");
    db->dbClose(117);
  }
  EXPECT_EQ(db->dbClose(77), 0) << db->LastError();
  EXPECT_LT(inner_end, 0);
  // Both engines hand out the 699 rows before the failure.
  EXPECT_EQ(inner_rows, 699);
  EXPECT_EQ(outer, 2000);
  // Alone, the same failure leaves the connection usable.
  ASSERT_EQ(db->dbExecute(failing, 77), 0) << db->LastError();
  while (db->dbFetch(1, 77) == 0) {
  }
  db->dbClose(77);
  EXPECT_EQ(Count("SELECT COUNT(0) FROM AUDITFIL"), 2000);
}

TEST_P(GenDbTest, SameTextOpenOnTwoCursors) {
  MakePatients();
  GenDB* db = Db();
  const char* sql = "SELECT PAT_ID FROM PATIENT ORDER BY PAT_ID";
  ASSERT_EQ(db->dbExecute(sql, 37), 0);
  Strings pairs;
  for (int r = db->dbFetch(0, 37); r == 0; r = db->dbFetch(1, 37)) {
    long outer = 0;
    db->dbGetLong(1, &outer, 37);
    ASSERT_EQ(db->dbExecute(sql, 50), 0);
    for (int s = db->dbFetch(0, 50); s == 0; s = db->dbFetch(1, 50)) {
      long inner = 0;
      db->dbGetLong(1, &inner, 50);
      if (inner == outer) pairs.push_back(std::to_string(inner));
    }
    db->dbClose(50);
  }
  db->dbClose(37);
  EXPECT_EQ(pairs, (Strings{"12", "13", "14"}));
}

TEST_P(GenDbTest, FetchModeZeroRestartsAndExecuteReplacesTheStatement) {
  MakeAudit(600);
  GenDB* db = Db();
  ASSERT_EQ(db->dbExecute("SELECT AUD_ID FROM AUDITFIL ORDER BY AUD_ID", 77), 0);
  long id = 0;
  for (int i = 0; i < 400; ++i) ASSERT_EQ(db->dbFetch(i == 0 ? 0 : 1, 77), 0);
  db->dbGetLong(1, &id, 77);
  EXPECT_EQ(id, 400);
  ASSERT_EQ(db->dbFetch(0, 77), 0);
  db->dbGetLong(1, &id, 77);
  EXPECT_EQ(id, 1) << "mode 0 reads the first row again";
  long count = 0;
  EXPECT_EQ(db->dbRowCount(&count, 77), 0) << db->LastError();
  EXPECT_EQ(count, 600);
  // A new statement on an open cursor replaces the old one.
  ASSERT_EQ(db->dbExecute("SELECT AUD_ID FROM AUDITFIL WHERE AUD_ID > 598 ORDER BY AUD_ID", 77), 0);
  Strings ids;
  for (int r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    db->dbGetLong(1, &id, 77);
    ids.push_back(std::to_string(id));
  }
  db->dbClose(77);
  EXPECT_EQ(ids, (Strings{"599", "600"}));
}

TEST_P(GenDbTest, StringCapacityAndUtf8Truncation) {
  MakePatients();
  GenDB* db = Db();
  ASSERT_EQ(db->dbExecute("SELECT PAT_PNAME FROM PATIENT WHERE PAT_ID = 14", 21), 0);  // "Éloïse"
  ASSERT_EQ(db->dbFetch(0, 21), 0);
  struct Case {
    int capacity;
    const char* expected;
  };
  // É and ï take two bytes: a cut never leaves half of one.
  const Case cases[] = {{1, ""}, {2, ""}, {3, "É"}, {4, "Él"}, {5, "Élo"}, {6, "Élo"}, {7, "Éloï"},
                        {8, "Éloïs"}, {9, "Éloïse"}, {64, "Éloïse"}};
  for (const Case& c : cases) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(db->dbGetString(1, buffer, c.capacity, 21), 0);
    EXPECT_STREQ(buffer, c.expected) << "capacity " << c.capacity;
  }
  char untouched[4] = {'x', 'y', 'z', '\0'};
  db->dbGetString(1, untouched, 0, 21);
  EXPECT_STREQ(untouched, "xyz") << "capacity 0 writes nothing";
  db->dbClose(21);
}

TEST_P(GenDbTest, NullsAndConversionsBetweenTextAndNumbers) {
  MakePatients();
  const SqlDialect& d = Db()->Dialect();
  Exec("CREATE TABLE MIXED (K " + d.IntType() + ", N " + d.BigIntType() + ", T " + d.TextType(20) + ")");
  Exec("INSERT INTO MIXED VALUES (1, NULL, NULL)");
  Exec("INSERT INTO MIXED VALUES (2, 123, '123')");
  Exec("INSERT INTO MIXED VALUES (3, -7, ' -7')");
  Exec("INSERT INTO MIXED VALUES (4, 70000, 'abc')");
  Exec("INSERT INTO MIXED VALUES (5, 20260115, '12.9')");
  struct Case {
    long number_as_long, text_as_long;
    short number_as_short;
    const char *number_as_text, *text_as_text;
    char text_first;
  };
  const Case expected[] = {
      {0, 0, 0, "", "", '\0'},
      {123, 123, 123, "123", "123", '1'},
      {-7, -7, -7, "-7", " -7", ' '},
      {70000, 0, 32767, "70000", "abc", 'a'},
      {20260115, 12, 32767, "20260115", "12.9", '1'},
  };
  GenDB* db = Db();
  ASSERT_EQ(db->dbExecute("SELECT N, T FROM MIXED ORDER BY K", 21), 0);
  int k = 0;
  for (int r = db->dbFetch(0, 21); r == 0; r = db->dbFetch(1, 21), ++k) {
    const Case& c = expected[k];
    long number = -1, text = -1;
    short number_short = -1;
    char number_text[24], text_text[24], first = 'z';
    EXPECT_EQ(db->dbGetLong(1, &number, 21), 0);
    EXPECT_EQ(db->dbGetLong(2, &text, 21), 0);
    EXPECT_EQ(db->dbGetShort(1, &number_short, 21), 0);
    EXPECT_EQ(db->dbGetString(1, number_text, sizeof number_text, 21), 0);
    EXPECT_EQ(db->dbGetString(2, text_text, sizeof text_text, 21), 0);
    EXPECT_EQ(db->dbGetChar(2, &first, 21), 0);
    EXPECT_EQ(number, c.number_as_long) << "row " << k;
    EXPECT_EQ(text, c.text_as_long) << "row " << k;
    EXPECT_EQ(number_short, c.number_as_short) << "row " << k;
    EXPECT_STREQ(number_text, c.number_as_text) << "row " << k;
    EXPECT_STREQ(text_text, c.text_as_text) << "row " << k;
    EXPECT_EQ(first, c.text_first) << "row " << k;
  }
  db->dbClose(21);
  EXPECT_EQ(k, 5);
  std::string note;
  ASSERT_EQ(db->dbExecute("SELECT PAT_NOTE FROM PATIENT WHERE PAT_ID = 12", 21), 0);
  ASSERT_EQ(db->dbFetch(0, 21), 0);
  EXPECT_EQ(db->dbGetField(1, &note, 21, true), 0);
  EXPECT_EQ(note, "");
  db->dbClose(21);
}

TEST_P(GenDbTest, ReadingWithoutARowYieldsZeroAndFails) {
  MakePatients();
  GenDB* db = Db();
  struct Case {
    const char* name;
    int column;
    int cursor;
  };
  ASSERT_EQ(db->dbExecute("SELECT PAT_ID, PAT_PNAME FROM PATIENT WHERE PAT_ID = 12", 21), 0);
  const Case before_fetch[] = {{"before the first fetch", 1, 21}, {"cursor never opened", 1, 99}};
  const Case on_row[] = {{"column 0", 0, 21}, {"column past the end", 3, 21}};
  auto expect_nothing = [&](const Case& c) {
    long n = 5;
    short s = 5;
    char ch = 'x';
    char text[8] = "xxx";
    std::string field = "xxx";
    EXPECT_NE(db->dbGetLong(c.column, &n, c.cursor), 0) << c.name;
    EXPECT_NE(db->dbGetShort(c.column, &s, c.cursor), 0) << c.name;
    EXPECT_NE(db->dbGetChar(c.column, &ch, c.cursor), 0) << c.name;
    EXPECT_NE(db->dbGetString(c.column, text, sizeof text, c.cursor), 0) << c.name;
    EXPECT_NE(db->dbGetField(c.column, &field, c.cursor, false), 0) << c.name;
    EXPECT_EQ(n, 0) << c.name;
    EXPECT_EQ(s, 0) << c.name;
    EXPECT_EQ(ch, '\0') << c.name;
    EXPECT_STREQ(text, "") << c.name;
    EXPECT_EQ(field, "") << c.name;
  };
  for (const Case& c : before_fetch) expect_nothing(c);
  ASSERT_EQ(db->dbFetch(0, 21), 0);
  for (const Case& c : on_row) expect_nothing(c);
  EXPECT_NE(db->dbFetch(1, 21), 0);
  expect_nothing({"after the last row", 1, 21});
  db->dbClose(21);
  expect_nothing({"after close", 1, 21});
  EXPECT_NE(db->dbFetch(0, 21), 0) << "fetch on a closed cursor";
}

TEST_P(GenDbTest, FailedStatementsReportAndLeaveTheConnectionUsable) {
  MakePatients();
  GenDB* db = Db();
  struct Case {
    const char* name;
    const char* sql;
  };
  const Case cases[] = {
      {"syntax", "SELEC PAT_ID FROM PATIENT"},
      {"missing table", "SELECT pat_pname FROM NOSUCHTABLE WHERE PAT_ID = 1"},
      {"missing column", "SELECT NOSUCHCOLUMN FROM PATIENT"},
      {"two statements", "SELECT 1; SELECT 2"},
      {"empty", "  ; "},
  };
  for (const Case& c : cases) {
    EXPECT_NE(db->dbExecute(c.sql, 21), 0) << c.name;
    EXPECT_NE(db->LastError(), "") << c.name;
    EXPECT_NE(db->dbFetch(0, 21), 0) << c.name;
    EXPECT_EQ(db->dbClose(21), 0) << c.name;
    EXPECT_EQ(Count("SELECT COUNT(0) FROM PATIENT"), 3) << c.name;
    EXPECT_EQ(db->LastError(), "") << c.name << ": a good statement clears the error";
  }
  EXPECT_NE(db->dbExecute(nullptr, 21), 0);
  if (OnPostgres()) {
    // COPY ... TO STDOUT yields no rows through a cursor; its data is dropped.
    EXPECT_EQ(db->dbExecute("COPY PATIENT TO STDOUT", 21), 0) << db->LastError();
    EXPECT_NE(db->dbFetch(0, 21), 0);
    db->dbClose(21);
    EXPECT_EQ(db->dbExec("COPY PATIENT TO STDOUT"), 0) << db->LastError();
    EXPECT_EQ(Count("SELECT COUNT(0) FROM PATIENT"), 3);
  }
  EXPECT_NE(db->dbExec("INSERT INTO NOSUCHTABLE VALUES (1)"), 0);
  EXPECT_NE(db->LastError(), "");
  EXPECT_EQ(db->dbExec("INSERT INTO PATIENT VALUES (15, 'A', 'B', 'DR3', NULL);"
                       "INSERT INTO PATIENT VALUES (16, 'C', 'D', 'DR3', NULL)"), 0)
      << "dbExec takes several statements: " << db->LastError();
  EXPECT_EQ(Count("SELECT COUNT(0) FROM PATIENT"), 5);
}

TEST_P(GenDbTest, WritesThroughExecuteRunAtOnce) {
  MakePatients();
  GenDB* db = Db();
  ASSERT_EQ(db->dbExecute("UPDATE PATIENT SET PAT_DOCTOR = 'DR9' WHERE PAT_ID = 12", 21), 0) << db->LastError();
  ASSERT_EQ(db->dbExecute("UPDATE PATIENT SET PAT_ID = PAT_ID + 100 WHERE PAT_ID = 13", 25), 0) << db->LastError();
  EXPECT_NE(db->dbFetch(0, 21), 0);
  EXPECT_NE(db->dbFetch(0, 25), 0);
  EXPECT_NE(db->dbFetch(0, 25), 0) << "fetching again does not run the write again";
  db->dbClose(21);
  db->dbClose(25);
  EXPECT_EQ(Rows("SELECT PAT_DOCTOR FROM PATIENT WHERE PAT_ID = 12"), Strings{"DR9"});
  EXPECT_EQ(Rows("SELECT PAT_ID FROM PATIENT WHERE PAT_ID > 100"), Strings{"113"});
}

TEST_P(GenDbTest, QuotedLiteralsFindTheRow) {
  MakePatients();
  Exec("INSERT INTO PATIENT VALUES (20, 'Back', " + SqlQuoted("C:\\dossier\\") + ", 'DR1', NULL)");
  struct Case {
    const char* value;
    Strings ids;
  };
  const Case cases[] = {{"O'Brien", {"13"}}, {"C:\\dossier\\", {"20"}}, {"x' OR '1'='1", {}}, {"Côté", {"14"}}};
  for (const Case& c : cases) {
    EXPECT_EQ(Rows("SELECT PAT_ID FROM PATIENT WHERE PAT_LNAME = " + SqlQuoted(c.value)), c.ids) << c.value;
    EXPECT_EQ(Rows("SELECT PAT_ID FROM PATIENT WHERE PAT_LNAME = '" + SqlEscaped(c.value) + "'"), c.ids) << c.value;
  }
}

TEST_P(GenDbTest, BulkLoadKeepsAwkwardTextsExactly) {
  const SqlDialect& d = Db()->Dialect();
  Exec("CREATE TABLE NOTES (ID " + d.BigIntType() + ", BODY " + d.TextType(0) + ")");
  const Strings texts = {"plain", "tab\there", "back\\slash\\", "line\nbreak\r\n", "quote ' and \"",
                         "accents éèàçÉ", "", "\\N", "\\.", " trailing  "};
  auto bulk = Db()->BeginBulk("NOTES", {"ID", "BODY"});
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_TRUE(bulk->AddRow({BulkCell::Int(static_cast<int64_t>(i) - 5), BulkCell::Text(texts[i])}));
  }
  ASSERT_TRUE(bulk->AddRow({BulkCell::Int(INT64_C(9000000000)), BulkCell::Text(std::string_view("nul\0byte", 8))}));
  ASSERT_TRUE(bulk->Finish()) << Db()->LastError();
  GenDB* db = Db();
  ASSERT_EQ(db->dbExecute("SELECT ID, BODY FROM NOTES ORDER BY ID", 21), 0);
  size_t i = 0;
  for (int r = db->dbFetch(0, 21); r == 0; r = db->dbFetch(1, 21), ++i) {
    long id = 0;
    std::string body;
    db->dbGetLong(1, &id, 21);
    db->dbGetField(2, &body, 21, false);
    if (i < texts.size()) {
      EXPECT_EQ(id, static_cast<long>(i) - 5);
      EXPECT_EQ(body, texts[i]) << "row " << i;
    } else {
      EXPECT_EQ(id, 9000000000L);
      EXPECT_TRUE(body == "nulbyte" || body == std::string("nul\0byte", 8)) << body;
    }
  }
  db->dbClose(21);
  EXPECT_EQ(i, texts.size() + 1);
}

TEST_P(GenDbTest, BulkLoadThatFailsKeepsNothing) {
  const SqlDialect& d = Db()->Dialect();
  Exec("CREATE TABLE NOTES (ID " + d.BigIntType() + " PRIMARY KEY, BODY " + d.TextType(0) + ")");
  {
    auto bulk = Db()->BeginBulk("NOTES", {"ID", "BODY"});
    EXPECT_TRUE(bulk->AddRow({BulkCell::Int(1), BulkCell::Text("a")}));
    EXPECT_FALSE(bulk->AddRow({BulkCell::Int(2)})) << "too few cells";
    EXPECT_FALSE(bulk->Finish());
    EXPECT_NE(Db()->LastError(), "");
  }
  {
    auto bulk = Db()->BeginBulk("NOTES", {"ID", "BODY"});
    bulk->AddRow({BulkCell::Int(1), BulkCell::Text("a")});
    bulk->AddRow({BulkCell::Int(1), BulkCell::Text("duplicate key")});
    EXPECT_FALSE(bulk->Finish());
  }
  {
    auto bulk = Db()->BeginBulk("NOTES", {"ID", "BODY"});
    bulk->AddRow({BulkCell::Int(1), BulkCell::Text("never finished")});
  }
  EXPECT_FALSE(Db()->BeginBulk("NOTES; DROP TABLE NOTES", {"ID"})->Finish());
  EXPECT_FALSE(Db()->BeginBulk("NOSUCHTABLE", {"ID"})->Finish());
  EXPECT_EQ(Count("SELECT COUNT(0) FROM NOTES"), 0);
}

TEST_P(GenDbTest, TransactionsCommitAndRollBack) {
  MakePatients();
  GenDB* db = Db();
  std::unique_ptr<GenDB> other = OpenAgain();
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(db->dbBeginTransaction(), 0) << db->LastError();
  Exec("INSERT INTO PATIENT VALUES (30, 'Temp', 'Orary', 'DR1', NULL)");
  EXPECT_NE(db->dbExec("INSERT INTO PATIENT VALUES (30, 'Dup', 'Key', 'DR1', NULL)"), 0);
  Exec("INSERT INTO PATIENT VALUES (31, 'After', 'Failure', 'DR1', NULL)");
  EXPECT_EQ(Count("SELECT COUNT(0) FROM PATIENT"), 5);
  ASSERT_EQ(db->dbRollback(), 0) << db->LastError();
  EXPECT_EQ(Count("SELECT COUNT(0) FROM PATIENT"), 3);

  ASSERT_EQ(db->dbBeginTransaction(), 0);
  EXPECT_NE(db->dbBeginTransaction(), 0) << "no nesting";
  Exec("INSERT INTO PATIENT VALUES (32, 'Kept', 'Row', 'DR1', NULL)");
  ASSERT_EQ(db->dbCommit(), 0) << db->LastError();
  EXPECT_EQ(Count(other.get(), "SELECT COUNT(0) FROM PATIENT"), 4) << "committed rows are seen elsewhere";
  EXPECT_NE(db->dbCommit(), 0) << "nothing to commit";
  EXPECT_NE(db->dbRollback(), 0) << "nothing to roll back";
}

TEST_P(GenDbTest, TransactionInsideAnOpenFetchLoop) {
  MakeAudit(1000);
  MakePatients();
  GenDB* db = Db();
  std::unique_ptr<GenDB> other = OpenAgain();
  ASSERT_EQ(db->dbExecute("SELECT AUD_ID FROM AUDITFIL ORDER BY AUD_ID", 77), 0);
  long rows = 0;
  for (int r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    ++rows;
    if (rows == 10) {
      ASSERT_EQ(db->dbBeginTransaction(), 0) << db->LastError();
      Exec("INSERT INTO PATIENT VALUES (40, 'Rolled', 'Back', 'DR1', NULL)");
      ASSERT_EQ(db->dbRollback(), 0) << db->LastError();
    }
    if (rows == 500) {
      ASSERT_EQ(db->dbBeginTransaction(), 0) << db->LastError();
      Exec("INSERT INTO PATIENT VALUES (41, 'Kept', 'Row', 'DR1', NULL)");
      ASSERT_EQ(db->dbCommit(), 0) << db->LastError();
    }
  }
  EXPECT_EQ(db->dbClose(77), 0) << db->LastError();
  EXPECT_EQ(rows, 1000);
  EXPECT_EQ(Rows("SELECT PAT_ID FROM PATIENT WHERE PAT_ID >= 40"), Strings{"41"});
  EXPECT_EQ(Count(other.get(), "SELECT COUNT(0) FROM PATIENT WHERE PAT_ID >= 40"), 1);
}

TEST_P(GenDbTest, TableExistsAndPrefix) {
  MakePatients();
  const SqlDialect& d = Db()->Dialect();
  EXPECT_EQ(Count(d.TableExistsSql("", "PATIENT")), 1);
  EXPECT_EQ(Count(d.TableExistsSql("", "GOALS")), 0);

  // A second owner: a schema on PostgreSQL, an attached database on SQLite.
  const std::string owner = "vtp_" + std::to_string(getpid()) + "_" + std::to_string(std::rand() % 100000);
  const std::string prefix = owner + ".";
  std::unique_ptr<GenDB> clinic;
  TempDir dir;
  if (OnPostgres()) {
    std::string error;
    EXPECT_EQ(OpenGenDB(Url(), prefix, false, &error), nullptr);
    EXPECT_NE(error.find(owner), std::string::npos) << error;
    clinic = OpenGenDB(Url(), prefix, true, &error);
    ASSERT_NE(clinic, nullptr) << error;
  } else {
    // The connection opens existing files only: create the clinic's first.
    std::string error;
    ASSERT_NE(OpenGenDB("sqlite:" + dir.File("clinic.db"), "", true, &error), nullptr) << error;
    clinic = OpenAgain(prefix);
    ASSERT_NE(clinic, nullptr);
    ASSERT_EQ(clinic->dbExec(("ATTACH DATABASE " + SqlQuoted(dir.File("clinic.db")) + " AS " + owner).c_str()), 0)
        << clinic->LastError();
  }
  EXPECT_STREQ(clinic->dbPrefix(), prefix.c_str());
  char sql[200];
  std::snprintf(sql, sizeof sql, "CREATE TABLE %sGOALS (GOAL_YEAR %s, GOAL_PROD %s)", clinic->dbPrefix(),
                d.IntType().c_str(), d.TextType(3).c_str());
  ASSERT_EQ(clinic->dbExec(sql), 0) << clinic->LastError();
  std::snprintf(sql, sizeof sql, "INSERT INTO %sGOALS VALUES (2026, 'DR1')", clinic->dbPrefix());
  ASSERT_EQ(clinic->dbExec(sql), 0) << clinic->LastError();
  std::snprintf(sql, sizeof sql, "SELECT GOAL_YEAR, GOAL_PROD FROM %sGOALS", clinic->dbPrefix());
  EXPECT_EQ(Rows(clinic.get(), sql), Strings{"2026|DR1"});
  EXPECT_EQ(Count(clinic.get(), d.TableExistsSql(clinic->dbPrefix(), "GOALS")), 1);
  EXPECT_EQ(Count(d.TableExistsSql("", "GOALS")), 0) << "the table went to the other owner";
  if (OnPostgres()) {
    EXPECT_EQ(clinic->dbExec(("DROP SCHEMA " + owner + " CASCADE").c_str()), 0);
  }
}

TEST_P(GenDbTest, LostServerEndsTheFetchLoop) {
  if (!OnPostgres()) GTEST_SKIP() << "a server going away only happens on PostgreSQL";
  MakeAudit(5000);
  GenDB* db = Db();
  long pid = 0;
  ASSERT_EQ(db->dbExecute("SELECT pg_backend_pid()", 21), 0);
  ASSERT_EQ(db->dbFetch(0, 21), 0);
  db->dbGetLong(1, &pid, 21);
  db->dbClose(21);
  std::unique_ptr<GenDB> killer = OpenAgain();
  ASSERT_NE(killer, nullptr);
  // 25 million rows: the server is still sending when it goes away.
  ASSERT_EQ(db->dbExecute("SELECT a.AUD_ID FROM AUDITFIL a, AUDITFIL b", 77), 0);
  long rows = 0;
  int r;
  for (r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    if (++rows == 1) {
      EXPECT_EQ(Count(killer.get(), "SELECT COUNT(0) FROM (SELECT pg_terminate_backend(" + std::to_string(pid) +
                                        ")) AS t"),
                1);
    }
  }
  EXPECT_LT(r, 0);
  EXPECT_LT(rows, 5000L * 5000);
  EXPECT_NE(db->LastError().find("perdue"), std::string::npos) << db->LastError();
  db->dbClose(77);
  EXPECT_EQ(Count("SELECT COUNT(0) FROM AUDITFIL"), 5000) << "reconnects: " << db->LastError();
}

// The server goes away while cursor 77's rows are coming; the next look-up
// on cursor 117 (a query, outside a transaction) is sent again on a new
// connection and answers, and cursor 77 hands out the rows it received, then
// ends with the loss.
TEST_P(GenDbTest, LostServerDuringALookUpInsideAFetchLoop) {
  if (!OnPostgres()) GTEST_SKIP() << "a server going away only happens on PostgreSQL";
  MakeAudit(5000);
  MakePatients();
  GenDB* db = Db();
  long pid = 0;
  ASSERT_EQ(db->dbExecute("SELECT pg_backend_pid()", 21), 0);
  ASSERT_EQ(db->dbFetch(0, 21), 0);
  db->dbGetLong(1, &pid, 21);
  db->dbClose(21);
  std::unique_ptr<GenDB> killer = OpenAgain();
  ASSERT_NE(killer, nullptr);
  ASSERT_EQ(db->dbExecute("SELECT a.AUD_ID FROM AUDITFIL a, AUDITFIL b", 77), 0);
  ASSERT_EQ(db->dbFetch(0, 77), 0);
  EXPECT_EQ(Count(killer.get(), "SELECT COUNT(0) FROM (SELECT pg_terminate_backend(" + std::to_string(pid) +
                                    ")) AS t"),
            1);
  std::string name;
  EXPECT_EQ(db->dbExecute("SELECT PAT_LNAME FROM PATIENT WHERE PAT_ID = 13", 117), 0) << db->LastError();
  EXPECT_EQ(db->dbFetch(0, 117), 0) << db->LastError();
  db->dbGetField(1, &name, 117, false);
  EXPECT_EQ(name, "O'Brien");
  db->dbClose(117);
  long rows = 1;
  int r;
  while ((r = db->dbFetch(1, 77)) == 0) ++rows;
  EXPECT_LT(r, 0);
  EXPECT_LT(rows, 5000L * 5000);
  EXPECT_NE(db->LastError().find("perdue"), std::string::npos) << db->LastError();
  db->dbClose(77);
}

// The server goes away inside the caller's transaction, between two writes
// meant to land together. The write after the loss is refused rather than
// run alone on a new connection (the one before it was rolled back by the
// server), and so is everything until the caller ends the transaction: the
// commit fails, a rollback succeeds, and the connection then comes back.
TEST_P(GenDbTest, LostServerInsideATransactionRefusesUntilItEnds) {
  if (!OnPostgres()) GTEST_SKIP() << "a server going away only happens on PostgreSQL";
  GenDB* db = Db();
  ASSERT_EQ(db->dbExec("CREATE TABLE PAIR (ID INTEGER)"), 0) << db->LastError();
  std::unique_ptr<GenDB> killer = OpenAgain();
  ASSERT_NE(killer, nullptr);
  for (bool commit : {true, false}) {
    SCOPED_TRACE(commit ? "the caller commits" : "the caller rolls back");
    db->ClearLostConnection();
    long pid = 0;
    ASSERT_EQ(db->dbExecute("SELECT pg_backend_pid()", 21), 0) << db->LastError();
    ASSERT_EQ(db->dbFetch(0, 21), 0);
    db->dbGetLong(1, &pid, 21);
    db->dbClose(21);
    ASSERT_EQ(db->dbBeginTransaction(), 0) << db->LastError();
    ASSERT_EQ(db->dbExec("INSERT INTO PAIR VALUES (1)"), 0) << db->LastError();
    EXPECT_EQ(Count(killer.get(), "SELECT COUNT(0) FROM (SELECT pg_terminate_backend(" + std::to_string(pid) +
                                      ")) AS t"),
              1);
    EXPECT_NE(db->dbExec("INSERT INTO PAIR VALUES (2)"), 0);
    EXPECT_NE(db->LastError().find("perdue"), std::string::npos) << db->LastError();
    EXPECT_NE(db->dbExecute("SELECT COUNT(0) FROM PAIR", 21), 0);
    EXPECT_NE(db->LastError().find("transaction en cours a été perdue"), std::string::npos) << db->LastError();
    db->dbClose(21);
    EXPECT_NE(db->dbBeginTransaction(), 0);  // not a new one on top of it
    if (commit) {
      EXPECT_NE(db->dbCommit(), 0);
      EXPECT_NE(db->LastError().find("rien n'en a été enregistré"), std::string::npos) << db->LastError();
    } else {
      EXPECT_EQ(db->dbRollback(), 0) << db->LastError();
    }
    EXPECT_NE(db->LostConnection(), "");
    EXPECT_EQ(Count("SELECT COUNT(0) FROM PAIR"), 0) << "reconnects: " << db->LastError();
  }
}

INSTANTIATE_DB_TEST(GenDbTest);

// --- opening -----------------------------------------------------------------

TEST(OpenGenDbTest, RejectsBadAddressesWithAMessage) {
  TempDir dir;
  {
    std::ofstream junk(dir.File("junk.db"));
    junk << "this is not a database, just text that is long enough to have a header.............";
  }
  struct Case {
    const char* name;
    std::string url;
    bool create;
  };
  const Case cases[] = {
      {"empty", "", true},
      {"unknown scheme", "mysql://localhost/db", true},
      {"sqlite without path", "sqlite:", true},
      {"missing file, no create", "sqlite:" + dir.File("missing.db"), false},
      {"missing folder", "sqlite:" + dir.File("no/such/folder/x.db"), true},
      {"not a database", "sqlite:" + dir.File("junk.db"), false},
      {"refused port", "postgresql://postgres@127.0.0.1:1/vantra_test", false},
      {"refused port, conninfo", "host=127.0.0.1 port=1 dbname=vantra_test connect_timeout=2", false},
      {"bad uri", "postgresql://[broken", false},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OpenGenDB(c.url, "", c.create, &error), nullptr) << c.name;
    EXPECT_NE(error, "") << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6)) << c.name;
  }
  EXPECT_NE(access(dir.File("missing.db").c_str(), F_OK), 0) << "not created without create_if_missing";
}

TEST(OpenGenDbTest, SqliteAddressForms) {
  TempDir dir;
  struct Case {
    std::string url;
    std::string shown;
  };
  const Case cases[] = {{"sqlite:" + dir.File("a.db"), "sqlite:" + dir.File("a.db")},
                        {"SQLITE://" + dir.File("b.db"), "sqlite:" + dir.File("b.db")},
                        {"sqlite::memory:", "sqlite::memory:"}};
  for (const Case& c : cases) {
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB(c.url, "", true, &error);
    ASSERT_NE(db, nullptr) << c.url << ": " << error;
    EXPECT_EQ(db->Url(), c.shown);
    EXPECT_EQ(db->Dialect().Engine(), DbEngine::kSqlite);
  }
}

}  // namespace
