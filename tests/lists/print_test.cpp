// Printing of result lists, checked on the PDF the printer writes: the text
// with pdftotext, the look with pdftoppm.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPageSize>
#include <QPrinter>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "audit/audit_style.h"
#include "audit/audit_lines.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/translations.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/test_db.h"

namespace {

bool HavePoppler() { return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") == 0; }

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A detailed list: rows data rows with long descriptions, then the grand total.
void FillDetailed(QenListWindow* list, int rows) {
  ASSERT_TRUE(list->LoadRes(300));
  std::string line;
  for (int i = 1; i <= rows; ++i) {
    std::string user = "user" + std::to_string(i % 3);
    std::string description = "Modification du dossier numéro " + std::to_string(1000 + i) + " (adresse, téléphone)";
    DetailedLine(&line, "2026-01-05", AuditTimeText(90000 + i).c_str(), user.c_str(), "PATIENT", "Dossiers",
                 "Modification", description.c_str(), "Luc", "Roy");
    list->AddString(line, i);
  }
  const std::string n = std::to_string(rows);
  list->AddString("Grand Total: " + n + "\t \t" + n + " \t \t" + n + " \t" + n, -1);
}

ScopedPrinterChoice PdfChoice(const std::string& path) {
  return ScopedPrinterChoice([path](QPrinter* printer) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(path));
    return true;
  });
}

TEST(PrintListTest, ColumnsRowsHeadersAndPages) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  TempDir dir;
  QenListWindow list(300);
  FillDetailed(&list, 120);
  const std::string path = dir.File("liste.pdf");
  auto choice = PdfChoice(path);
  TPrinterSelectDlg select(nullptr, 0);
  ASSERT_EQ(select.Execute(), 1);
  CPrintListView print(nullptr, 0, &list, select.GetSelectedPrinterDC(), "Journal d'audit", 1, false, true);
  print.SetStyle(AuditRowEmphasis(&list));
  ASSERT_TRUE(print.Print());
  select.DeleteSelectedPrinterDC();

  const std::string text = PdfText(path);
  const int pages = PdfPages(path);
  EXPECT_GT(pages, 1) << "121 rows do not fit on one page";
  EXPECT_EQ(print.PageCount(), pages);
  EXPECT_EQ(Count(text, "Journal d'audit"), static_cast<size_t>(pages)) << "the title on every page";
  EXPECT_EQ(Count(text, "Description"), static_cast<size_t>(pages)) << "column titles repeated";
  EXPECT_NE(text.find("Page 1 de " + std::to_string(pages)), std::string::npos);
  for (const char* expected : {"Date", "Heure", "Usager", "Table", "Module", "Action", "Nom", "Grand Total: 120",
                               "Modification du dossier numéro 1001 (adresse, téléphone)", "09:00:01 AM",
                               "Luc Roy"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(PdfPageSize(path), "792 x 612") << "eight wide columns print in landscape";
}

TEST(PrintListTest, NarrowListStaysPortraitAndColoursArePrinted) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  TempDir dir;
  QenListWindow list(5111);
  list.SetColumns({{"Producteur", 8, ColumnAlign::kLeft}, {"Frais", 8, ColumnAlign::kRight}});
  list.AddString("DR1 \t$1234.56", 1);
  list.AddString("DR2 \t$-10.00", 1);
  list.AddString("Total: \t$1224.56", 0);
  ListView view(&list);
  view.SetCellStyleHook([](int row, int column, RowStyle& s) {
    if (row == 0 && column == 1) s.background = QColor(255, 200, 200);
    if (row == 2) s.bold = true;
  });
  TDList colours;  // a tab's record of a coloured cell: a green background
  colours.Append(new ColorListElem(1, 0, Rgb(0, 200, 0), ColorKind::kBackground));
  const std::string path = dir.File("couleurs.pdf");
  auto choice = PdfChoice(path);
  TPrinterSelectDlg select(nullptr, 0);
  ASSERT_EQ(select.Execute(), 1);
  CPrintListView print(nullptr, 0, &view, select.GetSelectedPrinterDC(), "Productivité");
  print.SetColorList(&colours);
  ASSERT_TRUE(print.Print());

  EXPECT_EQ(PdfPages(path), 1);
  EXPECT_EQ(PdfPageSize(path), "612 x 792") << "two columns fit a portrait page";
  const std::string text = PdfText(path);
  EXPECT_NE(text.find("$-10.00"), std::string::npos);
  const QImage page = RenderPdfPage(path, 1);
  ASSERT_FALSE(page.isNull());
  EXPECT_GT(CountPixels(page, QColor(255, 200, 200)), 50) << "the view's cell background";
  EXPECT_GT(CountPixels(page, QColor(0, 200, 0)), 50) << "the recorded cell background";
}

