// Charts and PDF printouts of the command line, drawn by the same code as
// the window (auditlist/qt): a Qt application is created on the "offscreen"
// platform only when one of them is asked for, so the text formats never
// load a display.
//
//   vantra audit --from 20260101 --to 20260131 --chart 4,1 --out chart.png
//       the chart of the list: main data (series) and axis (categories) by
//       the chart codes 1 user, 2 date, 3 module, 4 action, 5 table (not on
//       the summary list); options "style=N" (0-10), "axis=P|T", "main=P|T"
//       may follow: --chart 4,1,style=7,axis=T
#pragma once

#include <string>

class QenListWindow;
struct CliOptions;
struct ListReport;

// Draws the chart of an audit list (kind 0 detailed or history, 1 summary)
// from the --chart flag's value into options.out as a PNG (SuggestedChartSize).
// False with a French *error on a bad flag value, a missing --out, a build
// without Qt or a file that cannot be written.
bool WriteAuditListChart(const QenListWindow& list, int list_kind, const CliOptions& options,
                         std::string* error);

// The printout of report as a PDF file (the same pages the printer gets).
bool WriteListPdf(const ListReport& report, const std::string& path, std::string* error);
