#include "goals/goals_graph.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "goals/goals_style.h"
#include "host/list_window.h"
#include "host/strings.h"

namespace {

std::string_view Trim(std::string_view s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string_view::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

std::string RowLabel(const QenListWindow& list, int row) {
  std::string_view cell = Trim(list.GetItemText(row, 0));
  return std::string(Trim(cell.substr(0, cell.find('('))));
}

// The year in a row's label "D01(2025)" or "Total: 2025"; 0 when none.
int RowYear(const QenListWindow& list, int row, const GoalsGraphRequest& r) {
  const long kind = list.GetItemData(row);
  if (kind == kGoalLineYear || kind == kGoalLineTotal) return r.report_year;
  if (kind == kGoalLineCompYear || kind == kGoalLineCompTotal) return r.comp_year;
  return 0;
}

double Value(const GoalsGraphRequest& r, std::string_view cell) {
  switch (r.main) {
    case kGoalsMainProduction: return GoalCellProductionValue(cell, r.display);
    case kGoalsMainGoal: return GoalCellGoalValue(cell);
    default: return GoalCellPercentValue(cell);
  }
}

// Period columns: 1 .. 12 whose heading is not empty.
std::vector<int> PeriodColumns(const QenListWindow& list) {
  std::vector<int> out;
  const auto& columns = list.Columns();
  for (int c = 1; c <= 12 && c < static_cast<int>(columns.size()); ++c) {
    if (!columns[c].title.empty()) out.push_back(c);
  }
  return out;
}

}  // namespace

std::vector<int> GoalsGraphMainChoices(const GoalsDisplay& display) {
  std::vector<int> out = {kGoalsMainPercent, kGoalsMainProduction};
  if (display.no_goals != 'Y') out.push_back(kGoalsMainGoal);
  return out;
}

std::vector<int> GoalsGraphAxisChoices(const GoalsOptions& o, const GoalsDisplay& d) {
  std::vector<int> out;
  const bool totals_only = o.totals_only == 'Y';
  if (!totals_only) out.push_back(kGoalsAxisProducers);
  out.push_back(o.Monthly() ? kGoalsAxisMonths : kGoalsAxisQuarters);
  if (d.show_tot_col == 'Y' && !totals_only) {
    out.push_back(kGoalsAxisProducersTotal);
    out.push_back(kGoalsAxisPeriodsTotal);
  }
  if (o.HasCompYear()) {
    out.push_back(kGoalsAxisProducersByYear);
    out.push_back(kGoalsAxisPeriodsByYear);
  }
  return out;
}

std::string GoalsGraphChoiceText(int id) {
  if (id == kGoalsMainGoal) return ModuleString(92);
  return HostString(id);
}

int BuildGoalsGraphSeries(const QenListWindow& list, const GoalsGraphRequest& r, TDList* series) {
  series->DeleteElems();
  TDList labels;
  const std::vector<int> periods = PeriodColumns(list);
  // Each period column is its own category or series, in column order, even
  // where two headings read alike (June and July are both "JUI"): the later
  // one's label is told apart by zero-width spaces, which show nothing.
  std::map<int, std::string> title;
  {
    std::vector<std::string> seen;
    for (int c : periods) {
      std::string t = list.Columns()[c].title;
      while (std::find(seen.begin(), seen.end(), t) != seen.end()) t += kGraphInvisibleMark;
      seen.push_back(t);
      title[c] = t;
    }
  }
  const std::string main_code = std::to_string(r.main), axis_code = std::to_string(r.axis);
  const std::string axis_text = GoalsGraphChoiceText(r.axis);
  const long line_kind = r.use_comparison ? kGoalLineCompYear : kGoalLineYear;
  const long total_kind = r.use_comparison ? kGoalLineCompTotal : kGoalLineTotal;
  // Points are matched by their x label only: the second label (the year of
  // the by-year axes) is never matched on, whatever the series grouping.
  const GraphGrouping grouping{r.grouping.axis, 'N'};
  const bool by_year = r.axis == kGoalsAxisProducersByYear || r.axis == kGoalsAxisPeriodsByYear;
  // Add value: a new series holds its first value at every point until
  // later values replace theirs (a selected producer without a line shows
  // it too). The by-year axes, built their own way, start a new series at 0:
  // a year without a line reads as nothing, not as the other year's value.
  auto add_value = [&](const std::string& x, const std::string& x2, const std::string& name, double v) {
    if (by_year && FindGraphSeries(*series, name) == nullptr) {
      GraphSetValue(series, labels, x, x2, name, 0, grouping, main_code, axis_code);
    }
    GraphSetValue(series, labels, x, x2, name, v, grouping, main_code, axis_code);
  };

  // 1. Categories.
  if (r.axis == kGoalsAxisProducers || r.axis == kGoalsAxisProducersTotal) {
    for (const std::string& p : r.producers) GraphAddXLabel(&labels, p, "", grouping);
  } else if (r.axis == kGoalsAxisProducersByYear) {
    // Each selected producer with each year, the earlier year first.
    const int first = r.comp_year != 0 && r.comp_year < r.report_year ? r.comp_year : r.report_year;
    const int second = first == r.report_year ? r.comp_year : r.report_year;
    for (const std::string& p : r.producers) {
      for (int y : {first, second}) {
        if (y == 0) continue;
        GraphAddXLabel(&labels, p + " " + std::to_string(y), std::to_string(y), grouping);
      }
    }
  } else if (r.axis == kGoalsAxisPeriodsByYear) {
    const int first = r.comp_year != 0 && r.comp_year < r.report_year ? r.comp_year : r.report_year;
    const int second = first == r.report_year ? r.comp_year : r.report_year;
    for (int c : periods) {
      for (int y : {first, second}) {
        if (y == 0) continue;
        GraphAddXLabel(&labels, title[c] + " " + std::to_string(y), std::to_string(y), grouping);
      }
    }
  } else {
    for (int c : periods) GraphAddXLabel(&labels, title[c], "", grouping);
  }

  // 2, 3. Rows.
  for (int row = 0; row < list.GetCount(); ++row) {
    const long kind = list.GetItemData(row);
    if (kind == 0) continue;
    const std::string label = RowLabel(list, row);
    if (label.empty()) continue;
    if (by_year) {
      if (kind != kGoalLineYear && kind != kGoalLineCompYear) continue;
      const std::string year = std::to_string(RowYear(list, row, r));
      for (int c : periods) {
        const double v = Value(r, list.GetItemText(row, c));
        if (r.axis == kGoalsAxisProducersByYear) {
          add_value(label + " " + year, year, title[c], v);
        } else {
          add_value(title[c] + " " + year, year, label, v);
        }
      }
      continue;
    }
    switch (r.axis) {
      case kGoalsAxisProducers:
        if (kind != line_kind) break;
        for (int c : periods) add_value(label, "", title[c], Value(r, list.GetItemText(row, c)));
        break;
      case kGoalsAxisProducersTotal:
        if (kind != line_kind) break;
        add_value(label, "", axis_text, Value(r, list.GetItemText(row, 13)));
        break;
      case kGoalsAxisPeriodsTotal:
        if (kind != total_kind) break;
        for (int c : periods) add_value(title[c], "", axis_text, Value(r, list.GetItemText(row, c)));
        break;
      default:  // months or quarters
        if (kind != line_kind) break;
        for (int c : periods) add_value(title[c], "", label, Value(r, list.GetItemText(row, c)));
        break;
    }
  }
  return static_cast<int>(series->Count());
}

ChartUnit GoalsGraphUnit(int main) {
  return main == kGoalsMainPercent ? ChartUnit::kPercent : ChartUnit::kMoney;
}
