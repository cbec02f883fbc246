// ListPrintJob: paints one or more result lists on a paged device (the
// printer the user chose, or a PDF file) the way the lists show them, with
// every figure whole.
//
// Page layout (every page):
//   report title                              practice name
//   du 2026-11-01 au 2026-11-30               Imprimé le 2026-12-07 14:03
//   list title (when it differs from the report title)
//   | column titles ... |           (bold, shaded, wrapped on words when a
//                                     column is narrower than its title;
//                                     repeated on every page)
//   | rows ...          |           (bold rows, text and background colours
//                                     from ListReport::StyleOf)
//                            Page 3 de 12
// Columns keep the list's order and alignment; columns of width 0 are
// hidden. A column is as wide as the widest text it holds in the printer's
// font (lists above 5,000 rows are measured on a sample), its title
// included, or only the title's widest word when the title may wrap. The
// widths are planned by PlanColumns: a table narrower than the page is
// stretched to it; a wider one first wraps its titles, then shrinks its
// font down to kMinPrintPoints, and what still does not fit continues on
// the following pages, the first column repeated on each (rows 1-40 of
// columns A-F, then rows 1-40 of columns A, G-K, then rows 41-80 ...).
// Landscape is chosen for the whole document when any list is wider than a
// portrait page. Several lists (CPrintMultipleListViews) follow one another
// on a page; a list starts a new page only when it does not fit in what is
// left of the current one.
#pragma once

#include <QString>
#include <vector>

#include "lists/list_style.h"

class QPagedPaintDevice;
class QPainter;

// The body text size and the smallest size a list is shrunk to, in points.
inline constexpr double kBodyPrintPoints = 8.5;
inline constexpr double kMinPrintPoints = 6.0;

// How the columns of one list go onto paper: the font scale and the groups
// of columns printed side by side. Widths are in the units of the widths
// given to PlanColumns, at the chosen scale.
struct ColumnPlan {
  double scale = 1;                          // multiplies the font and the widths
  std::vector<std::vector<int>> groups;      // column indexes; groups after the first start with column 0
  std::vector<std::vector<double>> widths;   // width of each column of each group
};

// natural[i]: the width column i needs with its title on one line; least[i]
// (<= natural[i]): with its title wrapped on words. Both at scale 1, for
// a page page_width wide. min_scale: the smallest scale allowed (<= 1).
// Every group's widths add up to page_width, and no column is narrower
// than least[i] * scale unless one column with the first is wider than
// the page.
ColumnPlan PlanColumns(const std::vector<double>& natural, const std::vector<double>& least, double page_width,
                       double min_scale);

struct PrintSettings {
  double text_scale = 1.0;      // point sizes are multiplied by it (body 8.5 pt)
  double row_scale = 1.0;       // row heights are multiplied by it
  bool force_landscape = false;
  bool repeat_headers = true;   // column titles on every page (else first page only)
  QString report_title;         // top of every page; "" = each list's own title
  QString period;               // "" = the first list's ListReport::period
  QString practice;             // "" = the first list's ListReport::practice
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
  // After Run: the plan of list n (in AddList order).
  const ColumnPlan& PlanOf(int n) const { return parts_[static_cast<size_t>(n)].plan; }

 private:
  struct Part {
    const ListReport* report;
    QString title;
    std::vector<int> columns;     // visible list columns, in order
    std::vector<double> natural;  // natural width of each at scale 1, device units
    std::vector<double> least;    // the same with the title wrapped
    ColumnPlan plan;
    double row_height = 0;
  };
  // One piece of a list on a page: rows [first, last) of column group `group`.
  struct Block {
    int part;
    int group;
    int first;
    int last;
    double top;
    bool header;
  };
  void Measure(Part* part) const;
  double HeaderHeight(const Part& part, int group) const;
  double ListTitleHeight(const Part& part) const;
  void Paginate(std::vector<std::vector<Block>>* pages) const;
  void PaintFurniture(QPainter* p, int page, int pages) const;
  void PaintBlock(QPainter* p, const Block& block) const;

  QPagedPaintDevice* device_;
  PrintSettings settings_;
  std::vector<Part> parts_;
  int pages_ = 0;
  bool landscape_ = false;
  // Set while running.
  double top_height_ = 0;     // the page heading
  double footer_height_ = 0;
  double page_width_ = 0;
  double page_height_ = 0;
  double padding_ = 0;
  QString printed_on_;
  QString period_;
  QString practice_;
};
