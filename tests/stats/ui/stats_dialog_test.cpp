// The statistics tab (dialog 2007), its colour options (2008) and its chart,
// offscreen, over a small SQLite practice.
#include <gtest/gtest.h>

#include <QPrinter>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QLabel>

#include "bridge/appt_productivity_source.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "lists/drill.h"
#include "lists/qt/color_chooser.h"
#include "lists/qt/drill_dialog.h"
#include "lists/qt/printer_select.h"
#include "stats/case_acceptance.h"
#include "stats/ui/stats_dialog.h"
#include "stats/ui/stats_graph_dialog.h"
#include "stats/ui/stats_options_dialog.h"
#include "suite/demo_db.h"
#include "suite/production_service.h"
#include "suite/schema.h"
#include "tests/stats/stats_fixture.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261201;

class StatsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetToday(kToday);
    std::string error;
    auto db = OpenGenDB("sqlite:" + dir_.File("practice.sqlite"), "", true, &error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_TRUE(CreateSchema(db.get(), &error)) << error;
    GenDB* d = db.get();
    AddProducer(d, 1, "D01");
    AddProducer(d, 2, "D02");
    AddProducer(d, 3, "H09", true);
    AddPatientRow(d, 1, "01", 20261105, 20261120);
    AddPatientRow(d, 2, "02", 20261106, 20261107);
    AddPlanned(d, 5, "D01", 12000);
    AddProposalItem(d, 9, "D02", 80000);
    AddCaseAudit(d, 1, "T", "A", 5, 20261103, "P", "", "x");
    AddCaseAudit(d, 2, "X", "A", 0, 20261104, "", "9", "");
    AddCaseAudit(d, 3, "T", "E", 5, 20261110, "C", "", "P");
    ASSERT_EQ(d->dbExec("INSERT INTO CLMTRT (CTRT_ID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL) "
                        "VALUES (20, 20261105, 'C', 'D01', 150000)"),
              0);
    app_.SetDb(std::move(db));
    app_.SetINI(dir_.File("tolvane.ini"));
    InstallProductionService(&app_);
    QenApplication::SetInstance(&app_);
  }
  void TearDown() override {
    QenApplication::SetInstance(nullptr);
    SetToday(0);
  }
  std::unique_ptr<PracStatDialog> MakeTab() {
    auto tab = std::make_unique<PracStatDialog>(nullptr, 2007, 0, nullptr);
    tab->Create();
    return tab;
  }
  void WriteIni(const char* key, const char* value) {
    WDIniObj ini(app_.GetINI());
    ASSERT_TRUE(ini.write_secini("PRAC_STATS", key, value));
  }

  TempDir dir_;
  QenApplication app_;
  ScopedPromptHook yes_{[](const PromptRequest&) { return QMessageBox::Yes; }};
};

TEST_F(StatsDialogTest, SetUpShowsPeriodAndActiveProducers) {
  auto tab = MakeTab();
  EXPECT_EQ(tab->Selection().from, 20261101);
  EXPECT_EQ(tab->Selection().to, kToday);
  QenListWindow* producers = tab->ProducerView()->List();
  ASSERT_EQ(producers->GetCount(), 3) << "Tous, D01, D02 (H09 is inactive)";
  EXPECT_EQ(producers->GetString(0), "Tous");
  EXPECT_TRUE(producers->IsChecked(0));
  EXPECT_EQ(producers->GetItemText(1, 0), "D01");
  EXPECT_EQ(tab->Lists().List(kStatsProductivity).Columns()[3].title, "Usage %");
}

