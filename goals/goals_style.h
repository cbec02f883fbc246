// The texts and colours of the cells of the goals report, and the values the
// chart reads back from them.
//
// A cell sets a production p against a goal g (both in cents):
//
//   p "FeesDisplay" form [ "/" g "GoalsDisplay" form ] " (pct%)"
//
//   form "C" cents      "%.2f" of amount / 100      123456 -> "1234.56"
//   form "D" dollars    "%d" of amount / 100        123456 -> "1234"
//   form "K" thousands  amount / 100000 with "%.1fK" when its fractional
//                       part exceeds 0.01, else "%dK"
//                                                   123456 -> "1.2K", 100000 -> "1K"
//   pct = 100 p / g, " (%d%%)" rounded half away from zero when RoundUp is
//   "Y", else " (%.2f%%)"; the goal part is left out when NoGoals is "Y"; the
//   whole cell is empty when g is below 1.
//
//   p = 123456, g = 100000, forms C/D, RoundUp Y:  "1234.56/1000 (123%)"
#pragma once

#include <string>
#include <string_view>

#include "goals/goals_options.h"
#include "lists/list_style.h"

class QenListWindow;

// The suite's rounding of a percentage to a whole number: half away from
// zero (2.5 -> 3, -2.5 -> -3).
long SuiteRound(double value);

// An amount of cents in form 'C', 'D' or 'K' (any other letter reads as 'C').
std::string GoalAmountText(long cents, char form);
// The cell for production p and goal g ("" when g < 1).
std::string GoalCellText(long production, long goal, const GoalsDisplay& display);

// Line kinds, carried as the rows' item data (blank rows carry 0).
enum GoalLineKind : long {
  kGoalLineYear = 1,       // a producer, report year
  kGoalLineCompYear = 2,   // a producer, comparison year
  kGoalLineTotal = 3,      // totals of the report year
  kGoalLineCompTotal = 4,  // totals of the comparison year
};

// The percentage written in a cell: the number between "(" and the next "%";
// false when the cell has none.
bool GoalCellPercent(std::string_view cell, double* percent);

// How a cell of the report is drawn: the line kind picks display range
// 0 (kind 1), 1 (kind 2) or 2 (kinds 3, 4), whose Color is the text colour
// and Bold the font; the cell's percentage looked up in the three ranges,
// in order (from <= pct <= to), gives the background of the first that
// holds it, white when none does. The look-up is skipped (white) when the
// three range colours or the six bounds are all 0. Rows of kind 0 (blank)
// keep the list's default. Column 0 (the producer) has no percentage.
CellStyle GoalCellStyle(const GoalsDisplay& display, long line_kind, std::string_view cell);

// The style of every cell of list (for printing and export), and the
// coloured-cell records the tab collects while drawing: one text record per
// cell of a line of kind 1-4 whose line colour is not black, one background
// record per cell whose percentage falls in a range.
CellStyleFn GoalListStyle(const QenListWindow* list, const GoalsDisplay* display);
void CollectGoalColours(const QenListWindow& list, const GoalsDisplay& display, TDList* colours);

// The values the chart reads from a cell (text trimmed at both ends); 0 when
// the cell lacks the marker.
//   percentage: the number between "(" and the next "%";
//   production: the number before the first "K" when FeesDisplay is "K",
//               else before the first "/" when NoGoals is "N", else before
//               the first "(";
//   goal:       the number after "/" up to the next "(" or "K".
double GoalCellPercentValue(std::string_view cell);
double GoalCellProductionValue(std::string_view cell, const GoalsDisplay& display);
double GoalCellGoalValue(std::string_view cell);
