// bench_productivity: the productivity report on the large demo practice,
// against the sqlite3 shell reading the rows the report depends on, and on
// PostgreSQL against SQLite.
//
//   bench_productivity [--db sqlite:FILE] [--pg URL] [--pg-prefix P]
//                      [--from D] [--to D] [--statements]
//
// Defaults: /work/data/large.sqlite (made with --today 20261201), the year
// 2025-12-01 to 2026-11-30, PostgreSQL from --pg or VANTRA_TEST_PG_URL with
// the prefix "large." (skipped when neither is set).
//
// Runs, each a child process of its own (its own connection and peak
// resident memory, from wait4):
//   baseline   the sqlite3 shell reading that year's PATAPT rows and its
//              schedule audit rows (AUD_TYPE = 'S', both audit tables), output
//              to /dev/null
//   producers  a daily report for every active producer (net fees on)
//   chairs     a daily report for every chair
// on SQLite (ratio to the baseline) and PostgreSQL (ratio to SQLite); with
// --statements also the statement-by-statement path on SQLite.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "appt/appt_lines.h"
#include "appt/appt_generator.h"
#include "host/application.h"
#include "host/gendb.h"
#include "host/list_window.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Figures {
  double seconds = 0;
  long peak_kb = 0;
  bool ok = false;
};

// Runs body in a child process; body returns the exit status.
template <class Body>
Figures InChild(Body body) {
  Figures f;
  std::fflush(stdout);
  const double t0 = Now();
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  f.seconds = Now() - t0;
  f.peak_kb = usage.ru_maxrss;
  f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return f;
}

Figures Shell(const std::string& file, const std::string& sql) {
  return InChild([&] {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
    execlp("sqlite3", "sqlite3", "-batch", file.c_str(), sql.c_str(), static_cast<char*>(nullptr));
    return 127;
  });
}

// One report: every active producer (list_by 'P') or every chair ('C').
Figures Report(const std::string& url, const std::string& prefix, char list_by, long from, long to, bool statements,
               long* lines) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return {};
  Figures f = InChild([&] {
    close(pipefd[0]);
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB(url, prefix, false, &error);
    if (!db) {
      std::fprintf(stderr, "bench_productivity: %s\n", error.c_str());
      return 1;
    }
    QenApplication app;
    GenDB* raw = db.get();
    app.SetDb(std::move(db));
    QenApplication::SetInstance(&app);
    PracApptSettings s;
    s.DateFrom = from;
    s.DateTo = to;
    s.ListBy = list_by;
    s.ReportBy = 'D';
    s.NetFees = 'Y';
    const std::string sql = list_by == 'P'
                                ? std::string("SELECT PROD_CODE FROM ") + raw->dbPrefix() +
                                      "PRODCD WHERE PROD_INACTIVE != 'Y' ORDER BY PROD_CODE"
                                : std::string("SELECT CHR_LOC, CHR_IDNO FROM ") + raw->dbPrefix() +
                                      "CHAIR ORDER BY CHR_IDNO";
    raw->dbExecute(sql.c_str(), 21);
    for (int r = raw->dbFetch(0, 21); r == 0 && s.SelectedCount < kApptMaxSelected; r = raw->dbFetch(1, 21)) {
      if (list_by == 'P') {
        raw->dbGetString(1, s.Producers[s.SelectedCount], 4, 21);
      } else {
        char loc = ' ';
        short n = 0;
        raw->dbGetChar(1, &loc, 21);
        raw->dbGetShort(2, &n, 21);
        std::snprintf(s.Chairs[s.SelectedCount], sizeof s.Chairs[0], "%c%02hd", loc, n);
      }
      ++s.SelectedCount;
    }
    raw->dbClose(21);
    QenListWindow list(5111);
    list.AddColumn("Date", 8);
    list.AddColumn("Action", 10);
    SetUpApptColumns(&list, &s);
    PracApptGenerator gen(raw, nullptr, 0, &s);
    gen.SetStatementReads(statements);
    gen.Generate(&list);
    const long count = list.GetCount();
    if (write(pipefd[1], &count, sizeof count) != sizeof count) return 1;
    close(pipefd[1]);
    if (!gen.Outcome().message.empty()) std::fprintf(stderr, "bench_productivity: %s\n", gen.Outcome().message.c_str());
    return gen.Outcome().message.empty() ? 0 : 1;
  });
  close(pipefd[1]);
  *lines = 0;
  if (read(pipefd[0], lines, sizeof *lines) != sizeof *lines) *lines = 0;
  close(pipefd[0]);
  return f;
}

