// QtMeter: the TMeter look of the window program, a window-modal progress
// dialog with a cancel button.
//
// SetCounter is called once per row (a million times in a large audit run):
// it stores the value, reads the clock once every kCallsPerClockRead calls
// (every call for a meter of few steps)
// and, at most ~30 times a second, updates the bar and lets the event loop
// run so that the cancel button answers and the views take in the rows
// written so far. Maxima above INT_MAX are scaled.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "host/meter.h"

#include <QProgressDialog>
class QWidget;

class QtMeter : public MeterImpl {
 public:
  // parent: the window the dialog is modal to (may be null).
  explicit QtMeter(QWidget* parent);
  ~QtMeter() override;

  void Open(const std::string& title, long maximum) override;
  void SetCounter(long value) override;
  bool Cancelled() override;
  void Close() override;

  // The dialog while open (null otherwise), for tests.
  QProgressDialog* Dialog() const { return dialog_; }
  // Number of display refreshes since Open (for tests and benchmarks).
  long Refreshes() const { return refreshes_; }

  static constexpr int kRefreshIntervalMs = 33;
  static constexpr int kCallsPerClockRead = 64;
  // A meter of at most this many steps (a group's clinics, polled every
  // few dozen milliseconds) reads the clock at every call, so its bar and
  // its cancel button answer at once.
  static constexpr long kFewSteps = 1000;

 private:
  void Refresh();
  // The title with "%v" and "%m" as the counter and the maximum.
  QString Label() const;

  QPointer<QWidget> parent_;
  QPointer<QProgressDialog> dialog_;
  QElapsedTimer timer_;
  std::string title_;
  long maximum_ = 0;
  long value_ = 0;
  int scale_ = 1;  // value / scale_ fits an int
  long refreshes_ = 0;
  int calls_to_clock_read_ = 1;
  bool cancelled_ = false;
};

// Makes every TMeter built afterwards a QtMeter (parent = the TMeter's HWindow,
// a QWidget*).
void InstallQtMeterFactory();
