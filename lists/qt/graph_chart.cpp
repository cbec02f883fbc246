#include "lists/qt/graph_chart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QFontMetricsF>
#include <QLineSeries>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/atomic_file.h"
#include "host/strings.h"

namespace {

// The chart data copied out of the series list.
struct Table {
  QStringList categories;
  QStringList names;
  std::vector<std::vector<double>> values;  // [series][category]
};

QString Label(const char* text) {
  // An emptied label (grouping 'T') is everything: "Tous".
  return QString::fromStdString(GraphShownLabel(text));
}

// How many bars a "Défaut" chart draws side by side in each category before
// it stacks them: past that, a group of bars is too thin to read.
constexpr int kMaxGroupedSeries = 6;

Table ReadTable(const TDList& series) {
  Table t;
  if (series.IsEmpty()) return t;
  for (const GraphValueElem* v : static_cast<PracGraphElem*>(series.Head())->Values().As<GraphValueElem>()) {
    t.categories << Label(v->Name());
  }
  for (const PracGraphElem* s : series.As<PracGraphElem>()) {
    t.names << Label(s->Name());
    std::vector<double> row(t.categories.size(), 0.0);
    size_t i = 0;
    for (const GraphValueElem* v : s->Values().As<GraphValueElem>()) {
      if (i < row.size()) row[i] = v->value;
      ++i;
    }
    t.values.push_back(std::move(row));
  }
  return t;
}

std::pair<double, double> Range(const Table& t, bool stacked) {
  double lo = 0, hi = 0;
  for (size_t c = 0; c < static_cast<size_t>(t.categories.size()); ++c) {
    double pos = 0, neg = 0;
    for (const auto& row : t.values) {
      if (stacked) {
        (row[c] >= 0 ? pos : neg) += row[c];
      } else {
        pos = std::max(pos, row[c]);
        neg = std::min(neg, row[c]);
      }
    }
    hi = std::max(hi, pos);
    lo = std::min(lo, neg);
  }
  if (hi <= lo) hi = lo + 1;
  return {lo, hi};
}

void AddAxes(QChart* chart, const Table& t, const ChartLook& look, bool stacked, bool horizontal) {
  auto* categories = new QBarCategoryAxis;
  categories->append(t.categories);
  categories->setTitleText(look.axis_title);
  auto* values = new QValueAxis;
  auto [lo, hi] = Range(t, stacked);
  values->setRange(lo, hi * 1.05);
  values->applyNiceNumbers();
  values->setTitleText(QString::fromStdString(ChartUnitTitle(look.unit, look.value_title.toStdString())));
  const int ticks = std::max(2, values->tickCount());
  values->setLabelFormat(ValueLabelFormat(look.unit, (values->max() - values->min()) / (ticks - 1)));
  chart->addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
  chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(categories);
    s->attachAxis(values);
  }
}

QBrush Shaded(const QColor& base, bool vertical) {
  QLinearGradient g(0, 0, vertical ? 0 : 1, vertical ? 1 : 0);
  g.setCoordinateMode(QGradient::ObjectBoundingMode);
  g.setColorAt(0, base.lighter(150));
  g.setColorAt(0.5, base);
  g.setColorAt(1, base.darker(170));
  return QBrush(g);
}

// Series past the palette's length draw with its colours again, hatched.
QBrush SeriesBrush(int series) {
  const QList<QColor>& palette = ChartPalette();
  const QColor colour = palette[series % palette.size()];
  if (series < palette.size()) return QBrush(colour);
  static const Qt::BrushStyle kHatches[] = {Qt::BDiagPattern, Qt::FDiagPattern, Qt::DiagCrossPattern,
                                            Qt::CrossPattern};
  return QBrush(colour, kHatches[(series / palette.size() - 1) % 4]);
}