TEST_F(StatsDialogTest, GenerateFillsPatientsAcceptanceAndSummary) {
  WriteIni("FeesGoal", "300000");
  auto tab = MakeTab();
  tab->SendCommand(PracStatDialog::kCmGenerate);
  const QenListWindow& patients = tab->Lists().List(kStatsPatients);
  ASSERT_EQ(patients.GetCount(), 4);
  EXPECT_EQ(patients.GetString(0), "D01 \t1\t0\t1\t1");
  const QenListWindow& acc = tab->Lists().List(kStatsAcceptance);
  ASSERT_EQ(acc.GetCount(), 8);
  EXPECT_EQ(acc.GetString(1), " \tD01 \t1 \t$120.00 \t1 \t$120.00 \t100.00%");
  const QenListWindow& summary = tab->Lists().List(kStatsSummary);
  ASSERT_EQ(summary.GetCount(), 6) << "D01, D02, blank, total, blank, goal";
  EXPECT_EQ(summary.GetItemText(5, 4), "$3000.00 (50.00%) ");
  EXPECT_EQ(tab->Lists().List(kStatsProductivity).GetCount(), 0) << "not connected";
}

TEST_F(StatsDialogTest, ExplicitSelectionAndNothingSelected) {
  auto tab = MakeTab();
  QenListWindow* producers = tab->ProducerView()->List();
  producers->Check(0, false);
  tab->SendCommand(PracStatDialog::kCmGenerate);
  EXPECT_EQ(tab->Lists().List(kStatsPatients).GetCount(), 0) << "no producer: nothing is generated";
  producers->Check(2, true);  // D02
  tab->SendCommand(PracStatDialog::kCmGenerate);
  const QenListWindow& patients = tab->Lists().List(kStatsPatients);
  ASSERT_EQ(patients.GetCount(), 3);
  EXPECT_EQ(patients.GetString(0), "D02 \t1\t0\t1\t1");
  const QenListWindow& summary = tab->Lists().List(kStatsSummary);
  ASSERT_GE(summary.GetCount(), 1);
  EXPECT_EQ(summary.GetItemText(0, 0), "D02 ");
}

TEST_F(StatsDialogTest, DefaultsWriteTheProducerChoice) {
  auto tab = MakeTab();
  tab->SendCommand(PracStatDialog::kCmDefaults);
  WDIniObj ini(app_.GetINI());
  EXPECT_EQ(ini.read_secini("PRAC_STATS", "AllProducers", ""), "Y");
  EXPECT_EQ(ini.read_secini("PRAC_STATS", "Producers", ""), "D01,D02") << "with Tous, every listed producer";
}

TEST_F(StatsDialogTest, ColouredCellsAreRecordedForPrinting) {
  WriteIni("AmountColor0", "255");
  WriteIni("AmountFrom0", "10000");
  WriteIni("AmountTo0", "100000");
  WriteIni("AmtColorBy", "D");
  auto tab = MakeTab();
  tab->SendCommand(PracStatDialog::kCmGenerate);
  const TDList& colours = tab->Lists().Colours(kStatsAcceptance);
  // Detail rows: D01 $120.00 twice, D02 $800.00 once; totals are not coloured.
  ASSERT_EQ(colours.Count(), 3u);
  const auto* first = static_cast<const ColorListElem*>(colours.Head());
  EXPECT_EQ(first->row, 1);
  EXPECT_EQ(first->column, 3);
  EXPECT_EQ(first->colour, 255u);
  const RowStyle style = tab->View(kStatsAcceptance)->Model()->StyleOf(1, 3);
  EXPECT_EQ(style.background, QColor(255, 0, 0));
  EXPECT_TRUE(tab->View(kStatsAcceptance)->Model()->StyleOf(2, 0).bold) << "total row";
}

