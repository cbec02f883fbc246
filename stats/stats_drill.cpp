#include "stats/stats_drill.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "stats/stats_patients.h"
#include "suite/production_service.h"

namespace {

const char* const kSources[4] = {"Nouveau", "Actif", "Statut (courant)", "Statut (archives)"};

struct PatientRow {
  std::string doctor;  // as the count reads it (two bytes)
  long id = 0;
  std::string first, last;
  long date = 0;
  int source = 0;
};

// The rows statement index counts for the doctors wanted (every one when
// empty), grouped as its count groups them: a count that replaces (not
// adds) keeps, per doctor, only the last group read for it.
bool RowsOf(GenDB* db, const StatsSelection& s, int index, const std::set<std::string>& doctors,
            std::vector<PatientRow>* out, RunOutcome* outcome) {
  const std::string sql = PatientRowsStatement(index, s, db->dbPrefix());
  constexpr int c = kStatsQueryCursor;
  std::map<std::string, std::vector<PatientRow>> kept;  // by doctor
  std::map<std::string, std::string> group_of;          // doctor -> raw code of its group being read
  if (db->dbExecute(sql.c_str(), c) != 0) outcome->NoteFailure(db->LastError());
  for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c)) {
    PatientRow row;
    char doctor[3] = {};
    db->dbGetString(1, doctor, sizeof doctor, c);
    row.doctor = doctor;
    if (!doctors.empty() && doctors.count(row.doctor) == 0) continue;
    std::string raw;
    db->dbGetField(1, &raw, c, false);
    db->dbGetLong(2, &row.id, c);
    db->dbGetField(3, &row.first, c, true);
    db->dbGetField(4, &row.last, c, true);
    BlankRowBreaks(&row.first);
    BlankRowBreaks(&row.last);
    db->dbGetLong(5, &row.date, c);
    row.source = index;
    auto g = group_of.find(row.doctor);
    if (g == group_of.end()) {
      group_of.emplace(row.doctor, raw);
    } else if (g->second != raw) {
      g->second = raw;
      if (!PatientCountAdds(index)) kept[row.doctor].clear();  // a later group replaces the count
    }
    kept[row.doctor].push_back(std::move(row));
  }
  const bool ok = db->LastError().empty();
  outcome->NoteFailure(db->LastError());
  db->dbClose(c);
  for (auto& [doctor, rows] : kept) {
    for (PatientRow& row : rows) out->push_back(std::move(row));
  }
  return ok;
}

void WriteRows(const std::vector<PatientRow>& rows, DrillResult* out) {
  long n = 0;
  for (const PatientRow& r : rows) {
    const std::string text = (r.doctor.empty() ? std::string() : "D" + r.doctor) + "\t" + std::to_string(r.id) + "\t" +
                             r.first + "\t" + r.last + "\t" + DrillDateText(r.date) + "\t" + kSources[r.source];
    out->list->AddString(text, r.id != 0 && r.id != -1 ? r.id : ++n);
  }
  out->list->AddString("Total\t" + std::to_string(rows.size()) + "\t\t\t\t", -1);
}

std::vector<ListColumn> PatientColumns() {
  return DrillColumns({{"Dentiste", 8}, {"Patient", 8}, {"Prénom", 15}, {"Nom", 20}, {"Date", 10}, {"Source", 16}});
}