TEST(PrintListTest, ListsFollowOneAnotherAndALongOneStartsAPage) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  TempDir dir;
  QenListWindow patients(107), summary(110), detailed(300);
  patients.SetColumns({{"Dentiste", 8, ColumnAlign::kLeft}, {"Nouveaux", 6, ColumnAlign::kRight}});
  patients.AddString("DR1 \t12", 1);
  summary.SetColumns({{"Producteur", 8, ColumnAlign::kLeft}, {"Frais", 6, ColumnAlign::kRight}});
  summary.AddString("DR1 \t$500.00", 1);
  FillDetailed(&detailed, 150);
  const std::string path = dir.File("tous.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  CPrintMultipleListViews print(nullptr, 0, &printer, "Analyse du cabinet");
  print.AddList(&patients, "Patients");
  print.AddList(&summary, "C/R");
  print.AddList(&detailed, "Journal");
  print.SetScales(0.75, 0.75);
  print.SetHeading("du 2026-01-01 au 2026-11-30", "Clinique dentaire du Boulevard");
  ASSERT_TRUE(print.Print());
  const int pages = PdfPages(path);
  ASSERT_GE(pages, 3) << "the two short lists share the first page; the long one starts the second";
  const std::string first = PdfPageText(path, 1);
  const std::string second = PdfPageText(path, 2);
  for (const std::string& expected :
       std::vector<std::string>{"Patients", "C/R", "Nouveaux", "$500.00", "Page 1 de " + std::to_string(pages)}) {
    EXPECT_NE(first.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(first.find("Journal"), std::string::npos);
  EXPECT_NE(second.find("Journal"), std::string::npos);
  EXPECT_NE(second.find("Modification du dossier numéro 1001 "), std::string::npos);
  EXPECT_NE(PdfPageText(path, pages).find("Grand Total: 150"), std::string::npos);
  EXPECT_NE(PdfPageText(path, 3).find("Journal (suite)"), std::string::npos);
  for (const std::string& page : {first, second}) {
    EXPECT_NE(page.find("Analyse du cabinet"), std::string::npos);
    EXPECT_NE(page.find("du 2026-01-01 au 2026-11-30"), std::string::npos) << "the period on every page";
    EXPECT_NE(page.find("Clinique dentaire du Boulevard"), std::string::npos) << "the practice on every page";
    EXPECT_NE(page.find("Imprimé le "), std::string::npos);
  }
}

// A list like the productivity list by producer: two title columns, then
// one column per producer whose usage cells are long.
void FillWide(QenListWindow* list, int producers, int rows) {
  std::vector<ListColumn> columns{{"Date", 12, ColumnAlign::kLeft}, {"Action", 10, ColumnAlign::kLeft}};
  for (int p = 1; p <= producers; ++p) columns.push_back({"D" + std::to_string(p), 8, ColumnAlign::kLeft});
  list->SetColumns(columns);
  for (int r = 0; r < rows; ++r) {
    std::string line = r == 0 ? "novembre 2026 \tUsage %" : " \tUsage %";
    for (int p = 1; p <= producers; ++p) {
      line += " \t" + std::to_string(100 + p) + "." + std::to_string(10 + r % 80) + "H/166.00H (" +
              std::to_string(60 + p) + ".93%)";
    }
    list->AddString(line, r);
  }
}

// Every cell of a printed list is on paper whole, whatever its width:
// pdftotext finds each text, and no text is cut ("…").
TEST(PrintListTest, NoCellIsCut) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  struct Case {
    const char* name;
    int producers;
    int min_pages;
    int max_pages;
  };
  const Case cases[] = {
      {"fits_after_shrinking", 7, 1, 1},
      {"continues_on_a_second_page", 14, 2, 2},
      {"continues_on_several_pages", 30, 3, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    QenListWindow list(5111);
    FillWide(&list, c.producers, 3);
    const std::string path = dir.File("large.pdf");
    QString error;
    ListReport report(&list, "Productivité");
    report.period = "du 2026-11-01 au 2026-11-30";
    ASSERT_TRUE(PrintListToPdf(report, QString::fromStdString(path), &error)) << error.toStdString();
    const int pages = PdfPages(path);
    EXPECT_GE(pages, c.min_pages);
    EXPECT_LE(pages, c.max_pages);
    std::string text;
    for (int n = 1; n <= pages; ++n) {
      const std::string page = PdfPageText(path, n);
      EXPECT_NE(page.find("Date"), std::string::npos) << "the first column on page " << n;
      EXPECT_NE(page.find("novembre 2026"), std::string::npos) << "the first column on page " << n;
      EXPECT_NE(page.find("du 2026-11-01 au 2026-11-30"), std::string::npos) << "page " << n;
      EXPECT_NE(page.find("Page " + std::to_string(n) + " de " + std::to_string(pages)), std::string::npos);
      text += page;
    }
    EXPECT_EQ(text.find("…"), std::string::npos) << "a cut cell";
    for (int p = 1; p <= c.producers; ++p) {
      const std::string cell =
          std::to_string(100 + p) + ".12H/166.00H (" + std::to_string(60 + p) + ".93%)";
      EXPECT_NE(text.find(cell), std::string::npos) << cell;
    }
  }
}

struct PlanCase {
  const char* name;
  std::vector<double> natural;
  std::vector<double> least;
  double page;
  double min_scale;
  double scale;                 // expected (to 1e-6)
  std::vector<size_t> group_sizes;
};

TEST(PrintListTest, PlanColumns) {
  const PlanCase cases[] = {
      {"stretched_to_the_page", {100, 200}, {100, 200}, 600, 0.7, 1, {2}},
      {"titles_wrap_before_the_text_shrinks", {300, 300}, {100, 100}, 400, 0.7, 1, {2}},
      {"shrinks_to_fit", {400, 400}, {400, 400}, 600, 0.7, 0.75, {2}},
      // Three pages across at the smallest size, and still three at full
      // size: full size.
      {"continues_at_the_largest_size_that_needs_no_more_pages", std::vector<double>(10, 100),
       std::vector<double>(10, 100), 400, 0.7, 1, {4, 4, 4}},
      {"shared_evenly", std::vector<double>(13, 100), std::vector<double>(13, 100), 500, 0.7, 5.0 / 7.0, {7, 7}},
      {"one_column_wider_than_the_page", {100, 2000}, {100, 2000}, 500, 0.7, 0.7, {2}},
      {"single_column", {900}, {900}, 500, 0.7, 0.7, {1}},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ColumnPlan plan = PlanColumns(c.natural, c.least, c.page, c.min_scale);
    ASSERT_EQ(plan.groups.size(), c.group_sizes.size());
    ASSERT_EQ(plan.widths.size(), plan.groups.size());
    if (c.scale > 0) {
      EXPECT_NEAR(plan.scale, c.scale, 1e-6);
    }
    EXPECT_GE(plan.scale, c.min_scale - 1e-9);
    EXPECT_LE(plan.scale, 1.0);
    std::vector<int> seen(c.natural.size(), 0);
    for (size_t g = 0; g < plan.groups.size(); ++g) {
      EXPECT_EQ(plan.groups[g].size(), c.group_sizes[g]) << "group " << g;
      EXPECT_EQ(plan.groups[g].front(), 0) << "each group starts with the first column";
      double total = 0;
      for (size_t i = 0; i < plan.groups[g].size(); ++i) {
        const int column = plan.groups[g][i];
        ++seen[column];
        total += plan.widths[g][i];
        const bool alone_too_wide = (c.least[0] + c.least[column]) * plan.scale > c.page;
        if (!alone_too_wide) {
          EXPECT_GE(plan.widths[g][i], c.least[column] * plan.scale - 1e-6) << "column " << column << " is cut";
        }
      }
      EXPECT_NEAR(total, c.page, 1e-6) << "the table uses the page's width";
    }
    EXPECT_EQ(seen[0], static_cast<int>(plan.groups.size()));
    for (size_t column = 1; column < seen.size(); ++column) EXPECT_EQ(seen[column], 1) << "column " << column;
  }
}

TEST(PrintListTest, PdfWithoutPrinterAndEmptyList) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  TempDir dir;
  QenListWindow list(300);
  ASSERT_TRUE(list.LoadRes(300));
  QString error;
  const std::string path = dir.File("vide.pdf");
  ASSERT_TRUE(PrintListToPdf(ListReport(&list, "Vide"), QString::fromStdString(path), &error))
      << error.toStdString();
  EXPECT_EQ(PdfPages(path), 1) << "an empty list prints its titles";
  EXPECT_NE(PdfText(path).find("Description"), std::string::npos);
  EXPECT_FALSE(PrintListToPdf(ListReport(&list, "x"), "/nonexistent/dir/x.pdf", &error));
  EXPECT_FALSE(error.isEmpty());
}

// Vertical grid lines on a page: x positions where a run of grey pixels
// taller than min_run stands (columns of a table drawn with grid lines);
// neighbouring x's count once.
int VerticalLines(const QImage& page, int min_run) {
  int lines = 0;
  bool previous = false;
  for (int x = 0; x < page.width(); ++x) {
    int run = 0, best = 0;
    for (int y = 0; y < page.height(); ++y) {
      const QColor c = page.pixelColor(x, y);
      const bool grey = c.red() < 235 && std::abs(c.red() - c.green()) < 12 && std::abs(c.red() - c.blue()) < 12;
      run = grey ? run + 1 : 0;
      best = std::max(best, run);
    }
    const bool line = best >= min_run;
    if (line && !previous) ++lines;
    previous = line;
  }
  return lines;
}

TEST(PrintListTest, OnlyTheListsColumnsArePrinted) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  TempDir dir;
  // The summary list's layout (6 columns) with its blank separator rows,
  // written with the detailed list's 8 cells.
  QenListWindow list(301);
  ASSERT_TRUE(list.LoadRes(301));
  ASSERT_EQ(list.Columns().size(), 6u);
  for (int i = 0; i < 12; ++i) list.AddString(" \t \t \t \t \t \t \t ", 0);
  QString error;
  const std::string pdf = dir.File("sommaire.pdf");
  ASSERT_TRUE(PrintListToPdf(ListReport(&list, "Liste de sommaire"), QString::fromStdString(pdf), &error))
      << error.toStdString();
  const QImage page = RenderPdfPage(pdf, 1, 100);
  ASSERT_FALSE(page.isNull());
  EXPECT_EQ(VerticalLines(page, 60), 7) << "6 columns: 7 vertical grid lines";
  QenListWindow plain(302);  // no layout: as many columns as the widest row
  plain.AddString("a\tb\tc", 1);
  plain.AddString("d", 1);
  EXPECT_EQ(ShownColumnCount(plain), 3);
  EXPECT_EQ(ShownColumnCount(list), 6);
}

