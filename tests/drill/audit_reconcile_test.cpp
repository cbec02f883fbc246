// Every cell of every audit list drilled, on the demo practice and on the
// damaged practice, on both engines: each figure's rows reproduce it, and
// only label cells are refused.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "audit/audit_drill.h"
#include "audit/audit_generator.h"
#include "audit/audit_options.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "suite/demo_db.h"
#include "suite/schema.h"
#include "tests/support/damaged_practice.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261201;

struct ListCase {
  const char* name;
  bool summary;
  const char* sort_by;
  const char* sum_by;
};

// The key combinations the golden cases use, and one of each shape.
const ListCase kCases[] = {
    {"summary_user_action", true, "14", "1001"},
    {"summary_user_date", true, "12", "1100"},
    {"summary_every_key", true, "1234", "1111"},
    {"summary_module", true, "3", "0010"},
    {"summary_nothing", true, "1", "0000"},
    {"detailed_user_date", false, "12", "1100"},
    {"detailed_module_action", false, "34", "0011"},
    {"detailed_no_subtotal", false, "2", "0000"},
};

AuditOptions OptionsOf(const ListCase& c, long days, const char* source = "B") {
  std::map<std::string, std::string> ini = {{"DaysDiff", std::to_string(days)}, {"SortBy", c.sort_by},
                                            {"SumBy", c.sum_by},          {"AllUsers", "Y"},
                                            {"AllModules", "Y"},          {"AuditTypes", source},
                                            {"TrackEntryExit", "Y"}};
  AuditOptions o;
  ReadAuditTabOptions([&](const char* key, const char* def) {
    auto it = ini.find(key);
    return it == ini.end() ? std::string(def) : it->second;
  }, kToday, &o);
  return o;
}

// The last whole number a cell shows, -1 for none ("Total: 12" 12, "3 " 3).
long NumberIn(std::string_view cell) {
  long value = -1;
  for (size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] < '0' || cell[i] > '9') continue;
    value = 0;
    while (i < cell.size() && cell[i] >= '0' && cell[i] <= '9') value = value * 10 + (cell[i++] - '0');
  }
  return value;
}

struct Walk {
  int figures = 0;     // cells whose rows were counted against them
  int histories = 0;   // detailed lines that opened their record's history
  int refused = 0;
};

// Drills every cell of the list the case gives; reconciles each figure.
Walk WalkList(GenDB* db, const ListCase& c, long days, int history_lines, long to = 0, const char* source = "B") {
  Walk walk;
  AuditOptions options = OptionsOf(c, days, source);
  if (to != 0) options.to_date = to;
  QenListWindow list(c.summary ? 301 : 300);
  LoadRes(&list, c.summary ? 301 : 300);
  AuditDrillMap map;
  map.list_id = list.Id();
  std::unique_ptr<PracBaseGenerator> gen;
  if (c.summary) {
    gen = std::make_unique<PracSummaryGenerator>(db, nullptr, &options);
  } else {
    gen = std::make_unique<PracDetailedGenerator>(db, nullptr, &options);
  }
  gen->KeepDrillMap(&map);
  gen->Generate(&list);
  EXPECT_TRUE(gen->Outcome().Finished()) << gen->Outcome().message;
  int histories_left = history_lines;
  for (int line = 0; line < list.GetCount(); ++line) {
    const bool data = list.GetItemData(line) != -1 && !IsBlankLine(list, line);
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      if (data && !c.summary) {
        // Every cell of a detailed line opens the same history: one cell, a few lines.
        if (cell > 0 || histories_left == 0) continue;
        --histories_left;
      }
      const DrillResult r = DrillAuditCell(db, nullptr, options, list, map, {line, cell});
      const std::string where = std::string(c.name) + " line " + std::to_string(line + 1) + " cell " +
                                std::to_string(cell + 1) + " «" + std::string(list.GetString(line)) + "»";
      EXPECT_TRUE(r.outcome.Finished()) << where << ": " << r.outcome.message;
      if (r.Refused()) {
        ++walk.refused;
        // A figure is never refused: a summary count, a total's sum or count.
        const bool figure = c.summary ? (cell == 5 && NumberIn(list.GetItemText(line, cell)) >= 0)
                                      : (!data && (cell == 0 || cell == 2 || cell == 4 || cell == 5) &&
                                         NumberIn(list.GetItemText(line, cell)) >= 0);
        EXPECT_FALSE(figure) << where << ": " << r.refused;
        continue;
      }
      if (data && !c.summary) {
        // The history of the row's record holds the row.
        bool found = false;
        for (int h = 0; h < r.list->GetCount() && !found; ++h) {
          found = r.list->GetItemData(h) == list.GetItemData(line);
        }
        EXPECT_TRUE(found) << where << ": " << r.title;
        ++walk.histories;
        continue;
      }
      EXPECT_EQ(r.DataRows(), NumberIn(list.GetItemText(line, cell))) << where << ": " << r.title;
      ++walk.figures;
    }
  }
  return walk;
}

