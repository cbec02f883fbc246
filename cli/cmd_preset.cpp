// `vantra preset`: the report presets of the practice database (table
// PRESETS, suite/presets.h).
//
//   save NAME ANALYSIS [options of the analysis] [--period RULE] [--replace]
//   list [ANALYSIS]          one line per preset (--format tsv: tab-separated)
//   show NAME [ANALYSIS]     every field, the keys one per line
//   delete NAME [ANALYSIS]   ANALYSIS needed when the name is used by several
//   keys ANALYSIS            the KEY= the analysis takes, one per line
//
// Exit status: 0 done; 1 a name that exists (save without --replace), a
// database that failed; 2 bad arguments, an unknown preset or analysis.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_preset.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "suite/presets.h"

namespace {

constexpr const char* kCommand = "preset";

int Bad(const std::string& message) {
  std::fprintf(stderr, "vantra %s : %s\n", kCommand, message.c_str());
  return 2;
}

int Failed(GenDB* db, const std::string& message) {
  const int lost = DatabaseReadFailed(kCommand, db, "les préréglages");
  if (lost == kExitPartial) return lost;
  std::fprintf(stderr, "vantra %s : %s\n", kCommand, message.c_str());
  return 1;
}

std::string DateText(long date) {
  char text[32];
  return ldate_to_str1(text, date, 530);
}

std::string Quoted(const Preset& p) { return "« " + p.name + " » (" + p.analysis + ")"; }

// The analysis named on the command line, or "" with the line printed.
const CliCommand* AnalysisOf(const std::string& analysis) {
  const CliCommand* command = PresetCommand(analysis);
  if (command == nullptr) Bad("analyse inconnue : « " + analysis + " » (audit, productivity, stats ou goals)");
  return command;
}

std::string PeriodCode(const Preset& p) {
  if (p.period == PeriodRule::kFixed) return "fixed:" + std::to_string(p.from) + "-" + std::to_string(p.to);
  return PeriodRuleCode(p.period);
}

std::string FlagsText(const Preset& p) {
  std::string out;
  for (const auto& [name, value] : p.flags) {
    out += (out.empty() ? "--" : " --") + name;
    if (!value.empty()) out += " " + value;
  }
  return out;
}

// Display width of UTF-8 text: one column per code point.
size_t Width(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

void PrintAligned(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width;
  for (const auto& row : rows) {
    width.resize(std::max(width.size(), row.size()), 0);
    for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], Width(row[c]));
  }
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(width[c] - Width(row[c]) + 2, ' ');
    }
    std::printf("%s\n", line.c_str());
  }
}

int List(GenDB* db, const std::string& analysis, const CliOptions& options) {
  std::vector<Preset> presets;
  std::string error;
  if (!ListPresets(db, analysis, &presets, &error)) return Failed(db, "les préréglages : " + error);
  if (options.format == "tsv") {
    for (const Preset& p : presets) {
      std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", p.analysis.c_str(), p.name.c_str(), PeriodCode(p).c_str(),
                  p.format.c_str(), p.saved_by.c_str(), DateText(p.saved_on).c_str());
    }
    return 0;
  }
  if (presets.empty()) {
    std::printf("Aucun préréglage%s.\n", analysis.empty() ? "" : (" pour " + analysis).c_str());
    return 0;
  }
  std::vector<std::vector<std::string>> rows = {{"Analyse", "Nom", "Période", "Format", "Enregistré par", "Le"}};
  for (const Preset& p : presets) {
    rows.push_back({p.analysis, p.name, PresetPeriodLabel(p), p.format.empty() ? "(défaut)" : p.format, p.saved_by,
                    DateText(p.saved_on)});
  }
  PrintAligned(rows);
  return 0;
}

int Show(GenDB* db, const std::string& name, const std::string& analysis) {
  std::vector<Preset> presets;
  std::string error;
  if (!FindPresets(db, analysis, name, &presets, &error)) return Failed(db, "les préréglages : " + error);
  if (presets.empty()) return Bad("préréglage inconnu : « " + name + " »" + (analysis.empty() ? "" : " (" + analysis + ")"));
  bool first = true;
  for (const Preset& p : presets) {
    if (!first) std::printf("\n");
    first = false;
    const std::string code = PeriodRuleCode(p.period);
    std::printf("Analyse : %s\nNom : %s\nPériode : %s%s\n", p.analysis.c_str(), p.name.c_str(),
                PresetPeriodLabel(p).c_str(), code.empty() || p.period == PeriodRule::kFixed ? "" : (" (" + code + ")").c_str());
    std::printf("Format : %s\n", p.format.empty() ? "(défaut : xlsx dans un lot, celui de la commande sinon)" : p.format.c_str());
    std::printf("Options : %s\n", p.flags.empty() ? "(aucune)" : FlagsText(p).c_str());
    std::printf("Enregistré par : %s, le %s\n", p.saved_by.empty() ? "?" : p.saved_by.c_str(), DateText(p.saved_on).c_str());
    std::printf("Clés :%s\n", p.keys.empty() ? " (aucune)" : "");
    for (const auto& key : p.keys) std::printf("  %s\n", PresetPairsText({key}).c_str());
  }
  return 0;
}

