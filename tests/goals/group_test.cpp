// The goals report of a dental group: the total made from the clinics'
// figures (sums of production and of goals, percentages worked out again),
// the group's checks, and one clinic's run on its own connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "goals/goals_group.h"
#include "host/list_window.h"
#include "host/prodanal.h"
#include "host/tdlist.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

GoalsEntry Entry(const std::string& code, int year, std::vector<long> production, std::vector<long> goal) {
  GoalsEntry e;
  e.producer = code;
  e.year = year;
  e.production = std::move(production);
  e.goal = std::move(goal);
  return e;
}

GoalsClinicRun Clinic(std::vector<GoalsEntry> entries) {
  GoalsClinicRun c;
  c.entries = std::move(entries);
  std::sort(c.entries.begin(), c.entries.end(), GoalsEntryLess);
  return c;
}

// Options: the report year 2026, months January and February, or quarters
// when quarters is given ("YYNN").
GoalsOptions Options(const char* quarters = nullptr, const char* comp_year = "") {
  GoalsOptions o;
  std::strcpy(o.year, "2026");
  std::strcpy(o.comp_year, comp_year);
  std::fill(std::begin(o.month), std::end(o.month), 'N');
  o.month[0] = o.month[1] = 'Y';
  if (quarters != nullptr) {
    o.report_by = 'Q';
    std::memcpy(o.q, quarters, 4);
  }
  return o;
}

std::vector<std::string> Rows(const QenListWindow& list) {
  std::vector<std::string> rows;
  for (int i = 0; i < list.GetCount(); ++i) {
    rows.push_back(std::to_string(list.GetItemData(i)) + "|" + std::string(list.GetString(i)));
  }
  return rows;
}

struct TotalCase {
  const char* name;
  GoalsOptions options;
  GoalsDisplay display;
  std::vector<GoalsClinicRun> clinics;
  std::vector<std::string> rows;  // the total's list: item data | row
};

GoalsDisplay WithTotalColumn() {
  GoalsDisplay d;
  d.show_tot_col = 'Y';
  return d;
}

GoalsOptions TotalsOnly(GoalsOptions o) {
  o.totals_only = 'Y';
  return o;
}

void PrintTo(const TotalCase& c, std::ostream* os) { *os << c.name; }

class GoalsGroupTotal : public ::testing::TestWithParam<TotalCase> {};

TEST_P(GoalsGroupTotal, RowsFromSummedFigures) {
  const TotalCase& c = GetParam();
  QenListWindow list(kGoalsListId);
  const std::vector<GoalsEntry> entries = WriteGoalsGroupTotal(c.clinics, c.options, c.display, &list);
  EXPECT_EQ(Rows(list), c.rows);
  // The total's entries hold what the clinics' cells show, every figure
  // once: the production of each period that has a goal there.
  long shown = 0, summed = 0;
  for (const GoalsClinicRun& clinic : c.clinics) {
    for (const GoalsEntry& e : clinic.entries) {
      for (size_t i = 0; i < e.production.size() && i < e.goal.size(); ++i) shown += e.goal[i] >= 1 ? e.production[i] : 0;
    }
  }
  for (const GoalsEntry& e : entries) {
    for (long p : e.production) summed += p;
  }
  EXPECT_EQ(summed, shown);
}