DrillResult DrillPatients(GenDB* db, const StatsSelection& s, const QenListWindow& list, const DrillTarget& target) {
  DrillResult result;
  const std::string label = TrimmedCell(list.GetItemText(target.line, 0));
  const bool total = label == TrimmedCell(ModuleString(kTotalLabel));
  if (target.cell < 1 || target.cell > 4 || (!total && list.GetItemData(target.line) <= 0)) {
    result.refused = LabelCellMessage(target);
    return result;
  }
  std::set<std::string> doctors;  // empty: every dentist of the list
  if (!total) doctors.insert(label.size() > 1 && label[0] == 'D' ? label.substr(1) : std::string());
  if (total) {
    for (int l = 0; l < list.GetCount(); ++l) {
      if (list.GetItemData(l) <= 0) continue;
      const std::string d = TrimmedCell(list.GetItemText(l, 0));
      doctors.insert(d.size() > 1 && d[0] == 'D' ? d.substr(1) : std::string());
    }
  }
  result.outcome = BeginRun(db);
  StartDrillList(&result, 0, PatientColumns());
  auto group = [&](const char* title, std::initializer_list<int> statements, bool heading) {
    std::vector<PatientRow> rows;
    for (int q : statements) RowsOf(db, s, q, doctors, &rows, &result.outcome);
    if (heading) BeginDrillGroup(&result, title);
    WriteRows(rows, &result);
    if (heading) EndDrillGroup(&result);
  };
  switch (target.cell) {
    case 1:
      group("", {0}, false);
      break;
    case 2:
      group("", {2, 3}, false);
      break;
    case 3:
      group("Nouveaux patients", {0}, true);
      group("Changements de statut", {2, 3}, true);
      break;
    default:
      group("", {1}, false);
      break;
  }
  result.outcome.NoteLostConnection(db);
  const std::string column = static_cast<size_t>(target.cell) < list.Columns().size()
                                 ? TrimmedCell(list.Columns()[static_cast<size_t>(target.cell)].title)
                                 : std::string();
  result.title = column + " — " + (label.empty() ? std::string("?") : label);
  return result;
}

// The summary list: a producer's figure, or the total's, is the sum of the
// production rows of its column.
DrillResult DrillSummary(GenDB* db, const StatsSelection& s, const QenListWindow& list, const DrillTarget& target) {
  DrillResult result;
  static const ProductionColumn kColumns[8] = {
      ProductionColumn::kTreatments, ProductionColumn::kOfficeCharges,     ProductionColumn::kAdjustments,
      ProductionColumn::kFees,       ProductionColumn::kClaimedTreatments, ProductionColumn::kInsurancePayments,
      ProductionColumn::kPayments,   ProductionColumn::kPaymentsAndFees};
  const std::string label = TrimmedCell(list.GetItemText(target.line, 0));
  const bool total = label == TrimmedCell(ModuleString(kTotalLabel));
  if (target.cell < 1 || target.cell > 8 || (!total && list.GetItemData(target.line) != 1)) {
    result.refused = label == TrimmedCell(ModuleString(kGoalLabel))
                         ? std::string("l'objectif vient des options de l'onglet : aucune ligne n'est derrière")
                         : LabelCellMessage(target);
    return result;
  }
  std::vector<std::string> producers;
  if (total) {
    for (int l = 0; l < list.GetCount(); ++l) {
      if (list.GetItemData(l) == 1) producers.push_back(TrimmedCell(list.GetItemText(l, 0)));
    }
  } else {
    producers.push_back(label);
  }
  result.outcome = BeginRun(db);
  StartDrillList(&result, 0, FeeItemColumns());
  std::vector<FeeItem> items;
  std::string error;
  if (!producers.empty() &&
      !ListProductionItems(db, s.from, s.to, producers, kColumns[target.cell - 1], &items, &error)) {
    result.outcome.NoteFailure("Les lignes de production n'ont pu être lues : " + error);
    result.outcome.NoteLostConnection(db);
  }
  long n = 0;
  const long sum = AddFeeItemRows(items, &n, result.list.get());
  result.list->AddString("Total\t\t\t\t\t\t\t" + DrillMoneyText(sum), -1);
  const std::string column = static_cast<size_t>(target.cell) < list.Columns().size()
                                 ? TrimmedCell(list.Columns()[static_cast<size_t>(target.cell)].title)
                                 : std::string();
  result.title = column + " — " + label;
  return result;
}

}  // namespace

DrillResult DrillStatsCell(GenDB* db, const StatsSelection& s, int list_number, const QenListWindow& list,
                           const DrillTarget& target, bool partial) {
  DrillResult result;
  result.refused = CheckDrillCell(list, target);
  if (result.Refused()) return result;
  if (db == nullptr) {
    result.refused = "les lignes se lisent dans la base de données, absente ici";
    return result;
  }
  if (list_number == kStatsPatients) {
    result = DrillPatients(db, s, list, target);
  } else if (list_number == kStatsSummary) {
    result = DrillSummary(db, s, list, target);
  } else {
    result.refused = "cette liste n'offre pas encore les lignes derrière ses chiffres (patients et sommaire seulement)";
    return result;
  }
  if (partial && !result.Refused()) result.title = PartialDrillTitle(result.title);
  return result;
}
