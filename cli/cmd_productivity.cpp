// `vantra productivity`: the productivity tab's report.
//
// Options come from the INI section "PRAC_APPT" as the tab reads them, then
// from KEY=VALUE overrides with the same keys and encodings; --from/--to
// replace the dates (default: one month before today to today). The
// selection is the tab's "Générer": ListBy=P with AllProducers=Y takes every
// active producer by code, AllProducers=N the Producers codes in the order
// given; ListBy=C with AllChairs=Y every chair by number, else the Chairs
// keys. Exit status: 0 when the report was written (also when empty), 1 when
// rows may be missing or the output could not be written, 2 for bad input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "appt/appt_graph_series.h"
#include "appt/appt_lines.h"
#include "appt/appt_style.h"
#include "appt/appt_options.h"
#include "appt/appt_drill.h"
#include "appt/appt_generator.h"
#include "appt/appt_group.h"
#include "cli/cli_chart.h"
#include "cli/cli_drill.h"
#include "cli/cli_group.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "host/sql_literal.h"
#include "host/strings.h"
#include "host/tdlist.h"
#include "lists/group_list.h"

#if VANTRA_CLI_QT
#include <QString>

#include "lists/qt/graph_chart.h"
#include "lists/qt/offscreen_app.h"
#endif

namespace {

constexpr const char* kCommand = "productivity";

// --chart MEASURE,AXIS[,style=N]: MEASURE the label of a row of the first
// period group ("Disponible", "Usage %", a code), AXIS P (periods) or S
// (producers or chairs). Draws the PNG into options.out, or with --format
// tsv writes the chart's values (WriteChartSeries).
bool WriteApptChart(const QenListWindow& list, const PracApptSettings& s, const CliOptions& options,
                    std::string* error) {
  ChartArgs args;
  if (!ParseChartArgs(options.flags.at("chart"), 2, {}, "--chart attend MESURE,AXE (AXE : P périodes, S producteurs ou salles)",
                      &args, error)) {
    return false;
  }
  const std::string label = args.positional[0];
  const std::string rest = args.positional[1];
  const int style = args.style;
  // The axis: P or S, or the words of the window's combo box.
  const long other_axis = s.ListBy == 'C' ? kApptAxisChairs : kApptAxisProducers;
  std::string axis_code;
  if (!PickChartChoice(rest, {{"P", HostString(kApptAxisPeriods)}, {"S", HostString(other_axis)}}, "axe",
                       &axis_code, error)) {
    return false;
  }
  // The measure: a row label of the report ("Disponible", "Usage %", a
  // code), case, accents and blanks aside.
  const std::vector<ApptMeasure> items = ApptMeasureItems(list);
  std::vector<ChartChoice> measures;
  for (size_t i = 0; i < items.size(); ++i) {
    std::string text = items[i].text;
    while (!text.empty() && text.front() == ' ') text.erase(text.begin());
    measures.push_back({text, text});  // the label is its own code
  }
  std::string measure_text;
  if (!PickChartChoice(label, measures, "mesure", &measure_text, error)) return false;
  size_t at = 0;
  while (measures[at].code != measure_text) ++at;
  const ApptMeasure measure = items[at];
  const long axis = axis_code == "P" ? kApptAxisPeriods : other_axis;
  TDList series;
  BuildApptGraphSeries(list, s, measure, axis, GraphGrouping{}, &series);
  const std::string axis_title = HostString(static_cast<int>(axis));
  return WriteChartSeries(series, measure_text + " par " + axis_title, axis_title, style, options, error,
                          std::string(), ApptMeasureUnit(measure.kind, s.ProdUnits));
}

int Bad(const std::string& message) {
  std::fprintf(stderr, "vantra %s : %s\n", kCommand, message.c_str());
  return 2;
}

// Keys and letters; "" when all is well.
std::string CheckKeys(const CliOptions& options) {
  const std::vector<std::string>& keys = ApptOptionKeys();
  for (const auto& [key, value] : options.overrides) {
    if (key.find('.') != std::string::npos) continue;  // another section's key
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
      std::string all;
      for (const std::string& k : keys) all += (all.empty() ? "" : ", ") + k;
      return "clé inconnue : " + key + " (clés de PRAC_APPT : " + all + ")";
    }
    const std::string letters = ApptKeyLetters(key);
    if (!letters.empty() && (value.size() != 1 || letters.find(value[0]) == std::string::npos)) {
      std::string choices;
      for (char c : letters) choices += (choices.empty() ? "" : ", ") + std::string(1, c);
      return "valeur invalide pour " + key + " : « " + value + " » (" + choices + ")";
    }
  }
  if (!options.positional.empty()) return "argument inattendu : " + options.positional[0];
  return std::string();
}

