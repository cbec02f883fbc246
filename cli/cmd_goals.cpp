// `vantra goals`: the monthly-goals report (the "Objectifs Mensuels" tab).
// `vantra goals-edit`: the goal records (the goal editor, dialog 2010).
//
// goals: options come from the INI section "PRAC_GOALS" as the tab reads
// them, then from KEY=VALUE overrides with the same keys and encodings.
// AllProducers=Y takes every active producer; AllProducers=N exactly the
// Producers codes. A validation failure prints each failing message (the
// tab's own texts) on standard error, nothing on standard output, exit 1.
// --format tsv --item-data: each row as the list holds it, preceded by its
// line kind (1-4; blank rows an empty field) and a tab.
// --clinics/--all-clinics: the report of each clinic of a group on its own
// connection, then the group's total from their figures (goals_group.h),
// written as one list; --drill on a clinic's line drills on that clinic (a
// heading or a line of the total is refused).
//
// goals-edit list|add|change|delete|copy: see the usage below. A refusal
// (validation, duplicate, unknown producer or id) prints its message on
// standard error, changes nothing and exits 1; a bad usage exits 2.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_chart.h"
#include "cli/cli_drill.h"
#include "cli/cli_group.h"
#include "cli/cli_options.h"
#include "host/gendb.h"
#include "cli/cli_output.h"
#include "goals/goal_editor.h"
#include "goals/goals_style.h"
#include "goals/goals_graph.h"
#include "goals/goals_drill.h"
#include "goals/goals_generator.h"
#include "goals/goals_group.h"
#include "host/atomic_file.h"
#include "host/dates.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "lists/group_list.h"
#include "suite/goal_info.h"
#include "suite/production_service.h"

#if VANTRA_CLI_QT
#include <QString>

#include "lists/qt/graph_chart.h"
#include "lists/qt/offscreen_app.h"
#endif

namespace {

// The keys of PRAC_GOALS the command takes as KEY=VALUE.
const std::vector<std::string>& GoalsKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k = {"Year",       "CompYear", "AllProducers", "Producers",    "TotalsOnly",
                                  "ReportBy",   "Month",    "Q",            "ShowTotCol",   "NoGoals",
                                  "RoundUp",    "GoalsDisplay", "FeesDisplay"};
    for (const char* name : {"Bold", "Color", "GoalColor", "GoalFrom", "GoalTo"}) {
      for (int i = 0; i < 3; ++i) k.push_back(name + std::to_string(i));
    }
    return k;
  }();
  return keys;
}

