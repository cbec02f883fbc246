// `vantra batch`: runs report presets, each into a file of its own, for a
// timer or a script.
//
//   vantra batch [NAME ...] [--all] [--out-dir DIR]
//
// NAME runs every analysis's preset of that name; --all every preset. Each
// report runs in this process through its command (CliCommands()) with the
// options the preset gives (ApplyPreset), into DIR, else the suite's
// spreadsheet folder ([SUITE] SpreadSheetDir, as the window's export finds
// it), under PresetFileName: "<name> <period>.<ext>", the period resolved
// on --today (or today), the extension of the preset's format (xlsx when it
// has none); when two presets of one run would share a file, each of them
// is named with its analysis too ("Mensuel 2026-11 (audit).xlsx"). A file
// replaces the one of the same name whole (AtomicFile), or is left as it
// was when its report fails.
//
// One line per report on standard error:
//   vantra batch : « NAME » (ANALYSIS) : FILE : N lignes en S s
//   vantra batch : « NAME » (ANALYSIS) : échec (code C) en S s : aucun fichier écrit
// after the report's own line when it failed, and a last line naming the
// failed ones. Exit status: 0 every report written, 1 a report failed (the
// others still ran), 2 bad arguments (no name and no --all, an unknown
// name, no folder), and 1 when the folder cannot be made.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_preset.h"
#include "host/application.h"
#include "host/gendb.h"
#include "suite/presets.h"

namespace {

constexpr const char* kCommand = "batch";

int Bad(const std::string& message) {
  std::fprintf(stderr, "vantra %s : %s\n", kCommand, message.c_str());
  return 2;
}

std::string Quoted(const Preset& p) { return "« " + p.name + " » (" + p.analysis + ")"; }

const char* ExtensionOf(const std::string& format) { return format == "text" ? "txt" : format.c_str(); }

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", seconds);
  std::string out = text;
  for (char& c : out) {
    if (c == '.') c = ',';
  }
  return out;
}

// One report of the run: its preset, the options built from it (or why
// they could not be), its file.
struct Report {
  Preset preset;
  const CliCommand* command = nullptr;
  CliOptions options;
  std::string refused;
  std::string file;
};

