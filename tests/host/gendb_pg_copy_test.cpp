// The PostgreSQL engine reads a plain SELECT through COPY (...) TO STDOUT:
// which statements go that way, how a line's values are decoded, and that a
// statement reads the same values whichever way it went.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/gendb_pg_rows.h"
#include "tests/support/test_db.h"

namespace {

TEST(PgCopyableQueryTest, OnlyStatementsCopyReadsAlike) {
  struct Case {
    const char* name;
    const char* statement;
    bool copyable;
  };
  const Case cases[] = {
      {"plain select", "SELECT AUD_ID, AUD_USER FROM AUDITFIL WHERE AUD_DATE >= 20260815", true},
      {"lower case", "select 1", true},
      {"comment before", "/* audit */ -- rows\nSELECT 1", true},
      {"comment at the end", "SELECT 1 -- the last line", true},
      {"nested comment", "SELECT 1 /* a /* b */ c ) */", true},
      {"parentheses in quotes", "SELECT ')' AS A, \"x(\" FROM T WHERE B IN (1, 2)", true},
      {"doubled quote", "SELECT 'O''Brien'", true},
      {"subquery", "SELECT A FROM (SELECT 1 AS A) S", true},
      {"a parenthesis closes early", "SELECT 1) TO '/tmp/x' --", false},
      {"a parenthesis left open", "SELECT (1", false},
      {"open quote", "SELECT 'abc", false},
      {"open comment", "SELECT 1 /* never closed", false},
      {"dollar quote", "SELECT $$a)$$", false},
      {"backslash in an E string", "SELECT E'\\')'", false},
      {"leading parenthesis", "(SELECT 1)", false},
      {"with", "WITH X AS (SELECT 1) SELECT * FROM X", false},
      {"values", "VALUES (1)", false},
      {"insert", "INSERT INTO T VALUES (1)", false},
      {"selected as a longer word", "SELECTED 1", false},
      {"empty", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(PgCopyableQuery(c.statement), c.copyable) << c.name;
}

TEST(PgAppendCopyValueTest, EscapesDecodeToTheStoredBytes) {
  struct Case {
    const char* name;
    std::string field, value;
  };
  const Case cases[] = {
      {"no escape", "Tremblay", "Tremblay"},
      {"tab and newline", "a\\tb\\nc", "a\tb\nc"},
      {"carriage return, backspace, form feed, vertical tab", "\\r\\b\\f\\v", "\r\b\f\v"},
      {"backslash", "back\\\\slash\\\\", "back\\slash\\"},
      {"backslash then N inside a value", "x\\\\N", "x\\N"},
      {"octal", "\\101\\0612", "A12"},
      {"hexadecimal", "\\x41\\x4a\\x7Z", "AJ\aZ"},
      {"x without digits", "\\xyz", "xyz"},
      {"other character", "\\q", "q"},
      {"lone backslash at the end", "abc\\", "abc\\"},
      {"utf-8 kept", "Éloïse \\t Côté", "Éloïse \t Côté"},
  };
  for (const Case& c : cases) {
    std::string out = "prefix:";
    PgAppendCopyValue(c.field, &out);
    EXPECT_EQ(out, "prefix:" + c.value) << c.name;
  }
}

class PgCopyReadTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (GetParam() != "postgres") GTEST_SKIP() << "COPY is the PostgreSQL engine's";
  }

  // Every row of sql, each value through dbGetField, columns joined by '|'.
  std::vector<std::string> Rows(const std::string& sql, int* columns = nullptr) {
    GenDB* db = Db();
    std::vector<std::string> rows;
    EXPECT_EQ(db->dbExecute(sql.c_str(), 21), 0) << sql << ": " << db->LastError();
    const int n = db->dbColumnCount(21);
    if (columns != nullptr) *columns = n;
    for (int r = db->dbFetch(0, 21); r == 0; r = db->dbFetch(1, 21)) {
      std::string row;
      for (int c = 1; c <= n; ++c) {
        std::string field;
        db->dbGetField(c, &field, 21, false);
        row += (c > 1 ? "|" : "") + field;
      }
      rows.push_back(row);
    }
    EXPECT_EQ(db->LastError(), "") << sql;
    db->dbClose(21);
    return rows;
  }
};

// A statement in parentheses is sent as it is (no COPY): both must read the
// same texts for every type the practice's statements meet.
TEST_P(PgCopyReadTest, CopyAndRowMessagesReadTheSameValues) {
  Exec("CREATE TABLE KINDS (K INTEGER, I BIGINT, S SMALLINT, T TEXT, V VARCHAR(20), C CHAR(4), "
       "F DOUBLE PRECISION, N NUMERIC(12,3), B BOOLEAN, D DATE, TS TIMESTAMP, BY BYTEA)");
  Exec("INSERT INTO KINDS VALUES (1, -9223372036854775808, -32768, 'tab\tnew\nline\r\\ back', "
       "'\\N', 'ab', 1.5e-7, -12.345, true, '2026-12-01', '2026-12-01 07:45:04.25', '\\x00ff5c')");
  Exec("INSERT INTO KINDS VALUES (2, NULL, NULL, NULL, '', NULL, NULL, NULL, false, NULL, NULL, NULL)");
  Exec("INSERT INTO KINDS VALUES (3, 9223372036854775807, 32767, 'Éloïse Côté', ' \\. ', '    ', "
       "-0.0, 0, NULL, '1950-01-01', NULL, '')");
  const std::string select = "SELECT K, I, S, T, V, C, F, N, B, D, TS, BY, NULL, '' FROM KINDS ORDER BY K";
  int columns = 0;
  const std::vector<std::string> copied = Rows(select, &columns);
  const std::vector<std::string> plain = Rows("(" + select + ")");
  EXPECT_EQ(columns, 14);
  ASSERT_EQ(copied.size(), 3u);
  EXPECT_EQ(copied, plain);
  EXPECT_EQ(copied[0].substr(0, copied[0].find("|1.5e-07")),
            "1|-9223372036854775808|-32768|tab\tnew\nline\r\\ back|\\N|ab  ");
}

TEST_P(PgCopyReadTest, StatementsCopyCannotCarryStillRun) {
  Exec("CREATE TABLE T (A INTEGER)");
  Exec("INSERT INTO T VALUES (1), (2), (3)");
  struct Case {
    const char* name;
    const char* statement;
    std::vector<std::string> rows;
    int columns;
  };
  const Case cases[] = {
      {"no row still has its columns", "SELECT A, A * 2 FROM T WHERE A > 5", {}, 2},
      {"a comment at the end", "SELECT A FROM T WHERE A = 2 -- only two", {"2"}, 1},
      {"row lock", "SELECT A FROM T WHERE A = 3 FOR UPDATE", {"3"}, 1},
      {"select into", "SELECT A INTO TEMP COPIED FROM T", {}, 0},
      {"what select into made", "SELECT COUNT(0) FROM COPIED", {"3"}, 1},
  };
  for (const Case& c : cases) {
    for (bool in_transaction : {false, true}) {
      if (in_transaction) {
        ASSERT_EQ(Db()->dbBeginTransaction(), 0) << Db()->LastError();
        if (std::string(c.name) == "select into") Exec("DROP TABLE COPIED");
      }
      int columns = -1;
      EXPECT_EQ(Rows(c.statement, &columns), c.rows) << c.name << (in_transaction ? ", in a transaction" : "");
      EXPECT_EQ(columns, c.columns) << c.name;
      if (in_transaction) {
        EXPECT_EQ(Db()->dbCommit(), 0) << c.name << ": " << Db()->LastError();
      }
    }
  }
}

INSTANTIATE_DB_TEST(PgCopyReadTest);

}  // namespace
