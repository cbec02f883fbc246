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

QString ColumnTitle(const QenListWindow& list, int column) {
  if (column >= static_cast<int>(list.Columns().size())) return {};
  return QString::fromStdString(list.Columns()[column].title).trimmed();
}

Qt::Alignment ColumnAlignment(const QenListWindow& list, int column) {
  if (column >= static_cast<int>(list.Columns().size())) return Qt::AlignLeft;
  switch (list.Columns()[column].align) {
    case ColumnAlign::kRight: return Qt::AlignRight;
    case ColumnAlign::kCenter: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
  }
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

// The widths of the columns `columns` on a page: their natural widths
// stretched to it when they fit, else between the wrapped-title and the
// natural widths, else (one column wider than the page) the wrapped-title
// widths narrowed to it.
std::vector<double> FillGroup(const std::vector<int>& columns, const std::vector<double>& natural,
                              const std::vector<double>& least, double scale, double page) {
  double wide = 0, narrow = 0;
  for (int c : columns) {
    wide += natural[c] * scale;
    narrow += least[c] * scale;
  }
  std::vector<double> widths;
  for (int c : columns) {
    double w;
    if (wide <= 0) {
      w = page / static_cast<double>(columns.size());
    } else if (wide <= page) {
      w = natural[c] * scale * page / wide;
    } else if (narrow <= page) {
      const double t = wide > narrow ? (page - narrow) / (wide - narrow) : 0;
      w = (least[c] + (natural[c] - least[c]) * t) * scale;
    } else {
      w = least[c] * scale;
    }
    widths.push_back(w);
  }
  if (narrow > page && !widths.empty()) {
    // Wider than the page even with wrapped titles (one column too wide
    // beside the first): the widest column gives up what is missing, the
    // others keep their texts whole.
    auto widest = std::max_element(widths.begin(), widths.end());
    const double others = narrow - *widest;
    if (others < page) {
      *widest = page - others;
    } else {
      for (double& w : widths) w *= page / narrow;
    }
  }
  return widths;
}

// Columns 1.. in order into groups that each start with column 0 and are
// at most `room` wide at scale (a group holds at least one column besides
// the first, however wide).
std::vector<std::vector<int>> GroupColumns(const std::vector<double>& least, double scale, double room) {
  std::vector<std::vector<int>> groups;
  const int n = static_cast<int>(least.size());
  std::vector<int> group{0};
  double used = least[0] * scale;
  for (int c = 1; c < n; ++c) {
    const double w = least[c] * scale;
    if (group.size() > 1 && used + w > room * (1 + 1e-9)) {
      groups.push_back(group);
      group = {0};
      used = least[0] * scale;
    }
    group.push_back(c);
    used += w;
  }
  groups.push_back(group);
  return groups;
}

}  // namespace

ColumnPlan PlanColumns(const std::vector<double>& natural, const std::vector<double>& least, double page_width,
                       double min_scale) {
  ColumnPlan plan;
  const int n = static_cast<int>(natural.size());
  min_scale = std::clamp(min_scale, 0.05, 1.0);
  double narrow = 0;
  for (int c = 0; c < n; ++c) narrow += least[c];
  std::vector<int> all;
  for (int c = 0; c < n; ++c) all.push_back(c);
  const double slack = page_width * 1e-9;
  if (narrow <= page_width + slack || n <= 1) {
    plan.scale = n == 1 && narrow > page_width ? std::max(min_scale, page_width / narrow) : 1;
    plan.groups.push_back(all);
  } else if (page_width / narrow >= min_scale) {
    plan.scale = page_width / narrow;
    plan.groups.push_back(all);
  } else {
    // Shrunk as far as it may be, the columns still need more than one
    // page: as many pages across as at the smallest size, but with the
    // largest size that needs no more, and the columns shared evenly
    // among them (the widest group as narrow as it can be).
    // (A column too wide for a page even beside the first alone keeps the
    // smallest size: it is the least cut there.)
    auto overflow = [&](const std::vector<std::vector<int>>& groups, double scale) {
      double over = 0;
      for (const std::vector<int>& group : groups) {
        double used = 0;
        for (int c : group) used += least[c] * scale;
        over += std::max(0.0, used - page_width);
      }
      return over;
    };
    const std::vector<std::vector<int>> smallest = GroupColumns(least, min_scale, page_width);
    const size_t pages = smallest.size();
    const double over = overflow(smallest, min_scale);
    double lo = min_scale, hi = 1;
    for (int step = 0; step < 30; ++step) {
      const double mid = (lo + hi) / 2;
      const std::vector<std::vector<int>> groups = GroupColumns(least, mid, page_width);
      (groups.size() <= pages && overflow(groups, mid) <= over + slack ? lo : hi) = mid;
    }
    plan.scale = lo;
    double cap_lo = 0, cap_hi = page_width;
    for (int step = 0; step < 40; ++step) {
      const double mid = (cap_lo + cap_hi) / 2;
      (GroupColumns(least, plan.scale, mid).size() <= pages ? cap_hi : cap_lo) = mid;
    }
    plan.groups = GroupColumns(least, plan.scale, cap_hi);
  }
  for (const std::vector<int>& group : plan.groups) {
    plan.widths.push_back(FillGroup(group, natural, least, plan.scale, page_width));
  }
  return plan;
}

