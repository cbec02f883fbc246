// The window's exports and printouts into files under a real write fault (a
// file-size limit on this process, SIGXFSZ ignored as the suite's program
// does): one message box that names the file and the reason, nothing under
// the final name, an older file kept byte for byte, no temporary file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QPrinter>
#include <algorithm>
#include <csignal>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audit/audit_lines.h"
#include "host/application.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/qen_dialog.h"
#include "lists/graph_data.h"
#include "lists/qt/graph_chart.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"
#include "lists/xlsx_check.h"
#include "lists/xlsx_export.h"
#include "tests/support/test_db.h"
#include "tests/support/write_limits.h"

namespace {

namespace fs = std::filesystem;

constexpr rlim_t kLimit = 32 * 1024;

void FillDetailed(QenListWindow* list, int rows) {
  ASSERT_TRUE(list->LoadRes(300));
  std::string line;
  for (int i = 1; i <= rows; ++i) {
    const std::string user = "user" + std::to_string(i % 7);
    const std::string text = "Modification du dossier numéro " + std::to_string(1000 + i);
    DetailedLine(&line, "2026-01-05", AuditTimeText(90000 + i).c_str(), user.c_str(), "PATIENT", "Dossiers",
                 "Modification", text.c_str(), "Luc", "Roy");
    list->AddString(line, i);
  }
}

// Every message box the code under test opens.
class Messages {
 public:
  Messages()
      : hook_([this](const PromptRequest& r) {
          texts_.push_back(r.text.toStdString());
          return QMessageBox::Ok;
        }) {}
  const std::vector<std::string>& Texts() const { return texts_; }

 private:
  std::vector<std::string> texts_;
  ScopedPromptHook hook_;
};

// A window action that writes into path; true when it says it succeeded.
struct WindowCase {
  const char* name;
  std::function<bool(const QenListWindow& list, const std::string& path)> write;
  const char* message_start;  // of the failure's message box ("" = the reason alone)
};

const WindowCase kCases[] = {
    {"print_to_pdf_file",
     [](const QenListWindow& list, const std::string& path) {
       QPrinter printer(QPrinter::HighResolution);
       printer.setOutputFormat(QPrinter::PdfFormat);
       printer.setOutputFileName(QString::fromStdString(path));
       CPrintListView print(nullptr, 0, &list, &printer, "Journal d'audit");
       return print.Print();
     },
     ""},
    {"print_all_to_pdf_file",
     [](const QenListWindow& list, const std::string& path) {
       QPrinter printer(QPrinter::HighResolution);
       printer.setOutputFormat(QPrinter::PdfFormat);
       printer.setOutputFileName(QString::fromStdString(path));
       CPrintMultipleListViews print(nullptr, 0, &printer, "Statistiques");
       print.AddList(&list, "Première");
       print.AddList(&list, "Seconde");
       return print.Print();
     },
     ""},
};

class WindowWriteFaultTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowWriteFaultTest, OneMessageAndTheOlderFileKept) {
  const WindowCase& c = GetParam();
  QenListWindow list(300);
  FillDetailed(&list, 2000);
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "older file present" : "no file");
    TempDir dir;
    const std::string path = dir.File("liste.pdf");
    const std::string older = "%PDF older printout\n";
    if (existing) std::ofstream(path, std::ios::binary) << older;
    Messages messages;
    bool ok;
    {
      ScopedSizeLimit limit(kLimit);
      ok = c.write(list, path);
    }
    EXPECT_FALSE(ok);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], std::string(c.message_start) + "impossible d'écrire " + path +
                                       " : Fichier trop volumineux");
    if (existing) {
      EXPECT_EQ(ReadAll(path), older);
      EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"liste.pdf"});
    } else {
      EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{});
    }
  }
  // The control: without the limit the same action writes a file bigger
  // than the limit, so the fault above really happened.
  TempDir dir;
  Messages messages;
  ASSERT_TRUE(c.write(list, dir.File("liste.pdf")));
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_GT(fs::file_size(dir.File("liste.pdf")), kLimit);
  const std::string whole = ReadAll(dir.File("liste.pdf"));
  EXPECT_NE(whole.find("%%EOF", whole.size() - 16), std::string::npos) << "a whole PDF";
}

INSTANTIATE_TEST_SUITE_P(Actions, WindowWriteFaultTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<WindowCase>& info) { return info.param.name; });

