// bench_stats: "Générer" of the statistics tab (patients, case acceptance,
// summary; the productivity list is not connected yet) on the large demo
// practice, one year, every producer, on SQLite and PostgreSQL.
//
//   bench_stats [--db URL] [--prefix P] [--pg URL] [--pg-prefix P]
//               [--from YYYYMMDD] [--to YYYYMMDD] [--repeat N]
//
// Defaults: --db sqlite:/work/data/large.sqlite (opened read-only in
// practice: nothing is written), one year back from 20261201, 3 repeats
// (best time kept). The PostgreSQL run uses --pg or VANTRA_TEST_PG_URL with
// --pg-prefix (default "large.", the schema `vantra demo-db --prefix large.`
// fills); skipped when neither URL is set.
//
// Figures per engine (seconds, best of N):
//   patients, acceptance (set-based look-ups), acceptance (one look-up per
//   audit row), summary, and "generate all" (the lists in the print order)
//   baseline: the same statements' rows fetched and dropped (the five SQL
//   statements of the patients and case-acceptance lists, and the look-ups
//   of the set-based path)
// Ratios: generate all / baseline; one-by-one / set-based; PostgreSQL /
// SQLite. The two look-up paths are also compared row by row.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "stats/case_acceptance.h"
#include "stats/stats_generator.h"
#include "stats/stats_patients.h"
#include "suite/production_service.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Best(int repeat, const std::function<void()>& fn) {
  double best = 1e30;
  for (int i = 0; i < repeat; ++i) {
    const double t0 = Now();
    fn();
    best = std::min(best, Now() - t0);
  }
  return best;
}

// Fetches every row of sql and drops it; the number of rows.
long Drain(GenDB* db, const std::string& sql, int columns) {
  long rows = 0;
  db->dbExecute(sql.c_str(), 77);
  for (int r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    std::string s;
    for (int c = 1; c <= columns; ++c) db->dbGetField(c, &s, 77, false);
    ++rows;
  }
  db->dbClose(77);
  return rows;
}

std::vector<std::string> Texts(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int r = 0; r < list.GetCount(); ++r) out.emplace_back(list.GetString(r));
  return out;
}

struct Figures {
  double patients = 0, acceptance = 0, acceptance_one = 0, summary = 0, all = 0, baseline = 0;
  long audit_rows = 0, lookups_set = 0, lookups_one = 0;
  bool identical = false;
  bool ok = false;
};

Figures Measure(const std::string& url, const std::string& prefix, const StatsSelection& sel, int repeat) {
  Figures f;
  std::string error;
  QenApplication app;
  std::unique_ptr<GenDB> db = OpenGenDB(url, prefix, false, &error);
  if (!db) {
    std::fprintf(stderr, "bench_stats: %s: %s\n", url.c_str(), error.c_str());
    return f;
  }
  GenDB* d = db.get();
  app.SetDb(std::move(db));
  InstallProductionService(&app);
  QenApplication::SetInstance(&app);
  StatsContext context;
  context.db = d;
  context.channel = app.Channel();
  StatsLists lists;

  f.patients = Best(repeat, [&] { FillStatsList(kStatsPatients, sel, context, &lists); });
  f.acceptance = Best(repeat, [&] { FillStatsList(kStatsAcceptance, sel, context, &lists); });
  const std::vector<std::string> set_rows = Texts(lists.List(kStatsAcceptance));
  StatsContext one = context;
  one.statement_lookups = true;
  f.acceptance_one = Best(repeat, [&] { FillStatsList(kStatsAcceptance, sel, one, &lists); });
  f.identical = Texts(lists.List(kStatsAcceptance)) == set_rows;
  f.summary = Best(repeat, [&] { FillStatsList(kStatsSummary, sel, context, &lists); });
  f.all = Best(repeat, [&] { FillAllStatsLists(sel, context, &lists); });
  {
    CaseAcceptanceGenerator gen(d, sel);
    QenListWindow list(108);
    gen.Fill(&list);
    f.lookups_set = gen.Lookups();
    gen.SetStatementLookups(true);
    gen.Fill(&list);
    f.lookups_one = gen.Lookups();
  }
  f.baseline = Best(repeat, [&] {
    for (int q = 0; q < 4; ++q) Drain(d, PatientsStatement(q, sel, d->dbPrefix()), 2);
    f.audit_rows = Drain(d, CaseAuditStatement(sel.from, sel.to, d->dbPrefix()), 7);
    const std::string p = d->dbPrefix();
    Drain(d, "SELECT CTRT_ID,CTRT_PRODUCER,CTRT_TOTAL FROM " + p + "CLMTRT WHERE CTRT_DEL_DATE = 0", 3);
    Drain(d, "SELECT TTRT_ID,TTRT_PRODUCER,TTRT_TOTAL FROM " + p + "TXPTRT WHERE TTRT_DEL_DATE = 0", 3);
  });
  QenApplication::SetInstance(nullptr);
  f.ok = true;
  return f;
}

void Print(const char* engine, const Figures& f) {
  std::printf("%-10s patients %.3f s  acceptance %.3f s (one look-up per row %.3f s, %ld vs %ld statements, "
              "%ld audit rows, same rows: %s)  summary %.3f s\n",
              engine, f.patients, f.acceptance, f.acceptance_one, f.lookups_set, f.lookups_one, f.audit_rows,
              f.identical ? "yes" : "NO", f.summary);
  std::printf("%-10s generate all %.3f s  baseline (rows fetched and dropped) %.3f s  ratio %.2f  "
              "one-by-one / set-based %.2f\n",
              engine, f.all, f.baseline, f.baseline > 0 ? f.all / f.baseline : 0,
              f.acceptance > 0 ? f.acceptance_one / f.acceptance : 0);
}

}  // namespace

int main(int argc, char** argv) {
  std::string db = "sqlite:/work/data/large.sqlite", prefix, pg, pg_prefix = "large.";
  if (const char* env = std::getenv("VANTRA_TEST_PG_URL")) pg = env;
  StatsSelection sel;
  sel.from = 20251202;
  sel.to = 20261201;
  int repeat = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i], value = argv[i + 1];
    if (flag == "--db") db = value;
    else if (flag == "--prefix") prefix = value;
    else if (flag == "--pg") pg = value;
    else if (flag == "--pg-prefix") pg_prefix = value;
    else if (flag == "--from") sel.from = std::atol(value.c_str());
    else if (flag == "--to") sel.to = std::atol(value.c_str());
    else if (flag == "--repeat") repeat = std::max(1, std::atoi(value.c_str()));
    else {
      std::fprintf(stderr, "bench_stats: option inconnue %s\n", flag.c_str());
      return 2;
    }
  }
  std::printf("bench_stats: %ld-%ld, every producer, best of %d (productivity list not connected: not timed)\n",
              sel.from, sel.to, repeat);
  const Figures lite = Measure(db, prefix, sel, repeat);
  if (!lite.ok) return 1;
  Print("sqlite", lite);
  if (pg.empty()) {
    std::printf("postgres   skipped (no --pg, no VANTRA_TEST_PG_URL)\n");
    return 0;
  }
  const Figures post = Measure(pg, pg_prefix, sel, repeat);
  if (!post.ok) return 1;
  Print("postgres", post);
  std::printf("postgres / sqlite: generate all %.2f, acceptance %.2f, patients %.2f, summary %.2f\n",
              post.all / lite.all, post.acceptance / lite.acceptance, post.patients / lite.patients,
              post.summary / lite.summary);
  return lite.identical && post.identical ? 0 : 1;
}
