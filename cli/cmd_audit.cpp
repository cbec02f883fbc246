// `vantra audit`: the audit tab's detailed or summary list.
// `vantra history`: the audit history of one record.
//
// Options come from the INI section "PRAC_DETAILED" as the audit tab (or the
// history dialog) reads them, then from KEY=VALUE overrides with the same
// keys and encodings; --from/--to replace the dates. Exit status: 0 when the
// list was written (also when it is empty), 1 when rows may be missing (the
// database failed) or the output could not be written, 2 for a bad option.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "audit/audit_drill.h"
#include "audit/audit_generator.h"
#include "audit/audit_group.h"
#include "audit/audit_graph_series.h"
#include "audit/audit_style.h"
#include "audit/audit_options.h"
#include "cli/cli_options.h"
#include "cli/cli_chart.h"
#include "cli/cli_drill.h"
#include "cli/cli_group.h"
#include "cli/cmd_audit.h"
#include "cli/cli_output.h"
#include "host/dates.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "lists/group_list.h"
#include "lists/list_style.h"

namespace {

// A finished generator left for the system to reclaim at exit (reachable,
// so leak checkers do not report it).
PracBaseGenerator* g_left_to_exit = nullptr;

// The keys of PRAC_DETAILED the audit commands take as KEY=VALUE.
const std::vector<std::string>& AuditKeys() {
  static const std::vector<std::string> keys = {"DaysDiff", "SortBy",     "SumBy",      "AllUsers",      "Users",
                                                "AllModules", "Modules", "AuditTypes", "TrackEntryExit"};
  return keys;
}

bool CheckArguments(const char* command, const CliOptions& options) {
  const std::vector<std::string>& keys = AuditKeys();
  for (const auto& [key, value] : options.overrides) {
    if (key.find('.') != std::string::npos) continue;  // SECTION.KEY: another section's key
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
      std::string all;
      for (const std::string& k : keys) all += (all.empty() ? "" : ", ") + k;
      std::fprintf(stderr, "vantra %s : clé inconnue : %s (clés de %s : %s)\n", command, key.c_str(),
                   kAuditIniSection, all.c_str());
      return false;
    }
  }
  if (!options.positional.empty()) {
    std::fprintf(stderr, "vantra %s : argument inattendu : %s\n", command,
                 options.positional[0].c_str());
    return false;
  }
  // A log-on name holds 9 bytes (AUD_USER).
  const std::string users = CheckListEntries(options, kAuditIniSection, "Users", kAuditUserCap - 1);
  if (!users.empty()) {
    std::fprintf(stderr, "vantra %s : %s\n", command, users.c_str());
    return false;
  }
  // Module codes are numbers, each named once.
  const std::string modules = CheckListEntries(options, kAuditIniSection, "Modules", 10, ListEntries::kNumbers);
  if (!modules.empty()) {
    std::fprintf(stderr, "vantra %s : %s\n", command, modules.c_str());
    return false;
  }
  return true;
}

AuditIniReader ReaderOf(const CliOptions& options) {
  return [&options](const char* key, const char* def) {
    return OptionValue(options, kAuditIniSection, key, def);
  };
}

// A whole number given to a flag; false when it is missing or not a number.
bool NumberFlag(const CliOptions& options, const char* name, long* out) {
  auto it = options.flags.find(name);
  if (it == options.flags.end()) return false;
  char* end = nullptr;
  const long value = std::strtol(it->second.c_str(), &end, 10);
  if (it->second.empty() || *end != '\0') return false;
  *out = value;
  return true;
}

class TsvLineSink : public AuditLineSink {
 public:
  explicit TsvLineSink(TsvWriter* writer) : writer_(writer) {}
  void AddLine(std::string_view text, long item_data) override { writer_->Row(text, item_data); }

 private:
  TsvWriter* writer_;
};