TEST(PrintListTest, CancelledChoicePrintsNothing) {
  ScopedPrinterChoice cancel([](QPrinter*) { return false; });
  TPrinterSelectDlg select(nullptr, 0);
  EXPECT_EQ(select.Execute(), 2);
  EXPECT_EQ(select.GetSelectedPrinterDC(), nullptr);
}

}  // namespace

namespace {

// Qt's own print dialog, as the user meets it, speaks French.
TEST(PrintListTest, QtPrintDialogSpeaksFrench) {
  QString why;
  ASSERT_TRUE(InstallQtFrenchTranslations(&why)) << why.toStdString();
  QPrinter printer;
  QPrintDialog dialog(&printer);
  QStringList texts;
  for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) texts << b->text();
  for (const QLabel* l : dialog.findChildren<QLabel*>()) texts << l->text();
  for (const QGroupBox* g : dialog.findChildren<QGroupBox*>()) texts << g->title();
  const QString all = texts.join(QLatin1Char('|')).remove(QLatin1Char('&'));
  for (const char* word : {"Imprimer", "Annuler", "Imprimante"}) {
    EXPECT_TRUE(all.contains(QString::fromUtf8(word))) << word << " in " << all.toStdString();
  }
  EXPECT_FALSE(texts.contains(QStringLiteral("&Cancel")) || texts.contains(QStringLiteral("Cancel")));
}

}  // namespace

