// Every analysis over the damaged practice (tests/support/damaged_practice.sql),
// on both engines and under the sanitizers: no statement fails, no message,
// and each list is the one the rules give. The comments of the SQL file say
// what each damaged row is; the comments here say which rows each list keeps
// and why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <map>
#include <string>
#include <vector>

#include "appt/appt_lines.h"
#include "appt/appt_generator.h"
#include "audit/audit_generator.h"
#include "goals/goal_editor.h"
#include "goals/goals_generator.h"
#include "host/application.h"
#include "host/list_window.h"
#include "bridge/appt_productivity_source.h"
#include "stats/stats_generator.h"
#include "suite/goal_info.h"
#include "suite/production_service.h"
#include "tests/support/damaged_practice.h"
#include "tests/support/test_db.h"

namespace {

using Rows = std::vector<std::string>;

// "item data|row text" per row.
Rows Lines(const QenListWindow& list) {
  Rows out;
  for (int r = 0; r < list.GetCount(); ++r) {
    out.push_back(std::to_string(list.GetItemData(r)) + "|" + std::string(list.GetString(r)));
  }
  return out;
}

// VANTRA_DAMAGED_PRINT=1 prints each list as C++ string literals.
void Print(const char* name, const Rows& rows) {
  if (std::getenv("VANTRA_DAMAGED_PRINT") == nullptr) return;
  std::printf("--- %s\n", name);
  for (const std::string& r : rows) {
    std::string quoted;
    for (char c : r) {
      if (c == '\t') {
        quoted += "\\t";
      } else if (c == '"' || c == '\\') {
        quoted += std::string("\\") + c;
      } else {
        quoted += c;
      }
    }
    std::printf("      \"%s\",\n", quoted.c_str());
  }
}

class DamagedPracticeTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    std::string error;
    ASSERT_TRUE(CreateDamagedPractice(Db(), DAMAGED_PRACTICE_SQL, &error)) << error;
    app_.SetDb(OpenAgain());
    InstallProductionService(&app_);
    QenApplication::SetInstance(&app_);
  }
  void TearDown() override {
    QenApplication::SetInstance(nullptr);
    app_.SetDb(nullptr);
    DbTest::TearDown();
  }
  GenDB* AppDb() { return app_.GetDb(); }

  Rows Audit(PracBaseGenerator* gen) {
    gen->SetDb(AppDb());
    QenListWindow list;
    gen->Generate(&list);
    EXPECT_EQ(gen->Outcome().message, "");
    return Lines(list);
  }

  QenApplication app_;
};

AuditOptions December() {
  AuditOptions o;
  o.from_date = 20261201;
  o.to_date = 20261231;
  o.all_users = 'Y';
  o.all_modules = 'Y';
  o.track_entry_exit = 'Y';
  o.source = 'B';
  return o;
}

