// The rows behind a cell of the goals report (lists/drill.h).
//
// A cell shows production against goal ("1234.56/1000 (123%)"): it opens
// both sides, each as its group:
//   Production  the rows the production service sums into the producer's
//               fees of the period (ListFeeItems: treatments, office charges,
//               adjustments), by date
//   Objectif    the goal record that gave the producer its goal (exact code,
//               then "X*", then "*"), with its goal for the period
// The total column opens every chosen period; a totals line every producer
// of its year.
#pragma once

#include "goals/goals_generator.h"
#include "lists/drill.h"

class GenDB;

// list: the report the generation of map wrote; db: where the production
// rows are read. partial: the run was cut short (the title says so).
DrillResult DrillGoalsCell(GenDB* db, const QenListWindow& list, const GoalsDrillMap& map, const DrillTarget& target,
                           bool partial = false);
