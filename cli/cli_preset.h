// Report presets on the command line (suite/presets.h): what a preset
// holds of an analysis's options, and those options rebuilt from it.
//
//   vantra productivity --preset "Annulations du mois" --from 20261101
//
// runs as if the preset's keys, flags and format had been typed before the
// command's own options, and its period as --from/--to: a KEY=VALUE, a flag
// or a --format given on the command line wins over the preset's, --from or
// --to over its period. The same code builds the runs of `vantra batch`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "suite/presets.h"

// The analysis command that runs presets of analysis, or null (not one of
// PresetAnalyses).
const CliCommand* PresetCommand(std::string_view analysis);

// The flags of an analysis command a preset keeps: its own but --chart and
// --drill (a preset is a list written whole).
std::vector<CliFlag> PresetFlagsOf(const CliCommand& command);
// Adds every analysis's preset flags to flags, each name once (`vantra
// preset save` takes them all, then keeps those of its analysis).
void AddAnalysisFlags(std::vector<CliFlag>* flags);

// The options of command under preset, over those given in *options (see
// above). The period is resolved on --today (or today); the monthly goals
// have no dates: there the period gives Year (the year the period ends in),
// narrows Month and Q to the months and quarters of that year it touches,
// and CompYear keeps its distance to Year. False with the one line to print
// (exit 2) when the preset holds a key or flag the command no longer
// accepts, its dates come out wrong, or a pdf lacks --out.
bool ApplyPreset(const Preset& preset, const CliCommand& command, CliOptions* options, std::string* error);

// --preset NAME of the command line, before the command runs: -1 once the
// preset is applied (or none was named), else the exit status after its
// one line ("vantra audit : préréglage inconnu : « X »" 2; a database that
// cannot be read 1, or 3 when the server was lost).
int ApplyNamedPreset(const CliCommand& command, CliOptions* options);

// The preset `vantra preset save NAME ANALYSIS ...` makes: every key of
// command's keys that the INI file in use has now, the KEY=VALUE given over
// them (PRAC_XXX.KEY of the command's own section stored as KEY), the
// period of --period RULE or of --from and --to (fixed dates), the flags of
// the analysis given, the --format given (none: ""). False with the one
// line to print (exit 2) for a key or flag the analysis does not take or a
// bad period.
bool PresetFromOptions(const CliCommand& command, const std::string& name, const CliOptions& options, Preset* out,
                       std::string* error);