TEST_P(DamagedPracticeTest, AuditDetailed) {
  AuditOptions o = December();
  o.AddSortKey(kKeyDate);
  PracDetailedGenerator gen(AppDb(), nullptr, &o);
  const Rows rows = Audit(&gen);
  Print("audit detailed", rows);
  // Every row of December in both tables but: 301 (no type: no module, so
  // no module keeps it), 305 (no date) and 306 (32 December): outside the
  // period. 102 has no user and no time (00:00:00 AM); 307's user is cut to
  // 9 bytes; 304's time 99:99:99 is shown as stored and sorts last of its
  // day; records that do not exist (302, 303, 212) have no name; patient 3's
  // names over their lengths are cut.
  EXPECT_EQ(rows, Rows({
      "210|2026-12-05 \t10:00:00 AM \tanne \t \tTransactions \tAjouter \t \t ",
      "212|2026-12-05 \t10:01:00 AM \tanne \t \tTransactions \tAjouter \t \t ",
      "213|2026-12-05 \t10:02:00 AM \tanne \t \tTransactions \tAjouter \t \t ",
      "214|2026-12-05 \t10:03:00 AM \tanne \tItems de Propositions \tPropositions de traitement \tAjouter \tPlan \tPaul Roy",
      "215|2026-12-05 \t10:04:00 AM \tanne \tItems de Propositions \tPropositions de traitement \tAjouter \tPlan \tPaul Roy",
      "102|2026-12-07 \t00:00:00 AM \t \tRendez-vous du patient \tAgenda \tAnnulé \t    \t ",
      "101|2026-12-07 \t10:00:00 AM \tanne \tRendez-vous du patient \tAgenda \t \tEXA ND0  12:07 \t ",
      "103|2026-12-07 \t10:05:00 AM \tanne \tRendez-vous du patient \tAgenda \tNon planifié \t UD0   \t ",
      "104|2026-12-07 \t10:10:00 AM \tanne \tRendez-vous du patient \tAgenda \tAnnulé \tEXA CD0  12:07 \t ",
      "105|2026-12-07 \t10:15:00 AM \tanne \tRendez-vous du patient \tAgenda \t \tEXA NZZ  12:07 \t ",
      "106|2026-12-08 \t09:00:00 AM \tanne \tRendez-vous du patient \tAgenda \t \tEXA ND0  12:08 \t ",
      "211|2026-12-12 \t10:00:00 AM \tanne \t \tTransactions \tÉditer \t \t ",
      "216|2026-12-13 \t10:00:00 AM \tanne \tItems de Propositions \tPropositions de traitement \tÉditer \tPlan \tPaul Roy",
      "302|2026-12-14 \t09:00:00 AM \tanne \t \tTransactions \tAjouter \t \t ",
      "303|2026-12-14 \t09:10:00 AM \tanne \tPatient \tPatients \tÉditer \tInfo Personnelle \t ",
      "307|2026-12-14 \t09:20:00 AM \tadministr \t \tRapports \tImpimer \t \t ",
      "304|2026-12-14 \t99:99:99 PM \tanne \t \tPatients \tAjouter \t \t ",
      "201|2026-12-20 \t10:00:00 AM \tanne \tPatient \tPatients \tÉditer \tStatut du patient modifié : I \tPaul Roy",
      "202|2026-12-20 \t10:01:00 AM \tanne \tPatient \tPatients \tÉditer \tStatut du patient modifié : C \t ",
      "203|2026-12-20 \t10:02:00 AM \tanne \tPatient \tPatients \tÉditer \tStatut du patient modifié :  \tPaul Roy",
      "204|2026-12-21 \t10:00:00 AM \tanne \tPatient \tPatients \tÉditer \tStatut du patient modifié : C \tUn nom beaucoup Dubé-Laframboi",
      "-1|Grand Total: 21\t \t21 \t \t21 \t21",
  }));
}

TEST_P(DamagedPracticeTest, AuditSummary) {
  AuditOptions o = December();
  o.AddSortKey(kKeyUser);
  o.AddSortKey(kKeyModule);
  o.subtotal[0] = 1;
  o.subtotal[2] = 1;
  PracSummaryGenerator gen(AppDb(), nullptr, &o);
  const Rows rows = Audit(&gen);
  Print("audit summary", rows);
  // The same 21 rows by user then module: the user without a name (102)
  // first, "administr", then anne's 19 in five modules.
  EXPECT_EQ(rows, Rows({
      "102|Tous \t \t \tAgenda \tTous \t1 ",
      "0| \t \t \t \t \t \t \t ",
      "-1|Total: \t \t1 \t1 \t \t1",
      "0| \t \t \t \t \t \t \t ",
      "307|Tous \t \tadministr \tRapports \tTous \t1 ",
      "0| \t \t \t \t \t \t \t ",
      "-1|Total: \t \t2 \t1 \t \t1",
      "0| \t \t \t \t \t \t \t ",
      "201|Tous \t \tanne \tPatients \tTous \t6 ",
      "0| \t \t \t \t \t \t \t ",
      "-1|Total: \t \t3 \t1 \t \t6",
      "0| \t \t \t \t \t \t \t ",
      "210|Tous \t \tanne \tTransactions \tTous \t5 ",
      "0| \t \t \t \t \t \t \t ",
      "-1|Total: \t \t4 \t1 \t \t5",
      "0| \t \t \t \t \t \t \t ",
      "101|Tous \t \tanne \tAgenda \tTous \t5 ",
      "0| \t \t \t \t \t \t \t ",
      "-1|Total: \t \t5 \t1 \t \t5",
      "0| \t \t \t \t \t \t \t ",
      "214|Tous \t \tanne \tPropositions de traitement \tTous \t3 ",
      "0| \t \t \t \t \t \t \t ",
      "-1|Total: \t \t6 \t1 \t \t3",
      "0| \t \t \t \t \t \t \t ",
      "-1|Grand Total: \t \t6 \t6 \t \t21",
  }));
}

