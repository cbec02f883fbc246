// The statistics of a dental group: under the clinics' lists
// (lists/group_list.h), the group's total of each list, computed from the
// figures the clinics' lists were written from (StatsFigures), as if one
// practice had every clinic's patients, chairs and production. A figure is
// never read back from a list's text, and a ratio is never averaged: every
// ratio is computed again from the summed figures, by the same line writers
// as a single practice's list.
//
//   patients      per dentist: new patients, status changes and active
//                 patients summed (a patient file belongs to one clinic, so
//                 the counts add); the net is new − changes of the sums
//   productivity  per producer: booked and available units and minutes,
//                 booked and missed counts summed; the usage is computed
//                 from the summed booked and available minutes; the total
//                 row is the sum of the clinics' total rows
//   acceptance    per group (planned treatments, proposals) and producer:
//                 new and accepted counts and amounts summed; the
//                 acceptance % is accepted ÷ new of the sums
//   summary       per producer: every column summed; the goal is the sum of
//                 the goals the clinics' summaries show (each clinic's the
//                 practice's monthly FeesGoal), its % the group's fees ÷
//                 that sum
//
// A producer (or dentist) of one clinic only has the row that clinic gives;
// a clinic without figures adds nothing.
//
// Order of the rows, as one practice orders them: patients by the first of
// the four statements that reads the dentist, then by code; productivity
// and summary by producer code; case acceptance by group then producer.
#pragma once

#include <vector>

#include "stats/stats_generator.h"

class QenListWindow;

// The dentists' counts of the clinics, summed per dentist.
std::vector<PatientCounts> GroupPatientCounts(const std::vector<const StatsFigures*>& clinics);

// The producers' rows of the clinics, summed per producer, and the sum of
// the clinics' total rows. No clinic with a row: no row.
void GroupProductivityRows(const std::vector<const StatsFigures*>& clinics, std::vector<StatsProductivityRow>* rows,
                           StatsProductivityRow* total);

// The per-producer records of the clinics, summed per group and producer,
// sorted as one practice's (CaseTotalsBefore).
std::vector<CaseStats> GroupCaseAcceptance(const std::vector<const StatsFigures*>& clinics);

// The summaries of the clinics that answered, summed per producer, with the
// sum of their goals; not answered when no clinic's was.
StatsSummaryFigures GroupSummary(const std::vector<const StatsFigures*>& clinics);

// Clears list and writes the group's total of list_number (1..4) with the
// list's own writer; prod_units as the productivity list's ('U', 'H', 'B').
void WriteStatsGroupTotal(int list_number, const std::vector<const StatsFigures*>& clinics, char prod_units,
                          QenListWindow* list);
