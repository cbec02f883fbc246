// Charts of the command line, drawn by the same code as
// the window (lists/qt): a Qt application is created on the "offscreen"
// platform only when one is asked for, so the text formats never
// load a display.
//
//   vantra COMMAND ... --chart WHAT[,ALONG][,style=N][,OPTION...] --out chart.png
//       the chart of the list: what is charted and along what, by the codes
//       or the words of the window's combo boxes (ParseChartArgs,
//       PickChartChoice), the style (0-10) and the command's options; each
//       command says its own in --help (audit: --chart 4,1,style=7,axis=T)
//   vantra COMMAND ... --chart ... --format tsv [--out values.tsv]
//       the values the chart would draw instead of the picture, one line per
//       value: x label, series name, value (GraphSeriesTsv), so that golden
//       cases can check a chart's figures
#pragma once

#include <map>
#include <string>
#include <vector>

#include "lists/graph_data.h"

class QenListWindow;
class TDList;
struct CliOptions;
struct ListReport;

// A choice of a chart's combo boxes: the code the command line always took
// ("10104", "4", "P") and the words the window shows ("Pourcentage").
struct ChartChoice {
  std::string code;
  std::string text;
};
// The choice typed for what ("données", "axe"): its code, or its words with
// case, accents and blanks aside, whole or by a prefix only one choice has.
// False with one line that lists the choices ("4 Action, 1 Usager ...").
bool PickChartChoice(const std::string& typed, const std::vector<ChartChoice>& choices, const std::string& what,
                     std::string* code, std::string* error);
// "1 Usager, 2 Date, ..." for messages and --help.
std::string ChartChoicesText(const std::vector<ChartChoice>& choices);

// A --chart value as every command reads it: "A[,B][,OPTION]...", the
// leading entries saying what is charted and along what, then options:
// "style=N" (0 to 10, every command) and those the command names.
struct ChartArgs {
  std::vector<std::string> positional;
  int style = 0;
  std::map<std::string, std::string> options;  // option name -> value ("" for a word option)
  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Get(const std::string& name) const;
};
// Reads value into *args. positional: how many leading entries the
// command takes (a missing one gives *error = usage). options: the
// command's option names, each "name" (a word, "dates"), "name=#" (a whole
// number) or "name=A|B" (one of the letters). False with one French line:
// "--chart : option inconnue « x »", "--chart : style=0 à 10" ...
bool ParseChartArgs(const std::string& value, size_t positional, const std::vector<std::string>& options,
                    const std::string& usage, ChartArgs* args, std::string* error);

// Writes a chart of series as the options ask: --format tsv writes its
// values (GraphSeriesTsv) to --out or the standard output; the default
// format draws it (ChartStyle style, 0-10) into --out as a PNG of
// SuggestedChartSize. Any other format is refused. The tabs' commands call
// it with the series they built. False with a French *error.
bool WriteChartSeries(const TDList& series, const std::string& title, const std::string& axis_title, int style,
                      const CliOptions& options, std::string* error, const std::string& subtitle = std::string(),
                      ChartUnit unit = ChartUnit::kCount);