TEST_P(DamagedPracticeTest, AuditHistory) {
  AuditOptions o;
  o.all_users = 'Y';
  o.all_modules = 'N';
  o.source = 'B';
  o.AddModule(20105);
  o.AddSortKey(kKeyDate);
  PracAuditGenerator gen(AppDb(), nullptr, &o, 1, 1);
  const Rows rows = Audit(&gen);
  Print("audit history", rows);
  // Patient 1, no period: the rows of record 1 that are not medical and
  // belong to the patient module (201, 203, 305, 306; the proposal rows
  // 214-216 of record 1 belong to another module). A date of NULL (0) sorts
  // first and a date that is no date (306) last; neither shows a date.
  EXPECT_EQ(rows, Rows({
      "305| \t09:00:00 AM \tanne \tPatient \tPatients \tÉditer \tInfo Personnelle",
      "201|2026-12-20 \t10:00:00 AM \tanne \tPatient \tPatients \tÉditer \tStatut du patient modifié : I",
      "203|2026-12-20 \t10:02:00 AM \tanne \tPatient \tPatients \tÉditer \tStatut du patient modifié : ",
      "306| \t09:00:00 AM \tanne \tPatient \tPatients \tÉditer \tInfo Personnelle",
      "-1|Grand Total: 4\t \t4 \t \t4 \t4",
  }));
}

PracApptSettings Productivity(char list_by, char report_by) {
  PracApptSettings s;
  s.DateFrom = 20261207;
  s.DateTo = 20261209;
  s.ListBy = list_by;
  s.ReportBy = report_by;
  s.AllProducers = list_by == 'P' ? 'N' : 'Y';
  s.AllChairs = 'Y';
  if (list_by == 'P') {
    CopyField(s.Producers[0], "D01");
    CopyField(s.Producers[1], "H01");
    CopyField(s.Producers[2], "ZZZ");
    s.SelectedCount = 3;
  } else {
    // Every chair by number, keys "%c%02hd" as the tab lists them: chair -5,
    // chair 2 without a location (" 02"), chair 5 of location 'AB' (read
    // 'A'), chair 1000 whose key is cut to its field ("A100": no chair).
    const char* keys[] = {"A-5", "A01", " 02", "A05", "A1000"};
    for (const char* key : keys) CopyField(s.Chairs[s.SelectedCount++], key);
  }
  s.TotalsColumn = 1;
  return s;
}

// Weekly, monthly and yearly, the damaged week is one period: its block
// holds the figures of the totals under the period's label, with the row
// kinds of its lines, then a blank line and the totals.
Rows OnePeriod(const std::string& label, const Rows& totals, const std::vector<int>& kinds) {
  Rows out;
  for (size_t i = 0; i < totals.size(); ++i) {
    std::string line = totals[i].substr(totals[i].find('|') + 1);
    if (i == 0) line = label + line.substr(std::string("Totaux").size());
    out.push_back(std::to_string(kinds[i]) + "|" + line);
  }
  out.push_back("0|");
  out.insert(out.end(), totals.begin(), totals.end());
  return out;
}