// A group of one clinic shows that clinic's own list, line for line.
TEST_P(GoalsGroupTotal, GroupOfOneIsTheClinic) {
  const TotalCase& c = GetParam();
  for (size_t k = 0; k < c.clinics.size(); ++k) {
    SCOPED_TRACE("clinic " + std::to_string(k + 1));
    QenListWindow alone(kGoalsListId), own(kGoalsListId);
    WriteGoalsGroupTotal({c.clinics[k]}, c.options, c.display, &alone);
    WriteGoalsRows(c.clinics[k].entries, c.options, c.display, &own);
    EXPECT_EQ(Rows(alone), Rows(own));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GoalsGroupTotal,
    ::testing::Values(
        // 123456 + 40000 = 163456 against 100000 + 50000 = 150000: 108.97 %,
        // shown 109 % (the mean of 123 % and 80 % would be 102 %).
        TotalCase{"summed_production_and_goals",
                  Options(),
                  GoalsDisplay(),
                  {Clinic({Entry("D01", 2026, {123456, 80000}, {100000, 100000})}),
                   Clinic({Entry("D01", 2026, {40000, 0}, {50000, 50000})})},
                  {"1|D01 \t1634.56/1500 (109%) \t800.00/1500 (53%)", "0|",
                   "3|Total: \t1634.56/1500 (109%) \t800.00/1500 (53%)"}},
        // D09 exists in the second clinic only: its own figures, in code order.
        TotalCase{"producer_in_one_clinic_only",
                  Options(),
                  GoalsDisplay(),
                  {Clinic({Entry("D01", 2026, {10000, 20000}, {20000, 20000}),
                           Entry("H01", 2026, {5000, 5000}, {10000, 10000})}),
                   Clinic({Entry("D01", 2026, {30000, 0}, {20000, 20000}),
                           Entry("D09", 2026, {21000, 185000}, {100000, 150000})})},
                  {"1|D01 \t400.00/400 (100%) \t200.00/400 (50%)", "1|D09 \t210.00/1000 (21%) \t1850.00/1500 (123%)",
                   "1|H01 \t50.00/100 (50%) \t50.00/100 (50%)", "0|",
                   "3|Total: \t660.00/1500 (44%) \t2100.00/2000 (105%)"}},
        // The second clinic keeps no goals: its cells are empty, and what
        // they do not measure the group does not either (D01 is the first
        // clinic's 123 %, not 163 %); H02, only there, has empty cells too.
        TotalCase{"clinic_without_goals",
                  Options(),
                  GoalsDisplay(),
                  {Clinic({Entry("D01", 2026, {123456, 80000}, {100000, 100000})}),
                   Clinic({Entry("D01", 2026, {40000, 20000}, {0, 0}), Entry("H02", 2026, {9000, 9000}, {0, 0})})},
                  {"1|D01 \t1234.56/1000 (123%) \t800.00/1000 (80%)", "1|H02 \t \t", "0|",
                   "3|Total: \t1234.56/1000 (123%) \t800.00/1000 (80%)"}},
        // H05 has no goal in a clinic that keeps goals: the clinic's own
        // totals line counts H05's production (60 + 150 against 200 in
        // January), and so does the group's: 150 + 60 + 300 against 400.
        TotalCase{"producer_without_goal_in_a_clinic_with_goals",
                  Options(),
                  GoalsDisplay(),
                  {Clinic({Entry("D01", 2026, {10000, 20000}, {20000, 20000}), Entry("H05", 2026, {6000, 6000}, {0, 0})}),
                   Clinic({Entry("D01", 2026, {30000, 0}, {20000, 20000})})},
                  {"1|D01 \t400.00/400 (100%) \t200.00/400 (50%)", "1|H05 \t \t", "0|",
                   "3|Total: \t460.00/400 (115%) \t260.00/400 (65%)"}},
        // A goal in February only: the first clinic's January cell is empty
        // while its total column shows 400.00/200; the group's January is
        // the second clinic's, its total column both clinics' columns.
        TotalCase{"total_column_of_a_goal_in_one_period",
                  Options(),
                  WithTotalColumn(),
                  {Clinic({Entry("D01", 2026, {10000, 30000}, {0, 20000})}),
                   Clinic({Entry("D01", 2026, {5000, 5000}, {10000, 10000})})},
                  {"1|D01 \t50.00/100 (50%) \t350.00/300 (117%) \t \t \t \t \t \t \t \t \t \t \t500.00/400 (125%)", "0|",
                   "3|Total: \t50.00/100 (50%) \t350.00/300 (117%) \t \t \t \t \t \t \t \t \t \t \t500.00/400 (125%)"}},
        // Quarters: each clinic's quarter already sums its three months; the
        // total sums the quarters (and the total column the chosen ones).
        TotalCase{"quarters_with_total_column",
                  Options("YYNN"),
                  WithTotalColumn(),
                  {Clinic({Entry("D01", 2026, {203456, 99999}, {300000, 300000})}),
                   Clinic({Entry("D01", 2026, {100000, 0}, {150000, 150000})})},
                  {"1|D01 \t3034.56/4500 (67%) \t999.99/4500 (22%) \t \t \t \t \t \t \t \t \t \t \t4034.55/9000 (45%)",
                   "0|",
                   "3|Total: \t3034.56/4500 (67%) \t999.99/4500 (22%) \t \t \t \t \t \t \t \t \t \t \t4034.55/9000 (45%)"}},
        // The comparison year sums the same way, per year; the earlier
        // year's totals line first. 37.5 % rounds to 38 %.
        TotalCase{"comparison_year",
                  Options(nullptr, "2025"),
                  GoalsDisplay(),
                  {Clinic({Entry("D01", 2025, {30000, 0}, {80000, 80000}), Entry("D01", 2026, {50000, 0}, {100000, 100000})}),
                   Clinic({Entry("D01", 2025, {0, 0}, {0, 0}), Entry("D02", 2026, {40000, 10000}, {50000, 50000})})},
                  {"2|D01(2025) \t300.00/800 (38%) \t0.00/800 (0%)", "1|D01(2026) \t500.00/1000 (50%) \t0.00/1000 (0%)",
                   "0|", "1|D02(2026) \t400.00/500 (80%) \t100.00/500 (20%)", "0|",
                   "4|Total: 2025 \t300.00/800 (38%) \t0.00/800 (0%)",
                   "3|Total: 2026 \t900.00/1500 (60%) \t100.00/1500 (7%)"}},
        // Totals only: the producers' lines are left out, their sums are not.
        TotalCase{"totals_only",
                  TotalsOnly(Options()),
                  GoalsDisplay(),
                  {Clinic({Entry("D01", 2026, {10000, 10000}, {10000, 10000})}),
                   Clinic({Entry("H01", 2026, {5000, 0}, {20000, 20000})})},
                  {"3|Total: \t150.00/300 (50%) \t100.00/300 (33%)"}},
        // No clinic with an entry: only the totals line, with empty cells.
        TotalCase{"no_entries", Options(), GoalsDisplay(), {Clinic({}), Clinic({})}, {"3|Total: \t \t"}}),
    [](const ::testing::TestParamInfo<TotalCase>& info) { return std::string(info.param.name); });

// --- the group's checks ------------------------------------------------------

GoalsClinicRun Counted(long year_goals, long comp_goals, std::vector<std::string> selected,
                       std::vector<std::string> known = {}) {
  GoalsClinicRun c;
  c.year_goals = year_goals;
  c.comp_goals = comp_goals;
  c.selected = std::move(selected);
  c.known = std::move(known);
  return c;
}

struct CheckCase {
  const char* name;
  GoalsOptions options;
  std::vector<GoalsClinicRun> clinics;
  std::vector<int> failed;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class GoalsGroupChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(GoalsGroupChecks, RulesOverTheWholeGroup) {
  const CheckCase& c = GetParam();
  EXPECT_EQ(GoalsGroupFailures(c.options, c.clinics), c.failed);
}

GoalsOptions NoMonth(GoalsOptions o) {
  std::fill(std::begin(o.month), std::end(o.month), 'N');
  return o;
}

GoalsOptions Year(const char* year, const char* comp = "") {
  GoalsOptions o = Options(nullptr, comp);
  std::strcpy(o.year, year);
  return o;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GoalsGroupChecks,
    ::testing::Values(
        CheckCase{"goals_in_one_clinic_suffice", Options(), {Counted(0, 0, {"D01"}), Counted(3, 0, {"D01"})}, {}},
        CheckCase{"no_goal_in_any_clinic", Options(), {Counted(0, 0, {"D01"}), Counted(0, 0, {"D01"})}, {97}},
        // Each year needs a goal somewhere, not in the same clinic.
        CheckCase{"years_in_different_clinics", Options(nullptr, "2025"),
                  {Counted(2, 0, {"D01"}), Counted(0, 1, {"D01"})}, {}},
        CheckCase{"comparison_year_nowhere", Options(nullptr, "2025"),
                  {Counted(2, 0, {"D01"}), Counted(5, 0, {"D01"})}, {97}},
        CheckCase{"year_not_four_digits", Year("226"), {Counted(4, 0, {"D01"})}, {97}},
        CheckCase{"equal_years", Year("2026", "2026"), {Counted(4, 4, {"D01"})}, {94}},
        // A clinic without producers is no refusal while another has some.
        CheckCase{"selection_is_the_union", Options(), {Counted(1, 0, {}), Counted(1, 0, {"H01"})}, {}},
        CheckCase{"no_producer_anywhere", Options(), {Counted(1, 0, {}), Counted(1, 0, {})}, {95}},
        CheckCase{"every_rule", NoMonth(Year("2026", "2026")), {Counted(0, 0, {})}, {97, 94, 95, 96}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(GoalsGroupChecks, NamedProducerKnownSomewhere) {
  GoalsOptions o = Options();
  o.all_producers = 'N';
  o.producers = {"D01", "D09"};
  const std::vector<GoalsClinicRun> clinics = {Counted(1, 0, o.producers, {"D01", "H01"}),
                                               Counted(1, 0, o.producers, {"D01", "D09"})};
  EXPECT_EQ(GoalsGroupUnknownProducer(o, clinics), "");
  o.producers = {"D01", "X07", "Z01"};
  EXPECT_EQ(GoalsGroupUnknownProducer(o, clinics), "X07");
  // Under "Tous" nothing is named, so nothing is unknown.
  o.all_producers = 'Y';
  EXPECT_EQ(GoalsGroupUnknownProducer(o, clinics), "");
}

TEST(GoalsGroupChecks, SelectionOrder) {
  GoalsOptions o = Options();
  const std::vector<GoalsClinicRun> clinics = {Counted(1, 0, {"D01", "H01"}), Counted(1, 0, {"D01", "D09", "H01"})};
  EXPECT_EQ(GoalsGroupSelection(o, clinics), (std::vector<std::string>{"D01", "D09", "H01"}));
  o.all_producers = 'N';
  const std::vector<GoalsClinicRun> named = {Counted(1, 0, {"H01", "D01"}), Counted(1, 0, {"H01", "D01"})};
  EXPECT_EQ(GoalsGroupSelection(o, named), (std::vector<std::string>{"H01", "D01"}));
}

// --- one clinic's run ---------------------------------------------------------

class GoalsClinicDbTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string error;
    ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
    Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, PROD_INACTIVE, "
         "PROD_LICENSE, PROD_LOC) VALUES (1, 'D01', 'Anne', 'Roy', 'D', 'N', 1, 'A')");
    Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, PROD_INACTIVE, "
         "PROD_LICENSE, PROD_LOC) VALUES (2, 'D02', 'Marc', 'Roy', 'D', 'Y', 2, 'A')");
  }

  // The service's answer: D01 and D02 produce 1000 cents a month.
  GoalsProductionFn Service() {
    return [this](long, long, TDList* out, std::string*) {
      ++calls_;
      for (const char* code : {"D01", "D02"}) {
        auto* p = new prodanal_info;
        p->SetCode(code);
        p->Set(Triple::T5, 1, 1000);
        out->Append(p);
      }
      return true;
    };
  }
  int calls_ = 0;
};

TEST_P(GoalsClinicDbTest, ClinicWithoutGoalsShowsProductionWithNoGoal) {
  GoalsOptions o = Options();
  QenListWindow list(kGoalsListId);
  GoalsClinicRun run;
  const RunOutcome outcome = RunGoalsClinic(Db(), o, GoalsDisplay(), Service(), true, &list, &run);
  EXPECT_TRUE(outcome.Finished()) << outcome.message;
  EXPECT_EQ(run.year_goals, 0);
  // "Tous": the active producers only; D02 is inactive.
  EXPECT_EQ(run.selected, std::vector<std::string>{"D01"});
  ASSERT_TRUE(run.generated);
  ASSERT_EQ(run.entries.size(), 1u);
  EXPECT_EQ(run.entries[0].production, (std::vector<long>{1000, 1000}));
  EXPECT_EQ(run.entries[0].goal, (std::vector<long>{0, 0}));
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"1|D01 \t \t", "0|", "3|Total: \t \t"}));
}

