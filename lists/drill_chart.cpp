#include "lists/drill_chart.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "host/list_window.h"
#include "lists/list_style.h"

namespace {

constexpr size_t kLabelRoom = kGraphNameCap - 1;
constexpr size_t kMarkBytes = sizeof kGraphInvisibleMark - 1;
constexpr long long kScale = 10000;  // the measures' numbers are summed in ten-thousandths

bool Digits(std::string_view s, size_t at, size_t n) {
  for (size_t i = at; i < at + n; ++i) {
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

// "2026-11-30", as the drills write dates.
bool IsDateText(std::string_view s) {
  return s.size() == 10 && Digits(s, 0, 4) && s[4] == '-' && Digits(s, 5, 2) && s[7] == '-' && Digits(s, 8, 2);
}

// "14:50" or "14:50:00".
bool IsTimeText(std::string_view s) {
  if (s.size() != 5 && s.size() != 8) return false;
  if (!Digits(s, 0, 2) || s[2] != ':' || !Digits(s, 3, 2)) return false;
  return s.size() == 5 || (s[5] == ':' && Digits(s, 6, 2));
}

// Hands each distinct text a label of at most kLabelRoom bytes that no
// earlier text got: its own text cut, or, when that is taken (two long texts
// that start alike, a cell that reads "(vide)"), the text cut shorter with
// as many zero-width marks as it takes. Past what the marks can hold, a
// visible number tells it apart (" #11").
class DistinctLabels {
 public:
  std::string Of(std::string_view text) {
    std::string label = GraphLabel(text);
    for (size_t extra = 1; used_.count(label) != 0; ++extra) {
      if (extra * kMarkBytes < kLabelRoom) {
        label = std::string(CutUtf8(text, kLabelRoom - extra * kMarkBytes));
        for (size_t i = 0; i < extra; ++i) label += kGraphInvisibleMark;
      } else {
        const std::string tail = " #" + std::to_string(extra);
        label = std::string(CutUtf8(text, kLabelRoom - tail.size())) + tail;
      }
    }
    used_.insert(label);
    return label;
  }

 private:
  std::unordered_set<std::string> used_;
};

std::string Shown(std::string_view text) { return text.empty() ? std::string(kGraphBlankLabel) : std::string(text); }

std::string ColumnTitle(const QenListWindow& list, int column) {
  const std::string title = DrillColumnTitle(list, column);
  return title.empty() ? "Colonne " + std::to_string(column + 1) : title;
}

bool ValidMeasure(const DrillResult& result, int measure) {
  if (measure == kDrillChartCount) return true;
  if (!result.list || measure < 0 || static_cast<size_t>(measure) >= result.measures.size()) return false;
  const int column = result.measures[static_cast<size_t>(measure)].column;
  return column >= 0 && static_cast<size_t>(column) < result.list->Columns().size();
}

// One series while it is built: per category, the rows and their sum.
struct Building {
  std::string name;
  std::vector<long long> sums;
  std::vector<long long> rows;
};

}  // namespace

std::vector<DrillChartChoice> DrillChartAxes(const DrillResult& result) {
  std::vector<DrillChartChoice> out;
  if (!result.list) return out;
  std::unordered_set<std::string> codes;
  const int columns = static_cast<int>(result.list->Columns().size());
  for (int c = 0; c < columns; ++c) {
    DrillChartChoice choice;
    choice.index = c;
    choice.title = ColumnTitle(*result.list, c);
    const bool blank = DrillColumnTitle(*result.list, c).empty();
    choice.code = blank || codes.count(choice.title) != 0 ? "#" + std::to_string(c) : choice.title;
    codes.insert(choice.code);
    out.push_back(std::move(choice));
  }
  return out;
}

std::vector<DrillChartChoice> DrillChartMeasures(const DrillResult& result) {
  std::vector<DrillChartChoice> out;
  out.push_back({kDrillChartCount, kDrillChartCountTitle, kDrillChartCountTitle, ChartUnit::kCount});
  std::unordered_set<std::string> codes{kDrillChartCountTitle};
  for (size_t m = 0; m < result.measures.size(); ++m) {
    if (!ValidMeasure(result, static_cast<int>(m))) continue;
    DrillChartChoice choice;
    choice.index = static_cast<int>(m);
    choice.title = ColumnTitle(*result.list, result.measures[m].column);
    choice.code = codes.count(choice.title) != 0 ? "#" + std::to_string(m) : choice.title;
    choice.unit = result.measures[m].unit;
    codes.insert(choice.code);
    out.push_back(std::move(choice));
  }
  return out;
}

int DrillChartDefaultAxis(const DrillResult& result) {
  if (!result.list) return 0;
  const int columns = static_cast<int>(result.list->Columns().size());
  for (int c = 0; c < columns; ++c) {
    const bool measured = std::any_of(result.measures.begin(), result.measures.end(),
                                      [c](const DrillMeasure& m) { return m.column == c; });
    if (!measured) return c;
  }
  return 0;
}

int DrillChartDefaultMeasure(const DrillResult& result) {
  for (size_t m = 0; m < result.measures.size(); ++m) {
    if (ValidMeasure(result, static_cast<int>(m))) return static_cast<int>(m);
  }
  return kDrillChartCount;
}

ChartUnit DrillChartUnit(const DrillResult& result, int measure) {
  if (measure == kDrillChartCount || !ValidMeasure(result, measure)) return ChartUnit::kCount;
  return result.measures[static_cast<size_t>(measure)].unit;
}

bool ParseDrillNumber(std::string_view text, long long* out) {
  *out = 0;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  auto sign = [&] {
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  };
  sign();
  if (i < text.size() && text[i] == '$') {
    ++i;
    if (!negative) sign();
  }
  // At most 12 whole digits (under a trillion): a sum of hundreds of such
  // numbers, in ten-thousandths, still holds in 64 bits.
  constexpr int kMaxWholeDigits = 12;
  long long whole = 0;
  int whole_digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (++whole_digits > kMaxWholeDigits) return false;
    whole = whole * 10 + (text[i] - '0');
  }
  long long fraction = 0;
  int fraction_digits = 0;
  bool round_up = false;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (fraction_digits < 4) {
        fraction = fraction * 10 + (text[i] - '0');
      } else if (fraction_digits == 4) {
        round_up = text[i] >= '5';
      }
      ++fraction_digits;
    }
  }
  if (whole_digits == 0 && fraction_digits == 0) return false;
  for (int d = fraction_digits; d < 4; ++d) fraction *= 10;
  const long long value = whole * kScale + fraction + (round_up ? 1 : 0);
  *out = negative ? -value : value;
  return true;
}