// D01, H01 and ZZZ, Monday 7 to Wednesday 9 December.
// Booked (D01): Monday 1 (6 slots), 3 (length -4: none), 4 (length 100000:
// the day's 240 slots, 20 h), 6 (chair 77, 3 slots) = 20.75 h in 4, fees
// $50 - $25 + $0 + $10 = $35; Tuesday 8 (6 slots at a negative time) and 9
// (2 slots) = 0.67 h in 2, $20; 10 (status 'b') and 11 (NULL removal date)
// are not booked; 5 is ZZZ's, which has no producer record and so no day.
// Available (D01): Monday 4 h (the block on chair -5 is on no chair of its
// schedule); Tuesday 0 (block ends before it starts); Wednesday 4 h (the
// block beyond the day, within the office's morning; the inverted closing
// is ignored). H01: its schedule has no chairs, so no time.
// Missed: 101 (no-show) and 104 (cancelled; its chair digits are letters)
// for D01 on Monday, 105 for ZZZ; 106 from the archive on Tuesday (the
// current table has nothing that day); 102 (no field info) and 103 (no
// appointment date in field info 1) count nowhere.
// Net fees: the completed treatments are on the 10th and 11th: $0.00.
const Rows kByProducerDaily = {
    "11|lun déc 07, 2026\tCéduler\t20.75H  (4)\t0\t0\t20.75H  (4)\t",
    "2| \tDisponible\t4.00H\t0.00H\t0.00H\t4.00H\t",
    "7| \tUsage %\t20.75H/4.00H  (518.75%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t20.75H/4.00H  (518.75%)\t",
    "6| \tEstimation\t$35.00     \t$0.00      \t$0.00      \t$35.00     \t",
    "8| \t Frais Net\t$0.00      \t$0.00      \t$0.00      \t$0.00      \t",
    "5| \tAbsence\t1\t0\t1\t2\t",
    "4| \tAnnuler\t1\t0\t0\t1\t",
    "3| \tNon Planifié\t0\t0\t0\t0\t",
    "11|mar déc 08, 2026\tCéduler\t0.67H  (2)\t0\t0\t0.67H  (2)\t",
    "2| \tDisponible\t0.00H\t0.00H\t0.00H\t0.00H\t",
    "7| \tUsage %\t0.67H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.67H/0.00H  (0.00%)\t",
    "6| \tEstimation\t$20.00     \t$0.00      \t$0.00      \t$20.00     \t",
    "8| \t Frais Net\t$0.00      \t$0.00      \t$0.00      \t$0.00      \t",
    "5| \tAbsence\t1\t0\t0\t1\t",
    "4| \tAnnuler\t0\t0\t0\t0\t",
    "3| \tNon Planifié\t0\t0\t0\t0\t",
    "11|mer déc 09, 2026\tCéduler\t0\t0\t0\t0\t",
    "2| \tDisponible\t4.00H\t0.00H\t0.00H\t4.00H\t",
    "7| \tUsage %\t0.00H/4.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/4.00H  (0.00%)\t",
    "6| \tEstimation\t$0.00      \t$0.00      \t$0.00      \t$0.00      \t",
    "8| \t Frais Net\t$0.00      \t$0.00      \t$0.00      \t$0.00      \t",
    "5| \tAbsence\t0\t0\t0\t0\t",
    "4| \tAnnuler\t0\t0\t0\t0\t",
    "3| \tNon Planifié\t0\t0\t0\t0\t",
    "0|",
    "0|Totaux\tCéduler\t21.42H  (6)\t0\t0\t21.42H  (6)\t",
    "0| \tDisponible\t8.00H\t0.00H\t0.00H\t8.00H\t",
    "0| \tUsage %\t21.42H/8.00H  (267.71%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t21.42H/8.00H  (267.71%)\t",
    "0| \tEstimation\t$55.00     \t$0.00      \t$0.00      \t$55.00     \t",
    "0| \t Frais Net\t$0.00      \t$0.00      \t$0.00      \t$0.00      \t",
    "0| \tAbsence\t2\t0\t1\t3\t",
    "0| \tAnnuler\t1\t0\t0\t1\t",
    "0| \tNon Planifié\t0\t0\t0\t0\t",
};
const Rows kProducerTotals = {
    "0|Totaux\tCéduler\t21.42H  (6)\t0\t0\t21.42H  (6)\t",
    "0| \tDisponible\t8.00H\t0.00H\t0.00H\t8.00H\t",
    "0| \tUsage %\t21.42H/8.00H  (267.71%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t21.42H/8.00H  (267.71%)\t",
    "0| \tEstimation\t$55.00     \t$0.00      \t$0.00      \t$55.00     \t",
    "0| \t Frais Net\t$0.00      \t$0.00      \t$0.00      \t$0.00      \t",
    "0| \tAbsence\t2\t0\t1\t3\t",
    "0| \tAnnuler\t1\t0\t0\t1\t",
    "0| \tNon Planifié\t0\t0\t0\t0\t",
};
const Rows kByProducerWeekly = OnePeriod("Semaine de : 6 déc. 2026", kProducerTotals, {11, 2, 7, 6, 8, 5, 4, 3});
const Rows kByProducerMonthly = OnePeriod("décembre 2026", kProducerTotals, {11, 2, 7, 6, 8, 5, 4, 3});
const Rows kByProducerYearly = OnePeriod("2026", kProducerTotals, {11, 2, 7, 6, 8, 5, 4, 3});

TEST_P(DamagedPracticeTest, ProductivityByProducerEachPeriod) {
  for (char report_by : {'D', 'W', 'M', 'Y'}) {
    SCOPED_TRACE(report_by);
    Rows both[2];
    for (int statements = 0; statements < 2; ++statements) {
      PracApptSettings s = Productivity('P', report_by);
      QenListWindow list(5111);
      SetUpApptColumns(&list, &s);
      PracApptGenerator gen(AppDb(), nullptr, 0, &s);
      gen.SetStatementReads(statements == 1);
      gen.Generate(&list);
      EXPECT_EQ(gen.Outcome().message, "");
      both[statements] = Lines(list);
    }
    EXPECT_EQ(both[0], both[1]) << "prefetched and one-statement reads";
    Print((std::string("productivity by producer ") + report_by).c_str(), both[0]);
    EXPECT_EQ(both[0], report_by == 'D'   ? kByProducerDaily
                       : report_by == 'W' ? kByProducerWeekly
                       : report_by == 'M' ? kByProducerMonthly
                                          : kByProducerYearly);
  }
}

