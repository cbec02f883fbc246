// Speed and memory of the list tools on a large detailed audit list:
//
//   export   WriteListXlsx (constant-memory mode above 50,000 rows, its
//            read-back check measured apart) and the CSV writer through
//            AtomicFile (temporary file, fsync, rename) against a plain CSV
//            writer over the same rows (baseline: the cheapest way to put
//            the list in a file)
//   filter   ApplyListFilter (delete in one pass + rebuild the date
//            subtotals) against DeleteRowsIf alone (baseline: the deletion
//            without any rebuilding), and against deleting the same rows one
//            by one from the bottom (the naive way, quadratic; run on a
//            smaller list and extrapolated)
//   chart    BuildAuditGraphSeries (verb by user) against one pass that
//            only reads the two cells of every row
//
// Each measurement runs in a forked child so that its peak resident size
// (VmHWM) is its own. Usage: bench_export [rows]   (default 1000000)
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "audit/audit_style.h"
#include "audit/audit_lines.h"
#include "audit/audit_graph_series.h"
#include "audit/list_filter.h"
#include "host/atomic_file.h"
#include "lists/xlsx_check.h"
#include "lists/xlsx_export.h"
#include "host/list_window.h"

namespace {

long StatusKb(const char* key) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  long kb = 0;
  const size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, key, n) == 0) kb = std::atol(line + n);
  }
  std::fclose(f);
  return kb;
}

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A detailed list as the generator writes it: a date subtotal every 500
// rows, the grand total at the end.
void FillDetailed(QenListWindow* list, int rows) {
  static const char* users[] = {"MARIE", "JPGAGNON", "ADMIN", "SOPHIE"};
  static const char* modules[] = {"Agenda", "Patients", "Transactions", "Dossiers"};
  static const char* verbs[] = {"Ajout", "Modification", "Effacer"};
  list->LoadRes(300);
  std::string line;
  char date[16], description[64];
  for (int i = 0; i < rows; ++i) {
    std::snprintf(date, sizeof date, "2026-%02d-%02d", i / 500 / 28 % 12 + 1, i / 500 % 28 + 1);
    std::snprintf(description, sizeof description, "R.-V. %06d déplacé, $%d.%02d", i, i % 500, i % 100);
    DetailedLine(&line, date, AuditTimeText(80000 + i % 500 * 100).c_str(), users[i % 4], "PATAPT",
                 modules[i % 4], verbs[i % 3], description, "Jean", "Tremblay");
    list->AddString(line, i + 1);
    if (i % 500 == 499) {
      list->AddString(kAuditBlankLine, 0);
      list->AddString("Total: 500\t \t500 \t \t500 \t500", -1);
      list->AddString(kAuditBlankLine, 0);
    }
  }
  list->AddString("Grand Total: " + std::to_string(rows) + "\t \t0 \t \t0 \t0", -1);
}

struct Result {
  double seconds;
  long peak_kb;
  long extra;  // a figure of the step (bytes written, rows left ...)
};

// Runs step in a child over a fresh list of `rows` rows; the list's own
// memory is subtracted from the peak.
Result Measure(int rows, const std::function<long(QenListWindow*)>& step) {
  int fds[2];
  if (pipe(fds) != 0) return {0, 0, 0};
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    QenListWindow list(300);
    FillDetailed(&list, rows);
    // Forget the peak of filling the list: the step's own peak is wanted.
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", f);
      std::fclose(f);
    }
    const long before = StatusKb("VmRSS:");
    const double t0 = Now();
    const long extra = step(&list);
    Result r{Now() - t0, StatusKb("VmHWM:") - before, extra};
    if (write(fds[1], &r, sizeof r) != sizeof r) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  Result r{0, 0, 0};
  if (read(fds[0], &r, sizeof r) != sizeof r) std::fprintf(stderr, "a measurement failed\n");
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return r;
}

