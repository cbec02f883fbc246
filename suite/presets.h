// Report presets: a name and the options of one analysis, kept in the
// practice database (table PRESETS) so that every workstation of the
// practice sees the same ones, run from a tab, from `vantra --preset NAME`
// and by `vantra batch` on a timer.
//
// A preset holds
//   analysis  the command that runs it: "audit", "productivity", "stats",
//             "goals" (the tabs' analyses)
//   name      unique per analysis (byte for byte: case counts); UTF-8, no
//             '/' or '\\', no control characters, not blank, no blank at
//             either end, not starting with '-' (a command-line option), at
//             most kPresetNameMax bytes (quotes are fine: every statement
//             escapes them; a file name keeps them)
//   period    a rule read against the day the preset runs ("last month",
//             "month to date" ...) or fixed dates
//   keys      every key of the analysis's INI section as the preset was
//             saved (KEY=VALUE; SECTION.KEY=VALUE for another section's
//             key), the producers, chairs or users chosen among them
//   flags     the command's own switches and values ("summary" -> "",
//             "list" -> "acceptance")
//   format    the output format of a batch run (xlsx when empty)
//
// The table PRESETS holds one row per preset; its keys and flags are one
// text column each, "KEY=VALUE" lines (PresetPairsText). docs/presets.md
// describes the rules, the table and what `vantra batch` writes.
//
//   Preset p;
//   p.analysis = "productivity"; p.name = "Annulations du mois";
//   p.period = PeriodRule::kLastMonth; p.keys = {{"Cancelled", "Y"}};
//   std::string error;
//   if (SavePreset(db, &p, /*replace=*/false, &error) == PresetSaveResult::kExists) ...ask...
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class GenDB;

// --- period rules -------------------------------------------------------------
enum class PeriodRule {
  kNone,            // the analysis's own dates (its INI keys, --from/--to)
  kFixed,           // the preset's from and to
  kLastMonth,       // the whole month before today's
  kMonthToDate,     // the 1st of this month to today
  kLast7Days,       // today and the six days before it
  kYearToDate,      // 1 January to today
  kSameDayLastYear  // today's date a year ago (29 February: the 28th)
};

struct PeriodRuleInfo {
  PeriodRule rule;
  const char* code;   // as stored and typed: "last-month" ...
  const char* label;  // as the window shows it: "Le mois dernier" ...
};
// Every rule, in the order the window lists them:
//   none "" "Dates de l'analyse", fixed "fixed" "Dates fixes",
//   "last-month" "Le mois dernier", "month-to-date" "Le mois à ce jour",
//   "last-7-days" "Les 7 derniers jours", "year-to-date" "L'année à ce jour",
//   "same-day-last-year" "Ce jour l'an dernier".
const std::vector<PeriodRuleInfo>& PeriodRules();
// The rule of a code ("" is kNone); false for an unknown code.
bool ParsePeriodRule(std::string_view code, PeriodRule* out);
const char* PeriodRuleCode(PeriodRule rule);

// The dates of rule on today (YYYYMMDD); kFixed gives fixed_from..fixed_to,
// kNone 0..0 (and so does an invalid today).
void ResolvePeriod(PeriodRule rule, long today, long fixed_from, long fixed_to, long* from, long* to);

// For an analysis that reads a year and its months rather than dates (the
// monthly goals): the year the period ends in, and the months (twelve
// flags, "NNNNNNNNNNYY" for November and December) and quarters (four
// flags) of that year the period touches. Year 0 and empty flags for an
// invalid period.
struct PeriodYear {
  int year = 0;
  std::string months, quarters;
};
PeriodYear PeriodYearOf(long from, long to);

