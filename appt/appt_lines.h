// The productivity report lines: the sorted PracApptElem list turned into
// tab-separated rows of a list window, each with its row kind (appt_types.h).
//
// For each period a group of rows (period label in the first cell of the
// first row, the measure's label in the second, then one cell per producer
// or chair column and the totals column), a blank row, and the grand-total
// group ("Totaux", every row kind 0). Every cell is followed by "\t".
//
// Example, monthly, hours, summary, two producers D01 and H01 with a totals
// column, estimated fees and the three missed rows (→ is a tab):
//   décembre 2026→Céduler→12.50H  (14)→6.00H  (9)→18.50H  (23)→            11
//    →Disponible→20.00H→8.00H→28.00H→                                        2
//    →Usage %→12.50H/20.00H  (62.50%)→6.00H/8.00H  (75.00%)→...→             7
//    →Estimation→$1450.00   →$540.00    →$1990.00   →                        6
//    →Absence→1→0→1→  (row kind 5), then Annuler (4), Non Planifié (3)
//   (empty row, kind 0)
//   Totaux→Céduler→...   (the same rows over the whole range, kind 0)
// A daily report leaves out the days whose weekday the office-hours table
// closes, unless they have data.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "appt/appt_types.h"

class GenDB;
class QenListWindow;
class TDList;

struct ApptLineInput {
  const PracApptSettings* settings = nullptr;
  // Code entries of the booked rows: one empty code for ProdInfo 'S'.
  std::vector<std::string> codes;
  // Office hours: open[weekday] (0 Sunday) when any of its six fields is set.
  std::array<bool, 7> open = {};
  // Not null: notes which cells each element feeds and what each line is
  // (appt_generator.h; the contributions are the generator's).
  struct ApptDrillMap* drill = nullptr;
};

// The code list of the booked rows: 'S' one empty code; 'C' the ApptCodes
// entries, or every MCBCD code when there are none; 'T' the ApptTypes
// entries, or every APTCODE type.
std::vector<std::string> ApptCodeList(GenDB* db, const PracApptSettings& settings);

// Writes the lines of the sorted elements into list; nothing when empty.
void WriteApptReportLines(const TDList& elements, const ApptLineInput& input, QenListWindow* list);

// Cell texts (exposed for the chart and the tests).
std::string ApptTimeText(char prod_units, long units, long minutes, const char* both_separator);

// The result columns (the tab's "set up the result columns"): keeps the
// list's first two columns, adds one per selected producer or chair titled
// with its code or key (12 characters wide) and, with more than one, a
// "Totaux" column; sets settings->TotalsColumn to 1 or 0.
void SetUpApptColumns(QenListWindow* list, PracApptSettings* settings);