void Print(const char* what, const Figures& f, long lines) {
  std::printf("  %-44s %7.2f s  peak %6.1f MB  %6ld lines%s\n", what, f.seconds, f.peak_kb / 1024.0, lines,
              f.ok ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
  std::string db = "sqlite:/work/data/large.sqlite", pg, pg_prefix = "large.";
  long from = 20251201, to = 20261130;
  bool statements = false;
  if (const char* env = std::getenv("VANTRA_TEST_PG_URL")) pg = env;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--db") db = next();
    else if (a == "--pg") pg = next();
    else if (a == "--pg-prefix") pg_prefix = next();
    else if (a == "--from") from = std::atol(next().c_str());
    else if (a == "--to") to = std::atol(next().c_str());
    else if (a == "--statements") statements = true;
    else {
      std::fprintf(stderr,
                   "usage: bench_productivity [--db sqlite:FILE] [--pg URL] [--pg-prefix P] [--from D] [--to D] "
                   "[--statements]\n");
      return 2;
    }
  }
  if (db.rfind("sqlite:", 0) != 0) {
    std::fprintf(stderr, "bench_productivity: --db must be sqlite:FILE\n");
    return 2;
  }
  const std::string file = db.substr(7);
  char sql[1024];
  std::snprintf(sql, sizeof sql,
                "SELECT * FROM PATAPT WHERE PAPT_DATE >= %ld AND PAPT_DATE <= %ld; "
                "SELECT * FROM AUDITFIL WHERE AUD_DATE >= %ld AND AUD_DATE <= %ld AND AUD_TYPE = 'S'; "
                "SELECT * FROM AUDHIS WHERE AUDH_DATE >= %ld AND AUDH_DATE <= %ld AND AUDH_TYPE = 'S';",
                from, to, from, to, from, to);
  std::printf("productivity, daily, %ld to %ld\n", from, to);
  Shell(file, sql);  // warm the page cache for every run alike
  const Figures base = Shell(file, sql);
  Print("sqlite3 shell: the year's PATAPT and S rows", base, 0);
  long lines = 0;
  const Figures sp = Report(db, "", 'P', from, to, false, &lines);
  Print("SQLite, every producer", sp, lines);
  const Figures sc = Report(db, "", 'C', from, to, false, &lines);
  Print("SQLite, every chair", sc, lines);
  std::printf("  ratio to the shell: producers %.2f, chairs %.2f\n", sp.seconds / base.seconds,
              sc.seconds / base.seconds);
  if (statements) {
    const Figures st = Report(db, "", 'P', from, to, true, &lines);
    Print("SQLite, every producer, statement by statement", st, lines);
    std::printf("  statement path / set-based: %.2f\n", st.seconds / sp.seconds);
  }
  if (pg.empty()) {
    std::printf("  PostgreSQL skipped (no --pg, VANTRA_TEST_PG_URL not set)\n");
    return sp.ok && sc.ok ? 0 : 1;
  }
  const Figures pp = Report(pg, pg_prefix, 'P', from, to, false, &lines);
  Print("PostgreSQL, every producer", pp, lines);
  const Figures pc = Report(pg, pg_prefix, 'C', from, to, false, &lines);
  Print("PostgreSQL, every chair", pc, lines);
  std::printf("  ratio to SQLite: producers %.2f, chairs %.2f\n", pp.seconds / sp.seconds, pc.seconds / sc.seconds);
  return sp.ok && sc.ok && pp.ok && pc.ok ? 0 : 1;
}
