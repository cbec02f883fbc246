// The options of the monthly-goals tab, INI section "PRAC_GOALS".
//
// Report options (read when the tab is set up, written by "&Défauts"):
//   Year ""           report year, 4 digits
//   CompYear ""       comparison year, "" for none
//   AllProducers "Y"  every active producer ("Tous" ticked)
//   TotalsOnly "N"    only the totals lines
//   ReportBy "M"      "M" monthly, anything else quarterly
//   Month "YYYYYYYYYYYY"  twelve flags, January to December
//   Q "NNNN"          four flags, quarters 1 to 4
//   Producers ""      ticked codes separated by ","; at most 100 of up to 4 characters
//   ShowTotCol "N"    a total column (read here, written with the display options)
// Display options (read again at each generation, written by "&Options"):
//   NoGoals "N", RoundUp "Y", GoalsDisplay "D", FeesDisplay "C" ("C" cents,
//   "D" dollars, "K" thousands), ShowTotCol "N";
//   per line kind k = 0 (report year), 1 (comparison year), 2 (totals):
//   Bold<k> "N", Color<k> "0" (a decimal 0x00BBGGRR colour);
//   per percentage range k = 0, 1, 2: GoalColor<k> (a text starting with "0"
//   is white), GoalFrom<k> "0", GoalTo<k> "0" (whole percentages, 16-bit).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lists/list_style.h"

inline constexpr char kGoalsIniSection[] = "PRAC_GOALS";
inline constexpr int kGoalsMaxProducers = 100;

// Reads a key of the section (the INI file, or command-line overrides);
// writes one (false when the file could not be written).
using GoalsIniReader = std::function<std::string(const char* key, const char* def)>;
using GoalsIniWriter = std::function<bool(const char* key, const std::string& value)>;

struct GoalsOptions {
  char year[5] = {};
  char comp_year[5] = {};
  char all_producers = 'Y';
  char totals_only = 'N';
  char report_by = 'M';
  char month[12] = {'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y', 'Y'};
  char q[4] = {'N', 'N', 'N', 'N'};
  char show_tot_col = 'N';
  std::vector<std::string> producers;  // at most kGoalsMaxProducers codes of up to 4 characters

  bool Monthly() const { return report_by == 'M'; }
  bool HasCompYear() const { return comp_year[0] != '\0'; }
  int Year() const;      // 0 when not a number
  int CompYear() const;  // 0 when none
  // The producers joined with ",".
  std::string ProducersText() const;
  // The period printouts and workbooks name: the report year's first to
  // last day, and the comparison year ("du 2026-01-01 au 2026-12-31,
  // comparée à 2025"); "" when the year is not a number.
  std::string PeriodText() const;
};

// The display-options record, in the order the options dialog edits it.
struct GoalsDisplay {
  char bold[3] = {'N', 'N', 'N'};
  ColorRef line_color[3] = {0, 0, 0};
  ColorRef range_color[3] = {kWhite, kWhite, kWhite};
  short to[3] = {0, 0, 0};
  short from[3] = {0, 0, 0};
  char no_goals = 'N';
  char round_up = 'Y';
  char show_tot_col = 'N';
  char goals_display = 'D';
  char fees_display = 'C';
};

void ReadGoalsOptions(const GoalsIniReader& read, GoalsOptions* out);
// Writes the report options but ShowTotCol. False when a write failed.
bool WriteGoalsOptions(const GoalsOptions& options, const GoalsIniWriter& write);
void ReadGoalsDisplay(const GoalsIniReader& read, GoalsDisplay* out);
bool WriteGoalsDisplay(const GoalsDisplay& display, const GoalsIniWriter& write);

// A colour key's text as a colour: a text starting with "0" is white, any
// other the decimal number it starts with.
ColorRef GoalColorOf(const std::string& text);
