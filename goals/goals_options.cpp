#include "goals/goals_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "suite/production_service.h"

namespace {

std::string Key(const char* name, int k) {
  char key[32];
  std::snprintf(key, sizeof key, "%s%d", name, k);
  return key;
}

char Flag(const std::string& text, char def) { return text.empty() ? def : text[0]; }

void CopyText(const std::string& text, char* out, size_t capacity) {
  std::memset(out, 0, capacity);
  std::strncpy(out, text.c_str(), capacity - 1);
}

void Flags(const std::string& text, char* out, int count) {
  for (int i = 0; i < count; ++i) out[i] = i < static_cast<int>(text.size()) && text[i] == 'Y' ? 'Y' : 'N';
}

}  // namespace

int GoalsOptions::Year() const { return std::atoi(year); }
int GoalsOptions::CompYear() const { return std::atoi(comp_year); }

std::string GoalsOptions::ProducersText() const {
  std::string out;
  for (const std::string& p : producers) out += (out.empty() ? "" : ",") + p;
  return out;
}

void ReadGoalsOptions(const GoalsIniReader& read, GoalsOptions* out) {
  CopyText(read("Year", ""), out->year, sizeof out->year);
  CopyText(read("CompYear", ""), out->comp_year, sizeof out->comp_year);
  out->all_producers = Flag(read("AllProducers", "Y"), 'Y');
  out->totals_only = Flag(read("TotalsOnly", "N"), 'N');
  out->report_by = Flag(read("ReportBy", "M"), 'M');
  Flags(read("Month", "YYYYYYYYYYYY"), out->month, 12);
  Flags(read("Q", "NNNN"), out->q, 4);
  out->show_tot_col = Flag(read("ShowTotCol", "N"), 'N');
  out->producers.clear();
  for (const std::string& code : SplitProducerList(read("Producers", ""))) {
    if (static_cast<int>(out->producers.size()) >= kGoalsMaxProducers) break;
    out->producers.push_back(code.substr(0, 4));
  }
}

bool WriteGoalsOptions(const GoalsOptions& o, const GoalsIniWriter& write) {
  bool ok = write("Year", o.year);
  ok = write("CompYear", o.comp_year) && ok;
  ok = write("AllProducers", std::string(1, o.all_producers)) && ok;
  ok = write("TotalsOnly", std::string(1, o.totals_only)) && ok;
  ok = write("ReportBy", std::string(1, o.report_by)) && ok;
  ok = write("Month", std::string(o.month, 12)) && ok;
  ok = write("Q", std::string(o.q, 4)) && ok;
  ok = write("Producers", o.ProducersText()) && ok;
  return ok;
}

ColorRef GoalColorOf(const std::string& text) {
  if (text.empty() || text[0] == '0') return kWhite;
  return static_cast<ColorRef>(std::strtoul(text.c_str(), nullptr, 10));
}

void ReadGoalsDisplay(const GoalsIniReader& read, GoalsDisplay* out) {
  out->no_goals = Flag(read("NoGoals", "N"), 'N');
  out->round_up = Flag(read("RoundUp", "Y"), 'Y');
  out->goals_display = Flag(read("GoalsDisplay", "D"), 'D');
  out->fees_display = Flag(read("FeesDisplay", "C"), 'C');
  out->show_tot_col = Flag(read("ShowTotCol", "N"), 'N');
  for (int k = 0; k < 3; ++k) {
    out->bold[k] = Flag(read(Key("Bold", k).c_str(), "N"), 'N');
    out->line_color[k] = static_cast<ColorRef>(std::strtoul(read(Key("Color", k).c_str(), "0").c_str(), nullptr, 10));
    out->range_color[k] = GoalColorOf(read(Key("GoalColor", k).c_str(), "0"));
    out->from[k] = static_cast<short>(std::atoi(read(Key("GoalFrom", k).c_str(), "0").c_str()));
    out->to[k] = static_cast<short>(std::atoi(read(Key("GoalTo", k).c_str(), "0").c_str()));
  }
}

bool WriteGoalsDisplay(const GoalsDisplay& d, const GoalsIniWriter& write) {
  bool ok = write("NoGoals", std::string(1, d.no_goals));
  ok = write("RoundUp", std::string(1, d.round_up)) && ok;
  ok = write("GoalsDisplay", std::string(1, d.goals_display)) && ok;
  ok = write("FeesDisplay", std::string(1, d.fees_display)) && ok;
  ok = write("ShowTotCol", std::string(1, d.show_tot_col)) && ok;
  for (int k = 0; k < 3; ++k) {
    ok = write(Key("Bold", k).c_str(), std::string(1, d.bold[k])) && ok;
    ok = write(Key("Color", k).c_str(), std::to_string(d.line_color[k])) && ok;
    ok = write(Key("GoalColor", k).c_str(), std::to_string(d.range_color[k])) && ok;
    ok = write(Key("GoalFrom", k).c_str(), std::to_string(d.from[k])) && ok;
    ok = write(Key("GoalTo", k).c_str(), std::to_string(d.to[k])) && ok;
  }
  return ok;
}

std::string GoalsOptions::PeriodText() const {
  const int y = Year();
  if (y <= 0) return {};
  std::string text = ::PeriodText(y * 10000L + 101, y * 10000L + 1231);
  if (!text.empty() && CompYear() > 0) text += ", comparée à " + std::to_string(CompYear());
  return text;
}
