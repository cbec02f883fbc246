#include "stats/stats_drill.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "host/dates.h"
#include "stats/case_acceptance.h"
#include "stats/stats_format.h"
#include "stats/stats_generator.h"
#include "stats/stats_patients.h"
#include "stats/stats_productivity.h"
#include "suite/patient_names.h"
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
    std::string name = r.last;
    if (!r.first.empty()) name += (name.empty() ? "" : ", ") + r.first;
    out->NotePatient(r.id, name.empty() ? std::to_string(r.id) : name + " (" + std::to_string(r.id) + ")");
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
  const std::string column = DrillColumnTitle(list, target.cell);
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
  DrillPatientNames names;
  ReadPatientNames(db, items, &names, nullptr);
  const long sum = AddFeeItemRows(items, &n, &result, &names);
  result.list->AddString("Total\t\t\t\t\t\t\t" + DrillMoneyText(sum), -1);
  const std::string column = DrillColumnTitle(list, target.cell);
  result.title = column + " — " + label;
  return result;
}

// The productivity list: its producer rows (item data 1) and total; the
// rows come from the computation that gave the figures, run again by the
// source with its rows kept. A partial list holds the days done: so does
// its drill.
DrillResult DrillProductivity(const StatsContext& context, const StatsSelection& s, const QenListWindow& list,
                              const DrillTarget& target, bool partial) {
  DrillResult result;
  const std::string label = TrimmedCell(list.GetItemText(target.line, 0));
  const bool total = label == TrimmedCell(ModuleString(kTotalLabel));
  if (target.cell < 1 || target.cell > kStatsProductivityCells || (!total && list.GetItemData(target.line) != 1)) {
    result.refused = LabelCellMessage(target);
    return result;
  }
  if (context.productivity == nullptr) {
    result.refused = ProductivityNotConnectedMessage();
    return result;
  }
  StatsProductivityRequest request = MakeProductivityRequest(s, context.prod_units);
  const long days = context.productivity->DaysDone();
  if (partial && days >= 0) request.to = std::min(request.to, incr_date(request.from, days - 1));
  result = context.productivity->DrillFigure(request, total ? std::string() : label, target.cell);
  result.title = DrillColumnTitle(list, target.cell) + " — " + label;
  return result;
}

// The case-acceptance list: a producer's row (or a group's total) of
// planned treatments or proposals opens the audit rows the generation
// counted into it, with the item's producer and amount.
DrillResult DrillAcceptance(const StatsContext& context, const StatsSelection& s, const QenListWindow& list,
                            const DrillTarget& target) {
  DrillResult result;
  const auto* row = dynamic_cast<const CaseStatsElem*>(list.GetItemRecord(target.line));
  if (row == nullptr || row->rec.category == kCaseHeader || target.cell < 2 || target.cell > 6) {
    result.refused = LabelCellMessage(target);
    return result;
  }
  const bool total = row->rec.category == kCaseTotal;
  std::vector<CaseStats> counted;
  {
    QenListWindow scratch;
    CaseAcceptanceGenerator gen(context.db, s);
    gen.SetStatementLookups(context.statement_lookups);
    gen.KeepCounted(&counted);
    result.outcome = gen.Fill(&scratch);
  }
  result.outcome.NoteLostConnection(context.db);
  std::vector<const CaseStats*> created, accepted;
  for (const CaseStats& r : counted) {
    if (r.group != row->rec.group || (!total && std::string(r.producer) != row->rec.producer)) continue;
    if (r.new_count > 0) created.push_back(&r);
    if (r.accepted_count > 0) accepted.push_back(&r);
  }
  StartDrillList(&result, 0,
                 DrillColumns({{"Date", 10}, {"Action", 12}, {"Article", 8}, {"Producteur", 10}, {"Statut", 8},
                               {"Nombre", 6}, {"Montant", 10}}));
  result.measures = {{6, ChartUnit::kMoney}, {5, ChartUnit::kCount}};
  auto write = [&](const std::vector<const CaseStats*>& rows, bool accepted_side) {
    long count = 0, cents = 0, n = 0;
    for (const CaseStats* r : rows) {
      const long c = accepted_side ? r->accepted_count : r->new_count;
      const long a = accepted_side ? r->accepted_amount : r->new_amount;
      std::string status;
      if (r->old_status != 0) status += r->old_status;
      if (r->action == 'E') status += "->";
      if (r->new_status != 0) status += r->new_status;
      result.list->AddString(DrillRowText({DrillDateText(r->date), r->action == 'A' ? "Création" : "Modification",
                                           std::to_string(r->record_id), r->producer, status, std::to_string(c),
                                           DollarText(a)}),
                             r->record_id > 0 ? r->record_id : ++n);
      count += c;
      cents += a;
    }
    result.list->AddString(DrillRowText({"Total", "", "", "", "", std::to_string(count), DollarText(cents)}), -1);
  };
  switch (target.cell) {
    case 2:
    case 3:
      write(created, false);
      break;
    case 4:
    case 5:
      write(accepted, true);
      break;
    default:
      BeginDrillGroup(&result, "Nouveau");
      write(created, false);
      BeginDrillGroup(&result, "Accepté");
      write(accepted, true);
      EndDrillGroup(&result);
      break;
  }
  const std::string what = TrimmedCell(ModuleString(row->rec.group == kCaseGroupPlanned ? 83 : 84));
  const std::string producer = total ? TrimmedCell(ModuleString(kTotalLabel)) : std::string(row->rec.producer);
  // The side the cell is on, as the group's heading names it ("Nouveau", "P->I/C", "Approuvé").
  const bool planned = row->rec.group == kCaseGroupPlanned;
  const std::string side = target.cell <= 3 ? TrimmedCell(ModuleString(87))
                           : target.cell <= 5 ? TrimmedCell(ModuleString(planned ? 85 : 86))
                                              : std::string();
  result.title = what + " — " + producer + " — " + (side.empty() ? "" : side + " ") + DrillColumnTitle(list, target.cell);
  return result;
}

}  // namespace

DrillResult DrillStatsCell(const StatsContext& context, const StatsSelection& s, int list_number,
                           const QenListWindow& list, const DrillTarget& target, bool partial) {
  DrillResult result;
  result.refused = CheckDrillCell(list, target);
  if (result.Refused()) return result;
  GenDB* db = context.db;
  if (db == nullptr) {
    result.refused = "les lignes se lisent dans la base de données, absente ici";
    return result;
  }
  switch (list_number) {
    case kStatsPatients:
      result = DrillPatients(db, s, list, target);
      break;
    case kStatsSummary:
      result = DrillSummary(db, s, list, target);
      break;
    case kStatsProductivity:
      result = DrillProductivity(context, s, list, target, partial);
      break;
    case kStatsAcceptance:
      result = DrillAcceptance(context, s, list, target);
      break;
    default:
      result.refused = "liste inconnue : " + std::to_string(list_number);
      return result;
  }
  if (partial && !result.Refused()) result.title = PartialDrillTitle(result.title);
  return result;
}
