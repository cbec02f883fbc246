#include "goals/goals_drill.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "host/list_window.h"
#include "suite/patient_names.h"
#include "suite/production_service.h"

namespace {}  // namespace

DrillResult DrillGoalsCell(GenDB* db, const QenListWindow& list, const GoalsDrillMap& map, const DrillTarget& target,
                           bool partial) {
  DrillResult result;
  result.refused = CheckDrillCell(list, target, static_cast<long>(map.lines.size()));
  if (result.Refused()) return result;
  const GoalsDrillMap::Line& line = map.lines[static_cast<size_t>(target.line)];
  // The entries of the line: one producer's, or every producer's of a totals line's year.
  std::vector<const GoalsEntry*> entries;
  if (line.entry >= 0 && static_cast<size_t>(line.entry) < map.entries.size()) {
    entries.push_back(&map.entries[static_cast<size_t>(line.entry)]);
  } else if (line.year != 0) {
    for (const GoalsEntry& e : map.entries) {
      if (e.year == line.year) entries.push_back(&e);
    }
  }
  const size_t shown = map.periods[0].size();
  const bool total_cell = map.show_total && target.cell == kGoalsTotalColumn;
  if (target.cell < 1 || (!total_cell && static_cast<size_t>(target.cell) > shown) ||
      (line.entry < 0 && line.year == 0)) {
    result.refused = LabelCellMessage(target);
    return result;
  }
  if (db == nullptr) {
    result.refused = "la production se lit dans la base de données, absente ici";
    return result;
  }
  result.outcome = BeginRun(db);
  // The periods of the cell (indexes among the chosen ones).
  std::vector<size_t> periods;
  if (total_cell) {
    for (size_t i = 0; i < shown; ++i) periods.push_back(i);
  } else {
    periods.push_back(static_cast<size_t>(target.cell - 1));
  }
  auto periods_of = [&](int year) -> const std::vector<GoalsPeriod>& {
    return year == map.years[1] && map.years[1] != 0 ? map.periods[1] : map.periods[0];
  };

  StartDrillList(&result, 0, FeeItemColumns());
  BeginDrillGroup(&result, "Production");
  long produced = 0, n = 0;
  // One read per year over the span of the cell's periods, kept to its periods' days.
  std::set<int> years;
  for (const GoalsEntry* e : entries) years.insert(e->year);
  for (int year : years) {
    const std::vector<GoalsPeriod>& ps = periods_of(year);
    std::vector<std::string> producers;
    for (const GoalsEntry* e : entries) {
      if (e->year == year) producers.push_back(e->producer);
    }
    long from = 0, to = 0;
    for (size_t i : periods) {
      if (i >= ps.size()) continue;
      from = from == 0 ? ps[i].from : std::min(from, ps[i].from);
      to = std::max(to, ps[i].to);
    }
    if (from == 0 || producers.empty()) continue;
    std::vector<FeeItem> items;
    std::string error;
    if (!ListFeeItems(db, from, to, producers, &items, &error)) {
      result.outcome.NoteFailure("La production n'a pu être lue : " + error);
      result.outcome.NoteLostConnection(db);
      break;
    }
    // Kept to the cell's periods' days (the read spans from the first to the last).
    std::vector<FeeItem> inside;
    for (FeeItem& item : items) {
      bool in = false;
      for (size_t i : periods) in = in || (i < ps.size() && item.date >= ps[i].from && item.date <= ps[i].to);
      if (in) inside.push_back(std::move(item));
    }
    DrillPatientNames names;
    ReadPatientNames(db, inside, &names, nullptr);
    produced += AddFeeItemRows(inside, &n, &result, &names);
  }
  result.list->AddString(DrillRowText({"Total", "", "", "", "", "", "", DrillMoneyText(produced)}), -1);
  EndDrillGroup(&result);

  BeginDrillGroup(&result, "Objectif");
  // The goal rows open their record in the goal editor.
  auto records = std::make_shared<std::map<int, long>>();
  long goal = 0;
  for (const GoalsEntry* e : entries) {
    if (e->goal_record < 0 || static_cast<size_t>(e->goal_record) >= map.records.size()) continue;
    const GoalInfo& record = map.records[static_cast<size_t>(e->goal_record)];
    const std::vector<GoalsPeriod>& ps = periods_of(e->year);
    for (size_t i : periods) {
      if (i >= ps.size()) continue;
      const long cents = GoalOfPeriod(record, map.monthly, ps[i].number);
      const int line = result.list->AddString(
          DrillRowText({"", e->producer, "Objectif", std::to_string(record.id), "", record.Producer(),
                        std::to_string(record.year) + " " + ps[i].title, DrillMoneyText(cents)}),
          record.id > 0 ? record.id : ++n);
      if (record.id > 0) (*records)[line] = record.id;
      goal += cents;
    }
  }
  result.list->AddString(DrillRowText({"Total", "", "", "", "", "", "", DrillMoneyText(goal)}), -1);
  EndDrillGroup(&result);
  result.record_of = [records](const QenListWindow&, int line) -> long {
    const auto it = records->find(line);
    return it == records->end() ? 0 : it->second;
  };

  const std::string column = DrillColumnTitle(list, target.cell);
  const std::string title = TrimmedCell(list.GetItemText(target.line, 0)) + " — " + column;
  result.title = partial ? PartialDrillTitle(title) : title;
  return result;
}
