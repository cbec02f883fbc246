// Every cell of the statistics' patients list drilled, on the demo practice
// and on the damaged practice, on both engines: each count is its rows',
// the net its two groups' difference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/list_window.h"
#include "stats/stats_drill.h"
#include "stats/stats_patients.h"
#include "stats/stats_types.h"
#include "suite/demo_db.h"
#include "tests/support/damaged_practice.h"
#include "tests/support/test_db.h"

namespace {

struct Period {
  const char* name;
  long from, to;
  bool some_producers;  // the first two active producers only
};

int DataRowsOf(const DrillResult& r, const DrillGroup& g) {
  int n = 0;
  for (int row = g.first; row < g.end; ++row) {
    const long data = r.list->GetItemData(row);
    if (data != 0 && data != -1) ++n;
  }
  return n;
}

int WalkPatients(GenDB* db, const Period& p) {
  StatsSelection s;
  s.from = p.from;
  s.to = p.to;
  std::vector<std::string> codes = ActiveProducerCodes(db);
  if (p.some_producers && codes.size() > 2) codes.resize(2);
  s.all_producers = p.some_producers ? 'N' : 'Y';
  s.SetProducers(codes);
  QenListWindow list(107);
  const RunOutcome filled = FillPatientsList(db, s, &list);
  EXPECT_TRUE(filled.Finished()) << filled.message;
  int figures = 0;
  for (int line = 0; line < list.GetCount(); ++line) {
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      const std::string text(list.GetItemText(line, cell));
      const DrillResult r = DrillStatsCell(db, s, kStatsPatients, list, {line, cell});
      const std::string where = std::string(p.name) + " line " + std::to_string(line + 1) + " cell " +
                                std::to_string(cell + 1) + " «" + std::string(list.GetString(line)) + "»";
      if (r.Refused()) {
        EXPECT_TRUE(cell == 0 || list.GetString(line).empty()) << where << ": " << r.refused;
        continue;
      }
      EXPECT_TRUE(r.outcome.Finished()) << where << ": " << r.outcome.message;
      const long figure = std::atol(text.c_str());
      if (cell == 3) {
        if (r.groups.size() != 2u) {
          ADD_FAILURE() << where << ": " << r.groups.size() << " groups";
          continue;
        }
        EXPECT_EQ(DataRowsOf(r, r.groups[0]) - DataRowsOf(r, r.groups[1]), figure) << where;
      } else {
        EXPECT_EQ(r.DataRows(), figure) << where;
      }
      ++figures;
    }
  }
  return figures;
}

class StatsReconcileTest : public DbTest {};

TEST_P(StatsReconcileTest, DemoPracticeEveryCell) {
  DemoOptions demo;
  demo.today = 20261201;
  DemoSummary summary;
  std::string error;
  ASSERT_TRUE(GenerateDemoPractice(Db(), demo, &summary, &error)) << error;
  const Period periods[] = {{"november", 20261101, 20261130, false},
                            {"year_two_producers", 20260101, 20261130, true},
                            {"open_start", 0, 20261130, false}};
  for (const Period& p : periods) {
    SCOPED_TRACE(p.name);
    EXPECT_GT(WalkPatients(Db(), p), 10);
  }
}

TEST_P(StatsReconcileTest, DamagedPracticeEveryCell) {
  std::string error;
  ASSERT_TRUE(CreateDamagedPractice(Db(), DAMAGED_PRACTICE_SQL, &error)) << error;
  EXPECT_GT(WalkPatients(Db(), {"damaged", 0, 0, false}), 0);
}

INSTANTIATE_DB_TEST(StatsReconcileTest);

}  // namespace
