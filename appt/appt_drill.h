// The rows behind a figure of the productivity report (lists/drill.h).
//
//   Céduler, a code's row      the booked appointments counted (date, time,
//                              chair, producer, patient, code, type, units,
//                              minutes, hours, fee)
//   Disponible                 the days and blocks whose time was counted
//   Usage %                    its numerator's appointments and its
//                              denominator's days, each as its group
//   Estimation                 the booked appointments and their fees
//   Absence, Annuler,          the schedule audit rows counted, with the
//   Non Planifié               appointment date they carry (a row is counted
//                              in the period of that date, not of its own)
//   the totals column, the     the union of the cells they add
//   "Totaux" group
//
// The rows are what the generation merged into the cell's elements, kept as
// it merged them (ApptDrillMap), so they add up to the figure by
// construction of the same code; an appointment's patient shows with its
// name when db can give it. Net fees open the rows the production
// service sums into them (ListFeeItems, suite/production_service.h): the
// producer's treatments, office charges and adjustments of the period.
#pragma once

#include <unordered_set>

#include "appt/appt_generator.h"
#include "lists/drill.h"

class GenDB;

// list: the report the generation of map wrote. partial: the run was cut
// short (the title says so). db: where net fees' rows are read (null: a net
// fee has none to show).
DrillResult DrillApptCell(const QenListWindow& list, const ApptDrillMap& map, const DrillTarget& target,
                          bool partial = false, GenDB* db = nullptr);

// The rows merged into elems (elements of the computation that kept map),
// as a cell of row kind row_kind lists them: kApptRowSummary, kApptRowBooked
// and kApptRowFees the booked appointments, kApptRowAvailable the days,
// kApptRowUsage both as groups, kApptRowMissed (and its three statuses) the
// missed rows. Starts out's list; false (nothing written) for another kind.
// db: where the appointments' patients' names are read (null: ids alone).
bool DrillApptElements(const ApptDrillMap& map, const std::unordered_set<const PracApptElem*>& elems, long row_kind,
                       DrillResult* out, GenDB* db = nullptr);
// The same in two steps, for a drill that lists several kinds or sets of
// elements in one list: the columns of row_kind's rows (empty for another
// kind), then its rows appended to out's list (started with them).
std::vector<ListColumn> ApptDrillColumns(long row_kind);
bool AddApptDrillRows(const ApptDrillMap& map, const std::unordered_set<const PracApptElem*>& elems, long row_kind,
                      DrillResult* out, GenDB* db = nullptr);
