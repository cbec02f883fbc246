// Writes a result list the way the user asked: --format text|tsv|csv
// (xlsx and pdf come from the export and printing code).
//
//   tsv  each row exactly as it was added to the list, one per line
//   csv  RFC 4180: cells trimmed of the blanks the layouts put before tabs,
//        quoted when they hold a comma, quote or line break; a first line
//        with the column titles
//   text aligned columns for a terminal, titles underlined
// item_data prefixes each tsv/csv line with the row's item data and a tab.
#pragma once

#include <string>

class QenListWindow;
struct CliOptions;

// Writes to options.out (or standard output). Returns false with *error when
// the file cannot be written or the format is unknown.
bool WriteList(const QenListWindow& list, const CliOptions& options, std::string* error);
