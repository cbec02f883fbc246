// The suite window's clinic choice and the tabs generating for a dental
// group, offscreen, over a SQLite group of three clinics (c1.db, c2.db,
// c3.db beside an empty group.db, each the small demo practice of
// 2026-12-01; c2 lost part of its audit trail, c3 has a user of its own).
// The group's lists are compared with what `vantra audit|productivity
// --clinics` writes for the same options.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>
#include <string>
#include <vector>

#include "appt/appt_group.h"
#include "appt/ui/appt_dialog.h"
#include "audit/audit_group.h"
#include "audit/ui/audit_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/meter.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"
#include "lists/qt/drill_dialog.h"
#include "lists/qt/vantra_tab_ctrl.h"
#include "shell/vantra_app.h"
#include "suite/launcher/clinic_choice.h"
#include "suite/launcher/suite_window.h"
#include "suite/production_service.h"
#include "tests/support/clinic_group.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261201;

// The group, made once for every case (three demo practices).
SqliteClinicGroup* g_group = nullptr;

bool Lists(const QenListWindow& list, const std::string& needle) {
  for (int r = 0; r < list.GetCount(); ++r) {
    if (list.GetString(r).find(needle) != std::string_view::npos) return true;
  }
  return false;
}

class ClinicChoiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_group = new SqliteClinicGroup;
    std::string error;
    ASSERT_TRUE(g_group->Make(kToday, [](GenDB* db, const std::string& clinic, std::string* why) {
      if (clinic == "c2") return RunStatements(db, {"DELETE FROM AUDITFIL WHERE AUD_DATE BETWEEN 20261110 AND 20261120"}, why);
      if (clinic != "c3") return true;
      return RunStatements(
          db,
          {"INSERT INTO AUDITFIL VALUES (9000001, 'X', 'A', 0, 'NOUELLET', 20261103, 90000, '', '', '', '', '', '')",
           "INSERT INTO AUDITFIL VALUES (9000002, 'X', 'A', 0, 'NOUELLET', 20261117, 91500, '', '', '', '', '', '')"},
          why);
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
    for (const auto& [section, key, value] :
         {std::tuple<const char*, const char*, const char*>{"PRAC_DETAILED", "AllUsers", "Y"},
          {"PRAC_DETAILED", "AllModules", "Y"},
          {"PRAC_APPT", "AllProducers", "Y"},
          {"PRAC_APPT", "ListBy", "P"},
          {"PRAC_APPT", "ReportBy", "M"}}) {
      ASSERT_TRUE(ini.write_secini(section, key, value)) << ini.LastError();
    }
  }
  void TearDown() override { CloseGroupApplication(); }

  static std::string GroupUrl() { return g_group->Url(); }

  // `vantra ARGS --db group.db --ini ... --today ... --format tsv`: its lines.
  std::vector<std::string> Command(std::vector<std::string> args) { return g_group->Command(args, app_.GetINI()); }

  std::unique_ptr<PracListDialog> AuditTab() {
    auto tab = std::make_unique<PracListDialog>(nullptr, 2001, 0, nullptr);
    tab->Create();
    tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
    tab->Control<TDateField>(PracListDialog::kToDate)->SetDate(20261130);
    return tab;
  }
  std::unique_ptr<PracApptDialog> ApptTab() {
    auto tab = std::make_unique<PracApptDialog>(nullptr, 2003, 0, nullptr);
    tab->Create();
    tab->Control<TDateField>(PracApptDialog::kFrom)->SetDate(20261101);
    tab->Control<TDateField>(PracApptDialog::kTo)->SetDate(20261130);
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

TEST_F(ClinicChoiceTest, ListsTheClinicsThenTheGroupAndHidesWithoutClinics) {
  struct Case {
    const char* name;
    bool lone_practice;  // a practice file alone in its folder
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"group folder", false, {"Base ouverte", "c1", "c2", "c3", "Tous les cabinets"}},
      {"practice alone", true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.lone_practice) {
      std::string error;
      auto lone = OpenGenDB("sqlite:" + dir_.File("alone.sqlite"), "", DbAccess::kCreate, &error);
      ASSERT_NE(lone, nullptr) << error;
      app_.SetDb(std::move(lone));
    }
    SuiteWindow window(nullptr, QStringLiteral("Base de données"));
    window.show();
    ClinicChoice* choice = window.Clinics();
    std::vector<std::string> items;
    for (int i = 0; i < choice->Box()->count(); ++i) items.push_back(choice->Box()->itemText(i).toStdString());
    EXPECT_EQ(c.items, items);
    EXPECT_EQ(!c.items.empty(), choice->isVisible());
    EXPECT_EQ(choice->Box()->currentText().toStdString(), c.items.empty() ? "" : "Base ouverte");
    QString error;
    EXPECT_FALSE(choice->Choose(QStringLiteral("c9"), &error));
    EXPECT_EQ(c.items.empty() ? "aucun cabinet dans cette base : --clinic c9" : "cabinet introuvable : c9",
              error.toStdString());
    EXPECT_STREQ("", app_.GetDb()->dbPrefix());
    EXPECT_EQ(nullptr, ApplicationGroup());
  }
}

// A clinic chosen: both connections take its prefix and the audit tab lists
// that clinic's rows, those `vantra audit --prefix` lists.
TEST_F(ClinicChoiceTest, ChosenClinicIsWhatTheAuditTabReads) {
  std::string error;
  auto write = OpenGenDB(GroupUrl(), "", DbAccess::kWrite, &error);
  ASSERT_NE(write, nullptr) << error;
  GenDB* write_db = write.get();
  app_.SetWriteDb(std::move(write));
  SuiteWindow window(nullptr, QStringLiteral("Base de données"));
  struct Case {
    const char* clinic;
    bool own_user;  // NOUELLET is c3's only
  };
  for (const Case& c : {Case{"c1", false}, Case{"c3", true}, Case{"c2.", false}}) {
    SCOPED_TRACE(c.clinic);
    QString why;
    ASSERT_TRUE(window.Clinics()->Choose(QString::fromUtf8(c.clinic), &why)) << why.toStdString();
    std::string prefix = c.clinic;
    if (prefix.back() != '.') prefix += '.';
    EXPECT_EQ(prefix, app_.GetDb()->dbPrefix());
    EXPECT_EQ(prefix, write_db->dbPrefix());
    EXPECT_EQ(nullptr, ApplicationGroup());
    auto tab = AuditTab();
    tab->CmGenerate();
    const QenListWindow& list = *tab->DetailedView()->List();
    ASSERT_GT(list.GetCount(), 10);
    EXPECT_EQ(c.own_user, Lists(list, "NOUELLET"));
    EXPECT_EQ(Command({"audit", "--prefix", prefix, "--from", "20261101", "--to", "20261130"}), ListRows(list));
  }
}

// "Tous les cabinets": the prefix stays, the tabs' "Générer" shows each
// clinic under its bold heading and the group's total, row for row what
// the command line writes for the group.
TEST_F(ClinicChoiceTest, AllClinicsGenerateTheGroupListOfTheCommandLine) {
  SuiteWindow window(nullptr, QStringLiteral("Base de données"));
  QString why;
  ASSERT_TRUE(window.Clinics()->Choose(QStringLiteral("c2"), &why)) << why.toStdString();
  ASSERT_TRUE(window.Clinics()->Choose(QStringLiteral("all"), &why)) << why.toStdString();
  const ClinicGroupChoice* group = ApplicationGroup();
  ASSERT_NE(nullptr, group);
  EXPECT_EQ((std::vector<std::string>{"c1.", "c2.", "c3."}), group->prefixes);
  EXPECT_EQ(GroupUrl(), group->url);
  EXPECT_EQ(2, group->jobs);
  EXPECT_STREQ("c2.", app_.GetDb()->dbPrefix());
  EXPECT_EQ("Tous les cabinets", window.Clinics()->Box()->currentText().toStdString());

  const std::vector<std::string> period = {"--from", "20261101", "--to", "20261130"};
  struct Case {
    const char* name;
    const char* tab;  // "detailed", "summary", "productivity"
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"audit detailed", "detailed", {"audit", "--clinics", "c1,c2,c3"}},
      {"audit summary", "summary", {"audit", "--summary", "--clinics", "c1,c2,c3"}},
      {"productivity", "productivity", {"productivity", "--clinics", "c1,c2,c3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), period.begin(), period.end());
    const std::vector<std::string> expected = Command(args);
    std::unique_ptr<PracListDialog> audit;
    std::unique_ptr<PracApptDialog> appt;
    ListView* view = nullptr;
    RunOutcome outcome;
    if (std::string(c.tab) == "productivity") {
      appt = ApptTab();
      appt->SendCommand(PracApptDialog::kGenerate);
      view = appt->ResultView();
      outcome = appt->LastOutcome();
      ASSERT_NE(nullptr, appt->GroupLists());
    } else {
      audit = AuditTab();
      const bool summary = std::string(c.tab) == "summary";
      audit->InnerTab()->SetSel(summary ? 1 : 0);
      audit->CmGenerate();
      view = summary ? audit->SummaryView() : audit->DetailedView();
      outcome = audit->LastOutcome();
      ASSERT_NE(nullptr, audit->GroupLists(summary));
    }
    EXPECT_TRUE(outcome.Finished()) << outcome.message;
    const QenListWindow& list = *view->List();
    EXPECT_EQ(expected, ListRows(list));
    const int total = RowOf(list, "Total du groupe (3 cabinets)");
    ASSERT_GT(total, 0);
    int headings = 0;
    for (int r = 0; r < list.GetCount(); ++r) {
      if (list.GetString(r).rfind("Cabinet c", 0) != 0) continue;
      ++headings;
      EXPECT_TRUE(view->Model()->StyleOf(r, 0).bold) << list.GetString(r);
    }
    EXPECT_EQ(3, headings);
    EXPECT_TRUE(view->Model()->StyleOf(total, 0).bold);
    // A clinic's first data row keeps its own list's (plain) look.
    EXPECT_FALSE(view->Model()->StyleOf(1, 0).bold) << list.GetString(1);
    // Details: a clinic's line drills on that clinic; its heading and the
    // group's total are refused in one line each.
    auto drill = [&](int row, int column) -> DrillDialog* {
      return appt ? appt->DrillCell(row, column) : audit->DrillCell(std::string(c.tab) == "summary", row, column);
    };
    const int column = appt ? 2 : (std::string(c.tab) == "summary" ? 5 : 1);
    int data = -1;  // the first line of clinic c2's list that has rows behind the cell
    for (int r = 0; r < list.GetCount() && data < 0; ++r) {
      if (list.GetString(r).rfind("Cabinet c2", 0) == 0) data = r + 1;
    }
    ASSERT_GT(data, 0);
    // Some cells of the clinic's first lines have rows behind them (a
    // detailed line's module may keep no file history: refused as on the
    // clinic's own list).
    DrillDialog* opened = nullptr;
    for (int r = data; r < data + 20 && opened == nullptr; ++r) {
      for (int col = 0; col < 6 && opened == nullptr; ++col) opened = drill(r, col);
    }
    EXPECT_NE(nullptr, opened);
    delete opened;
    for (const int refused : {data - 1, total + 1}) {
      prompts_.clear();
      EXPECT_EQ(nullptr, drill(refused, column)) << list.GetString(refused);
      ASSERT_EQ(1u, prompts_.size()) << list.GetString(refused);
      EXPECT_EQ(prompts_[0].text.count('\n'), 0) << prompts_[0].text.toStdString();
    }
  }
}

// The group's meter cancelled: the clinics done stay under their headings,
// no total is shown, the outcome says cancelled; the next "Générer" without
// the group lists one practice again.
TEST_F(ClinicChoiceTest, CancelledGroupShowsNoTotal) {
  SuiteWindow window(nullptr, QStringLiteral("Base de données"));
  QString why;
  ASSERT_TRUE(window.Clinics()->Choose(QStringLiteral("all"), &why)) << why.toStdString();
  // One connection: the cancel lands before the second clinic is done.
  ClinicGroupChoice one = app_.GroupChoice();
  one.jobs = 1;
  app_.SetGroupChoice(one);
  for (const char* tab_name : {"audit", "productivity"}) {
    SCOPED_TRACE(tab_name);
    SetMeterFactory([](HWindow) { return std::make_unique<CancellingMeter>(); });
    std::unique_ptr<PracListDialog> audit;
    std::unique_ptr<PracApptDialog> appt;
    const QenListWindow* list = nullptr;
    RunOutcome outcome;
    if (std::string(tab_name) == "audit") {
      audit = AuditTab();
      audit->CmGenerate();
      list = audit->DetailedView()->List();
      outcome = audit->LastOutcome();
    } else {
      appt = ApptTab();
      appt->SendCommand(PracApptDialog::kGenerate);
      list = appt->ResultView()->List();
      outcome = appt->LastOutcome();
    }
    SetMeterFactory(nullptr);
    EXPECT_TRUE(outcome.Cancelled()) << outcome.message;
    EXPECT_EQ(-1, RowOf(*list, "Total du groupe (3 cabinets)"));
    ASSERT_GT(list->GetCount(), 0);
    EXPECT_EQ(0u, list->GetString(0).rfind("Cabinet c1", 0)) << list->GetString(0);
  }
  // The choice back on one clinic: the audit tab's list is that clinic's.
  ASSERT_TRUE(window.Clinics()->Choose(QStringLiteral("c1"), &why)) << why.toStdString();
  auto tab = AuditTab();
  tab->CmGenerate();
  EXPECT_EQ(nullptr, tab->GroupLists(false));
  EXPECT_EQ(-1, RowOf(*tab->DetailedView()->List(), "Cabinet c1"));
  EXPECT_FALSE(tab->DetailedView()->Model()->StyleOf(0, 0).bold);
}

// While the practice-analysis window is open the choice is disabled (the
// tabs read their pick lists when they open); closing it enables it again.
TEST_F(ClinicChoiceTest, ChoiceWaitsForTheAnalysisWindowToClose) {
  QenVantraApp handler("vantra", nullptr);
  SuiteWindow window(&handler, QStringLiteral("Base de données"));
  app_.SetMainWindow(static_cast<QWidget*>(&window));
  window.show();
  EXPECT_TRUE(window.Clinics()->isEnabled());
  ASSERT_TRUE(window.SendModuleCommand(2534));
  ASSERT_EQ(1, window.MdiArea()->subWindowList().size());
  EXPECT_FALSE(window.Clinics()->isEnabled());
  window.MdiArea()->subWindowList().first()->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
  EXPECT_TRUE(window.MdiArea()->subWindowList().isEmpty());
  EXPECT_TRUE(window.Clinics()->isEnabled());
  app_.SetMainWindow(nullptr);
}

}  // namespace