// Every chair. A-5: D01's own chair, its Monday block 08:00-09:00 (1 h).
// A01: the appointments of chair 1 (ZZZ's 5 instead of D01's 6 on chair 77)
// and D01's time on it; its missed rows 101 and 105 (104's chair reads 0).
// " 02" (no location, NULL shared flag: shared): no producer has a block on
// it. A05 (location 'AB' read 'A', shared): H01's Monday block (a NULL
// schedule date reads 0: in force). A1000: the key is cut to "A100", no
// chair has it.
const Rows kByChairDaily = {
    "11|lun déc 07, 2026\tCéduler\t0\t20.75H  (4)\t0\t0\t0\t20.75H  (4)\t",
    "2| \tDisponible\t1.00H\t4.00H\t0.00H\t4.00H\t0.00H\t9.00H\t",
    "7| \tUsage %\t0.00H/1.00H  (0.00%)\t20.75H/4.00H  (518.75%)\t0.00H/0.00H  (0.00%)\t0.00H/4.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t20.75H/9.00H  (230.56%)\t",
    "6| \tEstimation\t$0.00      \t$35.00     \t$0.00      \t$0.00      \t$0.00      \t$35.00     \t",
    "5| \tAbsence\t0\t2\t0\t0\t0\t2\t",
    "4| \tAnnuler\t0\t0\t0\t0\t0\t0\t",
    "3| \tNon Planifié\t0\t0\t0\t0\t0\t0\t",
    "11|mar déc 08, 2026\tCéduler\t0\t0.67H  (2)\t0\t0\t0\t0.67H  (2)\t",
    "2| \tDisponible\t0.00H\t0.00H\t0.00H\t0.00H\t0.00H\t0.00H\t",
    "7| \tUsage %\t0.00H/0.00H  (0.00%)\t0.67H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.67H/0.00H  (0.00%)\t",
    "6| \tEstimation\t$0.00      \t$20.00     \t$0.00      \t$0.00      \t$0.00      \t$20.00     \t",
    "5| \tAbsence\t0\t1\t0\t0\t0\t1\t",
    "4| \tAnnuler\t0\t0\t0\t0\t0\t0\t",
    "3| \tNon Planifié\t0\t0\t0\t0\t0\t0\t",
    "11|mer déc 09, 2026\tCéduler\t0\t0\t0\t0\t0\t0\t",
    "2| \tDisponible\t0.00H\t4.00H\t0.00H\t0.00H\t0.00H\t4.00H\t",
    "7| \tUsage %\t0.00H/0.00H  (0.00%)\t0.00H/4.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t0.00H/4.00H  (0.00%)\t",
    "6| \tEstimation\t$0.00      \t$0.00      \t$0.00      \t$0.00      \t$0.00      \t$0.00      \t",
    "5| \tAbsence\t0\t0\t0\t0\t0\t0\t",
    "4| \tAnnuler\t0\t0\t0\t0\t0\t0\t",
    "3| \tNon Planifié\t0\t0\t0\t0\t0\t0\t",
    "0|",
    "0|Totaux\tCéduler\t0\t21.42H  (6)\t0\t0\t0\t21.42H  (6)\t",
    "0| \tDisponible\t1.00H\t8.00H\t0.00H\t4.00H\t0.00H\t13.00H\t",
    "0| \tUsage %\t0.00H/1.00H  (0.00%)\t21.42H/8.00H  (267.71%)\t0.00H/0.00H  (0.00%)\t0.00H/4.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t21.42H/13.00H  (164.74%)\t",
    "0| \tEstimation\t$0.00      \t$55.00     \t$0.00      \t$0.00      \t$0.00      \t$55.00     \t",
    "0| \tAbsence\t0\t3\t0\t0\t0\t3\t",
    "0| \tAnnuler\t0\t0\t0\t0\t0\t0\t",
    "0| \tNon Planifié\t0\t0\t0\t0\t0\t0\t",
};
const Rows kChairTotals = {
    "0|Totaux\tCéduler\t0\t21.42H  (6)\t0\t0\t0\t21.42H  (6)\t",
    "0| \tDisponible\t1.00H\t8.00H\t0.00H\t4.00H\t0.00H\t13.00H\t",
    "0| \tUsage %\t0.00H/1.00H  (0.00%)\t21.42H/8.00H  (267.71%)\t0.00H/0.00H  (0.00%)\t0.00H/4.00H  (0.00%)\t0.00H/0.00H  (0.00%)\t21.42H/13.00H  (164.74%)\t",
    "0| \tEstimation\t$0.00      \t$55.00     \t$0.00      \t$0.00      \t$0.00      \t$55.00     \t",
    "0| \tAbsence\t0\t3\t0\t0\t0\t3\t",
    "0| \tAnnuler\t0\t0\t0\t0\t0\t0\t",
    "0| \tNon Planifié\t0\t0\t0\t0\t0\t0\t",
};
const Rows kByChairWeekly = OnePeriod("Semaine de : 6 déc. 2026", kChairTotals, {11, 2, 7, 6, 5, 4, 3});
const Rows kByChairMonthly = OnePeriod("décembre 2026", kChairTotals, {11, 2, 7, 6, 5, 4, 3});
const Rows kByChairYearly = OnePeriod("2026", kChairTotals, {11, 2, 7, 6, 5, 4, 3});

