// QenListWindow: the list the generators write their result rows into.
//
// This is the row store, free of any widget: the Qt view (ListView in
// host/qt) observes it and paints from it; printing, export, charts and
// the command line read it. A row is one text whose cells are separated by
// tabs, exactly as the generator added it, plus an item data (32-bit in
// meaning, carried in a long: an ordinal, a row kind, -1 for total rows) or
// an owned record, a check state and a selection.
//
// Memory: a row is kept as its cells, each cell either a reference into the
// list's dictionary of cell texts or the text itself. Cells of 2 to 64 bytes
// that repeat (a date, a user, a module name, a verb, most descriptions:
// most cells of a result list) are stored once; a column whose cells seldom
// repeat (under a quarter of its first 4,096 cells) keeps its texts inline
// from then on. Rows live in a shared arena of 1 MiB chunks; a row costs its
// encoded cells (one to three bytes per shared cell, the text plus one or
// two bytes otherwise) plus 12 bytes (plus 8 once any row of the list owns a
// record). The detailed audit list of a million rows of the large demo
// practice (105 bytes of text a row) takes 42 MB instead of 112 MB. Reading
// costs a little more: GetItemText walks the cells, GetString puts a row of
// several cells together. Deleted rows are
// reclaimed when they outweigh the live ones (at most 4 GiB of encoded rows
// per list; rows beyond are stored empty); the dictionary lives until the
// list is emptied.
//
// Batches: a generation that writes many rows into a shown list wraps the
// writing in a ListBatch. Observers hear BatchBegun/BatchEnded around it and
// may report the rows appended at the end in a few large steps (the list
// view reports them when the event loop runs, at most a few times a second,
// and all of them when the batch ends) instead of one by one. Any other
// change made during a batch is told as usual.
//
// Indexes are 0-based; an index out of range makes getters return 0/""/false
// and setters do nothing.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TDElem;

// A text read from the practice, put in a list row: its tabs, carriage
// returns and line feeds (kRowBreaks) become blanks. A row's cells are
// separated by tabs and printed one row a line, so a log-on name or a
// description holding one would otherwise open a column of its own (or a
// line) in the list, its prints and its exports. Only texts that are shown
// go through this: a text that selects, sorts, groups or merges rows keeps
// its bytes ("A<tab>B" and "A B" are two users) and is blanked where its
// cell is written.
inline constexpr char kRowBreaks[] = "\t\r\n";

// Appends text to a row being written, its breaks as blanks. Made for the
// per-cell path: with nothing to blank it is one strcspn and one append.
inline void AppendCellText(std::string* out, const char* text) {
  for (;;) {
    const size_t plain = std::strcspn(text, kRowBreaks);
    out->append(text, plain);
    if (text[plain] == '\0') return;
    out->push_back(' ');
    text += plain + 1;
  }
}

// The same in place, for a name put in a row by other means.
inline void BlankRowBreaks(char* text) {
  for (text += std::strcspn(text, kRowBreaks); *text != '\0'; text += std::strcspn(text, kRowBreaks)) *text = ' ';
}
inline void BlankRowBreaks(std::string* text) { BlankRowBreaks(text->data()); }

enum class ColumnAlign { kLeft = 0, kRight = 1, kCenter = 2 };

struct ListColumn {
  std::string title;
  int width_chars = 10;  // width in average character widths
  ColumnAlign align = ColumnAlign::kLeft;
};

// Told of every change so a view can follow. All calls come on the thread
// that changes the list (the user-interface thread).
class ListObserver {
 public:
  virtual ~ListObserver() = default;
  // Each change comes as an optional "about to" call made before the store
  // changes, then the matching call made after it.
  virtual void RowsAboutToBeInserted(int /*first*/, int /*count*/) {}
  virtual void RowsInserted(int first, int count) = 0;
  virtual void RowsAboutToBeRemoved(int /*first*/, int /*count*/) {}
  virtual void RowsRemoved(int first, int count) = 0;
  virtual void RowChanged(int row) = 0;
  virtual void ListAboutToBeReset() {}
  virtual void ListReset() = 0;
  virtual void ColumnsChanged() = 0;
  // AdjustColumns asked the view to fit its columns to its width.
  virtual void AdjustColumnsRequested() {}
  // SetSelIndex changed the selection (not sent for shifts caused by
  // inserting or deleting rows); row -1 = none.
  virtual void SelectionChanged(int /*row*/) {}
  // The outermost BeginBatch and EndBatch.
  virtual void BatchBegun() {}
  virtual void BatchEnded() {}
};

