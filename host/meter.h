// TMeter: the suite's progress meter with a cancel button.
//
// Usage, as every long computation polls it:
//   TMeter meter(parent);
//   meter.DisplayMeterDlg("Lecture...", total);
//   for (...) { meter.SetCounter(i); if (meter.Cancelled()) break; ... }
//   meter.SetCounter(0); meter.CloseMeter();
//
// The look of the meter comes from the program: a Qt progress dialog in the
// window, a bar on stderr in the command line (only when stderr is a
// terminal), a scripted meter in tests. Programs install a factory once; with
// none installed the meter is silent and never cancels.
//
// SetCounter is called once per row (a million times in a large audit run):
// implementations keep it to a compare and a store, and refresh the display
// at most a few dozen times a second.
#pragma once

#include <functional>
#include <memory>
#include <string>

using HWindow = void*;  // opaque parent window (a QWidget* in the window program)

class MeterImpl {
 public:
  virtual ~MeterImpl() = default;
  virtual void Open(const std::string& title, long maximum) = 0;
  virtual void SetCounter(long value) = 0;
  virtual bool Cancelled() = 0;
  virtual void Close() = 0;
};

using MeterFactory = std::function<std::unique_ptr<MeterImpl>(HWindow parent)>;
// Installs the factory used by every TMeter built afterwards (null = silent).
void SetMeterFactory(MeterFactory factory);

// The meters built on this thread while it lives come from factory instead
// of the program's (null: silent ones). A clinic of a group runs on a worker
// thread, where no window may open: its meters relay their cancel from the
// group's one meter (host/clinic_pool.h).
class ScopedThreadMeters {
 public:
  explicit ScopedThreadMeters(MeterFactory factory);
  ~ScopedThreadMeters();
  ScopedThreadMeters(const ScopedThreadMeters&) = delete;
  ScopedThreadMeters& operator=(const ScopedThreadMeters&) = delete;

 private:
  MeterFactory previous_;
  bool had_previous_;
};

// A TMeter asks the factory for its implementation once, when it is built.
// DisplayMeterDlg opens it (closing it first when already open), CloseMeter
// and the destructor close it once; SetCounter outside Open/Close is ignored.
// Cancelled answers the implementation's flag, also after CloseMeter, so a
// caller can still tell that the run was cancelled.
class TMeter {
 public:
  explicit TMeter(HWindow parent);
  ~TMeter();  // closes the meter when still open
  TMeter(const TMeter&) = delete;
  TMeter& operator=(const TMeter&) = delete;

  void DisplayMeterDlg(const std::string& title, long maximum);
  void SetCounter(long value);
  bool Cancelled();
  void CloseMeter();

 private:
  std::unique_ptr<MeterImpl> impl_;
  bool open_ = false;
};
