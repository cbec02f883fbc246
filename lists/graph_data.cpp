#include "lists/graph_data.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "lists/list_style.h"
#include "host/list_window.h"
#include "host/strings.h"

namespace {

void CopyLabel(char (&dst)[kGraphNameCap], std::string_view src) {
  std::string_view cut = CutUtf8(src, kGraphNameCap - 1);
  if (!cut.empty()) std::memcpy(dst, cut.data(), cut.size());
  dst[cut.size()] = '\0';
}

std::string_view Effective(std::string_view label, char letter) {
  return letter == 'T' ? std::string_view() : CutUtf8(label, kGraphNameCap - 1);
}

}  // namespace

GraphValueElem::GraphValueElem(std::string_view name, std::string_view name2) {
  CopyLabel(name_, name);
  CopyLabel(name2_, name2);
}

PracGraphElem::PracGraphElem(std::string_view name, std::string_view main_code,
                             std::string_view axis_code)
    : main_code_(main_code.empty() ? '\0' : main_code.front()),
      axis_code_(axis_code.empty() ? '\0' : axis_code.front()) {
  CopyLabel(name_, name);
}

std::string GraphLabel(std::string_view text) { return std::string(CutUtf8(text, kGraphNameCap - 1)); }

bool GraphValueMatches(const GraphValueElem& v, std::string_view label, std::string_view label2,
                       const GraphGrouping& grouping) {
  if (grouping.axis == 'P' && Effective(label, grouping.axis) == v.Name()) return true;
  if (grouping.main == 'P' && Effective(label2, grouping.main) == v.Name2()) return true;
  return false;
}

PracGraphElem* FindGraphSeries(const TDList& series, std::string_view name) {
  std::string_view wanted = CutUtf8(name, kGraphNameCap - 1);
  for (PracGraphElem* s : series.As<PracGraphElem>()) {
    if (wanted == s->Name()) return s;
  }
  return nullptr;
}

void GraphAddXLabel(TDList* labels, std::string_view label, std::string_view label2,
                    const GraphGrouping& grouping) {
  for (const GraphValueElem* v : labels->As<GraphValueElem>()) {
    if (GraphValueMatches(*v, label, label2, grouping)) return;
  }
  labels->Append(new GraphValueElem(Effective(label, grouping.axis), Effective(label2, grouping.main)));
}

namespace {

PracGraphElem* NewSeries(TDList* series, const TDList& labels, std::string_view name,
                         std::string_view main_code, std::string_view axis_code) {
  auto* s = new PracGraphElem(name, main_code, axis_code);
  for (const GraphValueElem* l : labels.As<GraphValueElem>()) {
    s->Values().Append(new GraphValueElem(l->Name(), l->Name2()));
  }
  series->Append(s);
  return s;
}

}  // namespace

void GraphSetValue(TDList* series, const TDList& labels, std::string_view label,
                   std::string_view label2, std::string_view name, double value,
                   const GraphGrouping& grouping, std::string_view main_code,
                   std::string_view axis_code) {
  if (PracGraphElem* s = FindGraphSeries(*series, name)) {
    for (GraphValueElem* v : s->Values().As<GraphValueElem>()) {
      if (GraphValueMatches(*v, label, label2, grouping)) v->value = v->reset_value = value;
    }
    return;
  }
  PracGraphElem* s = NewSeries(series, labels, name, main_code, axis_code);
  for (GraphValueElem* v : s->Values().As<GraphValueElem>()) v->value = v->reset_value = value;
}

void GraphAddCategory(TDList* categories, std::string_view label, const GraphGrouping& grouping) {
  for (GraphValueElem* v : categories->As<GraphValueElem>()) {
    if (GraphValueMatches(*v, label, std::string_view(), grouping)) return;  // absorbed (+0)
  }
  categories->Append(new GraphValueElem(Effective(label, grouping.axis), std::string_view()));
}

void GraphAddToValue(TDList* series, const TDList& categories, std::string_view label,
                     std::string_view name, double v, const GraphGrouping& grouping,
                     std::string_view main_code, std::string_view axis_code) {
  PracGraphElem* s = FindGraphSeries(*series, name);
  if (!s) s = NewSeries(series, categories, name, main_code, axis_code);
  for (GraphValueElem* value : s->Values().As<GraphValueElem>()) {
    if (!GraphValueMatches(*value, label, std::string_view(), grouping)) continue;
    value->value += v;
    value->reset_value += v;
    value->count += v;
  }
}

double GraphAtof(std::string_view text) {
  // Locale-independent (a window program runs under the user's locale,
  // where strtod would want a decimal comma).
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '+') {
    ++i;
    if (i < text.size() && text[i] == '-') return 0;  // one sign only, as atof reads "+-5"
  }
  double value = 0;
  const char* begin = text.data() + i;
  std::from_chars(begin, text.data() + text.size(), value, std::chars_format::fixed);
  return std::isfinite(value) ? value : 0;
}

double LastCellValue(const QenListWindow& list, int row) {
  for (int c = list.CellCount(row) - 1; c >= 0; --c) {
    std::string_view cell = TrimBlanks(list.GetItemText(row, c));
    if (!cell.empty()) return GraphAtof(cell);
  }
  return 0;
}

std::string GraphShownLabel(std::string_view label) {
  return label.empty() ? std::string(ModuleString(13)) : std::string(label);
}

std::string GraphSeriesTsv(const TDList& series) {
  std::string out;
  char number[64];
  for (const PracGraphElem* s : series.As<PracGraphElem>()) {
    const std::string name = GraphShownLabel(s->Name());
    for (const GraphValueElem* v : s->Values().As<GraphValueElem>()) {
      const auto [end, ec] = std::to_chars(number, number + sizeof number, v->value);
      out += GraphShownLabel(v->Name());
      out += '\t';
      out += name;
      out += '\t';
      out.append(number, ec == std::errc() ? end : number);
      out += '\n';
    }
  }
  return out;
}

std::string ChartUnitTitle(ChartUnit unit, std::string_view measure) {
  const char* sign = "";
  const char* word = "Nombre";
  switch (unit) {
    case ChartUnit::kCount: break;
    case ChartUnit::kMoney: sign = "$"; word = "Montant"; break;
    case ChartUnit::kHours: sign = "H"; word = "Heures"; break;
    case ChartUnit::kUnits: sign = "U"; word = "Unités"; break;
    case ChartUnit::kPercent: sign = "%"; word = "Pourcentage"; break;
  }
  std::string title = measure.empty() ? std::string(word) : std::string(measure);
  if (*sign == '\0') return title;
  // A measure whose name already ends with its sign ("Usage %") keeps it.
  const std::string tail = std::string(" ") + sign;
  if (title.size() >= tail.size() && title.compare(title.size() - tail.size(), tail.size(), tail) == 0) return title;
  return title + " (" + sign + ")";
}
