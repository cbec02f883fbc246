// Periods and their titles, goal application, and the worked example of
// goals_generator.h generated end to end on both engines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "goals/goals_generator.h"
#include "host/list_window.h"
#include "host/prodanal.h"
#include "host/tdlist.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

TEST(GoalsReport, PeriodTitles) {
  const char* months[] = {"JAN", "FÉV", "MAR", "AVR", "MAI", "JUI", "JUI", "AOÛ", "SEP", "OCT", "NOV", "DÉC"};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(GoalsPeriodTitle(true, m), months[m - 1]) << m;
  for (int q = 1; q <= 4; ++q) EXPECT_EQ(GoalsPeriodTitle(false, q), "Q" + std::to_string(q));
}

TEST(GoalsReport, PeriodsUseEachYearsMonthLengths) {
  GoalsOptions o;
  std::fill(std::begin(o.month), std::end(o.month), 'N');
  o.month[1] = 'Y';
  EXPECT_EQ(GoalsPeriods(o, 2024)[0].to, 20240229);
  EXPECT_EQ(GoalsPeriods(o, 2026)[0].to, 20260228);
  o.report_by = 'Q';
  o.q[0] = o.q[3] = 'Y';
  const std::vector<GoalsPeriod> q = GoalsPeriods(o, 2026);
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[0].from, 20260101);
  EXPECT_EQ(q[0].to, 20260331);
  EXPECT_EQ(q[1].from, 20261001);
  EXPECT_EQ(q[1].to, 20261231);
  EXPECT_EQ(q[1].title, "Q4");
}

TEST(GoalsReport, ColumnsHideUnusedPeriods) {
  GoalsOptions o;
  o.report_by = 'Q';
  o.q[1] = 'Y';
  QenListWindow list(5111);
  SetGoalsColumns(&list, o, false);
  ASSERT_EQ(list.Columns().size(), 14u);
  EXPECT_EQ(list.Columns()[1].title, "Q2");
  EXPECT_EQ(list.Columns()[1].width_chars, 7);
  EXPECT_EQ(list.Columns()[2].width_chars, 0);
  EXPECT_EQ(list.Columns()[13].width_chars, 0);
  SetGoalsColumns(&list, o, true);
  EXPECT_EQ(list.Columns()[13].width_chars, 7);
  EXPECT_EQ(list.Columns()[13].title, "Total");
}

GoalInfo Goal(const char* code, int year, int32_t jan, int32_t feb = 0, int32_t mar = 0) {
  GoalInfo g;
  g.SetProducer(code);
  g.year = year;
  for (int32_t& v : g.goals) v = jan;
  g.goals[1] = feb ? feb : jan;
  g.goals[2] = mar ? mar : jan;
  return g;
}

std::vector<GoalsEntry> Entries(const std::vector<std::string>& codes, int year, size_t periods) {
  std::vector<GoalsEntry> out;
  for (const std::string& c : codes) {
    GoalsEntry e;
    e.producer = c;
    e.year = year;
    e.production.assign(periods, 0);
    e.goal.assign(periods, 0);
    out.push_back(e);
  }
  return out;
}

TEST(GoalsReport, ExactBeatsGroupBeatsPracticeInAnyOrder) {
  GoalsOptions o;
  std::fill(std::begin(o.month), std::end(o.month), 'N');
  o.month[0] = 'Y';
  const std::vector<GoalsPeriod> periods = GoalsPeriods(o, 2026);
  std::vector<GoalInfo> records = {Goal("*", 2026, 100), Goal("D*", 2026, 200), Goal("D01", 2026, 300),
                                   Goal("H*", 2026, 400), Goal("D01", 2025, 999)};
  const std::map<std::string, long> want = {{"D01", 300}, {"D02", 200}, {"H01", 400}, {"E01", 100}, {"D", 200}};
  std::sort(records.begin(), records.end(), [](const GoalInfo& a, const GoalInfo& b) { return a.producer[0] < b.producer[0] || (a.producer[0] == b.producer[0] && a.Producer() < b.Producer()); });
  int orders = 0;
  do {
    std::vector<GoalsEntry> entries = Entries({"D01", "D02", "H01", "E01", "D"}, 2026, periods.size());
    for (const GoalInfo& r : records) ApplyGoalRecord(r, true, periods, &entries);
    for (const GoalsEntry& e : entries) {
      SCOPED_TRACE(e.producer + " order " + std::to_string(orders));
      EXPECT_EQ(e.goal[0], want.at(e.producer));
    }
    ++orders;
  } while (std::next_permutation(records.begin(), records.end(), [](const GoalInfo& a, const GoalInfo& b) {
    return a.producer[0] < b.producer[0] || (a.producer[0] == b.producer[0] && a.Producer() < b.Producer());
  }));
  EXPECT_GT(orders, 1);
}

