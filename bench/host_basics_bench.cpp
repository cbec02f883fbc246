// Host services: TDList::QSort on a million elements against std::stable_sort
// of the same records in a vector (the floor for a stable comparison sort),
// and cached INI reads against parsing the file for every read.
//
// Prints the figures and the ratios; run it, never assert on it.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
#include <algorithm>
#include <filesystem>

#include "host/ini.h"
#include "host/tdlist.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Row : TDElem {
  long date;
  long time;
  long id;
};

int CompareRows(const TDElem* a, const TDElem* b) {
  const Row* x = static_cast<const Row*>(a);
  const Row* y = static_cast<const Row*>(b);
  if (x->date != y->date) return x->date < y->date ? -1 : 1;
  if (x->time != y->time) return x->time < y->time ? -1 : 1;
  return 0;
}

void BenchSort(int n) {
  unsigned seed = 7;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  TDList list;
  std::vector<Row*> baseline;
  baseline.reserve(n);
  for (int i = 0; i < n; ++i) {
    Row* r = new Row;
    r->date = 20250101 + (next() >> 16) % 365;
    r->time = (next() >> 16) % 240000;
    r->id = i;
    list.Append(r);
    Row* copy = new Row;
    copy->date = r->date;
    copy->time = r->time;
    copy->id = i;
    baseline.push_back(copy);
  }
  auto t0 = Clock::now();
  std::stable_sort(baseline.begin(), baseline.end(),
                   [](const Row* a, const Row* b) { return CompareRows(a, b) < 0; });
  auto t1 = Clock::now();
  list.QSort(&CompareRows);
  auto t2 = Clock::now();
  std::printf("sort %d elements: std::stable_sort of pointers %.1f ms, TDList::QSort %.1f ms, ratio %.2f\n", n,
              Ms(t0, t1), Ms(t1, t2), Ms(t1, t2) / Ms(t0, t1));
  for (Row* r : baseline) delete r;
}

void BenchIni() {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "vantra-bench-ini";
  fs::create_directories(dir);
  std::string path = (dir / "tolvane.ini").string();
  {
    std::ofstream out(path);
    for (int s = 0; s < 20; ++s) {
      out << "[SECTION" << s << "]\n";
      for (int k = 0; k < 40; ++k) out << "Key" << k << "=Value number " << k << "\n";
      out << "\n";
    }
  }
  const int kDialogs = 2000, kKeys = 20;
  WDIniObj ini(path);
  auto t0 = Clock::now();
  size_t total = 0;
  for (int d = 0; d < kDialogs; ++d) {
    for (int k = 0; k < kKeys; ++k) total += ini.read_secini("SECTION7", "Key" + std::to_string(k), "").size();
  }
  auto t1 = Clock::now();
  // Baseline: what every read would cost if the file were read and parsed
  // each time (a fresh file each round defeats the cache).
  for (int d = 0; d < kDialogs / 100; ++d) {
    for (int k = 0; k < kKeys; ++k) {
      std::ofstream(path, std::ios::app) << ";\n";
      total += ini.read_secini("SECTION7", "Key" + std::to_string(k), "").size();
    }
  }
  auto t2 = Clock::now();
  const double cached = Ms(t0, t1) / (kDialogs * kKeys) * 1000.0;
  const double uncached = Ms(t1, t2) / (kDialogs / 100 * kKeys) * 1000.0;
  std::printf("INI read of one key (820-line file): cached %.2f us, re-parsed %.2f us, ratio %.1f (%zu)\n", cached,
              uncached, uncached / cached, total);
  fs::remove_all(dir);
}

}  // namespace

int main() {
  BenchSort(1000000);
  BenchIni();
  return 0;
}