int Delete(GenDB* db, const std::string& name, const std::string& analysis) {
  std::vector<Preset> presets;
  std::string error;
  if (!FindPresets(db, analysis, name, &presets, &error)) return Failed(db, "les préréglages : " + error);
  if (presets.empty()) return Bad("préréglage inconnu : « " + name + " »" + (analysis.empty() ? "" : " (" + analysis + ")"));
  if (presets.size() > 1) {
    std::string all;
    for (const Preset& p : presets) all += (all.empty() ? "" : ", ") + p.analysis;
    return Bad("« " + name + " » nomme un préréglage de plusieurs analyses (" + all +
               ") : donnez l'analyse (vantra preset delete NOM ANALYSE)");
  }
  if (!DeletePreset(db, presets[0].analysis, name, &error)) return Failed(db, error);
  std::printf("%s supprimé\n", Quoted(presets[0]).c_str());
  return 0;
}

int Save(GenDB* db, Preset* preset, bool replace) {
  std::string error;
  switch (SavePreset(db, preset, replace, &error)) {
    case PresetSaveResult::kSaved:
      std::printf("%s enregistré\n", Quoted(*preset).c_str());
      return 0;
    case PresetSaveResult::kExists:
      std::fprintf(stderr, "vantra %s : %s : ajoutez --replace pour le remplacer\n", kCommand, error.c_str());
      return 1;
    case PresetSaveResult::kRefused:
      return Bad(error);
    case PresetSaveResult::kFailed:
      break;
  }
  return Failed(db, error);
}

int RunPreset(const CliOptions& options) {
  const std::vector<std::string>& a = options.positional;
  if (a.empty()) return Bad("sous-commande attendue : save, list, show, delete ou keys");
  const std::string& verb = a[0];
  const size_t n = a.size();
  const bool shape_ok = (verb == "save" && n == 3) || (verb == "list" && n <= 2) ||
                        ((verb == "show" || verb == "delete") && (n == 2 || n == 3)) || (verb == "keys" && n == 2);
  if (!shape_ok) {
    return Bad("usage : save NOM ANALYSE [options] [--replace] | list [ANALYSE] | show NOM [ANALYSE] | "
               "delete NOM [ANALYSE] | keys ANALYSE");
  }
  if (!options.out.empty()) return Bad("--out ne s'applique pas aux préréglages (vantra batch nomme ses fichiers)");
  if (!options.preset.empty()) return Bad("--preset ne s'applique pas à vantra preset");
  if (verb != "save") {
    // The options of an analysis belong to save only.
    if (!options.overrides.empty()) return Bad("argument inattendu : " + options.overrides.begin()->first);
    if (!options.flags.empty()) return Bad("option inattendue pour " + verb + " : --" + options.flags.begin()->first);
    if (options.from_given || options.to_given) return Bad("--from et --to ne s'appliquent qu'à save");
  }
  if (verb == "list" && options.format != "text" && options.format != "tsv") {
    return Bad("la liste des préréglages s'écrit en text ou en tsv");
  }
  const std::string analysis = verb == "list" ? (n == 2 ? a[1] : "") : verb == "keys" ? a[1] : (n == 3 ? a[2] : "");
  const CliCommand* command = nullptr;
  if (!analysis.empty() && (command = AnalysisOf(analysis)) == nullptr) return 2;
  if (verb == "keys") {
    for (const std::string& key : command->keys()) std::printf("%s\n", key.c_str());
    return 0;
  }
  Preset preset;
  std::string error;
  if (verb == "save") {
    if (std::string why = CheckPresetName(a[1]); !why.empty()) return Bad(why);
    if (!PresetFromOptions(*command, a[1], options, &preset, &error)) return Bad(error);
  }
  const bool writes = verb == "save" || verb == "delete";
  QenApplication app;
  if (!SetUpApplication(options, &app, &error, writes ? DbAccess::kWrite : DbAccess::kRead)) {
    std::fprintf(stderr, "vantra %s : %s\n", kCommand, error.c_str());
    return 1;
  }
  GenDB* db = app.GetDb();
  // A hot standby refuses every write: asked before anything, in one line.
  if (writes && db->dbIsStandby()) {
    std::fprintf(stderr, "vantra %s : %s\n", kCommand, kStandbyRefusal);
    return 1;
  }
  if (verb == "save") return Save(db, &preset, options.flags.count("replace") != 0);
  if (verb == "list") return List(db, analysis, options);
  if (verb == "show") return Show(db, a[1], analysis);
  return Delete(db, a[1], analysis);
}

CliRegistration preset_registration{
    {kCommand, "préréglages de rapports gardés dans la base du cabinet : enregistrer, lister, montrer, supprimer",
     "save NOM ANALYSE [--period RÈGLE | --from AAAAMMJJ --to AAAAMMJJ] [CLÉ=VALEUR ...]\n"
     "       [options de l'analyse] [--format F] [--replace]\n"
     "       | list [ANALYSE] | show NOM [ANALYSE] | delete NOM [ANALYSE] | keys ANALYSE\n"
     "  ANALYSE : audit, productivity, stats ou goals. Un préréglage garde toutes les clés de la\n"
     "  section INI de l'analyse telles que le fichier INI les a, les CLÉ=VALEUR données par-dessus,\n"
     "  la période, les options de l'analyse (--summary, --list ...) et le format.\n"
     "  RÈGLE : last-month, month-to-date, last-7-days, year-to-date, same-day-last-year\n"
     "  (lues le jour où le préréglage s'exécute) ; --from et --to seuls : des dates fixes.\n"
     "  « vantra ANALYSE --preset NOM » l'exécute ; « vantra batch » en écrit les fichiers.",
     {{"period", true, "save : la règle de la période (last-month, month-to-date, ...)"},
      {"replace", false, "save : remplace le préréglage de ce nom"}},
     &RunPreset,
     nullptr,
     nullptr,
     true}};

}  // namespace
