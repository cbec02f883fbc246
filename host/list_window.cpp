#include "host/list_window.h"

#include <algorithm>
#include <cstring>

#include "host/list_layout.h"
#include "host/tdlist.h"

namespace {

// Cells of a row text: [begin, end) of cell `column`, or false when the row
// has fewer cells.
bool FindCell(std::string_view text, int column, size_t* begin, size_t* end) {
  size_t start = 0;
  for (int c = 0; c < column; ++c) {
    size_t tab = text.find('\t', start);
    if (tab == std::string_view::npos) return false;
    start = tab + 1;
  }
  size_t tab = text.find('\t', start);
  *begin = start;
  *end = tab == std::string_view::npos ? text.size() : tab;
  return true;
}

}  // namespace

QenListWindow::QenListWindow(int id) : id_(id) {}

QenListWindow::~QenListWindow() = default;

template <class Fn, class... Args>
void QenListWindow::Notify(Fn fn, Args... args) {
  // By index: an observer may add observers while being told.
  for (size_t i = 0; i < observers_.size(); ++i) (observers_[i]->*fn)(args...);
}

QenListWindow::Row QenListWindow::MakeRow(std::string_view text, long data) {
  uint32_t length = static_cast<uint32_t>(std::min<size_t>(text.size(), kMaxRowBytes));
  Row row{0, length, static_cast<int32_t>(data)};
  if (length == 0) return row;
  if (length > tail_free_) {
    // A new chunk. A text longer than a chunk gets one of its own, which
    // takes nothing else (offsets in a chunk must stay below kChunkSize).
    if (chunks_.size() >= kMaxChunks) return Row{0, 0, row.data};  // arena full: empty text
    uint32_t size = std::max(length, kChunkSize);
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    arena_bytes_ += size;
    tail_used_ = 0;
    tail_free_ = size;
  }
  uint32_t chunk = static_cast<uint32_t>(chunks_.size() - 1);
  std::memcpy(chunks_.back().get() + tail_used_, text.data(), length);
  row.offset = chunk << kChunkBits | tail_used_;
  tail_used_ += length;
  tail_free_ = tail_used_ >= kChunkSize ? 0 : tail_free_ - length;
  return row;
}

std::string_view QenListWindow::TextOf(const Row& row) const {
  uint32_t length = row.length_flags & kMaxRowBytes;
  if (length == 0) return {};
  const char* chunk = chunks_[row.offset >> kChunkBits].get();
  return {chunk + (row.offset & (kChunkSize - 1)), length};
}

void QenListWindow::MaybeCompact() {
  if (rows_.empty()) {
    chunks_.clear();
    arena_bytes_ = dead_bytes_ = 0;
    tail_used_ = tail_free_ = 0;
    return;
  }
  size_t live = arena_bytes_ - tail_free_ - dead_bytes_;
  if (dead_bytes_ < kChunkSize || dead_bytes_ < live) return;
  // Copy the live texts, in row order, into fresh chunks.
  std::vector<std::unique_ptr<char[]>> old = std::move(chunks_);
  chunks_.clear();
  arena_bytes_ = dead_bytes_ = 0;
  tail_used_ = tail_free_ = 0;
  for (Row& row : rows_) {
    uint32_t length = row.length_flags & kMaxRowBytes;
    if (length == 0) continue;
    const char* src = old[row.offset >> kChunkBits].get() + (row.offset & (kChunkSize - 1));
    Row moved = MakeRow(std::string_view(src, length), 0);
    row.offset = moved.offset;
  }
}

int QenListWindow::AddString(std::string_view text, long item_data) {
  return InsertString(text, GetCount(), item_data);
}

