// Drill-down against generating the list it drills, each measured in the
// same run on the same database, best of three, wall and CPU:
//   productivity  a monthly report of a year (every producer): the list
//                 generated with and without the drill map, then one month's
//                 booked cell of the first producer drilled
//   goals         a year's report: generated, then the first producer's
//                 total-column cell (a year of production items and goals)
//   audit         a summary per user over the days that hold about 50,000
//                 rows for one user: generated, then the largest count
//                 drilled (the detailed rows behind it), beside the detailed
//                 list of the same days (whose rows the drill lists)
//
//   bench_drill [sqlite:PATH | postgresql://...] [TODAY] [PREFIX]
// Default: the demo database; TODAY pins the date the periods end at;
// PREFIX the tables' prefix (a schema on PostgreSQL: "big.").
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "appt/appt_drill.h"
#include "appt/appt_generator.h"
#include "appt/appt_lines.h"
#include "appt/appt_options.h"
#include "audit/audit_drill.h"
#include "audit/audit_generator.h"
#include "goals/goals_drill.h"
#include "goals/goals_generator.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "suite/production_service.h"
#include "suite/suite_paths.h"

namespace {

struct Time {
  double wall = 1e30, cpu = 1e30;
};

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Best of three runs of fn (wall and CPU taken from the same run).
Time Best(const std::function<void()>& fn) {
  Time best;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    fn();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (wall < best.wall) best = {wall, CpuSeconds() - cpu};
  }
  return best;
}

void Report(const char* what, const Time& list, const Time& drill, long rows) {
  std::printf("%-14s list %7.3f s (cpu %7.3f)  drill %7.3f s (cpu %7.3f)  %7ld rows  drill/list %.3f\n", what,
              list.wall, list.cpu, drill.wall, drill.cpu, rows, drill.wall / list.wall);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string url = argc > 1 ? argv[1] : DefaultDemoDbUrl();
  if (argc > 2) SetToday(std::atol(argv[2]));
  std::string error;
  QenApplication app;
  const std::string prefix = argc > 3 ? argv[3] : "";
  std::unique_ptr<GenDB> owned = OpenGenDB(url, prefix, false, &error);
  if (!owned) {
    std::fprintf(stderr, "bench_drill: %s\n", error.c_str());
    return 1;
  }
  app.SetDb(std::move(owned));
  QenApplication::SetInstance(&app);
  InstallProductionService(&app);
  GenDB* db = app.GetDb();
  const long today = ldate_today();
  const int year = static_cast<int>(today / 10000);

  // --- productivity ------------------------------------------------------------------
  {
    PracApptSettings s;
    ReadApptOptions([](const char*, const char* def) { return std::string(def); }, today, &s);
    s.ReportBy = 'M';
    s.NetFees = 'Y';
    s.DateFrom = year * 10000L + 101;
    s.DateTo = today;
    std::vector<ApptChoice> choices;
    LoadApptChoices(db, true, &choices);
    std::vector<std::string> known;
    for (const ApptChoice& c : choices) known.push_back(c.key);
    SelectApptKeys(db, known, true, {}, &s);
    QenListWindow list(5111);
    LoadDialogListRes(&list, 2003, 5111);
    SetUpApptColumns(&list, &s);
    auto generate = [&](ApptDrillMap* map) {
      list.ClearList();
      PracApptGenerator gen(db, nullptr, 0, &s);
      gen.KeepDrillMap(map);
      gen.Generate(&list);
    };
    const Time plain = Best([&] { generate(nullptr); });
    ApptDrillMap map;
    const Time kept = Best([&] { generate(&map); });
    DrillResult r;
    const Time drill = Best([&] { r = DrillApptCell(list, map, {0, 2}, false, db); });
    std::printf("productivity: keeping the drill map costs %.3f s over %.3f s (%.1f%%), %zu rows kept\n",
                kept.wall - plain.wall, plain.wall, 100.0 * (kept.wall - plain.wall) / plain.wall,
                map.contributions.size());
    Report("productivity", kept, drill, r.DataRows());
  }

  // --- goals ---------------------------------------------------------------------------
  {
    std::vector<GoalsProducer> active;
    LoadActiveProducers(db, &active, &error);
    GoalsOptions o;
    const std::string y = std::to_string(year - 1).substr(0, 4);
    std::memcpy(o.year, y.c_str(), y.size() + 1);
    o.show_tot_col = 'Y';
    GoalsDisplay display;
    display.show_tot_col = 'Y';
    const std::vector<std::string> selected = SelectedGoalsProducers(o, active);
    QenListWindow list(kGoalsListId);
    SetGoalsColumns(&list, o, true);
    GoalsDrillMap map;
    const Time gen = Best([&] {
      GenerateGoalsReport(db, o, display, selected, ChannelProduction(&app, nullptr), &list, &map);
    });
    DrillResult r;
    const Time drill = Best([&] { r = DrillGoalsCell(db, list, map, {0, kGoalsTotalColumn}); });
    Report("goals", gen, drill, r.DataRows());
  }

  // --- audit summary ---------------------------------------------------------------------
  {
    AuditOptions o;
    o.all_users = 'Y';
    o.all_modules = 'Y';
    o.source = 'A';
    o.sort_keys[0] = kKeyUser;
    o.sort_key_count = 1;
    o.subtotal[0] = 1;
    // The days back from today that hold about 50,000 rows for the largest user.
    long days = 1;
    QenListWindow list(301);
    LoadRes(&list, 301);
    AuditDrillMap map;
    map.list_id = 301;
    int best_line = 0;
    long best_count = 0;
    for (;;) {
      o.to_date = today;
      o.from_date = incr_date(today, -(days - 1));
      list.ClearList();
      PracSummaryGenerator gen(db, nullptr, &o);
      gen.KeepDrillMap(&map);
      gen.Generate(&list);
      best_count = 0;
      for (size_t k = 0; k < map.data_lines.size(); ++k) {
        const long n = std::atol(std::string(list.GetItemText(map.data_lines[k], 5)).c_str());
        if (n > best_count) {
          best_count = n;
          best_line = map.data_lines[k];
        }
      }
      if (best_count >= 50000 || days > 3650 || best_count == 0) break;
      days = std::max(days + 1, days * 50000 / best_count);
    }
    const Time gen = Best([&] {
      list.ClearList();
      PracSummaryGenerator g(db, nullptr, &o);
      g.KeepDrillMap(&map);
      g.Generate(&list);
    });
    DrillResult r;
    const Time drill = Best([&] { r = DrillAuditCell(db, nullptr, o, list, map, {best_line, 5}); });
    // The detailed list of the same options: the list whose rows the drill lists.
    long detailed_rows = 0;
    const Time detailed = Best([&] {
      QenListWindow all(300);
      PracDetailedGenerator g(db, nullptr, &o);
      g.Generate(&all);
      detailed_rows = all.GetCount();
    });
    std::printf("audit: %ld days, the largest user count %ld\n", days, best_count);
    Report("audit summary", gen, drill, r.DataRows());
    std::printf("%-14s list %7.3f s (cpu %7.3f)  (%ld lines)  drill/detailed %.3f\n", "audit detailed", detailed.wall,
                detailed.cpu, detailed_rows, drill.wall / detailed.wall);
  }
  return 0;
}
