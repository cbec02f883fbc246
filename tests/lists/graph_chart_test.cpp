// The look of charts with many series: colours that stay apart, bars that
// stay wide, a picture that grows with the data.
#include "lists/qt/graph_chart.h"

#include <gtest/gtest.h>

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QStackedBarSeries>
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

TEST(ChartLookTest, DefaultStyleStacksManySeries) {
  struct Case {
    const char* name;
    ChartStyle style;
    int series;
    bool stacked;
  };
  const Case cases[] = {
      {"default, few series", ChartStyle::kDefault, 6, false},
      {"default, many series", ChartStyle::kDefault, 19, true},
      {"bars stay side by side", ChartStyle::kBars, 19, false},
      {"stacked bars", ChartStyle::kStackedBars, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDList series;
    Fill(&series, c.series, 10);
    ChartLook look;
    look.style = c.style;
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
