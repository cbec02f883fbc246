// The group's total of each statistics list, from two or three clinics'
// figures: counts and amounts summed, ratios computed again from the sums,
// a dentist or producer of one clinic only, a clinic without rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/list_window.h"
#include "stats/stats_group.h"

namespace {

std::vector<std::string> Rows(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int r = 0; r < list.GetCount(); ++r) out.emplace_back(list.GetString(r));
  return out;
}

PatientCounts Doctor(const char* code, long fresh, long changes, long active, int first = 0) {
  PatientCounts d;
  d.doctor = code;
  d.new_patients = fresh;
  d.status_changes = changes;
  d.active_patients = active;
  d.first_statement = first;
  return d;
}

StatsProductivityFigure Figure(const char* key, long kind, long units, long minutes, long count) {
  return {key, kind, units, minutes, count};
}

CaseStats Counted(long group, const char* producer, long fresh, long new_amount, long accepted, long accepted_amount) {
  CaseStats r;
  r.category = group == kCaseGroupPlanned ? 10 : 1;
  r.action = 'A';
  r.group = group;
  std::snprintf(r.producer, sizeof r.producer, "%s", producer);
  r.new_count = fresh;
  r.new_amount = new_amount;
  r.accepted_count = accepted;
  r.accepted_amount = accepted_amount;
  return r;
}

StatsSummaryFigure Production(const char* code, long t1, long t3, long t5, long g2c) {
  StatsSummaryFigure f;
  f.producer = code;
  f.t1 = t1;
  f.t3 = t3;
  f.t5 = t5;
  f.g2c = g2c;
  return f;
}

StatsSummaryFigures Answered(std::vector<StatsSummaryFigure> rows, long goal) {
  StatsSummaryFigures s;
  s.answered = true;
  s.rows = std::move(rows);
  s.goal = goal;
  return s;
}

