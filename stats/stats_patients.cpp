#include "stats/stats_patients.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"

namespace {

std::string DateBounds(const char* column, const StatsSelection& s) {
  std::string out;
  char buffer[64];
  if (s.from != 0) {
    std::snprintf(buffer, sizeof buffer, " AND %s >= %ld", column, s.from);
    out += buffer;
  }
  if (s.to != 0) {
    std::snprintf(buffer, sizeof buffer, " AND %s <= %ld", column, s.to);
    out += buffer;
  }
  return out;
}

std::string Producers(const StatsSelection& s) {
  const std::string clause = ProducerClause(s, "PAT_DOCTOR", true);
  return clause.empty() ? std::string() : " AND " + clause;
}

std::string Tail(const StatsSelection& s) { return Producers(s) + " group by PAT_DOCTOR " + " order by PAT_DOCTOR "; }

// The tables and conditions of statement index, its date bounds included:
// what the counts count and the rows behind them list.
std::string FromWhere(int index, const StatsSelection& s, const std::string& p) {
  switch (index) {
    case 0:
      return p + "PATIENT WHERE PAT_DELETE_DATE = 0 " + DateBounds("PAT_OPEN_DATE", s);
    case 1:
      return p + "PATIENT WHERE PAT_DELETE_DATE = 0 " + DateBounds("PAT_LAST_CLAIM_DATE", s);
    case 2:
      return p + "PATIENT," + p + "AUDITFIL " +
             "WHERE AUD_RECID = PAT_ID AND PAT_DELETE_DATE = 0 AND AUD_TYPE = 'B' AND AUD_FLD_NAME1 = '" +
             "PATSTATUS" + "' " + " AND ((AUD_FLD_INFO1 = 'I' AND AUD_FLD_INFO2 != '1') OR AUD_FLD_INFO1 = 'C')" +
             DateBounds("AUD_DATE", s);
    case 3:
      return p + "PATIENT," + p + "AUDHIS " +
             "WHERE AUDH_RECID = PAT_ID AND PAT_DELETE_DATE = 0 AND AUDH_TYPE = 'B' AND AUDH_FLD_NAME1 = '" +
             "PATSTATUS" + "' " +
             " AND ((AUDH_FLD_INFO1 = 'I' AND AUDH_FLD_INFO2 != '1') OR AUDH_FLD_INFO1 = 'C')" +
             DateBounds("AUDH_DATE", s);
    default:
      return std::string();
  }
}

PatientCounts* FindDoctor(std::vector<PatientCounts>& doctors, const char* doctor) {
  for (PatientCounts& e : doctors) {
    if (e.doctor == doctor) return &e;
  }
  return nullptr;
}

}  // namespace

std::string PatientsStatement(int index, const StatsSelection& s, const char* prefix) {
  if (index < 0 || index > 3) return std::string();
  return "SELECT COUNT(0), PAT_DOCTOR from " + FromWhere(index, s, prefix) + Tail(s);
}

std::string PatientRowsStatement(int index, const StatsSelection& s, const char* prefix) {
  static const char* const kDate[4] = {"PAT_OPEN_DATE", "PAT_LAST_CLAIM_DATE", "AUD_DATE", "AUDH_DATE"};
  if (index < 0 || index > 3) return std::string();
  return std::string("SELECT PAT_DOCTOR, PAT_ID, PAT_PNAME, PAT_LNAME, ") + kDate[index] + " from " +
         FromWhere(index, s, prefix) + Producers(s) + " order by PAT_DOCTOR, PAT_ID";
}

bool PatientCountAdds(int index) { return index == 0 || index == 3; }

RunOutcome ReadPatientCounts(GenDB* db, const StatsSelection& s, std::vector<PatientCounts>* doctors) {
  doctors->clear();
  RunOutcome outcome;
  if (db == nullptr) return outcome;
  constexpr int c = kStatsQueryCursor;
  for (int q = 0; q < 4; ++q) {
    const std::string sql = PatientsStatement(q, s, db->dbPrefix());
    if (db->dbExecute(sql.c_str(), c) != 0) outcome.NoteFailure(db->LastError());
    for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c)) {
      long count = 0;
      char doctor[3] = {};
      db->dbGetLong(1, &count, c);
      db->dbGetString(2, doctor, sizeof doctor, c);
      // One row per doctor as read: a code over its length ('0123') reads
      // as another ('01'), and the groups of the statements merge there.
      PatientCounts* e = FindDoctor(*doctors, doctor);
      if (e == nullptr) {
        doctors->push_back(PatientCounts());
        e = &doctors->back();
        e->doctor = doctor;
        e->first_statement = q;
      }
      long& figure = q == 0 ? e->new_patients : q == 1 ? e->active_patients : e->status_changes;
      figure = PatientCountAdds(q) ? figure + count : count;
    }
    outcome.NoteFailure(db->LastError());
    db->dbClose(c);
  }
  return outcome;
}

void WritePatientsRows(const std::vector<PatientCounts>& doctors, QenListWindow* list) {
  list->ClearList();
  long total_new = 0, total_changes = 0, total_net = 0, total_active = 0;
  long ordinal = 0;
  char row[160];
  for (const PatientCounts& e : doctors) {
    const std::string label = e.doctor.empty() ? std::string() : "D" + e.doctor;
    const long net = e.new_patients - e.status_changes;
    std::snprintf(row, sizeof row, "%s \t%ld\t%ld\t%ld\t%ld", label.c_str(), e.new_patients, e.status_changes,
                  net, e.active_patients);
    list->AddString(row, ++ordinal);
    total_new += e.new_patients;
    total_changes += e.status_changes;
    total_net += net;
    total_active += e.active_patients;
  }
  list->AddString("", 0);
  std::snprintf(row, sizeof row, "%s \t%ld\t%ld\t%ld\t%ld", ModuleString(kTotalLabel), total_new,
                total_changes, total_net, total_active);
  list->AddString(row, 0);
}

RunOutcome FillPatientsList(GenDB* db, const StatsSelection& s, QenListWindow* list,
                            std::vector<PatientCounts>* kept) {
  list->ClearList();
  if (db == nullptr) return RunOutcome();
  std::vector<PatientCounts> doctors;
  const RunOutcome outcome = ReadPatientCounts(db, s, &doctors);
  WritePatientsRows(doctors, list);
  if (kept != nullptr) *kept = std::move(doctors);
  return outcome;
}
