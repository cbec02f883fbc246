#include "stats/stats_graph_series.h"

#include <cstring>
#include <string_view>

#include "host/dates.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "stats/case_acceptance.h"
#include "stats/stats_types.h"

namespace {

std::string Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

std::string Cut(std::string_view s, size_t capacity) {
  return std::string(s.substr(0, s.size() < capacity ? s.size() : capacity - 1));
}

std::string ColumnTitle(const QenListWindow& list, int column) {
  if (column >= static_cast<int>(list.Columns().size())) return std::string();
  return Trim(Cut(list.Columns()[column].title, 128));
}

// Number between the first "(" and the first of `closers` after it; 0
// without "(".
double InParentheses(std::string_view text, char closer) {
  const size_t open = text.find('(');
  if (open == std::string_view::npos) return 0;
  text.remove_prefix(open + 1);
  return GraphAtof(text.substr(0, text.find(closer)));
}

const CaseStats* RecordOf(const QenListWindow& list, int row) {
  const auto* e = dynamic_cast<const CaseStatsElem*>(list.GetItemRecord(row));
  return e ? &e->rec : nullptr;
}

int BuildListSeries(const QenListWindow& list, const StatsGraphRequest& r, TDList* series) {
  const std::string figure = Trim(Cut(StatsGraphFigureText(r.figure), 128));
  const std::string code = std::to_string(r.figure);
  const std::string axis = std::to_string(StatsGraphAxis(r.list_number));
  TDList categories;
  std::vector<std::pair<int, std::string>> rows;
  for (int row = 0; row < list.GetCount(); ++row) {
    if (list.GetItemData(row) == 0) continue;
    const std::string label = Trim(Cut(list.GetItemText(row, 0), 64));
    if (label.empty()) continue;
    GraphAddCategory(&categories, label, r.grouping);
    rows.emplace_back(row, label);
  }
  for (const auto& [row, label] : rows) {
    for (int c = 1; c < list.CellCount(row); ++c) {
      if (ColumnTitle(list, c) != figure) continue;
      const double v = StatsGraphCellValue(r.list_number, r.figure, Cut(list.GetItemText(row, c), 128));
      GraphAddToValue(series, categories, label, label, v, r.grouping, code, axis);
    }
  }
  return static_cast<int>(series->Count());
}

int BuildAcceptanceSeries(const QenListWindow& list, const StatsGraphRequest& r, TDList* series) {
  long group = kCaseGroupPlanned;
  if (const CaseStats* sel = r.selected_row >= 0 ? RecordOf(list, r.selected_row) : nullptr) group = sel->group;
  const std::string figure = Trim(Cut(StatsGraphFigureText(r.figure), 128));
  const std::string code = std::to_string(r.figure);
  const std::string axis = std::to_string(StatsGraphAxis(r.list_number));
  int header = -1, total = -1;
  for (int row = 0; row < list.GetCount() && (header < 0 || total < 0); ++row) {
    const CaseStats* rec = RecordOf(list, row);
    if (rec == nullptr || rec->group != group) continue;
    if (rec->category == kCaseHeader && header < 0) header = row;
    if (rec->category == kCaseTotal && total < 0) total = row;
  }
  if (header < 0 || total < 0) return 0;
  std::vector<std::string> words;
  for (int c = 2; c < list.CellCount(header); ++c) {
    const std::string w = Trim(Cut(list.GetItemText(header, c), 32));
    if (!w.empty()) words.push_back(w);
  }
  TDList categories;
  std::vector<std::pair<int, std::string>> rows;
  for (int row = header + 1; row < total; ++row) {
    const CaseStats* rec = RecordOf(list, row);
    if (rec == nullptr || rec->category == kCaseHeader || rec->category == kCaseTotal) continue;
    const std::string producer = Trim(Cut(list.GetItemText(row, 1), 64));
    if (producer.empty()) continue;
    GraphAddCategory(&categories, producer, r.grouping);
    rows.emplace_back(row, producer);
  }
  for (const auto& [row, producer] : rows) {
    size_t k = 0;
    for (int c = 2; c < list.CellCount(row) && k < words.size(); ++c) {
      const std::string title = ColumnTitle(list, c);
      if (title != figure) continue;
      const std::string name = r.figure == 10104 ? producer : words[k] + " " + title;
      const double v = StatsGraphCellValue(r.list_number, r.figure, Cut(list.GetItemText(row, c), 128));
      GraphAddToValue(series, categories, producer, name, v, r.grouping, code, axis);
      ++k;
    }
  }
  return static_cast<int>(series->Count());
}

}  // namespace

std::vector<int> StatsGraphFigures(int list_number) {
  switch (list_number) {
    case kStatsPatients: return {10326, 10331, 10332, 10333};
    case kStatsSummary: return {10335, 10336, 10337, 10338, 10339, 10337, 10340, 10334};
    case kStatsProductivity: return {271, 272, 277, 273};
    case kStatsAcceptance: return {10177, 10150, 10104};
    default: return {};
  }
}

int StatsGraphAxis(int list_number) { return list_number == kStatsPatients ? 10161 : 10079; }

std::string StatsGraphFigureText(int id) {
  const char* text = id < 1000 ? ModuleString(id) : HostString(id);
  return Cut(text ? text : "", 64);
}

double StatsGraphCellValue(int list_number, int figure, const std::string& cell) {
  const std::string text = Trim(cell);
  std::string_view t = text;
  switch (list_number) {
    case kStatsSummary: {
      const size_t dollar = t.find('$');
      if (dollar != std::string_view::npos) t.remove_prefix(dollar + 1);
      return GraphAtof(t.substr(0, t.find('-')));
    }
    case kStatsProductivity:
      if (figure == 271) return InParentheses(t, ')');
      if (figure == 277) return InParentheses(t, '%');
      return GraphAtof(t);
    default:
      if (figure == 10104) return GraphAtof(t.substr(0, t.find('%')));
      if (figure == 10150) {
        const size_t dollar = t.find('$');
        return GraphAtof(dollar == std::string_view::npos ? std::string_view() : t.substr(dollar + 1));
      }
      return GraphAtof(t);
  }
}

int BuildStatsGraphSeries(const QenListWindow& list, const StatsGraphRequest& request, TDList* series) {
  series->DeleteElems();
  if (request.list_number == kStatsAcceptance) return BuildAcceptanceSeries(list, request, series);
  return BuildListSeries(list, request, series);
}

std::string StatsShowDatesText(long from, long to) {
  char a[64] = {}, b[64] = {};
  ldate_to_str1(a, from, 530);
  ldate_to_str1(b, to, 530);
  return std::string(a) + " - " + b;
}

ChartUnit StatsGraphUnit(int list_number, int figure) {
  switch (list_number) {
    case kStatsSummary: return ChartUnit::kMoney;
    case kStatsProductivity:
      if (figure == 277) return ChartUnit::kPercent;
      if (figure == 272) return ChartUnit::kHours;
      return ChartUnit::kCount;
    case kStatsAcceptance:
      if (figure == 10104) return ChartUnit::kPercent;
      if (figure == 10150) return ChartUnit::kMoney;
      return ChartUnit::kCount;
    default: return ChartUnit::kCount;
  }
}