QPen SeriesPen(int series, double width) {
  const QList<QColor>& palette = ChartPalette();
  static const Qt::PenStyle kDashes[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
  return QPen(palette[series % palette.size()], width, kDashes[(series / palette.size()) % 4], Qt::RoundCap,
              Qt::RoundJoin);
}

// Whether every category holds one value at most (the others zero): a
// series per producer, each in its own category.
bool OneValuePerCategory(const Table& t) {
  if (t.values.size() < 2) return false;
  for (size_t c = 0; c < static_cast<size_t>(t.categories.size()); ++c) {
    int held = 0;
    for (const auto& row : t.values) held += row[c] != 0;
    if (held > 1) return false;
  }
  return true;
}

void AddBars(QChart* chart, const Table& t, const ChartLook& look) {
  QAbstractBarSeries* bars = nullptr;
  const bool horizontal = look.style == ChartStyle::kHorizontalBars;
  // One value per category: stacked, each category is a single bar,
  // centred and wide; nothing is added to anything.
  const bool single = OneValuePerCategory(t);
  const bool stacked = single || IsStacked(look.style, static_cast<int>(t.values.size()), look.unit);
  if (stacked && horizontal) {
    bars = new QHorizontalStackedBarSeries;
  } else if (stacked) {
    bars = new QStackedBarSeries;
  } else if (horizontal) {
    bars = new QHorizontalBarSeries;
  } else {
    bars = new QBarSeries;
  }
  for (size_t s = 0; s < t.values.size(); ++s) {
    auto* set = new QBarSet(t.names[static_cast<int>(s)]);
    for (double v : t.values[s]) *set << v;
    const QBrush brush = SeriesBrush(static_cast<int>(s));
    set->setBrush(look.style == ChartStyle::kBars3D ? Shaded(brush.color(), false) : brush);
    // A thin edge keeps neighbouring bars (and stacked slices) apart in print.
    set->setPen(QPen(brush.color().darker(look.style == ChartStyle::kBars3D ? 200 : 140), 0.5));
    bars->append(set);
  }
  // The group (or the stack) fills most of its category, so that bars stay
  // wide enough to see when a category holds many of them.
  bars->setBarWidth(single ? 0.8 : stacked ? 0.7 : 0.85);
  bars->setLabelsVisible(look.value_labels);
  chart->addSeries(bars);
  AddAxes(chart, t, look, stacked && !single, horizontal);
}

void AddLines(QChart* chart, const Table& t, const ChartLook& look) {
  for (size_t s = 0; s < t.values.size(); ++s) {
    QXYSeries* line = look.style == ChartStyle::kPoints ? static_cast<QXYSeries*>(new QScatterSeries)
                                                          : static_cast<QXYSeries*>(new QLineSeries);
    line->setName(t.names[static_cast<int>(s)]);
    for (size_t c = 0; c < t.values[s].size(); ++c) line->append(static_cast<double>(c), t.values[s][c]);
    line->setPointLabelsVisible(look.value_labels);
    line->setPointLabelsFormat("@yPoint");
    chart->addSeries(line);
    const int n = static_cast<int>(s);
    if (look.style == ChartStyle::kLines3D) {
      QPen pen = SeriesPen(n, 6);
      pen.setBrush(Shaded(pen.color(), true));
      line->setPen(pen);
    } else if (look.style == ChartStyle::kLines) {
      line->setPen(SeriesPen(n, 2));
      line->setPointsVisible(true);
    } else if (auto* scatter = qobject_cast<QScatterSeries*>(line)) {
      scatter->setMarkerSize(11);
      scatter->setBrush(SeriesBrush(n));
      scatter->setColor(SeriesBrush(n).color());
      scatter->setBorderColor(SeriesBrush(n).color().darker(150));
    }
  }
  AddAxes(chart, t, look, false, false);
}

void AddAreas(QChart* chart, const Table& t, const ChartLook& look) {
  std::vector<double> base(t.categories.size(), 0.0);
  QLineSeries* previous = nullptr;
  for (size_t s = 0; s < t.values.size(); ++s) {
    auto* upper = new QLineSeries;
    for (size_t c = 0; c < base.size(); ++c) {
      base[c] += t.values[s][c];
      upper->append(static_cast<double>(c), base[c]);
    }
    QLineSeries* lower = nullptr;
    if (previous) {
      lower = new QLineSeries;
      lower->append(previous->points());
    }
    auto* area = new QAreaSeries(upper, lower);
    upper->setParent(area);
    if (lower) lower->setParent(area);
    area->setName(t.names[static_cast<int>(s)]);
    area->setBrush(SeriesBrush(static_cast<int>(s)));
    area->setPen(QPen(SeriesBrush(static_cast<int>(s)).color().darker(140), 1));
    area->setPointLabelsVisible(look.value_labels);
    area->setPointLabelsFormat("@yPoint");
    chart->addSeries(area);
    previous = upper;
  }
  AddAxes(chart, t, look, true, false);
}

void AddPies(QChart* chart, const Table& t, const ChartLook& look) {
  const int n = static_cast<int>(t.values.size());
  const bool shaded = look.style == ChartStyle::kPies3D;
  // The slices carry their category names (the legend would repeat them
  // once per pie): the same category has the same colour in every pie.
  chart->legend()->setVisible(false);
  const QList<QColor>& palette = ChartPalette();
  for (int s = 0; s < n; ++s) {
    auto* pie = new QPieSeries;
    pie->setName(t.names[s]);
    for (int c = 0; c < t.categories.size(); ++c) {
      const double v = t.values[s][c];
      if (v <= 0) continue;  // an empty slice only clutters the labels
      QPieSlice* slice = pie->append(t.categories[c], v);
      if (look.value_labels) slice->setLabel(QStringLiteral("%1 : %2").arg(t.categories[c]).arg(v));
      slice->setLabelVisible(true);
      if (n > 1) {  // side by side, outside labels would run into the next pie
        slice->setLabelPosition(QPieSlice::LabelInsideHorizontal);
        slice->setLabelColor(Qt::white);
      }
      const QColor colour = palette[c % palette.size()];
      slice->setColor(colour);
      slice->setBorderColor(Qt::white);
      if (shaded) {
        QRadialGradient g(0.5, 0.5, 0.5);
        g.setCoordinateMode(QGradient::ObjectBoundingMode);
        g.setColorAt(0, colour.lighter(160));
        g.setColorAt(1, colour.darker(150));
        slice->setBrush(QBrush(g));
        slice->setExploded(true);
        slice->setExplodeDistanceFactor(0.04);
      }
    }
    pie->setHorizontalPosition((s + 0.5) / n);
    pie->setPieSize(std::min(0.7, 1.4 / n));
    chart->addSeries(pie);
  }
}

// Category labels that do not fit under their category turn (labels cut
// to a few letters by the axis say nothing). Needs the chart laid out.
void FitCategoryLabels(QChart* chart) {
  for (QAbstractAxis* a : chart->axes(Qt::Horizontal)) {
    auto* axis = qobject_cast<QBarCategoryAxis*>(a);
    if (!axis || axis->count() == 0) continue;
    const double category_width = chart->plotArea().width() / axis->count();
    const QFontMetricsF metrics(axis->labelsFont());
    double widest = 0;
    for (const QString& c : axis->categories()) widest = std::max(widest, metrics.horizontalAdvance(c));
    axis->setLabelsAngle(widest + 8 <= category_width ? 0 : metrics.height() * 2 <= category_width ? -45 : -90);
  }
}

}  // namespace

