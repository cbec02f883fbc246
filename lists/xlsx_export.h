// Spreadsheet export of a result list: an .xlsx workbook (libxlsxwriter)
// with the rows exactly as the list shows them, for the window's
// "&Exporter à Excel" (CPrintListView::PrintReport(3)) and the command
// line's --format xlsx.
//
// Sheet layout:
//   row 1   the title (bold, larger)
//   row 2   the column titles (bold, grey, bottom border), frozen with row 1
//   row 3+  one row per list row; blank cells (" ") stay empty
// A cell that is a plain number becomes a number ("12", "-3.50": number
// format "0.00" keeps the decimals shown), money "$1234.56", "$-10.00" and
// "-$10.00" a number with a dollar format that shows it the same way,
// "12.50%" a fraction (0.125) with a percentage format; anything else
// (dates, times, codes with leading zeros such as "007", "3 (25%)") stays
// text. Bold and colours come from ListReport::StyleOf.
//
// Memory: lists above XlsxOptions::constant_memory_rows rows are written in
// the library's constant-memory mode (one row in memory at a time; strings
// inline instead of shared), so a million-row list costs a few MB.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "lists/list_style.h"

// What a cell's text is, for the spreadsheet.
enum class CellKind { kEmpty, kText, kNumber, kMoney, kPercent };
struct CellValue {
  CellKind kind = CellKind::kText;
  double number = 0;         // kPercent: the fraction (12.5% -> 0.125)
  int decimals = 0;          // digits shown after the point
  bool sign_first = false;   // kMoney: "-$10.00" rather than "$-10.00"
  bool grouped = false;      // thousands written with commas ("1,234.50")
};
// Classifies a trimmed cell text.
CellValue ClassifyCell(std::string_view text);
// The spreadsheet number format that shows value as the list did ("0.00",
// "\"$\"0.00;\"$\"-0.00", "0.0%" ...); "" for the general format.
std::string NumberFormatOf(const CellValue& value);

struct XlsxOptions {
  long constant_memory_rows = 50000;  // lists with more rows use constant memory
  std::string tmpdir;                 // where the library keeps its temporary files ("" = default)
  // Rows of a sheet, the two title rows included (the format's limit);
  // longer lists go on into "<title> (2)", "<title> (3)" ...
  long max_sheet_rows = 1048576;
  // When set, path names a new workbook that replaces no file: the first
  // free name among path, "path (2)" ... is taken at the commit and stored
  // here.
  std::string* new_name = nullptr;
};

// Writes report to path (replaced when it exists) through a temporary file
// beside it (AtomicFile): path gets the whole workbook or nothing. Returns
// false with a French message in *error when the list is missing or the
// file cannot be written ("impossible d'écrire F : Fichier trop
// volumineux", from workbook_close's result); an older file at path is then
// left as it was.
bool WriteListXlsx(const ListReport& report, const std::string& path, std::string* error,
                   const XlsxOptions& options = XlsxOptions());
// Several lists in one workbook, each on its own sheets in order (named
// after its title; a title already used gets " (2)" ...); the workbook's
// title is the first list's.
bool WriteReportsXlsx(const std::vector<const ListReport*>& reports, const std::string& path, std::string* error,
                      const XlsxOptions& options = XlsxOptions());

// A new file name in folder for a list titled title, at time `when` (local
// time): "<title> AAAA-MM-JJ HHhMMmSS.xlsx", the title stripped of the
// characters file systems refuse ("/\:*?"<>|" and control characters) and
// cut to 80 bytes ("Liste" when nothing is left); " (2)", " (3)" ... are
// added before the extension while the name is taken.
std::string SpreadsheetFileName(const std::string& folder, const std::string& title, std::time_t when,
                                const char* extension = ".xlsx");

// The export of the window and the command line's default: writes report
// into the suite's spreadsheet folder (TGetStatInfo::GetSpreadSheetDirectory,
// created when missing) under SpreadsheetFileName. Returns the path, or ""
// with *error when there is no folder or the file could not be written.
std::string ExportListToSpreadsheet(const ListReport& report, std::string* error,
                                    const XlsxOptions& options = XlsxOptions());
// The same for several lists in one workbook named after title.
std::string ExportReportsToSpreadsheet(const std::vector<const ListReport*>& reports, const std::string& title,
                                       std::string* error, const XlsxOptions& options = XlsxOptions());
