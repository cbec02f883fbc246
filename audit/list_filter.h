// The list filter of the detailed audit list: keeps the data rows whose cell
// passes a condition, then rebuilds the subtotal and grand-total rows over
// the rows that remain, in the form the detailed generator writes them.
//
// Rows (columns of the detailed list: 0 date, 1 time, 2 user, 3 table,
// 4 module, 5 verb, 6 description, 7 first and last name):
//   item data >= 1   data row (the audit id)
//   item data  0     blank separator " \t \t \t \t \t \t \t "
//   item data -1     total row "Total: 3\t01:05:30 \t3 \t \t3 \t3"
//
// Worked example, subtotal on date, condition "Contient" "Ajout" on the verb:
//   2026-01-05 | 09:15:00 AM | anne  | ... | Ajout  ...     kept
//   2026-01-05 | 10:20:30 AM | anne  | ... | Ajout  ...     kept
//   (blank) / Total: 2 ... / (blank)                          deleted
//   2026-01-06 | 01:10:00 PM | marc  | ... | Retrait ...    deleted
//   Grand Total: 3 ...                                        deleted
// gives
//   2026-01-05 ... 09:15:00 AM ... Ajout
//   2026-01-05 ... 10:20:30 AM ... Ajout
//   Grand Total: 2\t \t2 \t \t2 \t2
// (one group only: no subtotal, only the grand total).
//
// Cost: one pass to delete (QenListWindow::DeleteRowsIf) and one to rebuild,
// which copies the remaining rows once and re-adds them with their totals,
// so a million-row list is filtered in linear time.
#pragma once

#include <string>
#include <string_view>

class QenListWindow;

// Condition choices: the id of each condition's text in the suite's
// KelvoUtils2 string table is the item data of its combo entry.
enum class FilterCondition : int { kEqual = 8732, kDifferent = 8733, kContains = 8740 };

// Column choices of the filter dialog, in combo order: (list column, title
// string id in the suite's KelvoUtils string table).
struct FilterColumnChoice {
  int column;
  int title_string_id;
};
inline constexpr FilterColumnChoice kFilterColumns[] = {
    {3, 10041}, {4, 10250}, {5, 10189}, {6, 10083}, {7, 10045}};
inline constexpr int kFilterConditionIds[] = {8732, 8733, 8740};

// Capacities of the texts the filter reads (bytes, terminator included).
inline constexpr int kFilterValueCap = 256;  // the typed value, 255 bytes
inline constexpr int kFilterCellCap = 256;   // a tested cell, 255 bytes

// True when a data row whose cell (already cut to kFilterCellCap - 1 bytes
// and trimmed of blanks) is `cell` passes: kEqual keeps equal texts,
// kDifferent keeps different texts, kContains keeps cells holding value
// (every cell holds the empty value). Byte-wise and case-sensitive. Any
// other condition keeps the row.
bool FilterKeepsCell(int condition, std::string_view cell, std::string_view value);

// The four subtotal flags of AuditOptions::subtotal, in the order user,
// date, module, action (1 = on). Each watches a column: user 2, date 0,
// module 4, action 5.
struct SubtotalFlags {
  short user = 0;
  short date = 0;
  short module = 0;
  short action = 0;
  bool Any() const { return user || date || module || action; }
};
SubtotalFlags SubtotalFlagsOf(const short subtotal[4]);

// Reads a 12-hour time cell "%02d:%02d:%02d %s" back as HHMMSS: 12 is added
// to an hour below 12 when the suffix is "PM" ("12:15:00 PM" -> 121500,
// "01:10:00 PM" -> 131000, "00:05:09 AM" -> 509). Fields that cannot be read
// count as 0 ("" -> 0).
long ParseAuditTime(std::string_view cell);

// Applies one filter to the detailed list: every row whose item data is
// below 1 is deleted, and every data row whose cell `column` fails the
// condition. When at least one row went, the totals are rebuilt
// (RebuildAuditTotals). Returns the number of rows deleted (0: the list is
// unchanged). A column below 0 or a condition of 0 means "no choice":
// nothing happens and 0 is returned. value is taken as typed, cut to
// kFilterValueCap - 1 bytes.
int ApplyListFilter(QenListWindow* list, int column, int condition, const std::string& value,
                    const SubtotalFlags& flags, bool suppress_subtotals);

// Rebuilds the totals of a detailed list: every row whose item data is below
// 1 is dropped and the data rows, in their order, are written back with a
// subtotal group (blank, "Total:" row, blank) at each break of a flag that
// is on (unless suppress_subtotals), a closing group after the last row when
// any subtotal was written, and the "Grand Total:" row at the end (always,
// also over an empty list). Total rows carry item data -1, blank rows 0.
void RebuildAuditTotals(QenListWindow* list, const SubtotalFlags& flags, bool suppress_subtotals);
