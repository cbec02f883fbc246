// TMeter over the factory the program installed (none: a silent meter).

#include "host/meter.h"

#include <mutex>
#include <utility>

namespace {

std::mutex g_factory_mutex;
MeterFactory& Factory() {
  static auto* factory = new MeterFactory();
  return *factory;
}

// The factory of ScopedThreadMeters on this thread, when one is set.
thread_local MeterFactory* t_thread_factory = nullptr;

}  // namespace

ScopedThreadMeters::ScopedThreadMeters(MeterFactory factory) : had_previous_(t_thread_factory != nullptr) {
  if (had_previous_) previous_ = *t_thread_factory;
  if (t_thread_factory == nullptr) t_thread_factory = new MeterFactory();
  *t_thread_factory = std::move(factory);
}

ScopedThreadMeters::~ScopedThreadMeters() {
  if (had_previous_) {
    *t_thread_factory = std::move(previous_);
  } else {
    delete t_thread_factory;
    t_thread_factory = nullptr;
  }
}

void SetMeterFactory(MeterFactory factory) {
  std::lock_guard<std::mutex> lock(g_factory_mutex);
  Factory() = std::move(factory);
}

TMeter::TMeter(HWindow parent) {
  if (t_thread_factory != nullptr) {
    if (*t_thread_factory) impl_ = (*t_thread_factory)(parent);
    return;
  }
  MeterFactory factory;
  {
    std::lock_guard<std::mutex> lock(g_factory_mutex);
    factory = Factory();
  }
  if (factory) impl_ = factory(parent);
}

TMeter::~TMeter() { CloseMeter(); }

void TMeter::DisplayMeterDlg(const std::string& title, long maximum) {
  if (open_) CloseMeter();
  open_ = true;
  if (impl_) impl_->Open(title, maximum);
}

void TMeter::SetCounter(long value) {
  if (impl_ && open_) impl_->SetCounter(value);
}

bool TMeter::Cancelled() { return impl_ ? impl_->Cancelled() : false; }

void TMeter::CloseMeter() {
  if (!open_) return;
  open_ = false;
  if (impl_) impl_->Close();
}
