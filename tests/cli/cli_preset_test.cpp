// What a preset makes of an analysis's options, and what the options of
// `vantra preset save` make of a preset (cli/cli_preset.h), in-process.
#include "cli/cli_preset.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/test_db.h"

namespace {

const CliCommand& Command(const char* name) {
  const CliCommand* command = FindCliCommand(name);
  EXPECT_NE(command, nullptr) << name;
  return *command;
}

// The options of args as the command line reads them for command (with
// the analyses' flags for `preset`).
CliOptions Parse(const CliCommand& command, std::vector<std::string> args) {
  std::vector<CliFlag> flags = command.extra_flags;
  if (command.preset_options) AddAnalysisFlags(&flags);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  CliOptions options;
  std::string error;
  EXPECT_TRUE(ParseCliOptions(static_cast<int>(argv.size()), argv.data(), flags, &options, &error)) << error;
  return options;
}

Preset AuditPreset() {
  Preset p;
  p.analysis = "audit";
  p.name = "Mensuel";
  p.period = PeriodRule::kLastMonth;
  p.keys = {{"AllModules", "Y"}, {"SumBy", "1000"}, {"Users", "anne"}};
  p.flags = {{"summary", ""}};
  return p;
}

TEST(CliPresetTest, PresetUnderTheCommandLine) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    void (*change)(Preset*);
    std::map<std::string, std::string> overrides;  // expected among the options' overrides
    long from, to;
    const char* format;
    const char* error;  // "" when applied
  };
  auto none = [](Preset*) {};
  const Case cases[] = {
      {"the preset alone", {"--today", "20261215"}, none,
       {{"AllModules", "Y"}, {"SumBy", "1000"}, {"Users", "anne"}}, 20261101, 20261130, "text", ""},
      {"a key given wins", {"--today", "20261215", "SumBy=0100"}, none, {{"SumBy", "0100"}, {"AllModules", "Y"}},
       20261101, 20261130, "text", ""},
      {"a section's key given is kept beside", {"--today", "20261215", "PRAC_DETAILED.Users=marc"}, none,
       {{"PRAC_DETAILED.Users", "marc"}, {"Users", "anne"}}, 20261101, 20261130, "text", ""},
      {"--from given wins", {"--today", "20261215", "--from", "20261115"}, none, {}, 20261115, 20261130, "text", ""},
      {"both dates given win", {"--today", "20261215", "--from", "20260101", "--to", "20260105"}, none, {},
       20260101, 20260105, "text", ""},
      {"--to before the period", {"--today", "20261215", "--to", "20261001"}, none, {}, 0, 0, "", "contredit"},
      {"the preset's format", {"--today", "20261215"}, [](Preset* p) { p->format = "csv"; }, {}, 20261101, 20261130,
       "csv", ""},
      {"a format given wins", {"--today", "20261215", "--format", "tsv"}, [](Preset* p) { p->format = "csv"; }, {},
       20261101, 20261130, "tsv", ""},
      {"a pdf needs --out", {"--today", "20261215"}, [](Preset* p) { p->format = "pdf"; }, {}, 0, 0, "",
       "le format pdf demande --out"},
      {"fixed dates", {"--today", "20261215"},
       [](Preset* p) {
         p->period = PeriodRule::kFixed;
         p->from = 20250301;
         p->to = 20250331;
       },
       {}, 20250301, 20250331, "text", ""},
      {"a period before the suite's dates", {"--today", "19500115"}, none, {}, 0, 0, "",
       "sort des dates permises"},
      {"a key the command no longer takes", {"--today", "20261215"},
       [](Preset* p) { p->keys.emplace_back("SortKey", "2"); }, {}, 0, 0, "",
       "le préréglage « Mensuel » (audit) a la clé SortKey, que vantra audit n'accepte plus"},
      {"a flag a preset does not keep", {"--today", "20261215"},
       [](Preset* p) { p->flags.emplace_back("chart", "4,1"); }, {}, 0, 0, "", "a l'option --chart"},
      {"a switch holding a value", {"--today", "20261215"}, [](Preset* p) { p->flags = {{"summary", "x"}}; }, {}, 0,
       0, "", "a l'option --summary"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Preset p = AuditPreset();
    c.change(&p);
    CliOptions options = Parse(Command("audit"), c.args);
    std::string error;
    const bool applied = ApplyPreset(p, Command("audit"), &options, &error);
    ASSERT_EQ(applied, std::string(c.error).empty()) << error;
    if (!applied) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      continue;
    }
    for (const auto& [key, value] : c.overrides) EXPECT_EQ(options.overrides[key], value) << key;
    EXPECT_TRUE(options.from_given && options.to_given);
    EXPECT_EQ(options.from, c.from);
    EXPECT_EQ(options.to, c.to);
    EXPECT_EQ(options.format, c.format);
    EXPECT_EQ(options.flags.count("summary"), 1u);
  }
}

