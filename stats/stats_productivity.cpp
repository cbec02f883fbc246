#include "stats/stats_productivity.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "host/list_window.h"
#include "host/strings.h"

namespace {

std::string Units(long units) { return std::to_string(units) + "U"; }

std::string Hours(long minutes) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%-.2fH", static_cast<double>(minutes) / 60.0);
  return buffer;
}

// strclip: the text without its trailing blanks.
std::string Clipped(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

StatsProductivityRequest MakeProductivityRequest(const StatsSelection& s, char prod_units) {
  StatsProductivityRequest r;
  r.from = s.from;
  r.to = s.to;
  r.all_producers = s.all_producers;
  r.prod_units = prod_units;
  for (const std::string& code : s.producers) {
    if (code.empty() || r.producers.size() >= kStatsMaxProducers) break;
    r.producers.push_back(code);
  }
  return r;
}

std::string ProductivityRowText(const StatsProductivityRow& r, char units) {
  std::string booked, available, usage;
  char count[32];
  std::snprintf(count, sizeof count, "  (%d)", static_cast<int>(r.booked_count));
  if (units == 'U') {
    booked = Units(r.booked_units);
    available = Units(r.available_units);
    usage = Units(r.booked_units) + "/" + Units(r.available_units);
  } else if (units == 'H') {
    booked = Hours(r.booked_minutes);
    available = Hours(r.available_minutes);
    usage = Hours(r.booked_minutes) + "/" + Hours(r.available_minutes);
  } else {
    booked = Units(r.booked_units) + ", " + Hours(r.booked_minutes);
    available = Units(r.available_units) + "," + Hours(r.available_minutes);
    usage = Units(r.booked_units) + "/" + Units(r.available_units) + ", " + Hours(r.booked_minutes) + "/" +
            Hours(r.available_minutes);
  }
  long whole = 0;
  if (r.available_minutes != 0) {
    whole = static_cast<long>(static_cast<float>(r.booked_minutes) / static_cast<float>(r.available_minutes) *
                              100.0f);
  }
  char pct[48];
  std::snprintf(pct, sizeof pct, "  (%.2f", static_cast<double>(whole));
  char missed[32];
  std::snprintf(missed, sizeof missed, "%d", static_cast<int>(r.missed));
  return r.label + " \t" + booked + count + " \t" + available + " \t" + usage + Clipped(pct) + "%)" + "\t" +
         missed;
}

void FoldProductivity(const std::vector<StatsProductivityFigure>& figures, std::vector<StatsProductivityRow>* rows,
                      StatsProductivityRow* total) {
  rows->clear();
  *total = StatsProductivityRow();
  total->label = ModuleString(kTotalLabel);
  if (figures.empty()) return;
  StatsProductivityRow current;
  current.label = figures.front().key;
  const std::string* previous = &figures.front().key;
  for (const StatsProductivityFigure& f : figures) {
    if (f.key != *previous) {
      rows->push_back(current);
      current = StatsProductivityRow();
      current.label = f.key;
    }
    previous = &f.key;
    switch (f.kind) {
      case 1:
        current.booked_units += f.sched_units;
        current.booked_minutes += f.minutes;
        current.booked_count = f.count;
        total->booked_units += f.sched_units;
        total->booked_minutes += f.minutes;
        total->booked_count += f.count;
        break;
      case 2:
        current.available_units += f.sched_units;
        current.available_minutes += f.minutes;
        total->available_units += f.sched_units;
        total->available_minutes += f.minutes;
        break;
      case 3:
        current.missed += f.count;
        total->missed += f.count;
        break;
      default:
        break;
    }
  }
  rows->push_back(current);
}

void WriteProductivityRows(const std::vector<StatsProductivityRow>& rows, const StatsProductivityRow& total,
                           char units, QenListWindow* list) {
  list->ClearList();
  if (rows.empty()) return;
  for (const StatsProductivityRow& r : rows) list->AddString(ProductivityRowText(r, units), 1);
  list->AddString("", 0);
  list->AddString(ProductivityRowText(total, units), 0);
}

void WriteProductivityRows(const std::vector<StatsProductivityFigure>& figures, char units,
                           QenListWindow* list) {
  std::vector<StatsProductivityRow> rows;
  StatsProductivityRow total;
  FoldProductivity(figures, &rows, &total);
  WriteProductivityRows(rows, total, units, list);
}

DrillResult StatsProductivitySource::DrillFigure(const StatsProductivityRequest&, const std::string&, int) {
  DrillResult result;
  result.refused = "ce calcul de productivité ne garde pas les lignes de ses chiffres";
  return result;
}

const char* ProductivityNotConnectedMessage() {
  return "la liste de productivité n'est pas encore reliée au calcul de productivité";
}

RunOutcome FillProductivityList(StatsProductivitySource* source, const StatsSelection& s, char prod_units,
                                QenListWindow* list, std::vector<StatsProductivityFigure>* kept) {
  list->ClearList();
  if (source == nullptr) return RunOutcome::Failed(ProductivityNotConnectedMessage());
  std::vector<StatsProductivityFigure> figures;
  RunOutcome outcome = source->Compute(MakeProductivityRequest(s, prod_units), &figures);
  WriteProductivityRows(figures, prod_units, list);
  if (kept != nullptr) *kept = std::move(figures);
  return outcome;
}