ListPrintJob::ListPrintJob(QPagedPaintDevice* device, PrintSettings settings)
    : device_(device), settings_(std::move(settings)) {}

ListPrintJob::~ListPrintJob() = default;

void ListPrintJob::AddList(const ListReport* report, const QString& title) {
  Part part;
  part.report = report;
  part.title = title.isEmpty() ? QString::fromStdString(report->title) : title;
  parts_.push_back(std::move(part));
}

void ListPrintJob::Measure(Part* part) const {
  const QenListWindow& list = *part->report->list;
  const int columns = ShownColumnCount(list);
  const std::vector<int> rows = MeasuredRows(list.GetCount());
  const QFontMetricsF body(MakeFont(kBodyPrintPoints * settings_.text_scale, false), device_);
  const QFontMetricsF bold(MakeFont(kBodyPrintPoints * settings_.text_scale, true), device_);
  for (int c = 0; c < columns; ++c) {
    const bool listed = c < static_cast<int>(list.Columns().size());
    if (listed && list.Columns()[c].width_chars <= 0) continue;  // hidden column
    double content = 0;
    for (int r : rows) {
      const bool is_bold = part->report->StyleOf(r, c).bold;
      content = std::max(content, (is_bold ? bold : body).horizontalAdvance(Cell(list, r, c)));
    }
    const QString title = ColumnTitle(list, c);
    double word = 0;
    for (const QString& w : title.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      word = std::max(word, bold.horizontalAdvance(w));
    }
    // A little more than the text: a printer's glyphs at a smaller size
    // are not always exactly in proportion.
    const double extra = 2 * padding_ + body.averageCharWidth() * 0.25;
    part->columns.push_back(c);
    part->natural.push_back(std::ceil(std::max(content, bold.horizontalAdvance(title)) + extra));
    part->least.push_back(std::ceil(std::max(content, word) + extra));
  }
}

double ListPrintJob::HeaderHeight(const Part& part, int group) const {
  const QenListWindow* list = part.report ? part.report->list : nullptr;
  const QFontMetricsF bold(MakeFont(kBodyPrintPoints * settings_.text_scale * part.plan.scale, true), device_);
  double text = bold.height();
  if (list && group < static_cast<int>(part.plan.groups.size())) {
    const std::vector<int>& columns = part.plan.groups[group];
    for (size_t i = 0; i < columns.size(); ++i) {
      const double inner = part.plan.widths[group][i] - 2 * padding_ * part.plan.scale;
      const QString title = ColumnTitle(*list, part.columns[columns[i]]);
      if (title.isEmpty() || inner <= 0) continue;
      text = std::max(text, bold.boundingRect(QRectF(0, 0, inner, 1e6), Qt::TextWordWrap, title).height());
    }
  }
  return std::ceil(text + bold.height() * 0.6);
}