const QList<QColor>& ChartPalette() {
  // After Kelly's colours of maximum contrast (white, black and the palest
  // left out), completed with darker tones: no two closer than 50 in RGB,
  // none lighter than a mid grey; the first few are the farthest apart.
  static const QList<QColor> palette = {
      QColor(0x1F, 0x77, 0xB4), QColor(0xF3, 0x84, 0x00), QColor(0x00, 0x88, 0x56), QColor(0xBE, 0x00, 0x32),
      QColor(0x87, 0x56, 0x92), QColor(0xF6, 0xC2, 0x00), QColor(0x9A, 0x63, 0x24), QColor(0xE6, 0x8F, 0xAC),
      QColor(0x5A, 0x5A, 0x5A), QColor(0x8D, 0xB6, 0x00), QColor(0x00, 0xBF, 0xFF), QColor(0xE2, 0x58, 0x22),
      QColor(0x3F, 0x00, 0xFF), QColor(0xC2, 0xB2, 0x80), QColor(0x88, 0x2D, 0x17), QColor(0x33, 0x33, 0x33),
      QColor(0x17, 0xBE, 0xCF), QColor(0xB3, 0x44, 0x6C), QColor(0x5C, 0x5C, 0x00), QColor(0xF9, 0x93, 0x79),
      QColor(0x1A, 0x23, 0x7E), QColor(0x4C, 0xAF, 0x50), QColor(0x6D, 0x1B, 0x7B), QColor(0xFF, 0x00, 0xA0),
  };
  return palette;
}