// --clinics / --all-clinics: each clinic's report under its heading, then
// the group's total (appt/appt_group.h). settings holds the options; each
// clinic selects among its own producers or chairs.
int RunProductivityGroup(const CliOptions& options, const PracApptSettings& settings, CliGroup* group) {
  ApptGroupLists lists;
  const bool drill = DrillAsked(options);
  DrillTarget target;
  if (drill && !DrillTargetOf(kCommand, options, &target)) return 2;
  const RunOutcome outcome =
      GenerateApptGroup(QenApplication::Instance()->GetDb(), CliPoolOptions(options), group->prefixes, settings,
                        options.flags.count("statements") != 0, &lists, drill);
  if (outcome.Refused()) return Bad(outcome.message);
  if (const int status = StopOnOutcome(kCommand, outcome); status >= 0) return status;
  if (drill) {
    // A clinic's line of the group list drills on that clinic.
    std::unique_ptr<GenDB> clinic_db;
    return WriteDrill(kCommand, DrillApptGroupCell(CliPoolOptions(options), lists, target, &clinic_db), options, {});
  }
  std::vector<GroupPart>& parts = lists.parts;
  std::vector<GroupRowOrigin>& origins = lists.origins;
  QenListWindow& composed = *lists.composed;
  QenListWindow& total = *lists.total;
  PracApptSettings& total_settings = lists.settings;
  auto reader = [&options](const char* key, const char* def) {
    return OptionValue(options, kApptIniSection, key, def);
  };
  ApptColourOptions colours;
  ReadApptColours(reader, &colours);
  std::vector<CellStyleFn> styles;
  for (const GroupPart& part : parts) {
    const QenListWindow* list = part.list;
    styles.push_back([list, &colours](int row, int column) { return ApptCellStyle(*list, colours, row, column); });
  }
  TDList records;
  CollectGroupColours(parts, origins,
                      [&colours](const QenListWindow& list, TDList* out) { CollectApptColours(list, colours, out); },
                      &records);
  ListDecor decor;
  decor.title = ModuleString(71);
  decor.period = PeriodText(settings.DateFrom, settings.DateTo);
  decor.style = GroupCellStyle(&origins, std::move(styles));
  decor.colors = &records;
  std::string error;
  // --chart draws the group's total.
  const bool written = options.flags.count("chart") != 0 ? WriteApptChart(total, total_settings, options, &error)
                                                         : WriteList(composed, options, decor, &error);
  if (!written) std::fprintf(stderr, "vantra %s : %s\n", kCommand, error.c_str());
  return written ? 0 : 1;
}