bool KnownKey(const std::string& key) {
  const std::vector<std::string>& keys = GoalsKeys();
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

GoalsIniReader ReaderOf(const CliOptions& options) {
  return [&options](const char* key, const char* def) { return OptionValue(options, kGoalsIniSection, key, def); };
}

// Writes the rows for --format tsv --item-data: the line kind (empty for
// blank rows), a tab, the row as the list holds it.
bool WriteKindRows(const QenListWindow& list, const CliOptions& options, std::string* error) {
  AtomicFile out;
  if (!out.Open(options.out, error)) return false;
  FILE* f = out.File();
  CountWritten(options, list.GetCount());
  for (int r = 0; r < list.GetCount(); ++r) {
    const long kind = list.GetItemData(r);
    if (kind != 0) std::fprintf(f, "%ld", kind);
    std::fputc('\t', f);
    const std::string_view row = list.GetString(r);
    PutBytes(f, row);
    std::fputc('\n', f);
  }
  return out.Commit(error);
}

// --chart MAIN,AXIS[,compare][,style=N]: MAIN 10104 percentage, 10338
// production, 92 goal; AXIS 10079, 10342, 10341, 10151, 10152, 10153, 10154.
bool WriteGoalsChart(const QenListWindow& list, const GoalsOptions& o, const GoalsDisplay& d,
                     const std::vector<std::string>& selected, const CliOptions& options, std::string* error) {
  GoalsGraphRequest r;
  // The combo boxes' choices: their string ids, or the words they show.
  auto choices = [](const std::vector<int>& ids) {
    std::vector<ChartChoice> out;
    for (int id : ids) out.push_back({std::to_string(id), GoalsGraphChoiceText(id)});
    return out;
  };
  const std::vector<ChartChoice> mains = choices(GoalsGraphMainChoices(d)), axes = choices(GoalsGraphAxisChoices(o, d));
  ChartArgs args;
  std::vector<std::string> words;
  if (o.HasCompYear()) words.push_back("compare");
  if (!ParseChartArgs(options.flags.at("chart"), 2, words,
                      "--chart attend DONNÉES,AXE (données " + ChartChoicesText(mains) + " ; axe " +
                          ChartChoicesText(axes) + ")",
                      &args, error)) {
    return false;
  }
  std::string main, axis;
  if (!PickChartChoice(args.positional[0], mains, "données", &main, error) ||
      !PickChartChoice(args.positional[1], axes, "axe", &axis, error)) {
    return false;
  }
  r.main = std::atoi(main.c_str());
  r.axis = std::atoi(axis.c_str());
  r.use_comparison = args.Has("compare");
  const int style = args.style;
  r.producers = selected;
  r.display = d;
  r.report_year = o.Year();
  r.comp_year = o.CompYear();
  TDList series;
  BuildGoalsGraphSeries(list, r, &series);
  const std::string axis_title = GoalsGraphChoiceText(r.axis);
  return WriteChartSeries(series, GoalsGraphChoiceText(r.main) + " par " + axis_title, axis_title, style, options,
                          error, std::string(), GoalsGraphUnit(r.main));
}

// The validation messages of a refused run, each on its line: the user's
// sentence, and what made the value come out wrong when it was not the
// value itself (a GOALS table that cannot be read, an INI file that cannot
// be opened).
int PrintRefusal(const std::vector<int>& failed, std::string cause, const CliOptions& options) {
  if (cause.empty()) cause = IniReadProblem(options);
  for (int id : failed) {
    std::fprintf(stderr, "vantra goals : %s%s\n", ModuleString(id), cause.empty() ? "" : (" (" + cause + ")").c_str());
  }
  return 1;
}

// `vantra goals --clinics ...`: each clinic's report and the group's total
// (GenerateGoalsGroup, goals/goals_group.h) written as one list, each row
// styled and coloured as its own list draws it; the chart reads the total,
// a drill the clinic of its line.
int RunGoalsGroup(const CliOptions& options, const GoalsOptions& report, const GoalsDisplay& display,
                  const CliGroup& group) {
  DrillTarget target;
  if (DrillAsked(options) && !DrillTargetOf("goals", options, &target)) return 2;
  GoalsGroupLists lists;
  const ClinicPoolOptions pool = CliPoolOptions(options);
  const RunOutcome outcome = GenerateGoalsGroup(pool, group.prefixes, report, display, &lists, DrillAsked(options));
  if (outcome.Refused() && !lists.failed.empty()) return PrintRefusal(lists.failed, std::string(), options);
  if (outcome.Refused()) {
    std::fprintf(stderr, "vantra goals : %s\n", outcome.message.c_str());
    return 2;
  }
  if (const int status = StopOnOutcome("goals", outcome); status >= 0) return status;
  if (!lists.composed) return 0;  // cancelled: nothing to write
  if (DrillAsked(options)) {
    std::unique_ptr<GenDB> clinic;
    return WriteDrill("goals", DrillGoalsGroupCell(pool, lists, target, &clinic), options, {});
  }

  std::string error;
  bool written = false;
  if (options.flags.count("chart") != 0) {
    written = WriteGoalsChart(*lists.total, report, display, lists.selected, options, &error);
  } else if (options.format == "tsv" && options.item_data) {
    written = WriteKindRows(*lists.composed, options, &error);
  } else {
    std::vector<CellStyleFn> styles;
    for (const GroupPart& part : lists.parts) styles.push_back(GoalListStyle(part.list, &display));
    TDList colours;
    CollectGroupColours(lists.parts, lists.origins,
                        [&display](const QenListWindow& list, TDList* out) { CollectGoalColours(list, display, out); },
                        &colours);
    ListDecor decor;
    decor.title = ModuleString(92);
    decor.period = report.PeriodText();
    decor.style = GroupCellStyle(&lists.origins, std::move(styles));
    decor.colors = &colours;
    written = WriteList(*lists.composed, options, decor, &error);
  }
  if (!written) std::fprintf(stderr, "vantra goals : %s\n", error.c_str());
  return written ? 0 : 1;
}

int RunGoals(const CliOptions& options) {
  for (const auto& [key, value] : options.overrides) {
    if (!KnownKey(key)) {
      std::fprintf(stderr,
                   "vantra goals : clé inconnue : %s (clés de PRAC_GOALS : Year, CompYear, AllProducers, "
                   "Producers, TotalsOnly, ReportBy, Month, Q, ShowTotCol, NoGoals, RoundUp, GoalsDisplay, "
                   "FeesDisplay, Bold0-2, Color0-2, GoalColor0-2, GoalFrom0-2, GoalTo0-2)\n",
                   key.c_str());
      return 2;
    }
  }
  if (!options.positional.empty()) {
    std::fprintf(stderr, "vantra goals : argument inattendu : %s\n", options.positional[0].c_str());
    return 2;
  }
  // Years of 4 digits ("2026x" would read as 2026); producer codes may come
  // packed without commas ("D01H01"), so only their bytes are checked.
  for (const auto& [key, bytes] : {std::pair<const char*, size_t>{"Year", 4}, {"CompYear", 4},
                                   {"Producers", std::string::npos}}) {
    const std::string entries = CheckListEntries(options, kGoalsIniSection, key, bytes,
                                                 std::string(key) == "Producers" ? ListEntries::kProducers
                                                                                 : ListEntries::kCommas);
    if (!entries.empty()) {
      std::fprintf(stderr, "vantra goals : %s\n", entries.c_str());
      return 2;
    }
  }
  // The numbers typed on the command line: years the tab accepts, range
  // bounds its short fields hold, colours 0x00BBGGRR.
  std::vector<NumberKey> numbers = {{"Year", FirstSuiteYear(), LastSuiteYear()},
                                    {"CompYear", FirstSuiteYear(), LastSuiteYear(), true}};
  AddNumberKeys(&numbers, "GoalFrom", 0, SHRT_MAX);
  AddNumberKeys(&numbers, "GoalTo", 0, SHRT_MAX);
  AddNumberKeys(&numbers, "GoalColor", 0, kMaxColour);
  AddNumberKeys(&numbers, "Color", 0, kMaxColour);
  const std::string bad_number = CheckNumberOverrides(options, kGoalsIniSection, numbers);
  if (!bad_number.empty()) {
    std::fprintf(stderr, "vantra goals : %s\n", bad_number.c_str());
    return 2;
  }
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error)) {
    std::fprintf(stderr, "vantra goals : %s\n", error.c_str());
    return 1;
  }
  QenApplication::SetInstance(&app);
  InstallProductionService(&app);
  GoalsOptions report;
  GoalsDisplay display;
  ReadGoalsOptions(ReaderOf(options), &report);
  ReadGoalsDisplay(ReaderOf(options), &display);
  CliGroup group;
  if (const int status = ResolveCliGroup("goals", options, app.GetDb(), &group); status >= 0) return status;
  if (group.Active()) return RunGoalsGroup(options, report, display, group);
  std::vector<GoalsProducer> active;
  if (!LoadActiveProducers(app.GetDb(), &active, &error)) {
    const int unread = DatabaseReadFailed("goals", app.GetDb(), "la liste des producteurs");
    if (unread >= 0) return unread;
    std::fprintf(stderr, "vantra goals : %s\n", error.c_str());
    return 1;
  }
  const std::vector<std::string> selected = SelectedGoalsProducers(report, active);
  if (report.all_producers != 'Y') {
    const std::string unknown = UnknownProducer(app.GetDb(), selected);
    const int unread = DatabaseReadFailed("goals", app.GetDb(), "la liste des producteurs");
    if (unread >= 0) return unread;
    if (!unknown.empty()) {
      std::fprintf(stderr, "vantra goals : %s\n", unknown.c_str());
      return 2;
    }
  }
  std::vector<int> failed;
  const RunOutcome checked = CheckGoalsRun(app.GetDb(), report, selected.size(), &failed);
  if (checked.ServerLost()) return StopOnOutcome("goals", checked);
  if (checked.Refused()) {
    return PrintRefusal(failed, app.GetDb() != nullptr ? app.GetDb()->LastError() : std::string(), options);
  }
  QenListWindow list(kGoalsListId);
  SetGoalsColumns(&list, report, display.show_tot_col == 'Y');
  DrillTarget target;
  if (DrillAsked(options) && !DrillTargetOf("goals", options, &target)) return 2;
  GoalsDrillMap map;
  const GoalsResult result = GenerateGoalsReport(app.GetDb(), report, display, selected,
                                                 ChannelProduction(&app, app.GetMainWindow()), &list,
                                                 DrillAsked(options) ? &map : nullptr);
  // A lost server (the run is partial) or a failed statement or production
  // request (the figures would lack what it read): nothing is written.
  if (const int status = StopOnOutcome("goals", result.outcome); status >= 0) return status;
  if (DrillAsked(options)) return WriteDrill("goals", DrillGoalsCell(app.GetDb(), list, map, target), options, {});
  bool written = false;
  if (options.flags.count("chart") != 0) {
    written = WriteGoalsChart(list, report, display, selected, options, &error);
  } else if (options.format == "tsv" && options.item_data) {
    written = WriteKindRows(list, options, &error);
  } else {
    TDList colours;
    CollectGoalColours(list, display, &colours);
    ListDecor decor;
    decor.title = ModuleString(92);
    decor.period = report.PeriodText();
    decor.style = GoalListStyle(&list, &display);
    decor.colors = &colours;
    written = WriteList(list, options, decor, &error);
  }
  if (!written) std::fprintf(stderr, "vantra goals : %s\n", error.c_str());
  return written ? 0 : 1;
}

