#include "stats/stats_style.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "host/list_window.h"
#include "lists/graph_data.h"
#include "stats/case_acceptance.h"
#include "stats/stats_types.h"

namespace {

struct MeasureKeys {
  StatsMeasure measure;
  const char* colour;
  const char* from;
  const char* to;
  const char* color_by;
};

constexpr MeasureKeys kKeys[] = {
    {StatsMeasure::kDiff, "DiffColor", "DiffFrom", "DiffTo", "DiffColorBy"},
    {StatsMeasure::kPct, "PctColor", "PctFrom", "PctTo", "PctColorBy"},
    {StatsMeasure::kUsage, "UsageColor", "UsageFrom", "UsageTo", "UsageColorBy"},
    {StatsMeasure::kAmount, "AmountColor", "AmountFrom", "AmountTo", "AmtColorBy"},
    {StatsMeasure::kFees, "FeesColor", "FeesFrom", "FeesTo", "FeesColorBy"},
    {StatsMeasure::kPmts, "PmtsColor", "PmtsFrom", "PmtsTo", "PmtsColorBy"},
};

bool ShortBounds(StatsMeasure m) {
  return m == StatsMeasure::kDiff || m == StatsMeasure::kPct || m == StatsMeasure::kUsage;
}

std::string Key(const char* name, int k) { return name + std::to_string(k); }

// Values are read into 32 characters.
std::string Read32(const StatsIniReader& read, const std::string& key, const char* def) {
  std::string v = read(key.c_str(), def);
  if (v.size() > 31) v.resize(31);
  return v;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

StatsMeasureRanges& StatsColorOptions::Of(StatsMeasure m) {
  return const_cast<StatsMeasureRanges&>(std::as_const(*this).Of(m));
}

const StatsMeasureRanges& StatsColorOptions::Of(StatsMeasure m) const {
  switch (m) {
    case StatsMeasure::kDiff: return diff;
    case StatsMeasure::kPct: return pct;
    case StatsMeasure::kAmount: return amount;
    case StatsMeasure::kUsage: return usage;
    case StatsMeasure::kFees: return fees;
    default: return pmts;
  }
}

void ReadStatsColorOptions(const StatsIniReader& read, StatsColorOptions* out) {
  *out = StatsColorOptions();
  for (const MeasureKeys& m : kKeys) {
    StatsMeasureRanges& r = out->Of(m.measure);
    for (int k = 0; k < 3; ++k) {
      const std::string colour = Read32(read, Key(m.colour, k), "0");
      r.colour[k] = !colour.empty() && colour[0] == '0' ? static_cast<long>(kWhite) : std::atol(colour.c_str());
      if (ShortBounds(m.measure)) {
        r.lower[k] = static_cast<short>(std::atoi(Read32(read, Key(m.from, k), "0").c_str()));
        r.upper[k] = static_cast<short>(std::atoi(Read32(read, Key(m.to, k), "0").c_str()));
      } else {
        r.lower[k] = std::atol(Read32(read, Key(m.from, k), "0").c_str());
        r.upper[k] = std::atol(Read32(read, Key(m.to, k), "0").c_str());
      }
    }
    const std::string by = Read32(read, m.color_by, "D");
    r.color_by = by.empty() ? 0 : by[0];
  }
  out->fees_goal = std::atol(Read32(read, "FeesGoal", "0").c_str());
}

bool WriteStatsColorOptions(const StatsColorOptions& o, const StatsIniWriter& write) {
  bool ok = true;
  for (const MeasureKeys& m : kKeys) {
    const StatsMeasureRanges& r = o.Of(m.measure);
    for (int k = 0; k < 3; ++k) {
      ok &= write(Key(m.colour, k).c_str(), std::to_string(r.colour[k]));
      ok &= write(Key(m.from, k).c_str(), std::to_string(r.lower[k]));
      ok &= write(Key(m.to, k).c_str(), std::to_string(r.upper[k]));
    }
    ok &= write(m.color_by, std::string(1, r.color_by ? r.color_by : 'D'));
  }
  ok &= write("FeesGoal", std::to_string(o.fees_goal));
  return ok;
}

double ReadCellValue(std::string_view text, CellReading how) {
  text = Trim(text);
  switch (how) {
    case CellReading::kPlain:
      return GraphAtof(text);
    case CellReading::kPercent: {
      const size_t open = text.find('(');
      if (open != std::string_view::npos) text.remove_prefix(open + 1);
      return GraphAtof(text.substr(0, text.find('%')));
    }
    case CellReading::kMoney: {
      const size_t dollar = text.find('$');
      if (dollar != std::string_view::npos) text.remove_prefix(dollar + 1);
      text = text.substr(0, text.find('-'));
      text = text.substr(0, text.find('('));
      return GraphAtof(text) * 100.0;
    }
  }
  return 0;
}

bool StatsCellMeasure(int list_number, int column, StatsMeasure* measure, CellReading* how) {
  struct Cell {
    int list, column;
    StatsMeasure measure;
    CellReading how;
  };
  static constexpr Cell kCells[] = {
      {kStatsPatients, 3, StatsMeasure::kDiff, CellReading::kPlain},
      {kStatsAcceptance, 3, StatsMeasure::kAmount, CellReading::kMoney},
      {kStatsAcceptance, 5, StatsMeasure::kAmount, CellReading::kMoney},
      {kStatsAcceptance, 6, StatsMeasure::kUsage, CellReading::kPercent},
      {kStatsProductivity, 3, StatsMeasure::kPct, CellReading::kPercent},
      {kStatsSummary, 4, StatsMeasure::kFees, CellReading::kMoney},
      {kStatsSummary, 7, StatsMeasure::kPmts, CellReading::kMoney},
  };
  for (const Cell& c : kCells) {
    if (c.list == list_number && c.column == column) {
      *measure = c.measure;
      *how = c.how;
      return true;
    }
  }
  return false;
}

ColorRef StatsCellColor(const StatsColorOptions& o, int list_number, int column, bool detail_row,
                        std::string_view text) {
  // Options not loaded: every colour 1 and 2 of the list's records is 0.
  auto loaded = [](const StatsMeasureRanges& r) { return r.colour[0] != 0 || r.colour[1] != 0; };
  bool any = false;
  switch (list_number) {
    case kStatsPatients: any = loaded(o.diff); break;
    case kStatsAcceptance: any = loaded(o.amount) || loaded(o.usage); break;
    case kStatsProductivity: any = loaded(o.pct); break;
    case kStatsSummary: any = loaded(o.fees) || loaded(o.pmts); break;
    default: break;
  }
  if (!any) return kNoColor;
  StatsMeasure measure;
  CellReading how;
  if (!StatsCellMeasure(list_number, column, &measure, &how)) return kNoColor;
  const StatsMeasureRanges& r = o.Of(measure);
  if (r.color_by == 'D' && !detail_row) return kNoColor;
  if (r.color_by == 'T' && detail_row) return kNoColor;
  text = Trim(text);
  if (text.size() > 63) text = text.substr(0, 63);
  if (text.empty()) return kNoColor;
  const double value = ReadCellValue(text, how);
  for (int k = 0; k < 3; ++k) {
    if (static_cast<double>(r.lower[k]) <= value && value <= static_cast<double>(r.upper[k])) {
      return r.colour[k] > 0 ? static_cast<ColorRef>(r.colour[k]) : kWhite;
    }
  }
  return kWhite;
}

bool StatsDetailRow(const QenListWindow& list, int list_number, int row) {
  if (list_number == kStatsAcceptance) {
    const auto* rec = dynamic_cast<const CaseStatsElem*>(list.GetItemRecord(row));
    return rec != nullptr && rec->rec.action != 0;
  }
  return list.GetItemData(row) != 0;
}

void CollectStatsColors(const QenListWindow& list, int list_number, const StatsColorOptions& o, TDList* colours) {
  colours->DeleteElems();
  std::set<std::pair<int, int>> recorded;
  const int columns = std::max<int>(static_cast<int>(list.Columns().size()), 10);
  for (int row = 0; row < list.GetCount(); ++row) {
    // A row without item data is not coloured in the case-acceptance list.
    if (list_number == kStatsAcceptance && list.GetItemRecord(row) == nullptr) continue;
    const bool detail = StatsDetailRow(list, list_number, row);
    for (int column = 0; column < columns && column < list.CellCount(row); ++column) {
      const ColorRef c = StatsCellColor(o, list_number, column, detail, list.GetItemText(row, column));
      if (c == kNoColor || c == kWhite) continue;
      if (recorded.insert({row, column}).second) {
        colours->Append(new ColorListElem(row, column, c, ColorKind::kBackground));
      }
    }
  }
}

CellStyleFn StatsRowStyle(const QenListWindow* list, int list_number) {
  return [list, list_number](int row, int /*column*/) {
    CellStyle s;
    s.bold = !StatsDetailRow(*list, list_number, row) && !list->GetString(row).empty();
    return s;
  };
}
