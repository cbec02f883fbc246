// Every cell of productivity reports drilled, on the demo practice and on
// the damaged practice, on both engines: the rows of each figure reproduce
// it (count, hours, units, cents), the usage its two sides, the net fees
// the production service's items.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "appt/appt_drill.h"
#include "appt/appt_generator.h"
#include "appt/appt_lines.h"
#include "appt/appt_options.h"
#include "appt/appt_types.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "suite/demo_db.h"
#include "tests/support/damaged_practice.h"
#include "tests/support/test_db.h"

namespace {

struct ReportCase {
  const char* name;
  char list_by, report_by, prod_info, prod_units;
  long from, to;
};

const ReportCase kDemoCases[] = {
    {"month_producers_hours", 'P', 'M', 'S', 'H', 20261001, 20261130},
    {"week_chairs_units", 'C', 'W', 'S', 'U', 20261101, 20261130},
    {"day_producers_types_both", 'P', 'D', 'T', 'B', 20261116, 20261130},
    {"month_chairs_codes", 'C', 'M', 'C', 'H', 20261101, 20261130},
    {"year_producers", 'P', 'Y', 'S', 'B', 20260101, 20261130},
};

PracApptSettings SettingsOf(GenDB* db, const ReportCase& c) {
  std::map<std::string, std::string> ini = {
      {"ListBy", std::string(1, c.list_by)},   {"ReportBy", std::string(1, c.report_by)},
      {"ProdInfo", std::string(1, c.prod_info)}, {"ProdUnits", std::string(1, c.prod_units)},
      {"TrackProd", "Y"},  {"ReportDollar", "Y"}, {"NetFees", "Y"}, {"NoShows", "Y"},
      {"Cancelled", "Y"},  {"Unscheduled", "Y"},  {"AllProducers", "Y"}, {"AllChairs", "Y"}};
  PracApptSettings s;
  ReadApptOptions([&](const char* key, const char* def) {
    auto it = ini.find(key);
    return it == ini.end() ? std::string(def) : it->second;
  }, c.to, &s);
  s.DateFrom = c.from;
  s.DateTo = c.to;
  std::vector<ApptChoice> choices;
  EXPECT_TRUE(LoadApptChoices(db, c.list_by == 'P', &choices));
  std::vector<std::string> known;
  for (const ApptChoice& choice : choices) known.push_back(choice.key);
  EXPECT_TRUE(SelectApptKeys(db, known, true, {}, &s).Finished());
  return s;
}

long Cents(std::string_view money) {  // "$83.00" -> 8300
  const std::string text(money.substr(money.find('$') + 1));
  return std::llround(std::strtod(text.c_str(), nullptr) * 100.0);
}

std::string Trim(std::string_view t) {
  const size_t a = t.find_first_not_of(' ');
  if (a == std::string_view::npos) return std::string();
  return std::string(t.substr(a, t.find_last_not_of(' ') - a + 1));
}

struct Sums {
  long rows = 0, units = 0, minutes = 0, cents = 0;
};

// The data rows of rows [first, end) of a drill list: units, minutes and
// fee from the columns of their kind.
Sums SumRows(const QenListWindow& list, int first, int end, int units_col, int minutes_col, int fee_col) {
  Sums s;
  for (int r = first; r < end; ++r) {
    const long data = list.GetItemData(r);
    if (data == 0 || data == -1) continue;
    ++s.rows;
    if (units_col >= 0) s.units += std::atol(std::string(list.GetItemText(r, units_col)).c_str());
    if (minutes_col >= 0) s.minutes += std::atol(std::string(list.GetItemText(r, minutes_col)).c_str());
    if (fee_col >= 0) s.cents += Cents(list.GetItemText(r, fee_col));
  }
  return s;
}

std::string Pair(char u, long booked_units, long booked_minutes, long avail_units, long avail_minutes) {
  std::string text;
  if (u == 'U' || u == 'B') text = ApptTimeText('U', booked_units, 0, "") + "/" + ApptTimeText('U', avail_units, 0, "");
  if (u == 'B') text += ", ";
  if (u == 'H' || u == 'B') {
    text += ApptTimeText('H', 0, booked_minutes, "") + "/" + ApptTimeText('H', 0, avail_minutes, "");
  }
  return text;
}

struct Walk {
  int figures = 0;
  int refused = 0;
};

Walk WalkReport(GenDB* db, const ReportCase& c) {
  Walk walk;
  PracApptSettings s = SettingsOf(db, c);
  QenListWindow list(5111);
  LoadDialogListRes(&list, 2003, 5111);
  SetUpApptColumns(&list, &s);
  ApptDrillMap map;
  PracApptGenerator gen(db, nullptr, 0, &s);
  gen.KeepDrillMap(&map);
  gen.Generate(&list);
  EXPECT_TRUE(gen.Outcome().Finished()) << gen.Outcome().message;
  const char u = s.ProdUnits;
  for (int line = 0; line < list.GetCount(); ++line) {
    for (int cell = 0; cell < list.CellCount(line); ++cell) {
      const std::string text = Trim(list.GetItemText(line, cell));
      if (text.empty() && cell >= 2) continue;  // the empty cell after the last tab
      const DrillResult r = DrillApptCell(list, map, {line, cell}, false, db);
      const std::string where = std::string(c.name) + " line " + std::to_string(line + 1) + " cell " +
                                std::to_string(cell + 1) + " «" + std::string(list.GetString(line)) + "»";
      const long kind = line < static_cast<int>(map.lines.size()) ? map.lines[static_cast<size_t>(line)].row_kind : -1;
      if (r.Refused()) {
        ++walk.refused;
        EXPECT_TRUE(cell < 2 || kind < 0) << where << ": " << r.refused;
        continue;
      }
      if (r.list == nullptr) {
        ADD_FAILURE() << where << ": no rows";
        continue;
      }
      const QenListWindow& rows = *r.list;
      const int n = rows.GetCount();
      switch (kind) {
        case kApptRowSummary:
        case kApptRowBooked: {
          const Sums t = SumRows(rows, 0, n, 7, 8, -1);
          const std::string expected =
              t.rows < 1 ? "0" : ApptTimeText(u, t.units, t.minutes, ", ") + "  (" + std::to_string(t.rows) + ")";
          EXPECT_EQ(expected, text) << where;
          break;
        }
        case kApptRowAvailable: {
          const Sums t = SumRows(rows, 0, n, 4, 5, -1);
          EXPECT_EQ(ApptTimeText(u, t.units, t.minutes, ","), text) << where;
          break;
        }
        case kApptRowFees: {
          const Sums t = SumRows(rows, 0, n, -1, -1, 10);
          EXPECT_EQ(Cents(text), t.cents) << where;
          break;
        }
        case kApptRowNetFees: {
          EXPECT_TRUE(r.outcome.Finished()) << where << ": " << r.outcome.message;
          const Sums t = SumRows(rows, 0, n, -1, -1, 7);
          EXPECT_EQ(Cents(text), t.cents) << where;
          break;
        }
        case kApptRowUsage: {
          if (r.groups.size() != 2u) {
            ADD_FAILURE() << where << ": " << r.groups.size() << " groups";
            break;
          }
          const Sums b = SumRows(rows, r.groups[0].first, r.groups[0].end, 7, 8, -1);
          const Sums a = SumRows(rows, r.groups[1].first, r.groups[1].end, 7, 8, -1);
          EXPECT_EQ(text.rfind(Pair(u, b.units, b.minutes, a.units, a.minutes), 0), 0u)
              << where << " expected " << Pair(u, b.units, b.minutes, a.units, a.minutes);
          break;
        }
        default:  // the missed rows: a count
          EXPECT_EQ(std::to_string(r.DataRows()), text) << where;
          break;
      }
      ++walk.figures;
    }
  }
  return walk;
}

class ApptReconcileTest : public DbTest {};

TEST_P(ApptReconcileTest, DemoPracticeEveryCell) {
  DemoOptions demo;
  demo.today = 20261201;
  demo.seed = 5;
  DemoSummary summary;
  std::string error;
  ASSERT_TRUE(GenerateDemoPractice(Db(), demo, &summary, &error)) << error;
  for (const ReportCase& c : kDemoCases) {
    SCOPED_TRACE(c.name);
    const Walk walk = WalkReport(Db(), c);
    EXPECT_GT(walk.figures, 50);
  }
}

TEST_P(ApptReconcileTest, DamagedPracticeEveryCell) {
  std::string error;
  ASSERT_TRUE(CreateDamagedPractice(Db(), DAMAGED_PRACTICE_SQL, &error)) << error;
  const ReportCase cases[] = {
      {"damaged_day_producers", 'P', 'D', 'S', 'B', 20261201, 20261231},
      {"damaged_week_chairs", 'C', 'W', 'C', 'H', 20261201, 20261231},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Walk walk = WalkReport(Db(), c);
    EXPECT_GT(walk.figures, 0);
  }
}

INSTANTIATE_DB_TEST(ApptReconcileTest);

}  // namespace
