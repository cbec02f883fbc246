#include "appt/appt_drill.h"

#include <cstdio>
#include <set>
#include <tuple>
#include <unordered_set>

#include "appt/appt_lines.h"
#include "appt/appt_types.h"
#include "host/dates.h"
#include "host/list_window.h"
#include "suite/patient_names.h"
#include "suite/production_service.h"

namespace {

std::string Hours(long minutes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(minutes) / 60.0);
  return buf;
}

std::string Number(long v) { return std::to_string(v); }

std::string StatusText(char status) {
  switch (status) {
    case 'N':
      return "Absence";
    case 'C':
      return "Annuler";
    case 'U':
      return "Non Planifié";
    default:
      return std::string(1, status);
  }
}

// The booked appointments, with a total row; their patients' names read
// from db (null, or a failed read: the ids alone).
void WriteAppointments(const std::vector<const ApptContribution*>& rows, GenDB* db, DrillResult* out) {
  DrillPatientNames names;
  if (db != nullptr) {
    std::vector<long> ids;
    ids.reserve(rows.size());
    for (const ApptContribution* c : rows) ids.push_back(c->apt.patient);
    ReadPatientNames(db, ids, &names, nullptr);
  }
  long units = 0, minutes = 0, fee = 0;
  long n = 0;
  for (const ApptContribution* c : rows) {
    const AptRec& a = c->apt;
    std::string patient = DrillPatientText(a.patient, &names);
    out->list->AddString(DrillRowText({DrillDateText(a.date), DrillTimeText(a.time), Number(a.chair), a.producer,
                                       patient, a.code, a.type, Number(c->units),
                                       Number(a.length * 5L),
                                       Hours(a.length * 5L), DrillMoneyText(a.fee)}),
                         a.id > 0 ? a.id : ++n);
    out->NotePatient(a.patient, std::move(patient));
    units += c->units;
    minutes += a.length * 5L;
    fee += a.fee;
  }
  out->list->AddString(DrillRowText({"Total", "", "", "", Number(static_cast<long>(rows.size())), "", "", Number(units),
                                     Number(minutes), Hours(minutes), DrillMoneyText(fee)}),
                       -1);
}

void WriteDays(const std::vector<const ApptContribution*>& rows, long day_start, DrillResult* out) {
  long units = 0, minutes = 0;
  for (const ApptContribution* c : rows) {
    if (c->free_slots == 0 && c->units == 0) continue;  // a chair without time that day adds nothing
    out->list->AddString(DrillRowText({DrillDateText(c->day), c->key, Number(c->chair), c->BlocksText(day_start),
                                       Number(c->units), Number(c->free_slots * 5), Hours(c->free_slots * 5)}),
                         c->day);
    units += c->units;
    minutes += c->free_slots * 5;
  }
  out->list->AddString(DrillRowText({"Total", "", "", "", Number(units), Number(minutes), Hours(minutes)}), -1);
}

void WriteMissed(const std::vector<const ApptContribution*>& rows, DrillResult* out) {
  long n = 0;
  for (const ApptContribution* c : rows) {
    const AptRec& a = c->apt;
    out->list->AddString(DrillRowText({DrillDateText(c->audit_date), StatusText(a.status), DrillDateText(a.date),
                                       Number(a.chair), a.producer, a.code, a.type, Number(c->units),
                                       Number(a.length * 5L), c->archived ? "archives" : "courant"}),
                         ++n);
  }
  out->list->AddString(DrillRowText({"Total", Number(static_cast<long>(rows.size()))}), -1);
}

const std::vector<std::pair<const char*, int>> kAppointmentColumns = {
    {"Date", 10}, {"Heure", 6},  {"Fauteuil", 8}, {"Producteur", 10}, {"Patient", 24},   {"Code", 6},
    {"Type", 5},  {"Unités", 6}, {"Minutes", 7},  {"Heures", 7},      {"Honoraires", 10}};
const std::vector<std::pair<const char*, int>> kDayColumns = {
    {"Date", 10}, {"Clé", 8}, {"Fauteuil", 8}, {"Plages", 30}, {"Unités", 6}, {"Minutes", 7}, {"Heures", 7}};
const std::vector<std::pair<const char*, int>> kMissedColumns = {{"Date de l'audit", 10},
                                                                 {"Action", 12},
                                                                 {"Date du rendez-vous", 10},
                                                                 {"Fauteuil", 8},
                                                                 {"Producteur", 10},
                                                                 {"Code", 6},
                                                                 {"Type", 5},
                                                                 {"Unités", 6},
                                                                 {"Minutes", 7},
                                                                 {"Table", 8}};

