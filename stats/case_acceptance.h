// The case-acceptance list (list 4, control 108): per producer, the planned
// treatments and the treatment proposals created in the period, their
// amounts, how many of them went ahead and the acceptance percentage.
//
// Source: one statement over the current audit table on cursor 77 (text in
// CaseAuditStatement), ordered by action then date, so every creation ('A')
// is read before any change ('E'). Each row is classified (CaseClassify):
//
//   type 'X' proposal (group 87, id = atol(AUD_FLD_INFO2))
//     'A'                              category 1   created
//     'E', new 'A', old ''             category 3   accepted
//     'E', new 'A', old 'I'            category 5   accepted
//   any other type: planned treatment (group 17, id = AUD_RECID)
//     'A'                              category 10  created
//     'E', new 'I'                     category 11  accepted
//     'E', new 'C', old 'P'            category 12  accepted
//
// A counted row takes its producer and amount from CLMTRT (group 17) or
// TXPTRT (group 87); a row whose item is missing or deleted is dropped. The
// amount goes to the new amount of a creation, to the accepted amount of a
// change. Then (CaseAccepted): the producer must be selected (unless all
// producers is 'Y'); a change counts only when the creation of the same
// item was read in the period; the category must belong to the group.
// Passing rows are summed per group and producer, sorted by "%05d%s" (group,
// producer; planned treatments first).
//
// Worked example, period 20261101-20261130, all producers:
//   A  T  recid 5  20261103  info1 "P"  (CLMTRT 5: D01, $120.00)   created
//   A  X  info2 "9" 20261104            (TXPTRT 9: D02, $800.00)   created
//   E  T  recid 5  20261110  info1 "C" info3 "P"                   accepted
//   E  T  recid 4  20261111  info1 "C" info3 "P"  (created before the period: not counted)
// gives
//   "Traitements Planifiés\t \tNouveau\t \tP->I/C"            header  (category 20, group 17)
//   " \tD01 \t1 \t$120.00 \t1 \t$120.00 \t100.00%"           detail  (category 10)
//   "Total: \t \t1 \t$120.00 \t1 \t$120.00 \t100.00%"        total   (category 21)
//   ""
//   ""
//   "Propositions\t \tNouveau\t \tApprouvé"                  header  (category 20, group 87)
//   " \tD02 \t1 \t$800.00 \t0 \t$0.00 \t0.00%"
//   "Total: \t \t1 \t$800.00 \t0 \t$0.00 \t0.00%"
// Each header, detail and total row owns a copy of its record (the list's
// item record, released when the list is cleared); blank rows own none.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/run_outcome.h"
#include "host/tdlist.h"
#include "stats/stats_types.h"

class GenDB;
class QenListWindow;

inline constexpr int kCaseAuditCursor = 77;
inline constexpr int kCaseLookupCursor = 117;

inline constexpr long kCaseGroupPlanned = 17;
inline constexpr long kCaseGroupProposal = 87;
inline constexpr long kCaseHeader = 20;
inline constexpr long kCaseTotal = 21;

// The case-acceptance record; the data of CaseStatsElem and the item record
// of every non-blank row of the list.
struct CaseStats {
  char new_status = 0;
  char old_status = 0;
  char action = 0;       // 'A' / 'E'; 0 on header and total rows
  long date = 0;
  long category = 0;     // 1, 3, 5, 10, 11, 12; 20 header, 21 total; 0 not counted
  long group = 0;        // 17 planned treatments, 87 proposals
  long record_id = 0;
  long new_count = 0;
  long accepted_count = 0;
  long new_amount = 0;       // cents
  long accepted_amount = 0;  // cents
  char producer[4] = {};
};

class CaseStatsElem : public TDElem {
 public:
  CaseStatsElem() = default;
  explicit CaseStatsElem(const CaseStats& r) : rec(r) {}
  CaseStats rec;
};

