// The group's total of each statistics list, from the clinics' figures.

#include "stats/stats_group.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "host/list_window.h"

std::vector<PatientCounts> GroupPatientCounts(const std::vector<const StatsFigures*>& clinics) {
  std::vector<PatientCounts> out;
  std::map<std::string, size_t> index;
  for (const StatsFigures* clinic : clinics) {
    if (clinic == nullptr) continue;
    for (const PatientCounts& d : clinic->patients) {
      auto [it, fresh] = index.try_emplace(d.doctor, out.size());
      if (fresh) {
        out.push_back(d);
        continue;
      }
      PatientCounts& sum = out[it->second];
      sum.new_patients += d.new_patients;
      sum.status_changes += d.status_changes;
      sum.active_patients += d.active_patients;
      sum.first_statement = std::min(sum.first_statement, d.first_statement);
    }
  }
  // One practice reads the dentists statement by statement, each statement
  // in code order.
  std::stable_sort(out.begin(), out.end(), [](const PatientCounts& a, const PatientCounts& b) {
    if (a.first_statement != b.first_statement) return a.first_statement < b.first_statement;
    return a.doctor < b.doctor;
  });
  return out;
}

void GroupProductivityRows(const std::vector<const StatsFigures*>& clinics, std::vector<StatsProductivityRow>* rows,
                           StatsProductivityRow* total) {
  rows->clear();
  std::map<std::string, StatsProductivityRow> sums;  // by producer code, byte order
  StatsProductivityRow sum_total;
  for (const StatsFigures* clinic : clinics) {
    if (clinic == nullptr) continue;
    std::vector<StatsProductivityRow> own;
    StatsProductivityRow own_total;
    FoldProductivity(clinic->productivity, &own, &own_total);
    sum_total.label = own_total.label;
    if (own.empty()) continue;
    for (const StatsProductivityRow& r : own) {
      auto [it, fresh] = sums.try_emplace(r.label, r);
      if (fresh) continue;
      StatsProductivityRow& s = it->second;
      s.booked_units += r.booked_units;
      s.booked_minutes += r.booked_minutes;
      s.booked_count += r.booked_count;
      s.available_units += r.available_units;
      s.available_minutes += r.available_minutes;
      s.missed += r.missed;
    }
    sum_total.booked_units += own_total.booked_units;
    sum_total.booked_minutes += own_total.booked_minutes;
    sum_total.booked_count += own_total.booked_count;
    sum_total.available_units += own_total.available_units;
    sum_total.available_minutes += own_total.available_minutes;
    sum_total.missed += own_total.missed;
  }
  for (auto& [code, row] : sums) rows->push_back(std::move(row));
  *total = std::move(sum_total);
}

std::vector<CaseStats> GroupCaseAcceptance(const std::vector<const StatsFigures*>& clinics) {
  std::vector<CaseStats> out;
  for (const StatsFigures* clinic : clinics) {
    if (clinic == nullptr) continue;
    for (const CaseStats& r : clinic->acceptance) {
      auto same = std::find_if(out.begin(), out.end(), [&r](const CaseStats& m) {
        return m.group == r.group && std::strcmp(m.producer, r.producer) == 0;
      });
      if (same == out.end()) {
        out.push_back(r);
        continue;
      }
      same->new_count += r.new_count;
      same->accepted_count += r.accepted_count;
      same->new_amount += r.new_amount;
      same->accepted_amount += r.accepted_amount;
    }
  }
  std::sort(out.begin(), out.end(), CaseTotalsBefore);
  return out;
}

StatsSummaryFigures GroupSummary(const std::vector<const StatsFigures*>& clinics) {
  StatsSummaryFigures out;
  std::map<std::string, StatsSummaryFigure> sums;  // the service lists producers in code order
  for (const StatsFigures* clinic : clinics) {
    if (clinic == nullptr || !clinic->summary.answered) continue;
    out.answered = true;
    out.goal += clinic->summary.goal;
    for (const StatsSummaryFigure& f : clinic->summary.rows) {
      auto [it, fresh] = sums.try_emplace(f.producer, f);
      if (!fresh) it->second.Add(f);
    }
  }
  for (auto& [code, f] : sums) out.rows.push_back(std::move(f));
  return out;
}

void WriteStatsGroupTotal(int list_number, const std::vector<const StatsFigures*>& clinics, char prod_units,
                          QenListWindow* list) {
  list->ClearList();
  switch (list_number) {
    case kStatsPatients:
      WritePatientsRows(GroupPatientCounts(clinics), list);
      break;
    case kStatsProductivity: {
      std::vector<StatsProductivityRow> rows;
      StatsProductivityRow total;
      GroupProductivityRows(clinics, &rows, &total);
      WriteProductivityRows(rows, total, prod_units, list);
      break;
    }
    case kStatsAcceptance:
      WriteCaseAcceptanceRows(GroupCaseAcceptance(clinics), list);
      break;
    case kStatsSummary:
      WriteSummaryRows(GroupSummary(clinics), list);
      break;
    default:
      break;
  }
}