TEST_P(DamagedPracticeTest, ProductivityByChairEachPeriod) {
  for (char report_by : {'D', 'W', 'M', 'Y'}) {
    SCOPED_TRACE(report_by);
    PracApptSettings s = Productivity('C', report_by);
    QenListWindow list(5111);
    SetUpApptColumns(&list, &s);
    PracApptGenerator gen(AppDb(), nullptr, 0, &s);
    gen.Generate(&list);
    EXPECT_EQ(gen.Outcome().message, "");
    Print((std::string("productivity by chair ") + report_by).c_str(), Lines(list));
    EXPECT_EQ(Lines(list), report_by == 'D'   ? kByChairDaily
                           : report_by == 'W' ? kByChairWeekly
                           : report_by == 'M' ? kByChairMonthly
                                              : kByChairYearly);
  }
}

TEST_P(DamagedPracticeTest, StatisticsEachListAndAll) {
  StatsSelection s;
  s.from = 20261201;
  s.to = 20261231;
  s.all_producers = 'Y';
  s.SetProducers(ActiveProducerCodes(AppDb()));
  s.fees_goal = 100000;
  ApptProductivitySource productivity(AppDb(), nullptr, 0);
  StatsContext context;
  context.db = AppDb();
  context.channel = app_.Channel();
  context.productivity = &productivity;
  StatsLists one, all;
  for (int list : kStatsPrintOrder) {
    SetUpStatsListColumns(&one.List(list), list);
    SetUpStatsListColumns(&all.List(list), list);
    const RunOutcome outcome = FillStatsList(list, s, context, &one);
    EXPECT_TRUE(outcome.Finished()) << outcome.message;
  }
  const RunOutcome outcome = FillAllStatsLists(s, context, &all);
  EXPECT_TRUE(outcome.Finished()) << outcome.message;
  const char* names[] = {"", "patients", "summary", "productivity", "acceptance"};
  // Patients: D01 new 1 (patient 1) + 1 (patient 3, doctor '0123' read
  // '01'), status changes 201 and 204 (202's patient does not exist, 203
  // has no status), active 1 and 7; D99 new 9; a row without a doctor
  // (patient 4). Not counted: 2 (NULL dates), 5 and 6 (dates that are no
  // dates), 8 (deleted at -1: not 0). The group without a doctor comes
  // where the engine sorts NULL: first on SQLite, last on PostgreSQL.
  const std::string no_doctor = "1| \t1\t0\t1\t1";
  Rows patients = {"1|D01 \t2\t2\t0\t2", "2|D99 \t1\t0\t1\t0"};
  if (GetParam() == "sqlite") {
    patients.insert(patients.begin(), no_doctor);
    patients[1][0] = '2';
    patients[2][0] = '3';
  } else {
    patients.push_back("3" + no_doctor.substr(1));
  }
  patients.insert(patients.end(), {"0|", "0|Total: \t4\t2\t2\t3"});
  const Rows expected[] = {
      {},
      patients,
      // Summary: D01 treatments 60 and 61 ($300 - $100; their NULL insurer
      // part reads 0), office charge -$25, adjustment -$30, fees $145,
      // payment $100; the payment of producer 'D0123' (a producer of its own
      // for the service, which reads codes whole); H01 (NULL inactive flag:
      // not marked inactive); D02 is inactive. Not counted: 62 (no
      // producer), 63 (no such producer), 64 (no date), 65 (NULL removal
      // date), 66 (no status), the office charge without producer.
      {
          "1|D01 \t$200.00 \t$25.00- \t$30.00- \t$145.00 \t$0.00 \t$0.00 \t$100.00- \t$45.00",
          "1|D0123 \t$0.00 \t$0.00 \t$0.00 \t$0.00 \t$0.00 \t$0.00 \t$20.00- \t$20.00-",
          "1|H01 \t$0.00 \t$0.00 \t$0.00 \t$0.00 \t$0.00 \t$0.00 \t$0.00 \t$0.00",
          "0|",
          "0|Total: \t$200.00 \t$25.00- \t$30.00- \t$145.00 \t$0.00 \t$0.00 \t$120.00- \t$25.00",
          "0|",
          "0|Objectif \t \t \t \t$1000.00 (14.50%) \t \t \t \t",
      },
      // Productivity, December: D01 booked as by producer (21.42 h in 6),
      // available Mondays and Wednesdays 4 h each (36 h), usage 59%; missed
      // 101, 104, 106; ZZZ's no-show 105 (every producer under "Tous").
      {
          "1|D01 \t21.42H  (6) \t36.00H \t21.42H/36.00H  (59.00%)\t3",
          "1|ZZZ \t0.00H  (0) \t0.00H \t0.00H/0.00H  (0.00%)\t1",
          "0|",
          "0|Total: \t21.42H  (6) \t36.00H \t21.42H/36.00H  (59.00%)\t4",
      },
      // Case acceptance: treatment 52 (no producer, no total) under a blank
      // producer; 50 created and started; 51 does not exist; proposal item
      // 60 (negative total) created and approved; 214's item is no number.
      {
          "0|Traitements Planifiés\t \tNouveau\t \tP->I/C",
          "0| \t \t1 \t$0.00 \t0 \t$0.00 \t0.00%",
          "0| \tD01 \t1 \t$120.00 \t1 \t$120.00 \t100.00%",
          "0|Total: \t \t2 \t$120.00 \t1 \t$120.00 \t50.00%",
          "0|",
          "0|",
          "0|Propositions\t \tNouveau\t \tApprouvé",
          "0| \tD01 \t1 \t$-50.00 \t1 \t$-50.00 \t100.00%",
          "0|Total: \t \t1 \t$-50.00 \t1 \t$-50.00 \t100.00%",
      }};
  for (int list : kStatsPrintOrder) {
    SCOPED_TRACE(names[list]);
    EXPECT_EQ(Lines(one.List(list)), Lines(all.List(list)));
    Print(names[list], Lines(all.List(list)));
    EXPECT_EQ(Lines(all.List(list)), expected[list]);
  }
}

