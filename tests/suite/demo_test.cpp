#include "suite/demo_db.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/dates.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20260315;

class DemoTest : public DbTest {
 protected:
  void Generate(uint64_t seed, DemoSummary* summary = nullptr) {
    DemoOptions options;
    options.seed = seed;
    options.today = kToday;
    DemoSummary local;
    std::string error;
    ASSERT_TRUE(GenerateDemoPractice(Db(), options, summary ? summary : &local, &error)) << error;
  }

  long Count(const std::string& sql) {
    long n = -1;
    EXPECT_EQ(Db()->dbExecute(sql.c_str(), 21), 0) << Db()->LastError() << " [" << sql << "]";
    if (Db()->dbFetch(0, 21) == 0) Db()->dbGetLong(1, &n, 21);
    Db()->dbClose(21);
    return n;
  }

  // FNV-1a over every cell of the table, rows in id order.
  uint64_t TableHash(const std::string& table) {
    const TableDef* def = FindSchemaTable(table);
    std::string sql = "SELECT * FROM " + table + " ORDER BY " + def->columns[0].name;
    uint64_t h = 1469598103934665603ULL;
    EXPECT_EQ(Db()->dbExecute(sql.c_str(), 21), 0) << Db()->LastError();
    std::string cell;
    for (int r = Db()->dbFetch(0, 21); r == 0; r = Db()->dbFetch(1, 21)) {
      for (size_t c = 1; c <= def->columns.size(); ++c) {
        Db()->dbGetField(static_cast<int>(c), &cell, 21, false);
        for (unsigned char ch : cell + '\t') h = (h ^ ch) * 1099511628211ULL;
      }
    }
    Db()->dbClose(21);
    return h;
  }

  std::string Fingerprint() {
    std::string out;
    for (const char* t : {"PATIENT", "PATAPT", "CLMTRT", "ACCPMT", "GOALS", "AUDHIS", "AUDITFIL"}) {
      out += std::string(t) + ":" + std::to_string(TableHash(t)) + " ";
    }
    return out;
  }
};

// Both audit tables as one, with short column names.
const char* const kAudit =
    "(SELECT AUD_TYPE T, AUD_ACTION A, AUD_RECID R, AUD_USER U, AUD_FLD_NAME1 N1, AUD_FLD_NAME2 N2, "
    "AUD_FLD_NAME3 N3, AUD_FLD_INFO1 I1, AUD_FLD_INFO2 I2, AUD_FLD_INFO3 I3 FROM AUDITFIL UNION ALL "
    "SELECT AUDH_TYPE, AUDH_ACTION, AUDH_RECID, AUDH_USER, AUDH_FLD_NAME1, AUDH_FLD_NAME2, AUDH_FLD_NAME3, "
    "AUDH_FLD_INFO1, AUDH_FLD_INFO2, AUDH_FLD_INFO3 FROM AUDHIS) X";

TEST_P(DemoTest, SameSeedSameRowsOtherSeedOtherRows) {
  std::string error;
  Generate(7);
  const std::string first = Fingerprint();
  ASSERT_TRUE(DropSchema(Db(), &error)) << error;
  Generate(7);
  EXPECT_EQ(Fingerprint(), first);
  ASSERT_TRUE(DropSchema(Db(), &error)) << error;
  Generate(8);
  const std::string other = Fingerprint();
  for (const char* t : {"PATIENT:", "PATAPT:", "AUDITFIL:"}) {
    EXPECT_NE(other.substr(other.find(t), 28), first.substr(first.find(t), 28)) << t;
  }
}

TEST_P(DemoTest, RefusesADatabaseThatHoldsData) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  Exec("INSERT INTO PATIENT (PAT_ID) VALUES (1)");
  DemoOptions options;
  options.today = kToday;
  DemoSummary summary;
  EXPECT_FALSE(GenerateDemoPractice(Db(), options, &summary, &error));
  EXPECT_NE(error.find("contient déjà"), std::string::npos) << error;
  EXPECT_EQ(Count("SELECT COUNT(0) FROM PATIENT"), 1);
}

