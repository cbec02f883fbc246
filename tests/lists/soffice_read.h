// Reading a workbook back through LibreOffice, for tests that check what a
// spreadsheet program makes of the files the export writes.
//
//   if (!HaveSoffice()) GTEST_SKIP() << "soffice is not installed";
//   Converted c = Convert(path, "fods");
//   std::vector<FodsSheet> sheets = ReadFods(c.text);
//   const FodsCell& cell = sheets[0].At(2, 3);   // row 3, column D
#pragma once

#include <string>
#include <vector>

bool HaveSoffice();

struct Converted {
  std::string text;  // the converted file's text; "" on failure
  std::string log;   // what soffice printed, for the failure message
};
// Converts file with LibreOffice headless to format ("fods", or "csv" for
// the first sheet as text) in a folder, profile, HOME and TMPDIR of the
// call's own, so parallel runs never meet.
Converted Convert(const std::string& file, const std::string& format);

// One cell of a flat ODS sheet: "" (empty), "string", "float",
// "percentage", "currency" ...; value is office:value for the numeric types.
struct FodsCell {
  std::string type;
  double value = 0;
  std::string text;  // the text:p content, entities decoded
  bool Numeric() const { return type == "float" || type == "percentage" || type == "currency"; }
};
struct FodsSheet {
  std::string name;
  std::vector<std::vector<FodsCell>> rows;  // trailing empty cells and rows dropped
  const FodsCell& At(size_t row, size_t column) const;  // an empty cell past the end
};
std::vector<FodsSheet> ReadFods(const std::string& xml);
