// --drill LINE,CELL: the rows behind one cell of a command's list, written
// in the --format asked for (every analysis command takes it).
//
// LINE is the line's number (from 1) in the same command's --format tsv
// output, CELL the cell's number (from 1) in that line.
#pragma once

#include <string>

#include "cli/cli_options.h"
#include "lists/drill.h"
#include "lists/list_style.h"

// The flag as every analysis command declares it (its --help text has an
// example of the command given).
CliFlag DrillFlag(const char* example);
// True when --drill was given.
bool DrillAsked(const CliOptions& options);
// The target of --drill; false once its one line is printed (exit 2).
bool DrillTargetOf(const char* command, const CliOptions& options, DrillTarget* target);
// Ends a drill: a refused cell prints its line (exit 2), a failed or lost
// run stops as every run does (StopOnOutcome), else the rows are written
// with the drill's title in the page heading and the file's name, in style
// (empty: total rows and group headings in bold). Returns the exit status.
int WriteDrill(const char* command, const DrillResult& result, const CliOptions& options, CellStyleFn style);