TEST_P(DemoTest, SmallPracticeHoldsEveryKindOfRow) {
  DemoSummary summary;
  Generate(1, &summary);

  for (const TableDef& t : SchemaTables()) {
    EXPECT_GT(CountRows(Db(), t.name), 0) << t.name;
    EXPECT_EQ(summary.RowsOf(t.name), CountRows(Db(), t.name)) << t.name;
  }
  const long audit = summary.RowsOf("AUDITFIL") + summary.RowsOf("AUDHIS");
  EXPECT_GT(audit, 40000);
  EXPECT_LT(audit, 80000);

  for (char type : std::string("ABCDEFGHIJKLMNOPRSTUXY")) {
    EXPECT_GT(Count(std::string("SELECT COUNT(0) FROM AUDITFIL WHERE AUD_TYPE = '") + type + "'"), 0) << type;
    EXPECT_GT(Count(std::string("SELECT COUNT(0) FROM AUDHIS WHERE AUDH_TYPE = '") + type + "'"), 0) << type;
  }

  // Every case of field names that the audit descriptions tell apart.
  struct Case {
    const char* name;
    const char* where;
  } cases[] = {
      {"B account", "T = 'B' AND N1 = 'ACCOUNT'"},
      {"B employer", "T = 'B' AND N1 = 'EMPLOYER'"},
      {"B options", "T = 'B' AND N1 = 'OPTIONS'"},
      {"B patient employer", "T = 'B' AND N1 = 'PATEMP'"},
      {"B medical, alert", "T = 'B' AND N1 = 'PATMED' AND I1 != ''"},
      {"B medical, no alert", "T = 'B' AND N1 = 'PATMED' AND I1 = '' AND I2 != ''"},
      {"B prescription", "T = 'B' AND N1 = 'PRESCRIP' AND I3 != ''"},
      {"B responsible", "T = 'B' AND N1 = 'PATRESP' AND I1 = 'N'"},
      {"B personal info", "T = 'B' AND N1 = ''"},
      {"B premedication add. info", "T = 'B' AND N1 = 'PREMED' AND N2 = 'ADDINFO'"},
      {"B status, moved", "T = 'B' AND N1 = 'PATSTATUS' AND I2 = '1'"},
      {"B status, restored", "T = 'B' AND N1 = 'PATSTATUS' AND I2 = '2'"},
      {"B merge", "T = 'B' AND N1 = 'PATMERGE' AND I3 != ''"},
      {"B print", "T = 'B' AND A = 'P'"},
      {"C chart treatment", "T = 'C' AND N3 = '1014' AND I1 != ''"},
      {"D perio", "T = 'D' AND N3 = '1009'"},
      {"E log-on", "T = 'E' AND A = 'E' AND R = 1"},
      {"E log-off", "T = 'E' AND A = 'X' AND R = 1"},
      {"E failed log-on", "T = 'E' AND A = 'L'"},
      {"E opened", "T = 'E' AND A = 'O'"},
      {"E application", "T = 'E' AND R BETWEEN 2 AND 7"},
      {"E select patient", "T = 'E' AND R = 7 AND N3 != ''"},
      {"E module", "T = 'E' AND R > 7"},
      {"E this module", "T = 'E' AND R = 2535"},
      {"F form deleted", "T = 'F' AND A = 'D' AND (N3 = '' OR N3 = '0')"},
      {"F form with arrow", "T = 'F' AND A != 'D' AND N3 = '0' AND I2 != ''"},
      {"F chart answer", "T = 'F' AND N3 = '1003'"},
      {"F other table", "T = 'F' AND N3 = '1013'"},
      {"G patient referral", "T = 'G' AND N1 = 'PATREFER' AND I2 != ''"},
      {"G referrer", "T = 'G' AND N1 = 'REFSTAFF'"},
      {"G other", "T = 'G' AND N1 = 'REF'"},
      {"H payment plan", "T = 'H'"},
      {"I policy deleted", "T = 'I' AND N1 = 'EMPPOL' AND A = 'D'"},
      {"I policy of a patient", "T = 'I' AND N1 = 'EMPPOL' AND A != 'D' AND N3 != '0'"},
      {"I policy, no patient", "T = 'I' AND N1 = 'EMPPOL' AND A != 'D' AND N3 = '0'"},
      {"I dependant", "T = 'I' AND N1 = 'PATDEP'"},
      {"I family insurance", "T = 'I' AND N1 = 'FAMINS'"},
      {"I patient employer", "T = 'I' AND N1 = 'PATEMP'"},
      {"I employer", "T = 'I' AND N1 = 'EMPLOYER'"},
      {"I range borrowed", "T = 'I' AND N1 = 'POLRGE' AND N3 = 'ADDMANY'"},
      {"I range cleared", "T = 'I' AND N1 = 'POLRGE' AND N3 = 'CLEAR'"},
      {"I range, no title", "T = 'I' AND N1 = 'POLRGE' AND N3 = ''"},
      {"I other", "T = 'I' AND N1 = 'POLFIELD'"},
      {"J fee schedule", "T = 'J' AND N1 = 'FEESCH'"},
      {"J practice", "T = 'J' AND N1 = 'PRACTICE'"},
      {"J password", "T = 'J' AND N1 = 'PASSWORD'"},
      {"J other", "T = 'J' AND N1 = 'PRODCD'"},
      {"K tab", "T = 'K' AND N1 = 'DMTAB'"},
      {"K document", "T = 'K' AND N1 = 'DMDOC'"},
      {"L no report", "T = 'L' AND R = 0"},
      {"L report", "T = 'L' AND R = 7004"},
      {"L unknown report", "T = 'L' AND R = 9999"},
      {"L preview", "T = 'L' AND A = 'S'"},
      {"M vitals", "T = 'M' AND N3 = '113'"},
      {"M medical", "T = 'M' AND N1 = 'PATMED'"},
      {"M premedication", "T = 'M' AND N1 = 'PREMED'"},
      {"M chart alert", "T = 'M' AND N3 = '1002'"},
      {"N patient note", "T = 'N' AND N3 = '2'"},
      {"N claim note", "T = 'N' AND N3 = '16'"},
      {"N schedule note", "T = 'N' AND N3 = '25' AND N1 = 'SCH'"},
      {"N producer note", "T = 'N' AND N3 = '25' AND N1 != 'SCH'"},
      {"N user note", "T = 'N' AND N3 = '37'"},
      {"N treatment note", "T = 'N' AND N3 = '17' AND N1 = 'TXNOTE'"},
      {"N proposal note", "T = 'N' AND N3 = '86'"},
      {"N proposal item note", "T = 'N' AND N3 = '87'"},
      {"N chart note", "T = 'N' AND N3 = '1007' AND I1 = ''"},
      {"N chart note, info", "T = 'N' AND N3 = '1007' AND I1 != ''"},
      {"N referral note", "T = 'N' AND N1 = 'REFNOTE' AND R != 0"},
      {"N recall note", "T = 'N' AND N3 = '8'"},
      {"N no kind", "T = 'N' AND N3 = ''"},
      {"R recall", "T = 'R'"},
      {"S options", "T = 'S' AND N1 = 'OPTIONS'"},
      {"S producer chair", "T = 'S' AND N1 = 'APPTUTILS' AND R = 1"},
      {"S appointment", "T = 'S' AND N1 = 'PATAPT' AND A = 'A'"},
      {"S no-show, short layout", "T = 'S' AND A = 'N' AND LENGTH(I1) = 26"},
      {"S no-show, long layout", "T = 'S' AND A = 'N' AND LENGTH(I1) = 27"},
      {"S cancelled", "T = 'S' AND A = 'C'"},
      {"S unscheduled", "T = 'S' AND A = 'U'"},
      {"S deleted", "T = 'S' AND A = 'D'"},
      {"T options", "T = 'T' AND N1 = 'OPTIONS'"},
      {"T claim", "T = 'T' AND N1 = 'PATCLM'"},
      {"T pre-EOB", "T = 'T' AND N1 = 'PREDEOB' AND LENGTH(N2) = 19"},
      {"T pre-EOB, empty", "T = 'T' AND N1 = 'PREDEOB' AND N2 = ''"},
      {"T planned", "T = 'T' AND A = 'A' AND I1 = 'P' AND I3 != ''"},
      {"T started", "T = 'T' AND A = 'E' AND I1 = 'I' AND I3 = 'P'"},
      {"T done from plan", "T = 'T' AND A = 'E' AND I1 = 'C' AND I3 = 'P'"},
      {"T resubmitted", "T = 'T' AND A = 'R'"},
      {"U proposals purged", "T = 'U' AND N1 = 'TXPPURGE'"},
      {"U EDI responses purged", "T = 'U' AND N1 = 'RESPPURGE'"},
      {"U pending purged", "T = 'U' AND N1 = 'PENDPURGE'"},
      {"U EDI history purged", "T = 'U' AND N1 = 'HISTPURGE'"},
      {"U held payments", "T = 'U' AND N1 = 'TRXHELD'"},
      {"U insurance balances", "T = 'U' AND N1 = 'TRXINSBAL'"},
      {"U interest", "T = 'U' AND N1 = 'TRXINTCHG'"},
      {"U treatment status", "T = 'U' AND N1 = 'TRXSTATUS'"},
      {"U ortho plans", "T = 'U' AND N1 = 'TRXPPLN'"},
      {"U audit purge", "T = 'U' AND N1 = 'AUDPURGE' AND A = 'D'"},
      {"U fees 0", "T = 'U' AND N1 = 'FEESCH' AND R = 0"},
      {"U fees 1, percent", "T = 'U' AND N1 = 'FEESCH' AND R = 1 AND I2 != '3,5'"},
      {"U fees 1, not digits", "T = 'U' AND N1 = 'FEESCH' AND R = 1 AND I2 = '3,5'"},
      {"U fees 2", "T = 'U' AND N1 = 'FEESCH' AND R = 2"},
      {"U fees 3", "T = 'U' AND N1 = 'FEESCH' AND R = 3"},
      {"U fees 4", "T = 'U' AND N1 = 'FEESCH' AND R = 4"},
      {"U fees 5", "T = 'U' AND N1 = 'FEESCH' AND R = 5"},
      {"U fees 6", "T = 'U' AND N1 = 'FEESCH' AND R = 6"},
      {"U change dentist", "T = 'U' AND N1 = 'CHANGEDR' AND R = 0"},
      {"U change hygienist", "T = 'U' AND N1 = 'CHANGEDR' AND R = 1"},
      {"U merge policies", "T = 'U' AND N1 = 'MERGEPOL'"},
      {"U plans purged", "T = 'U' AND N1 = 'PLNPURGE'"},
      {"U notes purged", "T = 'U' AND N1 = 'NOTPURGE'"},
      {"U options", "T = 'U' AND N1 = 'OPTIONS'"},
      {"U other", "T = 'U' AND N1 = 'REINDEX'"},
      {"X item added", "T = 'X' AND A = 'A' AND I2 != ''"},
      {"X approved", "T = 'X' AND A = 'E' AND I1 = 'A' AND I3 = ''"},
      {"X approved after review", "T = 'X' AND A = 'E' AND I1 = 'A' AND I3 = 'I'"},
      {"X proposal edited", "T = 'X' AND I2 = ''"},
      {"Y code table", "T = 'Y' AND I2 != ''"},
      {"unknown letter", "T = 'Q'"},
      {"user with a quote", "U = 'O''BRIEN'"},
      {"no user", "U = ''"},
      {"full-length info", "LENGTH(I2) = 50"},
  };
  for (const Case& c : cases) {
    EXPECT_GT(Count(std::string("SELECT COUNT(0) FROM ") + kAudit + " WHERE " + c.where), 0) << c.name;
  }
}