namespace {

// A list printed through QPrinter to a real CUPS queue (a PDF printer the
// test script starts: scripts/cups_test_server.sh) comes out whole.
TEST(PrintListTest, ThroughACupsQueue) {
  const QByteArray server = qgetenv("VANTRA_TEST_CUPS_SERVER");
  const QByteArray queue = qgetenv("VANTRA_TEST_CUPS_PRINTER");
  const std::string out_dir = qgetenv("VANTRA_TEST_CUPS_PDF_DIR").toStdString();
  if (server.isEmpty() || queue.isEmpty() || out_dir.empty()) {
    GTEST_SKIP() << "no CUPS test server (scripts/cups_test_server.sh start)";
  }
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  qputenv("CUPS_SERVER", server);  // read when Qt first asks CUPS for its printers
  QenListWindow list(5111);
  FillWide(&list, 2, 4);  // four columns: a portrait page
  const std::string job = "vantra-cups-" + std::to_string(getpid());
  QPrinter printer(QPrinter::HighResolution);
  printer.setPrinterName(QString::fromLatin1(queue));
  printer.setPageSize(QPageSize(QPageSize::Letter));
  ASSERT_TRUE(printer.isValid()) << "Qt does not see the queue " << queue.toStdString();
  ASSERT_EQ(printer.outputFormat(), QPrinter::NativeFormat);
  CPrintListView print(nullptr, 0, &list, &printer, QString::fromStdString(job));
  ASSERT_TRUE(print.Print());

  // cups-pdf names the file after the job's title.
  namespace fs = std::filesystem;
  std::string pdf;
  for (int tries = 0; tries < 300 && pdf.empty(); ++tries) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(out_dir, ec)) {
      const std::string name = e.path().filename().string();
      if (name.find(job) != std::string::npos && name.ends_with(".pdf")) pdf = e.path().string();
    }
    if (pdf.empty()) usleep(100 * 1000);
  }
  ASSERT_FALSE(pdf.empty()) << "no PDF for job " << job << " in " << out_dir;
  // The file may still be being written when it appears. The queue's
  // filters turn the text into glyph drawings (pdftotext cannot read them
  // back), so the job is recognised by its title and its table by its
  // grid: as many columns as the same list printed straight to a file.
  int pages = 0;
  for (int tries = 0; tries < 50 && pages == 0; ++tries) {
    usleep(100 * 1000);
    pages = PdfPages(pdf);
  }
  EXPECT_EQ(pages, 1);
  EXPECT_NE(PdfTitle(pdf).find(job), std::string::npos) << "the job's title";
  TempDir dir;
  const std::string direct = dir.File("direct.pdf");
  QString error;
  ASSERT_TRUE(PrintListToPdf(ListReport(&list, job), QString::fromStdString(direct), &error));
  const QImage queued = RenderPdfPage(pdf, 1, 100), straight = RenderPdfPage(direct, 1, 100);
  ASSERT_FALSE(queued.isNull());
  EXPECT_EQ(VerticalLines(queued, 60), 5) << "4 columns";
  EXPECT_EQ(VerticalLines(queued, 60), VerticalLines(straight, 60));
  if (!HasFailure()) {
    std::filesystem::remove(pdf);
    std::filesystem::remove(pdf + ".page.png");
  }
}

}  // namespace
