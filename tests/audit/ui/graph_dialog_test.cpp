// The audit chart dialog and the chart base: choices, data, options stored,
// styles drawn, PNG and printout.
#include <gtest/gtest.h>

#include <QBarSeries>
#include <QChart>
#include <QComboBox>
#include <QImage>
#include <QPieSeries>
#include <QPrinter>
#include <filesystem>

#include "audit/audit_lines.h"
#include "audit/audit_types.h"
#include "audit/audit_graph_series.h"
#include "lists/qt/graph_chart.h"
#include "lists/qt/printer_select.h"
#include "audit/ui/audit_graph_dialog.h"
#include "host/application.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/test_db.h"

namespace {

class GraphDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
    std::string line;
    DetailedLine(&line, "2026-01-05", "09:15:00 AM", "anne", "PATIENT", "Dossiers", "Ajout", "d", "L", "R");
    list_.AddString(line, 1);
    DetailedLine(&line, "2026-01-06", "10:00:00 AM", "marc", "RDV", "Horaire", "Retrait", "d", "E", "C");
    list_.AddString(line, 2);
    DetailedLine(&line, "2026-01-06", "11:00:00 AM", "anne", "RDV", "Horaire", "Ajout", "d", "E", "C");
    list_.AddString(line, 3);
    list_.AddString("Grand Total: 3\t \t3 \t \t3 \t3", -1);
    options_.from_date = 20260101;
    options_.to_date = 20260131;
  }
  void TearDown() override { QenApplication::SetInstance(nullptr); }
  std::string Ini(const char* key) {
    return WDIniObj(app_.GetINI()).read_secini(PracGraphDialog::kIniSection, key, "<absent>");
  }

  TempDir dir_;
  QenApplication app_;
  QenListWindow list_{300};
  AuditOptions options_;
};

TEST_F(GraphDialogTest, ChoicesPerListKind) {
  PracGraphDialog detailed(nullptr, 3529, 0, &list_, &options_, 0);
  detailed.Create();
  ASSERT_EQ(detailed.MainBox()->count(), 5);
  EXPECT_EQ(detailed.AxisBox()->count(), 5);
  EXPECT_EQ(detailed.MainBox()->CodeAt(4), "5");
  EXPECT_EQ(detailed.MainBox()->ValueAt(0), 10218);
  EXPECT_EQ(detailed.MainBox()->itemText(0), "Usager");
  EXPECT_EQ(detailed.MainBox()->currentIndex(), 0) << "the first item is preselected";
  EXPECT_EQ(detailed.AxisBox()->currentIndex(), 0);

  QenListWindow summary(301);
  PracGraphDialog summary_chart(nullptr, 3529, 1, &summary, &options_, 0);
  summary_chart.Create();
  EXPECT_EQ(summary_chart.MainBox()->count(), 4);
  EXPECT_TRUE(summary_chart.WantsRowValues());
}

TEST_F(GraphDialogTest, SeriesFollowTheChoices) {
  PracGraphDialog chart(nullptr, 3529, 0, &list_, &options_, 0);
  chart.Create();
  const int draws = chart.DrawCount();
  EXPECT_GE(draws, 1);
  chart.MainBox()->setCurrentIndex(3);  // verb -> series
  chart.AxisBox()->setCurrentIndex(0);  // user -> categories
  EXPECT_GT(chart.DrawCount(), draws) << "a change of choice redraws";
  ASSERT_EQ(chart.Series().Count(), 2u);
  EXPECT_STREQ(static_cast<PracGraphElem*>(chart.Series().Head())->Name(), "Ajout");
  EXPECT_EQ(chart.Look().title, "Action par Usager");
  // Bars side by side, or one bar per category when each holds one value.
  auto* bars = qobject_cast<QAbstractBarSeries*>(chart.Chart()->series().value(0));
  ASSERT_NE(bars, nullptr);
  EXPECT_EQ(bars->count(), 2) << "one bar set per series";
  EXPECT_EQ(Ini("MainData"), "4");
  EXPECT_EQ(Ini("AxisData"), "1");

  // A second chart opens on the stored choices.
  PracGraphDialog again(nullptr, 3529, 0, &list_, &options_, 0);
  again.Create();
  EXPECT_EQ(again.MainBox()->SelectedCode(), "4");
}

