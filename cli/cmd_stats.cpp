// `vantra stats`: the practice-statistics lists of the "Analyse du cabinet"
// tab (patients, productivity, case acceptance, summary).
//
// Options come from the INI section "PRAC_STATS" as the tab reads them
// (AllProducers, Producers, FeesGoal in cents, the colour keys), then from
// KEY=VALUE overrides (also written PRAC_STATS.KEY=VALUE);
// PRAC_APPT.ProdUnits=U|H|B sets the productivity units. --from/--to
// replace the dates (default: one month back to today).
//
// --list all (the default) writes the four lists in the print-all order,
// each after a line with its title; with --format pdf the four lists make
// one document, as "Imprimer Tous" prints it, and with --format xlsx one
// workbook with a sheet per list. --chart FIGURE draws (or, with --format
// tsv, lists the values of) the chart of the one list --list names.
// --format tsv --item-data
// writes each row after its item data: the ordinal (patients), 1 or 0
// (productivity, summary), the record's category (case acceptance: 20 on
// headers, 21 on totals); rows without item data start with an empty field.
//
// --clinics / --all-clinics (a dental group): each list is every clinic's
// list under its heading, then the group's total computed from the clinics'
// figures (stats/stats_group.h); --list all keeps one title line per list.
// --chart draws the total; --drill on a clinic's row drills on that clinic,
// on a heading or a row of the total is refused (exit 2).
//
// Exit status: 0 when the lists were written (also when empty), 1 when a
// list could not be computed (the database or the production service
// failed, the productivity list is not connected) or the output could not
// be written, 2 for a bad option.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "bridge/appt_productivity_source.h"
#include "cli/cli_chart.h"
#include "cli/cli_drill.h"
#include "cli/cli_group.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "host/atomic_file.h"
#include "host/dates.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "lists/group_list.h"
#include "stats/case_acceptance.h"
#include "suite/pick_lists.h"
#include "suite/production_service.h"
#include "stats/stats_drill.h"
#include "stats/stats_generator.h"
#include "stats/stats_graph_series.h"
#include "stats/stats_group_run.h"
#include "stats/stats_options.h"

#if VANTRA_CLI_QT
#include <QPrinter>
#include <QString>

#include "lists/qt/graph_chart.h"
#include "lists/qt/list_print_layout.h"
#include "lists/qt/offscreen_app.h"
#include "lists/qt/print_list_view.h"
#endif

namespace {

constexpr char kApptUnitsKey[] = "PRAC_APPT.ProdUnits";

// The keys the command takes as KEY=VALUE: PRAC_STATS's (also written
// PRAC_STATS.KEY) and PRAC_APPT.ProdUnits.
const std::vector<std::string>& StatsKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k = {"AllProducers", "Producers",  "FeesGoal",    "DiffColorBy", "PctColorBy",
                                  "UsageColorBy", "AmtColorBy", "FeesColorBy", "PmtsColorBy"};
    for (const char* stem : {"DiffColor", "PctColor", "UsageColor", "AmountColor", "FeesColor", "PmtsColor",
                             "DiffFrom", "DiffTo", "PctFrom", "PctTo", "UsageFrom", "UsageTo", "AmountFrom",
                             "AmountTo", "FeesFrom", "FeesTo", "PmtsFrom", "PmtsTo"}) {
      for (int i = 0; i < 3; ++i) k.push_back(stem + std::to_string(i));
    }
    k.push_back(kApptUnitsKey);
    return k;
  }();
  return keys;
}

