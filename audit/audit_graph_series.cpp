#include "audit/audit_graph_series.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "lists/list_style.h"
#include "host/list_window.h"

int AuditGraphCodeCount(int list_kind) { return list_kind == 1 ? 4 : 5; }

int AuditGraphColumn(char code, int list_kind) {
  for (const AuditGraphCode& c : kAuditGraphCodes) {
    if (c.code == code) return list_kind == 1 ? c.column_kind1 : c.column_kind0;
  }
  return -1;
}

namespace {

// A cell's text as a label; a blank one is its own label, kGraphBlankLabel.
std::string_view GraphCell(const QenListWindow& list, int row, int column) {
  const std::string_view text = TrimBlanks(CutUtf8(list.GetItemText(row, column), kGraphNameCap - 1));
  return text.empty() ? std::string_view(kGraphBlankLabel) : text;
}

bool IsDataRow(long data) { return data != 0 && data != -1; }

// One series while it is built: the element and direct access to its values.
struct Building {
  PracGraphElem* elem;
  std::vector<GraphValueElem*> values;
};

}  // namespace

int BuildAuditGraphSeries(const QenListWindow& list, const AuditGraphRequest& request,
                          TDList* series) {
  series->DeleteElems();
  const int main_column = AuditGraphColumn(request.main_code, request.list_kind);
  const int axis_column = AuditGraphColumn(request.axis_code, request.list_kind);
  if (main_column < 0 || axis_column < 0) return 0;
  const int rows = list.GetCount();
  const bool axis_all = request.grouping.axis == 'T';

  // First pass: the categories, in order of first appearance.
  std::vector<std::string> categories;
  std::unordered_map<std::string, int> category_index;
  for (int r = 0; r < rows; ++r) {
    if (!IsDataRow(list.GetItemData(r))) continue;
    if (axis_all) {
      if (categories.empty()) categories.emplace_back();
      break;
    }
    std::string axis(GraphCell(list, r, axis_column));
    if (category_index.emplace(axis, static_cast<int>(categories.size())).second) {
      categories.push_back(std::move(axis));
    }
  }
  if (categories.empty()) return 0;

  // Second pass: one series per main-data text.
  const bool one_series = request.grouping.main == 'T' && request.main_code == request.axis_code;
  const bool weighted = request.list_kind == 1 && request.row_values;
  const bool count_rows = request.grouping.axis == 'P';
  const std::string_view main_code(&request.main_code, 1);
  const std::string_view axis_code(&request.axis_code, 1);
  std::vector<Building> built;
  std::unordered_map<std::string, int> series_index;
  for (int r = 0; r < rows; ++r) {
    if (!IsDataRow(list.GetItemData(r))) continue;
    std::string_view main = GraphCell(list, r, main_column);
    const double row_value = weighted ? LastCellValue(list, r) : 0;
    int s = 0;
    if (!(one_series && !built.empty())) {
      auto [it, fresh] = series_index.emplace(std::string(main), static_cast<int>(built.size()));
      s = it->second;
      if (fresh) {
        Building b{new PracGraphElem(main, main_code, axis_code), {}};
        for (const std::string& name : categories) {
          auto* v = new GraphValueElem(name, std::string_view());
          b.elem->Values().Append(v);
          b.values.push_back(v);
        }
        series->Append(b.elem);
        built.push_back(std::move(b));
      }
    }
    int c = 0;
    if (!axis_all) c = category_index.at(std::string(GraphCell(list, r, axis_column)));
    GraphValueElem* v = built[s].values[c];
    if (!weighted) {
      v->value += 1;
      v->count += 1;
    } else if (count_rows) {
      v->value += 1;
      v->count += row_value;
    } else {
      v->value += row_value;
      v->count += 1;
    }
    v->reset_value = v->value;
  }
  return static_cast<int>(built.size());
}