bool IsStacked(ChartStyle style, int series_count, ChartUnit unit) {
  if (unit == ChartUnit::kPercent) return false;
  return style == ChartStyle::kStackedBars || (style == ChartStyle::kDefault && series_count > kMaxGroupedSeries);
}

QString ValueLabelFormat(ChartUnit unit, double step) {
  // As many decimals as the step between ticks has (0.25 -> 2, 20 -> 0),
  // three at most.
  int decimals = 0;
  for (double s = std::fabs(step); decimals < 3 && std::fabs(s - std::round(s)) > 1e-6 * std::max(1.0, s); s *= 10) {
    ++decimals;
  }
  const QString figure = QStringLiteral("%.%1f").arg(decimals);
  switch (unit) {
    case ChartUnit::kMoney: return QStringLiteral("$") + figure;
    case ChartUnit::kHours: return figure + QStringLiteral(" H");
    case ChartUnit::kUnits: return figure + QStringLiteral(" U");
    case ChartUnit::kPercent: return figure + QStringLiteral(" %");
    case ChartUnit::kCount: break;
  }
  return figure;
}

QSize SuggestedChartSize(const TDList& series, const ChartLook& look) {
  const Table t = ReadTable(series);
  const int categories = static_cast<int>(t.categories.size());
  const int n = static_cast<int>(t.names.size());
  int plot_width = 0;  // what the data needs between the axes
  int legend_width = 0;
  int label = 0;       // the widest category label, with its margins
  switch (look.style) {
    case ChartStyle::kPies:
    case ChartStyle::kPies3D:
      plot_width = 260 * std::max(1, n);
      break;
    case ChartStyle::kHorizontalBars:
      plot_width = 560;
      break;
    default: {
      // Bars about 12 px wide side by side, 50 px when stacked; points and
      // lines about 70 px apart; and room for each category label, level.
      const QFontMetrics metrics{QFont()};
      for (const QString& c : t.categories) label = std::max(label, metrics.horizontalAdvance(c) + 32);
      const int data = IsStacked(look.style, n, look.unit) || look.style >= ChartStyle::kLines ? 70 : 14 * n + 16;
      plot_width = categories * std::max(data, label);
      break;
    }
  }
  int legend_rows = 0;
  if (look.legend && n > 0 && look.style != ChartStyle::kPies && look.style != ChartStyle::kPies3D) {
    QFont font;
    const QFontMetrics metrics(font);
    for (const QString& name : t.names) legend_width = std::max(legend_width, metrics.horizontalAdvance(name));
    legend_width += 60;  // marker and margins
    legend_rows = n;
  }
  int height = 500;
  if (look.style == ChartStyle::kHorizontalBars) {
    height = std::max(height, 120 + categories * (14 * std::max(1, n) + 16));
  }
  height = std::max(height, 140 + legend_rows * 23);  // the legend, one name per line
  const int width = std::max(800, 120 + plot_width + (n > 5 ? legend_width : 0));
  // Too many categories to lay their labels level: they turn, and take
  // height from the plot unless the picture grows.
  if (width > 2400) height += std::min(label, 300);
  return QSize(std::min(width, 2400), std::min(height, 1600));
}

