// The audit list filter on a detailed list made of any rows (any cells,
// tabs, blanks and bytes, data rows, separators and totals in any order),
// any column, condition, value and subtotal flags. The data rows that stay
// are the ones that pass, in their order; everything else is rebuilt: the
// list ends with its grand total counting the rows kept.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "audit/list_filter.h"
#include "host/list_window.h"
#include "lists/list_style.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "list filter fuzz: %s\n", what);
  std::abort();
}

const char* const kCells[] = {"2026-01-05", "09:15:00 AM", "12:15:00 PM", "01:10:00 PM", "99:99999999:99 PM",
                              "anne", "marc", "Patient", "Ajout", "Retrait", " ", "", "Total: 3",
                              "Grand Total: 3", "\xC3\xA9t\xC3\xA9"};

std::string RowText(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return in.ConsumeRandomLengthString(600);
  std::string text;
  const int cells = in.ConsumeIntegralInRange<int>(0, 9);
  for (int c = 0; c < cells; ++c) {
    if (c > 0) text += '\t';
    text += in.ConsumeBool() ? kCells[in.ConsumeIntegralInRange<size_t>(0, sizeof kCells / sizeof kCells[0] - 1)]
                             : in.ConsumeRandomLengthString(300);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int column = in.ConsumeIntegralInRange<int>(-1, 9);
  const int conditions[] = {8732, 8733, 8740, 0, 1};
  int condition = conditions[in.ConsumeIntegralInRange<int>(0, 4)];
  if (condition == 1) condition = in.ConsumeIntegral<int>();
  SubtotalFlags flags;
  flags.user = in.ConsumeBool();
  flags.date = in.ConsumeBool();
  flags.module = in.ConsumeBool();
  flags.action = in.ConsumeBool();
  const bool suppress = in.ConsumeBool();
  const std::string value = in.ConsumeBool() ? in.ConsumeRandomLengthString(300) : std::string(kCells[in.ConsumeIntegralInRange<size_t>(0, 9)]);

  // Lists for the whole run: their text arenas are allocated once.
  static QenListWindow list, one;
  list.ClearList();
  std::vector<std::pair<std::string, long>> before;
  const int rows = in.ConsumeIntegralInRange<int>(0, 80);
  for (int r = 0; r < rows && in.remaining_bytes() > 0; ++r) {
    const long choices[] = {r + 1L, 0, -1, in.ConsumeIntegral<int32_t>()};
    const long item = choices[in.ConsumeIntegralInRange<int>(0, 3)];
    before.emplace_back(RowText(in), item);
    list.AddString(before.back().first, item);
  }

  const int deleted = ApplyListFilter(&list, column, condition, value, flags, suppress);
  if (column < 0 || condition == 0) {
    if (deleted != 0 || list.GetCount() != static_cast<int>(before.size())) Fail("no choice changed the list");
    return 0;
  }

  // The data rows that pass, in their order.
  const std::string_view wanted = CutUtf8(value, kFilterValueCap - 1);
  std::vector<std::pair<std::string, long>> expected;
  for (const auto& [text, item] : before) {
    if (item < 1) continue;
    one.ClearList();
    one.AddString(text, item);
    const std::string_view cell = TrimBlanks(CutUtf8(one.GetItemText(0, column), kFilterCellCap - 1));
    if (FilterKeepsCell(condition, cell, wanted)) expected.emplace_back(text, item);
  }
  if (deleted != static_cast<int>(before.size() - expected.size())) Fail("wrong count of rows deleted");
  if (deleted == 0) return 0;

  std::vector<std::pair<std::string, long>> kept;
  for (int r = 0; r < list.GetCount(); ++r) {
    if (list.GetItemData(r) >= 1) kept.emplace_back(std::string(list.GetString(r)), list.GetItemData(r));
  }
  if (kept != expected) Fail("the rows kept are not the rows that pass");
  const int last = list.GetCount() - 1;
  const std::string grand = "Grand Total: " + std::to_string(expected.size()) + "\t";
  if (last < 0 || list.GetItemData(last) != -1 || list.GetString(last).substr(0, grand.size()) != grand) {
    Fail("the list does not end with the grand total of the rows kept");
  }
  return 0;
}
