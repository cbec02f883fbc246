#include "host/meter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the calls made on it; cancels once the counter reaches cancel_at.
struct Log {
  std::vector<std::string> calls;
  HWindow parent = nullptr;
  long cancel_at = -1;
};

class RecordingMeter : public MeterImpl {
 public:
  explicit RecordingMeter(Log* log) : log_(log) {}
  void Open(const std::string& title, long maximum) override {
    log_->calls.push_back("open " + title + " " + std::to_string(maximum));
  }
  void SetCounter(long value) override {
    if (log_->cancel_at >= 0 && value >= log_->cancel_at) cancelled_ = true;  // the user pressed Annuler
    log_->calls.push_back("set " + std::to_string(value));
  }
  bool Cancelled() override { return cancelled_; }
  void Close() override { log_->calls.push_back("close"); }

 private:
  Log* log_;
  bool cancelled_ = false;
};

class MeterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMeterFactory([this](HWindow parent) {
      log_.parent = parent;
      return std::make_unique<RecordingMeter>(&log_);
    });
  }
  void TearDown() override { SetMeterFactory(nullptr); }
  Log log_;
};

TEST_F(MeterTest, LoopWithCancel) {
  int parent_marker = 0;
  log_.cancel_at = 2;
  int done = 0;
  {
    TMeter meter(&parent_marker);
    meter.DisplayMeterDlg("Lecture...", 5);
    for (long i = 0; i < 5; ++i) {
      meter.SetCounter(i);
      if (meter.Cancelled()) break;
      ++done;
    }
    meter.SetCounter(0);
    meter.CloseMeter();
    EXPECT_TRUE(meter.Cancelled());  // still known after closing
    meter.SetCounter(9);             // closed: ignored
  }
  EXPECT_EQ(done, 2);
  EXPECT_EQ(log_.parent, &parent_marker);
  EXPECT_EQ(log_.calls,
            (std::vector<std::string>{"open Lecture... 5", "set 0", "set 1", "set 2", "set 0", "close"}));
}

TEST_F(MeterTest, DestructorClosesAnOpenMeterOnce) {
  {
    TMeter meter(nullptr);
    meter.DisplayMeterDlg("A", 1);
    meter.DisplayMeterDlg("B", 2);  // reopening closes the first
  }
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"open A 1", "close", "open B 2", "close"}));
  log_.calls.clear();
  { TMeter never_opened(nullptr); }
  EXPECT_TRUE(log_.calls.empty());
}

TEST(MeterSilentTest, NoFactoryMeansSilentAndNeverCancelled) {
  SetMeterFactory(nullptr);
  TMeter meter(nullptr);
  meter.DisplayMeterDlg("Lecture...", 10);
  meter.SetCounter(5);
  EXPECT_FALSE(meter.Cancelled());
}

}  // namespace
