#include "host/list_window.h"

#include <algorithm>
#include <cstring>

#include "host/list_layout.h"
#include "host/tdlist.h"

// What the readers return for no text: empty but never a null pointer, so a
// caller may hand it to memcpy or fwrite as it is.
static constexpr std::string_view kNoText("");

namespace {

constexpr uint32_t kMaxDictionary = 1u << 20;  // cell texts a list keeps once
constexpr uint32_t kUseWindow = 4096;          // a column's cells looked at before deciding
// Shorter cells cost less inline; longer ones seldom repeat, and the
// dictionary is only emptied with the list.
constexpr size_t kMinCellToShare = 2;
constexpr size_t kMaxCellToShare = 64;

void PutVarint(std::string* out, uint64_t v) {
  while (v >= 0x80) {
    out->push_back(static_cast<char>(v | 0x80));
    v >>= 7;
  }
  out->push_back(static_cast<char>(v));
}

uint64_t GetVarint(const char** p, const char* end) {
  uint64_t v = 0;
  for (int shift = 0; *p < end && shift < 64; shift += 7) {
    const uint8_t b = static_cast<uint8_t>(*(*p)++);
    v |= static_cast<uint64_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) break;
  }
  return v;
}

}  // namespace

// --- arena -------------------------------------------------------------------

bool QenListWindow::Arena::Append(std::string_view bytes, uint32_t* address) {
  const uint32_t length = static_cast<uint32_t>(bytes.size());
  *address = 0;
  if (length == 0) return true;
  if (length > tail_free_) {
    if (chunks_.size() >= kMaxChunks) return false;
    // Not zeroed: pages become resident as rows are written into them.
    // Chunks double from 16 KiB up to kChunkSize, so a short list costs a few
    // pages; an address keeps kChunkBits for the offset whatever the size.
    uint32_t size = chunks_.empty() ? kFirstChunkSize : std::min(tail_size_ * 2, kChunkSize);
    size = std::max(length, size);
    chunks_.emplace_back(new char[size]);
    bytes_ += size;
    tail_used_ = 0;
    tail_free_ = size;
    tail_size_ = size;
  }
  *address = static_cast<uint32_t>(chunks_.size() - 1) << kChunkBits | tail_used_;
  std::memcpy(chunks_.back().get() + tail_used_, bytes.data(), length);
  tail_used_ += length;
  tail_free_ -= length;
  return true;
}

void QenListWindow::Arena::Clear() {
  chunks_.clear();
  chunks_.shrink_to_fit();
  tail_used_ = tail_free_ = tail_size_ = 0;
  bytes_ = 0;
}

// --- list --------------------------------------------------------------------

QenListWindow::QenListWindow(int id) : id_(id) {}

QenListWindow::~QenListWindow() = default;

template <class Fn, class... Args>
void QenListWindow::Notify(Fn fn, Args... args) {
  // By index: an observer may add observers while being told.
  for (size_t i = 0; i < observers_.size(); ++i) (observers_[i]->*fn)(args...);
}

