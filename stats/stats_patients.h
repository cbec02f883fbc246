// The patients list (list 1, control 107): new patients, patient-status
// changes, their difference and active patients per dentist.
//
// Four grouped statements on cursor 117, one after the other (each closed
// before the next): new patients (PAT_OPEN_DATE in the period), active
// patients (PAT_LAST_CLAIM_DATE in the period), and status changes to 'I'
// (not from '1') or to 'C' from the current and the archived audit tables.
// A date bound is written only when it is not 0; dentists only (see
// ProducerClause). A failed statement yields no row: its column stays 0.
//
// Worked example: new D01 3, D02 1; active D01 10; status changes D01 1
// (AUDITFIL) + 1 (AUDHIS), D03 2 gives, in order of first appearance:
//   "D01 \t3\t2\t1\t10"     item data 1
//   "D02 \t1\t0\t1\t0"      item data 2
//   "D03 \t0\t2\t-2\t0"     item data 3
//   ""                      blank
//   "Total: \t4\t4\t0\t10"  total (no item data)
#pragma once

#include <string>
#include <vector>

#include "host/run_outcome.h"
#include "stats/stats_types.h"

class GenDB;
class QenListWindow;

inline constexpr int kStatsQueryCursor = 117;

// The four statements, in execution order (index 0..3), for tests and docs.
std::string PatientsStatement(int index, const StatsSelection& s, const char* prefix);
// The rows statement index counts (same tables and conditions): PAT_DOCTOR,
// PAT_ID, PAT_PNAME, PAT_LNAME and the date the statement bounds, ordered by
// doctor (its groups in the same order) then patient.
std::string PatientRowsStatement(int index, const StatsSelection& s, const char* prefix);
// Whether statement index's count is added to its doctor's figure (new
// patients, archived status changes) or replaces it (active patients,
// current status changes): for a doctor read from two groups (a code longer
// than its field), the figure is the last group's count.
bool PatientCountAdds(int index);

// One dentist's counts, the patients list's working record.
struct PatientCounts {
  std::string doctor;  // PAT_DOCTOR as read (at most 2 characters; "" for none)
  long new_patients = 0;
  long status_changes = 0;
  long active_patients = 0;
  int first_statement = 0;  // the statement (0..3) that first read the doctor
};

// Runs the four statements into *doctors (cleared first), one record per
// doctor in order of first appearance. Failed when a statement failed (the
// records hold what the others read).
RunOutcome ReadPatientCounts(GenDB* db, const StatsSelection& s, std::vector<PatientCounts>* doctors);

// Clears list and writes one row per record (item data its ordinal from 1),
// a blank row and the total row (the columns' sums).
void WritePatientsRows(const std::vector<PatientCounts>& doctors, QenListWindow* list);

// Clears list and fills it (ReadPatientCounts, then WritePatientsRows). A
// failed statement leaves what the others produced. kept (may be null) gets
// the records the rows were written from.
RunOutcome FillPatientsList(GenDB* db, const StatsSelection& s, QenListWindow* list,
                            std::vector<PatientCounts>* kept = nullptr);
