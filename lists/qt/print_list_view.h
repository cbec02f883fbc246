// The suite's list printout: CPrintListView (one list) and
// CPrintMultipleListViews (several lists in one document), over the printer
// chosen with TPrinterSelectDlg; and the spreadsheet export of a list
// (PrintReport(3)).
//
// What is printed or exported is the list as the window shows it: its
// columns and rows, and the look its view paints (bold rows, text and
// background colours of the view's style hooks) plus the coloured-cell
// records (ColorListElem) a tab collected while drawing.
//
//   // print
//   TPrinterSelectDlg choice(this, info);
//   if (choice.Execute() == 1) {
//     CPrintListView print(this, info, view, choice.GetSelectedPrinterDC(), windowTitle(), 1, false, true);
//     print.SetColorList(&colours_);
//     print.Print();
//     choice.DeleteSelectedPrinterDC();
//   }
//   // export
//   CPrintListView(this, info, view, nullptr, windowTitle(), 1, false, true).PrintReport(3);
//
// The command line prints without a window: PrintListToPdf (same painter).
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lists/list_style.h"
#include "lists/qt/list_print_layout.h"

class ListView;
class QPrinter;
class QWidget;
class QenListWindow;

// The look a view paints (its row and cell hooks, ListModel::StyleOf) as a
// style function; view must outlive the function.
CellStyleFn ViewCellStyle(const ListView* view);

class CPrintListView {
 public:
  enum ReportMode : int { kPrint = 1, kSpreadsheet = 3 };

  // parent: the dialog (message boxes are modal to it). list: the list, not
  // owned. printer: the chosen printer, or null for the export. title: the
  // report's title (the dialog's window text). copies: printed copies (at
  // least 1). landscape: force landscape (otherwise chosen by the width of
  // the columns). headers: repeat the column titles on every page.
  CPrintListView(QWidget* parent, long launcher_info, const QenListWindow* list, QPrinter* printer,
                 const QString& title, int copies = 1, bool landscape = false, bool headers = true);
  // The same over a view: its list and the style its hooks paint.
  CPrintListView(QWidget* parent, long launcher_info, const ListView* view, QPrinter* printer,
                 const QString& title, int copies = 1, bool landscape = false, bool headers = true);
  ~CPrintListView();

  // The heading of every page: the period ("du 2026-11-01 au 2026-11-30",
  // PeriodText) and the practice's name; both also go into the export.
  void SetHeading(const QString& period, const QString& practice);
  // Printed above the list's own title (the title given to the
  // constructor then heads the list only).
  void SetReportTitle(const QString& report_title);
  // Replaces the style (default: none for a list, the view's for a view).
  void SetStyle(CellStyleFn style);
  // Coloured-cell records of the list (not owned; may be null).
  void SetColorList(const TDList* colours);

  // Prints on the printer. Returns false (and shows why) when there is no
  // printer or list, or the printer failed.
  bool Print();
  // kPrint: as Print. kSpreadsheet: writes the list into the suite's
  // spreadsheet folder as a new .xlsx (wait cursor while it runs), then
  // tells the user the file's path (or why it failed). Returns 1 on success,
  // 0 otherwise.
  int PrintReport(int mode);
  // The file the last export wrote ("" when none).
  const std::string& ExportedPath() const { return exported_; }
  int PageCount() const { return pages_; }

 private:
  void Report(ListReport* out) const;

  QPointer<QWidget> parent_;
  long launcher_info_;
  const QenListWindow* list_;
  QPrinter* printer_;
  QString title_;
  int copies_;
  PrintSettings settings_;
  CellStyleFn style_;
  const TDList* colours_ = nullptr;
  std::string exported_;
  int pages_ = 0;
};

class CPrintMultipleListViews {
 public:
  // report_title: printed at the top of every page.
  CPrintMultipleListViews(QWidget* parent, long launcher_info, QPrinter* printer, const QString& report_title);
  ~CPrintMultipleListViews();

  // Adds a list, printed after the previous ones on a new page under its
  // title. colours may be null. The view (or list) must outlive Print.
  void AddListView(const ListView* view, const QString& title, const TDList* colours = nullptr);
  void AddList(const QenListWindow* list, const QString& title, CellStyleFn style = nullptr,
               const TDList* colours = nullptr);
  // The two float settings of the printout: text size and row height
  // factors (1 = normal; the statistics print all its lists at 0.75).
  void SetScales(double text, double rows);
  // The period and the practice's name on every page (see CPrintListView).
  void SetHeading(const QString& period, const QString& practice);
  void SetLandscape(bool landscape);

  bool Print();
  int PageCount() const { return pages_; }

 private:
  QPointer<QWidget> parent_;
  long launcher_info_;
  QPrinter* printer_;
  PrintSettings settings_;
  std::vector<std::unique_ptr<ListReport>> reports_;
  std::vector<QString> titles_;
  int pages_ = 0;
};

// A window's text as a report's title (cut as the suite's 512-byte title
// buffer cuts it); fallback when the window has none.
QString ReportTitleOf(const QWidget* window, const QString& fallback = QString());

// Runs paint (it paints every page on printer; false with *error when it
// could not) and, when printer prints into a PDF file (PdfFormat with an
// output file name), makes that file appear whole or not at all: the pages
// go into a temporary file beside it (AtomicFile), which replaces it only
// when the painter ended well and the file is complete (it ends with the
// PDF's "%%EOF": QPainter::end() does not report a write that failed).
// Otherwise false with one line in *error ("impossible d'écrire F :
// Aucun espace disponible sur le périphérique") and an older file at that
// name stays as it was. Other printers: paint(error) as it is.
bool PrintIntoFile(QPrinter* printer, const std::function<bool(QString* error)>& paint, QString* error);

// Prints report into a PDF file (A4 or Letter by the locale, landscape when
// the columns need it) with the same layout as the printer, through
// PrintIntoFile. Needs a QGuiApplication (EnsureGuiApplication). False with *error on failure.
bool PrintListToPdf(const ListReport& report, const QString& path, QString* error);
