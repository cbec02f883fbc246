// vantra: the practice-analysis reports from the command line.
//
//   vantra COMMAND [options]     run a command (vantra COMMAND --help)
//   vantra --help                list the commands
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_preset.h"
#include "cli/stderr_meter.h"
#include "host/atomic_file.h"
#include "host/dates.h"

namespace {

void PrintCommands() {
  std::printf("usage : vantra COMMANDE [options]\n\nCommandes :\n");
  for (const CliCommand& c : CliCommands()) std::printf("  %-10s %s\n", c.name, c.summary);
  std::printf("\n« vantra COMMANDE --help » décrit les options d'une commande.\n");
}

// The help text gives the date range the options accept.
static_assert(kFirstSuiteDate == 19500101 && kLastSuiteDate == 21491231, "update the --from/--to help text");

void PrintCommandHelp(const CliCommand& c) {
  std::printf("usage : vantra %s %s\n\n%s\n\n", c.name, c.usage, c.summary);
  if (!c.extra_flags.empty()) {
    std::printf("Options de la commande :\n");
    for (const CliFlag& f : c.extra_flags) {
      std::string name = "--" + f.name + (f.takes_value ? " VALEUR" : "");
      std::printf("  %-22s %s\n", name.c_str(), f.help.c_str());
    }
    std::printf("\n");
  }
  std::printf(
      "Options communes :\n"
      "  --db URL               sqlite:CHEMIN, postgresql://... ou chaîne libpq\n"
      "                         (défaut : [SUITE] Database du fichier INI,\n"
      "                         sinon sqlite:%s)\n"
      "  --report-db URL        base que lisent les rapports (serveur de secours) ;\n"
      "                         défaut : --db s'il est donné, sinon [SUITE]\n"
      "                         ReportDatabase, sinon la base ci-dessus ; goals-edit\n"
      "                         et demo-db écrivent toujours dans --db\n"
      "  --prefix P             préfixe des tables (schéma de la clinique)\n"
      "  --ini FICHIER          fichier INI de la suite (tolvane.ini)\n"
      "  --today AAAAMMJJ       date du jour à utiliser\n"
      "  --from AAAAMMJJ        début de la période\n"
      "  --to AAAAMMJJ          fin de la période\n"
      "                         (dates du 1950-01-01 au 2149-12-31)\n"
      "  CLÉ=VALEUR             remplace une clé de la section INI de l'analyse\n"
      "  --format F             text, tsv, csv, xlsx ou pdf (défaut : text)\n"
      "  --out FICHIER          écrit dans FICHIER plutôt qu'à la sortie standard\n"
      "  --item-data            ajoute la donnée de rangée en première colonne (tsv, csv)\n"
      "  --preset NOM           (audit, productivity, stats, goals) les options d'un préréglage\n"
      "                         (vantra preset) ; celles données ici l'emportent\n"
      "  --clinics P1,P2        (audit, productivity, stats, goals) le rapport de chaque\n"
      "                         cabinet du groupe (schémas P1., P2.), puis le total du groupe\n"
      "  --all-clinics          tous les cabinets du serveur (chaque schéma qui tient les\n"
      "                         tables du cabinet ; en SQLite, chaque NOM.db du dossier)\n"
      "  --jobs N               cabinets calculés à la fois, une connexion chacun (défaut 2)\n"
      "\n"
      "Codes de sortie : 0 fait, 1 échec, 2 arguments refusés, 3 liste partielle (connexion au\n"
      "serveur perdue pendant la génération, ou un cabinet du groupe en échec : rien n'est\n"
      "écrit), 70 erreur interne.\n",
      DefaultDemoDbPath().c_str());
}

// Reports, once, a write to standard output that failed (a full disk, a
// closed pipe's reader gone, /dev/full). The reports write their output
// through AtomicFile and say so themselves; this catches what the other
// commands print (sql rows, goals-edit's list and new ids, demo-db's
// summary), so no command ends with 0 after losing part of what it printed.
int CheckStandardOutput(const char* command, int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && !std::ferror(stdout)) return status;
  if (status != 0) return status;  // its own message already says what went wrong
  const int error = errno;
  std::fprintf(stderr, "vantra %s : impossible d'écrire sur la sortie standard : %s\n", command,
               error != 0 ? FileErrorText(error).c_str() : "erreur d'écriture");
  return 1;
}

int Main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    PrintCommands();
    return argc < 2 ? 2 : 0;
  }
  const CliCommand* command = nullptr;
  for (const CliCommand& c : CliCommands()) {
    if (c.name == std::string(argv[1])) command = &c;
  }
  if (!command) {
    std::fprintf(stderr, "vantra : commande inconnue « %s » (vantra --help)\n", argv[1]);
    return 2;
  }
  CliOptions options;
  std::string error;
  std::vector<CliFlag> flags = command->extra_flags;
  if (command->preset_options) AddAnalysisFlags(&flags);
  if (!ParseCliOptions(argc - 2, argv + 2, flags, &options, &error)) {
    std::fprintf(stderr, "vantra %s : %s\n", command->name, error.c_str());
    return 2;
  }
  if (options.help) {
    PrintCommandHelp(*command);
    return CheckStandardOutput(command->name, 0);
  }
  if (const std::string pdf = CheckPdfOut(options); !pdf.empty() && !command->preset_options) {
    std::fprintf(stderr, "vantra %s : %s\n", command->name, pdf.c_str());
    return 2;
  }
  if (!command->group && (!options.clinics.empty() || options.all_clinics || options.jobs_given)) {
    std::fprintf(stderr, "vantra %s : --clinics, --all-clinics et --jobs ne servent qu'aux analyses "
                 "(audit, productivity, stats, goals)\n", command->name);
    return 2;
  }
  if (options.jobs_given && options.clinics.empty() && !options.all_clinics) {
    std::fprintf(stderr, "vantra %s : --jobs va avec --clinics ou --all-clinics\n", command->name);
    return 2;
  }
  if (const int status = ApplyNamedPreset(*command, &options); status >= 0) return status;
  const std::string clash = CheckOutputTarget(options);
  if (!clash.empty()) {
    std::fprintf(stderr, "vantra %s : %s\n", command->name, clash.c_str());
    return 2;
  }
  InstallStderrMeterFactory();
  const int status = command->run(options);
  return CheckStandardOutput(command->name, status);
}

}  // namespace

int main(int argc, char** argv) {
  // Above a file-size limit (ulimit -f) the kernel sends SIGXFSZ, which
  // would end the program without a word; ignored, the write fails with
  // EFBIG and the output reports it (the file is not left half-written).
  std::signal(SIGXFSZ, SIG_IGN);
  // Ctrl+C or a SIGTERM ends any run at once, its temporary files removed.
  InstallInterruptCleanup("vantra");
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vantra : erreur interne : %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "vantra : erreur interne\n");
  }
  return 70;
}
