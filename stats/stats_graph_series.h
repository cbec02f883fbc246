// Chart data of the statistics lists: the figure chosen in the chart
// dialog is read back from the cells of every detail row.
//
// Figures (entries of the main-data box; code = string id):
//   1 patients       10326 10331 10332 10333           (host strings)
//   2 summary        10335 10336 10337 10338 10339 10337 10340 10334
//   3 productivity   271 272 277 273                  (module strings)
//   4 acceptance     10177 10150 10104
// Axis: 10161 for the patients list, 10079 for the others.
//
// Patients, summary, productivity: one category per detail row (column 0),
// and for every column whose title equals the figure's text one value in
// the series named after the row. Case acceptance: the rows of one group
// (that of the selected row, planned treatments otherwise) between its
// header and total rows, one category per producer; for the count or the
// amount, two series per group named "<heading> <title>" ("Nouveau
// Nombre", "P->I/C Nombre"); for the percentage one series per producer.
#pragma once

#include <string>
#include <vector>

#include "lists/graph_data.h"

class QenListWindow;

// String ids of the figures / of the axis of a list (1..4).
std::vector<int> StatsGraphFigures(int list_number);
int StatsGraphAxis(int list_number);
// Text of a figure id: module string for 271-277, host string otherwise.
std::string StatsGraphFigureText(int id);

// What a figure's values are: counts of patients, amounts of the summary,
// hours (271 "Céduler" reads its count), the percentages (277, 10104).
ChartUnit StatsGraphUnit(int list_number, int figure);

// The number shown by a cell for a figure (text trimmed first).
double StatsGraphCellValue(int list_number, int figure, const std::string& text);

struct StatsGraphRequest {
  int list_number = 1;
  int figure = 0;             // string id of the chosen figure
  int selected_row = -1;      // the list's selection (case acceptance group)
  // Categories match by label only under axis 'P' and main 'T'; under main
  // 'P' the first category absorbs every row (second names are empty).
  GraphGrouping grouping{'P', 'T'};
};

// Replaces series (TDList of PracGraphElem) with the chart data. Returns the
// number of series.
int BuildStatsGraphSeries(const QenListWindow& list, const StatsGraphRequest& request, TDList* series);

// The chart option "ShowDates": "<from> - <to>" in date format 530.
std::string StatsShowDatesText(long from, long to);
