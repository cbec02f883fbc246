// The exact statement texts of the generators.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audit/audit_generator.h"

namespace {

const char kCurrentColumns[] =
    "AUD_ID, AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_USER, AUD_DATE, AUD_TIME, AUD_FLD_NAME1, "
    "AUD_FLD_NAME2, AUD_FLD_NAME3, AUD_FLD_INFO1, AUD_FLD_INFO2, AUD_FLD_INFO3";
const char kArchivedColumns[] =
    "AUDH_ID, AUDH_TYPE, AUDH_ACTION, AUDH_RECID, AUDH_USER, AUDH_DATE, AUDH_TIME, "
    "AUDH_FLD_NAME1, AUDH_FLD_NAME2, AUDH_FLD_NAME3, AUDH_FLD_INFO1, AUDH_FLD_INFO2, "
    "AUDH_FLD_INFO3";

AuditOptions Options(char source, long from = 0, long to = 0) {
  AuditOptions o;
  o.source = source;
  o.from_date = from;
  o.to_date = to;
  return o;
}

struct Case {
  const char* name;
  AuditOptions options;
  std::string count;
  std::string rows;
};

TEST(Statements, Detailed) {
  AuditOptions users = Options('A', 20260101);
  users.all_users = 'N';
  users.AddUser("anne");
  users.AddUser("O'Brien");
  AuditOptions users_but_all = users;
  users_but_all.all_users = 'Y';
  AuditOptions no_first_user = Options('A');
  no_first_user.all_users = 'N';
  const std::string cur = kCurrentColumns, arc = kArchivedColumns;
  const std::vector<Case> cases = {
      {"current, nothing", Options('A'), "SELECT COUNT(0)  FROM AUDITFIL",
       "SELECT   " + cur + "  FROM AUDITFIL"},
      {"archived, from", Options('H', 20260101),
       "SELECT COUNT(0)  FROM AUDHIS WHERE  AUDH_DATE >= 20260101 ",
       "SELECT   " + arc + "  FROM AUDHIS WHERE  AUDH_DATE >= 20260101 "},
      {"current, to", Options('A', 0, 20261231),
       "SELECT COUNT(0)  FROM AUDITFIL WHERE  AUD_DATE <= 20261231 ",
       "SELECT   " + cur + "  FROM AUDITFIL WHERE  AUD_DATE <= 20261231 "},
      {"both, from and to", Options('B', 20260101, 20261231),
       "SELECT COUNT(0)  FROM AUDITFIL WHERE  AUD_DATE >= 20260101  AND  AUD_DATE <= 20261231 "
       " UNION  SELECT COUNT(0)  FROM AUDHIS WHERE  AUDH_DATE >= 20260101  AND  AUDH_DATE <= "
       "20261231 ",
       "SELECT   " + cur +
           "  FROM AUDITFIL WHERE  AUD_DATE >= 20260101  AND  AUD_DATE <= 20261231  UNION  "
           "SELECT  " + arc + "  FROM AUDHIS WHERE  AUDH_DATE >= 20260101  AND  AUDH_DATE <= 20261231 "},
      {"both, nothing", Options('B'),
       "SELECT COUNT(0)  FROM AUDITFIL UNION  SELECT COUNT(0)  FROM AUDHIS",
       "SELECT   " + cur + "  FROM AUDITFIL UNION  SELECT  " + arc + "  FROM AUDHIS"},
      {"users, quotes escaped", users,
       "SELECT COUNT(0)  FROM AUDITFIL WHERE  AUD_DATE >= 20260101  AND AUD_USER IN "
       "('anne','O''Brien') ",
       "SELECT   " + cur +
           "  FROM AUDITFIL WHERE  AUD_DATE >= 20260101  AND AUD_USER IN ('anne','O''Brien') "},
      {"all users ignores the list", users_but_all,
       "SELECT COUNT(0)  FROM AUDITFIL WHERE  AUD_DATE >= 20260101 ",
       "SELECT   " + cur + "  FROM AUDITFIL WHERE  AUD_DATE >= 20260101 "},
      {"empty first user", no_first_user, "SELECT COUNT(0)  FROM AUDITFIL",
       "SELECT   " + cur + "  FROM AUDITFIL"},
      {"unknown letter reads current", Options('Z'), "SELECT COUNT(0)  FROM AUDITFIL",
       "SELECT   " + cur + "  FROM AUDITFIL"},
  };
  for (Case c : cases) {
    PracDetailedGenerator gen(nullptr, nullptr, &c.options);
    EXPECT_EQ(gen.CountStatement(), c.count) << c.name;
    EXPECT_EQ(gen.RowStatement(), c.rows) << c.name;
  }
}

TEST(Statements, SummarySelectsSevenColumns) {
  AuditOptions o = Options('B');
  PracSummaryGenerator gen(nullptr, nullptr, &o);
  EXPECT_EQ(gen.RowStatement(),
            "SELECT   AUD_ID, AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_USER, AUD_DATE, AUD_TIME FROM "
            "AUDITFIL UNION  SELECT  AUDH_ID, AUDH_TYPE, AUDH_ACTION, AUDH_RECID, AUDH_USER, "
            "AUDH_DATE, AUDH_TIME FROM AUDHIS");
}

struct HistoryCase {
  const char* name;
  long module;
  long record_id;
  long account_id;
  AuditOptions options;
  char source;
  std::string from_where;
};

TEST(Statements, HistoryRecordConditions) {
  AuditOptions dated = Options('A', 20260101);
  dated.all_users = 'N';
  dated.AddUser("anne");
  const std::vector<HistoryCase> cases = {
      {"20105", 20105, 55, 0, Options('A'), 'A',
       " FROM AUDITFIL WHERE ((AUD_RECID = 55 AND  AUD_TYPE != 'M' )  OR (AUD_FLD_NAME3 = '1014' "
       "AND AUD_FLD_INFO1 = '55') )"},
      {"20105 with account", 20105, 55, 9, Options('A'), 'A',
       " FROM AUDITFIL WHERE ((AUD_RECID = 55 AND  AUD_TYPE != 'M' )  OR (AUD_FLD_NAME3 = '1014' "
       "AND AUD_FLD_INFO1 = '55') OR (AUD_RECID = 9 AND AUD_FLD_NAME1 = 'ACCOUNT'))"},
      {"20105 archived, dated, user", 20105, 55, 9, dated, 'H',
       " FROM AUDHIS WHERE  AUDH_DATE >= 20260101  AND AUDH_USER IN ('anne')  AND "
       "((AUDH_RECID = 55 AND  AUDH_TYPE != 'M' )  OR (AUDH_FLD_NAME3 = '1014' AND "
       "AUDH_FLD_INFO1 = '55') OR (AUDH_RECID = 9 AND AUDH_FLD_NAME1 = 'ACCOUNT'))"},
      {"20120", 20120, 55, 9, Options('A'), 'A',
       " FROM AUDITFIL WHERE (AUD_RECID = 55 AND ( AUD_FLD_NAME1='PATREFER' OR "
       "AUD_FLD_NAME1='REF' ))"},
      {"20160", 20160, 55, 0, Options('A'), 'A',
       " FROM AUDITFIL WHERE  ( ( AUD_RECID = 55 AND ( AUD_FLD_NAME1='PATMED' OR "
       "AUD_FLD_NAME1='PATPRMED' OR AUD_FLD_NAME1='PREMED' OR AUD_FLD_NAME1='PRESCRIP' ) ) OR ( "
       "AUD_FLD_NAME3 = '1014' AND AUD_FLD_INFO1 = '55' )) "},
      {"20160 dated", 20160, 55, 0, dated, 'A',
       " FROM AUDITFIL WHERE  AUD_DATE >= 20260101  AND AUD_USER IN ('anne')  AND  ( ( AUD_RECID "
       "= 55 AND ( AUD_FLD_NAME1='PATMED' OR AUD_FLD_NAME1='PATPRMED' OR AUD_FLD_NAME1='PREMED' "
       "OR AUD_FLD_NAME1='PRESCRIP' ) ) OR ( AUD_FLD_NAME3 = '1014' AND AUD_FLD_INFO1 = '55' )) "},
      {"other module", 2060, 55, 0, Options('A'), 'A', " FROM AUDITFIL"},
      {"record 0", 20105, 0, 9, Options('A'), 'A', " FROM AUDITFIL"},
  };
  for (HistoryCase c : cases) {
    c.options.all_modules = 'N';
    c.options.modules[0] = c.module;
    PracAuditGenerator gen(nullptr, nullptr, &c.options, c.record_id, c.account_id);
    EXPECT_EQ(gen.BuildFromWhere(c.source), c.from_where) << c.name;
  }
}

}  // namespace
