// The audit tab (dialog 2001) and the audit-history dialog (2006), offscreen,
// over a small SQLite practice database.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>
#include <QPushButton>
#include <cstring>
#include <memory>
#include <string>

#include "audit/ui/prac_audit_dialog.h"
#include "audit/ui/audit_dialog.h"
#include "lists/list_menu.h"
#include "lists/qt/drill_dialog.h"
#include "audit/ui/audit_list_tools.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/meter.h"
#include "host/sql_literal.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/strings.h"
#include "shell/main_dialog.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261205;

// A practice with three users and a handful of audit rows, and the suite's
// services pointing at it and at an INI file of the test's own.
class AuditDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetToday(kToday);
    std::string error;
    auto db = OpenGenDB("sqlite:" + dir_.File("practice.sqlite"), "", true, &error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_TRUE(CreateSchema(db.get(), &error)) << error;
    db_ = db.get();
    Exec("INSERT INTO USERIDCD (USR_ID, USER_LOGON, USER_NAME) VALUES (1, 'MARIE', 'Marie Roy')");
    Exec("INSERT INTO USERIDCD (USR_ID, USER_LOGON, USER_NAME) VALUES (2, 'O''BRIEN', 'Sean O''Brien')");
    Exec("INSERT INTO USERIDCD (USR_ID, USER_LOGON, USER_NAME) VALUES (3, 'ALAIN', 'Alain Côté')");
    Exec("INSERT INTO PATIENT (PAT_ID, PAT_PNAME, PAT_LNAME) VALUES (7, 'Julie', 'Tremblay')");
    // Patient 7's history: an edit in the patient module (20105), a
    // referral row (20120), and an unrelated purge utility row.
    AddAudit(1, 'B', 'E', 7, "MARIE", 20261201, 91500, "ADDRESS");
    AddAudit(2, 'G', 'A', 7, "O'BRIEN", 20261202, 102030, "PATREFER");
    AddAudit(3, 'U', 'D', 20261001, "ALAIN", 20261203, 130000, "AUDPURGE");
    AddAudit(4, 'B', 'A', 8, "MARIE", 20261204, 80000, "ACCOUNT");
    app_.SetDb(std::move(db));
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
  }
  void TearDown() override {
    QenApplication::SetInstance(nullptr);
    SetToday(0);
  }
  void Exec(const std::string& sql) { ASSERT_EQ(db_->dbExec(sql.c_str()), 0) << sql << ": " << db_->LastError(); }
  void AddAudit(long id, char type, char action, long recid, const char* user, long date, long time,
                const char* name1) {
    char sql[512];
    std::snprintf(sql, sizeof sql,
                  "INSERT INTO AUDITFIL (AUD_ID, AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_USER, AUD_DATE, "
                  "AUD_TIME, AUD_FLD_NAME1) VALUES (%ld, '%c', '%c', %ld, '%s', %ld, %ld, '%s')",
                  id, type, action, recid, SqlEscaped(user).c_str(), date, time, name1);
    Exec(sql);
  }
  // A tab page inside the window it lives in, set up as when shown.
  std::unique_ptr<PracListDialog> MakeTab() {
    auto tab = std::make_unique<PracListDialog>(nullptr, 2001, 0, nullptr);
    tab->Create();
    return tab;
  }
  // A tab ready to list every module (a fresh INI ticks no module).
  std::unique_ptr<PracListDialog> MakeTabAllModules() {
    auto tab = MakeTab();
    tab->ModuleList()->Check(0, true);
    return tab;
  }
  static std::string Cell(QenListWindow* list, int row, int column) {
    return std::string(list->GetItemText(row, column));
  }

  TempDir dir_;
  GenDB* db_ = nullptr;
  QenApplication app_;
  ScopedPromptHook yes_{[](const PromptRequest&) { return QMessageBox::Yes; }};
};