// Generates into list (or, for tsv, straight into the output), writes it,
// reports. Returns the exit status.
int GenerateAndWrite(const char* command, PracBaseGenerator* gen, QenListWindow* list,
                     const CliOptions& options, GenDB* db, const AuditOptions& audit) {
  std::string error;
  if (DrillAsked(options)) {
    // The list as --format tsv numbers its lines, then the rows behind the cell.
    DrillTarget target;
    if (!DrillTargetOf(command, options, &target)) return 2;
    AuditDrillMap map;
    map.list_id = list->Id();
    gen->KeepDrillMap(&map);
    gen->Generate(list);
    if (const int status = StopOnOutcome(command, gen->Outcome()); status >= 0) return status;
    const DrillResult drilled =
        DrillAuditCell(db, nullptr, audit, *list, map, target, gen->Outcome().Cancelled());
    return WriteDrill(command, drilled, options, AuditRowEmphasis(drilled.list.get()));
  }
  // --chart MAIN,AXIS draws the list's chart instead of writing its rows.
  auto chart = options.flags.find("chart");
  bool written = false;
  TsvWriter tsv;
  if (chart == options.flags.end() && options.format == "tsv") {
    // tsv needs no list: the lines go to the file as they are made (what
    // WriteList would write from the list, byte for byte), once the rows
    // are all read.
    const bool any = gen->GenerateLines(nullptr);
    if (const int status = StopOnOutcome(command, gen->Outcome()); status >= 0) return status;
    if (!tsv.Open(options, &error)) {
      std::fprintf(stderr, "vantra %s : %s\n", command, error.c_str());
      return 1;
    }
    TsvLineSink sink(&tsv);
    if (any) gen->FillLines(&sink);
    // Lost in the name look-ups: the writer, never finished, drops its
    // temporary file and leaves options.out as it was.
    if (const int status = StopOnOutcome(command, gen->Outcome()); status >= 0) return status;
    written = tsv.Finish(&error);
  } else {
    gen->Generate(list);
    if (const int status = StopOnOutcome(command, gen->Outcome()); status >= 0) return status;
    written = chart != options.flags.end()
                  ? WriteAuditListChart(*list, list->Id() == 301 ? 1 : 0, options, &error)
                  : WriteAuditList(*list, options, &error);
  }
  if (!written) std::fprintf(stderr, "vantra %s : %s\n", command, error.c_str());
  SayIfCancelled(command, gen->Outcome(), "les lignes obtenues ont été écrites");
  return written ? 0 : 1;
}

// Parses the audit lists' --chart: "MAIN,AXIS[,style=N][,axis=P|T][,main=P|T]".
bool ParseChartFlag(const std::string& value, int list_kind, AuditGraphRequest* request, int* style,
                    std::string* error) {
  const std::vector<ChartChoice> choices = AuditChartChoices(list_kind);
  ChartArgs args;
  if (!ParseChartArgs(value, 2, {"axis=P|T", "main=P|T"}, "--chart attend DONNÉES,AXE (" + ChartChoicesText(choices) + ")",
                      &args, error)) {
    return false;
  }
  std::string main, axis;
  if (!PickChartChoice(args.positional[0], choices, "données", &main, error) ||
      !PickChartChoice(args.positional[1], choices, "axe", &axis, error)) {
    return false;
  }
  request->list_kind = list_kind;
  request->main_code = main[0];
  request->axis_code = axis[0];
  request->row_values = list_kind == 1;
  if (args.Has("axis")) request->grouping.axis = args.Get("axis")[0];
  if (args.Has("main")) request->grouping.main = args.Get("main")[0];
  *style = args.style;
  return true;
}

}  // namespace

bool WriteAuditList(const QenListWindow& list, const CliOptions& options, std::string* error, CellStyleFn style) {
  ListDecor decor;
  if (list.Id() == 300 || list.Id() == 301) {
    decor.title = LoadTableString(StringTable::kModule, list.Id() == 300 ? 10 : 11);
  } else if (!options.out.empty()) {
    decor.title = std::filesystem::path(options.out).stem().string();
  }
  decor.style = style ? std::move(style) : AuditRowEmphasis(&list);
  if (options.from_given && options.to_given) decor.period = PeriodText(options.from, options.to);
  return WriteList(list, options, decor, error);
}