// The contributions to elems, by what they are.
void Split(const ApptDrillMap& map, const std::unordered_set<const PracApptElem*>& elems,
           std::vector<const ApptContribution*>* booked, std::vector<const ApptContribution*>* days,
           std::vector<const ApptContribution*>* missed) {
  for (const ApptContribution& c : map.contributions) {
    if (elems.count(c.elem) == 0) continue;
    if (c.what == 'D') {
      days->push_back(&c);
    } else if (c.what == 'M') {
      missed->push_back(&c);
    } else {
      booked->push_back(&c);
    }
  }
}

std::vector<const ApptContribution*> MissedOf(const std::vector<const ApptContribution*>& missed, char status) {
  std::vector<const ApptContribution*> out;
  for (const ApptContribution* c : missed) {
    if (status == 0 || c->apt.status == status) out.push_back(c);
  }
  return out;
}

// The columns of a row kind's rows (empty: a kind without rows here).
std::vector<ListColumn> KindColumns(long row_kind) {
  switch (row_kind) {
    case kApptRowSummary:
    case kApptRowBooked:
    case kApptRowFees:
    case kApptRowUsage:
      return DrillColumns(kAppointmentColumns);
    case kApptRowAvailable:
      return DrillColumns(kDayColumns);
    case kApptRowNoShows:
    case kApptRowCancelled:
    case kApptRowUnscheduled:
    case kApptRowMissed:
      return DrillColumns(kMissedColumns);
    default:
      return {};
  }
}

// The columns of a row kind's rows a chart adds up: hours first (what the
// report is about), then units and fees.
std::vector<DrillMeasure> KindMeasures(long row_kind) {
  switch (row_kind) {
    case kApptRowSummary:
    case kApptRowBooked:
    case kApptRowFees:
    case kApptRowUsage:
      return {{9, ChartUnit::kHours}, {7, ChartUnit::kUnits}, {10, ChartUnit::kMoney}};
    case kApptRowAvailable:
      return {{6, ChartUnit::kHours}, {4, ChartUnit::kUnits}};
    case kApptRowNoShows:
    case kApptRowCancelled:
    case kApptRowUnscheduled:
    case kApptRowMissed:
      return {{7, ChartUnit::kUnits}};
    default:
      return {};
  }
}

// Appends the rows of a row kind from its contributions; false for a kind
// without rows here.
bool AddKind(const ApptDrillMap& map, const std::vector<const ApptContribution*>& booked,
             const std::vector<const ApptContribution*>& days, const std::vector<const ApptContribution*>& missed,
             long row_kind, GenDB* db, DrillResult* result) {
  if (result->measures.empty()) result->measures = KindMeasures(row_kind);
  switch (row_kind) {
    case kApptRowSummary:
    case kApptRowBooked:
    case kApptRowFees:
      WriteAppointments(booked, db, result);
      return true;
    case kApptRowAvailable:
      WriteDays(days, map.day_start, result);
      return true;
    case kApptRowUsage: {
      BeginDrillGroup(result, "Céduler");
      WriteAppointments(booked, db, result);
      EndDrillGroup(result);
      BeginDrillGroup(result, "Disponible");
      // The days under the appointments' columns: the blocks where the time
      // goes, the chair, the producer or chair key, then units, minutes, hours.
      long units = 0, minutes = 0;
      for (const ApptContribution* c : days) {
        units += c->units;
        minutes += c->free_slots * 5;
        if (c->free_slots == 0 && c->units == 0) continue;
        result->list->AddString(
            DrillRowText({DrillDateText(c->day), c->BlocksText(map.day_start), Number(c->chair), c->key, "", "", "",
                          Number(c->units), Number(c->free_slots * 5), Hours(c->free_slots * 5), ""}),
            c->day);
      }
      result->list->AddString(
          DrillRowText({"Total", "", "", "", "", "", "", Number(units), Number(minutes), Hours(minutes), ""}), -1);
      EndDrillGroup(result);
      return true;
    }
    case kApptRowNoShows:
    case kApptRowCancelled:
    case kApptRowUnscheduled:
    case kApptRowMissed: {
      const char status = row_kind == kApptRowNoShows     ? 'N'
                          : row_kind == kApptRowCancelled ? 'C'
                          : row_kind == kApptRowUnscheduled ? 'U'
                                                            : 0;
      WriteMissed(MissedOf(missed, status), result);
      return true;
    }
    default:
      return false;
  }
}

bool WriteKind(const ApptDrillMap& map, const std::vector<const ApptContribution*>& booked,
               const std::vector<const ApptContribution*>& days, const std::vector<const ApptContribution*>& missed,
               long row_kind, GenDB* db, DrillResult* result) {
  std::vector<ListColumn> columns = KindColumns(row_kind);
  if (columns.empty()) return false;
  StartDrillList(result, 0, std::move(columns));
  return AddKind(map, booked, days, missed, row_kind, db, result);
}

}  // namespace

