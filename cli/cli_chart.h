// Charts and PDF printouts of the command line, drawn by the same code as
// the window (lists/qt): a Qt application is created on the "offscreen"
// platform only when one of them is asked for, so the text formats never
// load a display.
//
//   vantra audit --from 20260101 --to 20260131 --chart 4,1 --out chart.png
//       the chart of the list: main data (series) and axis (categories) by
//       the chart codes 1 user, 2 date, 3 module, 4 action, 5 table (not on
//       the summary list); options "style=N" (0-10), "axis=P|T", "main=P|T"
//       may follow: --chart 4,1,style=7,axis=T
//   vantra audit ... --chart 4,1 --format tsv [--out values.tsv]
//       the values the chart would draw instead of the picture, one line per
//       value: x label, series name, value (GraphSeriesTsv), so that golden
//       cases can check a chart's figures
#pragma once

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
// The audit chart's choices for list_kind (0 detailed or history, 1 summary).
std::vector<ChartChoice> AuditChartChoices(int list_kind);

// Writes a chart of series as the options ask: --format tsv writes its
// values (GraphSeriesTsv) to --out or the standard output; the default
// format draws it (ChartStyle style, 0-10) into --out as a PNG of
// SuggestedChartSize. Any other format is refused. The tabs' commands call
// it with the series they built. False with a French *error.
bool WriteChartSeries(const TDList& series, const std::string& title, const std::string& axis_title, int style,
                      const CliOptions& options, std::string* error, const std::string& subtitle = std::string(),
                      ChartUnit unit = ChartUnit::kCount);

// The chart of an audit list (kind 0 detailed or history, 1 summary) from
// the --chart flag's value, written by WriteChartSeries. False with a French
// *error on a bad flag value, a missing --out, a build without Qt (PNG
// only) or a file that cannot be written.
bool WriteAuditListChart(const QenListWindow& list, int list_kind, const CliOptions& options,
                         std::string* error);

// The printout of report as a PDF file (the same pages the printer gets).
bool WriteListPdf(const ListReport& report, const std::string& path, std::string* error);