TEST_P(DemoTest, AuditRowsNameRecordsThatExist) {
  Generate(1);
  struct Case {
    const char* name;
    const char* orphans;  // rows whose record is missing
  } cases[] = {
      {"payments", "T = 'P' AND R NOT IN (SELECT APMT_ID FROM ACCPMT WHERE APMT_KIND = 'P')"},
      {"adjustments", "T = 'A' AND R NOT IN (SELECT APMT_ID FROM ACCPMT WHERE APMT_KIND = 'A')"},
      {"office charges", "T = 'O' AND R NOT IN (SELECT POCH_ID FROM PATOCH)"},
      {"accounts", "T = 'B' AND N1 = 'ACCOUNT' AND R NOT IN (SELECT ACC_ID FROM ACCOUNT)"},
      {"patients", "T IN ('B', 'R', 'X') AND N1 NOT IN ('ACCOUNT', 'EMPLOYER', 'OPTIONS') AND U != '' "
                   "AND R NOT IN (SELECT PAT_ID FROM PATIENT)"},
      {"chart treatments", "T = 'C' AND R NOT IN (SELECT TREATME2_AUTODEC FROM TREATME2)"},
      {"chart treatment patients", "T = 'C' AND I1 NOT IN (SELECT CAST(PATIENT2_AUTODEC AS TEXT) FROM PATIENT2)"},
      {"perio", "T = 'D' AND R NOT IN (SELECT PERIOP2_AUTODEC FROM PERIOP2)"},
      {"chart answers", "T = 'F' AND N3 = '1003' AND R NOT IN (SELECT ANSWER2_AUTODEC FROM ANSWER2)"},
      {"forms", "T = 'F' AND A = 'D' AND N3 IN ('', '0') AND R NOT IN (SELECT PANS_ID FROM PATANS)"},
      {"referrers", "T = 'G' AND N1 = 'REFSTAFF' AND R NOT IN (SELECT REFCD_ID FROM REFERCD)"},
      {"payment plans", "T = 'H' AND R NOT IN (SELECT PPLN_ID FROM PATPPLN)"},
      {"documents", "T = 'K' AND N1 = 'DMDOC' AND R NOT IN (SELECT DDOC_ID FROM DMDOC)"},
      {"chart alerts", "T = 'M' AND N3 = '1002' AND R NOT IN (SELECT ALERTP2_AUTODEC FROM ALERTP2)"},
      {"appointments", "T = 'S' AND N1 = 'PATAPT' AND R NOT IN (SELECT PAPT_ID FROM PATAPT)"},
      {"claims", "T = 'T' AND N1 = 'PATCLM' AND R NOT IN (SELECT PCLM_ID FROM PATCLM)"},
      {"claim treatments", "T = 'T' AND N1 IN ('CLMTRT', 'PREDEOB') AND R NOT IN (SELECT CTRT_ID FROM CLMTRT)"},
      {"users", "T = 'N' AND N3 = '37' AND R NOT IN (SELECT USR_ID FROM USERIDCD)"},
      {"producers", "T = 'N' AND N3 = '25' AND N1 != 'SCH' AND R NOT IN (SELECT PROD_ID FROM PRODCD)"},
      {"policies", "T = 'U' AND N1 = 'MERGEPOL' AND R NOT IN (SELECT EPOL_ID FROM EMPPOL)"},
      {"proposal items", "T = 'X' AND I2 != '' AND I2 NOT IN (SELECT CAST(TTRT_ID AS TEXT) FROM TXPTRT)"},
      {"missed appointments keep their status",
       "T = 'S' AND A IN ('N', 'C', 'U') AND NOT EXISTS "
       "(SELECT 1 FROM PATAPT WHERE PAPT_ID = R AND PAPT_STATUS = A)"},
      {"log-on names", "U NOT IN (SELECT USER_LOGON FROM USERIDCD) AND U NOT IN ('', 'ANCIEN')"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Count(std::string("SELECT COUNT(0) FROM ") + kAudit + " WHERE " + c.orphans), 0) << c.name;
  }

  // Missed appointments read back, by the layout detection of the
  // productivity computation, as the appointment they name.
  const char* sql =
      "SELECT AUD_FLD_INFO1, AUD_FLD_INFO2, PAPT_STATUS, PAPT_PRODUCER, PAPT_LOC, PAPT_CHAIR, PAPT_DATE, "
      "PAPT_LENGTH, PAPT_TYPE, PAPT_CODE FROM AUDITFIL, PATAPT WHERE AUD_TYPE = 'S' "
      "AND AUD_ACTION IN ('N', 'C', 'U') AND PAPT_ID = AUD_RECID";
  ASSERT_EQ(Db()->dbExecute(sql, 21), 0) << Db()->LastError();
  int rows = 0, long_layout = 0;
  for (int r = Db()->dbFetch(0, 21); r == 0; r = Db()->dbFetch(1, 21), ++rows) {
    std::string info1, info2, status, producer, loc, type, code;
    long chair = 0, date = 0, length = 0;
    Db()->dbGetField(1, &info1, 21, false);
    Db()->dbGetField(2, &info2, 21, false);
    Db()->dbGetField(3, &status, 21, false);
    Db()->dbGetField(4, &producer, 21, false);
    Db()->dbGetField(5, &loc, 21, false);
    Db()->dbGetLong(6, &chair, 21);
    Db()->dbGetLong(7, &date, 21);
    Db()->dbGetLong(8, &length, 21);
    Db()->dbGetField(9, &type, 21, false);
    Db()->dbGetField(10, &code, 21, false);
    ASSERT_GE(info1.size(), 26u) << info1;
    size_t p = 7, chair_width = 2;
    if (!tavo_valid_date(std::stol(info1.substr(7, 8)))) {
      p = 8;
      chair_width = 3;
      ++long_layout;
    }
    EXPECT_EQ(info1.substr(0, 1), status) << info1;
    EXPECT_EQ(info1.substr(1, 3), (producer + "   ").substr(0, 3)) << info1;
    EXPECT_EQ(info1.substr(4, 1), loc) << info1;
    EXPECT_EQ(std::stol(info1.substr(5, chair_width)), chair) << info1;
    EXPECT_EQ(std::stol(info1.substr(p, 8)), date) << info1;
    EXPECT_EQ(std::stol(info1.substr(p + 12, 2)), length) << info1;
    EXPECT_EQ(info1.substr(p + 14, 3), (type + "   ").substr(0, 3)) << info1;
    EXPECT_EQ(info2.substr(0, 5), code.substr(0, 5)) << info1;
  }
  Db()->dbClose(21);
  EXPECT_GT(rows, 100);
  EXPECT_GT(long_layout, 0);
}

