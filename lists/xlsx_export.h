// Spreadsheet export of a result list: an .xlsx workbook (libxlsxwriter)
// with the rows exactly as the list shows them, for the window's
// "&Exporter à Excel" (CPrintListView::PrintReport(3)) and the command
// line's --format xlsx.
//
// Sheet layout:
//   row 1   the title (bold, larger) in A1; the period the list covers
//           (ListReport::period, "du 2026-11-01 au 2026-11-30") in the
//           first cell of the row past the title's text, when there is one
//   row 2   the column titles (bold, grey, bottom border), frozen with row 1
//   row 3+  one row per list row; blank cells (" ") stay empty
// The sheet is named after the title (at most 31 characters, []:*?/\ as
// blanks, "Liste" when nothing is left); a list past the format's row limit
// goes on into "<title> (2)" ...
//
// Every figure a cell shows is a number in the workbook, with a number
// format that shows it as the list did: plain numbers ("12", "-3.50",
// "1,234.50"), money ("$1234.56", "$-10.00", "-$10.00" and the lists'
// negative amounts "$14.00-", the sign where the list puts it), figures with
// a unit letter after them ("111.08H" hours, "782U" units, "57.0K"
// thousands: 0.00"H" ...) and percentages ("83.52%": 0.8352, 0.00%).
// A cell that shows several figures ("57013.33/58900 (97%)",
// "137.67H  (183)", "137.67H/166.00H  (82.93%)", "40U, 7.00H  (12)") is
// split: its list column becomes as many adjacent columns as its cells have
// figures at most, the first under the list's column title, the others named
// after what they hold where every cell agrees ("D01 %", "D01 nb" for a
// count in parentheses, "D01 H", "D01 $"), else "D01 (2)", "D01 (3)". A
// single figure or a text in such a column goes in its first column.
// Anything else stays text: dates, times, codes with leading zeros ("007"),
// names and labels ("Total: 500", "D01(2025)"). Bold and colours come from
// ListReport::StyleOf; a coloured cell colours all the columns it is split
// into.
//
// Memory: lists above XlsxOptions::constant_memory_rows rows are written in
// the library's constant-memory mode (one row in memory at a time; strings
// inline instead of shared), so a million-row list costs a few MB. The split
// is decided by one read of the list's texts before the rows are written
// (only cells shaped like a composite are parsed then).
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
  bool sign_last = false;    // kMoney: "$10.00-", the lists' negative amounts
  bool grouped = false;      // thousands written with commas ("1,234.50")
  char unit = 0;             // kNumber: the letter after the figure ('H', 'U', 'K'), 0 when none
};
// Classifies a trimmed cell text that shows one figure at most; a cell of
// several figures ("3 (25%)") is kText here (see SplitCell).
CellValue ClassifyCell(std::string_view text);
// The spreadsheet number format that shows value as the list did ("0.00",
// "\"$\"0.00;\"$\"-0.00", "\"$\"0.00;\"$\"0.00-", "0.00\"H\"", "0.0%" ...);
// "" for the general format.
std::string NumberFormatOf(const CellValue& value);

// The figures of one cell, in the order it shows them. An empty cell has
// none; a text or a single figure is one part (ClassifyCell's answer); a
// composite is one part per figure: figures joined by "/" (a ratio, two at
// most: "2026/12/05" stays text), by ", " (or "," after a unit letter:
// "996U,166.00H"), or followed by a figure in
// parentheses ("57013.33 (104.50%)", "137.67H  (183)"). A cell with
// anything else between or around its figures is one text part.
struct CellParts {
  static constexpr int kMax = 6;
  int count = 0;
  CellValue part[kMax];
  bool in_parens[kMax] = {};  // the figure is written "(...)"
  int chars[kMax] = {};       // characters the figure takes in the text (column widths)
};
CellParts SplitCell(std::string_view text);

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
// after its title; a title already used, case aside, gets " (2)" ...); the
// workbook's title is the first list's, its company the first list's practice.
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
