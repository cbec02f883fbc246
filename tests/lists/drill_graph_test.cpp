// The chart of a drill window's rows, opened by its "&Graphique": the rows
// the filter shows, the default and stored choices, the picture.
#include "lists/qt/drill_graph_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBarCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QImage>
#include <QTimer>
#include <functional>
#include <string>

#include "host/application.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "lists/qt/drill_dialog.h"
#include "tests/support/test_db.h"

namespace {

// Two long names that read alike once cut to a label's bytes.
constexpr char kLongA[] = "Tremblay-Lacroix, Marie-Josée (1024)";
constexpr char kLongB[] = "Tremblay-Lacroix, Marie-Josée (2048)";

// A goal cell's drill: the production behind it and the goal, each a group.
DrillResult GoalDrill() {
  DrillResult result;
  result.title = "Production / objectif — D01 D02 — novembre 2026";
  StartDrillList(&result, 0, FeeItemColumns());
  result.measures = {{7, ChartUnit::kMoney}};
  BeginDrillGroup(&result, "Production");
  long n = 0;
  auto row = [&](const char* date, const char* producer, const std::string& patient, const char* amount) {
    result.list->AddString(DrillRowText({date, producer, "Traitement", std::to_string(n + 1), patient, "01202",
                                         "Examen périodique", amount}),
                           ++n);
  };
  row("2026-11-16", "D01", kLongA, "$120.00");
  row("2026-11-02", "D01", kLongB, "$85.50");
  row("2026-11-02", "D02", "Roy, Anne (12)", "$40.00");
  row("2026-11-09", "D01", kLongA, "$-4.50");
  row("2026-11-23", "D01", "Roy, Anne (12)", "$310.25");
  row("2026-11-23", "D02", "Gagnon, Luc (7)", "$66.00");
  result.list->AddString(DrillRowText({"Total", "", "", "", "", "", "", "$617.25"}), -1);
  BeginDrillGroup(&result, "Objectif");
  row("2026-11-02", "D01", "", "$150.00");
  row("2026-11-09", "D01", "", "$150.00");
  row("2026-11-16", "D01", "", "$150.00");
  row("2026-11-23", "D01", "", "$150.00");
  row("2026-11-02", "D02", "", "$50.00");
  result.list->AddString(DrillRowText({"Total", "", "", "", "", "", "", "$650.00"}), -1);
  EndDrillGroup(&result);
  return result;
}

std::string Text(const QComboBox* box) { return box->currentText().toStdString(); }

class DrillGraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
  }
  void TearDown() override { QenApplication::SetInstance(nullptr); }
  std::string Ini(const char* key) {
    return WDIniObj(app_.GetINI()).read_secini(DrillGraphDialog::kIniSection, key, "<absent>");
  }

  // Presses the window's chart command and runs check on the chart while it
  // is open, then closes it.
  static void WithChart(DrillDialog* drill, const std::function<void(DrillGraphDialog*)>& check) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* chart = qobject_cast<DrillGraphDialog*>(w);
        if (chart == nullptr || !chart->isVisible()) continue;
        seen = true;
        check(chart);
        chart->SendCommand(1);  // "&Fermer"
        return;
      }
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    drill->CmGraph();
    EXPECT_TRUE(seen) << "the chart opened modally";
  }

  TempDir dir_;
  QenApplication app_;
};

