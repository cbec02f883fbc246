// Writes a result list the way the user asked: --format text|tsv|csv
// (xlsx and pdf come from the export and printing code, below).
//
//   tsv  each row exactly as it was added to the list, one per line
//   csv  RFC 4180: cells trimmed of the blanks the layouts put before tabs,
//        quoted when they hold a comma, quote or line break; a first line
//        with the column titles
//   text aligned columns for a terminal, titles underlined
// item_data prefixes each tsv/csv line with the row's item data and a tab.
#pragma once

#include <string>

#include "lists/list_style.h"

class QenListWindow;
struct CliOptions;

// Writes to options.out (or standard output). Returns false with *error when
// the file cannot be written or the format is unknown.
bool WriteList(const QenListWindow& list, const CliOptions& options, std::string* error);

// xlsx and pdf (the window's export and printout code, auditlist/):
//   xlsx  the workbook into options.out; without --out, a new file in the
//         suite's spreadsheet folder, whose path is printed on standard output
//   pdf   the printout into options.out (required); drawn off-screen
// Both take the list's title, row styles and coloured cells from decor (the
// text formats ignore it). The three-argument WriteList uses the title of
// the list (its layout name for lists 300 and 301, else the --out file's
// name) and the audit lists' bold total rows.
struct ListDecor {
  std::string title;
  CellStyleFn style;             // may be empty
  const TDList* colors = nullptr;  // ColorListElem records, may be null
};
bool WriteList(const QenListWindow& list, const CliOptions& options, const ListDecor& decor,
               std::string* error);