TEST_F(AuditDialogTest, OptionListsAreFilledWithTousFirst) {
  auto tab = MakeTab();
  QenListWindow* users = tab->UserList();
  ASSERT_EQ(users->GetCount(), 4);
  EXPECT_EQ(users->GetString(0), "Tous");
  EXPECT_EQ(users->GetItemData(0), 0);
  // Ordered by log-on name; item data the user id.
  EXPECT_EQ(users->GetString(1), "ALAIN");
  EXPECT_EQ(users->GetItemData(1), 3);
  EXPECT_EQ(users->GetString(3), "O'BRIEN");
  QenListWindow* modules = tab->ModuleList();
  EXPECT_EQ(modules->GetString(0), "Tous");
  EXPECT_EQ(modules->GetItemData(1), 20105);
  EXPECT_EQ(modules->GetCount(), 1 + 23);  // the charting component is installed by default
  EXPECT_TRUE(tab->DetailedView()->Model()->StyleOf(0, 0).bold == false);
}

TEST_F(AuditDialogTest, ChartModulesOnlyWithTheChartingComponent) {
  WDIniObj(app_.GetINI()).write_secini("SUITE", "ChartInstalled", "N");
  auto tab = MakeTab();
  EXPECT_EQ(tab->ModuleList()->GetCount(), 1 + 23 - 7);
  for (int row = 1; row < tab->ModuleList()->GetCount(); ++row) {
    long code = tab->ModuleList()->GetItemData(row);
    EXPECT_TRUE(code != 20108 && code != 2063 && code != 2052) << code;
  }
}

TEST_F(AuditDialogTest, SortOrderIsNumberedInSelectionOrderAndResetClearsIt) {
  auto tab = MakeTab();
  QenListWindow* sort = tab->SortList();
  ASSERT_EQ(sort->GetCount(), 4);
  EXPECT_EQ(Cell(sort, 0, 1), " ");  // no order yet: " \t \t<name>"
  tab->EvSortSelChange(1);          // date first
  tab->EvSortSelChange(0);          // then user
  tab->EvSortSelChange(1);          // date again: nothing changes
  EXPECT_EQ(Cell(sort, 1, 1), "1 ");
  EXPECT_EQ(Cell(sort, 0, 1), "2 ");
  EXPECT_EQ(sort->GetItemData(1), 2);
  EXPECT_EQ(tab->Options().sort_key_count, 2);
  EXPECT_EQ(tab->Options().sort_keys[0], 2);
  EXPECT_EQ(tab->Options().sort_keys[1], 1);

  sort->Check(0, true);
  tab->CmReset();
  EXPECT_EQ(tab->Options().sort_key_count, 0);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(Cell(sort, row, 1), " ") << row;
    EXPECT_FALSE(sort->IsChecked(row)) << row;
  }
}

TEST_F(AuditDialogTest, DefaultsRoundTripThroughTheIniFile) {
  {
    auto tab = MakeTab();
    tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261115);
    tab->Control<TDateField>(PracListDialog::kToDate)->SetDate(kToday);
    tab->Control<TMultButton>(PracListDialog::kSourceBoth)->setChecked(true);
    tab->Control<TRegButton>(PracListDialog::kTrackEntryExit)->setChecked(true);
    tab->EvSortSelChange(1);
    tab->EvSortSelChange(0);
    tab->SortList()->Check(1, true);
    tab->UserList()->Check(0, false);
    tab->UserList()->Check(3, true);  // O'BRIEN
    tab->ModuleList()->Check(0, false);
    tab->ModuleList()->Check(2, true);  // 20106
    tab->CmDefaults();
  }
  WDIniObj ini(app_.GetINI());
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "DaysDiff", "?"), "20");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "SortBy", "?"), "2100");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "SumBy", "?"), "0100");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "Users", "?"), "O'BRIEN");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "AllUsers", "?"), "N");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "Modules", "?"), "20106");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "AuditTypes", "?"), "B");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "TrackEntryExit", "?"), "Y");

  auto again = MakeTab();
  EXPECT_EQ(again->Options().from_date, 20261115);
  EXPECT_EQ(again->Options().source, 'B');
  EXPECT_EQ(Cell(again->SortList(), 1, 1), "1 ");
  EXPECT_TRUE(again->SortList()->IsChecked(1));
  EXPECT_FALSE(again->UserList()->IsChecked(0));
  EXPECT_TRUE(again->UserList()->IsChecked(3));
  EXPECT_TRUE(again->ModuleList()->IsChecked(2));
}