TEST(StatsGroupTotalTest, Rows) {
  struct Case {
    const char* name;
    int list;
    char units;
    std::vector<StatsFigures> clinics;
    std::vector<std::string> rows;
  };
  std::vector<Case> cases;

  {
    // D01 in both clinics (the first reads her among active patients, after
    // D02), D02 in the first only, D05 read only among the second clinic's
    // status changes: the dentists with new patients first, by code, then
    // D05, as one practice lists them.
    StatsFigures a, b;
    a.patients = {Doctor("02", 4, 1, 10), Doctor("01", 0, 0, 7, 1)};
    b.patients = {Doctor("01", 2, 4, 5), Doctor("05", 0, 2, 0, 2)};
    cases.push_back({"patients: counts summed per dentist, net from the sums",
                     kStatsPatients,
                     'H',
                     {a, b},
                     {"D01 \t2\t4\t-2\t12", "D02 \t4\t1\t3\t10", "D05 \t0\t2\t-2\t0", "", "Total: \t6\t7\t-1\t22"}});
  }
  {
    StatsFigures a, empty;
    a.patients = {Doctor("01", 3, 1, 8)};
    cases.push_back({"patients: a clinic without rows adds nothing",
                     kStatsPatients,
                     'H',
                     {empty, a, empty},
                     {"D01 \t3\t1\t2\t8", "", "Total: \t3\t1\t2\t8"}});
  }
  {
    // D01: 1.00H of 2.00H (50 %) and 1.50H of 1.67H (90 %): the group's
    // usage is 2.50H of 3.67H, 68 %, not the 70 % of the two percentages.
    // The first clinic's D01 has two booked elements: her row's count is
    // the last one's (3), the clinic's total adds both (5).
    StatsFigures a, b;
    a.productivity = {Figure("D01", 1, 4, 30, 2), Figure("D01", 1, 8, 30, 3), Figure("D01", 2, 24, 120, 0),
                      Figure("D01", 3, 0, 0, 1)};
    b.productivity = {Figure("D01", 1, 18, 90, 4), Figure("D01", 2, 20, 100, 0), Figure("H01", 1, 6, 30, 1),
                      Figure("H01", 2, 12, 60, 0), Figure("H01", 3, 0, 0, 2)};
    cases.push_back({"productivity: hours and counts summed, usage from the summed minutes",
                     kStatsProductivity,
                     'H',
                     {a, b},
                     {"D01 \t2.50H  (7) \t3.67H \t2.50H/3.67H  (68.00%)\t1",
                      "H01 \t0.50H  (1) \t1.00H \t0.50H/1.00H  (50.00%)\t2", "",
                      "Total: \t3.00H  (10) \t4.67H \t3.00H/4.67H  (64.00%)\t3"}});
    cases.push_back({"productivity: units summed in units mode",
                     kStatsProductivity,
                     'U',
                     {a, b},
                     {"D01 \t30U  (7) \t44U \t30U/44U  (68.00%)\t1", "H01 \t6U  (1) \t12U \t6U/12U  (50.00%)\t2", "",
                      "Total: \t36U  (10) \t56U \t36U/56U  (64.00%)\t3"}});
  }
  {
    StatsFigures none_a, none_b;
    cases.push_back({"productivity: no clinic with figures writes no row", kStatsProductivity, 'H', {none_a, none_b},
                     {}});
  }
  {
    // D01's planned treatments: 1 of 4 (25 %) and 1 of 1 (100 %): 2 of 5,
    // 40 %. D02's proposals come from the second clinic, D01's from the
    // third: the total lists D01 first, as one practice sorts them.
    StatsFigures a, b;
    a.acceptance = {Counted(kCaseGroupPlanned, "D01", 4, 40000, 1, 5000), Counted(kCaseGroupPlanned, "D02", 2, 3000, 0, 0)};
    b.acceptance = {Counted(kCaseGroupPlanned, "D01", 1, 10000, 1, 10000), Counted(kCaseGroupProposal, "D02", 1, 500, 1, 500)};
    StatsFigures c;
    c.acceptance = {Counted(kCaseGroupProposal, "D01", 2, 800, 1, 300)};
    cases.push_back({"acceptance: counts and amounts summed, acceptance from the sums",
                     kStatsAcceptance,
                     'H',
                     {a, b, c},
                     {"Traitements Planifiés\t \tNouveau\t \tP->I/C", " \tD01 \t5 \t$500.00 \t2 \t$150.00 \t40.00%",
                      " \tD02 \t2 \t$30.00 \t0 \t$0.00 \t0.00%", "Total: \t \t7 \t$530.00 \t2 \t$150.00 \t28.57%", "", "",
                      "Propositions\t \tNouveau\t \tApprouvé", " \tD01 \t2 \t$8.00 \t1 \t$3.00 \t50.00%",
                      " \tD02 \t1 \t$5.00 \t1 \t$5.00 \t100.00%", "Total: \t \t3 \t$13.00 \t2 \t$8.00 \t66.67%"}});
  }
  {
    StatsFigures a, empty;
    a.acceptance = {Counted(kCaseGroupProposal, "H01", 3, 900, 0, 0)};
    cases.push_back({"acceptance: proposals only, with a clinic without rows",
                     kStatsAcceptance,
                     'H',
                     {empty, a},
                     {"Propositions\t \tNouveau\t \tApprouvé", " \tH01 \t3 \t$9.00 \t0 \t$0.00 \t0.00%",
                      "Total: \t \t3 \t$9.00 \t0 \t$0.00 \t0.00%"}});
  }
  {
    // Fees $1000.00 and $100.00 against the monthly goal $500.00 in each:
    // $1100.00 of $1000.00. The third clinic's service did not answer: it
    // adds neither rows nor a goal. D09 works in the second clinic only.
    StatsFigures a, b, silent;
    a.summary = Answered({Production("D01", 60000, 10000, 100000, -30000)}, 50000);
    b.summary = Answered({Production("D01", 5000, 0, 4000, -1000), Production("D09", 6000, 0, 6000, 0)}, 50000);
    silent.summary.goal = 50000;
    cases.push_back({"summary: every column summed, goal and percentage from the sums",
                     kStatsSummary,
                     'H',
                     {a, b, silent},
                     {"D01 \t$750.00 \t$0.00 \t$0.00 \t$1040.00 \t$0.00 \t$0.00 \t$310.00- \t$730.00",
                      "D09 \t$60.00 \t$0.00 \t$0.00 \t$60.00 \t$0.00 \t$0.00 \t$0.00 \t$60.00", "",
                      "Total: \t$810.00 \t$0.00 \t$0.00 \t$1100.00 \t$0.00 \t$0.00 \t$310.00- \t$790.00", "",
                      "Objectif \t \t \t \t$1000.00 (110.00%) \t \t \t \t"}});
  }
  {
    StatsFigures a;
    a.summary = Answered({}, 0);
    StatsFigures b;
    b.summary = Answered({Production("H01", 100, 0, 100, 0)}, 0);
    cases.push_back({"summary: without a goal no goal row",
                     kStatsSummary,
                     'H',
                     {a, b},
                     {"H01 \t$1.00 \t$0.00 \t$0.00 \t$1.00 \t$0.00 \t$0.00 \t$0.00 \t$1.00", "",
                      "Total: \t$1.00 \t$0.00 \t$0.00 \t$1.00 \t$0.00 \t$0.00 \t$0.00 \t$1.00"}});
  }
  {
    StatsFigures a, b;
    cases.push_back({"summary: no clinic answered writes nothing", kStatsSummary, 'H', {a, b}, {}});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<const StatsFigures*> clinics;
    for (const StatsFigures& f : c.clinics) clinics.push_back(&f);
    QenListWindow list(0);
    list.AddString("left over", 0);
    WriteStatsGroupTotal(c.list, clinics, c.units, &list);
    EXPECT_EQ(Rows(list), c.rows);
  }
}