int BuildDrillChartSeries(const DrillResult& result, const DrillChartRequest& request, TDList* series) {
  series->DeleteElems();
  if (!result.list) return 0;
  const QenListWindow& list = *result.list;
  const int columns = static_cast<int>(list.Columns().size());
  if (request.axis_column < 0 || request.axis_column >= columns || !ValidMeasure(result, request.measure)) return 0;
  const bool counting = request.measure == kDrillChartCount;
  const int measure_column = counting ? -1 : result.measures[static_cast<size_t>(request.measure)].column;
  const bool axis_all = request.grouping.axis == 'T';

  std::vector<int> rows;
  if (request.rows.empty()) {
    for (int r = 0; r < list.GetCount(); ++r) rows.push_back(r);
  } else {
    rows = request.rows;
  }
  const auto not_data = [&list](int r) { return r < 0 || r >= list.GetCount() || !IsDrillDataRow(list.GetItemData(r)); };
  rows.erase(std::remove_if(rows.begin(), rows.end(), not_data), rows.end());
  if (rows.empty()) return 0;

  // The categories: the distinct texts, in order of first appearance; dates
  // and times in their order (their texts sort as they do), blanks last.
  std::vector<std::string> texts;
  std::unordered_map<std::string, size_t> text_index;
  if (axis_all) {
    texts.emplace_back();
  } else {
    for (int r : rows) {
      std::string text(TrimBlanks(list.GetItemText(r, request.axis_column)));
      if (text_index.count(text) == 0) {
        text_index.emplace(text, texts.size());
        texts.push_back(std::move(text));
      }
    }
    const auto all_of_kind = [&](bool (*kind)(std::string_view)) {
      bool any = false;
      for (const std::string& t : texts) {
        if (t.empty()) continue;
        if (!kind(t)) return false;
        any = true;
      }
      return any;
    };
    if (all_of_kind(IsDateText) || all_of_kind(IsTimeText)) {
      std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        if (a.empty() || b.empty()) return !a.empty() && b.empty();
        return a < b;
      });
      for (size_t i = 0; i < texts.size(); ++i) text_index[texts[i]] = i;
    }
  }

  // The series: the groups' (every group, so that each keeps its colour
  // whatever a filter leaves of it), then the measure's for rows outside
  // every group; the measure's alone when the rows are one group or none.
  const std::string measure_title = counting ? std::string(kDrillChartCountTitle)
                                             : ColumnTitle(list, measure_column);
  const bool by_group = result.groups.size() > 1;
  const std::vector<long long> zeros(texts.size(), 0);
  std::vector<Building> built;
  if (by_group) {
    for (const DrillGroup& g : result.groups) built.push_back({Shown(TrimBlanks(g.title)), zeros, zeros});
  }
  int outside = -1;  // the series of the rows outside every group
  for (int r : rows) {
    int s = -1;
    if (by_group) {
      for (size_t g = 0; g < result.groups.size(); ++g) {
        if (r >= result.groups[g].first && r < result.groups[g].end) {
          s = static_cast<int>(g);
          break;
        }
      }
    }
    if (s < 0) {
      if (outside < 0) {
        outside = static_cast<int>(built.size());
        built.push_back({measure_title, zeros, zeros});
      }
      s = outside;
    }
    const size_t c = axis_all ? 0 : text_index.at(std::string(TrimBlanks(list.GetItemText(r, request.axis_column))));
    Building& b = built[static_cast<size_t>(s)];
    b.rows[c] += 1;
    if (!counting) {
      long long v = 0;
      ParseDrillNumber(TrimBlanks(list.GetItemText(r, measure_column)), &v);
      b.sums[c] += v;
    }
  }

  std::vector<std::string> labels;
  {
    DistinctLabels distinct;
    for (const std::string& t : texts) labels.push_back(axis_all ? std::string() : distinct.Of(Shown(t)));
  }
  DistinctLabels names;
  const std::string_view main_code = counting ? "n" : "m";
  for (const Building& b : built) {
    auto* elem = new PracGraphElem(names.Of(b.name), main_code, "c");
    for (size_t c = 0; c < texts.size(); ++c) {
      auto* v = new GraphValueElem(labels[c], std::string_view());
      v->value = v->reset_value =
          counting ? static_cast<double>(b.rows[c]) : static_cast<double>(b.sums[c]) / static_cast<double>(kScale);
      v->count = static_cast<double>(b.rows[c]);
      elem->Values().Append(v);
    }
    series->Append(elem);
  }
  return static_cast<int>(series->Count());
}
