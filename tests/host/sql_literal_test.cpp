// SQL text helpers: literal quoting, and how the database layer reads
// statement texts and column values (shared by both engines).
#include "host/sql_literal.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "host/gendb_text.h"

namespace {

using gendb_text::StatementShape;

TEST(SqlLiteralTest, QuotesAreDoubledAndNulDropped) {
  struct Case {
    const char* name;
    std::string value;
    const char* escaped;
  };
  const Case cases[] = {
      {"plain", "ADMIN", "ADMIN"},
      {"empty", "", ""},
      {"one quote", "O'Brien", "O''Brien"},
      {"quotes only", "''", "''''"},
      {"injection attempt", "x' OR '1'='1", "x'' OR ''1''=''1"},
      {"backslash kept", "C:\\dir\\", "C:\\dir\\"},
      {"accents", "Côté", "Côté"},
      {"nul dropped", std::string("a\0b", 3), "ab"},
      {"double quote kept", "say \"hi\"", "say \"hi\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SqlEscaped(c.value), c.escaped) << c.name;
    EXPECT_EQ(SqlQuoted(c.value), std::string("'") + c.escaped + "'") << c.name;
  }
}

TEST(GenDbTextTest, LeadingIntegerOfAText) {
  struct Case {
    std::string text;
    int64_t value;
  };
  const Case cases[] = {
      {"123", 123},
      {"", 0},
      {"abc", 0},
      {" 42", 42},
      {"-7", -7},
      {"+5", 5},
      {"12.9", 12},
      {"20260115", 20260115},
      {"7 jours", 7},
      {"-", 0},
      {"9223372036854775807", INT64_MAX},
      {"99999999999999999999", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"-99999999999999999999", INT64_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gendb_text::ParseLeadingInt(c.text.data(), c.text.size()), c.value) << "\"" << c.text << "\"";
  }
}

TEST(GenDbTextTest, CopyCutsOnCharacterBoundaries) {
  struct Case {
    const char* name;
    std::string text;
    int capacity;
    std::string expected;
  };
  const std::string euro = "\xE2\x82\xAC";        // three bytes
  const std::string clef = "\xF0\x9D\x84\x9E";    // four bytes
  const Case cases[] = {
      {"fits", "abc", 4, "abc"},
      {"cut ascii", "abcdef", 4, "abc"},
      {"capacity 1", "abc", 1, ""},
      {"two-byte split", "aé", 3, "a"},
      {"two-byte whole", "aé", 4, "aé"},
      {"three-byte split after 1", "a" + euro, 3, "a"},
      {"three-byte split after 2", "a" + euro, 4, "a"},
      {"three-byte whole", "a" + euro, 5, "a" + euro},
      {"four-byte split", "ab" + clef, 5, "ab"},
      {"four-byte whole", "ab" + clef, 7, "ab" + clef},
      {"latin-1 bytes cut plainly", "caf\xE9\xE9\xE9", 5, "caf\xE9"},
      {"stray continuation bytes cut plainly", "ab\x80\x80\x80\x80", 5, "ab\x80\x80"},
  };
  for (const Case& c : cases) {
    char buffer[16];
    gendb_text::CopyToBuffer(c.text.data(), c.text.size(), buffer, c.capacity);
    EXPECT_EQ(std::string(buffer), c.expected) << c.name;
  }
}

TEST(GenDbTextTest, StatementShape) {
  struct Case {
    const char* text;
    StatementShape shape;
    const char* body;
  };
  const Case cases[] = {
      {"SELECT 1", StatementShape::kSingle, "SELECT 1"},
      {"  SELECT 1 ;  ", StatementShape::kSingle, "SELECT 1"},
      {"SELECT 1;;", StatementShape::kSingle, "SELECT 1"},
      {"SELECT ';' FROM T", StatementShape::kSingle, "SELECT ';' FROM T"},
      {"SELECT 'it''s; fine'", StatementShape::kSingle, "SELECT 'it''s; fine'"},
      {"SELECT \"a;b\" FROM T", StatementShape::kSingle, "SELECT \"a;b\" FROM T"},
      {"SELECT 1 -- note; not a statement\n", StatementShape::kSingle, "SELECT 1 -- note; not a statement"},
      {"SELECT /* ; */ 1", StatementShape::kSingle, "SELECT /* ; */ 1"},
      {"SELECT 1; -- trailing comment", StatementShape::kSingle, "SELECT 1"},
      {"SELECT 1; SELECT 2", StatementShape::kSeveral, ""},
      {"", StatementShape::kEmpty, ""},
      {" ; ;", StatementShape::kEmpty, ""},
      {"-- only a comment", StatementShape::kEmpty, ""},
  };
  for (const Case& c : cases) {
    std::string_view body;
    EXPECT_EQ(gendb_text::SplitStatement(c.text, &body), c.shape) << c.text;
    if (c.shape == StatementShape::kSingle) {
      EXPECT_EQ(body, c.body) << c.text;
    }
  }
}

TEST(GenDbTextTest, QueriesAreToldFromOtherStatements) {
  struct Case {
    const char* text;
    bool query;
  };
  const Case cases[] = {
      {"SELECT 1", true},
      {"select 1", true},
      {"  (SELECT 1) UNION (SELECT 2)", true},
      {"/* note */ WITH a AS (SELECT 1) SELECT * FROM a", true},
      {"VALUES (1)", true},
      {"TABLE PATIENT", true},
      {"INSERT INTO T VALUES (1)", false},
      {"UPDATE T SET A = 1", false},
      {"CREATE TABLE T (A INTEGER)", false},
      {"SHOW search_path", false},
      {"SELECTED", false},
  };
  for (const Case& c : cases) EXPECT_EQ(gendb_text::IsQueryStatement(c.text), c.query) << c.text;
}

}  // namespace
