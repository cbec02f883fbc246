// Every cell of the statistics' patients and summary lists drilled, on the
// demo practice and on the damaged practice, on both engines: each count is
// its rows', the net its two groups' difference, each amount its rows' sum.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bridge/appt_productivity_source.h"
#include "host/list_window.h"
#include "lists/drill.h"
#include "stats/case_acceptance.h"
#include "stats/stats_generator.h"
#include "stats/stats_productivity.h"
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

StatsContext ContextOf(GenDB* db, StatsProductivitySource* productivity = nullptr) {
  StatsContext c;
  c.db = db;
  c.productivity = productivity;
  c.prod_units = 'H';
  return c;
}

// The sum of a column over the data rows of rows [first, end).
long ColumnSum(const DrillResult& r, int first, int end, int column) {
  long sum = 0;
  for (int row = first; row < end; ++row) {
    const long data = r.list->GetItemData(row);
    if (data != 0 && data != -1) sum += std::atol(std::string(r.list->GetItemText(row, column)).c_str());
  }
  return sum;
}

std::string HoursText(long minutes) {  // as the list writes hours
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%-.2fH", static_cast<double>(minutes) / 60.0);
  return buffer;
}

// The period's selection: every active producer, or the first two.
StatsSelection SelectionOf(GenDB* db, const Period& p) {
  StatsSelection s;
  s.from = p.from;
  s.to = p.to;
  std::vector<std::string> codes = ActiveProducerCodes(db);
  if (p.some_producers && codes.size() > 2) codes.resize(2);
  s.all_producers = p.some_producers ? 'N' : 'Y';
  s.SetProducers(codes);
  return s;
}