TEST_P(GoalsClinicDbTest, CountsGoalsAndKnownCodes) {
  Exec("INSERT INTO GOALS VALUES (1, 0, 'D02', 2026, 5000, 5000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)");
  Exec("INSERT INTO GOALS VALUES (2, 0, '*', 2025, 5000, 5000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)");
  Exec("INSERT INTO GOALS VALUES (3, 0, 'D*', 2025, 5000, 5000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)");
  GoalsOptions o = Options(nullptr, "2025");
  o.all_producers = 'N';
  o.producers = {"D02", "D09"};
  QenListWindow list(kGoalsListId);
  GoalsClinicRun run;
  const RunOutcome outcome = RunGoalsClinic(Db(), o, GoalsDisplay(), Service(), true, &list, &run);
  EXPECT_TRUE(outcome.Finished()) << outcome.message;
  EXPECT_EQ(run.year_goals, 1);
  EXPECT_EQ(run.comp_goals, 2);
  // Every code of PRODCD, inactive ones too; D09 is not the clinic's.
  EXPECT_EQ(run.known, (std::vector<std::string>{"D01", "D02"}));
  // D02 is named, so it is taken although inactive; D09 gets no entry here.
  ASSERT_EQ(run.entries.size(), 2u);
  EXPECT_EQ(run.entries[0].producer, "D02");
  EXPECT_EQ(run.entries[0].year, 2025);
  EXPECT_EQ(run.entries[0].goal, (std::vector<long>{5000, 5000}));
  EXPECT_EQ(run.entries[1].year, 2026);
}

TEST_P(GoalsClinicDbTest, NotGeneratedWhenTheOptionsAreRefused) {
  QenListWindow list(kGoalsListId);
  GoalsClinicRun run;
  const RunOutcome outcome = RunGoalsClinic(Db(), Options(), GoalsDisplay(), Service(), false, &list, &run);
  EXPECT_TRUE(outcome.Finished()) << outcome.message;
  EXPECT_FALSE(run.generated);
  EXPECT_EQ(calls_, 0);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(run.selected, std::vector<std::string>{"D01"});
}

TEST_P(GoalsClinicDbTest, UnreadableGoalsFailTheClinic) {
  Exec("DROP TABLE GOALS");
  QenListWindow list(kGoalsListId);
  GoalsClinicRun run;
  const RunOutcome outcome = RunGoalsClinic(Db(), Options(), GoalsDisplay(), Service(), true, &list, &run);
  EXPECT_TRUE(outcome.Failed());
  EXPECT_FALSE(outcome.message.empty());
  EXPECT_FALSE(run.generated);
  EXPECT_EQ(calls_, 0);
}

INSTANTIATE_DB_TEST(GoalsClinicDbTest);

}  // namespace
