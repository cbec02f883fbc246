// DescribeAhead: the descriptions of a fill's rows, made on a second thread
// while the fill's own thread writes the lines of the rows before.
//
// On a million-row list, describing the rows (each one's look-up answer
// found and copied, its texts cut) takes longer than everything else the
// fill does per row: dates, totals, the line and the list it goes to. With
// two cores the two halves run side by side:
//
//   worker    describe block 0 | block 1 | block 2 | ...
//   reader              lines of 0 | lines of 1 | ...
//
// The rows are described in list order, in blocks of kBlockRows; the worker
// stays at most kBlocks blocks ahead of the reader, so the memory is fixed
// (about a megabyte) whatever the list's length. A list of one block or less
// is described on the caller's thread, as is every list when no thread can
// be started.
//
// The runner (and the database behind it, for the look-ups that run one by
// one) belongs to the worker from the constructor until Stop: nobody else
// may use them meanwhile. The list must not change either.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "audit/audit_describe.h"

class TDList;
class TDElem;

class DescribeAhead {
 public:
  static constexpr size_t kBlockRows = 1024;
  static constexpr size_t kBlocks = 4;

  // rows holds VantraElem elements.
  DescribeAhead(const TDList& rows, LookupRunner* runner);
  ~DescribeAhead();
  DescribeAhead(const DescribeAhead&) = delete;
  DescribeAhead& operator=(const DescribeAhead&) = delete;

  // The description of the next row, in list order; valid until the next
  // call. REQUIRES: fewer calls than rows, none after Stop (both give an
  // empty description on a second thread). An exception the worker met
  // (memory exhausted) is thrown here, at the row it stopped on.
  const AuditDescription& Next();
  // Ends the worker (the rest of the rows are not described) and waits for
  // it; the runner is the caller's again. Called by the destructor.
  void Stop();

  // True when a second thread describes.
  bool Threaded() const { return threaded_; }

 private:
  void Work();

  const size_t count_;
  LookupRunner* const runner_;
  TDElem* next_inline_;  // the next row to describe on the caller's thread
  std::vector<AuditDescription> ring_;
  size_t taken_ = 0;  // rows handed out by Next
  size_t ready_ = 0;  // rows the reader knows to be described

  std::mutex mu_;
  std::condition_variable cv_;
  // Guarded by mu_:
  size_t made_ = 0;   // rows described by the worker
  size_t freed_ = 0;  // blocks the reader is done with
  bool stop_ = false;
  bool done_ = false;  // the worker has left
  std::exception_ptr error_;

  bool threaded_ = false;  // a worker was started
  AuditDescription empty_;
  std::thread worker_;
};
