#include "suite/schema.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/test_db.h"

namespace {

class SchemaTest : public DbTest {};

// Reads one row of a statement that must yield one.
std::string FirstRowText(GenDB* db, const std::string& sql, int column) {
  std::string text;
  EXPECT_EQ(db->dbExecute(sql.c_str(), 21), 0) << db->LastError() << " [" << sql << "]";
  if (db->dbFetch(0, 21) == 0) db->dbGetField(column, &text, 21, false);
  db->dbClose(21);
  return text;
}

TEST_P(SchemaTest, CreateTwiceKeepsEveryTableEmptyAndIntact) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  for (const TableDef& t : SchemaTables()) {
    EXPECT_EQ(CountRows(Db(), t.name), 0) << t.name;
  }
  EXPECT_FALSE(SchemaHasData(Db()));
}

TEST_P(SchemaTest, EveryColumnCanBeSelectedByName) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  for (const TableDef& t : SchemaTables()) {
    std::string sql = "SELECT ";
    for (size_t i = 0; i < t.columns.size(); ++i) sql += (i ? ", " : "") + std::string(t.columns[i].name);
    sql += " FROM " + std::string(t.name);
    EXPECT_EQ(Db()->dbExecute(sql.c_str(), 21), 0) << t.name << ": " << Db()->LastError();
    Db()->dbClose(21);
  }
}

// The analyses read audit rows and goals by column position (SELECT *) and
// rely on empty texts and zero numbers where nothing was written.
TEST_P(SchemaTest, ColumnPositionsAndDefaults) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  Exec("INSERT INTO AUDHIS (AUDH_ID, AUDH_TYPE, AUDH_USER, AUDH_FLD_NAME3, AUDH_FLD_INFO3) "
       "VALUES (7, 'S', 'O''BRIEN', '1014', 'fin')");
  Exec("INSERT INTO PRODCD (PROD_ID) VALUES (1)");
  Exec("INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_JAN, GOAL_DEC) VALUES (3, 'D*', 2026, 100, 1200)");
  struct Case {
    const char* name;
    const char* sql;
    int column;
    const char* expected;
  } cases[] = {
      {"audit id", "SELECT * FROM AUDHIS", 1, "7"},
      {"audit type", "SELECT * FROM AUDHIS", 2, "S"},
      {"audit action default", "SELECT * FROM AUDHIS", 3, ""},
      {"audit record default", "SELECT * FROM AUDHIS", 4, "0"},
      {"audit user", "SELECT * FROM AUDHIS", 5, "O'BRIEN"},
      {"audit name 3", "SELECT * FROM AUDHIS", 10, "1014"},
      {"audit info 3", "SELECT * FROM AUDHIS", 13, "fin"},
      {"goal producer", "SELECT * FROM GOALS", 3, "D*"},
      {"goal year", "SELECT * FROM GOALS", 4, "2026"},
      {"goal january", "SELECT * FROM GOALS", 5, "100"},
      {"goal december", "SELECT * FROM GOALS", 16, "1200"},
      {"flag default", "SELECT PROD_INACTIVE, PROD_CODE FROM PRODCD", 1, "N"},
      {"text default", "SELECT PROD_INACTIVE, PROD_CODE FROM PRODCD", 2, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstRowText(Db(), c.sql, c.column), c.expected) << c.name;
  }
}

TEST_P(SchemaTest, DropRemovesEveryTable) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  Exec("INSERT INTO PATIENT (PAT_ID) VALUES (1)");
  EXPECT_TRUE(SchemaHasData(Db()));
  ASSERT_TRUE(DropSchema(Db(), &error)) << error;
  for (const TableDef& t : SchemaTables()) EXPECT_EQ(CountRows(Db(), t.name), -1) << t.name;
  EXPECT_FALSE(SchemaHasData(Db()));
}

TEST(SchemaTables, NamesAreUniqueAndKeysExist) {
  std::set<std::string> tables, indexes;
  for (const TableDef& t : SchemaTables()) {
    EXPECT_TRUE(tables.insert(t.name).second) << t.name;
    if (t.primary_key) {
      EXPECT_GE(t.ColumnIndex(t.primary_key), 0) << t.name;
    }
    for (const IndexDef& i : t.indexes) {
      EXPECT_TRUE(indexes.insert(i.name).second) << i.name;
      for (const char* c : i.columns) EXPECT_GE(t.ColumnIndex(c), 0) << i.name << " " << c;
    }
  }
  ASSERT_NE(FindSchemaTable("AUDITFIL"), nullptr);
  EXPECT_EQ(FindSchemaTable("AUDITFIL")->columns.size(), 13u);
  EXPECT_EQ(FindSchemaTable("NOPE"), nullptr);
}

INSTANTIATE_DB_TEST(SchemaTest);

}  // namespace