int RunBatch(const CliOptions& options) {
  if (options.format_given || !options.out.empty() || options.item_data || !options.overrides.empty() ||
      options.from_given || options.to_given || !options.preset.empty()) {
    return Bad("chaque préréglage donne ses options : seuls --db, --report-db, --prefix, --ini, --today, --all et --out-dir "
               "s'appliquent");
  }
  const bool all = options.flags.count("all") != 0;
  if (!all && options.positional.empty()) return Bad("donnez des noms de préréglages ou --all");
  if (all && !options.positional.empty()) return Bad("--all ou des noms de préréglages, pas les deux");
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error)) {
    std::fprintf(stderr, "vantra %s : %s\n", kCommand, error.c_str());
    return 1;
  }
  GenDB* db = app.GetDb();
  auto read_failed = [&](const std::string& why) {
    const int status = DatabaseReadFailed(kCommand, db, "les préréglages");
    if (status >= 0) return status;
    std::fprintf(stderr, "vantra %s : les préréglages : %s\n", kCommand, why.c_str());
    return 1;
  };
  std::vector<Preset> presets;
  if (all) {
    if (!ListPresets(db, std::string(), &presets, &error)) return read_failed(error);
  } else {
    std::set<std::string> seen;
    for (const std::string& name : options.positional) {
      if (!seen.insert(name).second) continue;
      std::vector<Preset> found;
      if (!FindPresets(db, std::string(), name, &found, &error)) return read_failed(error);
      if (found.empty()) return Bad("préréglage inconnu : « " + name + " » (vantra preset list)");
      presets.insert(presets.end(), found.begin(), found.end());
    }
  }
  if (presets.empty()) {
    std::fprintf(stderr, "vantra %s : aucun préréglage à exécuter\n", kCommand);
    return 0;
  }
  auto dir = options.flags.find("out-dir");
  std::string folder;
  if (dir != options.flags.end()) {
    folder = dir->second;
  } else {
    QenApplication::SetInstance(&app);
    folder = TGetStatInfo::GetSpreadSheetDirectory();
    QenApplication::SetInstance(nullptr);
  }
  if (folder.empty()) {
    return Bad("aucun dossier de chiffrier n'est défini ([SUITE] SpreadSheetDir est vide) : donnez --out-dir DOSSIER");
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    std::fprintf(stderr, "vantra %s : impossible de créer le dossier %s\n", kCommand, folder.c_str());
    return 1;
  }

  // The options of every report first, so that files two reports would
  // share are known before any is written.
  std::vector<Report> reports;
  std::map<std::string, int> uses;
  for (const Preset& p : presets) {
    Report r;
    r.preset = p;
    r.command = PresetCommand(p.analysis);
    CliOptions& o = r.options;
    o.db_url = options.db_url;
    o.db_given = options.db_given;
    o.report_db_url = options.report_db_url;
    o.report_db_given = options.report_db_given;
    o.prefix = options.prefix;
    o.ini = options.ini;
    o.today = options.today;
    o.format = p.format.empty() ? "xlsx" : p.format;
    o.format_given = true;
    o.out = "-";  // the file is named once the period is known (a pdf asks for one)
    if (r.command == nullptr) {
      r.refused = "analyse inconnue : « " + p.analysis + " »";
    } else if (!ApplyPreset(p, *r.command, &o, &error)) {
      r.refused = error;
    } else {
      r.file = PresetFileName(p, o.from_given ? o.from : 0, o.to_given ? o.to : 0, ExtensionOf(o.format));
      ++uses[r.file];
    }
    reports.push_back(std::move(r));
  }
  std::vector<std::string> failed;
  for (Report& r : reports) {
    const auto start = std::chrono::steady_clock::now();
    int status = 2;
    CliWritten written;
    std::string path;
    if (!r.refused.empty()) {
      std::fprintf(stderr, "vantra %s : %s\n", kCommand, r.refused.c_str());
    } else {
      if (uses[r.file] > 1) {
        const std::filesystem::path shared(r.file);
        r.file = shared.stem().string() + " (" + r.preset.analysis + ")" + shared.extension().string();
      }
      path = (std::filesystem::path(folder) / r.file).string();
      r.options.out = path;
      r.options.written = &written;
      const std::string clash = CheckOutputTarget(r.options);
      if (!clash.empty()) {
        std::fprintf(stderr, "vantra %s : %s\n", kCommand, clash.c_str());
      } else {
        std::fflush(stderr);
        status = r.command->run(r.options);
      }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status == 0) {
      std::fprintf(stderr, "vantra %s : %s : %s : %ld lignes en %s s\n", kCommand, Quoted(r.preset).c_str(),
                   path.c_str(), written.rows, Seconds(seconds).c_str());
    } else {
      std::fprintf(stderr, "vantra %s : %s : échec (code %d) en %s s : aucun fichier écrit\n", kCommand,
                   Quoted(r.preset).c_str(), status, Seconds(seconds).c_str());
      failed.push_back(Quoted(r.preset));
    }
  }
  if (failed.empty()) return 0;
  std::string names;
  for (const std::string& f : failed) names += (names.empty() ? "" : ", ") + f;
  std::fprintf(stderr, "vantra %s : %zu rapport%s sur %zu en échec : %s\n", kCommand, failed.size(),
               failed.size() > 1 ? "s" : "", reports.size(), names.c_str());
  return 1;
}

CliRegistration batch_registration{
    {kCommand, "exécute des préréglages, chacun dans son fichier (dossier des chiffriers ou --out-dir)",
     "[NOM ...] [--all] [--out-dir DOSSIER] [--db URL] [--report-db URL] [--ini FICHIER] [--today AAAAMMJJ]\n"
     "  NOM : les préréglages de ce nom (de chaque analyse) ; --all : tous. Chaque rapport va dans\n"
     "  « NOM PÉRIODE.EXT » (ex. « Annulations du mois 2026-11.xlsx »), la période lue à --today\n"
     "  (ou aujourd'hui), l'extension du format du préréglage (xlsx sans format). Une ligne par\n"
     "  rapport sur la sortie d'erreur : nom, fichier, lignes, secondes.\n"
     "  Codes de sortie : 0 tous écrits, 1 un rapport en échec (les autres ont été écrits),\n"
     "  2 arguments refusés (aucun nom ni --all, un nom inconnu, aucun dossier).",
     {{"all", false, "tous les préréglages"},
      {"out-dir", true, "le dossier des fichiers (défaut : [SUITE] SpreadSheetDir)"}},
     &RunBatch}};

}  // namespace