// "&Exporter à Excel": the new workbook in the spreadsheet folder, in both
// of the writer's modes.
TEST(WindowWriteFaultTest, SpreadsheetExportShowsOneMessageAndKeepsNoFile) {
  TempDir dir;
  QenApplication app;
  QenApplication::SetInstance(&app);
  app.SetINI(dir.File("tolvane.ini"));
  const std::string folder = dir.path() + "/xls";
  ASSERT_TRUE(WDIniObj(app.GetINI()).write_secini("SUITE", "SpreadSheetDir", folder.c_str()));
  ASSERT_TRUE(fs::create_directory(folder));
  QenListWindow list(300);
  FillDetailed(&list, 4000);
  {
    Messages messages;
    CPrintListView exporter(nullptr, 0, &list, nullptr, "Journal d'audit");
    {
      ScopedSizeLimit limit(kLimit);
      EXPECT_EQ(exporter.PrintReport(CPrintListView::kSpreadsheet), 0);
    }
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind("L'exportation a échoué : impossible d'écrire " + folder + "/Journal d'audit ",
                                        0),
              0u)
        << messages.Texts()[0];
    EXPECT_NE(messages.Texts()[0].find(".xlsx : Fichier trop volumineux"), std::string::npos) << messages.Texts()[0];
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{});
    EXPECT_EQ(exporter.ExportedPath(), "");
  }
  const ListReport report(&list, "Journal", nullptr, nullptr);
  for (const long constant_memory_rows : {50000L, 0L}) {
    SCOPED_TRACE(constant_memory_rows ? "in memory" : "constant memory");
    XlsxOptions options;
    options.constant_memory_rows = constant_memory_rows;
    const std::string path = folder + "/liste.xlsx";
    std::ofstream(path, std::ios::binary) << "older workbook";
    std::string error;
    {
      ScopedSizeLimit limit(kLimit);
      EXPECT_FALSE(WriteListXlsx(report, path, &error, options));
    }
    EXPECT_EQ(error, "impossible d'écrire " + path + " : Fichier trop volumineux");
    EXPECT_EQ(ReadAll(path), "older workbook");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"liste.xlsx"});
    ASSERT_TRUE(WriteListXlsx(report, path, &error, options)) << error;
    EXPECT_GT(fs::file_size(path), kLimit);
    std::string reason;
    EXPECT_TRUE(XlsxPartsComplete(path, &reason)) << reason;
    fs::remove(path);
  }
  QenApplication::SetInstance(nullptr);
}

// The check behind the workbook: a sheet cut short inside a well-formed
// zip (what the library makes of a temporary file that could not grow) is
// found.
TEST(WindowWriteFaultTest, WorkbookWithACutSheetIsFound) {
  TempDir dir;
  QenListWindow list(300);
  FillDetailed(&list, 50);
  const ListReport report(&list, "Journal", nullptr, nullptr);
  std::string error, reason;
  const std::string path = dir.File("liste.xlsx");
  ASSERT_TRUE(WriteListXlsx(report, path, &error)) << error;
  EXPECT_TRUE(XlsxPartsComplete(path, &reason)) << reason;
  // Cut the file: the end of the zip goes.
  const std::string whole = ReadAll(path);
  std::ofstream(dir.File("cut.xlsx"), std::ios::binary) << whole.substr(0, whole.size() / 2);
  EXPECT_FALSE(XlsxPartsComplete(dir.File("cut.xlsx"), &reason));
  EXPECT_FALSE(XlsxPartsComplete(dir.File("missing.xlsx"), &reason));
}

TEST(WindowWriteFaultTest, ChartPngIsWholeOrAbsent) {
  TDList series;
  for (int s = 0; s < 12; ++s) {
    auto* e = new PracGraphElem("série " + std::to_string(s), "4", "1");
    for (int c = 0; c < 40; ++c) {
      auto* v = new GraphValueElem("catégorie " + std::to_string(c), "");
      v->value = 1 + (s * 7 + c * 3) % 17;
      e->Values().Append(v);
    }
    series.Append(e);
  }
  ChartLook look;
  look.title = QStringLiteral("Actions par usager");
  TempDir dir;
  const std::string path = dir.File("diagramme.png");
  std::ofstream(path, std::ios::binary) << "older picture";
  QString error;
  {
    ScopedSizeLimit limit(16 * 1024);
    EXPECT_FALSE(RenderChartPng(series, look, QString::fromStdString(path), QSize(1600, 1000), &error));
  }
  EXPECT_EQ(error.toStdString(), "impossible d'écrire " + path + " : Fichier trop volumineux");
  EXPECT_EQ(ReadAll(path), "older picture");
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"diagramme.png"});
  ASSERT_TRUE(RenderChartPng(series, look, QString::fromStdString(path), QSize(1600, 1000), &error))
      << error.toStdString();
  EXPECT_GT(fs::file_size(path), 16u * 1024);
  EXPECT_EQ(ReadAll(path).substr(1, 3), "PNG");
}

}  // namespace
