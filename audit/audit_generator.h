// The audit generators: read the audit rows that match an AuditOptions,
// sort them and write them as tab-separated lines into a list window.
//
//   PracDetailedGenerator  audit tab, detailed list (list 300)
//   PracSummaryGenerator   audit tab, summary list (list 301): rows merged
//                          per combination of the subtotalled keys
//   PracAuditGenerator     audit-history dialog (list 5111): the history of
//                          one record
//
// Use (one generator per press of the generate button):
//   PracDetailedGenerator gen(parent_window, &options);
//   list.ClearList();
//   gen.Generate(&list);
//   if (!gen.Outcome().message.empty()) show(gen.Outcome().message);
//
// Data flow of Generate:
//   1. count statement (cursor 77): nothing matched -> false, no meter;
//   2. row statement (cursor 77) read row by row under a cancellable TMeter;
//      ReadRow drops rows of unselected modules (ModuleCodeOf) and, in the
//      summary, merges rows into the element of their key combination;
//   3. stable sort by the chosen keys (CompareVantraElems);
//   4. FillList: descriptions and name look-ups (cursor 117), lines, group
//      totals and the grand total.
// How the run ended is Outcome() (host/run_outcome.h). A cancel keeps the
// rows read (or listed) so far. A statement that fails, a server that goes
// away, or a failed look-up ends that step quietly and is noted there (the
// first failure's message, in French); rows already read are still listed,
// with totals of what is listed. A lost server is reported with
// PartialListMessage (host/gendb.h) in place of any other failure.
//
// Name look-ups of the detailed and history lists are answered ahead in a few
// set-based statements (LookupMode::kBatched, the default) inside one read
// transaction; LookupMode::kOneByOne runs each distinct statement as given.
// Both produce the same lines.
#pragma once

#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "audit/audit_describe.h"
#include "audit/audit_lookup.h"
#include "audit/audit_types.h"
#include "host/meter.h"
#include "host/run_outcome.h"
#include "host/tdlist.h"

class GenDB;
class QenListWindow;

// Where the lines of a fill go, in order: a list window (ListLineSink, what
// FillList uses), or straight to a file (the command line's tsv output,
// which needs no list).
class AuditLineSink {
 public:
  virtual ~AuditLineSink() = default;
  virtual void AddLine(std::string_view text, long item_data) = 0;
};

// AddString into a list window.
class ListLineSink : public AuditLineSink {
 public:
  explicit ListLineSink(QenListWindow* list) : list_(list) {}
  void AddLine(std::string_view text, long item_data) override;

 private:
  QenListWindow* list_;
};

// The cursor of the count and row statements.
inline constexpr int kAuditCursor = 77;

enum class LookupMode { kBatched, kOneByOne };

// Subtotal state of a generator (reset by BeginTotals). Arrays are indexed by
// key row: 0 user, 1 date, 2 module, 3 action.
struct AuditTotals {
  short subtotal[4] = {};    // copied from the options: 1 = subtotal on key
  bool breaks[4] = {};       // groups that end before the current element
  long group[4] = {};        // elements in the current group, per key
  long grand[4] = {};        // elements listed, per key
  char prev_user[kAuditUserCap] = {};
  char prev_verb[64] = {};
  long prev_date = 0;        // 0 = none
  long prev_module = -1;     // -1 = none
  long first_time = 0;       // HHMMSS of the current group's first element
  long last_time = 0;        // HHMMSS of the element written last
  // Summary only.
  bool summary_break[4] = {};
  long group_sum = 0;        // merged audit rows in the current group
  long grand_sum = 0;        // merged audit rows in the whole list
};

// The comparator of the sort: the keys of this thread's copy set by
// SetCompareKeys (Generate sets it before sorting). Keys outside 1..4 are
// passed over; rows equal on them are ordered by id, date, time and user
// (0 only when all of those are equal too).
void SetCompareKeys(const short keys[4], short count);
int CompareVantraElems(const TDElem* a, const TDElem* b);
// Puts list (of VantraElem) in the order TDList::QSort(CompareVantraElems)
// gives (stable, same keys), faster: the keys of each element are copied
// side by side once, so the sort does not chase a million pointers.
void SortAuditElements(TDList* list);

// The combination of subtotalled keys a summary line stands for (user,
// date, module, action group; keys not subtotalled are left zero). Rows with
// the same key are merged into one summary line.
struct AuditSummaryKey {
  char user[kAuditUserCap];
  long date;
  long module;
  long group;
  bool operator==(const AuditSummaryKey& o) const {
    return date == o.date && module == o.module && group == o.group &&
           std::memcmp(user, o.user, sizeof user) == 0;
  }
};
struct AuditSummaryKeyHash {
  size_t operator()(const AuditSummaryKey& k) const;
};
// The summary key of a row of module `module` (ModuleCodeOf) under the
// subtotal flags of the options: what PracSummaryGenerator merges on.
AuditSummaryKey SummaryKeyOf(const AuditRecord& row, long module, const short subtotal[4]);
// What the summary makes of a row, reading only its own columns (the field
// names and infos, which the module of some rows depends on, are not among
// them): false when it drops the row, else its key and module.
bool SummaryKeyOfRow(const AuditRecord& row, const AuditOptions& options, AuditSummaryKey* key, long* module);

