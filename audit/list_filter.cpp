#include "audit/list_filter.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "audit/audit_lines.h"
#include "lists/list_style.h"
#include "host/list_window.h"
#include "host/strings.h"

namespace {

// Cell `column` of a row text ("" when the row has fewer cells).
std::string_view CellOf(std::string_view text, int column) {
  size_t start = 0;
  for (int c = 0; c < column; ++c) {
    size_t tab = text.find('\t', start);
    if (tab == std::string_view::npos) return {};
    start = tab + 1;
  }
  size_t tab = text.find('\t', start);
  return text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
}

// The watched columns, in flag order (user, date, module, action), and the
// capacity of the text kept of each (bytes with the terminator).
constexpr int kWatchedColumn[4] = {2, 0, 4, 5};
constexpr size_t kWatchedCap[4] = {10, 64, 64, 64};

// State of one rebuild: the previous watched texts, counters and times.
class TotalsBuilder {
 public:
  TotalsBuilder(QenListWindow* list, const SubtotalFlags& flags, bool suppress)
      : list_(list), on_{flags.user != 0, flags.date != 0, flags.module != 0, flags.action != 0},
        subtotals_(!suppress && flags.Any()),
        total_label_(LoadTableString(StringTable::kModule, 57)),
        grand_label_(LoadTableString(StringTable::kModule, 58)) {}

  void Row(std::string_view text, long data) {
    const long time = ParseAuditTime(CellOf(text, 1));
    if (first_row_) {
      first_time_ = time;
      first_row_ = false;
    }
    bool brk[4] = {false, false, false, false};
    if (subtotals_) {
      bool any = false;
      for (int k = 0; k < 4; ++k) {
        std::string_view cell = CutUtf8(CellOf(text, kWatchedColumn[k]), kWatchedCap[k] - 1);
        if (on_[k] && !previous_[k].empty() && previous_[k] != cell) brk[k] = any = true;
        previous_[k].assign(cell);
      }
      if (any) {
        WriteSubtotal();
        first_time_ = time;
      }
    }
    for (int k = 0; k < 4; ++k) {
      group_[k] = brk[k] ? 1 : group_[k] + 1;
      ++grand_[k];
    }
    last_time_ = time;
    list_->AddString(text, data);
  }

  void Finish() {
    if (subtotals_ && wrote_subtotal_) WriteSubtotal();
    DetailedTotalLine(&line_, grand_label_, grand_[1], std::string(), grand_[0], grand_[2], grand_[3]);
    list_->AddString(line_, -1);
  }

 private:
  void WriteSubtotal() {
    std::string duration = on_[1] ? DurationText(first_time_, last_time_) : std::string();
    DetailedTotalLine(&line_, total_label_, group_[1], duration, group_[0], group_[2], group_[3]);
    list_->AddString(kAuditBlankLine, 0);
    list_->AddString(line_, -1);
    list_->AddString(kAuditBlankLine, 0);
    wrote_subtotal_ = true;
  }

  QenListWindow* list_;
  const bool on_[4];
  const bool subtotals_;
  const char* total_label_;
  const char* grand_label_;
  std::string previous_[4];
  long group_[4] = {0, 0, 0, 0};
  long grand_[4] = {0, 0, 0, 0};
  long first_time_ = 0;
  long last_time_ = 0;
  bool first_row_ = true;
  bool wrote_subtotal_ = false;
  std::string line_;
};

}  // namespace

bool FilterKeepsCell(int condition, std::string_view cell, std::string_view value) {
  switch (static_cast<FilterCondition>(condition)) {
    case FilterCondition::kEqual:
      return cell == value;
    case FilterCondition::kDifferent:
      return cell != value;
    case FilterCondition::kContains:
      return cell.find(value) != std::string_view::npos;
  }
  return true;
}

SubtotalFlags SubtotalFlagsOf(const short subtotal[4]) {
  return SubtotalFlags{subtotal[0], subtotal[1], subtotal[2], subtotal[3]};
}

long ParseAuditTime(std::string_view cell) {
  char text[64];
  size_t n = std::min(cell.size(), sizeof text - 1);
  if (n > 0) std::memcpy(text, cell.data(), n);
  text[n] = '\0';
  int hour = 0, minute = 0, second = 0;
  char suffix[16] = {};
  std::sscanf(text, "%d:%d:%d %15s", &hour, &minute, &second, suffix);
  if (std::strcmp(suffix, "PM") == 0 && hour < 12) hour += 12;
  return static_cast<long>(hour) * 10000 + static_cast<long>(minute) * 100 + second;
}

int ApplyListFilter(QenListWindow* list, int column, int condition, const std::string& value,
                    const SubtotalFlags& flags, bool suppress_subtotals) {
  if (!list || column < 0 || condition == 0) return 0;
  const std::string_view wanted = CutUtf8(value, kFilterValueCap - 1);
  const int deleted = list->DeleteRowsIf([&](int row) {
    if (list->GetItemData(row) < 1) return true;
    std::string_view cell = TrimBlanks(CutUtf8(list->GetItemText(row, column), kFilterCellCap - 1));
    return !FilterKeepsCell(condition, cell, wanted);
  });
  if (deleted > 0) RebuildAuditTotals(list, flags, suppress_subtotals);
  return deleted;
}

void RebuildAuditTotals(QenListWindow* list, const SubtotalFlags& flags, bool suppress_subtotals) {
  if (!list) return;
  // Copy the data rows once (texts back to back), then write them back.
  struct Kept {
    size_t offset;
    uint32_t length;
    int32_t data;
  };
  std::string texts;
  std::vector<Kept> kept;
  const int count = list->GetCount();
  kept.reserve(count);
  size_t bytes = 0;
  for (int r = 0; r < count; ++r) bytes += list->GetString(r).size();
  texts.reserve(bytes);
  for (int r = 0; r < count; ++r) {
    const long data = list->GetItemData(r);
    if (data < 1) continue;
    std::string_view text = list->GetString(r);
    kept.push_back({texts.size(), static_cast<uint32_t>(text.size()), static_cast<int32_t>(data)});
    texts.append(text);
  }
  list->ClearList();
  TotalsBuilder builder(list, flags, suppress_subtotals);
  for (const Kept& k : kept) builder.Row(std::string_view(texts).substr(k.offset, k.length), k.data);
  builder.Finish();
}
