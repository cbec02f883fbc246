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

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "host/atomic_file.h"
#include "lists/list_style.h"

class QenListWindow;
struct CliOptions;
struct CliWritten;

// Adds rows to what the run wrote (CliOptions::written), when asked. Every
// writer below counts the rows it writes; a command that writes rows of its
// own (a tsv with its own item data, a document of several lists) counts
// them with this.
void CountWritten(const CliOptions& options, long rows);

// Writes text's bytes to f; an empty view (whose data may be null) writes
// nothing.
inline void PutBytes(FILE* f, std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
}

// Writes to options.out (or standard output). Every format goes through
// AtomicFile: options.out gets the whole output or is left as it was (an
// older file stays byte for byte). Returns false with one French line in
// *error ("impossible d'écrire F : Fichier trop volumineux") when the file
// cannot be written or the format is unknown; a failed write to standard
// output is reported too.
// The text formats (text, csv, tsv as WriteList writes them) into an open
// stream; the caller checks and closes it (AtomicFile::Commit). For outputs
// that hold several lists.
void WriteListStream(FILE* f, const QenListWindow& list, const CliOptions& options);

// xlsx and pdf (the window's export and printout code, lists/):
//   xlsx  the workbook into options.out; without --out, a new file in the
//         suite's spreadsheet folder, whose path is printed on standard output
//   pdf   the printout into options.out (required); drawn off-screen
// Both take the list's title, row styles and coloured cells from decor (the
// text formats ignore it).
struct ListDecor {
  std::string title;
  std::string period;            // the dates the list covers (PeriodText), "" when none
  CellStyleFn style;             // may be empty
  const TDList* colors = nullptr;  // ColorListElem records, may be null
};
bool WriteList(const QenListWindow& list, const CliOptions& options, const ListDecor& decor,
               std::string* error);

// The report printing and export read for list: decor's title, style,
// colours and period, and the practice's name (CurrentPracticeName).
ListReport ReportOf(const QenListWindow& list, const ListDecor& decor);

// The printout of report as a PDF file (the same pages the printer gets).
bool WriteListPdf(const ListReport& report, const std::string& path, std::string* error);

// --format xlsx of one or more lists: one workbook (a sheet or more per
// list, in order) to --out, or into the spreadsheet folder under a new name
// that is then printed on standard output.
bool WriteWorkbook(const std::vector<const ListReport*>& reports, const std::string& title,
                   const CliOptions& options, std::string* error);

// The tsv format row by row, for rows that do not go through a list (the
// audit command streams its lines here as the generator makes them). Writes
// what WriteList writes for the same rows: the item data as a list keeps it
// (32 bits) when options.item_data, the text, a line break.
class TsvWriter {
 public:
  TsvWriter() = default;
  TsvWriter(const TsvWriter&) = delete;
  TsvWriter& operator=(const TsvWriter&) = delete;
  ~TsvWriter();
  // Opens a temporary file beside options.out (or takes standard output);
  // false with *error (the same text as WriteList's) when it cannot be
  // opened. Destroyed before Finish, it leaves options.out as it was.
  bool Open(const CliOptions& options, std::string* error);
  void Row(std::string_view text, long item_data);
  // Writes what is left and puts the file in place (AtomicFile::Commit);
  // false with *error.
  bool Finish(std::string* error);

 private:
  void Flush();
  AtomicFile out_;
  CliWritten* written_ = nullptr;
  long rows_ = 0;
  bool item_data_ = false;
  std::vector<char> buffer_;
  size_t used_ = 0;
};
