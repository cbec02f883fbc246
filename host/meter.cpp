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

}  // namespace

void SetMeterFactory(MeterFactory factory) {
  std::lock_guard<std::mutex> lock(g_factory_mutex);
  Factory() = std::move(factory);
}

TMeter::TMeter(HWindow parent) {
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
