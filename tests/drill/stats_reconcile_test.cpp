// Every cell of the statistics' patients and summary lists drilled, on the
// demo practice and on the damaged practice, on both engines: each count is
// its rows', the net its two groups' difference, each amount its rows' sum.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/list_window.h"
#include "host/application.h"
#include "host/prodanal.h"
#include "stats/stats_drill.h"
#include "stats/stats_format.h"
#include "stats/stats_patients.h"
#include "stats/stats_summary.h"
#include "suite/production_service.h"
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

// The suite's service (command 2536) over the test's database.
class DirectChannel : public RequestChannel {
 public:
  explicit DirectChannel(GenDB* db) : db_(db) {}
  long Request(int command, void* record) override {
    if (command != 2536) return -1;
    auto* request = static_cast<ProdAnalRequest*>(record);
    request->status = ComputeProductionFor(db_, request->from, request->to, {}, true, request->result, &error_) ? 1 : 0;
    return 0;
  }

 private:
  GenDB* db_;
  std::string error_;
};

long Cents(const std::string& money) {  // "$-4.50" -> -450
  const size_t dollar = money.find('$');
  return std::llround(std::strtod(money.c_str() + (dollar == std::string::npos ? 0 : dollar + 1), nullptr) * 100.0);
}

// Every amount of the summary list: its rows' sum, shown as the list shows it.
int WalkSummary(GenDB* db, const Period& p) {
  StatsSelection s;
  s.from = p.from;
  s.to = p.to;
  s.fees_goal = 5000000;
  s.all_producers = 'Y';
  s.SetProducers(ActiveProducerCodes(db));
  DirectChannel channel(db);
  QenListWindow list(110);
  FillSummaryList(&channel, db, nullptr, s, &list);
  int figures = 0;
  for (int line = 0; line < list.GetCount(); ++line) {
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      std::string text(list.GetItemText(line, cell));
      while (!text.empty() && text.back() == ' ') text.pop_back();
      const DrillResult r = DrillStatsCell(db, s, kStatsSummary, list, {line, cell});
      const std::string where = std::string(p.name) + " summary line " + std::to_string(line + 1) + " cell " +
                                std::to_string(cell + 1) + " «" + std::string(list.GetString(line)) + "»";
      if (r.Refused()) {
        EXPECT_TRUE(cell == 0 || text.empty() || list.GetItemData(line) == 0) << where << ": " << r.refused;
        continue;
      }
      EXPECT_TRUE(r.outcome.Finished()) << where << ": " << r.outcome.message;
      long sum = 0;
      for (int row = 0; row < r.list->GetCount(); ++row) {
        const long data = r.list->GetItemData(row);
        if (data != 0 && data != -1) sum += Cents(std::string(r.list->GetItemText(row, 7)));
      }
      std::string shown = MakeNoCommaNumFormat(sum);
      while (!shown.empty() && shown.back() == ' ') shown.pop_back();
      EXPECT_EQ(shown, text) << where;
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
    EXPECT_GT(WalkSummary(Db(), p), 20);
  }
}

TEST_P(StatsReconcileTest, DamagedPracticeEveryCell) {
  std::string error;
  ASSERT_TRUE(CreateDamagedPractice(Db(), DAMAGED_PRACTICE_SQL, &error)) << error;
  EXPECT_GT(WalkPatients(Db(), {"damaged", 0, 0, false}), 0);
  EXPECT_GT(WalkSummary(Db(), {"damaged", 20260101, 20271231, false}), 0);
}

INSTANTIATE_DB_TEST(StatsReconcileTest);

}  // namespace