double ListPrintJob::ListTitleHeight(const Part& part) const {
  if (settings_.report_title.isEmpty() || part.title == settings_.report_title) return 0;
  return std::ceil(QFontMetricsF(MakeFont(kListTitlePoints * settings_.text_scale, true), device_).height() * 1.5);
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
    part.least.clear();
    if (part.report && part.report->list) Measure(&part);
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
  const QFontMetricsF body(MakeFont(kBodyPrintPoints * settings_.text_scale, false), device_);
  const QFontMetricsF title(MakeFont(kTitlePoints * settings_.text_scale, true), device_);
  top_height_ = std::ceil(title.height() * 1.3 + body.height() * 2);
  footer_height_ = std::ceil(body.height() * 2);
  printed_on_ = QStringLiteral("Imprimé le ") + QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm");
  period_ = settings_.period;
  practice_ = settings_.practice;
  for (const Part& part : parts_) {
    if (period_.isEmpty() && part.report) period_ = QString::fromStdString(part.report->period);
    if (practice_.isEmpty() && part.report) practice_ = QString::fromStdString(part.report->practice);
  }
  const double min_scale = std::min(1.0, kMinPrintPoints / (kBodyPrintPoints * settings_.text_scale));
  for (Part& part : parts_) {
    part.plan = PlanColumns(part.natural, part.least, page_width_, min_scale);
    const QFontMetricsF scaled(MakeFont(kBodyPrintPoints * settings_.text_scale * part.plan.scale, false), device_);
    part.row_height = std::ceil(scaled.height() * 1.35 * settings_.row_scale);
  }

  std::vector<std::vector<Block>> pages;
  Paginate(&pages);
  const int total = static_cast<int>(pages.size());
  for (int n = 0; n < total; ++n) {
    if (n > 0 && !device_->newPage()) {
      painter.end();
      *error = QStringLiteral("L'impression a été interrompue.");
      return false;
    }
    PaintFurniture(&painter, n, total);
    for (const Block& block : pages[n]) PaintBlock(&painter, block);
  }
  pages_ = total;
  if (!painter.end()) {
    *error = QStringLiteral("L'impression n'a pas pu être terminée.");
    return false;
  }
  return true;
}

void ListPrintJob::Paginate(std::vector<std::vector<Block>>* pages) const {
  const double top = top_height_;
  const double bottom = page_height_ - footer_height_;
  const double gap = std::ceil(QFontMetricsF(MakeFont(kBodyPrintPoints, false), device_).height());
  pages->assign(1, {});
  double y = top;  // where the next block may start on the last page
  auto new_page = [&] {
    pages->emplace_back();
    y = top;
  };
  for (int p = 0; p < static_cast<int>(parts_.size()); ++p) {
    const Part& part = parts_[p];
    const int rows = part.report && part.report->list ? part.report->list->GetCount() : 0;
    const int groups = std::max<int>(1, static_cast<int>(part.plan.groups.size()));
    const double title = ListTitleHeight(part);
    double header = 0;
    for (int g = 0; g < groups; ++g) header = std::max(header, HeaderHeight(part, g));
    const bool empty_page = pages->back().empty();
    const double start = empty_page ? y : y + gap;
    const double whole = title + header + rows * part.row_height;
    if (!empty_page && (groups > 1 || start + whole > bottom)) {
      new_page();
    } else {
      y = start;
    }
    int first = 0;
    bool first_chunk = true;
    do {
      const bool with_header = first_chunk || settings_.repeat_headers;
      const double room = bottom - y - title - (with_header ? header : 0);
      const int per_page = std::max(1, static_cast<int>(std::floor(room / part.row_height)));
      const int last = std::min(rows, first + per_page);
      for (int g = 0; g < groups; ++g) {
        if (g > 0) new_page();
        pages->back().push_back({p, g, first, last, y, with_header});
      }
      y += title + (with_header ? header : 0) + (last - first) * part.row_height;
      first = last;
      first_chunk = false;
      if (first < rows) new_page();
    } while (first < rows);
  }
}

void ListPrintJob::PaintFurniture(QPainter* p, int page, int pages) const {
  const QFont body = MakeFont(kBodyPrintPoints * settings_.text_scale, false);
  const QFont title_font = MakeFont(kTitlePoints * settings_.text_scale, true);
  const double title_line = std::ceil(QFontMetricsF(title_font, device_).height() * 1.3);
  const double info_line = std::ceil(QFontMetricsF(body, device_).height() * 1.3);
  QString title = settings_.report_title;
  if (title.isEmpty() && !parts_.empty()) title = parts_.front().title;
  p->setPen(Qt::black);
  p->setFont(title_font);
  p->drawText(QRectF(0, 0, page_width_, title_line), Qt::AlignLeft | Qt::AlignVCenter, title);
  p->setFont(body);
  if (!practice_.isEmpty()) {
    p->drawText(QRectF(0, 0, page_width_, title_line), Qt::AlignRight | Qt::AlignVCenter, practice_);
  }
  const QRectF info(0, title_line, page_width_, info_line);
  if (!period_.isEmpty()) p->drawText(info, Qt::AlignLeft | Qt::AlignVCenter, period_);
  p->drawText(info, Qt::AlignRight | Qt::AlignVCenter, printed_on_);
  p->drawText(QRectF(0, page_height_ - footer_height_, page_width_, footer_height_), Qt::AlignCenter,
              QStringLiteral("Page %1 de %2").arg(page + 1).arg(pages));
}

