// The productivity tab (dialog 2003), offscreen, over the golden practice.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QPixmap>
#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "appt/ui/appt_dialog.h"
#include "appt/ui/appt_graph_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

class ApptDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetToday(20261212);
    std::string error;
    auto db = OpenGenDB("sqlite:" + dir_.File("practice.sqlite"), "", true, &error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_TRUE(CreateSchema(db.get(), &error)) << error;
    std::ifstream in(APPT_PRACTICE_SQL);
    std::stringstream sql;
    sql << in.rdbuf();
    std::string text, line;
    while (std::getline(sql, line)) {
      if (line.rfind("--", 0) != 0) text += line + "\n";
    }
    ASSERT_EQ(0, db->dbExec(text.c_str())) << db->LastError();
    app_.SetDb(std::move(db));
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
    QenDialog::SetPromptHook([](const PromptRequest&) { return QMessageBox::Yes; });
  }
  void TearDown() override {
    QenDialog::SetPromptHook(nullptr);
    QenApplication::SetInstance(nullptr);
    SetToday(0);
  }
  std::unique_ptr<PracApptDialog> MakeTab() {
    auto tab = std::make_unique<PracApptDialog>(nullptr, 2003, 0, nullptr);
    tab->resize(1200, 700);
    tab->Create();
    return tab;
  }
  static bool Enabled(PracApptDialog* tab, int id) { return tab->ControlWidget(id)->isEnabled(); }
  static void Click(PracApptDialog* tab, int id) { tab->Control<QAbstractButton>(id)->click(); }
  static std::vector<std::string> Titles(PracApptDialog* tab) {
    std::vector<std::string> out;
    for (const ListColumn& c : tab->ResultView()->List()->Columns()) out.push_back(c.title);
    return out;
  }
  // The titles after the two fixed columns.
  static std::vector<std::string> KeyTitles(PracApptDialog* tab) {
    std::vector<std::string> all = Titles(tab);
    return std::vector<std::string>(all.begin() + std::min<size_t>(2, all.size()), all.end());
  }

  TempDir dir_;
  QenApplication app_;
};

TEST_F(ApptDialogTest, FirstUseDefaults) {
  auto tab = MakeTab();
  const PracApptSettings& s = tab->Settings();
  EXPECT_EQ(20261112, s.DateFrom);
  EXPECT_EQ(20261212, s.DateTo);
  const std::string flags = {s.ListBy, s.ReportBy, s.ProdUnits, s.ProdInfo, s.NoShows, s.Unscheduled, s.Cancelled,
                             s.ReportDollar, s.NetFees, s.AllProducers};
  EXPECT_EQ("PMHSYYYYYY", flags);
  const QenListWindow* list = tab->SelectionView()->List();
  ASSERT_EQ(5, list->GetCount()) << "Tous and the four active producers";
  EXPECT_EQ("Tous", std::string(list->GetItemText(0, 0)));
  EXPECT_TRUE(list->IsChecked(0));
  EXPECT_FALSE(Enabled(tab.get(), PracApptDialog::kPick)) << "summary: nothing to pick";
  EXPECT_EQ("Totaux", Titles(tab.get()).back());
}

TEST_F(ApptDialogTest, EveryProducerCheckedCountsAsAll) {
  auto tab = MakeTab();
  QenListWindow* list = tab->SelectionView()->List();
  list->Check(0, false);
  for (int r = 1; r < list->GetCount(); ++r) list->Check(r, true);
  Click(tab.get(), PracApptDialog::kGenerate);
  EXPECT_EQ('N', tab->Settings().AllProducers);
  EXPECT_EQ(4, tab->Settings().SelectedCount);
  EXPECT_EQ((std::vector<std::string>{"D01", "D02", "H01", "H02", "Totaux"}), KeyTitles(tab.get()));
  const QenListWindow* result = tab->ResultView()->List();
  ASSERT_GT(result->GetCount(), 10);
  EXPECT_EQ("novembre 2026", std::string(result->GetItemText(0, 0)));
}

