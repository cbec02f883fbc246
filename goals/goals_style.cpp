#include "goals/goals_style.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/list_window.h"
#include "lists/graph_data.h"

long SuiteRound(double value) {
  return static_cast<long>(value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

std::string GoalAmountText(long cents, char form) {
  char text[64];
  if (form == 'D') {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(cents / 100));
  } else if (form == 'K') {
    // The fractional part of the thousands exceeds 0.01 when what is left
    // over whole thousands exceeds $10.00, counted in cents (a negative
    // amount's fractional part is negative, so it never does).
    if (cents % 100000 > 1000) {
      std::snprintf(text, sizeof text, "%.1fK", static_cast<double>(cents) / 100000.0);
    } else {
      std::snprintf(text, sizeof text, "%dK", static_cast<int>(cents / 100000));
    }
  } else {
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(cents) / 100.0);
  }
  return text;
}

std::string GoalCellText(long production, long goal, const GoalsDisplay& display) {
  if (goal < 1) return std::string();
  std::string text = GoalAmountText(production, display.fees_display);
  if (display.no_goals != 'Y') text += "/" + GoalAmountText(goal, display.goals_display);
  const double percent = 100.0 * static_cast<double>(production) / static_cast<double>(goal);
  char pct[64];
  if (display.round_up == 'N') {
    std::snprintf(pct, sizeof pct, " (%.2f%%)", percent);
  } else {
    std::snprintf(pct, sizeof pct, " (%d%%)", static_cast<int>(SuiteRound(percent)));
  }
  return text + pct;
}

bool GoalCellPercent(std::string_view cell, double* percent) {
  const size_t open = cell.find('(');
  if (open == std::string_view::npos) return false;
  const size_t mark = cell.find('%', open);
  if (mark == std::string_view::npos) return false;
  *percent = GraphAtof(cell.substr(open + 1, mark - open - 1));
  return true;
}

CellStyle GoalCellStyle(const GoalsDisplay& d, long line_kind, std::string_view cell) {
  CellStyle style;
  if (line_kind < kGoalLineYear || line_kind > kGoalLineCompTotal) return style;
  const int k = line_kind == kGoalLineYear ? 0 : line_kind == kGoalLineCompYear ? 1 : 2;
  style.text = d.line_color[k];
  style.bold = d.bold[k] == 'Y';
  const bool no_colours = d.range_color[0] == 0 && d.range_color[1] == 0 && d.range_color[2] == 0;
  bool no_bounds = true;
  for (int r = 0; r < 3; ++r) no_bounds = no_bounds && d.from[r] == 0 && d.to[r] == 0;
  style.background = kWhite;
  double pct = 0;
  if (no_colours || no_bounds || !GoalCellPercent(cell, &pct)) return style;
  for (int r = 0; r < 3; ++r) {
    if (d.from[r] <= pct && pct <= d.to[r]) {
      style.background = d.range_color[r];
      break;
    }
  }
  return style;
}

CellStyleFn GoalListStyle(const QenListWindow* list, const GoalsDisplay* display) {
  return [list, display](int row, int column) {
    const std::string_view cell = column == 0 ? std::string_view() : list->GetItemText(row, column);
    return GoalCellStyle(*display, list->GetItemData(row), cell);
  };
}

void CollectGoalColours(const QenListWindow& list, const GoalsDisplay& display, TDList* colours) {
  colours->DeleteElems();
  for (int row = 0; row < list.GetCount(); ++row) {
    const long kind = list.GetItemData(row);
    if (kind < kGoalLineYear || kind > kGoalLineCompTotal) continue;
    const int cells = list.CellCount(row);
    for (int column = 0; column < cells; ++column) {
      const CellStyle s = GoalCellStyle(display, kind, column == 0 ? std::string_view() : list.GetItemText(row, column));
      if (s.text != kBlack) colours->Append(new ColorListElem(row, column, s.text, ColorKind::kText));
      if (s.background != kWhite) colours->Append(new ColorListElem(row, column, s.background, ColorKind::kBackground));
    }
  }
}

namespace {

std::string_view Trimmed(std::string_view cell) {
  const size_t a = cell.find_first_not_of(" \t");
  if (a == std::string_view::npos) return {};
  return cell.substr(a, cell.find_last_not_of(" \t") - a + 1);
}

// The number before the first `marker`; 0 when there is none.
double Before(std::string_view cell, char marker) {
  const size_t at = cell.find(marker);
  return at == std::string_view::npos ? 0 : GraphAtof(cell.substr(0, at));
}

}  // namespace

double GoalCellPercentValue(std::string_view cell) {
  double pct = 0;
  return GoalCellPercent(Trimmed(cell), &pct) ? pct : 0;
}

double GoalCellProductionValue(std::string_view cell, const GoalsDisplay& display) {
  cell = Trimmed(cell);
  if (display.fees_display == 'K') return Before(cell, 'K');
  if (display.no_goals == 'N') return Before(cell, '/');
  return Before(cell, '(');
}

double GoalCellGoalValue(std::string_view cell) {
  cell = Trimmed(cell);
  const size_t slash = cell.find('/');
  if (slash == std::string_view::npos) return 0;
  return GraphAtof(cell.substr(slash + 1));
}