TEST_P(DamagedPracticeTest, GoalsEachModeAndTheEditor) {
  std::vector<GoalsProducer> active;
  std::string error;
  ASSERT_TRUE(LoadActiveProducers(AppDb(), &active, &error)) << error;
  GoalsOptions o;
  std::snprintf(o.year, sizeof o.year, "2026");
  const std::vector<std::string> selected = SelectedGoalsProducers(o, active);
  EXPECT_EQ(ValidateGoalsReport(AppDb(), o, selected.size()), std::vector<int>());
  struct Mode {
    const char* name;
    char report_by;
    const char* comp_year;
    char totals_only;
  };
  const Mode modes[] = {{"monthly", 'M', "", 'N'}, {"quarterly", 'Q', "", 'N'},
                        {"comparison", 'M', "2025", 'N'}, {"totals only", 'M', "", 'Y'}};
  // D01 only (H01 has a NULL inactive flag: not an active producer; the
  // producers without a code are left out). December: fees $145.00 against
  // record 1's $500.00; record 4 ('D0123') is no producer's and is not read
  // as D01's; records 6 and 7 are of other years; the practice goal '*' is
  // beaten by the exact one.
  const std::map<std::string, Rows> expected = {
      {"monthly", {
          "1|D01 \t \t \t \t \t \t \t \t \t \t \t \t145.00/500 (29%) \t145.00/500 (29%)",
          "0|",
          "3|Total: \t \t \t \t \t \t \t \t \t \t \t \t145.00/500 (29%) \t145.00/500 (29%)",
      }},
      {"quarterly", {
          "1|D01 \t \t \t \t145.00/500 (29%) \t \t \t \t \t \t \t \t \t145.00/500 (29%)",
          "0|",
          "3|Total: \t \t \t \t145.00/500 (29%) \t \t \t \t \t \t \t \t \t145.00/500 (29%)",
      }},
      {"comparison", {
          "2|D01(2025) \t \t \t \t \t \t \t \t \t \t \t \t \t",
          "1|D01(2026) \t \t \t \t \t \t \t \t \t \t \t \t145.00/500 (29%) \t145.00/500 (29%)",
          "0|",
          "4|Total: 2025 \t \t \t \t \t \t \t \t \t \t \t \t \t",
          "3|Total: 2026 \t \t \t \t \t \t \t \t \t \t \t \t145.00/500 (29%) \t145.00/500 (29%)",
      }},
      {"totals only", {
          "3|Total: \t \t \t \t \t \t \t \t \t \t \t \t145.00/500 (29%) \t145.00/500 (29%)",
      }}};
  for (const Mode& m : modes) {
    SCOPED_TRACE(m.name);
    GoalsOptions mode = o;
    mode.report_by = m.report_by;
    if (m.report_by == 'Q') std::fill(std::begin(mode.q), std::end(mode.q), 'Y');
    std::snprintf(mode.comp_year, sizeof mode.comp_year, "%s", m.comp_year);
    mode.totals_only = m.totals_only;
    GoalsDisplay display;
    display.show_tot_col = 'Y';
    QenListWindow list(5111);
    SetGoalsColumns(&list, mode, true);
    const GoalsResult r =
        GenerateGoalsReport(AppDb(), mode, display, selected, ChannelProduction(&app_, nullptr), &list);
    EXPECT_EQ(r.outcome.message, "");
    Print(m.name, Lines(list));
    EXPECT_EQ(Lines(list), expected.at(m.name));
  }
  // The editor's list of each year (sorted: where a NULL producer comes is
  // the engine's), and the producers it offers. The editor reads record 4
  // cut to its field, as D01's; record 2's NULL year reads 0.
  const std::map<int, Rows> records_of = {
      {2026, {
          "1|D01|2026|0|0|0|0|0|0|0|0|0|0|0|50000",
          "3||2026|0|0|0|0|0|0|0|0|0|0|0|1000",
          "4|D01|2026|0|0|0|0|0|0|0|0|0|0|0|70000",
          "5|*|2026|-100|-100|-100|-100|-100|-100|-100|-100|-100|-100|-100|-100",
      }},
      {-2026, {
          "6|D01|-2026|0|0|0|0|0|0|0|0|0|0|0|30000",
      }},
      {20261, {
          "7|D01|20261|0|0|0|0|0|0|0|0|0|0|0|40000",
      }},
      {0, {
          "1|D01|2026|0|0|0|0|0|0|0|0|0|0|0|50000",
          "2|H01|0|0|0|0|0|0|0|0|0|0|0|0|0",
          "3||2026|0|0|0|0|0|0|0|0|0|0|0|1000",
          "4|D01|2026|0|0|0|0|0|0|0|0|0|0|0|70000",
          "5|*|2026|-100|-100|-100|-100|-100|-100|-100|-100|-100|-100|-100|-100",
          "6|D01|-2026|0|0|0|0|0|0|0|0|0|0|0|30000",
          "7|D01|20261|0|0|0|0|0|0|0|0|0|0|0|40000",
      }}};
  for (int year : {2026, -2026, 20261, 0}) {
    SCOPED_TRACE(year);
    std::vector<GoalInfo> records;
    ASSERT_TRUE(LoadGoalRecords(AppDb(), year, &records, &error)) << error;
    Rows rows;
    for (const GoalInfo& g : records) {
      std::string row = std::to_string(g.id) + "|" + g.producer + "|" + std::to_string(g.year);
      for (int32_t v : g.goals) row += "|" + std::to_string(v);
      rows.push_back(row);
    }
    Print("goal records", rows);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, records_of.at(year));
  }
  Rows codes;
  for (const std::string& c : LoadProducerCodes(AppDb())) codes.push_back(c);
  Print("editor producers", codes);
  // Every code of PRODCD, inactive ones too, whole; none for the two
  // producers without a code.
  EXPECT_EQ(codes, Rows({"D01", "D0123", "D02", "H01"}));
}

// The golden cases of the command line (tests/reliability/golden) make the
// same tables from schema.sql: the file must be the builder's statements.
// VANTRA_DAMAGED_WRITE_SCHEMA=1 rewrites it.
TEST(DamagedPracticeSchema, GoldenSchemaIsTheBuildersStatements) {
  std::string text =
      "-- The damaged practice's tables (tests/support/damaged_practice.h), for the\n"
      "-- golden cases of this folder; DamagedPracticeSchema.GoldenSchemaIsTheBuildersStatements\n"
      "-- checks that this is DamagedSchemaStatements().\n";
  for (const std::string& sql : DamagedSchemaStatements()) text += sql + ";\n";
  const std::string path = GOLDEN_SCHEMA_SQL;
  if (std::getenv("VANTRA_DAMAGED_WRITE_SCHEMA") != nullptr) std::ofstream(path, std::ios::binary) << text;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream file;
  file << in.rdbuf();
  EXPECT_EQ(file.str(), text);
}

INSTANTIATE_DB_TEST(DamagedPracticeTest);

}  // namespace