TEST_F(AuditDialogTest, ARangeAboveTenYearsIsStoredAsZeroDays) {
  {
    auto tab = MakeTab();
    tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(incr_date(kToday, -4000));
    tab->CmDefaults();
  }
  EXPECT_EQ(WDIniObj(app_.GetINI()).read_secini("PRAC_DETAILED", "DaysDiff", "?"), "0");
  auto again = MakeTab();
  EXPECT_EQ(again->Options().from_date, kToday);
}

TEST_F(AuditDialogTest, NoDefaultsWithoutConfirmation) {
  ScopedPromptHook no([](const PromptRequest&) { return QMessageBox::No; });
  auto tab = MakeTab();
  tab->CmDefaults();
  EXPECT_EQ(WDIniObj(app_.GetINI()).read_secini("PRAC_DETAILED", "SortBy", "absent"), "absent");
}

TEST_F(AuditDialogTest, GenerateFillsTheShownPageOnly) {
  auto tab = MakeTabAllModules();
  tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
  tab->CmGenerate();
  QenListWindow* detailed = tab->DetailedView()->List();
  // Four rows and the grand total (no subtotal): item data -1 last.
  ASSERT_EQ(detailed->GetCount(), 5) << tab->LastOutcome().message;
  EXPECT_EQ(detailed->GetItemData(4), -1);
  EXPECT_EQ(std::string(detailed->GetItemText(4, 0)).rfind("Grand Total:", 0), 0u);
  EXPECT_TRUE(tab->DetailedView()->Model()->StyleOf(4, 0).bold);
  EXPECT_FALSE(tab->DetailedView()->Model()->StyleOf(0, 0).bold);
  EXPECT_EQ(tab->SummaryView()->List()->GetCount(), 0);

  tab->InnerTab()->SetSel(1);
  tab->CmGenerate();
  EXPECT_GT(tab->SummaryView()->List()->GetCount(), 0);
  EXPECT_EQ(detailed->GetCount(), 5);
}

// A meter the test drives: meter `which` of a generation (0 reading, 1
// filling) is cancelled once its counter reaches `at`.
class ScriptedMeter : public MeterImpl {
 public:
  explicit ScriptedMeter(long at) : at_(at) {}
  void Open(const std::string&, long) override {}
  void SetCounter(long v) override { cancelled_ = cancelled_ || (at_ >= 0 && v >= at_); }
  bool Cancelled() override { return cancelled_; }
  void Close() override {}

 private:
  long at_;
  bool cancelled_ = false;
};