// The total's rows carry what each list's rows carry: the ordinal on the
// patients' rows, 1 on the productivity's and the summary's producers, a
// record of its category on every case-acceptance row but the blank ones.
TEST(StatsGroupTotalTest, ItemData) {
  StatsFigures a, b;
  a.patients = {Doctor("01", 1, 0, 1)};
  b.patients = {Doctor("02", 1, 0, 1)};
  a.acceptance = {Counted(kCaseGroupPlanned, "D01", 1, 100, 0, 0)};
  b.acceptance = {Counted(kCaseGroupPlanned, "D01", 1, 100, 1, 100)};
  const std::vector<const StatsFigures*> clinics = {&a, &b};

  QenListWindow patients(0);
  WriteStatsGroupTotal(kStatsPatients, clinics, 'H', &patients);
  ASSERT_EQ(patients.GetCount(), 4);
  EXPECT_EQ(patients.GetItemData(0), 1);
  EXPECT_EQ(patients.GetItemData(1), 2);
  EXPECT_EQ(patients.GetItemData(3), 0);

  QenListWindow acceptance(0);
  WriteStatsGroupTotal(kStatsAcceptance, clinics, 'H', &acceptance);
  std::vector<long> categories;
  for (int r = 0; r < acceptance.GetCount(); ++r) {
    const auto* e = dynamic_cast<const CaseStatsElem*>(acceptance.GetItemRecord(r));
    categories.push_back(e != nullptr ? e->rec.category : -1);
  }
  EXPECT_EQ(categories, (std::vector<long>{kCaseHeader, 10, kCaseTotal, -1}));
  const auto* detail = dynamic_cast<const CaseStatsElem*>(acceptance.GetItemRecord(1));
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->rec.new_count, 2);
  EXPECT_EQ(detail->rec.accepted_amount, 100);
}

}  // namespace
