// bench_audit_window: the audit tab against the command line on the same
// rows, in one run.
//
//   bench_audit_window --db URL [--today YYYYMMDD] [--runs N] [--no-suite]
//                      [KEY=VALUE ...]
//
// KEY=VALUE are keys of section "PRAC_DETAILED"; the defaults ask for the
// detailed list of the last 108 days before 2026-12-01 (about a million rows
// of the large demo practice): every user, every module, entries and exits
// kept, sorted by date, no subtotal.
//
// Each run is a child process of its own; wall time from fork to wait4, cpu
// (user + system) and peak resident memory from wait4. Best of N (3) runs of
//   cli      `vantra audit ... --format tsv --out FILE` (the baseline)
//   window   this program, offscreen: the audit tab built and shown at the
//            size it has in the practice-analysis window, "&Générer"
//            pressed, then the first paint of the tab with its rows
//   suite    `vantra-suite --open 2534 --press Générer --screenshot FILE`
//            (start-up, module, four tabs, the generation, the screenshot
//            once the window is idle)
//   start    the same without --press: what the suite's start-up and the
//            empty window cost, the part of suite that is not the list
// and prints times, the ratios against cli, and peak bytes per listed row
// (rows = lines of the cli's file). The window child also prints where its
// time went (generation, column fitting, first paint).
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audit/ui/audit_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/qt_meter.h"

namespace {

struct Args {
  std::string db;
  long today = 20261201;
  int runs = 3;
  bool suite = true;
  std::vector<std::pair<std::string, std::string>> keys = {
      {"DaysDiff", "108"},     {"SortBy", "2"},          {"SumBy", "0000"},
      {"AllUsers", "Y"},       {"AllModules", "Y"},      {"AuditTypes", "A"},
      {"TrackEntryExit", "Y"},
  };
};

struct Run {
  double wall = 0;
  double cpu = 0;
  long max_rss_kb = 0;
  int status = -1;
  std::string out;  // the child's standard output
};

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs argv in a child; its standard output is kept (and its standard error
// dropped unless it fails).
Run Spawn(const std::vector<std::string>& argv) {
  Run run;
  int out[2];
  if (pipe(out) != 0) return run;
  const double start = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    std::vector<char*> a;
    for (const std::string& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execv(a[0], a.data());
    std::perror(a[0]);
    _exit(127);
  }
  close(out[1]);
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, n);
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.wall = Now() - start;
  run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
            usage.ru_stime.tv_usec / 1e6;
  run.max_rss_kb = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

void WriteIni(const Args& args, const std::string& path) {
  std::filesystem::remove(path);
  WDIniObj ini(path);
  ini.write_secini("SUITE", "ChartInstalled", "Y");
  for (const auto& [key, value] : args.keys) ini.write_secini("PRAC_DETAILED", key.c_str(), value.c_str());
}

// --- the window child ----------------------------------------------------------

int WindowChild(int argc, char** argv, const Args& args, const std::string& ini) {
  QApplication qt(argc, argv);
  QenApplication app;
  QenApplication::SetInstance(&app);
  SetToday(args.today);
  app.SetINI(ini);
  std::string error;
  app.SetDb(OpenGenDB(args.db, "", false, &error));
  if (!app.GetDb()) {
    std::fprintf(stderr, "bench_audit_window: %s: %s\n", args.db.c_str(), error.c_str());
    return 2;
  }
  InstallQtMeterFactory();
  // The tab at about the size it has in the practice-analysis window.
  PracListDialog tab(nullptr, 2001, 0, nullptr);
  tab.Create();
  tab.resize(1090, 680);
  tab.show();
  QApplication::processEvents();

  QElapsedTimer t;
  t.start();
  tab.CmGenerate();
  const double generate = t.nsecsElapsed() / 1e9;
  t.restart();
  QApplication::processEvents();
  const QPixmap shot = tab.grab();
  const double paint = t.nsecsElapsed() / 1e9;
  std::printf("rows %d\ngenerate %.3f\npaint %.3f\nstore %zu\n", tab.DetailedView()->List()->GetCount(),
              generate, paint, tab.DetailedView()->List()->MemoryBytes());
  std::fflush(stdout);
  QenApplication::SetInstance(nullptr);
  return shot.isNull() ? 1 : 0;
}

double Field(const std::string& out, const std::string& name) {
  const size_t at = out.find(name + " ");
  return at == std::string::npos ? 0 : std::atof(out.c_str() + at + name.size() + 1);
}

long CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  long lines = 0;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    lines += std::count(buffer, buffer + in.gcount(), '\n');
    if (!in) break;
  }
  return lines;
}