int QenListWindow::InsertString(std::string_view text, int index, long item_data) {
  if (index < 0 || index > GetCount()) index = GetCount();
  Notify(&ListObserver::RowsAboutToBeInserted, index, 1);
  Row row = MakeRow(text, item_data);
  rows_.insert(rows_.begin() + index, row);
  if (!records_.empty()) records_.insert(records_.begin() + index, nullptr);
  ShiftSelectionAfterInsert(index, 1);
  Notify(&ListObserver::RowsInserted, index, 1);
  return index;
}

void QenListWindow::SetString(int index, std::string_view text) {
  if (index < 0 || index >= GetCount()) return;
  Row& row = rows_[index];
  Release(row);
  Row fresh = MakeRow(text, row.data);
  row.offset = fresh.offset;
  row.length_flags = (row.length_flags & ~kMaxRowBytes) | fresh.length_flags;
  MaybeCompact();
  Notify(&ListObserver::RowChanged, index);
}

void QenListWindow::EraseRange(int first, int count) {
  for (int i = first; i < first + count; ++i) Release(rows_[i]);
  rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
  if (!records_.empty()) records_.erase(records_.begin() + first, records_.begin() + first + count);
  ShiftSelectionAfterErase(first, count);
}

void QenListWindow::DeleteString(int index) {
  if (index < 0 || index >= GetCount()) return;
  Notify(&ListObserver::RowsAboutToBeRemoved, index, 1);
  EraseRange(index, 1);
  MaybeCompact();
  Notify(&ListObserver::RowsRemoved, index, 1);
}

int QenListWindow::DeleteRowsIf(const std::function<bool(int)>& drop) {
  const int count = GetCount();
  std::vector<uint8_t> gone(count);
  int dropped = 0;
  int runs = 0;
  for (int i = 0; i < count; ++i) {
    gone[i] = drop(i) ? 1 : 0;
    if (gone[i]) {
      ++dropped;
      if (i == 0 || !gone[i - 1]) ++runs;
    }
  }
  if (dropped == 0) return 0;
  // A few runs are reported as removals (a view keeps its place); many runs
  // as one reset, so the list is rebuilt once instead of once per run.
  constexpr int kMaxReportedRuns = 16;
  if (runs <= kMaxReportedRuns) {
    for (int end = count; end > 0;) {
      if (!gone[end - 1]) {
        --end;
        continue;
      }
      int first = end - 1;
      while (first > 0 && gone[first - 1]) --first;
      Notify(&ListObserver::RowsAboutToBeRemoved, first, end - first);
      EraseRange(first, end - first);
      Notify(&ListObserver::RowsRemoved, first, end - first);
      end = first;
    }
    MaybeCompact();
    return dropped;
  }
  Notify(&ListObserver::ListAboutToBeReset);
  int out = 0;
  int new_selected = -1;
  for (int i = 0; i < count; ++i) {
    if (gone[i]) {
      Release(rows_[i]);
      continue;
    }
    if (i == selected_) new_selected = out;
    rows_[out] = rows_[i];
    if (!records_.empty()) records_[out] = std::move(records_[i]);
    ++out;
  }
  rows_.resize(out);
  if (!records_.empty()) records_.resize(out);
  selected_ = new_selected;
  MaybeCompact();
  Notify(&ListObserver::ListReset);
  return dropped;
}

void QenListWindow::ClearList() {
  Notify(&ListObserver::ListAboutToBeReset);
  rows_.clear();
  rows_.shrink_to_fit();
  records_.clear();
  records_.shrink_to_fit();
  selected_ = -1;
  MaybeCompact();
  Notify(&ListObserver::ListReset);
}

std::string_view QenListWindow::GetString(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  return TextOf(rows_[index]);
}

std::string_view QenListWindow::GetItemText(int index, int column) const {
  if (index < 0 || index >= GetCount() || column < 0) return {};
  std::string_view text = TextOf(rows_[index]);
  size_t begin = 0;
  size_t end = 0;
  if (!FindCell(text, column, &begin, &end)) return {};
  return text.substr(begin, end - begin);
}

