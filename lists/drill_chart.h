// The chart of a drill's rows (lists/drill.h): what the rows behind a
// figure add up to, by any of their columns.
//
//   axis      a column of the rows: each distinct cell text is a category
//             (a blank one "(vide)"), in order of first appearance; a column
//             of dates ("2026-11-30") or times ("14:50") in their order, the
//             blanks last. Under axis grouping 'T' one category ("Tous").
//   measure   "Nombre de lignes" (the data rows counted) or one of the
//             result's measures (DrillResult::measures: the column's numbers
//             added up, "$-4.50", "2.50", "12"; summed exactly in
//             ten-thousandths, so that cents never drift).
//   series    one per group when the drill has more than one (a ratio's
//             numerator and denominator, named after the groups' titles),
//             otherwise one named after the measure. The groups count
//             different things: the second grouping letter does not merge
//             them.
//
// Only data rows count (item data neither 0 nor -1): headings and total rows
// never do. Labels are kept to kGraphNameCap - 1 bytes; two texts that cut
// alike stay two points, the later one told apart by zero-width marks
// (kGraphInvisibleMark) in place of its last bytes.
//
//   DrillChartRequest r;
//   r.axis_column = 1;                    // "Producteur"
//   r.measure = 0;                        // result.measures[0], the amount
//   BuildDrillChartSeries(result, r, &series);
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lists/drill.h"
#include "lists/graph_data.h"

// The measure of the row count (DrillChartRequest::measure).
inline constexpr int kDrillChartCount = -1;
inline constexpr char kDrillChartCountTitle[] = "Nombre de lignes";

// One entry of the chart's choices: the column (axis) or measure index
// (kDrillChartCount, else an index of DrillResult::measures), its title as
// the choice shows it, the code the chart's options keep, and (measures)
// what its values are.
struct DrillChartChoice {
  int index = 0;
  std::string title;
  std::string code;
  ChartUnit unit = ChartUnit::kCount;
};

// The axis choices: every column of the result's list, titled by its
// trimmed title ("Colonne 3" for a blank one). A column's code is its title,
// so that a chart of another drill opens on the same column when it has one;
// a title already given to an earlier column, or blank, is "#<column>".
std::vector<DrillChartChoice> DrillChartAxes(const DrillResult& result);
// The measure choices: the count first, then each measure whose column the
// list has, titled (and coded) after its column's title.
std::vector<DrillChartChoice> DrillChartMeasures(const DrillResult& result);
// The defaults: the first column that is not a measure (0 when all are), the
// first measure (kDrillChartCount when there is none).
int DrillChartDefaultAxis(const DrillResult& result);
int DrillChartDefaultMeasure(const DrillResult& result);
// What measure's values are (the count's kCount; a measure's own unit).
ChartUnit DrillChartUnit(const DrillResult& result, int measure);

struct DrillChartRequest {
  int axis_column = 0;
  int measure = kDrillChartCount;
  GraphGrouping grouping;  // the axis letter: 'T' puts every row in one category
  // The rows of result.list charted (the rows a filter shows); empty: all.
  std::vector<int> rows;
};

// Replaces series (TDList of PracGraphElem) with the chart of result's rows.
// Returns the number of series; 0 when no data row is charted, or the axis
// or measure is not the result's.
int BuildDrillChartSeries(const DrillResult& result, const DrillChartRequest& request, TDList* series);

// A measure cell's number in ten-thousandths: blanks, a sign, "$", another
// sign, digits, a decimal point and decimals (past four, rounded half away
// from zero); what follows is ignored ("12.50H"). False, *out 0, when the
// text holds no number, or a whole part past 12 digits.
bool ParseDrillNumber(std::string_view text, long long* out);
