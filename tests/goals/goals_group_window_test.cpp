// The goals tab generating for a dental group, offscreen: three clinics
// (c1.db, c2.db, c3.db beside an empty group.db), each the small demo
// practice of 2026-12-01 with the group goldens' changes (c2 keeps no goals,
// c3 has producer D09 of its own). The window's list is the command line's,
// row for row; a clinic's line drills on that clinic and the patients its
// rows name are that clinic's.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "goals/goals_group.h"
#include "goals/ui/goals_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"
#include "host/tdlist.h"
#include "lists/qt/drill_dialog.h"
#include "suite/production_service.h"
#include "tests/support/clinic_group.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261201;
SqliteClinicGroup* g_group = nullptr;

class GoalsGroupWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_group = new SqliteClinicGroup;
    std::string error;
    ASSERT_TRUE(g_group->Make(kToday, [](GenDB* db, const std::string& clinic, std::string* why) {
      return RunSqlFile(db, std::string(GROUP_GOLDEN_DIR) + "/" + clinic + ".sql", why);
    }, &error)) << error;
  }
  static void TearDownTestSuite() {
    delete g_group;
    g_group = nullptr;
  }

  void SetUp() override {
    OpenGroupApplication(*g_group, dir_.File("tolvane.ini"), &app_);
    if (HasFatalFailure()) return;
    WDIniObj ini(app_.GetINI());
    // November 2026, the total column; 100 % and over on a green ground.
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"Year", "2026"},
                                     {"Month", "NNNNNNNNNNYN"},
                                     {"ShowTotCol", "Y"},
                                     {"GoalColor2", "65280"},
                                     {"GoalFrom2", "100"},
                                     {"GoalTo2", "500"}}) {
      ASSERT_TRUE(ini.write_secini("PRAC_GOALS", key, value)) << ini.LastError();
    }
    app_.SetGroupChoice(g_group->Choice());
  }
  void TearDown() override { CloseGroupApplication(); }

  std::vector<std::string> Command(std::vector<std::string> args) { return g_group->Command(args, app_.GetINI()); }

  std::unique_ptr<PracGoalsDialog> Tab() {
    auto tab = std::make_unique<PracGoalsDialog>(nullptr, 2009, 0, nullptr);
    tab->Create();
    return tab;
  }

  TempDir dir_;
  QenApplication app_;
  std::vector<PromptRequest> prompts_;
  ScopedPromptHook hook_{[this](const PromptRequest& r) {
    prompts_.push_back(r);
    return QMessageBox::Ok;
  }};
};

// "&Générer" for the group: each clinic under its bold heading, then the
// group's total, what `vantra goals --clinics` writes; each row drawn and
// coloured as its own clinic's list draws it.
TEST_F(GoalsGroupWindowTest, GeneratesTheCommandLinesGroupList) {
  const std::vector<std::string> expected = Command({"goals", "--clinics", "c1,c2,c3"});
  auto tab = Tab();
  tab->CmGenerate();
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  ASSERT_NE(nullptr, tab->GroupLists());
  const QenListWindow& list = *tab->ReportList();
  EXPECT_EQ(expected, ListRows(list));
  ListView* view = tab->ReportView();
  for (const char* heading : {"Cabinet c1", "Cabinet c2", "Cabinet c3", "Total du groupe (3 cabinets)"}) {
    const int r = RowStarting(list, heading);
    ASSERT_GE(r, 0) << heading;
    EXPECT_TRUE(view->Model()->StyleOf(r, 0).bold) << heading;
    // Drawn across the row, so the producers' column keeps its own width.
    EXPECT_EQ(static_cast<int>(list.Columns().size()), view->columnSpan(r, 0)) << heading;
    const std::string whole(list.GetString(r));
    EXPECT_LT(view->columnWidth(0), view->fontMetrics().horizontalAdvance(QString::fromStdString(whole))) << whole;
  }
  // D09 of c3 (2105.00/1500, 140 %) is on the green ground, at its row in
  // the group list: the colour records moved with the row.
  const int d09 = RowStarting(list, "D09", RowStarting(list, "Cabinet c3"));
  ASSERT_GT(d09, 0);
  bool green = false;
  for (auto* c : tab->Colours().As<ColorListElem>()) green = green || (c->row == d09 && c->column == 1);
  EXPECT_TRUE(green);
  // A clinic's producer line keeps its list's plain look.
  EXPECT_FALSE(view->Model()->StyleOf(d09, 0).bold);
  // The chart's producers are the total's: every clinic's.
  EXPECT_NE(tab->GeneratedProducers().end(),
            std::find(tab->GeneratedProducers().begin(), tab->GeneratedProducers().end(), "D09"));

  // One clinic chosen instead (the tab opened again, as the suite's choice
  // waits for the analysis window to close): that practice's list.
  app_.SetGroupChoice(ClinicGroupChoice());
  std::string error;
  ASSERT_TRUE(app_.GetDb()->dbSetPrefix("c3.", &error)) << error;
  tab = Tab();
  tab->CmGenerate();
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  EXPECT_EQ(nullptr, tab->GroupLists());
  EXPECT_EQ(-1, RowStarting(*tab->ReportList(), "Cabinet"));
  EXPECT_EQ(1, tab->ReportView()->columnSpan(0, 0));
  EXPECT_EQ(Command({"goals", "--prefix", "c3."}), ListRows(*tab->ReportList()));
}