// What a drill on a written list needs, kept by the fill when asked
// (KeepDrillMap): where each data line and total line lies in the list, and
// which elements each total line counts.
struct AuditTotalSpan {
  long first[4] = {};   // per key row (user, date, module, action): the first element counted
  long sum_first = 0;   // summary: the first element whose merged rows the sum adds
  long end = 0;         // one past the last element counted
};
struct AuditRowRef {
  long record_id = 0;
  long module = 0;
};
struct AuditDrillMap {
  int list_id = 0;                        // 300 detailed, 301 summary, 5111 history
  std::vector<int> data_lines;            // list line of element k (ascending)
  std::vector<int> total_lines;           // list line of each total line (ascending)
  std::vector<AuditTotalSpan> totals;     // parallel to total_lines
  std::vector<AuditSummaryKey> summary;   // summary: element k's key
  std::vector<long> counts;               // summary: the rows element k merges
  // Summary of one table (source A or H): the audit ids element k merges,
  // parallel to summary (empty for both tables, whose ids may repeat).
  std::vector<std::vector<long>> ids;
  std::vector<AuditRowRef> rows;          // detailed and history: element k's record
  long lines = 0;                         // the lines the fill wrote
  void Clear() { *this = AuditDrillMap(); }
};

class PracBaseGenerator {
 public:
  // options must outlive the generator. db: the practice database, not
  // owned (null: nothing is read; SetDb replaces it).
  PracBaseGenerator(GenDB* db, HWindow parent, AuditOptions* options);
  virtual ~PracBaseGenerator();
  PracBaseGenerator(const PracBaseGenerator&) = delete;
  PracBaseGenerator& operator=(const PracBaseGenerator&) = delete;

  // Runs the whole generation into list (the caller cleared it). False when
  // no row matched (or there is no database, or the count failed: see
  // Outcome); true when rows were read and FillList ran. list may be null:
  // the rows are then read and sorted (Elements) and nothing is written.
  // The sort runs inside; a window shows its wait cursor around the call.
  bool Generate(QenListWindow* list);
  // The same, writing the lines into sink (null: read and sort only).
  bool GenerateLines(AuditLineSink* sink);

  // --- the virtual operations, in slot order ---------------------------------
  // " FROM <prefix>AUDITFIL|AUDHIS" and the date, user and record conditions.
  // source is 'A' or 'H' ('B' is never passed).
  virtual std::string BuildFromWhere(char source);
  // The history's record condition; "" in the base.
  virtual std::string BuildRecordCondition(char source);
  // Reads the current row of cursor 77 into the result list (or drops it).
  virtual void ReadRow() = 0;
  virtual std::string BuildSelectList(char source) = 0;
  virtual void FillList(QenListWindow* list) = 0;
  // What FillList writes, into any sink (FillList is FillLines into a
  // ListLineSink).
  virtual void FillLines(AuditLineSink* sink) = 0;
  virtual void BeginTotals();
  virtual void CountRow();
  virtual void ResetGroupCounts();
  virtual bool CheckGroupBreak(const VantraElem& e, const AuditDescription& d);

  // The two statements Generate runs, from the options as they are now.
  std::string CountStatement();
  std::string RowStatement();

  // --- for callers and tests ---------------------------------------------------
  // Uses db instead of the application's connection (null = none).
  void SetDb(GenDB* db) { db_ = db; }
  void SetLookupMode(LookupMode mode) { lookup_mode_ = mode; }
  // The next fill also keeps in *map what a drill on its lines needs (null:
  // nothing kept). map must outlive the fill.
  void KeepDrillMap(AuditDrillMap* map) { drill_map_ = map; }
  // Reads only the rows keep accepts, in place of the module test: keep
  // returns 0 to drop a row, else the module it is listed under (the
  // detailed rows behind a summary figure).
  void SetRowFilter(std::function<long(const AuditRecord&)> keep) { keep_ = std::move(keep); }
  // How the last Generate (or GenerateLines and FillLines) ended.
  const RunOutcome& Outcome() const { return outcome_; }
  // The sorted elements of the last Generate (owned by the generator).
  const TDList& Elements() const {
    WaitSorted();
    return elems_;
  }
  // How the look-ups of the last fill were answered.
  const LookupStats& Stats() const { return stats_; }
  const AuditTotals& Totals() const { return totals_; }