int RunProductivity(const CliOptions& options) {
  const std::string bad = CheckKeys(options);
  if (!bad.empty()) return Bad(bad);
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error)) {
    std::fprintf(stderr, "vantra %s : %s\n", kCommand, error.c_str());
    return 1;
  }
  QenApplication::SetInstance(&app);
  auto reader = [&options](const char* key, const char* def) {
    return OptionValue(options, kApptIniSection, key, def);
  };
  PracApptSettings settings;
  ReadApptOptions(reader, ldate_today(), &settings);
  if (options.from_given) settings.DateFrom = options.from;
  if (options.to_given) settings.DateTo = options.to;
  if (settings.DateFrom > settings.DateTo) return Bad("la date de début suit la date de fin");
  // Values the INI file gave must be letters the keys know, too.
  for (const std::string& key : ApptOptionKeys()) {
    const std::string letters = ApptKeyLetters(key);
    const std::string value = OptionValue(options, kApptIniSection, key, "");
    if (!letters.empty() && !value.empty() && letters.find(value[0]) == std::string::npos) {
      return Bad("valeur invalide pour " + key + " : « " + value + " »");
    }
  }
  // The fields of the selection: producer 3, chair key 4, code 5, type 3.
  for (const auto& [key, bytes] : {std::pair<const char*, size_t>{"Producers", 3}, {"Chairs", 4},
                                   {"ApptCodes", 5}, {"ApptTypes", 3}}) {
    const std::string entries = CheckListEntries(options, kApptIniSection, key, bytes);
    if (!entries.empty()) return Bad(entries);
  }
  CliGroup group;
  if (const int status = ResolveCliGroup(kCommand, options, app.GetDb(), &group); status >= 0) return status;
  if (group.Active()) return RunProductivityGroup(options, settings, &group);
  // The selection, as "Générer" takes it: the mode's choices are the known
  // keys, the INI's or the command's list the named ones.
  const bool producers = settings.ListBy == 'P';
  std::vector<ApptChoice> choices;
  LoadApptChoices(app.GetDb(), producers, &choices);
  const int unread = DatabaseReadFailed(kCommand, app.GetDb(),
                                        producers ? "la liste des producteurs" : "la liste des fauteuils");
  if (unread >= 0) return unread;
  std::vector<std::string> known, named;
  for (const ApptChoice& choice : choices) known.push_back(choice.key);
  for (int i = 0; i < kApptMaxSelected; ++i) {
    const char* entry = producers ? settings.Producers[i] : settings.Chairs[i];
    if (entry[0] == '\0') break;
    named.push_back(entry);
  }
  const bool all = (producers ? settings.AllProducers : settings.AllChairs) == 'Y';
  const RunOutcome selection = SelectApptKeys(app.GetDb(), known, all, named, &settings);
  if (selection.Refused()) return Bad(selection.message);

  QenListWindow list(5111);
  LoadDialogListRes(&list, 2003, 5111);
  SetUpApptColumns(&list, &settings);
  PracApptGenerator gen(app.GetDb(), app.GetMainWindow(), 0, &settings);
  if (options.flags.count("statements") != 0) gen.SetStatementReads(true);
  DrillTarget target;
  if (DrillAsked(options) && !DrillTargetOf(kCommand, options, &target)) return 2;
  ApptDrillMap map;
  if (DrillAsked(options)) gen.KeepDrillMap(&map);
  if (settings.SelectedCount > 0) gen.Generate(&list);
  // A lost server (the run is partial) or a statement that failed (a
  // missing table, a damaged file): nothing is written.
  if (const int status = StopOnOutcome(kCommand, gen.Outcome()); status >= 0) return status;
  if (DrillAsked(options)) {
    return WriteDrill(kCommand, DrillApptCell(list, map, target, gen.Outcome().Cancelled(), app.GetDb()), options,
                      {});
  }
  ApptColourOptions colours;
  ReadApptColours(reader, &colours);
  TDList records;
  CollectApptColours(list, colours, &records);
  ListDecor decor;
  decor.title = ModuleString(71);
  decor.period = PeriodText(settings.DateFrom, settings.DateTo);
  decor.style = [&list, &colours](int row, int column) { return ApptCellStyle(list, colours, row, column); };
  decor.colors = &records;
  const bool written = options.flags.count("chart") != 0 ? WriteApptChart(list, settings, options, &error)
                                                         : WriteList(list, options, decor, &error);
  if (!written) std::fprintf(stderr, "vantra %s : %s\n", kCommand, error.c_str());
  SayIfCancelled(kCommand, gen.Outcome(), "les jours calculés ont été écrits");
  return written ? 0 : 1;
}

CliRegistration productivity_registration{
    {kCommand, "productivité de l'horaire : disponible, cédulé, usage, frais, rendez-vous manqués (section PRAC_APPT)",
     "[--db URL] [--from AAAAMMJJ] [--to AAAAMMJJ] [CLÉ=VALEUR ...]\n"
     "  Clés (comme dans l'INI) : ListBy=P|C, ReportBy=D|W|M|Y, TrackProd=Y|N,\n"
     "  ProdUnits=H|U|B, ProdInfo=S|C|T, ReportDollar, NetFees, NoShows,\n"
     "  Unscheduled, Cancelled, TotalsOnly (Y|N), AllProducers=Y|N,\n"
     "  Producers=D01,H01, AllChairs=Y|N, Chairs=A01,B101, ApptCodes=a,b,\n"
     "  ApptTypes=a,b ; SECTION.CLÉ=VALEUR remplace une clé d'une autre section.",
     {{"chart", true, "dessine le diagramme dans --out (PNG ; ses valeurs avec --format tsv) : "
                      "MESURE,AXE[,style=N] ; MESURE = le libellé d'une ligne (Disponible, Usage %, Estimation, "
                      "un code ...), AXE = P (périodes) ou S (producteurs ou salles), ou leurs mots ; majuscules "
                      "et accents indifférents, un début sans ambiguïté (ex. disp,prod)"},
      {"statements", false, "lectures une requête à la fois (comparaison)"},
      DrillFlag("vantra productivity ReportBy=M --drill 1,3 (les rendez-vous cédulés du premier producteur, "
                "premier mois)")},
     &RunProductivity,
     kApptIniSection,
     &ApptOptionKeys,
     false,
     true}};

}  // namespace
