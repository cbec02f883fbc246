// The look of charts with many series: colours that stay apart, bars that
// stay wide, a picture that grows with the data.
#include "lists/qt/graph_chart.h"

#include <gtest/gtest.h>

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QAreaSeries>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <cmath>
#include <memory>
#include <string>

namespace {

// series_count series over category_count categories, all values 1.
void Fill(TDList* series, int series_count, int category_count, const std::string& category_prefix = "u") {
  for (int s = 0; s < series_count; ++s) {
    auto* e = new PracGraphElem("série " + std::to_string(s), "4", "1");
    for (int c = 0; c < category_count; ++c) {
      auto* v = new GraphValueElem(category_prefix + std::to_string(c), "");
      v->value = 1;
      e->Values().Append(v);
    }
    series->Append(e);
  }
}

TEST(ChartPaletteTest, TwentyFourDistinctColoursThatPrint) {
  const QList<QColor>& palette = ChartPalette();
  ASSERT_GE(palette.size(), 24);
  for (int i = 0; i < palette.size(); ++i) {
    SCOPED_TRACE(palette[i].name().toStdString());
    // Relative luminance below that of a light grey: visible on white paper.
    const QColor c = palette[i];
    const double luminance = 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
    EXPECT_LT(luminance, 0.75);
    for (int j = 0; j < i; ++j) {
      const double distance = std::hypot(c.red() - palette[j].red(), c.green() - palette[j].green(),
                                         c.blue() - palette[j].blue());
      EXPECT_GT(distance, 50) << "too close to " << palette[j].name().toStdString();
    }
  }
}

TEST(ChartLookTest, WhatIsStacked) {
  struct Case {
    const char* name;
    ChartStyle style;
    int series;
    ChartUnit unit;
    bool stacked;
  };
  const Case cases[] = {
      {"default, few series", ChartStyle::kDefault, 6, ChartUnit::kCount, false},
      {"default, many series", ChartStyle::kDefault, 19, ChartUnit::kMoney, true},
      {"bars stay side by side", ChartStyle::kBars, 19, ChartUnit::kCount, false},
      {"stacked bars", ChartStyle::kStackedBars, 2, ChartUnit::kHours, true},
      {"default, many percentages", ChartStyle::kDefault, 12, ChartUnit::kPercent, false},
      {"stacked percentages", ChartStyle::kStackedBars, 3, ChartUnit::kPercent, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsStacked(c.style, c.series, c.unit), c.stacked);
    TDList series;
    Fill(&series, c.series, 10);
    ChartLook look;
    look.style = c.style;
    look.unit = c.unit;
    std::unique_ptr<QChart> chart(BuildChart(series, look));
    ASSERT_EQ(chart->series().size(), 1);
    EXPECT_EQ(qobject_cast<QStackedBarSeries*>(chart->series()[0]) != nullptr, c.stacked);
    auto* bars = qobject_cast<QAbstractBarSeries*>(chart->series()[0]);
    ASSERT_NE(bars, nullptr);
    EXPECT_GE(bars->barWidth(), 0.7) << "groups fill their category";
    // Past the palette, colours come back hatched: no two series look alike.
    for (int s = 0; s < c.series; ++s) {
      const QBrush b = bars->barSets()[s]->brush();
      EXPECT_EQ(b.color(), ChartPalette()[s % ChartPalette().size()]);
    }
  }
}

// Percentages drawn as areas would stack too: they are lines.
TEST(ChartLookTest, PercentagesAsAreasAreLines) {
  TDList series;
  Fill(&series, 3, 4);
  ChartLook look;
  look.style = ChartStyle::kAreas;
  look.unit = ChartUnit::kPercent;
  std::unique_ptr<QChart> chart(BuildChart(series, look));
  ASSERT_EQ(chart->series().size(), 3);
  for (QAbstractSeries* s : chart->series()) EXPECT_NE(qobject_cast<QLineSeries*>(s), nullptr);
  look.unit = ChartUnit::kMoney;
  std::unique_ptr<QChart> areas(BuildChart(series, look));
  for (QAbstractSeries* s : areas->series()) EXPECT_NE(qobject_cast<QAreaSeries*>(s), nullptr);
}

// The value axis says the unit: its title and its labels.
TEST(ChartLookTest, TheValueAxisSaysTheUnit) {
  struct Case {
    const char* name;
    ChartUnit unit;
    const char* value_title;
    double value;
    const char* title;
    const char* format;
  };
  const Case cases[] = {
      {"count", ChartUnit::kCount, "", 40, "Nombre", "%.0f"},
      {"money", ChartUnit::kMoney, "", 838806, "Montant ($)", "$%.0f"},
      {"money of a measure", ChartUnit::kMoney, "Traitements", 838806, "Traitements ($)", "$%.0f"},
      {"hours under ten", ChartUnit::kHours, "", 1.5, "Heures (H)", "%.1f H"},
      {"units", ChartUnit::kUnits, "", 900, "Unités (U)", "%.0f U"},
      {"percent", ChartUnit::kPercent, "", 104.5, "Pourcentage (%)", "%.0f %"},
      {"a measure that says it", ChartUnit::kPercent, "Usage %", 83, "Usage %", "%.0f %"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDList series;
    Fill(&series, 2, 3);
    for (PracGraphElem* e : series.As<PracGraphElem>()) {
      for (GraphValueElem* v : e->Values().As<GraphValueElem>()) v->value = c.value;
    }
    ChartLook look;
    look.unit = c.unit;
    look.value_title = QString::fromUtf8(c.value_title);
    std::unique_ptr<QChart> chart(BuildChart(series, look));
    const QList<QAbstractAxis*> axes = chart->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 1);
    auto* values = qobject_cast<QValueAxis*>(axes[0]);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->titleText().toStdString(), c.title);
    EXPECT_EQ(values->labelFormat().toStdString(), c.format);
  }
}