TEST_P(DemoTest, ScheduleGoalsAndProducersFitTheAnalyses) {
  Generate(1);
  struct Case {
    const char* name;
    const char* sql;
    long expected;  // -1: any positive count
  } cases[] = {
      {"one inactive producer", "SELECT COUNT(0) FROM PRODCD WHERE PROD_INACTIVE = 'Y'", 1},
      {"no appointment of the inactive producer after its last day",
       "SELECT COUNT(0) FROM PATAPT, PRODCD WHERE PAPT_PRODUCER = PROD_CODE AND PROD_INACTIVE = 'Y' "
       "AND PAPT_DATE > 20250601", 0},
      {"chairs in both locations", "SELECT COUNT(DISTINCT CHR_LOC) FROM CHAIR", 2},
      {"three-digit chairs", "SELECT COUNT(0) FROM CHAIR WHERE CHR_IDNO >= 100", -1},
      {"shared chairs", "SELECT COUNT(0) FROM CHAIR WHERE CHR_SHARED = 'Y'", -1},
      {"group goal", "SELECT COUNT(0) FROM GOALS WHERE GOAL_PROD = 'D*'", -1},
      {"practice goal", "SELECT COUNT(0) FROM GOALS WHERE GOAL_PROD = '*'", -1},
      {"no empty month in goals",
       "SELECT COUNT(0) FROM GOALS WHERE GOAL_JAN = 0 OR GOAL_FEB = 0 OR GOAL_MAR = 0 OR GOAL_APR = 0 "
       "OR GOAL_MAY = 0 OR GOAL_JUN = 0 OR GOAL_JUL = 0 OR GOAL_AUG = 0 OR GOAL_SEP = 0 OR GOAL_OCT = 0 "
       "OR GOAL_NOV = 0 OR GOAL_DEC = 0", 0},
      {"one goal per producer and year",
       "SELECT COUNT(0) FROM (SELECT GOAL_PROD, GOAL_YEAR FROM GOALS GROUP BY GOAL_PROD, GOAL_YEAR "
       "HAVING COUNT(0) > 1) D", 0},
      {"appointments ahead of today", "SELECT COUNT(0) FROM PATAPT WHERE PAPT_DATE > 20260315", -1},
      {"booked appointments in the last month",
       "SELECT COUNT(0) FROM PATAPT WHERE PAPT_STATUS = 'B' AND PAPT_DELDATE = 0 AND PAPT_DATE >= 20260215", -1},
      {"no appointment on Christmas", "SELECT COUNT(0) FROM PATAPT WHERE PAPT_DATE = 20251225", 0},
      {"no audit row after today", "SELECT COUNT(0) FROM AUDITFIL WHERE AUD_DATE > 20260315", 0},
      {"archive before the current table",
       "SELECT COUNT(0) FROM AUDHIS WHERE AUDH_DATE >= (SELECT MIN(AUD_DATE) FROM AUDITFIL)", 0},
      {"new patients in the last month",
       "SELECT COUNT(0) FROM PATIENT WHERE PAT_OPEN_DATE >= 20260215 AND PAT_DELETE_DATE = 0", -1},
      {"scheduler unit change", "SELECT COUNT(0) FROM SCHEDULR WHERE SCHD_UNIT != SCHD_OLD_UNIT", 1},
      {"completed treatments in the last month",
       "SELECT COUNT(0) FROM CLMTRT WHERE CTRT_STATUS = 'C' AND CTRT_DATE >= 20260215", -1},
  };
  for (const Case& c : cases) {
    const long n = Count(c.sql);
    if (c.expected < 0) {
      EXPECT_GT(n, 0) << c.name;
    } else {
      EXPECT_EQ(n, c.expected) << c.name;
    }
  }
}

TEST(DemoSize, Parse) {
  DemoSize size = DemoSize::kLarge;
  EXPECT_TRUE(ParseDemoSize("small", &size));
  EXPECT_EQ(size, DemoSize::kSmall);
  EXPECT_TRUE(ParseDemoSize("large", &size));
  EXPECT_EQ(size, DemoSize::kLarge);
  EXPECT_FALSE(ParseDemoSize("medium", &size));
  EXPECT_FALSE(ParseDemoSize("", &size));
}

INSTANTIATE_DB_TEST(DemoTest);

}  // namespace
