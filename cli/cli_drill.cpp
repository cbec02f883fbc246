#include "cli/cli_drill.h"

#include <cstdio>

#include "cli/cli_output.h"

CliFlag DrillFlag(const char* example) {
  return {"drill", true,
          std::string("lignes derrière une cellule : LIGNE,CELLULE (à partir de 1) comptées dans la sortie "
                      "--format tsv de la même commande ; ex. ") +
              example};
}

bool DrillAsked(const CliOptions& options) { return options.flags.count("drill") != 0; }

bool DrillTargetOf(const char* command, const CliOptions& options, DrillTarget* target) {
  std::string error;
  if (!ParseDrillTarget(options.flags.at("drill"), target, &error)) {
    std::fprintf(stderr, "vantra %s : %s\n", command, error.c_str());
    return false;
  }
  return true;
}

int WriteDrill(const char* command, const DrillResult& result, const CliOptions& options, CellStyleFn style) {
  if (result.Refused()) {
    std::fprintf(stderr, "vantra %s : --drill : %s\n", command, result.refused.c_str());
    return 2;
  }
  if (const int status = StopOnOutcome(command, result.outcome); status >= 0) return status;
  ListDecor decor;
  decor.title = result.title;
  decor.style = style ? std::move(style) : DrillRowStyle(result.list.get());
  std::string error;
  if (!WriteList(*result.list, options, decor, &error)) {
    std::fprintf(stderr, "vantra %s : %s\n", command, error.c_str());
    return 1;
  }
  SayIfCancelled(command, result.outcome, "les lignes obtenues ont été écrites");
  return 0;
}