namespace {

// A quick hash of a short text (cells of at most kMaxCellToShare bytes).
uint32_t CellHash(std::string_view cell) {
  const char* p = cell.data();
  const size_t n = cell.size();
  uint64_t h = (n + 1) * 0x9E3779B97F4A7C15ull;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  if (i < n) {
    uint64_t w = 0;
    std::memcpy(&w, p + i, n - i);
    h = (h ^ w) * 0x94D049BB133111EBull;
    h ^= h >> 29;
  }
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace

int64_t QenListWindow::Intern(std::string_view cell, int column) {
  ColumnUse& use = column_use_[std::min(column, kStatColumns - 1)];
  if (use.inline_only) return -1;
  ++use.tries;
  // The same text as the column's last cell (sorted lists repeat runs).
  if (use.last >= 0 && DictText(static_cast<uint32_t>(use.last)) == cell) {
    ++use.hits;
    return use.last;
  }
  const uint64_t hash = CellHash(cell);
  if (slots_.empty()) slots_.assign(1024, 0);
  size_t mask = slots_.size() - 1;
  size_t slot = hash & mask;
  for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
    if ((slots_[slot] >> 32) != hash) continue;
    const uint32_t address = static_cast<uint32_t>(slots_[slot]) - 1;
    if (DictText(address) == cell) {
      ++use.hits;
      use.last = address;
      return address;
    }
  }
  // A column whose cells rarely repeat keeps them inline from now on.
  if (use.tries >= kUseWindow && use.hits * 4 < use.tries) {
    use.inline_only = true;
    return -1;
  }
  if (dict_count_ >= kMaxDictionary) return -1;
  char entry[kMaxCellToShare + 1];
  entry[0] = static_cast<char>(cell.size());
  std::memcpy(entry + 1, cell.data(), cell.size());
  uint32_t address = 0;
  if (!dict_arena_.Append(std::string_view(entry, cell.size() + 1), &address)) return -1;
  ++dict_count_;
  slots_[slot] = hash << 32 | (static_cast<uint64_t>(address) + 1);
  if (size_t{dict_count_} * 2 > slots_.size()) {
    std::vector<uint64_t> old(slots_.size() * 2, 0);
    old.swap(slots_);
    mask = slots_.size() - 1;
    for (const uint64_t s : old) {
      if (s == 0) continue;
      size_t at = (s >> 32) & mask;
      while (slots_[at] != 0) at = (at + 1) & mask;
      slots_[at] = s;
    }
  }
  use.last = address;
  return address;
}

// Each cell: a varint tag, (address << 1 | 1) for a dictionary text, (length
// << 1) for a text that follows inline. The empty text has no cell at all.
void QenListWindow::Encode(std::string_view text) {
  encoded_.clear();
  if (text.empty()) return;
  size_t start = 0;
  for (int column = 0;; ++column) {
    const size_t tab = text.find('\t', start);
    const std::string_view cell =
        text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    const size_t before = encoded_.size();
    const int64_t id =
        cell.size() >= kMinCellToShare && cell.size() <= kMaxCellToShare ? Intern(cell, column) : -1;
    if (id >= 0) {
      PutVarint(&encoded_, static_cast<uint64_t>(id) << 1 | 1);
    } else {
      PutVarint(&encoded_, static_cast<uint64_t>(cell.size()) << 1);
      encoded_.append(cell);
    }
    if (encoded_.size() > kMaxRowBytes) {  // the row is cut after its last whole cell
      encoded_.resize(before);
      return;
    }
    if (tab == std::string_view::npos) return;
    start = tab + 1;
  }
}

std::string_view QenListWindow::NextCell(const char** p, const char* end) const {
  const uint64_t tag = GetVarint(p, end);
  if (tag & 1) return DictText(static_cast<uint32_t>(tag >> 1));
  const size_t length = std::min<size_t>(tag >> 1, static_cast<size_t>(end - *p));
  std::string_view cell(*p, length);
  *p += length;
  return cell;
}

QenListWindow::Row QenListWindow::MakeRow(std::string_view text, long data) {
  Encode(text.substr(0, kMaxRowBytes));
  Row row{0, static_cast<uint32_t>(encoded_.size()), static_cast<int32_t>(data)};
  if (!arena_.Append(encoded_, &row.offset)) return Row{0, 0, row.data};  // arena full: empty text
  return row;
}

std::string_view QenListWindow::EncodedOf(const Row& row) const {
  const uint32_t length = row.length_flags & kMaxRowBytes;
  if (length == 0) return kNoText;
  return {arena_.At(row.offset), length};
}

void QenListWindow::ClearDictionary() {
  dict_arena_.Clear();
  dict_count_ = 0;
  slots_.clear();
  slots_.shrink_to_fit();
  for (ColumnUse& use : column_use_) use = ColumnUse();
}

void QenListWindow::MaybeCompact() {
  if (rows_.empty()) {
    arena_.Clear();
    ClearDictionary();
    dead_bytes_ = 0;
    return;
  }
  const size_t live = arena_.Used() - dead_bytes_;
  if (dead_bytes_ < kChunkSize || dead_bytes_ < live) return;
  // Copy the live rows, in row order, into fresh chunks.
  Arena old;
  std::swap(old, arena_);
  dead_bytes_ = 0;
  for (Row& row : rows_) {
    const uint32_t length = row.length_flags & kMaxRowBytes;
    if (length == 0) continue;
    arena_.Append(std::string_view(old.At(row.offset), length), &row.offset);
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
  const Row fresh = MakeRow(text, row.data);
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
  if (index < 0 || index >= GetCount()) return kNoText;
  const std::string_view encoded = EncodedOf(rows_[index]);
  const char* p = encoded.data();
  const char* end = p + encoded.size();
  if (p == end) return kNoText;
  const std::string_view first = NextCell(&p, end);
  if (p == end) return first;  // one cell: no copy
  joined_.assign(first);
  while (p < end) {
    joined_.push_back('\t');
    joined_.append(NextCell(&p, end));
  }
  return joined_;
}

std::string_view QenListWindow::GetItemText(int index, int column) const {
  if (index < 0 || index >= GetCount() || column < 0) return kNoText;
  const std::string_view encoded = EncodedOf(rows_[index]);
  const char* p = encoded.data();
  const char* end = p + encoded.size();
  for (int c = 0; p < end; ++c) {
    const std::string_view cell = NextCell(&p, end);
    if (c == column) return cell;
  }
  return kNoText;
}

int QenListWindow::CellCount(int index) const {
  if (index < 0 || index >= GetCount()) return 0;
  const std::string_view encoded = EncodedOf(rows_[index]);
  const char* p = encoded.data();
  const char* end = p + encoded.size();
  int cells = 0;
  while (p < end) {
    NextCell(&p, end);
    ++cells;
  }
  return std::max(cells, 1);
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

void QenListWindow::BeginBatch() {
  if (batch_depth_++ == 0) Notify(&ListObserver::BatchBegun);
}

void QenListWindow::EndBatch() {
  if (batch_depth_ == 0) return;
  if (--batch_depth_ == 0) Notify(&ListObserver::BatchEnded);
}

size_t QenListWindow::MemoryBytes() const {
  size_t bytes = sizeof(*this) + rows_.capacity() * sizeof(Row) + arena_.Bytes() +
                 dict_arena_.Bytes() +
                 slots_.capacity() * sizeof(slots_[0]) + encoded_.capacity() + joined_.capacity() +
                 records_.capacity() * sizeof(records_[0]);
  for (const ListColumn& c : columns_) bytes += sizeof(c) + c.title.capacity();
  return bytes;
}