std::vector<ChartChoice> AuditChartChoices(int list_kind) {
  std::vector<ChartChoice> out;
  const int count = AuditGraphCodeCount(list_kind);
  for (int i = 0; i < count; ++i) {
    const AuditGraphCode& c = kAuditGraphCodes[i];
    out.push_back({std::string(1, c.code), LoadTableString(StringTable::kHost, c.title_string_id)});
  }
  return out;
}

bool WriteAuditListChart(const QenListWindow& list, int list_kind, const CliOptions& options,
                         std::string* error) {
  auto flag = options.flags.find("chart");
  if (flag == options.flags.end()) {
    *error = "--chart manque";
    return false;
  }
  AuditGraphRequest request;
  int style = 0;
  if (!ParseChartFlag(flag->second, list_kind, &request, &style, error)) return false;
  TDList series;
  BuildAuditGraphSeries(list, request, &series);
  auto title_of = [](char code) {
    for (const AuditGraphCode& c : kAuditGraphCodes) {
      if (c.code == code) return std::string(HostString(c.title_string_id));
    }
    return std::string();
  };
  const std::string axis = title_of(request.axis_code);
  return WriteChartSeries(series, title_of(request.main_code) + " par " + axis, axis, style, options, error);
}

namespace {

// --clinics / --all-clinics: each clinic's list under its heading, then the
// group's total: the summary's rows merged across clinics (counts summed
// per combination of the subtotalled keys), or the detailed list's grand
// total of every clinic's rows.
int RunAuditGroup(const CliOptions& options, const AuditOptions& audit, bool summary, const CliGroup& group) {
  AuditGroupLists lists;
  const bool drill = DrillAsked(options);
  DrillTarget target;
  if (drill && !DrillTargetOf("audit", options, &target)) return 2;
  const RunOutcome outcome =
      GenerateAuditGroup(CliPoolOptions(options), group.prefixes, audit, summary, &lists, drill);
  if (const int status = StopOnOutcome("audit", outcome); status >= 0) return status;
  if (drill) {
    // A clinic's line of the group list drills on that clinic.
    std::unique_ptr<GenDB> clinic_db;
    const DrillResult drilled = DrillAuditGroupCell(CliPoolOptions(options), audit, lists, target, &clinic_db);
    return WriteDrill("audit", drilled, options, AuditRowEmphasis(drilled.list.get()));
  }
  std::string error;
  bool written = false;
  if (options.flags.count("chart") != 0) {
    // The chart of the group's total (the clinics' lists are above it).
    written = WriteAuditListChart(*lists.total, summary ? 1 : 0, options, &error);
  } else {
    std::vector<CellStyleFn> styles;
    for (const GroupPart& part : lists.parts) styles.push_back(AuditRowEmphasis(part.list));
    written = WriteAuditList(*lists.composed, options, &error, GroupCellStyle(&lists.origins, std::move(styles)));
  }
  if (!written) std::fprintf(stderr, "vantra audit : %s\n", error.c_str());
  return written ? 0 : 1;
}

int RunAudit(const CliOptions& options) {
  if (!CheckArguments("audit", options)) return 2;
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error)) {
    std::fprintf(stderr, "vantra audit : %s\n", error.c_str());
    return 1;
  }
  QenApplication::SetInstance(&app);
  AuditOptions audit;
  ReadAuditTabOptions(ReaderOf(options), ldate_today(), &audit);
  if (options.from_given) audit.from_date = options.from;
  if (options.to_given) audit.to_date = options.to;
  const bool summary = options.flags.count("summary") != 0;
  CliGroup group;
  if (const int status = ResolveCliGroup("audit", options, app.GetDb(), &group); status >= 0) return status;
  if (group.Active()) return RunAuditGroup(options, audit, summary, group);
  QenListWindow list(summary ? 301 : 300);
  LoadRes(&list, summary ? 301 : 300);
  if (summary) {
    PracSummaryGenerator gen(app.GetDb(), app.GetMainWindow(), &audit);
    return GenerateAndWrite("audit", &gen, &list, options, app.GetDb(), audit);
  }
  // The command ends when this returns: the generator (a million elements
  // for a large list) is left for the system to take back at exit, faster
  // than deleting it element by element.
  auto gen = std::make_unique<PracDetailedGenerator>(app.GetDb(), app.GetMainWindow(), &audit);
  const int status = GenerateAndWrite("audit", gen.get(), &list, options, app.GetDb(), audit);
  // A batch runs several lists in one process: the one before goes now.
  delete std::exchange(g_left_to_exit, gen.release());
  return status;
}

