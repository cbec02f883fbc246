#include "cli/stderr_meter.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>

#include "host/meter.h"

namespace {

std::atomic<int> g_interrupts{0};

void OnInterrupt(int) {
  if (g_interrupts.fetch_add(1) >= 1) {
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
  }
}

class StderrMeter : public MeterImpl {
 public:
  void Open(const std::string& title, long maximum) override {
    title_ = title;
    maximum_ = maximum > 0 ? maximum : 1;
    tty_ = isatty(STDERR_FILENO);
    g_interrupts = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
    Draw(0);
  }
  void SetCounter(long value) override {
    if (!tty_ || (++calls_ & 0x3FF) != 0) return;  // look at the clock every 1024 rows
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    Draw(value);
  }
  bool Cancelled() override { return g_interrupts.load() > 0; }
  void Close() override {
    if (tty_) std::fputs("\r\033[K", stderr);
    std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
    if (g_interrupts.load() > 0) std::fputs("interrompu : les rangées lues jusqu'ici sont écrites\n", stderr);
  }

 private:
  void Draw(long value) {
    if (!tty_) return;
    int pct = static_cast<int>(100.0 * static_cast<double>(value) / static_cast<double>(maximum_));
    if (pct > 100) pct = 100;
    char bar[41];
    int filled = pct * 40 / 100;
    for (int i = 0; i < 40; ++i) bar[i] = i < filled ? '#' : '.';
    bar[40] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3d%%", title_.c_str(), bar, pct);
    std::fflush(stderr);
  }
  std::string title_;
  long maximum_ = 1;
  unsigned calls_ = 0;
  bool tty_ = false;
  void (*previous_)(int) = SIG_DFL;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace

void InstallStderrMeterFactory() {
  SetMeterFactory([](HWindow) { return std::make_unique<StderrMeter>(); });
}
