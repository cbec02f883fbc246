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
// payments and fees). The productivity and case-acceptance lists have no
// rows behind their figures yet.
#pragma once

#include "lists/drill.h"
#include "stats/stats_types.h"

class GenDB;

// list_number: the list the cell is in (kStatsPatients ...); list: that list
// as the fill of s wrote it.
DrillResult DrillStatsCell(GenDB* db, const StatsSelection& s, int list_number, const QenListWindow& list,
                           const DrillTarget& target, bool partial = false);
