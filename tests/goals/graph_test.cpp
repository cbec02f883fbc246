// The chart series read back from the report's rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "goals/goals_style.h"
#include "goals/goals_graph.h"
#include "goals/goals_generator.h"
#include "host/list_window.h"

namespace {

// The worked example's list: January and February, 2026 against 2025.
class GoalsGraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::strcpy(options_.year, "2026");
    std::strcpy(options_.comp_year, "2025");
    std::fill(std::begin(options_.month), std::end(options_.month), 'N');
    options_.month[0] = options_.month[1] = 'Y';
    display_.show_tot_col = 'Y';
    SetGoalsColumns(&list_, options_, true);
    list_.AddString("D01(2025) \t300.00/200 (150%) \t100.00/200 (50%) \t \t \t \t \t \t \t \t \t \t \t400.00/400 (100%)", 2);
    list_.AddString("D01(2026) \t1234.56/1000 (123%) \t800.00/1000 (80%) \t \t \t \t \t \t \t \t \t \t \t2034.56/2000 (102%)", 1);
    list_.AddString("", 0);
    list_.AddString("D02(2026) \t400.00/500 (80%) \t0.00/500 (0%) \t \t \t \t \t \t \t \t \t \t \t400.00/1000 (40%)", 1);
    list_.AddString("", 0);
    list_.AddString("Total: 2025 \t300.00/200 (150%) \t100.00/200 (50%)", 4);
    list_.AddString("Total: 2026 \t1634.56/1500 (109%) \t800.00/1500 (53%)", 3);
  }
  GoalsGraphRequest Request(int main, int axis) {
    GoalsGraphRequest r;
    r.main = main;
    r.axis = axis;
    r.producers = {"D01", "D02", "H01"};
    r.display = display_;
    r.report_year = 2026;
    r.comp_year = 2025;
    return r;
  }
  // "series: label=value label=value ..." per series.
  std::vector<std::string> Dump(const GoalsGraphRequest& r) {
    TDList series;
    BuildGoalsGraphSeries(list_, r, &series);
    std::vector<std::string> out;
    for (auto* s : series.As<PracGraphElem>()) {
      std::string line = std::string(s->Name()) + ":";
      for (auto* v : s->Values().As<GraphValueElem>()) {
        char text[64];
        std::snprintf(text, sizeof text, " %s=%g", v->Name(), v->value);
        line += text;
      }
      out.push_back(line);
    }
    return out;
  }

  GoalsOptions options_;
  GoalsDisplay display_;
  QenListWindow list_{5111};
};

TEST_F(GoalsGraphTest, ChoicesFollowTheReport) {
  EXPECT_EQ(GoalsGraphMainChoices(display_), (std::vector<int>{10104, 10338, 92}));
  EXPECT_EQ(GoalsGraphAxisChoices(options_, display_),
            (std::vector<int>{10079, 10342, 10151, 10152, 10153, 10154}));
  GoalsOptions totals = options_;
  totals.totals_only = 'Y';
  totals.report_by = 'Q';
  totals.comp_year[0] = '\0';
  GoalsDisplay no_goals = display_;
  no_goals.no_goals = 'Y';
  EXPECT_EQ(GoalsGraphMainChoices(no_goals), (std::vector<int>{10104, 10338}));
  EXPECT_EQ(GoalsGraphAxisChoices(totals, display_), (std::vector<int>{10341}));
}

TEST_F(GoalsGraphTest, Series) {
  struct Case { const char* name; GoalsGraphRequest r; std::vector<std::string> want; } cases[] = {
      // H01 is selected but has no line: a new series holds its first value
      // at every point (add value), so H01 shows the series' first figure.
      {"percent by producer", Request(10104, 10079),
       {"JAN: D01=123 D02=80 H01=123", "FÉV: D01=80 D02=0 H01=80"}},
      {"production by month", Request(10338, 10342),
       {"D01: JAN=1234.56 FÉV=800", "D02: JAN=400 FÉV=0"}},
      {"goal by month, comparison year", [&] { auto r = Request(92, 10342); r.use_comparison = true; return r; }(),
       {"D01: JAN=200 FÉV=200"}},
      {"producers with total", Request(10104, 10151), {"Producteurs avec total: D01=102 D02=40 H01=102"}},
      {"periods with total", Request(10338, 10152), {"Périodes avec total: JAN=1634.56 FÉV=800"}},
      {"producers by year", Request(10104, 10153),
       {"JAN: D01 2025=150 D01 2026=123 D02 2025=0 D02 2026=80 H01 2025=0 H01 2026=0",
        "FÉV: D01 2025=50 D01 2026=80 D02 2025=0 D02 2026=0 H01 2025=0 H01 2026=0"}},
      {"periods by year", Request(10104, 10154),
       {"D01: JAN 2025=150 JAN 2026=123 FÉV 2025=50 FÉV 2026=80", "D02: JAN 2025=0 JAN 2026=80 FÉV 2025=0 FÉV 2026=0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Dump(c.r), c.want);
  }
}

}  // namespace

namespace {

// June and July are both headed "JUI": each stays its own category and
// keeps its own value, whether the months are the axis or the series.
TEST(GoalsGraphRepeatedHeadingsTest, EveryMonthIsItsOwnCategory) {
  GoalsOptions options;
  std::strcpy(options.year, "2026");
  std::fill(std::begin(options.month), std::end(options.month), 'N');
  options.month[5] = options.month[6] = 'Y';  // June, July
  QenListWindow list{5111};
  SetGoalsColumns(&list, options, false);
  // The chosen months come first.
  ASSERT_FALSE(list.Columns()[1].title.empty());
  ASSERT_EQ(list.Columns()[1].title, list.Columns()[2].title) << "the headings read alike";
  list.AddString("D01(2026) \t600.00/1000 (60%) \t700.00/1000 (70%)", 1);
  for (int axis : {10342, 10079}) {
    SCOPED_TRACE(axis);
    GoalsGraphRequest r;
    r.main = 10104;
    r.axis = axis;
    r.producers = {"D01"};
    r.report_year = 2026;
    TDList series;
    BuildGoalsGraphSeries(list, r, &series);
    std::vector<std::pair<std::string, double>> points;  // (category or series, value) in order
    for (auto* s : series.As<PracGraphElem>()) {
      for (auto* v : s->Values().As<GraphValueElem>()) points.emplace_back(axis == 10342 ? v->Name() : s->Name(), v->value);
    }
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].second, 60);
    EXPECT_EQ(points[1].second, 70);
    EXPECT_NE(points[0].first, points[1].first);
    EXPECT_EQ(points[1].first.rfind(points[0].first, 0), 0u) << "shown alike";
  }
}

}  // namespace
