// The chart series of the goals report (PracGoalsGraphDialog and `vantra
// goals --chart`), read back from the report's rows.
//
// Main data (the measure, each choice's item data is its string id):
//   10104 percentage, 10338 production, 92 the goal (not when NoGoals is "Y").
// Axis:
//   10079 producers          categories = the selected codes; a series per period column
//   10342 / 10341 months or quarters   categories = period headings; a series per producer
//   10151 producers with total         categories = producers; one series, the total column
//   10152 periods with total           categories = period headings; one series, the totals line
//   10153 producers by year            categories = "D01 2025", "D01 2026" ... (label and year);
//                                      a series per period column; both years' lines
//   10154 periods by year              categories = "JAN 2025", "JAN 2026" ...; a series per
//                                      producer; both years' lines
// The lines read are those of kind 1, or 2 when use_comparison is set
// (totals: 3 or 4). Rows with item data 0 are skipped; a row's label is its
// first cell trimmed and cut at the first "(".
#pragma once

#include <string>
#include <vector>

#include "goals/goals_options.h"
#include "lists/graph_data.h"

class QenListWindow;

enum GoalsGraphMain : int { kGoalsMainPercent = 10104, kGoalsMainProduction = 10338, kGoalsMainGoal = 92 };
enum GoalsGraphAxis : int {
  kGoalsAxisProducers = 10079,
  kGoalsAxisMonths = 10342,
  kGoalsAxisQuarters = 10341,
  kGoalsAxisProducersTotal = 10151,
  kGoalsAxisPeriodsTotal = 10152,
  kGoalsAxisProducersByYear = 10153,
  kGoalsAxisPeriodsByYear = 10154,
};

// What the chart dialog offers for a report (the combo boxes 104 and 103).
std::vector<int> GoalsGraphMainChoices(const GoalsDisplay& display);
std::vector<int> GoalsGraphAxisChoices(const GoalsOptions& options, const GoalsDisplay& display);
// The text of a choice (suite strings; 92 from the module).
std::string GoalsGraphChoiceText(int string_id);
// What a measure's values are: the percentage a percentage, production and
// goal amounts.
ChartUnit GoalsGraphUnit(int main);

struct GoalsGraphRequest {
  int main = kGoalsMainPercent;
  int axis = kGoalsAxisProducers;
  bool use_comparison = false;           // box 116: the comparison year's lines
  GraphGrouping grouping;
  std::vector<std::string> producers;    // the selected codes, in selection order
  GoalsDisplay display;                  // FeesDisplay and NoGoals for reading values
  int report_year = 0, comp_year = 0;    // the by-year axes
};

// Fills series (PracGraphElem) from list; returns the number of series.
int BuildGoalsGraphSeries(const QenListWindow& list, const GoalsGraphRequest& request, TDList* series);