 protected:
  // Shared by the detailed and history generators.
  std::string DetailedSelectList(char source) const;
  void ReadDetailedRow();
  // Writes the detailed (history = false) or history lines of every element.
  void FillDetailed(AuditLineSink* list, bool history);
  void WriteDetailedTotal(AuditLineSink* list, bool group);
  // Steps 1-8 of Generate: count, read, sort. False when nothing matched.
  // A detailed list with look-ups to make is sorted on a second thread
  // while the look-ups are planned and read (FillDetailed); WaitSorted
  // waits for the sort, and every use of elems_ after ReadAndSort starts
  // with it.
  bool ReadAndSort();
  void WaitSorted() const;
  // Steps 1-7 of CheckGroupBreak with on[i] in place of "subtotal flag i is 1".
  bool TestBreaks(const bool on[4], const VantraElem& e, const AuditDescription& d);

  HWindow parent_;
  AuditOptions* options_;
  GenDB* db_ = nullptr;
  ElemArena arena_;  // the elements' memory; declared before elems_, so it outlives it
  TDList elems_;
  size_t read_count_ = 0;               // elements the last ReadAndSort kept
  mutable std::thread sorter_;          // sorting elems_ (ReadAndSort)
  mutable std::exception_ptr sort_error_;  // what it threw
  std::string from_where_;        // built last
  std::string record_condition_;  // built last
  std::string select_list_;       // built last
  AuditTotals totals_;
  LookupMode lookup_mode_ = LookupMode::kBatched;
  // Batched mode: the look-ups the listed rows will ask, gathered while the
  // rows are read (each row is at hand then) and answered before the fill.
  CollectingRunner wanted_lookups_;
  long expected_rows_ = 0;  // the count statement's answer
  // Drill bookkeeping of the fill (see AuditDrillMap).
  AuditDrillMap* drill_map_ = nullptr;
  std::function<long(const AuditRecord&)> keep_;
  long counted_ = 0;            // elements counted by CountRow
  long group_first_[4] = {};    // per key: the first element of its open group
  long sum_first_ = 0;          // summary: the first element of the open sum
  int lines_written_ = 0;       // lines the fill has written
  // Writes one line of the fill into sink, noting it in the drill map: a
  // data line of element e, a total line (group or grand), or a blank line.
  void EmitData(AuditLineSink* sink, std::string_view text, const VantraElem& e);
  void EmitTotal(AuditLineSink* sink, std::string_view text, bool group);
  void EmitBlank(AuditLineSink* sink);
  LookupStats stats_;
  RunOutcome outcome_;
};

class PracDetailedGenerator : public PracBaseGenerator {
 public:
  PracDetailedGenerator(GenDB* db, HWindow parent, AuditOptions* options);
  void ReadRow() override;
  std::string BuildSelectList(char source) override;
  void FillList(QenListWindow* list) override;
  void FillLines(AuditLineSink* sink) override;
  // A group's total (the clinics' lists stand above it): the grand total
  // line of every clinic's rows, its counts the sums of the clinics' (each
  // after its Generate, with the same options).
  void FillGroupTotal(const std::vector<const PracBaseGenerator*>& clinics, AuditLineSink* sink);
};

class PracSummaryGenerator : public PracBaseGenerator {
 public:
  PracSummaryGenerator(GenDB* db, HWindow parent, AuditOptions* options);
  ~PracSummaryGenerator() override;
  void ReadRow() override;
  std::string BuildSelectList(char source) override;
  void FillList(QenListWindow* list) override;
  void FillLines(AuditLineSink* sink) override;
  void BeginTotals() override;
  bool CheckGroupBreak(const VantraElem& e, const AuditDescription& d) override;
  // A group's total: the clinics' summary rows (each generator after its
  // Generate, with the same options) merged as one practice's rows would be,
  // one element per combination of the subtotalled keys with the clinics'
  // counts summed (the latest time kept), then sorted; FillLines writes it.
  void MergeClinics(const std::vector<const PracSummaryGenerator*>& clinics);

 private:
  void WriteSummaryTotal(AuditLineSink* list, bool group);
  // Index of the result list by the combination of the subtotalled keys
  // (user, date, module, action group; keys not subtotalled are left zero):
  // the element that absorbs a row is the only one with the row's combination.
  struct MergeIndex;
  std::unique_ptr<MergeIndex> index_;
};

class PracAuditGenerator : public PracBaseGenerator {
 public:
  // record_id: the record whose history is shown (0 = no record condition);
  // account_id: an account whose rows are shown too (0 = none).
  PracAuditGenerator(GenDB* db, HWindow parent, AuditOptions* options, long record_id, long account_id);
  std::string BuildRecordCondition(char source) override;
  void ReadRow() override;
  std::string BuildSelectList(char source) override;
  void FillList(QenListWindow* list) override;
  void FillLines(AuditLineSink* sink) override;

 private:
  long record_id_;
  long account_id_;
};
