// What the audit commands (audit, history) write besides what every command
// writes: their lists under the layouts' names with the bold total rows, and
// their charts by the chart codes of the audit lists.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_chart.h"
#include "lists/list_style.h"

class QenListWindow;
struct CliOptions;

// Writes an audit list (300 detailed or history, 301 summary) as the options
// ask (WriteList), titled with its layout's name ("Liste détaillé", "Liste
// de sommaire"; another list: the --out file's name), its total rows bold,
// the period of --from and --to when both are given. style, when given,
// replaces the bold total rows (a group's list: lists/group_list.h).
bool WriteAuditList(const QenListWindow& list, const CliOptions& options, std::string* error,
                    CellStyleFn style = nullptr);

// The audit chart's choices for list_kind (0 detailed or history, 1 summary).
std::vector<ChartChoice> AuditChartChoices(int list_kind);

// The chart of an audit list (kind 0 detailed or history, 1 summary) from
// the --chart flag's value, written by WriteChartSeries. False with a French
// *error on a bad flag value, a missing --out, a build without Qt (PNG
// only) or a file that cannot be written.
bool WriteAuditListChart(const QenListWindow& list, int list_kind, const CliOptions& options,
                         std::string* error);