bool KnownKey(const std::string& key) {
  const std::vector<std::string>& keys = StatsKeys();
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::string StripSection(const std::string& key) {
  const std::string prefix = std::string(kStatsIniSection) + ".";
  return key.rfind(prefix, 0) == 0 ? key.substr(prefix.size()) : key;
}

// The PRAC_STATS value of key: an override (KEY or PRAC_STATS.KEY), else the INI.
StatsIniReader ReaderOf(const CliOptions& options) {
  return [&options](const char* key, const char* def) {
    auto it = options.overrides.find(std::string(kStatsIniSection) + "." + key);
    if (it != options.overrides.end()) return it->second;
    return OptionValue(options, kStatsIniSection, key, def);
  };
}

int ListOfName(const std::string& name) {
  if (name == "patients") return kStatsPatients;
  if (name == "productivity") return kStatsProductivity;
  if (name == "acceptance") return kStatsAcceptance;
  if (name == "summary") return kStatsSummary;
  if (name == "all") return 0;
  return -1;
}

// The item-data field of a row (see the file comment).
std::string ItemDataField(const QenListWindow& list, int list_number, int row) {
  switch (list_number) {
    case kStatsAcceptance: {
      const auto* e = dynamic_cast<const CaseStatsElem*>(list.GetItemRecord(row));
      return e ? std::to_string(e->rec.category) : std::string();
    }
    case kStatsPatients: {
      const long d = list.GetItemData(row);
      return d != 0 ? std::to_string(d) : std::string();
    }
    default:
      return std::to_string(list.GetItemData(row));
  }
}

// One list the command writes: its number, rows, decor and the item-data
// field of each row (--format tsv --item-data).
struct StatsOutput {
  int number = 0;
  const QenListWindow* list = nullptr;
  ListDecor decor;
  std::function<std::string(int row)> item_data;
};

void WriteTsv(FILE* f, const StatsOutput& out, const CliOptions& options) {
  const QenListWindow& list = *out.list;
  CountWritten(options, list.GetCount());
  for (int r = 0; r < list.GetCount(); ++r) {
    if (options.item_data) std::fprintf(f, "%s\t", out.item_data(r).c_str());
    const std::string_view row = list.GetString(r);
    PutBytes(f, row);
    std::fputc('\n', f);
  }
}

ListDecor DecorOf(const StatsLists& lists, int n, const std::string& period) {
  ListDecor decor;
  decor.period = period;
  decor.title = ModuleString(StatsListTitle(n));
  decor.style = StatsRowStyle(&lists.List(n), n);
  decor.colors = &lists.Colours(n);
  return decor;
}

// The print-all document (or one list) as a PDF.
bool WriteStatsPdf(const std::vector<StatsOutput>& outs, const std::string& path, std::string* error) {
#if VANTRA_CLI_QT
  if (!EnsureGuiApplication()) {
    *error = "impossible d'imprimer : pas d'application graphique";
    return false;
  }
  std::vector<std::unique_ptr<ListReport>> reports;
  for (const StatsOutput& o : outs) reports.push_back(std::make_unique<ListReport>(ReportOf(*o.list, o.decor)));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageSize(QPageSize(QPageSize::Letter));
  printer.setCreator(QStringLiteral("Vantra"));
  PrintSettings settings;
  if (outs.size() > 1) {
    settings.report_title = QString::fromUtf8(ModuleString(kStatsReportTitle));
    settings.text_scale = 0.75;
    settings.row_scale = 0.75;
  }
  printer.setDocName(outs.size() > 1 ? settings.report_title : QString::fromStdString(reports[0]->title));
  ListPrintJob job(&printer, settings);
  for (const auto& r : reports) job.AddList(r.get(), QString::fromStdString(r->title));
  QString qerror;
  if (!PrintIntoFile(&printer, [&job](QString* e) { return job.Run(e); }, &qerror)) {
    *error = qerror.toStdString();
    return false;
  }
  return true;
#else
  (void)outs;
  (void)path;
  *error = "le format pdf n'est pas offert par cette construction (sans Qt)";
  return false;
#endif
}

// --chart FIGURE[,style=N][,axis=P|T][,main=P|T][,row=N]
bool WriteStatsChart(const StatsLists& lists, int n, const StatsSelection& s, const std::string& value,
                     const CliOptions& options, std::string* error) {
  StatsGraphRequest request;
  request.list_number = n;
  request.grouping.main = 'T';  // categories by row label (see stats_graph_series.h)
  std::vector<ChartChoice> figures;
  for (int f : StatsGraphFigures(n)) figures.push_back({std::to_string(f), StatsGraphFigureText(f)});
  ChartArgs args;
  if (!ParseChartArgs(value, 1, {"axis=P|T", "main=P|T", "row=#", "dates"},
                      "--chart attend une donnée : " + ChartChoicesText(figures), &args, error)) {
    return false;
  }
  std::string figure;
  if (!PickChartChoice(args.positional[0], figures, "données", &figure, error)) return false;
  request.figure = std::atoi(figure.c_str());
  if (args.Has("axis")) request.grouping.axis = args.Get("axis")[0];
  if (args.Has("main")) request.grouping.main = args.Get("main")[0];
  if (args.Has("row")) request.selected_row = std::atoi(args.Get("row").c_str());
  const bool show_dates = args.Has("dates");
  const int style = args.style;
  TDList series;
  BuildStatsGraphSeries(lists.List(n), request, &series);
  const std::string title = std::string(ModuleString(StatsListTitle(n))) + " : " + StatsGraphFigureText(request.figure);
  const std::string subtitle = show_dates ? StatsShowDatesText(s.from, s.to) : std::string();
  return WriteChartSeries(series, title, HostString(StatsGraphAxis(n)), style, options, error, subtitle,
                          StatsGraphUnit(n, request.figure));
}

// SECTION.KEY=VALUE arguments (PRAC_STATS.FeesGoal=..., PRAC_APPT.ProdUnits=B)
// join the overrides under their full name.
bool TakeSectionOverrides(CliOptions* options) {
  std::vector<std::string> rest;
  for (const std::string& arg : options->positional) {
    const size_t eq = arg.find('=');
    const size_t dot = arg.find('.');
    if (eq != std::string::npos && dot != std::string::npos && dot < eq && dot > 0 && arg[0] != '-') {
      options->overrides[arg.substr(0, eq)] = arg.substr(eq + 1);
    } else {
      rest.push_back(arg);
    }
  }
  options->positional = rest;
  return true;
}

// The number keys of the statistics tab typed on the command line: the
// fees goal in whole cents, the colour ranges as the tab's fields hold them
// (percentages and usage are shorts, amounts are cents), colours 0x00BBGGRR.
std::vector<NumberKey> StatsNumberKeys() {
  std::vector<NumberKey> keys = {{"FeesGoal", 0, INT32_MAX}};
  for (const char* stem : {"Diff", "Pct", "Usage", "Amount", "Fees", "Pmts"}) {
    const bool short_bounds = std::string(stem) == "Diff" || std::string(stem) == "Pct" || std::string(stem) == "Usage";
    const int64_t low = short_bounds ? SHRT_MIN : INT32_MIN, high = short_bounds ? SHRT_MAX : INT32_MAX;
    AddNumberKeys(&keys, (std::string(stem) + "From").c_str(), low, high);
    AddNumberKeys(&keys, (std::string(stem) + "To").c_str(), low, high);
    AddNumberKeys(&keys, (std::string(stem) + "Color").c_str(), 0, kMaxColour);
  }
  return keys;
}

// Writes the lists in order in options.format: one PDF document, one
// workbook (a sheet per list), or the text formats into one file (or
// standard output), each list after its title line when there are several.
// 0 when written, else 1 once the line is printed.
int WriteStatsOutputs(const std::vector<StatsOutput>& outs, const CliOptions& options) {
  std::string error;
  bool written = true;
  if (options.format == "pdf") {
    if (options.out.empty()) {
      error = "le format pdf demande --out FICHIER";
      written = false;
    } else {
      written = WriteStatsPdf(outs, options.out, &error);
      if (written) {
        for (const StatsOutput& o : outs) CountWritten(options, o.list->GetCount());
      }
    }
  } else if (options.format == "xlsx") {
    // One sheet per list, in the print-all order (or the one list asked).
    std::vector<std::unique_ptr<ListReport>> kept;
    std::vector<const ListReport*> reports;
    for (const StatsOutput& o : outs) {
      kept.push_back(std::make_unique<ListReport>(ReportOf(*o.list, o.decor)));
      reports.push_back(kept.back().get());
    }
    const std::string title = outs.size() == 1 ? reports[0]->title : std::string(ModuleString(kStatsReportTitle));
    written = WriteWorkbook(reports, title, options, &error);
  } else {
    // Every list into one file (or standard output), whole or not at all.
    AtomicFile out;
    written = out.Open(options.out, &error);
    FILE* f = out.File();
    for (size_t i = 0; written && i < outs.size(); ++i) {
      if (outs.size() > 1) std::fprintf(f, "%s\n", ModuleString(StatsListTitle(outs[i].number)));
      if (options.format == "tsv") {
        WriteTsv(f, outs[i], options);
      } else {
        WriteListStream(f, *outs[i].list, options);
      }
    }
    if (written) written = out.Commit(&error);
  }
  if (!written) std::fprintf(stderr, "vantra stats : %s\n", error.c_str());
  return written ? 0 : 1;
}

// --clinics / --all-clinics: each list of every clinic under the clinic's
// heading, then the group's total (stats/stats_group_run.h), one list per
// list number; a producer no clinic knows is refused before anything is
// written. --chart draws the group's total; --drill a clinic's row drills
// on that clinic, a heading or a row of the total is refused.
int RunStatsGroup(const CliOptions& options, const StatsSelection& base, const StatsContext& base_context,
                  const std::vector<int>& numbers, const CliGroup& group, const DrillTarget* drill) {
  StatsGroupLists lists;
  const RunOutcome outcome =
      GenerateStatsGroup(CliPoolOptions(options), group.prefixes, base, base_context, numbers, &lists);
  if (const int status = StopOnOutcome("stats", outcome); status >= 0) return status;
  if (drill != nullptr) {
    std::unique_ptr<GenDB> clinic_db;
    return WriteDrill("stats",
                      DrillStatsGroupCell(CliPoolOptions(options), base_context, lists, numbers.front(), *drill,
                                          &clinic_db),
                      options, {});
  }
  std::string error;
  if (options.flags.count("chart") != 0) {
    const bool drawn =
        WriteStatsChart(lists.totals, numbers.front(), base, options.flags.at("chart"), options, &error);
    if (!drawn) std::fprintf(stderr, "vantra stats : %s\n", error.c_str());
    return drawn ? 0 : 1;
  }
  // Every row styled, coloured and given its item data as the list it
  // came from.
  std::vector<StatsOutput> outs;
  const std::string period = PeriodText(base.from, base.to);
  for (int number : numbers) {
    const StatsGroupList* view = lists.Composed(number);
    StatsOutput out;
    out.number = number;
    out.list = &view->list;
    out.decor.title = ModuleString(StatsListTitle(number));
    out.decor.period = period;
    out.decor.style = view->style;
    out.decor.colors = &view->colours;
    out.item_data = [view, number](int row) {
      const GroupRowOrigin& o = view->origins[static_cast<size_t>(row)];
      if (o.row < 0) return ItemDataField(view->list, number, row);
      return ItemDataField(*view->parts[static_cast<size_t>(o.part)].list, number, o.row);
    };
    outs.push_back(std::move(out));
  }
  return WriteStatsOutputs(outs, options);
}

int RunStats(const CliOptions& given) {
  CliOptions options = given;
  TakeSectionOverrides(&options);
  for (const auto& [key, value] : options.overrides) {
    if (!KnownKey(StripSection(key))) {
      std::fprintf(stderr,
                   "vantra stats : clé inconnue : %s (clés de PRAC_STATS : AllProducers, Producers, FeesGoal, "
                   "couleurs et bornes ; PRAC_APPT.ProdUnits)\n",
                   key.c_str());
      return 2;
    }
  }
  if (!options.positional.empty()) {
    std::fprintf(stderr, "vantra stats : argument inattendu : %s\n", options.positional[0].c_str());
    return 2;
  }
  // A producer code holds 3 bytes.
  const std::string producers = CheckListEntries(options, kStatsIniSection, "Producers", 3);
  if (!producers.empty()) {
    std::fprintf(stderr, "vantra stats : %s\n", producers.c_str());
    return 2;
  }
  // The monthly fees goal is a whole amount in cents: the tab reads its INI
  // text with atol, so "1e9" would be a goal of 1 cent.
  const std::string amounts = CheckNumberOverrides(options, kStatsIniSection, StatsNumberKeys());
  if (!amounts.empty()) {
    std::fprintf(stderr, "vantra stats : %s\n", amounts.c_str());
    return 2;
  }
  auto list_flag = options.flags.find("list");
  const int only = list_flag == options.flags.end() ? 0 : ListOfName(list_flag->second);
  if (only < 0) {
    std::fprintf(stderr, "vantra stats : --list patients, productivity, acceptance, summary ou all\n");
    return 2;
  }
  auto lookups = options.flags.find("lookups");
  if (lookups != options.flags.end() && lookups->second != "set" && lookups->second != "statement") {
    std::fprintf(stderr, "vantra stats : --lookups set ou statement\n");
    return 2;
  }
  const bool chart = options.flags.count("chart") != 0;
  if (chart && only == 0) {
    std::fprintf(stderr, "vantra stats : --chart porte sur une liste : donnez --list patients, productivity, "
                         "acceptance ou summary\n");
    return 2;
  }
  DrillTarget target;
  if (DrillAsked(options)) {
    if (only == 0) {
      std::fprintf(stderr, "vantra stats : --drill porte sur une liste : donnez --list patients, productivity, acceptance ou summary\n");
      return 2;
    }
    if (!DrillTargetOf("stats", options, &target)) return 2;
  }
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error)) {
    std::fprintf(stderr, "vantra stats : %s\n", error.c_str());
    return 1;
  }
  QenApplication::SetInstance(&app);
  // The summary asks the suite's production service (command 2536).
  if (app.Channel() == nullptr) InstallProductionService(&app);

  const StatsIniReader read = ReaderOf(options);
  StatsSelection sel;
  ReadStatsSelection(read, ldate_today(), &sel);
  if (options.from_given) sel.from = options.from;
  if (options.to_given) sel.to = options.to;
  StatsContext context;
  ReadStatsColorOptions(read, &context.colors);
  sel.fees_goal = context.colors.fees_goal;
  context.db = app.GetDb();
  auto units = options.overrides.find(kApptUnitsKey);
  context.prod_units = ReadProdUnits([&](const char* key, const char* def) {
    return units != options.overrides.end() ? units->second : OptionValue(options, "PRAC_APPT", key, def);
  });
  context.statement_lookups = lookups != options.flags.end() && lookups->second == "statement";
  std::vector<int> numbers;
  if (only != 0) numbers.push_back(only);
  else numbers.assign(std::begin(kStatsPrintOrder), std::end(kStatsPrintOrder));

  CliGroup group;
  if (const int status = ResolveCliGroup("stats", options, context.db, &group); status >= 0) return status;
  if (group.Active()) {
    if (!StatsSelectionUsable(sel)) {
      std::fprintf(stderr, "vantra stats : aucun producteur choisi, ou la date de fin précède la date de début\n");
      return 2;
    }
    // Each clinic runs this computation over its own connection.
    ApptProductivitySource productivity(app.GetDb(), nullptr, 0);
    context.productivity = &productivity;
    return RunStatsGroup(options, sel, context, numbers, group, DrillAsked(options) ? &target : nullptr);
  }

  // As the tab's producer list: under "Tous" every active producer is selected.
  if (sel.all_producers == 'Y') {
    sel.SetProducers(ActiveProducerCodes(context.db));
    const int unread = DatabaseReadFailed("stats", context.db, "la liste des producteurs");
    if (unread >= 0) return unread;
  } else {
    const std::string unknown = UnknownProducer(context.db, sel.producers);
    const int unread = DatabaseReadFailed("stats", context.db, "la liste des producteurs");
    if (unread >= 0) return unread;
    if (!unknown.empty()) {
      std::fprintf(stderr, "vantra stats : %s\n", unknown.c_str());
      return 2;
    }
  }
  context.channel = app.Channel();
  context.owner = app.GetMainWindow();
  // The productivity computation is another tab's: the build hands it in
  // through the bridge between the two tabs.
  ApptProductivitySource productivity(app.GetDb(), app.GetMainWindow(), 0);
  context.productivity = &productivity;
  if (!StatsSelectionUsable(sel)) {
    std::fprintf(stderr, "vantra stats : aucun producteur choisi, ou la date de fin précède la date de début\n");
    return 2;
  }

  StatsLists lists;
  bool computed = true;
  for (int n : numbers) {
    const RunOutcome outcome = FillStatsList(n, sel, context, &lists);
    // The one line, and nothing written: the run is partial.
    if (outcome.ServerLost()) return StopOnOutcome("stats", outcome);
    // Each list that failed, by its title; the others are still computed.
    if (!outcome.Complete()) {
      std::fprintf(stderr, "vantra stats : %s : %s\n", ModuleString(StatsListTitle(n)), outcome.message.c_str());
      computed = false;
    }
  }
  // A list whose statement failed lacks what it read: nothing is written.
  if (!computed) {
    std::fprintf(stderr, "vantra stats : rien n'est écrit\n");
    return 1;
  }

  if (DrillAsked(options)) {
    return WriteDrill("stats", DrillStatsCell(context, sel, only, lists.List(only), target), options, {});
  }
  if (chart) {
    const bool drawn = WriteStatsChart(lists, only, sel, options.flags.at("chart"), options, &error);
    if (!drawn) std::fprintf(stderr, "vantra stats : %s\n", error.c_str());
    return drawn ? 0 : 1;
  }
  std::vector<StatsOutput> outs;
  for (int n : numbers) {
    const QenListWindow* list = &lists.List(n);
    outs.push_back({n, list, DecorOf(lists, n, PeriodText(sel.from, sel.to)),
                    [list, n](int row) { return ItemDataField(*list, n, row); }});
  }
  return WriteStatsOutputs(outs, options);
}

