#include "lists/qt/list_print_layout.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "host/list_window.h"

namespace {

constexpr double kBodyPoints = 8.5;
constexpr double kTitlePoints = 12;
constexpr double kListTitlePoints = 10;
constexpr int kMeasuredRows = 5000;
const QColor kHeaderShade(219, 226, 236);
const QColor kGrid(190, 190, 190);

QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QString Cell(const QenListWindow& list, int row, int column) {
  std::string_view text = TrimBlanks(list.GetItemText(row, column));
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont MakeFont(double points, bool bold) {
  QFont f;
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

// The rows whose texts are measured: all of them up to kMeasuredRows, else
// the first ones, the last ones and an even sample between.
std::vector<int> MeasuredRows(int count) {
  std::vector<int> rows;
  if (count <= kMeasuredRows) {
    for (int r = 0; r < count; ++r) rows.push_back(r);
    return rows;
  }
  for (int r = 0; r < 2000; ++r) rows.push_back(r);
  for (int r = count - 500; r < count; ++r) rows.push_back(r);
  const int step = std::max(1, (count - 2500) / 2500);
  for (int r = 2000; r < count - 500; r += step) rows.push_back(r);
  return rows;
}

}  // namespace

ListPrintJob::ListPrintJob(QPagedPaintDevice* device, PrintSettings settings)
    : device_(device), settings_(std::move(settings)) {}

ListPrintJob::~ListPrintJob() = default;

void ListPrintJob::AddList(const ListReport* report, const QString& title) {
  Part part;
  part.report = report;
  part.title = title.isEmpty() ? QString::fromStdString(report->title) : title;
  parts_.push_back(std::move(part));
}

void ListPrintJob::Measure(Part* part, double padding) const {
  const QenListWindow& list = *part->report->list;
  const int columns = ShownColumnCount(list);
  const std::vector<int> rows = MeasuredRows(list.GetCount());
  const QFontMetricsF body(MakeFont(kBodyPoints * settings_.text_scale, false), device_);
  const QFontMetricsF bold(MakeFont(kBodyPoints * settings_.text_scale, true), device_);
  for (int c = 0; c < columns; ++c) {
    const bool listed = c < static_cast<int>(list.Columns().size());
    if (listed && list.Columns()[c].width_chars <= 0) continue;  // hidden column
    double w = listed ? bold.horizontalAdvance(QString::fromStdString(list.Columns()[c].title)) : 0;
    for (int r : rows) {
      const bool is_bold = part->report->StyleOf(r, c).bold;
      w = std::max(w, (is_bold ? bold : body).horizontalAdvance(Cell(list, r, c)));
    }
    part->columns.push_back(c);
    part->natural.push_back(w + 2 * padding);
  }
}

void ListPrintJob::FitWidths(Part* part, double page_width) const {
  double total = 0;
  for (double w : part->natural) total += w;
  part->width = part->natural;
  if (total <= 0) return;
  if (total <= page_width) {
    // Stretch to the page.
    const double factor = page_width / total;
    for (double& w : part->width) w *= factor;
    return;
  }
  // Too wide: narrow columns keep their width and the wide ones are cut to
  // a cap proportional to their width in the list (a description column of
  // 16 characters keeps more than a table column of 5): the largest cap
  // that fills the page, found by bisection (the filled width grows with it).
  const QenListWindow& list = *part->report->list;
  std::vector<double> weight(part->columns.size(), 5);
  for (size_t i = 0; i < part->columns.size(); ++i) {
    const int c = part->columns[i];
    if (c < static_cast<int>(list.Columns().size())) weight[i] = std::max(1, list.Columns()[c].width_chars);
  }
  auto filled = [&](double cap) {
    double sum = 0;
    for (size_t i = 0; i < weight.size(); ++i) sum += std::min(part->natural[i], cap * weight[i]);
    return sum;
  };
  double lo = 0, hi = total;
  for (int step = 0; step < 60; ++step) {
    const double mid = (lo + hi) / 2;
    (filled(mid) > page_width ? hi : lo) = mid;
  }
  for (size_t i = 0; i < weight.size(); ++i) {
    part->width[i] = std::max(std::min(part->natural[i], lo * weight[i]), 3 * padding_);
  }
}

bool ListPrintJob::Run(QString* error) {
  pages_ = 0;
  if (!device_) {
    *error = QStringLiteral("Aucune imprimante n'est choisie.");
    return false;
  }
  const double dpi = device_->logicalDpiX();
  padding_ = dpi * 0.04;  // ~1 mm
  for (Part& part : parts_) {
    part.columns.clear();
    part.natural.clear();
    if (part.report && part.report->list) Measure(&part, padding_);
  }
  // Orientation: landscape when any list is wider than a portrait page.
  const double w = device_->width(), h = device_->height();
  const double portrait_width = std::min(w, h);
  landscape_ = settings_.force_landscape;
  for (const Part& part : parts_) {
    double total = 0;
    for (double n : part.natural) total += n;
    if (total > portrait_width) landscape_ = true;
  }
  device_->setPageOrientation(landscape_ ? QPageLayout::Landscape : QPageLayout::Portrait);

  QPainter painter;
  if (!painter.begin(device_)) {
    *error = QStringLiteral("Impossible d'imprimer : l'imprimante ou le fichier n'est pas disponible.");
    return false;
  }
  page_width_ = device_->width();
  page_height_ = device_->height();
  const QFontMetricsF body(MakeFont(kBodyPoints * settings_.text_scale, false), device_);
  const QFontMetricsF title(MakeFont(kTitlePoints * settings_.text_scale, true), device_);
  const QFontMetricsF list_title(MakeFont(kListTitlePoints * settings_.text_scale, true), device_);
  row_height_ = std::ceil(body.height() * 1.35 * settings_.row_scale);
  header_height_ = std::ceil(body.height() * 1.6);
  title_height_ = std::ceil(title.height() * 1.4 + list_title.height() * 1.3);
  footer_height_ = std::ceil(body.height() * 2);
  printed_on_ = QStringLiteral("Imprimé le ") + QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm");

  const double body_height = page_height_ - title_height_ - header_height_ - footer_height_;
  const int per_page = std::max(1, static_cast<int>(body_height / row_height_));
  int total_pages = 0;
  for (const Part& part : parts_) {
    const int rows = part.report && part.report->list ? part.report->list->GetCount() : 0;
    total_pages += std::max(1, (rows + per_page - 1) / per_page);
  }
  int page = 0;
  for (Part& part : parts_) {
    FitWidths(&part, page_width_);
    const int rows = part.report && part.report->list ? part.report->list->GetCount() : 0;
    int first = 0;
    do {
      if (page > 0 && !device_->newPage()) {
        painter.end();
        *error = QStringLiteral("L'impression a été interrompue.");
        return false;
      }
      const int last = std::min(rows, first + per_page);
      PaintPage(&painter, part, first, last, first == 0, ++page, total_pages);
      first = last;
    } while (first < rows);
  }
  pages_ = page;
  if (!painter.end()) {
    *error = QStringLiteral("L'impression n'a pas pu être terminée.");
    return false;
  }
  return true;
}

void ListPrintJob::PaintPage(QPainter* p, const Part& part, int first_row, int last_row, bool first_page,
                             int page, int pages) const {
  const QFont body = MakeFont(kBodyPoints * settings_.text_scale, false);
  const QFont bold = MakeFont(kBodyPoints * settings_.text_scale, true);
  const QFont title_font = MakeFont(kTitlePoints * settings_.text_scale, true);
  const QFont list_title_font = MakeFont(kListTitlePoints * settings_.text_scale, true);
  const QFontMetricsF body_metrics(body, device_);
  const QFontMetricsF bold_metrics(bold, device_);

  // Titles.
  const QString report_title = settings_.report_title.isEmpty() ? part.title : settings_.report_title;
  const double title_line = QFontMetricsF(title_font, device_).height() * 1.4;
  p->setPen(Qt::black);
  p->setFont(title_font);
  p->drawText(QRectF(0, 0, page_width_, title_line), Qt::AlignLeft | Qt::AlignVCenter, report_title);
  p->setFont(body);
  p->drawText(QRectF(0, 0, page_width_, title_line), Qt::AlignRight | Qt::AlignVCenter, printed_on_);
  if (part.title != report_title) {
    p->setFont(list_title_font);
    p->drawText(QRectF(0, title_line, page_width_, title_height_ - title_line), Qt::AlignLeft | Qt::AlignVCenter,
                part.title);
  }
  double y = title_height_;
  const QenListWindow* list = part.report ? part.report->list : nullptr;
  const int columns = static_cast<int>(part.columns.size());
  double table_width = 0;
  for (double w : part.width) table_width += w;

  // Column titles.
  if (list && (first_page || settings_.repeat_headers)) {
    p->fillRect(QRectF(0, y, table_width, header_height_), kHeaderShade);
    p->setFont(bold);
    p->setPen(Qt::black);
    double x = 0;
    for (int i = 0; i < columns; ++i) {
      const int c = part.columns[i];
      QString text;
      Qt::Alignment align = Qt::AlignLeft;
      if (c < static_cast<int>(list->Columns().size())) {
        text = QString::fromStdString(list->Columns()[c].title);
        if (list->Columns()[c].align == ColumnAlign::kRight) align = Qt::AlignRight;
        if (list->Columns()[c].align == ColumnAlign::kCenter) align = Qt::AlignHCenter;
      }
      const QRectF cell(x + padding_, y, part.width[i] - 2 * padding_, header_height_);
      p->drawText(cell, align | Qt::AlignVCenter, bold_metrics.elidedText(text, Qt::ElideRight, cell.width()));
      x += part.width[i];
    }
    y += header_height_;
  }

  // Rows.
  const double top = y;
  for (int r = first_row; list && r < last_row; ++r) {
    double x = 0;
    for (int i = 0; i < columns; ++i) {
      const int c = part.columns[i];
      const CellStyle style = part.report->StyleOf(r, c);
      const QRectF rect(x, y, part.width[i], row_height_);
      if (style.background != kNoColor) p->fillRect(rect, ToQColor(style.background));
      const QString text = Cell(*list, r, c);
      if (!text.isEmpty()) {
        p->setFont(style.bold ? bold : body);
        p->setPen(style.text != kNoColor ? ToQColor(style.text) : QColor(Qt::black));
        Qt::Alignment align = Qt::AlignLeft;
        if (c < static_cast<int>(list->Columns().size())) {
          if (list->Columns()[c].align == ColumnAlign::kRight) align = Qt::AlignRight;
          if (list->Columns()[c].align == ColumnAlign::kCenter) align = Qt::AlignHCenter;
        }
        const QRectF inner = rect.adjusted(padding_, 0, -padding_, 0);
        const QFontMetricsF& fm = style.bold ? bold_metrics : body_metrics;
        p->drawText(inner, align | Qt::AlignVCenter, fm.elidedText(text, Qt::ElideRight, inner.width()));
      }
      x += part.width[i];
    }
    y += row_height_;
    p->setPen(QPen(kGrid, 0));
    p->drawLine(QPointF(0, y), QPointF(table_width, y));
  }
  // Column separators and frame of the table.
  p->setPen(QPen(kGrid, 0));
  double x = 0;
  const double table_top = top - ((list && (first_page || settings_.repeat_headers)) ? header_height_ : 0);
  for (int i = 0; i <= columns; ++i) {
    p->drawLine(QPointF(x, table_top), QPointF(x, y));
    if (i < columns) x += part.width[i];
  }
  p->drawLine(QPointF(0, table_top), QPointF(table_width, table_top));

  // Footer.
  p->setPen(Qt::black);
  p->setFont(body);
  p->drawText(QRectF(0, page_height_ - footer_height_, page_width_, footer_height_), Qt::AlignCenter,
              QStringLiteral("Page %1 de %2").arg(page).arg(pages));
}
