// The command line's xlsx, pdf and chart outputs go through the window's
// export, printing and chart code.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "audit/audit_lines.h"
#include "cli/cli_chart.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cmd_audit.h"
#include "host/list_window.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/test_db.h"

namespace {

void Fill(QenListWindow* list) {
  list->LoadRes(300);
  std::string line;
  DetailedLine(&line, "2026-01-05", "09:15:00 AM", "anne", "PATIENT", "Dossiers", "Ajout", "Carte Visa", "L", "R");
  list->AddString(line, 1);
  DetailedLine(&line, "2026-01-06", "10:00:00 AM", "marc", "RDV", "Horaire", "Retrait", "Rappel", "E", "C");
  list->AddString(line, 2);
  list->AddString("Grand Total: 2\t \t2 \t \t2 \t2", -1);
}

TEST(CliFormatsTest, PdfAndXlsx) {
  TempDir dir;
  QenListWindow list(300);
  Fill(&list);
  CliOptions options;
  std::string error;
  options.format = "pdf";
  options.out = dir.File("liste.pdf");
  ASSERT_TRUE(WriteAuditList(list, options, &error)) << error;
  const std::string text = PdfText(options.out);
  EXPECT_NE(text.find("Liste détaillé"), std::string::npos) << "the layout's name is the title";
  EXPECT_NE(text.find("Carte Visa"), std::string::npos);

  options.format = "xlsx";
  options.out = dir.File("liste.xlsx");
  ASSERT_TRUE(WriteAuditList(list, options, &error)) << error;
  EXPECT_GT(std::filesystem::file_size(options.out), 1000u);

  options.format = "pdf";
  options.out.clear();
  EXPECT_FALSE(WriteAuditList(list, options, &error)) << "pdf needs --out";
}

TEST(CliFormatsTest, Chart) {
  TempDir dir;
  QenListWindow list(300);
  Fill(&list);
  CliOptions options;
  std::string error;
  options.out = dir.File("chart.png");
  struct Case {
    const char* flag;
    bool ok;
  };
  const Case cases[] = {{"4,1", true},         {"4,1,style=7,axis=T", true}, {"4", false},
                        {"9,1", false},        {"4,1,style=11", false},      {"4,1,bad=1", false}};
  for (const Case& c : cases) {
    options.flags["chart"] = c.flag;
    std::filesystem::remove(options.out);
    EXPECT_EQ(WriteAuditListChart(list, 0, options, &error), c.ok) << c.flag << ": " << error;
    EXPECT_EQ(std::filesystem::exists(options.out), c.ok) << c.flag;
    if (c.ok) {
      EXPECT_EQ(QImage(QString::fromStdString(options.out)).size(), QSize(800, 500)) << c.flag;
    }
  }
  options.flags["chart"] = "5,1";
  EXPECT_FALSE(WriteAuditListChart(list, 1, options, &error)) << "no table code on the summary list";
}

}  // namespace