TEST_F(StatsDialogTest, ContextMenuRecordsTheListAndPrintAllMakesOneDocument) {
  auto tab = MakeTab();
  tab->SendCommand(PracStatDialog::kCmGenerate);
  tab->ContextMenu(kStatsSummary, QPoint(), false);
  EXPECT_EQ(tab->RecordedList(), kStatsSummary);
  const std::string pdf = dir_.File("tous.pdf");
  {
    ScopedPrinterChoice choice([&](QPrinter* p) {
      p->setOutputFormat(QPrinter::PdfFormat);
      p->setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
    tab->SendCommand(4005);
  }
  EXPECT_EQ(tab->RecordedList(), 0);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string text = PdfText(pdf);
  const size_t patients = text.find("Patients"), productivity = text.find("Productivité"),
               acceptance = text.find("Acceptation des cas"), summary = text.find("C/R");
  EXPECT_NE(text.find("Analyse du cabinet"), std::string::npos);
  ASSERT_NE(patients, std::string::npos);
  ASSERT_NE(summary, std::string::npos);
  EXPECT_LT(patients, productivity);
  EXPECT_LT(productivity, acceptance);
  EXPECT_LT(acceptance, summary);
  // Generate one list only: the recorded one.
  tab->Lists().List(kStatsPatients).ClearList();
  tab->ContextMenu(kStatsAcceptance, QPoint(), false);
  tab->SendCommand(4004);
  EXPECT_EQ(tab->Lists().List(kStatsPatients).GetCount(), 0);
  EXPECT_EQ(tab->Lists().List(kStatsAcceptance).GetCount(), 8);
}

TEST_F(StatsDialogTest, OptionsDialogKeepsChangesForOkOnly) {
  StatsColorOptions options;
  options.fees.colour[0] = 0x00FF00;
  options.fees.color_by = 'D';
  {
    StatsOptionsDialog dialog(nullptr, &options, 0);
    dialog.Create();
    EXPECT_FALSE(dialog.AnyDlgChanges());
    ColourChoiceHook old = SetColourChoiceHook([](ColorRef* c) {
      *c = 0x0000FF;
      return true;
    });
    dialog.ColourButton(149)->click();
    SetColourChoiceHook(old);
    EXPECT_TRUE(dialog.AnyDlgChanges());
    EXPECT_EQ(options.fees.colour[0], 0x00FF00) << "unchanged before OK";
    dialog.Control<TMultButton>(160)->setChecked(true);  // Fees colour-by "Ensemble"
    dialog.Control<TAmount>(173)->setText(QStringLiteral("1234.56"));
    dialog.SendCommand(1);
  }
  EXPECT_EQ(options.fees.colour[0], 0x0000FF);
  EXPECT_EQ(options.fees.color_by, 'B');
  EXPECT_EQ(options.fees_goal, 123456);
}

TEST_F(StatsDialogTest, ChartOfTheAcceptanceListGivesTwoSeriesPerGroup) {
  auto tab = MakeTab();
  tab->SendCommand(PracStatDialog::kCmGenerate);
  const QenListWindow& acc = tab->Lists().List(kStatsAcceptance);
  PracStatsGraphDialog chart(tab.get(), 3529, &acc, tab->Selection().from, tab->Selection().to,
                             kStatsAcceptance, 0);
  chart.Create();
  std::strcpy(chart.MainCodeField(), "10177");
  ASSERT_TRUE(chart.BuildGraphData());
  EXPECT_EQ(chart.Series().Count(), 2u);
  EXPECT_TRUE(chart.windowTitle().endsWith(QStringLiteral("(Acceptation des cas)")));
}

// The demo practice's productivity and case-acceptance figures open their
// rows in a drill window, titled with what was drilled; the window prints
// its rows. VANTRA_STATS_DRILL_PNG and VANTRA_STATS_DRILL_PDF keep the
// window's picture and its printout.
TEST(StatsDrillWindowTest, ProductivityAndAcceptanceOpenTheirRows) {
  TempDir dir;
  QenApplication app;
  std::string error;
  auto db = OpenGenDB("sqlite:" + dir.File("demo.sqlite"), "", true, &error);
  ASSERT_NE(db, nullptr) << error;
  DemoOptions demo;
  demo.today = kToday;
  DemoSummary summary;
  ASSERT_TRUE(GenerateDemoPractice(db.get(), demo, &summary, &error)) << error;
  ApptProductivitySource source(db.get(), nullptr, 0);
  app.SetDb(std::move(db));
  app.SetINI(dir.File("tolvane.ini"));
  InstallProductionService(&app);
  QenApplication::SetInstance(&app);
  ScopedPromptHook yes([](const PromptRequest&) { return QMessageBox::Yes; });
  {
    PracStatDialog tab(nullptr, 2007, 0, nullptr);
    tab.SetProductivitySource(&source);
    tab.Create();
    tab.SendCommand(PracStatDialog::kCmGenerate);
    ASSERT_TRUE(tab.LastOutcome().Finished()) << tab.LastOutcome().message;
    const QenListWindow& productivity = tab.Lists().List(kStatsProductivity);
    ASSERT_GT(productivity.GetCount(), 2);
    // The first producer's missed appointments: as many rows as the cell says.
    emit tab.View(kStatsProductivity)->CellActivated(0, 4);
    DrillDialog* drill = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* d = qobject_cast<DrillDialog*>(w); d != nullptr && d->isVisible()) drill = d;
    }
    ASSERT_NE(drill, nullptr);
    const std::string producer = TrimmedCell(productivity.GetItemText(0, 0));
    EXPECT_TRUE(drill->windowTitle().endsWith(QString::fromStdString(" — " + producer)))
        << drill->windowTitle().toStdString();
    EXPECT_EQ(std::to_string(drill->Result().DataRows()), TrimmedCell(productivity.GetItemText(0, 4)));
    drill->close();

    // A producer's planned treatments accepted, from its acceptance row.
    const QenListWindow& acceptance = tab.Lists().List(kStatsAcceptance);
    int accepted = -1;
    for (int line = 0; line < acceptance.GetCount() && accepted < 0; ++line) {
      const std::string count = TrimmedCell(acceptance.GetItemText(line, 4));
      if (TrimmedCell(acceptance.GetItemText(line, 0)).empty() && !count.empty() && count != "0") accepted = line;
    }
    ASSERT_GE(accepted, 0);
    drill = tab.DrillCell(kStatsAcceptance, accepted, 4);
    ASSERT_NE(drill, nullptr);
    EXPECT_EQ(std::to_string(drill->Result().DataRows()), TrimmedCell(acceptance.GetItemText(accepted, 4)));
    EXPECT_TRUE(drill->windowTitle().startsWith(QStringLiteral("Traitements Planifiés — ")))
        << drill->windowTitle().toStdString();
    // The filter keeps the rows holding its text, in any case, and leaves the total out.
    const int all = drill->Result().DataRows();
    int with_c = 0;
    for (int r = 0; r < drill->Result().list->GetCount(); ++r) {
      const std::string row(drill->Result().list->GetString(r));
      with_c += drill->Result().list->GetItemData(r) > 0 && row.find("->C") != std::string::npos;
    }
    drill->SetFilter(QStringLiteral("->c"));
    EXPECT_EQ(drill->View()->List()->GetCount(), with_c);
    EXPECT_EQ(drill->findChild<QLabel*>("drill_count")->text(),
              QString::number(with_c) + (with_c == 1 ? " ligne sur " : " lignes sur ") + QString::number(all));
    if (const char* shot = std::getenv("VANTRA_STATS_DRILL_PNG")) drill->grab().save(shot);
    const std::string pdf = dir.File("drill.pdf");
    {
      ScopedPrinterChoice choice([&](QPrinter* p) {
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(QString::fromStdString(pdf));
        return true;
      });
      drill->CmPrint();
    }
    // The printout is of the rows shown.
    const std::string text = PdfText(pdf);
    int printed = 0;
    for (size_t at = text.find("Modification"); at != std::string::npos; at = text.find("Modification", at + 1)) {
      ++printed;
    }
    EXPECT_EQ(printed, with_c) << text;
    drill->SetFilter(QString());
    EXPECT_EQ(drill->View()->List()->GetCount(), drill->Result().list->GetCount());
    if (const char* keep = std::getenv("VANTRA_STATS_DRILL_PDF")) {
      std::filesystem::copy_file(pdf, keep, std::filesystem::copy_options::overwrite_existing);
    }
    drill->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QenApplication::SetInstance(nullptr);
}

}  // namespace