// The summary list of options with its drill map.
RunOutcome SummaryOf(GenDB* db, AuditOptions* options, QenListWindow* list, AuditDrillMap* map) {
  LoadRes(list, 301);
  map->list_id = 301;
  PracSummaryGenerator gen(db, nullptr, options);
  gen.KeepDrillMap(map);
  gen.Generate(list);
  return gen.Outcome();
}

class AuditReconcileTest : public DbTest {};

TEST_P(AuditReconcileTest, DemoPracticeEveryCell) {
  DemoOptions demo;
  demo.today = kToday;
  demo.seed = 3;
  DemoSummary summary;
  std::string error;
  ASSERT_TRUE(GenerateDemoPractice(Db(), demo, &summary, &error)) << error;
  for (const ListCase& c : kCases) {
    SCOPED_TRACE(c.name);
    // A week for the summaries (every line, every cell); a few days for the
    // detailed lists, whose totals count up to thousands of lines.
    const Walk walk = WalkList(Db(), c, c.summary ? 7 : 2, 40);
    EXPECT_GT(walk.figures, 0);
    if (!c.summary) {
      EXPECT_GT(walk.histories, 0);
    }
  }
  // One table: a summary keeps the ids it merges, and its figures open by id.
  for (const ListCase& c : kCases) {
    if (!c.summary) continue;
    SCOPED_TRACE(std::string(c.name) + " current table");
    EXPECT_GT(WalkList(Db(), c, 7, 0, 0, "A").figures, 0);
  }
}

TEST_P(AuditReconcileTest, DamagedPracticeEveryCell) {
  std::string error;
  ASSERT_TRUE(CreateDamagedPractice(Db(), DAMAGED_PRACTICE_SQL, &error)) << error;
  for (const ListCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Walk walk = WalkList(Db(), c, 3650, 1000, 20271231);
    EXPECT_GT(walk.figures, 0);
  }
}

// The summary's grand total opens as many rows as the detailed list lists.
TEST_P(AuditReconcileTest, GrandTotalIsTheDetailedList) {
  DemoOptions demo;
  demo.today = kToday;
  DemoSummary summary;
  std::string error;
  ASSERT_TRUE(GenerateDemoPractice(Db(), demo, &summary, &error)) << error;
  AuditOptions options = OptionsOf({"x", true, "12", "1100"}, 10);
  QenListWindow summary_list(301);
  AuditDrillMap map;
  ASSERT_TRUE(SummaryOf(Db(), &options, &summary_list, &map).Finished());
  const int last = summary_list.GetCount() - 1;
  const DrillResult all = DrillAuditCell(Db(), nullptr, options, summary_list, map, {last, 5});
  ASSERT_FALSE(all.Refused()) << all.refused;

  QenListWindow detailed(300);
  PracDetailedGenerator whole(Db(), nullptr, &options);
  whole.Generate(&detailed);
  ASSERT_GT(all.DataRows(), 100);
  ASSERT_EQ(all.list->GetCount(), detailed.GetCount());
  for (int r = 0; r < detailed.GetCount(); ++r) {
    ASSERT_EQ(all.list->GetString(r), detailed.GetString(r)) << r;
  }
}

// A summary by user reads only the line's users' rows; a name longer than a
// log-on name reads cut (its key is not the stored name), a quote is a
// quote: each line still opens exactly the rows it counts.
TEST_P(AuditReconcileTest, SummaryByUserNamesThatReadCutOrQuoted) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  struct Row {
    const char* user;  // SQL literal
    int rows;
  };
  const Row rows[] = {{"'anne'", 3}, {"'léopoldin'", 2}, {"'O''Brien'", 1}, {"''", 2}};
  int id = 1;
  for (const Row& r : rows) {
    for (int n = 0; n < r.rows; ++n, ++id) {
      Exec("INSERT INTO AUDITFIL VALUES (" + std::to_string(id) + ", 'B', 'E', 1, " + r.user +
           ", 20261130, " + std::to_string(100000 + id) + ", 'PATIENT', '', '', '', '', '')");
    }
  }
  AuditOptions options = OptionsOf({"by_user", true, "1", "1000"}, 30);
  QenListWindow list(301);
  AuditDrillMap map;
  const RunOutcome summarised = SummaryOf(Db(), &options, &list, &map);
  ASSERT_TRUE(summarised.Finished()) << summarised.message;
  std::multiset<long> counts;
  for (int line : map.data_lines) {
    const DrillResult r = DrillAuditCell(Db(), nullptr, options, list, map, {line, 5});
    ASSERT_FALSE(r.Refused()) << r.refused;
    EXPECT_EQ(r.DataRows(), NumberIn(list.GetItemText(line, 5))) << list.GetString(line);
    counts.insert(r.DataRows());
  }
  // anne 3, the cut name 2, O'Brien 1, the rows without a user 2.
  EXPECT_EQ(counts, (std::multiset<long>{1, 2, 2, 3}));
}

INSTANTIATE_DB_TEST(AuditReconcileTest);

}  // namespace