class QenListWindow {
 public:
  // id: the list's control id (300, 301, 5111, 108 ...), for messages and
  // for telling lists apart in handlers.
  explicit QenListWindow(int id = 0);
  ~QenListWindow();
  QenListWindow(const QenListWindow&) = delete;
  QenListWindow& operator=(const QenListWindow&) = delete;

  int Id() const { return id_; }

  // --- rows ---------------------------------------------------------------
  // Appends a row; returns its index.
  int AddString(std::string_view text, long item_data = 0);
  // Inserts before index (index == GetCount() appends); returns the index.
  int InsertString(std::string_view text, int index, long item_data = 0);
  // Replaces the text of a row, keeping data, check and selection.
  void SetString(int index, std::string_view text);
  void DeleteString(int index);
  // Deletes every row for which drop(index) is true, in one pass (indexes are
  // those before any deletion); returns how many rows went.
  int DeleteRowsIf(const std::function<bool(int)>& drop);
  void ClearList();
  int GetCount() const { return static_cast<int>(rows_.size()); }

  // Whole row text as added (cells separated by tabs). Valid until the next
  // change or the next GetString (a row of several cells is put together in
  // one buffer of the list's). No text (an empty row, an index out of range)
  // reads as "" with a valid pointer, here and in GetItemText.
  std::string_view GetString(int index) const;
  // Cell `column` of a row (0-based), "" when the row has fewer cells. Valid
  // until the next change.
  std::string_view GetItemText(int index, int column) const;
  int CellCount(int index) const;

  // Item data is stored in 32 bits (values are truncated to int32).
  long GetItemData(int index) const;
  void SetItemData(int index, long data);
  // A record owned by the row (deleted with the row, when replaced, or with
  // the list). Independent of the item data, which it leaves unchanged.
  void SetItemRecord(int index, std::unique_ptr<TDElem> record);
  TDElem* GetItemRecord(int index) const;

  // Check boxes (lists with the check-box style).
  void Check(int index, bool checked);
  bool IsChecked(int index) const;

  // Single selection; -1 = none.
  int GetSelIndex() const { return selected_; }
  void SetSelIndex(int index);

  // --- columns ------------------------------------------------------------
  void AddColumn(std::string title, int width_chars, ColumnAlign align = ColumnAlign::kLeft);
  void SetColumns(std::vector<ListColumn> columns);
  const std::vector<ListColumn>& Columns() const { return columns_; }
  void SetColumnWidth(int column, int width_chars);
  void DeleteAColumn(int column);
  void AdjustColumns();
  // Columns and styles from the module's bare list-layout resource
  // resource_id (300, 301; see list_layout.h). False, list unchanged, when
  // the resource is missing or corrupt.
  bool LoadRes(int resource_id);

  // List style bits of the layout resource (0x98 in every layout) and the
  // extended style (0x21 grid + full-row select, 0x25 with check boxes).
  // Observers hear a change of styles as ColumnsChanged.
  void SetStyles(uint32_t style, uint16_t ex_style);
  uint32_t Style() const { return style_; }
  uint16_t ExStyle() const { return ex_style_; }
  bool HasCheckBoxes() const { return (ex_style_ & 0x04) != 0; }

  // --- observers ----------------------------------------------------------
  void AddObserver(ListObserver* observer);
  void RemoveObserver(ListObserver* observer);
  // Batches nest; observers hear only the outermost begin and end.
  void BeginBatch();
  void EndBatch();
  bool InBatch() const { return batch_depth_ > 0; }

  // Bytes used by rows and text (for benchmarks).
  size_t MemoryBytes() const;