void ListPrintJob::PaintBlock(QPainter* p, const Block& block) const {
  const Part& part = parts_[block.part];
  const QenListWindow* list = part.report ? part.report->list : nullptr;
  const double scale = part.plan.scale;
  const double pad = padding_ * scale;
  const QFont body = MakeFont(kBodyPrintPoints * settings_.text_scale * scale, false);
  const QFont bold = MakeFont(kBodyPrintPoints * settings_.text_scale * scale, true);
  const QFontMetricsF body_metrics(body, device_);
  const QFontMetricsF bold_metrics(bold, device_);
  double y = block.top;

  const double title = ListTitleHeight(part);
  if (title > 0) {
    const bool continued = block.first > 0 || block.group > 0;
    p->setPen(Qt::black);
    p->setFont(MakeFont(kListTitlePoints * settings_.text_scale, true));
    p->drawText(QRectF(0, y, page_width_, title), Qt::AlignLeft | Qt::AlignVCenter,
                continued ? part.title + QStringLiteral(" (suite)") : part.title);
    y += title;
  }
  if (!list || block.group >= static_cast<int>(part.plan.groups.size())) return;
  const std::vector<int>& group = part.plan.groups[block.group];
  const std::vector<double>& widths = part.plan.widths[block.group];
  double table_width = 0;
  for (double w : widths) table_width += w;
  const double table_top = y;

  // Column titles, wrapped on words; every group of the list has the
  // height of its tallest so that continued pages line up.
  if (block.header) {
    double header = 0;
    for (int g = 0; g < static_cast<int>(part.plan.groups.size()); ++g) header = std::max(header, HeaderHeight(part, g));
    p->fillRect(QRectF(0, y, table_width, header), kHeaderShade);
    p->setFont(bold);
    p->setPen(Qt::black);
    double x = 0;
    for (size_t i = 0; i < group.size(); ++i) {
      const int c = part.columns[group[i]];
      const QRectF cell(x + pad, y, widths[i] - 2 * pad, header);
      p->drawText(cell, ColumnAlignment(*list, c) | Qt::AlignVCenter | Qt::TextWordWrap, ColumnTitle(*list, c));
      x += widths[i];
    }
    y += header;
  }

  // Rows.
  const double rows_top = y;
  for (int r = block.first; r < block.last; ++r) {
    double x = 0;
    for (size_t i = 0; i < group.size(); ++i) {
      const int c = part.columns[group[i]];
      const CellStyle style = part.report->StyleOf(r, c);
      const QRectF rect(x, y, widths[i], part.row_height);
      if (style.background != kNoColor) p->fillRect(rect, ToQColor(style.background));
      const QString text = Cell(*list, r, c);
      if (!text.isEmpty()) {
        p->setFont(style.bold ? bold : body);
        p->setPen(style.text != kNoColor ? ToQColor(style.text) : QColor(Qt::black));
        const QRectF inner = rect.adjusted(pad, 0, -pad, 0);
        // Widths come from the texts, so a text is cut only when it was
        // not measured (a sampled long list) or is wider than a page.
        const QFontMetricsF& fm = style.bold ? bold_metrics : body_metrics;
        p->drawText(inner, ColumnAlignment(*list, c) | Qt::AlignVCenter,
                    fm.horizontalAdvance(text) <= inner.width() + pad ? text
                                                                    : fm.elidedText(text, Qt::ElideRight, inner.width()));
      }
      x += widths[i];
    }
    y += part.row_height;
  }
  // The grid last: a cell's background would cover the line above it.
  p->setPen(QPen(kGrid, 0));
  for (int r = 0; r <= block.last - block.first; ++r) {
    const double line = rows_top + r * part.row_height;
    p->drawLine(QPointF(0, line), QPointF(table_width, line));
  }
  double x = 0;
  for (size_t i = 0; i <= group.size(); ++i) {
    p->drawLine(QPointF(x, table_top), QPointF(x, y));
    if (i < group.size()) x += widths[i];
  }
  p->drawLine(QPointF(0, table_top), QPointF(table_width, table_top));
}