// --- goals-edit ------------------------------------------------------------

// The numbers of goals-edit, read as 64-bit values and held to what the
// records hold (nothing wraps: 4294967297 is not record 1). False with the
// one line to print in *error.
bool ParseId(const std::string& text, long* out, std::string* error) {
  int64_t v = 0;
  if (!ParseWholeNumber(text, 1, INT32_MAX, "identifiant", &v, error)) return false;
  *out = static_cast<long>(v);
  return true;
}

bool ParseYear(const std::string& text, long* out, std::string* error) {
  int64_t v = 0;
  if (!ParseWholeNumber(text, FirstSuiteYear(), LastSuiteYear(), "année", &v, error)) return false;
  *out = static_cast<long>(v);
  return true;
}

int Refuse(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "vantra goals-edit : %s\n", message.c_str());
  return 2;
}

// PRODUCER YEAR, checked as the editor's fields hold them.
int ReadPair(GenDB* db, const std::string& producer, const std::string& year, GoalInfo* record) {
  std::string error;
  // Every producer of PRODCD, inactive ones too: goals of past years stay editable.
  const std::vector<std::string> known = LoadProducerCodes(db);
  const int unread = DatabaseReadFailed("goals-edit", db, "la liste des producteurs");
  if (unread >= 0) return unread;
  if (!CheckGoalProducer(producer, known, &error)) return Refuse("vantra goals-edit : " + error);
  long y = 0;
  if (!ParseYear(year, &y, &error)) return Usage(error);
  record->SetProducer(producer);
  record->year = static_cast<int32_t>(y);
  return 0;
}

