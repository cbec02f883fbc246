// Drill-down: the rows behind one figure of a result list.
//
// A user points at a cell (double-click, Enter, "Détails…" in the window;
// `--drill LINE,CELL` on the command line) and gets a list of the rows that
// make that figure. Each tab answers from its own generator, run for that
// cell's keys with a sink that keeps the rows it counts, so the rows and the
// figure come from the same code and cannot disagree. What is shared by the
// tabs lives here:
//
//   DrillTarget      the cell asked for (0-based line and cell)
//   ParseDrillTarget "LINE,CELL" as the command line gives it (1-based)
//   CheckDrillCell   the checks every tab makes first: a line past the end,
//                    a blank line, a cell past the line's cells
//   DrillResult      what a drill hands back: the title ("Annuler — D01 —
//                    novembre 2026"), the rows as a list with its columns,
//                    the groups (a ratio opens its numerator's rows and its
//                    denominator's, each as its group), how the run ended,
//                    or why the cell has nothing behind it.
//
// The rows follow the lists' conventions: a data row's item data is neither
// 0 nor -1 (0 a blank or heading row, -1 a total row).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/list_window.h"
#include "host/prodanal.h"
#include "host/run_outcome.h"
#include "lists/graph_data.h"
#include "lists/list_style.h"

// A data row of a drill's list: item data neither 0 (a blank line or a
// group's heading) nor -1 (a total row).
inline bool IsDrillDataRow(long item_data) { return item_data != 0 && item_data != -1; }

struct DrillTarget {
  int line = -1;  // 0-based row of the list
  int cell = -1;  // 0-based cell of that row
};

// "LINE,CELL", both whole numbers from 1. False with the one line to print.
bool ParseDrillTarget(std::string_view text, DrillTarget* out, std::string* error);

// The checks before any tab's own: "" when target names a cell of a line that
// is not blank, else the line to show:
//   "la ligne 12 dépasse la fin de la liste (10 lignes)"
//   "la ligne 3 est une ligne blanche : rien n'y est compté"
//   "la ligne 2 n'a que 6 cellules"
//   "la liste a changé depuis qu'elle a été générée : ..." (written_lines:
//   the lines the generation wrote, when the caller knows them; a list
//   filtered or cleared since no longer matches what the drill kept)
// Lines and cells are told 1-based, as the user gave them.
std::string CheckDrillCell(const QenListWindow& list, const DrillTarget& target, long written_lines = -1);
// The refusal of a label cell: "la cellule 2 de la ligne 4 est un libellé :
// aucune ligne n'est derrière".
std::string LabelCellMessage(const DrillTarget& target);
// True for a line whose cells are all blank.
bool IsBlankLine(const QenListWindow& list, int line);
// The emphasis of a drill list wherever it is shown, printed or exported:
// total rows (-1) and group headings (item data 0, not blank) in bold.
CellStyleFn DrillRowStyle(const QenListWindow* list);

// One group of drilled rows: rows [first, end) of the result list, under a
// heading row when the drill has more than one group.
struct DrillGroup {
  std::string title;
  int first = 0;
  int end = 0;
};

// A column of drilled rows that a chart of them adds up (an amount, hours,
// units): its cell and what its numbers measure.
struct DrillMeasure {
  int column = -1;
  ChartUnit unit = ChartUnit::kCount;
};

struct DrillResult {
  std::string title;
  // The rows, with the columns they are shown in. Owned here so the drill
  // window and the command line can take them whole.
  std::unique_ptr<QenListWindow> list;
  std::vector<DrillGroup> groups;
  RunOutcome outcome;
  // Not empty: the cell has nothing behind it (a label, a blank line), and
  // this says why; list is then empty.
  std::string refused;

  // The drill of the result's own rows, when they have rows behind them
  // (a detailed audit row its record's history); empty when they have none.
  std::function<DrillResult(const QenListWindow& rows, const DrillTarget& target)> further;
  // The record a row of the result stands for, opened in its own editor
  // rather than drilled (a goal row its goal record): its id, 0 for a row
  // that stands for none. Empty when no row does.
  std::function<long(const QenListWindow& rows, int line)> record_of;
  // The patient each row names (by line; 0 or past the end: none). A row
  // that names a patient opens the audit history of the patient's file
  // when nothing else is behind it (the window's DrillOpeners::history).
  struct PatientRef {
    long id = 0;
    std::string text;  // as the row shows the patient ("Roy, Anne (12)")
  };
  std::vector<PatientRef> row_patients;
  // The columns a chart of the rows can add up, besides counting them.
  std::vector<DrillMeasure> measures;

  bool Refused() const { return !refused.empty(); }
  // The rows that are data rows (item data neither 0 nor -1).
  int DataRows() const;
  // The patient row names (id 0: none).
  PatientRef PatientOf(int line) const;
  // Notes that the row just added to list names patient (0: none), shown
  // as text.
  void NotePatient(long patient, std::string text);
};


// Makes result->list a list with id list_id and columns (a drill's list has
// the columns of the list its rows come from).
void StartDrillList(DrillResult* result, int list_id, std::vector<ListColumn> columns);
// Appends a heading row for a new group and opens the group.
void BeginDrillGroup(DrillResult* result, std::string title);
// Closes the open group at the list's end.
void EndDrillGroup(DrillResult* result);
// The title of a partial list's drill: "TITLE (liste partielle)".
std::string PartialDrillTitle(const std::string& title);

// --- the cells of drilled rows, alike in every tab ------------------------------
// The text without its leading and trailing blanks (a list cell as shown).
std::string TrimmedCell(std::string_view text);
// The title of list's column cell, trimmed ("" past the columns): what a
// drill's title names the drilled cell by.
std::string DrillColumnTitle(const QenListWindow& list, int cell);
// "2026-11-30" ("" for 0 or less), "14:50" (HHMMSS), "$-4.50" (cents).
std::string DrillDateText(long yyyymmdd);
std::string DrillTimeText(long hhmmss);
std::string DrillMoneyText(long cents);
// A patient's cell: "Last, First (id)" when names holds the id's name, the
// id alone otherwise, "" for id 0. names: id -> name (ReadPatientNames,
// suite/patient_names.h); may be null.
using DrillPatientNames = std::unordered_map<long, std::string>;
std::string DrillPatientText(long id, const DrillPatientNames* names);
// The cells joined by tabs.
std::string DrillRowText(const std::vector<std::string>& cells);
// Columns of the titles and widths (in characters) given.
std::vector<ListColumn> DrillColumns(const std::vector<std::pair<const char*, int>>& titles);
// The production rows' columns (date, producer, kind, number, patient,
// code, description, amount) and their rows, item data counted from
// *ordinal + 1; returns their cents. The amount is the 8th cell.
std::vector<ListColumn> FeeItemColumns();
// The rows go to out's list, each noting its patient; the amount column is
// out's measure. names: the patients' names (may be null: ids alone).
long AddFeeItemRows(const std::vector<FeeItem>& items, long* ordinal, DrillResult* out,
                    const DrillPatientNames* names = nullptr);