TEST_F(DrillGraphTest, ChartsTheRowsTheWindowShows) {
  DrillDialog drill(nullptr, GoalDrill(), {}, 0);
  drill.SetFilter("D01");
  std::string by_patient;
  WithChart(&drill, [&](DrillGraphDialog* chart) {
    EXPECT_EQ(chart->windowTitle(), drill.windowTitle());
    EXPECT_EQ(Text(chart->MainBox()), "Montant") << "the first measure";
    EXPECT_EQ(Text(chart->AxisBox()), "Date") << "the first column that is not a measure";
    EXPECT_FALSE(chart->Control<QComboBox>(GraphBaseDialog::kMainGrouping)->isEnabled());
    EXPECT_EQ(chart->Look().title, "Montant par Date");
    EXPECT_EQ(chart->Look().subtitle.toStdString(),
              "Production / objectif — D01 D02 — novembre 2026 — lignes contenant « D01 »");
    // The D01 rows only, by date in their order, both groups over the same days.
    EXPECT_EQ(GraphSeriesTsv(chart->Series()),
              "2026-11-02\tProduction\t85.5\n"
              "2026-11-09\tProduction\t-4.5\n"
              "2026-11-16\tProduction\t120\n"
              "2026-11-23\tProduction\t310.25\n"
              "2026-11-02\tObjectif\t150\n"
              "2026-11-09\tObjectif\t150\n"
              "2026-11-16\tObjectif\t150\n"
              "2026-11-23\tObjectif\t150\n");

    chart->AxisBox()->setCurrentIndex(chart->AxisBox()->findText("Patient"));
    by_patient = GraphSeriesTsv(chart->Series());
    // The two names that cut alike stay two categories on the chart's axis.
    QBarCategoryAxis* axis = nullptr;
    for (QAbstractAxis* a : chart->Chart()->axes(Qt::Horizontal)) {
      if (auto* c = qobject_cast<QBarCategoryAxis*>(a)) axis = c;
    }
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->count(), 4) << axis->categories().join('|').toStdString();

    chart->AxisBox()->setCurrentIndex(chart->AxisBox()->findText("Date"));
    EXPECT_TRUE(chart->SaveChartPng(QStringLiteral("/tmp/vantra_drill_chart.png")));
  });
  EXPECT_EQ(by_patient,
            "Tremblay-Lacroix, Marie-Josée \tProduction\t115.5\n"
            "Tremblay-Lacroix, Marie-Jos\xE2\x80\x8B\tProduction\t85.5\n"
            "Roy, Anne (12)\tProduction\t310.25\n"
            "(vide)\tProduction\t0\n"
            "Tremblay-Lacroix, Marie-Josée \tObjectif\t0\n"
            "Tremblay-Lacroix, Marie-Jos\xE2\x80\x8B\tObjectif\t0\n"
            "Roy, Anne (12)\tObjectif\t0\n"
            "(vide)\tObjectif\t600\n");
  const QImage png(QStringLiteral("/tmp/vantra_drill_chart.png"));
  EXPECT_GE(png.width(), 800);
  EXPECT_GE(png.height(), 500);
  EXPECT_EQ(Ini("MainData"), "Montant");
  EXPECT_EQ(Ini("AxisData"), "Date");
}

// A new chart opens on the stored choices where its drill offers them, on
// the defaults otherwise: an audit drill has no measure and no producer.
TEST_F(DrillGraphTest, StoredChoicesWhereTheDrillHasThem) {
  WDIniObj(app_.GetINI()).write_secini(DrillGraphDialog::kIniSection, "AxisData", "Producteur");
  DrillResult audit;
  StartDrillList(&audit, 0, DrillColumns({{"Heure", 6}, {"Usager", 8}}));
  for (const char* row : {"09:15\tanne", "08:40\tanne", "10:05\tmarc"}) audit.list->AddString(row, 1);
  struct Case {
    const char* name;
    DrillResult result;
    const char* axis;
    const char* tsv;
  };
  Case cases[] = {
      {"offered", GoalDrill(), "Producteur",
       "D01\tProduction\t511.25\nD02\tProduction\t106\nD01\tObjectif\t600\nD02\tObjectif\t50\n"},
      {"not_offered", std::move(audit), "Heure",
       "08:40\tNombre de lignes\t1\n09:15\tNombre de lignes\t1\n10:05\tNombre de lignes\t1\n"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    DrillDialog drill(nullptr, std::move(c.result), {}, 0);
    WithChart(&drill, [&](DrillGraphDialog* chart) {
      EXPECT_EQ(Text(chart->AxisBox()), c.axis);
      EXPECT_EQ(GraphSeriesTsv(chart->Series()), c.tsv);
    });
  }
}

}  // namespace