int ReadAmounts(const std::vector<std::string>& args, size_t first, GoalInfo* record) {
  const size_t given = args.size() - first;
  for (size_t i = 0; i < given; ++i) {
    long cents = 0;
    if (!ParseDollars(args[first + i], &cents)) return Usage("montant invalide : " + args[first + i]);
    record->goals[i] = static_cast<int32_t>(cents);
  }
  if (given == 1) {
    // The January fill of a new record: the one amount for every month.
    std::string months[12] = {args[first]};
    JanuaryFill(kGoalModeAdding, months);
    for (int m = 1; m < 12; ++m) record->goals[m] = record->goals[0];
  }
  return 0;
}

// Validation then the duplicate check, as the editor runs them before a save.
int CheckRecord(GenDB* db, const GoalInfo& record, int mode, long selected_id) {
  const std::vector<int> failed = ValidateGoalRecord(record, static_cast<int>(ldate_today() / 10000));
  if (!failed.empty()) {
    for (int id : failed) std::fprintf(stderr, "vantra goals-edit : %s\n", ModuleString(id));
    return 1;
  }
  if (DuplicateExist(db, record, mode, selected_id)) {
    return Refuse(std::string("vantra goals-edit : ") + LoadTableString(StringTable::kKelvoUtils, 850));
  }
  return 0;
}