// The monthly goals read a year and its months: the period gives the year
// and narrows the months and quarters chosen.
TEST(CliPresetTest, GoalsPeriodBecomesYearMonthsQuarters) {
  struct Case {
    const char* name;
    PeriodRule rule;
    std::vector<std::string> args;
    bool comp_year;       // the preset has CompYear=2024 beside Year=2025
    const char* chosen;   // the preset's Month (its Q is YYYY)
    const char *year, *month, *q, *comp;  // comp "" when absent
  } cases[] = {
      {"year to date", PeriodRule::kYearToDate, {"--today", "20261115"}, true, "YYYYYYYYYYYY", "2026", "YYYYYYYYYYYN",
       "YYYY", "2025"},
      {"last month in January", PeriodRule::kLastMonth, {"--today", "20260115"}, true, "YYYYYYYYYYYY", "2025",
       "NNNNNNNNNNNY", "NNNY", "2024"},
      {"last 7 days across a year end", PeriodRule::kLast7Days, {"--today", "20260103"}, true, "YYYYYYYYYYYY", "2026",
       "YNNNNNNNNNNN", "YNNN", "2025"},
      {"same day last year", PeriodRule::kSameDayLastYear, {"--today", "20260515"}, false, "YYYYYYYYYYYY", "2025",
       "NNNNYNNNNNNN", "NYNN", ""},
      {"the months chosen within the period", PeriodRule::kYearToDate, {"--today", "20260315"}, true, "NYYYYNNNNNNN",
       "2026", "NYYNNNNNNNNN", "YNNN", "2025"},
      {"a fixed year keeps the months chosen", PeriodRule::kFixed, {"--today", "20261115"}, true, "YYYNNNNNNNNN",
       "2025", "YYYNNNNNNNNN", "YYYY", "2024"},
      {"keys given win", PeriodRule::kYearToDate, {"--today", "20261115", "Year=2030", "CompYear=2020", "Q=NYNN"}, true,
       "YYYYYYYYYYYY", "2030", "YYYYYYYYYYYN", "NYNN", "2020"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Preset p;
    p.analysis = "goals";
    p.name = "Objectifs";
    p.period = c.rule;
    p.from = 20250101;
    p.to = 20251231;
    p.keys = {{"Year", "2025"}, {"ReportBy", "M"}, {"Month", c.chosen}, {"Q", "YYYY"}};
    if (c.comp_year) p.keys.emplace_back("CompYear", "2024");
    CliOptions options = Parse(Command("goals"), c.args);
    std::string error;
    ASSERT_TRUE(ApplyPreset(p, Command("goals"), &options, &error)) << error;
    EXPECT_EQ(options.overrides["Year"], c.year);
    EXPECT_EQ(options.overrides["Month"], c.month);
    EXPECT_EQ(options.overrides["Q"], c.q);
    EXPECT_EQ(options.overrides.count("CompYear") ? options.overrides["CompYear"] : "", c.comp);
    EXPECT_EQ(options.overrides["ReportBy"], "M");
  }
}

// `vantra preset save NAME ANALYSIS ...`: the INI's keys of the analysis,
// the given ones over them, the period and flags given.
TEST(CliPresetTest, SaveTakesTheIniAndTheOptionsGiven) {
  TempDir dir;
  const std::string ini = dir.File("tolvane.ini");
  WriteRaw(ini,
           "[PRAC_DETAILED]\nUsers=anne\nsortby=21\nBogus=1\n[PRAC_APPT]\nListBy=C\nProdUnits=U\n"
           "[PRAC_STATS]\nFeesGoal=500000\n");
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* name;
    const char* analysis;
    std::vector<std::string> args;
    Pairs keys;
    Pairs flags;
    PeriodRule period;
    long from, to;
    const char* format;
    const char* error;
  } cases[] = {
      {"the INI's keys, the given over them", "audit", {"AllModules=Y", "Users=marc"},
       {{"SortBy", "21"}, {"Users", "marc"}, {"AllModules", "Y"}}, {}, PeriodRule::kNone, 0, 0, "", ""},
      {"the section's name dropped", "audit", {"PRAC_DETAILED.SumBy=1000", "--summary", "--format", "csv"},
       {{"SortBy", "21"}, {"SumBy", "1000"}, {"Users", "anne"}}, {{"summary", ""}}, PeriodRule::kNone, 0, 0, "csv",
       ""},
      {"another section's key", "stats", {"PRAC_APPT.ProdUnits=B", "--list", "acceptance", "--period", "year-to-date"},
       {{"FeesGoal", "500000"}, {"PRAC_APPT.ProdUnits", "B"}}, {{"list", "acceptance"}}, PeriodRule::kYearToDate, 0,
       0, "", ""},
      {"fixed dates", "productivity", {"--from", "20260101", "--to", "20260131"}, {{"ListBy", "C"}, {"ProdUnits", "U"}},
       {}, PeriodRule::kFixed, 20260101, 20260131, "", ""},
      {"a pdf needs no --out", "audit", {"--format", "pdf"}, {{"SortBy", "21"}, {"Users", "anne"}}, {},
       PeriodRule::kNone, 0, 0, "pdf", ""},
      {"an unknown key", "audit", {"Foo=1"}, {}, {}, PeriodRule::kNone, 0, 0, "", "clé inconnue pour audit : Foo"},
      {"another analysis's key", "audit", {"PRAC_APPT.ListBy=P"}, {}, {}, PeriodRule::kNone, 0, 0, "",
       "clé inconnue pour audit : PRAC_APPT.ListBy"},
      {"another analysis's flag", "audit", {"--list", "all"}, {}, {}, PeriodRule::kNone, 0, 0, "",
       "--list n'est pas une option de vantra audit"},
      {"an unknown rule", "audit", {"--period", "last-week"}, {}, {}, PeriodRule::kNone, 0, 0, "",
       "période inconnue : « last-week » (fixed, last-month, month-to-date, last-7-days, year-to-date, "
       "same-day-last-year)"},
      {"a rule and dates", "audit", {"--period", "last-month", "--from", "20260101"}, {}, {}, PeriodRule::kNone, 0, 0,
       "", "s'excluent"},
      {"fixed without dates", "audit", {"--period", "fixed"}, {}, {}, PeriodRule::kNone, 0, 0, "",
       "--period fixed demande --from et --to"},
      {"one date", "audit", {"--to", "20260131"}, {}, {}, PeriodRule::kNone, 0, 0, "",
       "des dates fixes demandent --from et --to"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {"--ini", ini};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliOptions options = Parse(Command("preset"), args);
    Preset p;
    std::string error;
    const bool made = PresetFromOptions(Command(c.analysis), "Mensuel", options, &p, &error);
    ASSERT_EQ(made, std::string(c.error).empty()) << error;
    if (!made) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      continue;
    }
    EXPECT_EQ(p.analysis, c.analysis);
    EXPECT_EQ(p.name, "Mensuel");
    EXPECT_EQ(p.keys, c.keys);
    EXPECT_EQ(p.flags, c.flags);
    EXPECT_EQ(p.period, c.period);
    EXPECT_EQ(p.from, c.from);
    EXPECT_EQ(p.to, c.to);
    EXPECT_EQ(p.format, c.format);
  }
}

}  // namespace
