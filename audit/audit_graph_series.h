// Chart data of an audit list: counts the rows of the detailed, summary or
// history list by two of its columns (the main data gives the series, the
// axis the categories).
//
// Codes offered by the chart's two combo boxes, with the list column read:
//
//   code  content      title (host string)  kind 0 (detailed, history)  kind 1 (summary)
//   "1"   user         10218                2                           2
//   "2"   date         10040                0                           0
//   "3"   module name  10250                4                           3
//   "4"   verb         10189                5                           4
//   "5"   table name   10041                3                           not offered
//
// Worked example (detailed list, main data "4" verb, axis "1" user):
//   rows   anne Ajout / anne Ajout / marc Retrait / (blank) / Grand Total
//   categories  "anne" "marc"                (first pass, first appearance)
//   series      "Ajout"   = 2, 0
//               "Retrait" = 0, 1             (second pass)
// On the summary list each row stands for its count (the last cell): under
// axis grouping 'P' the row adds 1 to the value and its count to `count`
// (value = summary lines, count = audit rows), under any other letter the
// count goes to the value and 1 to `count`.
#pragma once

#include "lists/graph_data.h"

class QenListWindow;

struct AuditGraphCode {
  char code;
  int title_string_id;  // host string table
  int column_kind0;
  int column_kind1;     // -1: not offered for the summary list
};
inline constexpr AuditGraphCode kAuditGraphCodes[] = {
    {'1', 10218, 2, 2}, {'2', 10040, 0, 0}, {'3', 10250, 4, 3}, {'4', 10189, 5, 4}, {'5', 10041, 3, -1}};

// Number of codes offered for a list kind: 5 for kind 0, 4 for kind 1.
int AuditGraphCodeCount(int list_kind);
// The list column of code for a list kind; -1 when the code is not offered.
int AuditGraphColumn(char code, int list_kind);


struct AuditGraphRequest {
  int list_kind = 0;       // 0 detailed or history list, 1 summary list
  char main_code = '1';    // series
  char axis_code = '2';    // categories
  GraphGrouping grouping;  // axis = first letter, main = second letter
  bool row_values = false; // read each row's value (the summary list)
};

// Replaces the content of `series` (a TDList of PracGraphElem) with the
// chart data of list. Rows whose item data is 0 or -1 are skipped; cell
// texts are cut to 31 bytes and trimmed of blanks. Returns the number of
// series (0 for a list without data rows or a code that is not offered).
int BuildAuditGraphSeries(const QenListWindow& list, const AuditGraphRequest& request,
                          TDList* series);