// A change, delete or copy of an id without a row: it never existed or
// another workstation deleted it (even while this command ran).
int NoLongerThere(const std::string& id) {
  return Refuse("vantra goals-edit : aucun objectif n° " + id +
                " : l'enregistrement n'existe plus (effacé d'un autre poste ?), rien n'a changé");
}

int Saved(GoalWrite result, const std::string& error, long id) {
  switch (result) {
    case GoalWrite::kDone:
      std::printf("%ld\n", id);
      return 0;
    case GoalWrite::kDuplicate:
      return Refuse(std::string("vantra goals-edit : ") + LoadTableString(StringTable::kKelvoUtils, 850));
    case GoalWrite::kMissing:
      return NoLongerThere(std::to_string(id));
    case GoalWrite::kChanged:
      return Refuse("vantra goals-edit : l'objectif n° " + std::to_string(id) +
                    " a été modifié d'un autre poste : rien n'a changé");
    default:
      return Refuse("vantra goals-edit : l'enregistrement a échoué, rien n'a changé : " + error);
  }
}

int RunGoalsEdit(const CliOptions& options) {
  const std::vector<std::string>& a = options.positional;
  if (a.empty()) return Usage("sous-commande attendue : list, add, change, delete ou copy");
  const std::string& verb = a[0];
  const size_t n = a.size();
  const bool shape_ok = (verb == "list" && n == 1) || (verb == "add" && (n == 4 || n == 15)) ||
                        (verb == "change" && n == 16) || (verb == "delete" && n == 2) || (verb == "copy" && n == 4);
  if (!shape_ok) {
    return Usage("usage : list [--year A] | add PROD ANNÉE MONTANT | add PROD ANNÉE MONTANT×12 | "
                 "change ID PROD ANNÉE MONTANT×12 | delete ID | copy ID PROD ANNÉE");
  }
  if (!options.overrides.empty()) return Usage("argument inattendu : " + options.overrides.begin()->first);
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error, DbAccess::kWrite)) {
    std::fprintf(stderr, "vantra goals-edit : %s\n", error.c_str());
    return 1;
  }
  QenApplication::SetInstance(&app);
  GenDB* db = app.GetDb();
  const long today = ldate_today();
  // Every verb but list writes: a hot standby is refused before anything is read.
  if (verb != "list" && db->dbIsStandby()) return Refuse(std::string("vantra goals-edit : ") + kStandbyRefusal);

  if (verb == "list") {
    long year = 0;
    auto flag = options.flags.find("year");
    // A filter only: any year the column holds, so that a damaged record
    // (year 20261) can still be found and mended.
    int64_t wanted = 0;
    if (flag != options.flags.end() && !ParseWholeNumber(flag->second, 0, INT32_MAX, "--year", &wanted, &error)) {
      return Usage(error);
    }
    year = static_cast<long>(wanted);
    std::vector<GoalInfo> records;
    if (!LoadGoalRecords(db, static_cast<int>(year), &records, &error)) return Refuse("vantra goals-edit : " + error);
    for (const GoalInfo& g : records) {
      std::printf("%d\t%s\t%d", g.id, g.producer, g.year);
      for (int32_t v : g.goals) std::printf("\t%d", v);
      std::printf("\n");
    }
    return 0;
  }
  if (verb == "delete") {
    long id = 0;
    if (!ParseId(a[1], &id, &error)) return Usage(error);
    return Saved(DeleteGoalRecord(db, id, &error), error, id);
  }
  GoalInfo record;
  int mode = kGoalModeAdding;
  long selected = 0;
  if (verb == "add") {
    if (int rc = ReadPair(db, a[1], a[2], &record)) return rc;
    if (int rc = ReadAmounts(a, 3, &record)) return rc;
  } else if (verb == "change") {
    if (!ParseId(a[1], &selected, &error)) return Usage(error);
    mode = kGoalModeChanging;
    if (int rc = ReadPair(db, a[2], a[3], &record)) return rc;
    if (int rc = ReadAmounts(a, 4, &record)) return rc;
    record.id = static_cast<int32_t>(selected);
  } else {  // copy
    long id = 0;
    if (!ParseId(a[1], &id, &error)) return Usage(error);
    GoalInfo source;
    if (!ReadGoalRecord(db, id, &source, &error)) {
      return error.empty() ? NoLongerThere(a[1]) : Refuse("vantra goals-edit : " + error);
    }
    record = CopyGoalRecord(source);
    if (int rc = ReadPair(db, a[2], a[3], &record)) return rc;
  }
  if (int rc = CheckRecord(db, record, mode, selected)) return rc;
  const GoalWrite result =
      mode == kGoalModeAdding ? InsertGoalRecord(db, &record, today, &error) : UpdateGoalRecord(db, record, today, &error);
  return Saved(result, error, record.id);
}