TEST(GoalsReport, NoGoalLeavesZeroAndQuartersSumTheirMonths) {
  GoalsOptions o;
  o.report_by = 'Q';
  o.q[0] = 'Y';
  const std::vector<GoalsPeriod> periods = GoalsPeriods(o, 2026);
  std::vector<GoalsEntry> entries = Entries({"D01", "H01"}, 2026, 1);
  ApplyGoalRecord(Goal("D*", 2026, 100, 250, 7), false, periods, &entries);
  EXPECT_EQ(entries[0].goal[0], 357);
  EXPECT_EQ(entries[1].goal[0], 0);
}

// The worked example of goals_generator.h.
class GoalsReportDbTest : public DbTest {};

TEST_P(GoalsReportDbTest, WorkedExample) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  Exec("INSERT INTO GOALS VALUES (1, 0, 'D01', 2026, 100000, 100000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)");
  Exec("INSERT INTO GOALS VALUES (2, 0, 'D*', 2026, 50000, 50000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)");
  Exec("INSERT INTO GOALS VALUES (3, 0, '*', 2025, 20000, 20000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)");
  // Production per (year, month) and producer, as the service would answer.
  std::map<long, std::map<std::string, int32_t>> production = {
      {20260101, {{"D01", 123456}, {"D02", 40000}, {"H01", 5}}},
      {20260201, {{"D01", 80000}, {"D02", 0}}},
      {20250101, {{"D01", 30000}}},
      {20250201, {{"D01", 10000}}},
  };
  int calls = 0;
  GoalsProductionFn service = [&](long from, long to, TDList* out, std::string*) {
    ++calls;
    EXPECT_EQ(to / 100, from / 100);  // one month at a time
    for (const auto& [code, cents] : production[from]) {
      auto* p = new prodanal_info;
      p->SetCode(code);
      p->Set(Triple::T5, 1, cents);
      out->Append(p);
    }
    return true;
  };
  GoalsOptions o;
  std::strcpy(o.year, "2026");
  std::strcpy(o.comp_year, "2025");
  std::fill(std::begin(o.month), std::end(o.month), 'N');
  o.month[0] = o.month[1] = 'Y';
  GoalsDisplay d;
  QenListWindow list(5111);
  const GoalsResult r = GenerateGoalsReport(Db(), o, d, {"D01", "D02"}, service, &list);
  EXPECT_EQ(r.outcome.message, "");
  EXPECT_EQ(calls, 4);
  std::vector<std::string> rows;
  for (int i = 0; i < list.GetCount(); ++i) rows.push_back(std::to_string(list.GetItemData(i)) + "|" + std::string(list.GetString(i)));
  const std::vector<std::string> want = {
      "2|D01(2025) \t300.00/200 (150%) \t100.00/200 (50%)",
      "1|D01(2026) \t1234.56/1000 (123%) \t800.00/1000 (80%)",
      "0|",
      "1|D02(2026) \t400.00/500 (80%) \t0.00/500 (0%)",
      "0|",
      "4|Total: 2025 \t300.00/200 (150%) \t100.00/200 (50%)",
      "3|Total: 2026 \t1634.56/1500 (109%) \t800.00/1500 (53%)",
  };
  EXPECT_EQ(rows, want);
}

INSTANTIATE_DB_TEST(GoalsReportDbTest);

}  // namespace