// Details on the group list: c3's D09 line opens c3's production rows and
// goal record; a patient they name opens that clinic's history (the drill's
// own connection, not the window's). A heading and a line of the total are
// refused in one line each.
TEST_F(GoalsGroupWindowTest, ClinicLineDrillsOnThatClinic) {
  auto tab = Tab();
  std::vector<std::string> history_prefixes;
  tab->SetHistoryOpener([&](QWidget*, GenDB* db, long, const std::string&) -> DrillDialog* {
    history_prefixes.push_back(db != nullptr ? db->dbPrefix() : "(application)");
    return nullptr;
  });
  tab->CmGenerate();
  const QenListWindow& list = *tab->ReportList();
  const int c3 = RowStarting(list, "Cabinet c3");
  const int d09 = RowStarting(list, "D09", c3);
  const int total = RowStarting(list, "Total du groupe");
  ASSERT_GT(d09, c3);
  DrillDialog* opened = tab->DrillCell(d09, 1);
  ASSERT_NE(nullptr, opened);
  const QenListWindow& rows = *opened->Result().list;
  int production = 0;
  for (int r = 0; r < rows.GetCount(); ++r) {
    if (std::string(rows.GetString(r)).find("\tD09\tTraitement\t9000") != std::string::npos) ++production;
  }
  EXPECT_EQ(3, production) << rows.GetCount();
  EXPECT_TRUE(opened->windowTitle().startsWith(QStringLiteral("Cabinet c3"))) << opened->windowTitle().toStdString();
  // The first production row names a patient of c3: its history is read
  // on the drill's connection, at c3's prefix.
  EXPECT_EQ(nullptr, opened->Activate(1, 0));
  EXPECT_EQ((std::vector<std::string>{"c3."}), history_prefixes);
  delete opened;

  // The goal editor changes one clinic's records: with the group chosen it
  // says so in one line and opens nothing.
  prompts_.clear();
  tab->CmConfiguration();
  ASSERT_EQ(1u, prompts_.size());
  EXPECT_TRUE(prompts_[0].text.contains(QStringLiteral("choisissez un cabinet"))) << prompts_[0].text.toStdString();

  struct Refusal {
    const char* name;
    int row;
  };
  for (const Refusal& c : {Refusal{"heading", c3}, Refusal{"total line", total + 1}}) {
    SCOPED_TRACE(c.name);
    prompts_.clear();
    EXPECT_EQ(nullptr, tab->DrillCell(c.row, 1));
    ASSERT_EQ(1u, prompts_.size());
    EXPECT_EQ(0, prompts_[0].text.count('\n')) << prompts_[0].text.toStdString();
  }
}

// The producer list of a group lists every clinic's producers (the
// window's own database holds none): c3's D09 can be named alone, and the
// group's list is the command line's for that name.
TEST_F(GoalsGroupWindowTest, ProducerListIsEveryClinics) {
  auto tab = Tab();
  QenListWindow* producers = tab->ProducerList();
  int d09 = -1;
  for (int r = 1; r < producers->GetCount(); ++r) {
    if (producers->GetItemText(r, 0).substr(0, 3) == "D09") d09 = r;
  }
  ASSERT_GT(d09, 0) << producers->GetCount() << " rows";
  EXPECT_GT(producers->GetCount(), 7);  // "Tous", c1's six producers, D09
  producers->Check(0, false);
  for (int r = 1; r < producers->GetCount(); ++r) producers->Check(r, r == d09);
  tab->CmGenerate();
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  EXPECT_EQ(Command({"goals", "--clinics", "c1,c2,c3", "AllProducers=N", "Producers=D09"}), ListRows(*tab->ReportList()));
  EXPECT_GE(RowStarting(*tab->ReportList(), "D09"), 0);
}

}  // namespace