int QenListWindow::CellCount(int index) const {
  if (index < 0 || index >= GetCount()) return 0;
  std::string_view text = TextOf(rows_[index]);
  return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\t'));
}

long QenListWindow::GetItemData(int index) const {
  if (index < 0 || index >= GetCount()) return 0;
  return rows_[index].data;
}

void QenListWindow::SetItemData(int index, long data) {
  if (index < 0 || index >= GetCount()) return;
  rows_[index].data = static_cast<int32_t>(data);
  Notify(&ListObserver::RowChanged, index);
}

void QenListWindow::SetItemRecord(int index, std::unique_ptr<TDElem> record) {
  if (index < 0 || index >= GetCount()) return;
  if (records_.empty()) {
    if (!record) return;
    records_.resize(rows_.size());
  }
  records_[index] = std::move(record);
  Notify(&ListObserver::RowChanged, index);
}

TDElem* QenListWindow::GetItemRecord(int index) const {
  if (index < 0 || index >= GetCount() || records_.empty()) return nullptr;
  return records_[index].get();
}

void QenListWindow::Check(int index, bool checked) {
  if (index < 0 || index >= GetCount()) return;
  uint32_t& flags = rows_[index].length_flags;
  if (((flags & kChecked) != 0) == checked) return;
  flags = checked ? (flags | kChecked) : (flags & ~kChecked);
  Notify(&ListObserver::RowChanged, index);
}

bool QenListWindow::IsChecked(int index) const {
  if (index < 0 || index >= GetCount()) return false;
  return (rows_[index].length_flags & kChecked) != 0;
}

void QenListWindow::SetSelIndex(int index) {
  if (index < -1 || index >= GetCount()) return;
  if (index == selected_) return;
  selected_ = index;
  Notify(&ListObserver::SelectionChanged, index);
}

void QenListWindow::ShiftSelectionAfterInsert(int index, int count) {
  if (selected_ >= index) selected_ += count;
}

void QenListWindow::ShiftSelectionAfterErase(int first, int count) {
  if (selected_ < first) return;
  selected_ = selected_ < first + count ? -1 : selected_ - count;
}

// --- columns ---------------------------------------------------------------

void QenListWindow::AddColumn(std::string title, int width_chars, ColumnAlign align) {
  columns_.push_back(ListColumn{std::move(title), width_chars, align});
  Notify(&ListObserver::ColumnsChanged);
}

void QenListWindow::SetColumns(std::vector<ListColumn> columns) {
  columns_ = std::move(columns);
  Notify(&ListObserver::ColumnsChanged);
}

void QenListWindow::SetColumnWidth(int column, int width_chars) {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return;
  columns_[column].width_chars = std::max(0, width_chars);
  Notify(&ListObserver::ColumnsChanged);
}

void QenListWindow::DeleteAColumn(int column) {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return;
  columns_.erase(columns_.begin() + column);
  Notify(&ListObserver::ColumnsChanged);
}

void QenListWindow::SetStyles(uint32_t style, uint16_t ex_style) {
  if (style == style_ && ex_style == ex_style_) return;
  style_ = style;
  ex_style_ = ex_style;
  Notify(&ListObserver::ColumnsChanged);
}

void QenListWindow::AdjustColumns() { Notify(&ListObserver::AdjustColumnsRequested); }

bool QenListWindow::LoadRes(int resource_id) { return ::LoadRes(this, resource_id); }

// --- observers ---------------------------------------------------------------

void QenListWindow::AddObserver(ListObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void QenListWindow::RemoveObserver(ListObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

size_t QenListWindow::MemoryBytes() const {
  size_t bytes = sizeof(*this) + rows_.capacity() * sizeof(Row) + arena_bytes_ +
                 chunks_.capacity() * sizeof(chunks_[0]) +
                 records_.capacity() * sizeof(records_[0]);
  for (const ListColumn& c : columns_) bytes += sizeof(c) + c.title.capacity();
  return bytes;
}
