// Memory and speed of the list row store (QenListWindow) against the naive
// store, one std::string per cell (std::vector<std::vector<std::string>>),
// on rows shaped like detailed audit lines (8 cells, ~90 bytes).
//
// Each measurement runs in a forked child so that its peak resident size
// (VmHWM) is its own. Usage: bench_list_model [rows]   (default 1000000)
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/list_window.h"

namespace {

// Resident and peak resident size of this process, in kB.
long StatusKb(const char* key) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  long kb = 0;
  const size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, key, n) == 0) kb = std::atol(line + n);
  std::fclose(f);
  return kb;
}

// A detailed audit line: date, time, user, table, module, action,
// description, name.
std::string AuditLine(int i) {
  static const char* users[] = {"MARIE", "JPGAGNON", "ADMIN", "SOPHIE"};
  static const char* modules[] = {"Rendez-vous", "Patients", "Facturation", "Dossier"};
  static const char* actions[] = {"Ajout", "Modification", "Suppression"};
  char buffer[256];
  std::snprintf(buffer, sizeof buffer,
                "2026-%02d-%02d\t%02d:%02d\t%s\tCourant\t%s\t%s\tR.-V. %06d déplacé\t"
                "Tremblay, Jean",
                i % 12 + 1, i % 28 + 1, i % 24, i % 60, users[i % 4], modules[i % 4],
                actions[i % 3], i);
  return buffer;
}

std::vector<std::string> SplitCells(const std::string& text) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (;;) {
    size_t tab = text.find('\t', start);
    cells.emplace_back(text, start, tab == std::string::npos ? std::string::npos : tab - start);
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return cells;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Figures {
  long peak_kb = 0;     // peak resident growth while building
  double build_s = 0;   // time to add every row
  double scan_s = 0;    // time to read every cell once (an export)
  double filter_s = 0;  // time to delete every other row
  long store_bytes = 0; // the store's own count (row store only)
  long checksum = 0;
};

Figures MeasureRowStore(int rows) {
  Figures f;
  const long before = StatusKb("VmRSS:");
  auto t = std::chrono::steady_clock::now();
  QenListWindow list(300);
  for (int i = 0; i < rows; ++i) list.AddString(AuditLine(i), i + 1);
  f.build_s = Seconds(t);
  f.peak_kb = StatusKb("VmHWM:") - before;
  f.store_bytes = static_cast<long>(list.MemoryBytes());
  t = std::chrono::steady_clock::now();
  for (int i = 0; i < list.GetCount(); ++i)
    for (int c = 0; c < 8; ++c) f.checksum += static_cast<long>(list.GetItemText(i, c).size());
  f.scan_s = Seconds(t);
  t = std::chrono::steady_clock::now();
  list.DeleteRowsIf([](int i) { return i % 2 == 1; });
  f.filter_s = Seconds(t);
  f.checksum += list.GetCount();
  return f;
}

Figures MeasureNaive(int rows) {
  Figures f;
  const long before = StatusKb("VmRSS:");
  auto t = std::chrono::steady_clock::now();
  std::vector<std::vector<std::string>> table;
  std::vector<long> data;
  for (int i = 0; i < rows; ++i) {
    table.push_back(SplitCells(AuditLine(i)));
    data.push_back(i + 1);
  }
  f.build_s = Seconds(t);
  f.peak_kb = StatusKb("VmHWM:") - before;
  t = std::chrono::steady_clock::now();
  for (const auto& row : table)
    for (const auto& cell : row) f.checksum += static_cast<long>(cell.size());
  f.scan_s = Seconds(t);
  t = std::chrono::steady_clock::now();
  size_t out = 0;
  for (size_t i = 0; i < table.size(); ++i)
    if (i % 2 == 0) {
      table[out] = std::move(table[i]);
      data[out++] = data[i];
    }
  table.resize(out);
  data.resize(out);
  f.filter_s = Seconds(t);
  f.checksum += static_cast<long>(table.size());
  return f;
}

// Runs measure in a child process and returns its figures.
Figures InChild(Figures (*measure)(int), int rows) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) std::exit(1);
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipe_fds[0]);
    Figures f = measure(rows);
    if (write(pipe_fds[1], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) _exit(1);
    _exit(0);
  }
  close(pipe_fds[1]);
  Figures f;
  if (read(pipe_fds[0], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) {
    std::fprintf(stderr, "bench_list_model: the measuring process failed\n");
    std::exit(1);
  }
  close(pipe_fds[0]);
  waitpid(pid, nullptr, 0);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  size_t text_bytes = 0;
  for (int i = 0; i < rows; ++i) text_bytes += AuditLine(i).size();
  std::printf("rows: %d, average row text: %.1f bytes, total text: %.1f MB\n", rows,
              static_cast<double>(text_bytes) / rows, text_bytes / 1e6);

  const Figures store = InChild(MeasureRowStore, rows);
  const Figures naive = InChild(MeasureNaive, rows);
  if (store.checksum != naive.checksum) {
    std::fprintf(stderr, "bench_list_model: the two stores disagree (%ld, %ld)\n", store.checksum,
                 naive.checksum);
    return 1;
  }
  std::printf("%-34s %12s %12s %8s\n", "", "row store", "per cell", "ratio");
  std::printf("%-34s %10.1fMB %10.1fMB %7.2fx\n", "peak resident growth", store.peak_kb / 1024.0,
              naive.peak_kb / 1024.0, static_cast<double>(naive.peak_kb) / store.peak_kb);
  std::printf("%-34s %10.1fMB %12s\n", "MemoryBytes()", store.store_bytes / 1048576.0, "-");
  std::printf("%-34s %11.3fs %11.3fs %7.2fx\n", "add every row", store.build_s, naive.build_s,
              naive.build_s / store.build_s);
  std::printf("%-34s %11.3fs %11.3fs %7.2fx\n", "read every cell", store.scan_s, naive.scan_s,
              naive.scan_s / store.scan_s);
  std::printf("%-34s %11.3fs %11.3fs %7.2fx\n", "delete every other row", store.filter_s,
              naive.filter_s, naive.filter_s / store.filter_s);
  return 0;
}
