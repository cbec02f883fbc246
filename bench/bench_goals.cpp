// The goals report on a practice database: the whole report (monthly, with a
// comparison year, quarterly) against its baseline measured in the same run,
// one production request for the whole year; and the report's own work
// (goals, entries, rows) with the production answers replayed from memory.
//
//   bench_goals [sqlite:PATH | postgresql://...] [YEAR]
// Default: the demo database, the year before today's.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "goals/goals_generator.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/list_window.h"
#include "host/prodanal.h"
#include "suite/production_service.h"
#include "suite/suite_paths.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

GoalsOptions Options(int year, int comp_year, bool monthly) {
  GoalsOptions o;
  const std::string y = std::to_string(year).substr(0, 4), c = std::to_string(comp_year).substr(0, 4);
  std::memcpy(o.year, y.c_str(), y.size() + 1);
  if (comp_year) std::memcpy(o.comp_year, c.c_str(), c.size() + 1);
  o.report_by = monthly ? 'M' : 'Q';
  std::memset(o.q, 'Y', sizeof o.q);
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string url = argc > 1 ? argv[1] : DefaultDemoDbUrl();
  std::string error;
  QenApplication app;
  std::unique_ptr<GenDB> db = OpenGenDB(url, "", false, &error);
  if (!db) {
    std::fprintf(stderr, "bench_goals: %s\n", error.c_str());
    return 1;
  }
  app.SetDb(std::move(db));
  QenApplication::SetInstance(&app);
  InstallProductionService(&app);
  const int year = argc > 2 ? std::atoi(argv[2]) : static_cast<int>(ldate_today() / 10000);
  std::vector<GoalsProducer> active;
  LoadActiveProducers(app.GetDb(), &active, &error);
  GoalsOptions all = Options(year, 0, true);
  const std::vector<std::string> selected = SelectedGoalsProducers(all, active);
  const GoalsProductionFn service = ChannelProduction(&app, nullptr);
  GoalsDisplay display;

  auto start = std::chrono::steady_clock::now();
  TDList whole;
  std::string why;
  service(year * 10000L + 101, year * 10000L + 1231, &whole, &why);
  const double baseline = Seconds(start);
  std::printf("%s, %d, %zu producers\n", url.c_str(), year, selected.size());
  std::printf("baseline: one production request for the year   %8.3f s\n", baseline);

  struct Run { const char* name; GoalsOptions options; } runs[] = {
      {"monthly (12 requests)", Options(year, 0, true)},
      {"monthly against the year before (24)", Options(year, year - 1, true)},
      {"quarterly (4)", Options(year, 0, false)},
  };
  for (const Run& r : runs) {
    QenListWindow list(kGoalsListId);
    start = std::chrono::steady_clock::now();
    GenerateGoalsReport(app.GetDb(), r.options, display, selected, service, &list);
    const double s = Seconds(start);
    std::printf("%-40s %8.3f s  %6.1f x baseline  %d rows\n", r.name, s, s / baseline, list.GetCount());
  }

  // The report's own work: the same 24 answers replayed from memory.
  std::map<long, std::vector<std::pair<std::string, int32_t>>> answers;
  const GoalsProductionFn recorder = [&](long from, long to, TDList* out, std::string* why) {
    const bool ok = service(from, to, out, why);
    for (auto* p : out->As<prodanal_info>()) answers[from].emplace_back(p->Code(), p->Get(Triple::T5));
    return ok;
  };
  const GoalsProductionFn replay = [&](long from, long, TDList* out, std::string*) {
    for (const auto& [code, cents] : answers[from]) {
      auto* p = new prodanal_info;
      p->SetCode(code);
      p->Set(Triple::T5, 1, cents);
      out->Append(p);
    }
    return true;
  };
  QenListWindow list(kGoalsListId);
  GenerateGoalsReport(app.GetDb(), runs[1].options, display, selected, recorder, &list);
  start = std::chrono::steady_clock::now();
  GenerateGoalsReport(app.GetDb(), runs[1].options, display, selected, replay, &list);
  const double own = Seconds(start);
  std::printf("%-40s %8.3f s  %6.3f x baseline\n", "report's own work (24 answers replayed)", own, own / baseline);
  QenApplication::SetInstance(nullptr);
  return 0;
}