TEST_F(GraphDialogTest, ShowDatesKey) {
  PracGraphDialog chart(nullptr, 3529, 0, &list_, &options_, 0);
  chart.Create();
  EXPECT_EQ(Ini("ShowDates"), "<absent>") << "flag off: no key";
  chart.Control<QAbstractButton>(GraphBaseDialog::kShowDates)->click();
  EXPECT_EQ(chart.ShowDatesFlag(), 'Y');
  EXPECT_EQ(Ini("ShowDates"), "2026-01-01 - 2026-01-31");
  EXPECT_EQ(chart.Look().subtitle, "2026-01-01 - 2026-01-31");
  chart.Control<QAbstractButton>(GraphBaseDialog::kShowDates)->click();
  EXPECT_EQ(Ini("ShowDates"), "<absent>") << "unticked: removed again";
}

TEST_F(GraphDialogTest, StylesAndGroupingAreStored) {
  {
    PracGraphDialog chart(nullptr, 3529, 0, &list_, &options_, 0);
    chart.Create();
    chart.SetStyle(ChartStyle::kPies);
    chart.Control<QComboBox>(GraphBaseDialog::kAxisGrouping)->setCurrentIndex(1);  // 'T'
    EXPECT_EQ(chart.Grouping().axis, 'T');
    ASSERT_EQ(chart.Series().Count(), 2u) << "user series, one category";
    EXPECT_EQ(static_cast<PracGraphElem*>(chart.Series().Head())->Count(), 1u);
    EXPECT_NE(qobject_cast<QPieSeries*>(chart.Chart()->series().value(0)), nullptr);
  }
  EXPECT_EQ(Ini("Style"), "7");
  EXPECT_EQ(Ini("AxisGroup"), "T");
  PracGraphDialog again(nullptr, 3529, 0, &list_, &options_, 0);
  again.Create();
  EXPECT_EQ(again.Style(), ChartStyle::kPies);
  EXPECT_EQ(again.Grouping().axis, 'T');
}

TEST_F(GraphDialogTest, EveryStyleDrawsAndSavesPng) {
  TDList series;
  AuditGraphRequest request{0, '4', '1', {'P', 'P'}, false};
  ASSERT_EQ(BuildAuditGraphSeries(list_, request, &series), 2);
  for (int s = 0; s < kChartStyleCount; ++s) {
    ChartLook look;
    look.style = static_cast<ChartStyle>(s);
    look.title = ChartStyleName(look.style);
    look.value_labels = s % 2 == 0;
    std::unique_ptr<QChart> chart(BuildChart(series, look));
    EXPECT_FALSE(chart->series().isEmpty()) << look.title.toStdString();
    const QString path = QString::fromStdString(dir_.File("style" + std::to_string(s) + ".png"));
    QString error;
    ASSERT_TRUE(RenderChartPng(series, look, path, QSize(640, 400), &error)) << error.toStdString();
    QImage image(path);
    ASSERT_EQ(image.size(), QSize(640, 400));
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 4) {
      for (int x = 0; x < image.width(); x += 4) {
        const QColor c = image.pixelColor(x, y);
        if (c.saturation() > 80) ++coloured;
      }
    }
    EXPECT_GT(coloured, 20) << "style " << s << " draws coloured series";
  }
  EXPECT_EQ(ChartStyleName(ChartStyle::kDefault), "Défaut");
  EXPECT_EQ(ChartStyleName(ChartStyle::kHorizontalBars), "Rectangulaire Basé");
  std::unique_ptr<QChart> empty(BuildChart(TDList(), ChartLook{}));
  EXPECT_TRUE(empty->series().isEmpty());
}

TEST_F(GraphDialogTest, SaveAndPrintFromTheDialog) {
  PracGraphDialog chart(nullptr, 3529, 0, &list_, &options_, 0);
  chart.Create();
  const std::string png = dir_.File("choisi.png");
  GraphBaseDialog::SaveFileHook old = GraphBaseDialog::SetSaveFileHook([&](const QString&) {
    return QString::fromStdString(dir_.File("choisi"));  // the extension is added
  });
  chart.SendCommand(GraphBaseDialog::kCmSavePng);
  GraphBaseDialog::SetSaveFileHook(old);
  EXPECT_TRUE(std::filesystem::exists(png));

  const std::string pdf = dir_.File("diagramme.pdf");
  {
    ScopedPrinterChoice choice([&](QPrinter* p) {
      p->setOutputFormat(QPrinter::PdfFormat);
      p->setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
    chart.SendCommand(GraphBaseDialog::kCmPrint);
  }
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_NE(PdfText(pdf).find("Usager par Usager"), std::string::npos);
  EXPECT_EQ(PdfPageSize(pdf), "792 x 612");
}

}  // namespace
