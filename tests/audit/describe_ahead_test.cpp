// DescribeAhead against describing on the caller's thread: the same
// descriptions in the same order, whatever the length of the list, an early
// stop that leaves the runner alone, and an exception of the worker handed to
// the reader.
#include "audit/describe_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <new>
#include <string>
#include <thread>

#include "audit/audit_types.h"
#include "host/strings.h"
#include "host/tdlist.h"
#include "tests/audit/audit_row.h"

namespace {

// Answers every request with names made of its kind and id, so that a row
// described out of order or with another row's answer shows. Optionally
// throws at one id.
class NamingRunner : public LookupRunner {
 public:
  const LookupAnswer* Run(const LookupRequest& r) override {
    calls.fetch_add(1);
    if (throw_at >= 0 && r.id == throw_at) throw std::bad_alloc();
    answer_ = LookupAnswer();
    answer_.found = true;
    answer_.date = 20260000 + r.id % 1000;
    std::snprintf(answer_.description, sizeof answer_.description, "desc %d/%ld", static_cast<int>(r.kind), r.id);
    std::snprintf(answer_.first_name, sizeof answer_.first_name, "P%ld", r.id);
    std::snprintf(answer_.last_name, sizeof answer_.last_name, "N%ld", r.id * 7);
    return &answer_;
  }
  std::atomic<long> calls{0};
  long throw_at = -1;

 private:
  LookupAnswer answer_;
};

// Row i of a list: payments, patients, chart treatments and rows without a
// look-up, in turn.
AuditRecord RowOf(size_t i) {
  const long id = static_cast<long>(i) + 1;
  switch (i % 4) {
    case 0: return Row('A', 'A', id).At(20260101, 80000);
    case 1: return Row('R', 'A', id).Info(1, "6 mois");
    case 2: return Row('C', 'A', id).Name(3, "1014");
    default: return Row('Y', 'A').Name(3, "31").Info(1, "a").Info(2, "  b");
  }
}

void FillList(TDList* list, size_t rows) {
  for (size_t i = 0; i < rows; ++i) list->Append(VantraElem::Create(RowOf(i), 20105, static_cast<long>(i)));
}

bool Same(const AuditDescription& a, const AuditDescription& b) {
  return a.date == b.date && std::strcmp(a.verb, b.verb) == 0 && std::strcmp(a.table_name, b.table_name) == 0 &&
         std::strcmp(a.number, b.number) == 0 && std::strcmp(a.code, b.code) == 0 &&
         std::strcmp(a.description, b.description) == 0 && std::strcmp(a.first_name, b.first_name) == 0 &&
         std::strcmp(a.last_name, b.last_name) == 0;
}

constexpr size_t kBlock = DescribeAhead::kBlockRows;

TEST(DescribeAheadTest, SameDescriptionsInOrderAsOneByOne) {
  const struct {
    const char* name;
    size_t rows;
    bool threaded;
  } cases[] = {
      {"one row", 1, false},
      {"one block", kBlock, false},
      {"one block and a row", kBlock + 1, true},
      {"the ring exactly", DescribeAhead::kBlocks * kBlock, true},
      {"the ring and a part block", DescribeAhead::kBlocks * kBlock + 7, true},
      {"ten rings", 10 * DescribeAhead::kBlocks * kBlock + 3, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDList list;
    FillList(&list, c.rows);
    NamingRunner ahead_runner, plain_runner;
    DescribeAhead ahead(list, &ahead_runner);
    EXPECT_EQ(ahead.Threaded(), c.threaded);
    size_t i = 0, differ = 0;
    AuditDescription expected;
    for (VantraElem* e : list.As<VantraElem>()) {
      const AuditDescription& got = ahead.Next();
      DescribeRow(e->Record(), &plain_runner, &expected);
      if (!Same(got, expected) && differ++ == 0) ADD_FAILURE() << "row " << i << ": " << got.description;
      ++i;
    }
    ahead.Stop();
    EXPECT_EQ(differ, 0u);
    EXPECT_EQ(ahead_runner.calls.load(), plain_runner.calls.load());
  }
}

TEST(DescribeAheadTest, StopLeavesTheRunnerAlone) {
  // A cancelled fill: the reader stops after a few rows of a long list; once
  // Stop returns the worker makes no more look-ups, and it never ran more
  // than the ring ahead of the reader.
  TDList list;
  FillList(&list, 40 * kBlock);
  NamingRunner runner;
  DescribeAhead ahead(list, &runner);
  for (int i = 0; i < 10; ++i) ahead.Next();
  // Let the worker fill the ring, as far as it may go.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ahead.Stop();
  const long calls = runner.calls.load();
  // Three look-ups every four rows (RowOf), the ring and the block read.
  EXPECT_LE(calls, static_cast<long>((DescribeAhead::kBlocks + 1) * kBlock));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(runner.calls.load(), calls);
}

TEST(DescribeAheadTest, WorkersExceptionReachesTheReaderAtItsBlock) {
  // The worker throws describing row k: the rows of the blocks before k's
  // are handed out, the first row of k's block throws.
  const size_t k = 2 * kBlock + 100;
  TDList list;
  FillList(&list, 5 * kBlock);
  NamingRunner runner;
  runner.throw_at = static_cast<long>(k) + 1;  // row i asks about id i + 1
  DescribeAhead ahead(list, &runner);
  for (size_t i = 0; i < 2 * kBlock; ++i) ahead.Next();
  EXPECT_THROW(ahead.Next(), std::bad_alloc);
}

}  // namespace
