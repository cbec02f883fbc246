#include "audit/audit_list_style.h"
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
#include "tests/support/test_db.h"

namespace {

TEST(XlsxCellTest, Classify) {
  struct Case {
    const char* text;
    CellKind kind;
    double number;
    const char* format;
  };
  const Case cases[] = {
      {"12", CellKind::kNumber, 12, "0"},
      {" 12 ", CellKind::kNumber, 12, "0"},
      {"-3.50", CellKind::kNumber, -3.5, "0.00"},
      {"0.5", CellKind::kNumber, 0.5, "0.0"},
      {"1,234.50", CellKind::kNumber, 1234.5, "#,##0.00"},
      {"$1234.56", CellKind::kMoney, 1234.56, "\"$\"0.00;\"$\"-0.00"},
      {"$-10.00", CellKind::kMoney, -10, "\"$\"0.00;\"$\"-0.00"},
      {"-$10.00", CellKind::kMoney, -10, "\"$\"0.00;\"-$\"0.00"},
      {"$1234.56   ", CellKind::kMoney, 1234.56, "\"$\"0.00;\"$\"-0.00"},
      {"12.50%", CellKind::kPercent, 0.125, "0.00%"},
      {"7 %", CellKind::kPercent, 0.07, "0%"},
      {"", CellKind::kEmpty, 0, ""},
      {" ", CellKind::kEmpty, 0, ""},
      {"007", CellKind::kText, 0, ""},
      {"2026-01-05", CellKind::kText, 0, ""},
      {"09:15:00 AM", CellKind::kText, 0, ""},
      {"3 (25.00%)", CellKind::kText, 0, ""},
      {"12.", CellKind::kText, 0, ""},
      {"1,23", CellKind::kText, 0, ""},
      {"$", CellKind::kText, 0, ""},
      {"$--1", CellKind::kText, 0, ""},
      {"1234567890123456", CellKind::kText, 0, ""},
      {"Total: 3", CellKind::kText, 0, ""},
  };
  for (const Case& c : cases) {
    CellValue v = ClassifyCell(c.text);
    EXPECT_EQ(v.kind, c.kind) << "[" << c.text << "]";
    if (v.kind == CellKind::kNumber || v.kind == CellKind::kMoney || v.kind == CellKind::kPercent) {
      EXPECT_DOUBLE_EQ(v.number, c.number) << "[" << c.text << "]";
      EXPECT_EQ(NumberFormatOf(v), c.format) << "[" << c.text << "]";
    }
  }
}

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

bool HaveSoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

// A shell word: text in single quotes, inner quotes escaped.
std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Converted {
  std::string text;  // the converted file's text; "" on failure
  std::string log;   // what soffice printed, for the failure message
};

// Converts file with LibreOffice headless to format (csv or fods).
// Nothing outside the call's own folder can reach the conversion: a fresh user
// profile, HOME and TMPDIR of its own (no profile, lock file, single-instance
// pipe or setting left by another run or by the user's own LibreOffice), and an
// output folder created empty, so the text read back is the file this call
// wrote or nothing.
Converted Convert(const std::string& file, const std::string& format) {
  TempDir work;
  const std::string root = std::filesystem::absolute(work.path()).string();
  std::filesystem::create_directories(root + "/home");
  std::filesystem::create_directories(root + "/tmp");
  const std::string filter = format == "csv" ? "csv:Text - txt - csv (StarCalc):44,34,76" : format;
  const std::string log_path = root + "/soffice.log";
  const std::string cmd = "cd " + ShellQuoted(root) + " && env -u SAL_USE_VCLPLUGIN HOME=" +
                          ShellQuoted(root + "/home") + " TMPDIR=" + ShellQuoted(root + "/tmp") +
                          " soffice -env:UserInstallation=file://" + root + "/profile --headless --norestore" +
                          " --convert-to " + ShellQuoted(filter) + " --outdir " + ShellQuoted(root + "/out") + " " +
                          ShellQuoted(std::filesystem::absolute(file).string()) + " >" + ShellQuoted(log_path) +
                          " 2>&1";
  Converted result;
  const int status = std::system(cmd.c_str());
  const std::string out = root + "/out/" + std::filesystem::path(file).stem().string() + "." + format;
  result.log = "soffice exit " + std::to_string(status) + ": " + ReadFile(log_path);
  if (status == 0 && std::filesystem::exists(out)) result.text = ReadFile(out);
  return result;
}

void FillSample(QenListWindow* list) {
  list->SetColumns({{"Date", 5, ColumnAlign::kLeft}, {"Heure", 5, ColumnAlign::kLeft},
                    {"Usager", 5, ColumnAlign::kLeft}, {"Nombre", 5, ColumnAlign::kRight},
                    {"Frais", 5, ColumnAlign::kRight}, {"Usage", 5, ColumnAlign::kRight},
                    {"Code", 5, ColumnAlign::kLeft}});
  list->AddString("2026-01-05 \t09:15:00 AM \tanne \t12 \t$1234.56 \t12.50% \t007", 1);
  list->AddString("2026-01-06 \t01:10:00 PM \tÉlise, \"la\" \t-3.5 \t$-10.00 \t3 (25%) \tA1", 2);
  list->AddString(" \t \t \t \t \t \t ", 0);
  list->AddString("Grand Total: 2\t \t2 \t \t2 \t2", -1);
}

const char kExpectedCsv[] =
    "Audit \xC3\xA9t\xC3\xA9,,,,,,\n"
    "Date,Heure,Usager,Nombre,Frais,Usage,Code\n"
    "2026-01-05,09:15:00 AM,anne,12,$1234.56,12.50%,007\n"
    "2026-01-06,01:10:00 PM,\"\xC3\x89lise, \"\"la\"\"\",-3.5,$-10.00,3 (25%),A1\n"
    ",,,,,,\n"
    "Grand Total: 2,,2,,2,2,\n";

class XlsxReadBackTest : public ::testing::TestWithParam<long> {};

TEST_P(XlsxReadBackTest, OpensInLibreOfficeAsShown) {
  if (!HaveSoffice()) GTEST_SKIP() << "soffice (libreoffice-calc-nogui) is not installed";
  TempDir dir;
  QenListWindow list(300);
  FillSample(&list);
  TDList colours;
  colours.Append(new ColorListElem(0, 4, Rgb(255, 200, 200), ColorKind::kBackground));
  colours.Append(new ColorListElem(1, 2, Rgb(0, 0, 255), ColorKind::kText));
  ListReport report{&list, "Audit été", AuditRowEmphasis(&list), &colours};
  XlsxOptions options;
  options.constant_memory_rows = GetParam();
  std::string path = dir.File("liste.xlsx");
  std::string error;
  ASSERT_TRUE(WriteListXlsx(report, path, &error, options)) << error;

  Converted converted = Convert(path, "csv");
  std::string csv = converted.text;
  // LibreOffice ends lines with \n; drop any \r.
  std::erase(csv, '\r');
  EXPECT_EQ(csv, kExpectedCsv) << converted.log;

  if (GetParam() == 0) return;  // the styles are the same in both modes; one check is enough
  converted = Convert(path, "fods");
  const std::string& fods = converted.text;
  ASSERT_FALSE(fods.empty()) << converted.log;
  EXPECT_NE(fods.find("fo:background-color=\"#ffc8c8\""), std::string::npos) << "background of a recorded cell";
  EXPECT_NE(fods.find("fo:color=\"#0000ff\""), std::string::npos) << "text colour of a recorded cell";
  EXPECT_NE(fods.find("fo:font-weight=\"bold\""), std::string::npos) << "bold total row";
  EXPECT_NE(fods.find("office:value-type=\"percentage\" office:value=\"0.125\""), std::string::npos)
      << "percentages are numbers";
  EXPECT_NE(fods.find("office:value=\"1234.56\""), std::string::npos) << "money is a number";
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
  FillSample(&list);  // 4 rows
  XlsxOptions options;
  options.max_sheet_rows = 3;  // title, column titles, one row
  std::string error;
  const std::string path = dir.File("long.xlsx");
  ASSERT_TRUE(WriteListXlsx(ListReport(&list, "Audit"), path, &error, options)) << error;
  // Zip entry names are stored as plain text in the container.
  const std::string zip = ReadFile(path);
  EXPECT_NE(zip.find("xl/worksheets/sheet4.xml"), std::string::npos);
  EXPECT_EQ(zip.find("xl/worksheets/sheet5.xml"), std::string::npos);
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