// Best wall and best cpu of the runs; the highest peak.
Run Best(const std::vector<Run>& runs) {
  Run best = *std::min_element(runs.begin(), runs.end(),
                               [](const Run& a, const Run& b) { return a.wall < b.wall; });
  for (const Run& r : runs) {
    best.cpu = std::min(best.cpu, r.cpu);
    best.max_rss_kb = std::max(best.max_rss_kb, r.max_rss_kb);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  bool child = false;
  std::string child_ini;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
    if (a == "--db") args.db = next();
    else if (a == "--today") args.today = std::atol(next().c_str());
    else if (a == "--runs") args.runs = std::max(1, std::atoi(next().c_str()));
    else if (a == "--no-suite") args.suite = false;
    else if (a == "--window-child") { child = true; child_ini = next(); }
    else if (a.find('=') != std::string::npos) {
      const std::string key = a.substr(0, a.find('='));
      const std::string value = a.substr(a.find('=') + 1);
      auto it = std::find_if(args.keys.begin(), args.keys.end(), [&](const auto& kv) { return kv.first == key; });
      if (it != args.keys.end()) it->second = value;
      else args.keys.emplace_back(key, value);
    } else {
      std::fprintf(stderr,
                   "usage: bench_audit_window --db URL [--today YYYYMMDD] [--runs N] [--no-suite] [KEY=VALUE ...]\n");
      return 2;
    }
  }
  if (args.db.empty()) {
    std::fprintf(stderr, "bench_audit_window: --db URL is required (e.g. sqlite:large.sqlite)\n");
    return 2;
  }
  if (child) {
    int qt_argc = 1;
    return WindowChild(qt_argc, argv, args, child_ini);
  }

  const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
  const std::filesystem::path bin = self.parent_path();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("bench_audit_window." + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string ini = (dir / "tolvane.ini").string();
  const std::string tsv = (dir / "cli.tsv").string();
  const std::string today = std::to_string(args.today);

  std::vector<std::string> cli = {(bin / "vantra").string(), "audit", "--db", args.db, "--today", today,
                                  "--format", "tsv", "--out", tsv};
  for (const auto& [key, value] : args.keys) cli.push_back(key + "=" + value);
  const std::vector<std::string> window = {self.string(), "--db", args.db, "--today", today,
                                           "--window-child", ini};
  const std::vector<std::string> suite = {(bin / "vantra-suite").string(), "--db", args.db, "--ini", ini,
                                          "--today", today, "--open", "2534", "--press", "Générer",
                                          "--screenshot", (dir / "suite.png").string()};

  std::vector<std::string> start(suite);
  start.erase(std::find(start.begin(), start.end(), "--press"), std::find(start.begin(), start.end(), "--screenshot"));

  std::vector<Run> cli_runs, window_runs, suite_runs, start_runs;
  for (int r = 0; r < args.runs; ++r) {
    // The order turns so that no path always runs on a warm or a cold cache.
    for (int k = 0; k < 4; ++k) {
      const int which = (k + r) % 4;
      if (which == 0) {
        cli_runs.push_back(Spawn(cli));
      } else if (which == 1) {
        WriteIni(args, ini);
        window_runs.push_back(Spawn(window));
      } else if (which == 2 && args.suite) {
        WriteIni(args, ini);
        suite_runs.push_back(Spawn(suite));
      } else if (which == 3 && args.suite) {
        WriteIni(args, ini);
        start_runs.push_back(Spawn(start));
      }
    }
    std::fprintf(stderr, "run %d: cli %.2fs, window %.2fs%s\n", r + 1, cli_runs.back().wall,
                 window_runs.back().wall,
                 args.suite ? (", suite " + std::to_string(suite_runs.back().wall) + "s").c_str() : "");
  }
  for (const auto* runs : {&cli_runs, &window_runs, &suite_runs, &start_runs}) {
    for (const Run& r : *runs) {
      if (r.status != 0) {
        std::fprintf(stderr, "bench_audit_window: a run failed (status %d)\n", r.status);
        return 1;
      }
    }
  }
  const long rows = CountLines(tsv);
  const Run c = Best(cli_runs);
  const Run w = Best(window_runs);
  std::printf("rows listed: %ld (window list: %.0f rows)\n", rows, Field(w.out, "rows"));
  std::printf("%-8s %9s %9s %10s %9s %10s %10s\n", "", "wall", "cpu", "wall/cli", "cpu/cli", "peak MB",
              "bytes/row");
  auto line = [&](const char* name, const Run& r) {
    std::printf("%-8s %8.2fs %8.2fs %9.2fx %8.2fx %10.1f %10.0f\n", name, r.wall, r.cpu, r.wall / c.wall,
                r.cpu / c.cpu, r.max_rss_kb / 1024.0, rows > 0 ? r.max_rss_kb * 1024.0 / rows : 0.0);
  };
  line("cli", c);
  line("window", w);
  if (args.suite) {
    line("suite", Best(suite_runs));
    line("start", Best(start_runs));
  }
  std::printf("window, best run: generation %.2fs, first paint %.3fs; list store %.1f MB\n",
              Field(w.out, "generate"), Field(w.out, "paint"), Field(w.out, "store") / 1048576.0);
  std::filesystem::remove_all(dir);
  return 0;
}
