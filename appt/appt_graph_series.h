// The productivity chart's data, read back from the report lines on screen
// (not from the database).
//
// Measures: one per row of the first period group (its second cell and its
// row kind). Values of a cell, by row kind: booked (1, 11) the count between
// "(" and ")"; available (2) the hours before "H" (ProdUnits 'H') or the
// units before "U"; usage (7) the percentage between "(" and "%"; fees
// (6, 8) the amount after "$"; missed (3, 4, 5, 10) the number; else 0.
//
// Axis periods: one category per period label, one series per producer or
// chair. Axis producers/chairs: one category per producer or chair, one
// series per period, values truncated to whole numbers. Only the first row
// of a period group that is the measure's row counts; the blank line, the
// grand total and the totals column are never read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "appt/appt_types.h"
#include "lists/graph_data.h"

class QenListWindow;

// Axis item values: host strings 10040 (periods), 10079 (producers), 10181
// (chairs).
inline constexpr long kApptAxisPeriods = 10040;
inline constexpr long kApptAxisProducers = 10079;
inline constexpr long kApptAxisChairs = 10181;

struct ApptMeasure {
  std::string text;  // the row's second cell ("Disponible", a code ...)
  long kind = 0;     // its row kind
};

std::vector<ApptMeasure> ApptMeasureItems(const QenListWindow& list);
double ApptCellValue(long kind, char prod_units, std::string_view cell);
// What ApptCellValue reads for a row kind: booked counts, available hours
// or units, usage percentages, fees amounts, missed counts.
ChartUnit ApptMeasureUnit(long kind, char prod_units);

// Fills series (PracGraphElem) for the measure on the axis; returns the
// number of series.
int BuildApptGraphSeries(const QenListWindow& list, const PracApptSettings& settings, const ApptMeasure& measure,
                         long axis, const GraphGrouping& grouping, TDList* series);