int WalkPatients(GenDB* db, const Period& p) {
  const StatsSelection s = SelectionOf(db, p);
  QenListWindow list(107);
  const RunOutcome filled = FillPatientsList(db, s, &list);
  EXPECT_TRUE(filled.Finished()) << filled.message;
  int figures = 0;
  for (int line = 0; line < list.GetCount(); ++line) {
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      const std::string text(list.GetItemText(line, cell));
      const DrillResult r = DrillStatsCell(ContextOf(db), s, kStatsPatients, list, {line, cell});
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
      const DrillResult r = DrillStatsCell(ContextOf(db), s, kStatsSummary, list, {line, cell});
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

// Every cell of the productivity list (hours mode): the booked hours are
// the minutes of the appointments listed, the count a producer row shows
// its second group's rows (the total's: all of them), the available hours
// the days' minutes, the usage both, the missed count its rows.
int WalkProductivity(GenDB* db, const Period& p) {
  const StatsSelection s = SelectionOf(db, p);
  ApptProductivitySource source(db, nullptr, 0);
  QenListWindow list(109);
  const RunOutcome filled = FillProductivityList(&source, s, 'H', &list);
  EXPECT_TRUE(filled.Finished()) << filled.message;
  int figures = 0;
  for (int line = 0; line < list.GetCount(); ++line) {
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      const std::string text = TrimmedCell(list.GetItemText(line, cell));
      const DrillResult r = DrillStatsCell(ContextOf(db, &source), s, kStatsProductivity, list, {line, cell});
      const std::string where = std::string(p.name) + " productivity line " + std::to_string(line + 1) + " cell " +
                                std::to_string(cell + 1) + " «" + std::string(list.GetString(line)) + "»";
      if (r.Refused()) {
        EXPECT_TRUE(cell == 0 || list.GetString(line).empty()) << where << ": " << r.refused;
        continue;
      }
      if (!r.outcome.Finished()) {
        ADD_FAILURE() << where << ": " << r.outcome.message;
        continue;
      }
      const int rows = r.list->GetCount();
      switch (cell) {
        case 1: {  // "1.50H  (3)"
          if (r.groups.empty()) {  // the total, or a producer whose count is of all its rows
            EXPECT_EQ(HoursText(ColumnSum(r, 0, rows, 8)) + "  (" + std::to_string(r.DataRows()) + ")", text)
                << where;
          } else {
            if (r.groups.size() != 2u) {
              ADD_FAILURE() << where << ": " << r.groups.size() << " groups";
              continue;
            }
            EXPECT_EQ(HoursText(ColumnSum(r, r.groups[0].first, r.groups[0].end, 8)) + "  (" +
                          std::to_string(DataRowsOf(r, r.groups[1])) + ")",
                      text)
                << where;
          }
          break;
        }
        case 2:
          EXPECT_EQ(HoursText(ColumnSum(r, 0, rows, 5)), text) << where;
          break;
        case 3: {  // "1.50H/15.00H  (10.00%)"
          if (r.groups.size() != 2u) {
            ADD_FAILURE() << where << ": " << r.groups.size() << " groups";
            continue;
          }
          const std::string shown = HoursText(ColumnSum(r, r.groups[0].first, r.groups[0].end, 8)) + "/" +
                                    HoursText(ColumnSum(r, r.groups[1].first, r.groups[1].end, 8));
          EXPECT_EQ(text.substr(0, text.find(' ')), shown) << where;
          break;
        }
        default:
          EXPECT_EQ(std::to_string(r.DataRows()), text) << where;
          break;
      }
      ++figures;
    }
  }
  return figures;
}

// Every cell of the case-acceptance list: counts are their rows, amounts
// their rows' sum, the percentage its two groups.
int WalkAcceptance(GenDB* db, const Period& p) {
  StatsSelection s;
  s.from = p.from;
  s.to = p.to;
  s.all_producers = 'Y';
  s.SetProducers(ActiveProducerCodes(db));
  QenListWindow list(108);
  CaseAcceptanceGenerator gen(db, s);
  const RunOutcome filled = gen.Fill(&list);
  EXPECT_TRUE(filled.Finished()) << filled.message;
  int figures = 0;
  for (int line = 0; line < list.GetCount(); ++line) {
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      const std::string text = TrimmedCell(list.GetItemText(line, cell));
      const DrillResult r = DrillStatsCell(ContextOf(db), s, kStatsAcceptance, list, {line, cell});
      const std::string where = std::string(p.name) + " acceptance line " + std::to_string(line + 1) + " cell " +
                                std::to_string(cell + 1) + " «" + std::string(list.GetString(line)) + "»";
      const auto* rec = dynamic_cast<const CaseStatsElem*>(list.GetItemRecord(line));
      const bool figure = rec != nullptr && rec->rec.category != kCaseHeader && cell >= 2 && cell <= 6;
      EXPECT_EQ(r.Refused(), !figure) << where << ": " << r.refused;
      if (r.Refused()) continue;
      if (!r.outcome.Finished()) {
        ADD_FAILURE() << where << ": " << r.outcome.message;
        continue;
      }
      const int rows = r.list->GetCount();
      auto amount = [&](int first, int end) {
        long cents = 0;
        for (int row = first; row < end; ++row) {
          const long data = r.list->GetItemData(row);
          if (data != 0 && data != -1) cents += Cents(std::string(r.list->GetItemText(row, 6)));
        }
        return DollarText(cents);
      };
      if (cell == 2 || cell == 4) {
        EXPECT_EQ(std::to_string(r.DataRows()), text) << where;
        EXPECT_EQ(ColumnSum(r, 0, rows, 5), r.DataRows()) << where << ": each row counts once";
      } else if (cell == 3 || cell == 5) {
        EXPECT_EQ(amount(0, rows), text) << where;
      } else {
        if (r.groups.size() != 2u) {
          ADD_FAILURE() << where << ": " << r.groups.size() << " groups";
          continue;
        }
        EXPECT_EQ(std::to_string(DataRowsOf(r, r.groups[0])), TrimmedCell(list.GetItemText(line, 2))) << where;
        EXPECT_EQ(std::to_string(DataRowsOf(r, r.groups[1])), TrimmedCell(list.GetItemText(line, 4))) << where;
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
    EXPECT_GT(WalkSummary(Db(), p), 20);
    if (p.from != 0) {  // the schedule's days need a start
      EXPECT_GT(WalkProductivity(Db(), p), 8);
    }
    EXPECT_GT(WalkAcceptance(Db(), p), 4);
  }
}

TEST_P(StatsReconcileTest, DamagedPracticeEveryCell) {
  std::string error;
  ASSERT_TRUE(CreateDamagedPractice(Db(), DAMAGED_PRACTICE_SQL, &error)) << error;
  EXPECT_GT(WalkPatients(Db(), {"damaged", 0, 0, false}), 0);
  EXPECT_GT(WalkSummary(Db(), {"damaged", 20260101, 20271231, false}), 0);
  EXPECT_GT(WalkProductivity(Db(), {"damaged", 20261201, 20261231, false}), 0);
  EXPECT_GT(WalkAcceptance(Db(), {"damaged", 20261201, 20261231, false}), 0);
}

INSTANTIATE_DB_TEST(StatsReconcileTest);

}  // namespace