CliRegistration goals_registration{
    {"goals", "objectifs mensuels : production par mois ou trimestre contre les objectifs (section PRAC_GOALS)",
     "[--db URL] [--today AAAAMMJJ] [CLÉ=VALEUR ...]\n"
     "  Clés (comme dans l'INI) : Year=2026, CompYear=2025, AllProducers=Y|N, Producers=D01,H01,\n"
     "  TotalsOnly=Y|N, ReportBy=M|Q, Month=YYYYYYYYYYYY, Q=YNNN, ShowTotCol=Y|N, NoGoals=Y|N,\n"
     "  RoundUp=Y|N, GoalsDisplay=C|D|K, FeesDisplay=C|D|K, Bold0-2, Color0-2, GoalColor0-2,\n"
     "  GoalFrom0-2, GoalTo0-2.\n"
     "  --format tsv --item-data : le genre de ligne (1-4, vide pour une ligne blanche) avant chaque ligne.\n"
     "  --clinics P1,P2 | --all-clinics : le rapport de chaque cabinet, puis le total du groupe (production\n"
     "  et objectifs additionnés par producteur et par année, pourcentages recalculés ; --chart : le total).",
     {{"chart", true,
       "dessine le diagramme dans --out (PNG ; ses valeurs avec --format tsv) : DONNÉES,AXE[,compare][,style=N] ; "
       "un code ou les mots de la fenêtre (majuscules et accents indifférents, un début sans ambiguïté) : données "
       "10104 Pourcentage, 10338 Production, 92 Objectif ; axe 10079, 10342, 10341, 10151 à 10154 (les choix de "
       "la fenêtre : ex. --chart pourcentage,mois)"},
      DrillFlag("vantra goals Year=2026 --drill 1,2 (production et objectif du premier producteur en janvier)")},
     &RunGoals,
     kGoalsIniSection,
     &GoalsKeys,
     false,
     true}};

CliRegistration goals_edit_registration{
    {"goals-edit", "objectifs : liste, ajout, modification, suppression, copie (table GOALS)",
     "list [--year A] | add PROD ANNÉE MONTANT | add PROD ANNÉE MONTANT×12 |\n"
     "  change ID PROD ANNÉE MONTANT×12 | delete ID | copy ID PROD ANNÉE\n"
     "  PROD : un code de producteur, un groupe comme D*, ou * ; MONTANT en dollars (1500, 19.99) ;\n"
     "  un seul montant remplit les douze mois. L'année du jour vient de --today.",
     {{"year", true, "list : seulement cette année"}},
     &RunGoalsEdit}};

}  // namespace