TEST_F(ApptDialogTest, TotalsColumnOnlyWithMoreThanOne) {
  auto tab = MakeTab();
  QenListWindow* list = tab->SelectionView()->List();
  list->Check(0, false);
  list->Check(1, true);
  Click(tab.get(), PracApptDialog::kGenerate);
  EXPECT_EQ((std::vector<std::string>{"D01"}), KeyTitles(tab.get()));
  list->Check(3, true);
  Click(tab.get(), PracApptDialog::kGenerate);
  EXPECT_EQ("Totaux", Titles(tab.get()).back());
  EXPECT_EQ(1, tab->Settings().TotalsColumn);
}

TEST_F(ApptDialogTest, ChairModeAndSaving) {
  {
    WDIniObj ini(app_.GetINI());
    ini.write_secini("PRAC_APPT", "AllProducers", "N");
    ini.write_secini("PRAC_APPT", "Producers", "D02");
  }
  auto tab = MakeTab();
  EXPECT_TRUE(Enabled(tab.get(), PracApptDialog::kNetFees));
  Click(tab.get(), PracApptDialog::kChair);
  EXPECT_FALSE(Enabled(tab.get(), PracApptDialog::kNetFees)) << "Salle disables Rapport Frais";
  EXPECT_EQ(6, tab->SelectionView()->List()->GetCount()) << "Tous and five chairs";
  tab->SelectionView()->List()->Check(0, true);
  Click(tab.get(), PracApptDialog::kGenerate);
  EXPECT_EQ('N', tab->Settings().NetFees) << "the generator forces it for chairs";
  Click(tab.get(), PracApptDialog::kSave);
  const WDIniObj ini(app_.GetINI());
  EXPECT_EQ("N", ini.read_secini("PRAC_APPT", "AllProducers", "?"));
  EXPECT_EQ("D02", ini.read_secini("PRAC_APPT", "Producers", "?"));
  EXPECT_EQ("Y", ini.read_secini("PRAC_APPT", "AllChairs", "?"));
  EXPECT_EQ("C", ini.read_secini("PRAC_APPT", "ListBy", "?"));
}

TEST_F(ApptDialogTest, SilentRules) {
  auto tab = MakeTab();
  tab->SelectionView()->List()->Check(0, false);
  Click(tab.get(), PracApptDialog::kGenerate);
  EXPECT_EQ(0, tab->ResultView()->List()->GetCount()) << "no producer";
  tab->SelectionView()->List()->Check(0, true);
  tab->Settings().DateFrom = 20261213;
  tab->UpdateDialog(1);
  Click(tab.get(), PracApptDialog::kGenerate);
  EXPECT_EQ(0, tab->ResultView()->List()->GetCount()) << "from after to";
  Click(tab.get(), PracApptDialog::kTrackProd);
  EXPECT_FALSE(Enabled(tab.get(), PracApptDialog::kHours));
}

TEST_F(ApptDialogTest, ChartOfTheReportOnScreen) {
  auto tab = MakeTab();
  Click(tab.get(), PracApptDialog::kGenerate);
  PracApptGraphDialog chart(tab.get(), tab->ResultView()->List(), &tab->Settings(), 0);
  chart.Create();
  auto* measure = chart.Control<QComboBox>(GraphBaseDialog::kMainCombo);
  ASSERT_NE(measure, nullptr);
  EXPECT_EQ(8, measure->count()) << "the rows of the first period group";
  measure->setCurrentIndex(1);  // Disponible
  chart.Redraw();
  ASSERT_EQ(4u, chart.Series().Count()) << "one series per producer, periods on the axis";
  const auto* d01 = static_cast<const PracGraphElem*>(chart.Series().Head());
  EXPECT_STREQ("D01", d01->Name());
  EXPECT_DOUBLE_EQ(48.0, static_cast<const GraphValueElem*>(d01->Values().Head())->value);
  if (const char* out = std::getenv("APPT_CHART")) chart.SaveChartPng(out);
}

TEST_F(ApptDialogTest, Screenshot) {
  auto tab = MakeTab();
  Click(tab.get(), PracApptDialog::kGenerate);
  tab->show();
  const char* out = std::getenv("APPT_SCREENSHOT");
  if (out != nullptr) tab->grab().save(out);
  EXPECT_GT(tab->ResultView()->List()->GetCount(), 0);
}

}  // namespace
