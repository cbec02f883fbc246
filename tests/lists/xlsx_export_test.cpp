#include "audit/audit_style.h"
#include "lists/xlsx_export.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "tests/lists/soffice_read.h"
#include "tests/support/test_db.h"

namespace {

struct ClassifyCase {
  const char* name;
  const char* text;
  CellKind kind;
  double number;
  const char* format;
};
void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << c.name; }

class XlsxClassifyTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(XlsxClassifyTest, KindValueAndFormat) {
  const ClassifyCase& c = GetParam();
  const CellValue v = ClassifyCell(c.text);
  EXPECT_EQ(v.kind, c.kind) << "[" << c.text << "]";
  EXPECT_DOUBLE_EQ(v.number, c.kind == CellKind::kText || c.kind == CellKind::kEmpty ? 0 : c.number);
  EXPECT_EQ(NumberFormatOf(v), c.format);
}

const ClassifyCase kClassifyCases[] = {
    {"integer", "12", CellKind::kNumber, 12, "0"},
    {"integer_in_blanks", " 12 ", CellKind::kNumber, 12, "0"},
    {"negative_decimal", "-3.50", CellKind::kNumber, -3.5, "0.00"},
    {"zero_point", "0.5", CellKind::kNumber, 0.5, "0.0"},
    {"grouped", "1,234.50", CellKind::kNumber, 1234.5, "#,##0.00"},
    {"money", "$1234.56", CellKind::kMoney, 1234.56, "\"$\"0.00;\"$\"-0.00"},
    {"money_sign_inside", "$-10.00", CellKind::kMoney, -10, "\"$\"0.00;\"$\"-0.00"},
    {"money_sign_first", "-$10.00", CellKind::kMoney, -10, "\"$\"0.00;\"-$\"0.00"},
    {"money_sign_after", "$14.00-", CellKind::kMoney, -14, "\"$\"0.00;\"$\"0.00-"},
    {"money_sign_after_grouped", "$1,134,439.60-", CellKind::kMoney, -1134439.6, "\"$\"#,##0.00;\"$\"#,##0.00-"},
    {"money_padded", "$1234.56   ", CellKind::kMoney, 1234.56, "\"$\"0.00;\"$\"-0.00"},
    {"hours", "111.08H", CellKind::kNumber, 111.08, "0.00\"H\""},
    {"hours_zero", "0.00H", CellKind::kNumber, 0, "0.00\"H\""},
    {"units", "782U", CellKind::kNumber, 782, "0\"U\""},
    {"thousands", "57.0K", CellKind::kNumber, 57, "0.0\"K\""},
    {"percent", "83.52%", CellKind::kPercent, 0.8352, "0.00%"},
    {"percent_blank_before_sign", "7 %", CellKind::kPercent, 0.07, "0%"},
    {"empty", "", CellKind::kEmpty, 0, ""},
    {"blank", " ", CellKind::kEmpty, 0, ""},
    {"code_with_leading_zero", "007", CellKind::kText, 0, ""},
    {"date", "2026-12-05", CellKind::kText, 0, ""},
    {"time", "09:15:00 AM", CellKind::kText, 0, ""},
    {"composite_is_not_one_figure", "3 (25.00%)", CellKind::kText, 0, ""},
    {"point_without_decimals", "12.", CellKind::kText, 0, ""},
    {"bad_grouping", "1,23", CellKind::kText, 0, ""},
    {"dollar_alone", "$", CellKind::kText, 0, ""},
    {"two_signs", "$--1", CellKind::kText, 0, ""},
    {"sign_first_and_after", "-$14.00-", CellKind::kText, 0, ""},
    {"sign_inside_and_after", "$-14.00-", CellKind::kText, 0, ""},
    {"sign_after_without_dollar", "14.00-", CellKind::kText, 0, ""},
    {"sixteen_digits", "1234567890123456", CellKind::kText, 0, ""},
    {"label", "Total: 3", CellKind::kText, 0, ""},
    {"producer_code", "H01", CellKind::kText, 0, ""},
    {"unit_letter_alone", "H", CellKind::kText, 0, ""},
    {"other_letter", "12A", CellKind::kText, 0, ""},
    {"lower_case_unit", "12h", CellKind::kText, 0, ""},
};
INSTANTIATE_TEST_SUITE_P(Cells, XlsxClassifyTest, ::testing::ValuesIn(kClassifyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A split: the figures expected, each written as the format that shows it.
struct SplitCase {
  const char* name;
  const char* text;
  std::vector<double> numbers;        // empty: one text part (or none for "")
  std::vector<const char*> formats;
  std::vector<bool> in_parens;
};
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class XlsxSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(XlsxSplitTest, Figures) {
  const SplitCase& c = GetParam();
  const CellParts parts = SplitCell(c.text);
  if (c.numbers.empty()) {
    const bool empty = std::string_view(c.text).find_first_not_of(' ') == std::string_view::npos;
    ASSERT_EQ(parts.count, empty ? 0 : 1);
    if (!empty) {
      EXPECT_EQ(parts.part[0].kind, CellKind::kText);
    }
    return;
  }
  ASSERT_EQ(parts.count, static_cast<int>(c.numbers.size()));
  for (int k = 0; k < parts.count; ++k) {
    EXPECT_NE(parts.part[k].kind, CellKind::kText) << "part " << k;
    EXPECT_NEAR(parts.part[k].number, c.numbers[k], 1e-12) << "part " << k;
    EXPECT_EQ(NumberFormatOf(parts.part[k]), c.formats[k]) << "part " << k;
    if (!c.in_parens.empty()) {
      EXPECT_EQ(parts.in_parens[k], c.in_parens[k]) << "part " << k;
    }
  }
}

const SplitCase kSplitCases[] = {
    {"single_figure", "$14.00-", {-14}, {"\"$\"0.00;\"$\"0.00-"}, {false}},
    {"goals_figure_and_percent", "57013.33 (104.50%)", {57013.33, 1.045}, {"0.00", "0.00%"}, {false, true}},
    {"goals_ratio_and_percent", "57013.33/58900 (97%)", {57013.33, 58900, 0.97}, {"0.00", "0", "0%"}, {}},
    {"goals_in_thousands", "57.0K/58.9K (97%)", {57, 58.9, 0.97}, {"0.0\"K\"", "0.0\"K\"", "0%"}, {}},
    {"scheduled_hours_and_count", "137.67H  (183)", {137.67, 183}, {"0.00\"H\"", "0"}, {false, true}},
    {"usage_ratio_and_percent", "137.67H/166.00H (82.93%)", {137.67, 166, 0.8293},
     {"0.00\"H\"", "0.00\"H\"", "0.00%"}, {false, false, true}},
    {"usage_two_blanks", "137.67H/166.00H  (82.93%)", {137.67, 166, 0.8293}, {"0.00\"H\"", "0.00\"H\"", "0.00%"}, {}},
    {"units_and_hours", "40U, 7.00H  (12)", {40, 7, 12}, {"0\"U\"", "0.00\"H\"", "0"}, {}},
    {"units_comma_hours", "996U,166.00H", {996, 166}, {"0\"U\"", "0.00\"H\""}, {}},
    {"two_ratios_and_percent", "782U/996U, 137.67H/166.00H  (82.93%)", {782, 996, 137.67, 166, 0.8293},
     {"0\"U\"", "0\"U\"", "0.00\"H\"", "0.00\"H\"", "0.00%"}, {}},
    {"grouped_ratio", "1,234.50/2,000 (61.73%)", {1234.5, 2000, 0.6173}, {"#,##0.00", "#,##0", "0.00%"}, {}},
    {"money_and_count", "$14.00- (3)", {-14, 3}, {"\"$\"0.00;\"$\"0.00-", "0"}, {false, true}},
    {"count_in_parentheses_alone", "(183)", {183}, {"0"}, {true}},
    {"count_and_share", "3 (25%)", {3, 0.25}, {"0", "0%"}, {}},
    {"empty", "  ", {}, {}, {}},
    {"date_with_slashes", "2026/12/05", {}, {}, {}},
    {"date", "2026-12-05", {}, {}, {}},
    {"time", "09:15:00 AM", {}, {}, {}},
    {"code_with_leading_zero", "007", {}, {}, {}},
    {"leading_zero_in_composite", "007 (3)", {}, {}, {}},
    {"producer_and_year", "D01(2025)", {}, {}, {}},
    {"label_and_year", "Total: 2025", {}, {}, {}},
    {"appointment_text", "OBT BD0  12:02", {}, {}, {}},
    {"figures_side_by_side", "12 34", {}, {}, {}},
    {"parenthesis_unclosed", "12 (3", {}, {}, {}},
    {"trailing_joiner", "12/", {}, {}, {}},
    {"slash_into_parenthesis", "12/(3)", {}, {}, {}},
    {"description_with_amount", "R.-V. 000123 déplacé, $1.02", {}, {}, {}},
    {"code_and_name", "01202, Examen de rappel", {}, {}, {}},
    {"too_many_figures", "1, 2, 3, 4, 5, 6, 7", {}, {}, {}},
};
INSTANTIATE_TEST_SUITE_P(Cells, XlsxSplitTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XlsxFileNameTest, TitleTimeAndNoOverwrite) {
  TempDir dir;
  std::tm tm = {};
  tm.tm_year = 2026 - 1900;
  tm.tm_mon = 0;
  tm.tm_mday = 5;
  tm.tm_hour = 14;
  tm.tm_min = 3;
  tm.tm_sec = 9;
  tm.tm_isdst = -1;
  std::time_t when = std::mktime(&tm);
  std::string first = SpreadsheetFileName(dir.path(), "Journal d'audit: a/b", when);
  EXPECT_EQ(first, dir.path() + "/Journal d'audit  a b 2026-01-05 14h03m09.xlsx");
  std::ofstream(first) << "x";
  EXPECT_EQ(SpreadsheetFileName(dir.path(), "Journal d'audit: a/b", when),
            dir.path() + "/Journal d'audit  a b 2026-01-05 14h03m09 (2).xlsx");
  EXPECT_EQ(SpreadsheetFileName(dir.path() + "/", "***", when), dir.path() + "/Liste 2026-01-05 14h03m09.xlsx");
}

// --- read back through a real spreadsheet program ---------------------------

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void FillSample(QenListWindow* list) {
  list->SetColumns({{"Date", 5, ColumnAlign::kLeft}, {"Heure", 5, ColumnAlign::kLeft},
                    {"Usager", 5, ColumnAlign::kLeft}, {"Nombre", 5, ColumnAlign::kRight},
                    {"Frais", 5, ColumnAlign::kRight}, {"Usage", 5, ColumnAlign::kRight},
                    {"Code", 5, ColumnAlign::kLeft}});
  list->AddString("2026-01-05 \t09:15:00 AM \tanne \t12 \t$1234.56 \t12.50% \t007", 1);
  list->AddString("2026-01-06 \t01:10:00 PM \tÉlise, \"la\" \t-3.5 \t$-10.00 \t3 (25%) \tA1", 2);
  list->AddString("2026-01-07 \t02:00:00 PM \tmarc \t111.08H \t$14.00- \t137.67H/166.00H  (82.93%) \t0012", 3);
  list->AddString(" \t \t \t \t \t \t ", 0);
  list->AddString("Grand Total: 2\t \t2 \t \t2 \t2", -1);
}

// The "Usage" column shows up to three figures: its second position holds
// a percentage in one row and hours in another (so it is numbered), its
// third only percentages.
const char kExpectedRows[] =
    "Date,Heure,Usager,Nombre,Frais,Usage,Usage (2),Usage %,Code\n"
    "2026-01-05,09:15:00 AM,anne,12,$1234.56,12.50%,,,007\n"
    "2026-01-06,01:10:00 PM,\"\xC3\x89lise, \"\"la\"\"\",-3.5,$-10.00,3,25%,,A1\n"
    "2026-01-07,02:00:00 PM,marc,111.08H,$14.00-,137.67H,166.00H,82.93%,0012\n"
    ",,,,,,,,\n"
    "Grand Total: 2,,2,,2,2,,,\n";

class XlsxReadBackTest : public ::testing::TestWithParam<long> {};

TEST_P(XlsxReadBackTest, OpensInLibreOfficeAsShown) {
  if (!HaveSoffice()) GTEST_SKIP() << "soffice (libreoffice-calc-nogui) is not installed";
  TempDir dir;
  QenListWindow list(300);
  FillSample(&list);
  TDList colours;
  colours.Append(new ColorListElem(0, 4, Rgb(255, 200, 200), ColorKind::kBackground));
  colours.Append(new ColorListElem(1, 2, Rgb(0, 0, 255), ColorKind::kText));
  colours.Append(new ColorListElem(2, 5, Rgb(200, 255, 200), ColorKind::kBackground));
  ListReport report{&list, "Audit été", AuditRowEmphasis(&list), &colours};
  // The period beside the title in one mode; without one the title row is
  // the title alone.
  const bool with_period = GetParam() != 0;
  if (with_period) report.period = "du 2026-01-01 au 2026-01-31";
  XlsxOptions options;
  options.constant_memory_rows = GetParam();
  std::string path = dir.File("liste.xlsx");
  std::string error;
  ASSERT_TRUE(WriteListXlsx(report, path, &error, options)) << error;

  Converted converted = Convert(path, "csv");
  std::string csv = converted.text;
  // LibreOffice ends lines with \n; drop any \r.
  std::erase(csv, '\r');
  const std::string title_row =
      with_period ? "Audit \xC3\xA9t\xC3\xA9,du 2026-01-01 au 2026-01-31,,,,,,,\n" : "Audit \xC3\xA9t\xC3\xA9,,,,,,,,\n";
  EXPECT_EQ(csv, title_row + kExpectedRows) << converted.log;

  converted = Convert(path, "fods");
  const std::string& fods = converted.text;
  const std::vector<FodsSheet> sheets = ReadFods(fods);
  ASSERT_EQ(sheets.size(), 1u) << converted.log;
  const FodsSheet& sheet = sheets[0];
  EXPECT_EQ(sheet.name, "Audit été");
  struct Number {
    size_t row, column;
    const char* type;
    double value;
  };
  const Number numbers[] = {
      {4, 4, "currency", -14},  {4, 3, "float", 111.08},       {4, 5, "float", 137.67},
      {4, 6, "float", 166},     {4, 7, "percentage", 0.8293},  {3, 5, "float", 3},
      {3, 6, "percentage", 0.25}, {2, 5, "percentage", 0.125}, {2, 4, "currency", 1234.56},
  };
  for (const Number& n : numbers) {
    const FodsCell& cell = sheet.At(n.row, n.column);
    EXPECT_TRUE(cell.Numeric()) << n.row << "," << n.column << " [" << cell.text << "] " << cell.type;
    EXPECT_NEAR(cell.value, n.value, 1e-9) << n.row << "," << n.column;
  }
  EXPECT_EQ(sheet.At(2, 8).type, "string") << "a code with leading zeros stays text";
  EXPECT_EQ(sheet.At(2, 0).type, "string") << "a date stays text";
  if (GetParam() == 0) return;  // the styles are the same in both modes; one check is enough
  EXPECT_NE(fods.find("fo:background-color=\"#ffc8c8\""), std::string::npos) << "background of a recorded cell";
  EXPECT_NE(fods.find("fo:background-color=\"#c8ffc8\""), std::string::npos) << "background of a split cell";
  EXPECT_NE(fods.find("fo:color=\"#0000ff\""), std::string::npos) << "text colour of a recorded cell";
  EXPECT_NE(fods.find("fo:font-weight=\"bold\""), std::string::npos) << "bold total row";
}

TEST(XlsxSheetNameTest, NamedAfterTheTitles) {
  if (!HaveSoffice()) GTEST_SKIP() << "soffice (libreoffice-calc-nogui) is not installed";
  TempDir dir;
  QenListWindow list(300);
  FillSample(&list);
  struct Case {
    const char* title;
    const char* sheet;
  };
  const Case cases[] = {
      {"Productivité", "Productivité"},
      {"C/R", "C R"},
      {"Statistiques: [A]*?\\ du cabinet et encore plus long",
       "Statistiques   A     du cabinet"},  // []:*?/\ as blanks, 31 characters
      {"'Rendez-vous d'hier'", "Rendez-vous d'hier"},  // no apostrophe first or last
      {"productivité", "productivité (2)"},           // Excel ignores case
      {"", "Liste"},
      {"Éléments à facturer au cabinet — 2026", "Éléments à facturer au cabinet"},
  };
  std::vector<ListReport> reports;
  for (const Case& c : cases) reports.emplace_back(&list, c.title);
  std::vector<const ListReport*> pointers;
  for (const ListReport& r : reports) pointers.push_back(&r);
  const std::string path = dir.File("noms.xlsx");
  std::string error;
  ASSERT_TRUE(WriteReportsXlsx(pointers, path, &error)) << error;
  const Converted converted = Convert(path, "fods");
  const std::vector<FodsSheet> sheets = ReadFods(converted.text);
  ASSERT_EQ(sheets.size(), std::size(cases)) << converted.log;
  for (size_t i = 0; i < sheets.size(); ++i) {
    EXPECT_EQ(sheets[i].name, cases[i].sheet) << cases[i].title;
    EXPECT_EQ(sheets[i].At(0, 0).text, *cases[i].title ? cases[i].title : "Liste") << "the title row keeps the whole title";
  }
}

// 50000: shared strings (the default for small lists); 0: constant memory.
INSTANTIATE_TEST_SUITE_P(Modes, XlsxReadBackTest, ::testing::Values(50000L, 0L),
                         [](const auto& info) { return info.param ? "in_memory" : "constant_memory"; });

TEST(XlsxExportTest, WritesIntoTheSpreadsheetFolder) {
  TempDir dir;
  QenApplication app;
  QenApplication::SetInstance(&app);
  app.SetINI(dir.File("tolvane.ini"));
  QenListWindow list(300);
  FillSample(&list);
  ListReport report{&list, "Journal", nullptr, nullptr};
  std::string error;

  ASSERT_TRUE(WDIniObj(app.GetINI()).write_secini("SUITE", "SpreadSheetDir", (dir.path() + "/xls").c_str()));
  std::string first = ExportListToSpreadsheet(report, &error);
  ASSERT_FALSE(first.empty()) << error;
  EXPECT_EQ(first.rfind(dir.path() + "/xls/Journal ", 0), 0u) << first;
  std::string second = ExportListToSpreadsheet(report, &error);
  EXPECT_NE(first, second) << "a second export in the same second gets another name";
  EXPECT_TRUE(std::filesystem::exists(first));
  EXPECT_TRUE(std::filesystem::exists(second));
  EXPECT_EQ(ReadFile(first).substr(0, 2), "PK") << "a zip container";

  ASSERT_TRUE(WDIniObj(app.GetINI()).write_secini("SUITE", "SpreadSheetDir", ""));
  EXPECT_EQ(ExportListToSpreadsheet(report, &error), "");
  EXPECT_FALSE(error.empty());
  QenApplication::SetInstance(nullptr);
}

TEST(XlsxExportTest, LongListsContinueOnFurtherSheets) {
  TempDir dir;
  QenListWindow list(300);
  FillSample(&list);  // 5 rows
  XlsxOptions options;
  options.max_sheet_rows = 3;  // title, column titles, one row
  std::string error;
  const std::string path = dir.File("long.xlsx");
  ASSERT_TRUE(WriteListXlsx(ListReport(&list, "Audit"), path, &error, options)) << error;
  // Zip entry names are stored as plain text in the container.
  const std::string zip = ReadFile(path);
  EXPECT_NE(zip.find("xl/worksheets/sheet5.xml"), std::string::npos);
  EXPECT_EQ(zip.find("xl/worksheets/sheet6.xml"), std::string::npos);
}

TEST(XlsxExportTest, UnwritablePathFailsCleanly) {
  QenListWindow list(300);
  FillSample(&list);
  std::string error;
  EXPECT_FALSE(WriteListXlsx(ListReport{&list, "x", nullptr, nullptr}, "/nonexistent/dir/x.xlsx", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(WriteListXlsx(ListReport{}, "/tmp/x.xlsx", &error)) << "no list";
}

}  // namespace