// The keys a period gives the monthly goals, which read a year and its
// months rather than dates: Year (the year the period ends in); Month and
// Q, of the months and quarters chosen (chosen(key, default): the preset's
// keys over the INI file), those the period touches; CompYear as far from
// Year as the preset's was, when the preset kept both. The window and the
// command line both run a goals preset through this.
struct Preset;
using PresetChosenReader = std::function<std::string(const char* key, const char* def)>;
std::vector<std::pair<std::string, std::string>> GoalsPeriodKeys(const Preset& preset, long from, long to,
                                                                 const PresetChosenReader& chosen);

// How a batch file names its period: "2026-11" for a whole month, "2026" for
// a whole year, "2026-11-30" for one day, "2026-11-01 au 2026-11-07"
// otherwise, "" for 0..0.
std::string PeriodFileText(long from, long to);

// --- presets ----------------------------------------------------------------------
inline constexpr size_t kPresetNameMax = 60;
// The cursor of the preset statements.
inline constexpr int kPresetCursor = 119;

struct Preset {
  long id = 0;
  std::string analysis;
  std::string name;
  PeriodRule period = PeriodRule::kNone;
  long from = 0, to = 0;  // kFixed
  std::string format;     // text, tsv, csv, xlsx, pdf; "" = xlsx
  std::vector<std::pair<std::string, std::string>> keys;
  std::vector<std::pair<std::string, std::string>> flags;
  std::string saved_by;  // the workstation's user ($USER) at the last save
  long saved_on = 0;     // YYYYMMDD of the last save

  friend bool operator==(const Preset&, const Preset&) = default;
};

// How the window and the command line show a preset's period: the rule's
// label, "Dates fixes : du 2026-01-01 au 2026-03-31" for fixed dates.
std::string PresetPeriodLabel(const Preset& preset);

// The analyses a preset may name.
const std::vector<std::string>& PresetAnalyses();

// "" when name may be a preset's name, else the one line that says why.
std::string CheckPresetName(std::string_view name);

// The file a batch run writes: "<name> <period>.<ext>" (name as it is, the
// period by PeriodFileText; "<name>.<ext>" without a period). ext with or
// without its dot ("xlsx", ".xlsx").
std::string PresetFileName(const Preset& preset, long from, long to, std::string_view ext);

// The keys or flags as the table stores them: one "KEY=VALUE" line each,
// "\n"-separated, in order; in a value a backslash is written "\\", a line
// break "\n", a carriage return "\r" (a key holds none of them, nor '=').
std::string PresetPairsText(const std::vector<std::pair<std::string, std::string>>& pairs);
// The pairs of such a text; false for a line without '=' or a bad escape
// (the pairs read before it are kept).
bool ParsePresetPairsText(std::string_view text, std::vector<std::pair<std::string, std::string>>* out);

enum class PresetSaveResult {
  kSaved,     // a new preset, or the old one replaced (replace true)
  kExists,    // a preset of that analysis and name exists and replace was false
              // (also when another workstation saved the same name first)
  kRefused,   // a bad name, analysis, format, fixed dates or key (*error)
  kFailed     // a statement failed (*error)
};
// Saves preset (its id and saved_* are set by the save; a replaced preset
// keeps its id). Creates the table when it is missing. The pair of analysis
// and name is unique in the table (a unique index), so of two workstations
// saving the same new name at once exactly one saves it and the other gets
// kExists. *error holds the one line to show for every result but kSaved.
PresetSaveResult SavePreset(GenDB* db, Preset* preset, bool replace, std::string* error);

// The presets of analysis (every analysis when empty), by analysis then
// name. A missing table is no preset. False with *error on a failure.
bool ListPresets(GenDB* db, const std::string& analysis, std::vector<Preset>* out, std::string* error);
// The presets named name (one per analysis at most; analysis "" = any).
// False with *error on a failure; an empty *out when none is named so.
bool FindPresets(GenDB* db, const std::string& analysis, const std::string& name, std::vector<Preset>* out,
                 std::string* error);
// Deletes the preset of analysis and name; false with *error when it does
// not exist or the statement failed.
bool DeletePreset(GenDB* db, const std::string& analysis, const std::string& name, std::string* error);