// One audit row as read (AUD_FLD_INFO texts at most 50 bytes).
struct CaseAuditRow {
  char type = 0;
  char action = 0;
  long record_id = 0;  // AUD_RECID
  long date = 0;
  std::string info1, info2, info3;
};

std::string CaseAuditStatement(long from, long to, const char* prefix);
// The look-up of one item: CLMTRT for group 17, TXPTRT for group 87.
std::string CaseLookupStatement(long group, long record_id, const char* prefix);

// A fresh record for row: statuses, action and date copied, group, id,
// category and the new or accepted count set. Category 0: not counted.
CaseStats CaseClassify(const CaseAuditRow& row);

// The items created in the period read so far: (group, record id) of every
// counted creation.
class CaseCreatedItems {
 public:
  void Add(const CaseStats& r) { keys_.insert(Key(r.group, r.record_id)); }
  bool Has(long group, long record_id) const { return keys_.count(Key(group, record_id)) != 0; }
  void Clear() { keys_.clear(); }

 private:
  static std::string Key(long group, long id) { return std::to_string(group) + ":" + std::to_string(id); }
  std::unordered_set<std::string> keys_;
};

// The acceptance test of a counted record: (a) its producer is selected
// (always, when all producers is 'Y'; never, with an empty selection); (b)
// a change counts only for an item created in the period; (c) the category
// belongs to the group (10, 11, 12 for 17; 1, 3, 5 for 87).
bool CaseAccepted(const CaseStats& r, const StatsSelection& s, const CaseCreatedItems& created);

// Producer and amount of an item, or nothing when it is missing or deleted.
struct CaseItem {
  char producer[4] = {};
  long total = 0;
};

class CaseAcceptanceGenerator {
 public:
  // REQUIRES: db and s outlive the generator.
  CaseAcceptanceGenerator(GenDB* db, const StatsSelection& s) : db_(db), sel_(s) {}

  // true: one look-up statement per counted audit row on cursor 117 inside
  // the fetch loop (the reference path the set-based one is checked
  // against). false (default): the audit rows are
  // read first, then the items they name in a few set-based statements; both
  // give the same list.
  void SetStatementLookups(bool on) { statement_lookups_ = on; }

  // The next Fill also keeps in *rows every record it counts, as counted
  // (producer and amount set), in reading order: the rows behind the list's
  // figures (null: none kept). rows must outlive the Fill.
  void KeepCounted(std::vector<CaseStats>* rows) { counted_ = rows; }

  // Clears list and fills it; failed when a statement failed.
  RunOutcome Fill(QenListWindow* list);

  // The per-producer records of the last Fill, sorted.
  const std::vector<CaseStats>& Totals() const { return merged_; }
  // Look-up statements run by the last Fill.
  long Lookups() const { return lookups_; }

 private:
  bool ReadStatementPath();
  bool ReadSetBased();
  bool LookUpAll(long group, const std::vector<long>& ids, std::unordered_map<long, CaseItem>* out);
  // Counts a classified record that found its item.
  void Count(CaseStats r, const CaseItem& item);
  void Fail(const std::string& message);

  GenDB* db_;
  const StatsSelection& sel_;
  bool statement_lookups_ = false;
  CaseCreatedItems created_;
  std::vector<CaseStats> merged_;
  std::vector<CaseStats>* counted_ = nullptr;
  std::string error_;
  long lookups_ = 0;
};

// The row text of a record (label "" for a detail row, "Total:" for a total).
std::string CaseRow(const char* label, const CaseStats& r);

// Writes the list of per-producer records (sorted as Totals() holds them:
// planned treatments, then proposals) into list: each group's header, its
// producers' rows, its total (the group's sums), the blank rows between;
// every header, detail and total row owning a copy of its record. Nothing
// when merged is empty. The list is not cleared first.
void WriteCaseAcceptanceRows(const std::vector<CaseStats>& merged, QenListWindow* list);

// The order of the per-producer records: "%05d%s" of group and producer,
// byte order (planned treatments, group 17, first).
bool CaseTotalsBefore(const CaseStats& a, const CaseStats& b);