QString ChartStyleName(ChartStyle style) {
  return QString::fromUtf8(ModuleString(kChartStyleFirstString + static_cast<int>(style)));
}

QChart* BuildChart(const TDList& series, const ChartLook& look) {
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  QString title = look.title;
  if (!look.subtitle.isEmpty()) title += QStringLiteral("<br><small>%1</small>").arg(look.subtitle.toHtmlEscaped());
  const Table t = ReadTable(series);
  const bool pies = look.style == ChartStyle::kPies || look.style == ChartStyle::kPies3D;
  if (pies && t.names.size() > 1) {
    title += QStringLiteral("<br><small>De gauche à droite : %1</small>").arg(t.names.join(", ").toHtmlEscaped());
  }
  chart->setTitle(title);
  chart->legend()->setVisible(look.legend && !t.values.empty());
  // A few series read best under the chart; more than fit on one line go
  // to its right, one per line, so that no name is cut.
  chart->legend()->setAlignment(t.values.size() > 5 ? Qt::AlignRight : Qt::AlignBottom);
  if (t.values.empty() || t.categories.isEmpty()) return chart;
  switch (look.style) {
    case ChartStyle::kLines:
    case ChartStyle::kLines3D:
    case ChartStyle::kPoints:
      AddLines(chart, t, look);
      break;
    case ChartStyle::kAreas:
      if (look.unit == ChartUnit::kPercent) {
        // Areas stack: percentages go side by side, as lines.
        ChartLook lines = look;
        lines.style = ChartStyle::kLines;
        AddLines(chart, t, lines);
      } else {
        AddAreas(chart, t, look);
      }
      break;
    case ChartStyle::kPies:
    case ChartStyle::kPies3D:
      AddPies(chart, t, look);
      break;
    default:
      AddBars(chart, t, look);
      break;
  }
  return chart;
}

void PaintChart(QChart* chart, QPainter* painter, const QRectF& rect) {
  QGraphicsScene own;
  QGraphicsScene* scene = chart->scene();
  const bool borrowed = scene == nullptr;
  const QSizeF old_size = chart->size();
  const QPointF old_pos = chart->pos();
  if (borrowed) {
    scene = &own;
    scene->addItem(chart);
  }
  chart->setPos(0, 0);
  chart->resize(rect.size());
  if (chart->layout()) chart->layout()->activate();
  FitCategoryLabels(chart);
  if (chart->layout()) chart->layout()->activate();
  scene->render(painter, rect, QRectF(QPointF(0, 0), rect.size()));
  if (borrowed) {
    scene->removeItem(chart);
  } else {
    chart->setPos(old_pos);
    chart->resize(old_size);
  }
}

bool RenderChartPng(const TDList& series, const ChartLook& look, const QString& path, QSize size,
                    QString* error) {
  std::unique_ptr<QChart> chart(BuildChart(series, look));
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintChart(chart.get(), &painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  // Encoded in memory (QImage::save into a file does not report a write
  // that failed), then written whole or not at all.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    *error = QStringLiteral("impossible d'écrire %1 : le PNG n'a pas pu être produit").arg(path);
    return false;
  }
  AtomicFile out;
  std::string message;
  bool ok = out.Open(path.toStdString(), &message);
  if (ok) {
    std::fwrite(png.constData(), 1, static_cast<size_t>(png.size()), out.File());
    ok = out.Commit(&message);
  }
  if (!ok) *error = QString::fromStdString(message);
  return ok;
}