bool DrillApptElements(const ApptDrillMap& map, const std::unordered_set<const PracApptElem*>& elems, long row_kind,
                       DrillResult* out, GenDB* db) {
  std::vector<const ApptContribution*> booked, days, missed;
  Split(map, elems, &booked, &days, &missed);
  return WriteKind(map, booked, days, missed, row_kind, db, out);
}

std::vector<ListColumn> ApptDrillColumns(long row_kind) { return KindColumns(row_kind); }

bool AddApptDrillRows(const ApptDrillMap& map, const std::unordered_set<const PracApptElem*>& elems, long row_kind,
                      DrillResult* out, GenDB* db) {
  if (KindColumns(row_kind).empty()) return false;
  std::vector<const ApptContribution*> booked, days, missed;
  Split(map, elems, &booked, &days, &missed);
  return AddKind(map, booked, days, missed, row_kind, db, out);
}

DrillResult DrillApptCell(const QenListWindow& list, const ApptDrillMap& map, const DrillTarget& target, bool partial,
                          GenDB* db) {
  DrillResult result;
  result.refused = CheckDrillCell(list, target, static_cast<long>(map.lines.size()));
  if (result.Refused()) return result;
  const ApptDrillMap::Line& line = map.lines[static_cast<size_t>(target.line)];
  const int column = target.cell - 2;
  if (column < 0 || column >= map.columns || line.row_kind < 0) {
    result.refused = LabelCellMessage(target);
    return result;
  }
  const bool every_column = column == map.totals_column;
  // The elements the cell adds: those of its period group (every group in
  // "Totaux") and its column (every column in the totals column).
  std::unordered_set<const PracApptElem*> elems;
  std::unordered_map<const PracApptElem*, int> entry_of;
  for (const auto& [e, place] : map.places) {
    if (!line.grand && place.group != line.group) continue;
    if (!every_column && place.column != column) continue;
    elems.insert(e);
    entry_of[e] = place.entry;
  }
  if (line.row_kind == kApptRowNetFees) {
    // Each period's fees once per producer: the ranges of the cell's elements.
    std::set<std::tuple<long, long, std::string>> ranges;
    for (const auto& [e, place] : map.places) {
      if (elems.count(e) != 0 && place.net_to != 0) ranges.insert({place.net_from, place.net_to, place.key});
    }
    if (db == nullptr) {
      result.refused = "les frais nets se lisent dans la base de données, absente ici";
      return result;
    }
    StartDrillList(&result, 0, FeeItemColumns());
    long total = 0, n = 0;
    for (const auto& [from, to, key] : ranges) {
      std::vector<FeeItem> items;
      std::string error;
      if (!ListFeeItems(db, from, to, {key}, &items, &error)) {
        result.outcome.NoteFailure("Les frais nets n'ont pu être lus : " + error);
        result.outcome.NoteLostConnection(db);
        break;
      }
      DrillPatientNames names;
      ReadPatientNames(db, items, &names, nullptr);
      total += AddFeeItemRows(items, &n, &result, &names);
    }
    result.list->AddString(DrillRowText({"Total", "", "", "", "", "", "", DrillMoneyText(total)}), -1);
  }
  std::vector<const ApptContribution*> booked, days, missed;
  Split(map, elems, &booked, &days, &missed);
  auto booked_of_entry = [&](int entry) {
    std::vector<const ApptContribution*> out;
    for (const ApptContribution* c : booked) {
      const int e = entry_of[c->elem];
      if (e >= 0 && (entry < 0 || e == entry)) out.push_back(c);
    }
    return out;
  };
  std::string measure = TrimmedCell(list.GetItemText(target.line, 1));
  switch (line.row_kind) {
    case kApptRowSummary:
    case kApptRowBooked:
      booked = booked_of_entry(line.row_kind == kApptRowBooked ? line.entry : -1);
      break;
    case kApptRowUsage:
      booked = booked_of_entry(-1);
      break;
    default:
      break;
  }
  if (line.row_kind != kApptRowNetFees && !WriteKind(map, booked, days, missed, line.row_kind, db, &result)) {
    result.refused = LabelCellMessage(target);
    return result;
  }
  const std::string key = DrillColumnTitle(list, target.cell);
  // The period: the label of the group's first line ("novembre 2026"), "Totaux" for the grand group.
  std::string period;
  for (int l = target.line; l >= 0; --l) {
    const std::string first = TrimmedCell(list.GetItemText(l, 0));
    if (!first.empty()) {
      period = first;
      break;
    }
  }
  std::string title = measure + " — " + key + " — " + period;
  result.title = partial ? PartialDrillTitle(title) : title;
  return result;
}
