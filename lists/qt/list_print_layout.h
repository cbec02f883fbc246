// ListPrintJob: paints one or more result lists on a paged device (the
// printer the user chose, or a PDF file) the way the lists show them.
//
// Page layout (every page):
//   report title                                   printed on 2026-01-05 14:03
//   list title (when it differs from the report title)
//   | column titles ... |           (bold, shaded, repeated on every page)
//   | rows ...          |           (bold rows, text and background colours
//                                     from ListReport::StyleOf)
//                            Page 3 de 12
// Columns keep the list's order and alignment; columns of width 0 are
// hidden. Widths come from the widest text of each column (title and rows;
// lists above 5,000 rows are measured on a sample) and are stretched to the
// page width, or shrunk with the texts elided when the page is too narrow.
// When the columns of any list are wider than a portrait page, the whole
// document is printed in landscape. Each list starts on a new page.
#pragma once

#include <QString>
#include <vector>

#include "lists/list_style.h"

class QPagedPaintDevice;
class QPainter;

struct PrintSettings {
  double text_scale = 1.0;      // point sizes are multiplied by it (body 8.5 pt)
  double row_scale = 1.0;       // row heights are multiplied by it
  bool force_landscape = false;
  bool repeat_headers = true;   // column titles on every page (else first page only)
  QString report_title;         // top of every page; "" = each list's own title
};

class ListPrintJob {
 public:
  // device: not owned; a QPrinter or a QPdfWriter, not yet painted on.
  explicit ListPrintJob(QPagedPaintDevice* device, PrintSettings settings = PrintSettings());
  ~ListPrintJob();

  // report must outlive the job. title: the list's title ("" = report.title).
  void AddList(const ListReport* report, const QString& title = QString());

  // Chooses the orientation, paints every page. Returns false with *error
  // (French) when the device cannot be painted on (a printer that went
  // away, a PDF file that cannot be written).
  bool Run(QString* error);

  // After Run: pages painted and whether they were landscape.
  int PageCount() const { return pages_; }
  bool Landscape() const { return landscape_; }

 private:
  struct Part {
    const ListReport* report;
    QString title;
    std::vector<int> columns;     // visible list columns, in order
    std::vector<double> natural;  // natural width of each, device units
    std::vector<double> width;    // final width of each
  };
  void Measure(Part* part, double padding) const;
  void FitWidths(Part* part, double page_width) const;
  void PaintPage(QPainter* p, const Part& part, int first_row, int last_row, bool first_page, int page,
                 int pages) const;

  QPagedPaintDevice* device_;
  PrintSettings settings_;
  std::vector<Part> parts_;
  int pages_ = 0;
  bool landscape_ = false;
  // Set while running.
  double row_height_ = 0;
  double header_height_ = 0;
  double title_height_ = 0;
  double footer_height_ = 0;
  double page_width_ = 0;
  double page_height_ = 0;
  double padding_ = 0;
  QString printed_on_;
};
