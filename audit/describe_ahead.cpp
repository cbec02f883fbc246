#include "audit/describe_ahead.h"

#include <algorithm>
#include <system_error>

#include "audit/audit_types.h"
#include "host/tdlist.h"

DescribeAhead::DescribeAhead(const TDList& rows, LookupRunner* runner)
    : count_(rows.Count()), runner_(runner), next_inline_(rows.Head()) {
  if (count_ <= kBlockRows) {
    ring_.resize(1);
    return;
  }
  ring_.resize(kBlocks * kBlockRows);
  try {
    worker_ = std::thread(&DescribeAhead::Work, this);
    threaded_ = true;
  } catch (const std::system_error&) {
    ring_.resize(1);  // no thread: described one by one on the caller's
  }
}

DescribeAhead::~DescribeAhead() { Stop(); }

void DescribeAhead::Stop() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_all();
  worker_.join();
}

void DescribeAhead::Work() {
  TDElem* e = next_inline_;
  AuditRecord record;
  try {
    for (size_t block = 0; block * kBlockRows < count_; ++block) {
      {
        std::unique_lock<std::mutex> lock(mu_);
        cv_.wait(lock, [&] { return stop_ || block < freed_ + kBlocks; });
        if (stop_) break;
      }
      AuditDescription* slot = &ring_[(block % kBlocks) * kBlockRows];
      const size_t rows = std::min(kBlockRows, count_ - block * kBlockRows);
      for (size_t i = 0; i < rows; ++i, e = e->Next()) {
        static_cast<const VantraElem*>(e)->Record(&record);
        DescribeRow(record, runner_, &slot[i]);
      }
      {
        std::lock_guard<std::mutex> lock(mu_);
        made_ += rows;
      }
      cv_.notify_all();
    }
  } catch (...) {
    std::lock_guard<std::mutex> lock(mu_);
    error_ = std::current_exception();
  }
  {
    std::lock_guard<std::mutex> lock(mu_);
    done_ = true;
  }
  cv_.notify_all();
}

const AuditDescription& DescribeAhead::Next() {
  if (!threaded_) {
    if (next_inline_ == nullptr) {
      empty_ = AuditDescription();
      return empty_;
    }
    AuditRecord record;
    static_cast<const VantraElem*>(next_inline_)->Record(&record);
    next_inline_ = next_inline_->Next();
    DescribeRow(record, runner_, &ring_[0]);
    ++taken_;
    return ring_[0];
  }
  if (taken_ == ready_) {
    std::unique_lock<std::mutex> lock(mu_);
    // Every block before the one taken_ is in has been read (the last row
    // handed out is no longer referred to): the worker may write over them.
    freed_ = taken_ / kBlockRows;
    cv_.notify_all();
    cv_.wait(lock, [&] { return made_ > taken_ || done_; });
    ready_ = made_;
    if (ready_ == taken_) {
      // The worker left before this row: its exception, or (asked past the
      // last row, or after Stop) an empty description.
      std::exception_ptr error = error_;
      lock.unlock();
      if (error) std::rethrow_exception(error);
      empty_ = AuditDescription();
      return empty_;
    }
  }
  const AuditDescription& d = ring_[(taken_ / kBlockRows % kBlocks) * kBlockRows + taken_ % kBlockRows];
  ++taken_;
  return d;
}
