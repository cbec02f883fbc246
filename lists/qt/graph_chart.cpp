#include "lists/qt/graph_chart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <memory>
#include <vector>

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
  return *text ? QString::fromUtf8(text) : QString::fromUtf8(ModuleString(13));
}

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
  values->setTitleText(look.value_title);
  values->setLabelFormat("%g");
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

void AddBars(QChart* chart, const Table& t, const ChartLook& look) {
  QAbstractBarSeries* bars = nullptr;
  const bool horizontal = look.style == ChartStyle::kHorizontalBars;
  if (look.style == ChartStyle::kStackedBars) {
    bars = new QStackedBarSeries;
  } else if (horizontal) {
    bars = new QHorizontalBarSeries;
  } else {
    bars = new QBarSeries;
  }
  for (size_t s = 0; s < t.values.size(); ++s) {
    auto* set = new QBarSet(t.names[static_cast<int>(s)]);
    for (double v : t.values[s]) *set << v;
    bars->append(set);
  }
  bars->setLabelsVisible(look.value_labels);
  chart->addSeries(bars);
  if (look.style == ChartStyle::kBars3D) {
    for (QBarSet* set : bars->barSets()) {
      set->setBrush(Shaded(set->color(), false));
      set->setBorderColor(set->color().darker(200));
    }
  }
  AddAxes(chart, t, look, look.style == ChartStyle::kStackedBars, horizontal);
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
    if (look.style == ChartStyle::kLines3D) {
      QPen pen(Shaded(line->color(), true), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      line->setPen(pen);
    } else if (look.style == ChartStyle::kLines) {
      line->setPointsVisible(true);
    } else if (auto* scatter = qobject_cast<QScatterSeries*>(line)) {
      scatter->setMarkerSize(11);
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
  const QList<QColor> palette = {QColor(32, 159, 223), QColor(153, 202, 83), QColor(246, 166, 37),
                                 QColor(109, 95, 213),  QColor(191, 89, 62),  QColor(52, 73, 94),
                                 QColor(232, 93, 117),  QColor(26, 188, 156), QColor(155, 89, 182),
                                 QColor(241, 196, 15)};
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

}  // namespace

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
      AddAreas(chart, t, look);
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
  if (!image.save(path, "PNG")) {
    *error = QStringLiteral("impossible d'écrire %1").arg(path);
    return false;
  }
  return true;
}