 private:
  // A row: where its encoded cells lie in the arena, their length and the
  // row's flags, its item data. 12 bytes.
  struct Row {
    uint32_t offset;        // chunk index << kChunkBits | offset in the chunk
    uint32_t length_flags;  // encoded length (low 24 bits), flags (high 8 bits)
    int32_t data;
  };
  static constexpr int kChunkBits = 20;  // offsets within a chunk (chunks of 1 MiB at most)
  static constexpr uint32_t kChunkSize = 1u << kChunkBits;  // the largest chunk
  static constexpr uint32_t kFirstChunkSize = 16u << 10;
  static constexpr uint32_t kMaxRowBytes = (1u << 24) - 1;  // longer texts are cut
  static constexpr uint32_t kChecked = 1u << 24;
  static constexpr size_t kMaxChunks = size_t{1} << (32 - kChunkBits);  // 4 GiB
  static constexpr int kStatColumns = 16;
  // Chunks of bytes that never move; an address is chunk << kChunkBits |
  // offset. A piece longer than a chunk gets a chunk of its own.
  class Arena {
   public:
    // False when the arena is full (4 GiB).
    bool Append(std::string_view bytes, uint32_t* address);
    const char* At(uint32_t address) const {
      return chunks_[address >> kChunkBits].get() + (address & (kChunkSize - 1));
    }
    void Clear();
    size_t Bytes() const { return bytes_ + chunks_.capacity() * sizeof(chunks_[0]); }
    size_t Used() const { return bytes_ - tail_free_; }

   private:
    std::vector<std::unique_ptr<char[]>> chunks_;
    uint32_t tail_used_ = 0;  // bytes used in chunks_.back()
    uint32_t tail_free_ = 0;  // bytes still free in chunks_.back()
    uint32_t tail_size_ = 0;  // size of chunks_.back()
    size_t bytes_ = 0;        // bytes allocated in chunks_
  };
  // Dictionary use of one column (columns from kStatColumns on share the
  // last one).
  struct ColumnUse {
    uint32_t tries = 0;
    uint32_t hits = 0;
    int64_t last = -1;  // dictionary address of the column's last shared cell
    bool inline_only = false;
  };

  Row MakeRow(std::string_view text, long data);
  // Appends the cells of text to encoded_.
  void Encode(std::string_view text);
  // The dictionary address of cell (added when new), or -1 to keep it inline.
  int64_t Intern(std::string_view cell, int column);
  // A dictionary text: its length in one byte, then its bytes.
  std::string_view DictText(uint32_t address) const {
    const char* p = dict_arena_.At(address);
    return {p + 1, static_cast<uint8_t>(*p)};
  }
  std::string_view EncodedOf(const Row& row) const;
  // The next cell of an encoding at *p (p < end); moves *p past it.
  std::string_view NextCell(const char** p, const char* end) const;
  void Release(const Row& row) { dead_bytes_ += row.length_flags & kMaxRowBytes; }
  void MaybeCompact();
  void ClearDictionary();
  void EraseRange(int first, int count);
  void ShiftSelectionAfterInsert(int index, int count);
  void ShiftSelectionAfterErase(int first, int count);
  template <class Fn, class... Args>
  void Notify(Fn fn, Args... args);

  int id_;
  std::vector<Row> rows_;
  Arena arena_;             // encoded rows
  size_t dead_bytes_ = 0;   // bytes of deleted or replaced rows
  Arena dict_arena_;        // dictionary texts
  uint32_t dict_count_ = 0;
  // Open addressing over the dictionary: hash << 32 | (address + 1), 0 = free.
  std::vector<uint64_t> slots_;
  ColumnUse column_use_[kStatColumns];
  std::string encoded_;          // scratch of MakeRow
  mutable std::string joined_;   // the last GetString of a row of several cells
  // Owned records, one slot per row; empty until the first SetItemRecord.
  std::vector<std::unique_ptr<TDElem>> records_;
  std::vector<ListColumn> columns_;
  std::vector<ListObserver*> observers_;
  int selected_ = -1;
  int batch_depth_ = 0;
  uint32_t style_ = 0x98;
  uint16_t ex_style_ = 0x21;
};

// Wraps the writing of many rows (a generation) in a batch of list.
class ListBatch {
 public:
  explicit ListBatch(QenListWindow* list) : list_(list) {
    if (list_) list_->BeginBatch();
  }
  ~ListBatch() {
    if (list_) list_->EndBatch();
  }
  ListBatch(const ListBatch&) = delete;
  ListBatch& operator=(const ListBatch&) = delete;

 private:
  QenListWindow* list_;
};