int RunHistory(const CliOptions& options) {
  if (!CheckArguments("history", options)) return 2;
  long record = 0, module = 0, account = 0;
  if (!NumberFlag(options, "record", &record) || record == 0) {
    std::fprintf(stderr, "vantra history : --record ID (un nombre non nul) est requis\n");
    return 2;
  }
  if (!NumberFlag(options, "module", &module)) {
    std::fprintf(stderr, "vantra history : --module CODE (20105, 20120, 20160 ...) est requis\n");
    return 2;
  }
  if (options.flags.count("account") != 0 && !NumberFlag(options, "account", &account)) {
    std::fprintf(stderr, "vantra history : --account demande un nombre\n");
    return 2;
  }
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error)) {
    std::fprintf(stderr, "vantra history : %s\n", error.c_str());
    return 1;
  }
  QenApplication::SetInstance(&app);
  AuditOptions audit;
  ReadAuditHistoryOptions(ReaderOf(options), module, &audit);
  if (options.from_given) audit.from_date = options.from;
  if (options.to_given) audit.to_date = options.to;
  QenListWindow list(5111);
  LoadDialogListRes(&list, 2006, 5111);
  PracAuditGenerator gen(app.GetDb(), app.GetMainWindow(), &audit, record, account);
  return GenerateAndWrite("history", &gen, &list, options, app.GetDb(), audit);
}

CliRegistration audit_registration{
    {"audit", "journal d'audit : liste détaillée ou sommaire (section PRAC_DETAILED)",
     "[--summary] [--db URL] [--from AAAAMMJJ] [--to AAAAMMJJ] [CLÉ=VALEUR ...]\n"
     "  Clés (comme dans l'INI) : DaysDiff, SortBy (ex. 2100 = date puis usager),\n"
     "  SumBy (usager, date, module, action ; ex. 0100), AllUsers=Y|N, Users=a,b,\n"
     "  AllModules=Y|N, Modules=20105,2060, AuditTypes=A|H|B, TrackEntryExit=Y|N.\n"
     "  Sans INI : AllModules=N et aucun module, donc rien n'est listé ; donnez\n"
     "  AllModules=Y ou Modules=...",
     {{"summary", false, "liste de sommaire (au lieu de la liste détaillée)"},
      {"chart", true, "dessine le diagramme de la liste dans --out (PNG ; ses valeurs avec --format tsv) : "
                      "PRINCIPAL,AXE, codes "
                      "1 usager, 2 date, 3 module, 4 action, 5 table, ou les mots de la fenêtre (majuscules et "
                      "accents indifférents, un début sans ambiguïté) ; ex. 4,1 ou action,usager"},
      DrillFlag("vantra audit --summary SumBy=1000 --drill 1,6 (les lignes d'audit du premier usager)")},
     &RunAudit,
     kAuditIniSection,
     &AuditKeys,
     false,
     true}};

CliRegistration history_registration{
    {"history", "historique des audits d'un dossier",
     "--record ID --module CODE [--account ID] [--db URL] [CLÉ=VALEUR ...]",
     {{"record", true, "identifiant du dossier"},
      {"module", true, "module appelant : 20105 patient, 20120 références, 20160 médical"},
      {"account", true, "compte dont les lignes sont aussi montrées (module 20105)"},
      DrillFlag("vantra history --record 12 --module 20105 --drill 3,1 (les lignes que compte un total)")},
     &RunHistory,
     kAuditIniSection,
     &AuditKeys}};

}  // namespace
