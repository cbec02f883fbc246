#include "appt/appt_graph_series.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "host/list_window.h"

namespace {

std::string Trimmed(std::string_view text, size_t cap) {
  std::string s(text.substr(0, cap));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  size_t a = 0;
  while (a < s.size() && s[a] == ' ') ++a;
  return s.substr(a);
}

}  // namespace

std::vector<ApptMeasure> ApptMeasureItems(const QenListWindow& list) {
  std::vector<ApptMeasure> out;
  for (int r = 0; r < list.GetCount(); ++r) {
    if (r > 0 && !Trimmed(list.GetItemText(r, 0), 63).empty()) break;
    out.push_back({std::string(list.GetItemText(r, 1).substr(0, 63)), list.GetItemData(r)});
  }
  return out;
}

double ApptCellValue(long kind, char prod_units, std::string_view cell) {
  const std::string text = Trimmed(cell, std::string_view::npos);
  switch (kind) {
    case 1:
    case 11:
    case 7: {
      const size_t open = text.find('(');
      return open == std::string::npos ? 0 : GraphAtof(std::string_view(text).substr(open + 1));
    }
    case 2: {
      const size_t end = text.find(prod_units == 'H' ? 'H' : 'U');
      return GraphAtof(std::string_view(text).substr(0, end));
    }
    case 6:
    case 8: {
      const size_t dollar = text.find('$');
      return dollar == std::string::npos ? 0 : GraphAtof(std::string_view(text).substr(dollar + 1));
    }
    case 3:
    case 4:
    case 5:
    case 10: return GraphAtof(text);
    default: return 0;
  }
}

ChartUnit ApptMeasureUnit(long kind, char prod_units) {
  switch (kind) {
    case 2: return prod_units == 'H' ? ChartUnit::kHours : ChartUnit::kUnits;
    case 7: return ChartUnit::kPercent;
    case 6:
    case 8: return ChartUnit::kMoney;
    default: return ChartUnit::kCount;
  }
}

int BuildApptGraphSeries(const QenListWindow& list, const PracApptSettings& s, const ApptMeasure& measure,
                         long axis, const GraphGrouping& chosen, TDList* series) {
  // The points of this chart have no second label: compared under 'P', the
  // empty second labels would make every point match the first one.
  const GraphGrouping grouping{chosen.axis, 'T'};
  TDList labels;
  const long n = std::min<long>(s.SelectedCount, kApptMaxSelected);
  auto key = [&s](long i) { return std::string(s.ListBy == 'P' ? s.Producers[i] : s.Chairs[i]); };
  const bool periods = axis == kApptAxisPeriods;
  if (periods) {
    for (int r = 0; r < list.GetCount(); ++r) {
      if (list.GetItemData(r) == 0) continue;
      const std::string label = Trimmed(list.GetItemText(r, 0), 63);
      if (!label.empty()) GraphAddXLabel(&labels, label, "", grouping);
    }
  } else {
    for (long i = 0; i < n; ++i) GraphAddXLabel(&labels, key(i), "", grouping);
  }
  const std::string main_code = measure.text, axis_code = std::to_string(axis);
  std::string held;
  for (int r = 0; r < list.GetCount(); ++r) {
    if (list.GetItemData(r) == 0) continue;
    if (held.empty()) {
      held = Trimmed(list.GetItemText(r, 0), 63);
      if (held.empty()) continue;
    }
    if (list.GetItemData(r) != measure.kind) continue;
    if (measure.kind == 1 && std::string(list.GetItemText(r, 1).substr(0, 63)) != measure.text) continue;
    const std::string period = held;
    held.clear();
    for (long i = 0; i < n; ++i) {
      double v = ApptCellValue(measure.kind, s.ProdUnits, list.GetItemText(r, static_cast<int>(i) + 2));
      if (periods) {
        GraphSetValue(series, labels, period, "", key(i), v, grouping, main_code, axis_code);
      } else {
        GraphSetValue(series, labels, key(i), "", period, std::trunc(v), grouping, main_code, axis_code);
      }
    }
  }
  return static_cast<int>(series->Count());
}