CliRegistration stats_registration{
    {"stats", "analyse du cabinet : patients, productivité, acceptation des cas, sommaire (section PRAC_STATS)",
     "[--list patients|productivity|acceptance|summary|all] [--db URL] [--from AAAAMMJJ] [--to AAAAMMJJ]\n"
     "       [CLÉ=VALEUR ...]\n"
     "  Clés (comme dans l'INI, section PRAC_STATS) : AllProducers=Y|N, Producers=D01,H01,\n"
     "  FeesGoal (objectif mensuel en cents), couleurs et bornes (FeesColor0, FeesFrom0, FeesTo0 ...),\n"
     "  FeesColorBy=D|T|B ... ; PRAC_APPT.ProdUnits=U|H|B pour la liste de productivité.\n"
     "  --list all (défaut) écrit les quatre listes, chacune après une ligne de titre ;\n"
     "  en pdf, les quatre listes forment un seul document (Imprimer Tous).",
     {{"list", true, "patients, productivity, acceptance, summary ou all (défaut)"},
      {"lookups", true, "acceptation des cas : set (défaut, lectures groupées) ou statement (une par ligne)"},
      {"chart", true,
       "dessine le diagramme de la liste dans --out (PNG ; ses valeurs avec --format tsv) : "
       "DONNÉE[,style=N][,axis=P|T][,main=P|T][,row=N][,dates] ; DONNÉE = un code ou les mots de la fenêtre "
       "(ex. 10326 ou nouveaux, 277 ou usage, 10177 ou nombre)"},
      DrillFlag("vantra stats --list patients --drill 1,2 (les nouveaux patients du premier dentiste)")},
     &RunStats,
     kStatsIniSection,
     &StatsKeys,
     false,
     true}};

}  // namespace