void Print(const char* name, const Result& r, const Result& base, const char* extra_name) {
  std::printf("  %-34s %8.3f s  %8ld kB peak  %s %ld   x%.2f\n", name, r.seconds, r.peak_kb, extra_name, r.extra,
              base.seconds > 0 ? r.seconds / base.seconds : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const std::string dir = std::filesystem::temp_directory_path().string() + "/bench_export." + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  std::printf("bench_export: %d-row detailed list (ratios against the first line of each block)\n\n", rows);

  std::printf("export\n");
  auto write_csv = [](FILE* f, QenListWindow* list) {
    for (int r = 0; r < list->GetCount(); ++r) {
      for (int c = 0; c < list->CellCount(r); ++c) {
        std::string_view cell = TrimBlanks(list->GetItemText(r, c));
        if (c) std::fputc(',', f);
        std::fwrite(cell.data(), 1, cell.size(), f);
      }
      std::fputc('\n', f);
    }
  };
  const Result csv = Measure(rows, [&](QenListWindow* list) {
    FILE* f = std::fopen((dir + "/list.csv").c_str(), "w");
    write_csv(f, list);
    std::fclose(f);
    return static_cast<long>(std::filesystem::file_size(dir + "/list.csv"));
  });
  Print("csv (baseline)", csv, csv, "bytes");
  const Result atomic_csv = Measure(rows, [&](QenListWindow* list) {
    AtomicFile out;
    std::string error;
    if (!out.Open(dir + "/atomic.csv", &error)) std::fprintf(stderr, "%s\n", error.c_str());
    write_csv(out.File(), list);
    if (!out.Commit(&error)) std::fprintf(stderr, "%s\n", error.c_str());
    return static_cast<long>(std::filesystem::file_size(dir + "/atomic.csv"));
  });
  Print("csv through AtomicFile (+fsync)", atomic_csv, csv, "bytes");
  const Result xlsx = Measure(rows, [&](QenListWindow* list) {
    std::string error;
    ListReport report(list, "Journal d'audit", AuditRowEmphasis(list));
    XlsxOptions options;
    options.tmpdir = dir;
    if (!WriteListXlsx(report, dir + "/list.xlsx", &error, options)) std::fprintf(stderr, "%s\n", error.c_str());
    return static_cast<long>(std::filesystem::file_size(dir + "/list.xlsx"));
  });
  Print("xlsx (constant memory)", xlsx, csv, "bytes");
  const Result check = Measure(1, [&](QenListWindow*) {
    std::string reason;
    return XlsxPartsComplete(dir + "/list.xlsx", &reason) ? 1L : 0L;
  });
  Print("  of which: reading it back", check, csv, "whole");
  const int small = std::min(rows, 200000);
  const Result xlsx_mem = Measure(small, [&](QenListWindow* list) {
    std::string error;
    XlsxOptions options;
    options.constant_memory_rows = 1L << 30;  // force the in-memory mode
    WriteListXlsx(ListReport(list, "x", AuditRowEmphasis(list)), dir + "/mem.xlsx", &error, options);
    return static_cast<long>(std::filesystem::file_size(dir + "/mem.xlsx"));
  });
  std::printf("  %-34s %8.3f s  %8ld kB peak  (%d rows; the mode small lists use)\n", "xlsx (in memory, shared strings)",
              xlsx_mem.seconds, xlsx_mem.peak_kb, small);

  std::printf("\nfilter (verb = \"Ajout\", date subtotals rebuilt)\n");
  auto keep_ajout = [](QenListWindow* list) {
    return [list](int r) {
      return list->GetItemData(r) < 1 || TrimBlanks(list->GetItemText(r, 5)) != "Ajout";
    };
  };
  const Result del = Measure(rows, [&](QenListWindow* list) {
    list->DeleteRowsIf(keep_ajout(list));
    return static_cast<long>(list->GetCount());
  });
  Print("DeleteRowsIf only (baseline)", del, del, "rows left");
  const Result filter = Measure(rows, [&](QenListWindow* list) {
    ApplyListFilter(list, 5, 8732, "Ajout", SubtotalFlags{0, 1, 0, 0}, false);
    return static_cast<long>(list->GetCount());
  });
  Print("ApplyListFilter", filter, del, "rows left");
  const int naive_rows = std::min(rows, 50000);
  const Result naive = Measure(naive_rows, [&](QenListWindow* list) {
    auto drop = keep_ajout(list);
    for (int r = list->GetCount() - 1; r >= 0; --r) {
      if (drop(r)) list->DeleteString(r);
    }
    return static_cast<long>(list->GetCount());
  });
  const double scale = static_cast<double>(rows) / naive_rows;
  std::printf("  %-34s %8.3f s  on %d rows; ~%.0f s extrapolated to %d rows (quadratic)\n",
              "DeleteString bottom-up (naive)", naive.seconds, naive_rows, naive.seconds * scale * scale, rows);

  std::printf("\nchart data (verb by user)\n");
  const Result read = Measure(rows, [&](QenListWindow* list) {
    long bytes = 0;
    for (int r = 0; r < list->GetCount(); ++r) {
      if (list->GetItemData(r) == 0 || list->GetItemData(r) == -1) continue;
      bytes += static_cast<long>(list->GetItemText(r, 5).size() + list->GetItemText(r, 2).size());
    }
    return bytes;
  });
  Print("read two cells per row (baseline)", read, read, "bytes");
  const Result chart = Measure(rows, [&](QenListWindow* list) {
    TDList series;
    BuildAuditGraphSeries(*list, AuditGraphRequest{0, '4', '1', {'P', 'P'}, false}, &series);
    return static_cast<long>(series.Count());
  });
  Print("BuildAuditGraphSeries", chart, read, "series");

  std::filesystem::remove_all(dir);
  return 0;
}