// The list view hears of a generation's rows in one step at its end (no
// event loop runs under a scripted meter); a cancel keeps the rows done and
// a grand total that counts them.
TEST_F(AuditDialogTest, GenerationReachesTheViewInOneStepAndCancelKeepsTheRowsDone) {
  for (long id = 10; id < 50; ++id) AddAudit(id, 'B', 'E', 7, "MARIE", 20261110 + id % 10, 80000 + id, "ADDRESS");
  struct Case {
    const char* name;
    int which;  // meter that cancels, -1 none
    long at;
    int data_rows;  // -1: every row
  };
  const Case cases[] = {
      {"whole list", -1, 0, -1},
      {"cancelled while reading", 0, 30, 30},
      {"cancelled while filling", 1, 25, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto made = std::make_shared<int>(0);
    SetMeterFactory([made, c](HWindow) -> std::unique_ptr<MeterImpl> {
      return std::make_unique<ScriptedMeter>((*made)++ == c.which ? c.at : -1);
    });
    auto tab = MakeTabAllModules();
    tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
    const ListModel* model = tab->DetailedView()->Model();
    int steps = 0;
    QObject::connect(model, &QAbstractItemModel::rowsInserted, [&steps] { ++steps; });
    tab->CmGenerate();
    SetMeterFactory(nullptr);
    QenListWindow* list = tab->DetailedView()->List();
    int data_rows = 0;
    for (int r = 0; r < list->GetCount(); ++r) data_rows += list->GetItemData(r) > 0 ? 1 : 0;
    if (c.data_rows >= 0) {
      EXPECT_EQ(c.data_rows, data_rows);
    }
    EXPECT_GE(data_rows, c.data_rows >= 0 ? c.data_rows : 44);
    ASSERT_EQ(data_rows + 1, list->GetCount()) << tab->LastOutcome().message;
    EXPECT_EQ("Grand Total: " + std::to_string(data_rows), Cell(list, data_rows, 0));
    EXPECT_EQ(list->GetCount(), model->rowCount());
    EXPECT_EQ(1, steps);
    EXPECT_EQ(QString::fromStdString(Cell(list, data_rows, 0)),
              model->data(model->index(data_rows, 0)).toString());
    EXPECT_TRUE(tab->LastOutcome().message.empty()) << tab->LastOutcome().message;
  }
}

TEST_F(AuditDialogTest, InvalidDateStopsGenerationAndKeepsTheList) {
  auto tab = MakeTabAllModules();
  tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
  tab->CmGenerate();
  int rows = tab->DetailedView()->List()->GetCount();
  ASSERT_GT(rows, 0);
  ScopedPromptHook ok([](const PromptRequest&) { return QMessageBox::Ok; });
  tab->Control<TDateField>(PracListDialog::kFromDate)->setText("2026-02-30");
  tab->CmGenerate();
  EXPECT_EQ(tab->DetailedView()->List()->GetCount(), rows);
}

TEST_F(AuditDialogTest, ClearAsksOnlyWhenTheListHasRows) {
  auto tab = MakeTabAllModules();
  int asked = 0;
  QMessageBox::StandardButton answer = QMessageBox::No;
  ScopedPromptHook hook([&](const PromptRequest& r) {
    ++asked;
    EXPECT_EQ(r.text.toStdString(), "Êtes-vous sûre de vouloir effacer la liste?");
    return answer;
  });
  tab->CmClear();
  EXPECT_EQ(asked, 0);
  // The first opening's range is today only ("DaysDiff" 0): widen it.
  tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
  tab->CmGenerate();
  int rows = tab->DetailedView()->List()->GetCount();
  tab->CmClear();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(tab->DetailedView()->List()->GetCount(), rows);
  answer = QMessageBox::Yes;
  tab->CmClear();
  EXPECT_EQ(tab->DetailedView()->List()->GetCount(), 0);
}

TEST_F(AuditDialogTest, HistoryListsTheRecordsRowsOfItsModulesAtOnce) {
  struct Case {
    const char* name;
    long module;
    int data_rows;  // rows with item data > 0
  };
  const Case cases[] = {
      {"patient module: rows of 20105 and 20120", 20105, 2},
      {"referral module: only the referral rows of the record", 20120, 1},
      {"other module: no module is selected", 20146, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PracAuditDialog dialog(nullptr, 0, 7, c.module, 0);
    dialog.Create();
    int data_rows = 0;
    for (int row = 0; row < dialog.List()->GetCount(); ++row) data_rows += dialog.List()->GetItemData(row) > 0;
    EXPECT_EQ(data_rows, c.data_rows);
  }
}

TEST_F(AuditDialogTest, HistoryKeepsButtonsRightAndGrowsTheList) {
  PracAuditDialog dialog(nullptr, 0, 7, 20105, 0);
  dialog.Create();
  dialog.show();
  QWidget* generate = dialog.ControlWidget(PracAuditDialog::kCmGenerate);
  QWidget* cancel = dialog.ControlWidget(2);
  QWidget* list = dialog.View();
  QRect g0 = generate->geometry(), c0 = cancel->geometry(), l0 = list->geometry();
  dialog.resize(dialog.width() + 120, dialog.height() + 60);
  QApplication::processEvents();
  EXPECT_EQ(generate->geometry().topLeft(), g0.topLeft() + QPoint(120, 0));
  EXPECT_EQ(cancel->geometry().topLeft(), c0.topLeft() + QPoint(120, 0));
  EXPECT_EQ(list->geometry().topLeft(), l0.topLeft());
  EXPECT_EQ(list->geometry().size(), l0.size() + QSize(120, 60));
  // It cannot be made narrower than 80% of its first width.
  EXPECT_GE(dialog.minimumWidth(), 860 * 8 / 10);
  EXPECT_GE(dialog.minimumHeight(), 460 / 2);
}

TEST_F(AuditDialogTest, MenuFollowsTheShownPage) {
  auto tab = MakeTabAllModules();
  ASSERT_NE(tab->Tools(), nullptr);
  struct Case {
    const char* name;
    int page;
    bool generate;
    bool chart_enabled;
    bool filter_present;
  };
  const Case cases[] = {
      {"empty detailed list: chart and filter greyed", 0, false, false, true},
      {"filled detailed list", 0, true, true, true},
      {"summary page: no filter at all", 1, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tab->InnerTab()->SetSel(c.page);
    tab->ShownList()->ClearList();
    if (c.generate) {
      tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
      tab->CmGenerate();
    }
    bool chart = false, filter = false, print = false;
    for (const MenuEntry& e : ListMenuEntries(tab->Tools()->MenuState())) {
      if (e.command == kCmChartData) chart = e.enabled;
      if (e.command == kCmListFilter) filter = true;
      if (e.command == kCmPrintList) print = e.enabled;
    }
    EXPECT_EQ(chart, c.chart_enabled);
    EXPECT_EQ(filter, c.filter_present);
    EXPECT_TRUE(print);
  }
}

}  // namespace

namespace {

DrillDialog* OpenDrillWindow() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<DrillDialog*>(w); d != nullptr && d->isVisible()) return d;
  }
  return nullptr;
}

}  // namespace