// A series per producer, each with its value in its own category: one
// bar per category, centred and wide, in its series' colour.
TEST(ChartLookTest, OneValuePerCategoryIsOneWideBar) {
  TDList series;
  Fill(&series, 6, 6);
  int s = 0;
  for (PracGraphElem* e : series.As<PracGraphElem>()) {
    int c = 0;
    for (GraphValueElem* v : e->Values().As<GraphValueElem>()) v->value = c++ == s ? 100.0 * (s + 1) : 0;
    ++s;
  }
  for (ChartUnit unit : {ChartUnit::kMoney, ChartUnit::kPercent}) {
    ChartLook look;
    look.unit = unit;
    std::unique_ptr<QChart> chart(BuildChart(series, look));
    ASSERT_EQ(chart->series().size(), 1);
    auto* bars = qobject_cast<QStackedBarSeries*>(chart->series()[0]);
    ASSERT_NE(bars, nullptr) << "one bar per category: the zeros take no room";
    EXPECT_GE(bars->barWidth(), 0.8);
    ASSERT_EQ(bars->count(), 6) << "every producer keeps its legend entry";
    for (int n = 0; n < 6; ++n) EXPECT_EQ(bars->barSets()[n]->at(n), 100.0 * (n + 1)) << "no value moved";
    auto* values = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical)[0]);
    EXPECT_LT(values->max(), 1000) << "the axis is that of the tallest bar, not of a sum";
  }
  // Two values in a category: side by side as before.
  auto* first = static_cast<PracGraphElem*>(series.Head());
  static_cast<GraphValueElem*>(first->Values().Head()->Next())->value = 5;  // beside the second's 200
  std::unique_ptr<QChart> grouped(BuildChart(series, ChartLook{}));
  EXPECT_NE(qobject_cast<QBarSeries*>(grouped->series()[0]), nullptr);
}

TEST(ChartUnitTitleTest, Words) {
  EXPECT_EQ(ChartUnitTitle(ChartUnit::kCount), "Nombre");
  EXPECT_EQ(ChartUnitTitle(ChartUnit::kCount, "Ajout"), "Ajout");
  EXPECT_EQ(ChartUnitTitle(ChartUnit::kHours, "Disponible"), "Disponible (H)");
  EXPECT_EQ(ValueLabelFormat(ChartUnit::kMoney, 0.25).toStdString(), "$%.2f");
  EXPECT_EQ(ValueLabelFormat(ChartUnit::kPercent, 20).toStdString(), "%.0f %");
}

TEST(ChartLookTest, PictureGrowsWithTheData) {
  TDList few, many, long_labels;
  Fill(&few, 2, 3);
  Fill(&many, 19, 10);
  Fill(&long_labels, 19, 10, "Gestionnaire des documents ");
  ChartLook look;
  EXPECT_EQ(SuggestedChartSize(few, look), QSize(800, 500));
  const QSize size = SuggestedChartSize(many, look);
  EXPECT_GE(size.height(), 19 * 23) << "one legend line per series";
  EXPECT_GT(SuggestedChartSize(long_labels, look).width(), size.width()) << "room for level labels";
  look.style = ChartStyle::kBars;
  EXPECT_GE(SuggestedChartSize(many, look).width(), 19 * 10 * 12) << "side-by-side bars about 12 px wide";
  EXPECT_LE(SuggestedChartSize(many, look).width(), 2400);
}

}  // namespace
