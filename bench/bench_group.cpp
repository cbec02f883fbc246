// bench_group: the analyses across the clinics of a group on one
// PostgreSQL server, at 1, 5, 20 and 50 clinic schemas of the small demo
// practice.
//
//   bench_group [--pg URL] [--vantra PATH] [--counts 1,5,20,50] [--runs 3]
//
// PostgreSQL from --pg or VANTRA_TEST_PG_URL. The clinics are the schemas
// grp1 ... grp50, each made once with `vantra demo-db --prefix grpN. --today
// 20261201` (kept for the next run). Each figure is `vantra COMMAND
// --clinics grp1,...,grpN` run as a child process, standard output to
// /dev/null, best of --runs (wall; the child's CPU time beside it):
//   productivity  November 2026 by month
//   stats         November 2026, the four lists ("Générer")
//   goals         the year 2026
//   audit         the summary of November 2026 by user
// For each count: the time per clinic with --jobs 2 (flat when the run
// scales linearly) and the parallel run against the same clinics one after
// another (--jobs 1): the ratio of wall times. "marginal s/c" is what each
// clinic beyond the first count adds, the program's start-up aside.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "suite/clinics.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Figures {
  double wall = 0;
  double cpu = 0;
  int status = 0;
};

// Runs args with standard output (and error, unless keep_err) to /dev/null.
Figures Run(const std::vector<std::string>& args, bool keep_err = false) {
  Figures f;
  const double start = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    if (!keep_err) dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  f.wall = Now() - start;
  f.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return f;
}

Figures Best(const std::vector<std::string>& args, int runs) {
  Figures best;
  for (int i = 0; i < runs; ++i) {
    const Figures f = Run(args);
    if (f.status != 0) return f;
    if (i == 0 || f.wall < best.wall) best = f;
  }
  return best;
}

std::string ProgramBeside(const char* argv0, const char* name) {
  std::string self = argv0;
  const size_t slash = self.rfind('/');
  return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/" + name;
}

}  // namespace

int main(int argc, char** argv) {
  std::string pg = std::getenv("VANTRA_TEST_PG_URL") != nullptr ? std::getenv("VANTRA_TEST_PG_URL") : "";
  std::string vantra = ProgramBeside(argv[0], "vantra");
  std::vector<int> counts = {1, 5, 20, 50};
  int runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--pg") pg = argv[i + 1];
    if (flag == "--vantra") vantra = argv[i + 1];
    if (flag == "--runs") runs = std::atoi(argv[i + 1]);
    if (flag == "--counts") {
      counts.clear();
      for (const char* p = argv[i + 1]; *p != '\0';) {
        counts.push_back(std::atoi(p));
        while (*p != '\0' && *p != ',') ++p;
        if (*p == ',') ++p;
      }
    }
  }
  if (pg.empty()) {
    std::printf("bench_group: no PostgreSQL server (--pg or VANTRA_TEST_PG_URL)\n");
    return 0;
  }
  int most = 0;
  for (int n : counts) most = n > most ? n : most;

  // The clinics, made once.
  std::string error;
  std::unique_ptr<GenDB> db = OpenGenDB(pg, "", DbAccess::kRead, &error);
  if (db == nullptr) {
    std::fprintf(stderr, "bench_group: %s\n", error.c_str());
    return 1;
  }
  std::vector<std::string> present;
  ListClinics(db.get(), &present, &error);
  const double made_start = Now();
  int made = 0;
  for (int i = 1; i <= most; ++i) {
    const std::string prefix = "grp" + std::to_string(i) + ".";
    bool have = false;
    for (const std::string& p : present) have = have || p == prefix;
    if (have) continue;
    const Figures f = Run({vantra, "demo-db", "--db", pg, "--prefix", prefix, "--today", "20261201"});
    if (f.status != 0) {
      std::fprintf(stderr, "bench_group: demo-db for %s failed (%d)\n", prefix.c_str(), f.status);
      return 1;
    }
    ++made;
  }
  if (made > 0) std::printf("made %d clinic schemas of the small demo in %.1f s\n", made, Now() - made_start);

  struct Analysis {
    const char* name;
    std::vector<std::string> args;
  };
  const Analysis analyses[] = {
      {"productivity", {"productivity", "ReportBy=M", "--from", "20261101", "--to", "20261130"}},
      {"stats", {"stats", "--from", "20261101", "--to", "20261130"}},
      {"goals", {"goals", "Year=2026"}},
      {"audit", {"audit", "--summary", "AllModules=Y", "SumBy=1000", "--from", "20261101", "--to", "20261130"}},
  };
  std::printf("%-13s %8s %11s %11s %10s %13s %13s %8s\n", "analysis", "clinics", "seq wall s", "par wall s",
              "par cpu s", "par s/clinic", "marginal s/c", "par/seq");
  for (const Analysis& a : analyses) {
    double first_wall = 0;  // the parallel run of the first count
    int first_count = 0;
    for (int n : counts) {
      std::string list;
      for (int i = 1; i <= n; ++i) list += (i > 1 ? "," : "") + std::string("grp") + std::to_string(i);
      std::vector<std::string> base = {vantra};
      base.insert(base.end(), a.args.begin(), a.args.end());
      base.insert(base.end(), {"--db", pg, "--ini", "/nonexistent/bench-group.ini", "--today", "20261201", "--clinics", list});
      std::vector<std::string> seq = base, par = base;
      seq.insert(seq.end(), {"--jobs", "1"});
      par.insert(par.end(), {"--jobs", "2"});
      const Figures s = Best(seq, runs);
      const Figures p = Best(par, runs);
      if (s.status != 0 || p.status != 0) {
        std::printf("%-13s %8d   failed (exit %d / %d)\n", a.name, n, s.status, p.status);
        continue;
      }
      // The marginal cost of a clinic: what each clinic beyond the first
      // count adds (the program's start-up and the group's set-up aside).
      const double marginal = first_count > 0 && n > first_count ? (p.wall - first_wall) / (n - first_count) : 0;
      if (first_count == 0) {
        first_count = n;
        first_wall = p.wall;
      }
      std::printf("%-13s %8d %11.3f %11.3f %10.3f %13.4f %13.4f %8.2f\n", a.name, n, s.wall, p.wall, p.cpu,
                  p.wall / n, marginal, p.wall / s.wall);
    }
  }
  return 0;
}
