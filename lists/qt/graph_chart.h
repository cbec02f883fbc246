// Drawing of chart data (a TDList of PracGraphElem) with QtCharts, in the
// chart styles the chart dialog offers (this module's strings 60 to 70).
//
//   style               QtCharts series
//   0 "Défaut"          bars side by side (as 1) up to 6 series; stacked
//                       (as 3) beyond, where side-by-side bars get too thin
//   1 "Barres"          QBarSeries, one bar set per series
//   2 "Barres 3D"       bars shaded with a light-to-dark gradient
//   3 "Barres empilées" QStackedBarSeries
//   4 "Lignes"          QLineSeries over the categories
//   5 "Lignes 3D"       thick lines with round joins and a drop shade
//   6 "Aires"           QAreaSeries, stacked one on the other
//   7 "Secteurs"        QPieSeries: one pie per series (left to right, named
//                       under the title), slices = categories, labelled
//   8 "Secteurs 3D"     pies with shaded, slightly exploded slices
//   9 "Points"          QScatterSeries
//  10 "Rectangulaire Basé"  QHorizontalBarSeries (bars from the left edge)
//
// The value drawn is GraphValueElem::value; categories are the values'
// names of the first series (every series has the same ones, in order).
// The value axis says the unit (ChartLook::unit). A percentage is drawn
// side by side whatever the style: "Barres empilées" as "Barres", "Aires"
// as "Lignes". Bars of a chart whose categories each hold one value at most
// (a series per producer, each in its own category) are one bar per
// category, centred and as wide as the category allows, in the colour of
// its series.
//
// Colours: series n (pie slice n) takes ChartPalette()[n]; past the
// palette's 24 colours they repeat, hatched (bars, areas) or dashed (lines),
// so that every series stays apart, on screen and in print.
#pragma once

#include <QColor>
#include <QList>
#include <QSize>
#include <QString>

#include "lists/graph_data.h"

class QChart;
class QPainter;
class QRectF;

enum class ChartStyle : int {
  kDefault = 0,
  kBars,
  kBars3D,
  kStackedBars,
  kLines,
  kLines3D,
  kAreas,
  kPies,
  kPies3D,
  kPoints,
  kHorizontalBars,
};
inline constexpr int kChartStyleCount = 11;
inline constexpr int kChartStyleFirstString = 60;  // module string of style 0 ("Défaut")

// The name of a style (module string 60 + style).
QString ChartStyleName(ChartStyle style);

struct ChartLook {
  ChartStyle style = ChartStyle::kDefault;
  QString title;
  QString subtitle;      // a second title line (the date range when shown)
  QString axis_title;    // categories
  QString value_title;   // values: the measure's name ("" = the unit's word)
  ChartUnit unit = ChartUnit::kCount;  // the values' unit: the axis's labels and title, stacking
  bool legend = true;
  bool value_labels = false;  // values written on the bars, points and slices
};

// The series colours: 24 saturated, mutually distinct colours, none light
// enough to vanish on white paper; the first ones are the most distinct.
const QList<QColor>& ChartPalette();

// Whether style draws series_count series as stacked bars: "Barres
// empilées", and "Défaut" past 6 series; never a percentage.
bool IsStacked(ChartStyle style, int series_count, ChartUnit unit = ChartUnit::kCount);
// The value axis's label format for unit ("$%.0f", "%.1f H", "%.0f %" ...),
// decimals as the step between ticks needs them.
QString ValueLabelFormat(ChartUnit unit, double step);

// A picture size that suits the data: wide enough for every bar (or point)
// to be seen and every category label to be read, tall enough for the
// legend's names, one per line; never below 800 x 500, never above
// 2400 x 1600.
QSize SuggestedChartSize(const TDList& series, const ChartLook& look);

// A new chart of series (the caller owns it; it copies what it needs, so
// series may be freed afterwards). No series: an empty chart with its title.
QChart* BuildChart(const TDList& series, const ChartLook& look);

// Paints chart into rect of painter (a printer page, an image), at the
// rect's size. The chart is resized to the rect.
void PaintChart(QChart* chart, QPainter* painter, const QRectF& rect);

// Draws series into a PNG file of size pixels. Needs a QApplication
// (EnsureGuiApplication). The file appears whole or not at all (AtomicFile):
// false with one line in *error ("impossible d'écrire F : Fichier trop
// volumineux") when it cannot be written, an older file at path kept.
bool RenderChartPng(const TDList& series, const ChartLook& look, const QString& path, QSize size,
                    QString* error);
