// Every cell of goals reports drilled, on the demo practice and on the
// damaged practice, on both engines: each cell's production rows and goal
// records give back the cell's text (production/goal and percentage).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "goals/goals_drill.h"
#include "goals/goals_generator.h"
#include "goals/goals_style.h"
#include "host/list_window.h"
#include "suite/demo_db.h"
#include "suite/production_service.h"
#include "tests/support/damaged_practice.h"
#include "tests/support/test_db.h"

namespace {

struct GoalsCase {
  const char* name;
  const char* year;
  const char* comp_year;
  char report_by;
  const char* q;
  char show_total;
  char goals_display, fees_display;
};

const GoalsCase kCases[] = {
    {"months_compared_total", "2026", "2025", 'M', "NNNN", 'Y', 'D', 'C'},
    {"quarters_thousands", "2026", "", 'Q', "YYYY", 'Y', 'K', 'K'},
    {"months_dollars", "2025", "2026", 'M', "NNNN", 'N', 'C', 'D'},
};

long Cents(std::string_view money) {
  return std::llround(std::strtod(std::string(money.substr(money.find('$') + 1)).c_str(), nullptr) * 100.0);
}

// Sum of the "Montant" cells of the data rows of [first, end).
long SumGroup(const QenListWindow& rows, const DrillGroup& g) {
  long cents = 0;
  for (int r = g.first; r < g.end; ++r) {
    const long data = rows.GetItemData(r);
    if (data != 0 && data != -1) cents += Cents(rows.GetItemText(r, 7));
  }
  return cents;
}

std::string Trim(std::string_view t) {
  const size_t a = t.find_first_not_of(' ');
  if (a == std::string_view::npos) return std::string();
  return std::string(t.substr(a, t.find_last_not_of(' ') - a + 1));
}

// What the suite's service answers (command 2536), straight from the database.
GoalsProductionFn ProductionOf(GenDB* db) {
  return [db](long from, long to, TDList* out, std::string* why) { return ComputeProduction(db, from, to, {}, out, why); };
}

int WalkReport(GenDB* db, const GoalsCase& c, const std::vector<std::string>& producers) {
  GoalsOptions o;
  std::snprintf(o.year, sizeof o.year, "%s", c.year);
  std::snprintf(o.comp_year, sizeof o.comp_year, "%s", c.comp_year);
  o.report_by = c.report_by;
  for (int i = 0; i < 4; ++i) o.q[i] = c.q[i];
  o.show_tot_col = c.show_total;
  GoalsDisplay display;
  display.show_tot_col = c.show_total;
  display.goals_display = c.goals_display;
  display.fees_display = c.fees_display;
  QenListWindow list(kGoalsListId);
  SetGoalsColumns(&list, o, c.show_total == 'Y');
  GoalsDrillMap map;
  const GoalsResult result =
      GenerateGoalsReport(db, o, display, producers, ProductionOf(db), &list, &map);
  EXPECT_TRUE(result.outcome.Finished()) << result.outcome.message;
  int figures = 0;
  for (int line = 0; line < list.GetCount(); ++line) {
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      const std::string text = Trim(list.GetItemText(line, cell));
      const DrillResult r = DrillGoalsCell(db, list, map, {line, cell});
      const std::string where = std::string(c.name) + " line " + std::to_string(line + 1) + " cell " +
                                std::to_string(cell + 1) + " «" + text + "»";
      if (r.Refused()) {
        // Only labels, blank lines and the empty cells of unchosen periods.
        EXPECT_TRUE(cell == 0 || text.empty()) << where << ": " << r.refused;
        continue;
      }
      EXPECT_TRUE(r.outcome.Finished()) << where << ": " << r.outcome.message;
      if (r.groups.size() != 2u) {
        ADD_FAILURE() << where << ": " << r.groups.size() << " groups";
        continue;
      }
      const long production = SumGroup(*r.list, r.groups[0]);
      const long goal = SumGroup(*r.list, r.groups[1]);
      EXPECT_EQ(GoalCellText(production, goal, display), text) << where;
      ++figures;
    }
  }
  return figures;
}

class GoalsReconcileTest : public DbTest {
 protected:
  std::vector<std::string> Producers() {
    std::vector<GoalsProducer> active;
    std::string error;
    EXPECT_TRUE(LoadActiveProducers(Db(), &active, &error)) << error;
    std::vector<std::string> codes;
    for (const GoalsProducer& p : active) codes.push_back(p.code);
    return codes;
  }
};

TEST_P(GoalsReconcileTest, DemoPracticeEveryCell) {
  DemoOptions demo;
  demo.today = 20261201;
  demo.seed = 9;
  DemoSummary summary;
  std::string error;
  ASSERT_TRUE(GenerateDemoPractice(Db(), demo, &summary, &error)) << error;
  for (const GoalsCase& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_GT(WalkReport(Db(), c, Producers()), 20);
  }
}

TEST_P(GoalsReconcileTest, DamagedPracticeEveryCell) {
  std::string error;
  ASSERT_TRUE(CreateDamagedPractice(Db(), DAMAGED_PRACTICE_SQL, &error)) << error;
  EXPECT_GT(WalkReport(Db(), kCases[0], Producers()), 0);
}

INSTANTIATE_DB_TEST(GoalsReconcileTest);

}  // namespace