// A double-click on the summary's grand total opens the detailed rows it
// adds, titled with the cell; a detailed row of the patient module opens
// on to its record's history.
TEST_F(AuditDialogTest, DoubleClickOnAFigureOpensItsRows) {
  auto tab = MakeTabAllModules();
  tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
  tab->InnerTab()->SetSel(1);
  tab->CmGenerate();
  QenListWindow* summary = tab->SummaryView()->List();
  const int last = summary->GetCount() - 1;
  ASSERT_GT(last, 0) << tab->LastOutcome().message;
  emit tab->SummaryView()->CellActivated(last, 5);
  DrillDialog* drill = OpenDrillWindow();
  ASSERT_NE(drill, nullptr);
  EXPECT_EQ(drill->Result().DataRows(), 4);
  EXPECT_TRUE(drill->windowTitle().startsWith("Grand Total")) << drill->windowTitle().toStdString();
  EXPECT_EQ(drill->View()->List()->GetItemData(0), 1);  // the rows in the detailed list's order
  if (const char* shot = std::getenv("VANTRA_AUDIT_DRILL_PNG")) drill->grab().save(shot);  // to look at it

  // Row 1 (patient 7's address, module 20105) opens patient 7's history.
  emit drill->View()->CellActivated(0, 0);
  DrillDialog* history = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<DrillDialog*>(w); d != nullptr && d != drill) history = d;
  }
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(history->windowTitle().startsWith("Historique")) << history->windowTitle().toStdString();
  EXPECT_GE(history->Result().DataRows(), 1);
  history->close();
  drill->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A label cell says so and opens nothing; a list changed since it was
// written (a row deleted) asks for a new generation.
TEST_F(AuditDialogTest, LabelsAndChangedListsOpenNothing) {
  std::vector<std::string> said;
  ScopedPromptHook hook{[&](const PromptRequest& r) {
    said.push_back(r.text.toStdString());
    return QMessageBox::Ok;
  }};
  auto tab = MakeTabAllModules();
  tab->Control<TDateField>(PracListDialog::kFromDate)->SetDate(20261101);
  tab->InnerTab()->SetSel(1);
  tab->CmGenerate();
  EXPECT_EQ(tab->DrillCell(true, 0, 2), nullptr);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("libellé"), std::string::npos) << said[0];
  tab->SummaryView()->List()->DeleteString(0);
  EXPECT_EQ(tab->DrillCell(true, 0, 5), nullptr);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_NE(said[1].find("générez-la de nouveau"), std::string::npos) << said[1];
}
