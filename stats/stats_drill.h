// The rows behind a figure of the statistics lists (lists/drill.h).
//
// Patients list (one line per dentist, then "Total:"):
//   new patients       the patients opened in the period
//   status changes     the audit rows (current and archived tables) that
//                      made a patient inactive or closed
//   net                both, each as its group (new less changes)
//   active patients    the patients with a claim in the period
// Each from the statement the count comes from, listing its rows
// (PatientRowsStatement), grouped by dentist exactly as the count groups.
// Summary list (one line per producer, then "Total:"): each amount opens the
// production rows it sums (ListProductionItems: treatments, office charges,
// adjustments, fees, claimed treatments, insurance payments, payments,
// payments and fees).
// Productivity list: the rows the productivity computation merged into the
// row's elements (StatsProductivitySource::DrillFigure; cells in
// kStatsProductivityCells).
// Case-acceptance list (planned treatments, proposals; a producer's row or
// a group's total): new count and amount open the creations counted,
// accepted count and amount the changes counted, the percentage both as
// groups; each row is an audit row as the generation counted it
// (CaseAcceptanceGenerator::KeepCounted), with its item's producer and
// amount.
#pragma once

#include "lists/drill.h"
#include "stats/stats_types.h"

struct StatsContext;

// list_number: the list the cell is in (kStatsPatients ...); list: that list
// as the fill of s with context wrote it (the same database, productivity
// source and units).
DrillResult DrillStatsCell(const StatsContext& context, const StatsSelection& s, int list_number,
                           const QenListWindow& list, const DrillTarget& target, bool partial = false);
