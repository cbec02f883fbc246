// The tabs' message path when the server is lost during "Générer": the list
// as kept stays shown and one message box (a warning) gives the one line.
// The loss is played by a connection over the demo practice (SQLite) that
// fails every call, as a server that went away, from its n-th statement on;
// the generators' handling of a real lost server is in partial_run_test.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "appt/ui/appt_dialog.h"
#include "goals/ui/goals_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "lists/qt/drill_dialog.h"
#include "stats/ui/stats_dialog.h"
#include "suite/demo_db.h"
#include "suite/production_service.h"
#include "tests/support/test_db.h"

namespace {

constexpr const char* kReason = "server closed the connection unexpectedly";

// Forwards to the practice until `lose_at` statements were sent, then fails
// every call as a lost server does (LostConnection says why).
class LosingDb : public GenDB {
 public:
  explicit LosingDb(std::unique_ptr<GenDB> inner) : inner_(std::move(inner)) {}
  long lose_at = -1;  // -1: never
  long executed = 0;

  int dbExecute(const char* s, int c) override {
    if (Gone(true)) return Fail();
    return inner_->dbExecute(s, c);
  }
  int dbFetch(int m, int c) override { return Gone(false) ? Fail() : inner_->dbFetch(m, c); }
  int dbGetLong(int col, long* o, int c) override { return inner_->dbGetLong(col, o, c); }
  int dbGetShort(int col, short* o, int c) override { return inner_->dbGetShort(col, o, c); }
  int dbGetChar(int col, char* o, int c) override { return inner_->dbGetChar(col, o, c); }
  int dbGetString(int col, char* b, int cap, int c) override { return inner_->dbGetString(col, b, cap, c); }
  int dbGetField(int col, std::string* o, int c, bool t) override { return inner_->dbGetField(col, o, c, t); }
  int dbRowCount(long* o, int c) override { return Gone(false) ? Fail() : inner_->dbRowCount(o, c); }
  int dbClose(int c) override { return inner_->dbClose(c); }
  int dbColumnCount(int c) override { return inner_->dbColumnCount(c); }
  const char* dbPrefix() const override { return inner_->dbPrefix(); }
  int dbExec(const char* s) override { return Gone(true) ? Fail() : inner_->dbExec(s); }
  int dbBeginTransaction() override { return Gone(true) ? Fail() : inner_->dbBeginTransaction(); }
  int dbCommit() override { return Gone(false) ? Fail() : inner_->dbCommit(); }
  int dbRollback() override { return Gone(false) ? Fail() : inner_->dbRollback(); }
  std::unique_ptr<BulkLoader> BeginBulk(const std::string& t, const std::vector<std::string>& c) override {
    return inner_->BeginBulk(t, c);
  }
  const SqlDialect& Dialect() const override { return inner_->Dialect(); }
  const std::string& LastError() const override { return gone_ ? error_ : inner_->LastError(); }
  const std::string& Url() const override { return inner_->Url(); }
  std::string LostConnection() const override { return lost_; }
  void ClearLostConnection() override { lost_.clear(); }

 private:
  bool Gone(bool statement) {
    if (statement && !gone_ && lose_at >= 0 && executed >= lose_at) gone_ = true;
    if (statement) ++executed;
    return gone_;
  }
  int Fail() {
    error_ = "Connexion au serveur PostgreSQL perdue (postgresql://test) : " + std::string(kReason);
    lost_ = kReason;
    return -1;
  }
  std::unique_ptr<GenDB> inner_;
  bool gone_ = false;
  std::string error_;
  std::string lost_;
};

class PartialDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetToday(20261201);
    std::string error;
    auto db = OpenGenDB("sqlite:" + dir_.File("demo.db"), "", true, &error);
    ASSERT_NE(db, nullptr) << error;
    DemoOptions demo;
    demo.today = 20261201;
    DemoSummary summary;
    ASSERT_TRUE(GenerateDemoPractice(db.get(), demo, &summary, &error)) << error;
    auto losing = std::make_unique<LosingDb>(std::move(db));
    db_ = losing.get();
    app_.SetDb(std::move(losing));
    app_.SetINI(dir_.File("tolvane.ini"));
    InstallProductionService(&app_);
    QenApplication::SetInstance(&app_);
  }
  void TearDown() override {
    QenApplication::SetInstance(nullptr);
    SetToday(0);
  }
  static std::vector<std::string> Rows(const QenListWindow& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetCount(); ++i) out.emplace_back(list.GetString(i));
    return out;
  }
  // The prompts of one press.
  void ExpectOneLossBox() {
    ASSERT_EQ(prompts_.size(), 1u);
    EXPECT_EQ(prompts_[0].text.toStdString(), PartialListMessage(kReason));
    EXPECT_EQ(prompts_[0].icon, QMessageBox::Warning);
  }

  TempDir dir_;
  QenApplication app_;
  LosingDb* db_ = nullptr;
  std::vector<PromptRequest> prompts_;
  ScopedPromptHook hook_{[this](const PromptRequest& r) {
    prompts_.push_back(r);
    return QMessageBox::Yes;
  }};
};

// A double-click on a figure of the productivity list opens its
// appointments, titled with the measure; on a list a lost server cut short
// the title says the list is partial.
TEST_F(PartialDialogsTest, ProductivityDrillSaysWhenTheListIsPartial) {
  auto tab = std::make_unique<PracApptDialog>(nullptr, 2003, 0, nullptr);
  tab->Create();
  tab->Settings().DateFrom = 20260901;
  const long start = db_->executed;
  tab->Control<QAbstractButton>(PracApptDialog::kGenerate)->click();
  const long statements = db_->executed - start;
  QenListWindow* list = tab->ResultView()->List();
  ASSERT_GT(list->GetCount(), 10);
  const long before = db_->executed;
  emit tab->ResultView()->CellActivated(0, 2);
  DrillDialog* drill = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<DrillDialog*>(w); d != nullptr && d->isVisible()) drill = d;
  }
  ASSERT_NE(drill, nullptr);
  EXPECT_EQ(db_->executed, before + 1)
      << "the rows come from the list's own generation: only their patients' names are read";
  EXPECT_TRUE(drill->windowTitle().startsWith("Céduler — ")) << drill->windowTitle().toStdString();
  const std::string cell(list->GetItemText(0, 2));
  EXPECT_NE(cell.find("(" + std::to_string(drill->Result().DataRows()) + ")"), std::string::npos) << cell;
  drill->close();

  db_->lose_at = db_->executed + statements - 3;  // in the last window of reads
  tab->Control<QAbstractButton>(PracApptDialog::kGenerate)->click();
  prompts_.clear();
  DrillDialog* partial = tab->DrillCell(0, 2);
  ASSERT_NE(partial, nullptr) << (prompts_.empty() ? std::string() : prompts_[0].text.toStdString());
  EXPECT_TRUE(partial->windowTitle().endsWith("(liste partielle)")) << partial->windowTitle().toStdString();
  partial->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(PartialDialogsTest, ProductivityKeepsTheDaysDoneAndSaysItOnce) {
  auto tab = std::make_unique<PracApptDialog>(nullptr, 2003, 0, nullptr);
  tab->Create();
  tab->Settings().DateFrom = 20260901;  // three windows of reads
  const long before = db_->executed;
  tab->Control<QAbstractButton>(PracApptDialog::kGenerate)->click();
  const std::vector<std::string> whole = Rows(*tab->ResultView()->List());
  ASSERT_GT(whole.size(), 10u);
  EXPECT_TRUE(prompts_.empty());
  EXPECT_TRUE(tab->LastOutcome().message.empty());
  const long statements = db_->executed - before;

  db_->lose_at = db_->executed + statements - 3;  // in the last window of reads
  tab->Control<QAbstractButton>(PracApptDialog::kGenerate)->click();
  ExpectOneLossBox();
  EXPECT_EQ(tab->LastOutcome().message, PartialListMessage(kReason));
  const std::vector<std::string> kept = Rows(*tab->ResultView()->List());
  EXPECT_GT(kept.size(), 3u) << "the days done stay shown";
  EXPECT_NE(kept, whole);
}

TEST_F(PartialDialogsTest, StatisticsStopAtTheLostListAndSayItOnce) {
  auto tab = std::make_unique<PracStatDialog>(nullptr, 2007, 0, nullptr);
  tab->Create();
  tab->SendCommand(PracStatDialog::kCmGenerate);
  EXPECT_TRUE(prompts_.empty());
  ASSERT_GT(tab->Lists().List(kStatsPatients).GetCount(), 2);
  ASSERT_GT(tab->Lists().List(kStatsAcceptance).GetCount(), 0);
  const std::vector<std::string> patients = Rows(tab->Lists().List(kStatsPatients));
  // A double-click on a dentist's active patients opens them.
  const QenListWindow& list = tab->Lists().List(kStatsPatients);
  emit tab->View(kStatsPatients)->CellActivated(1, 4);
  DrillDialog* drill = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<DrillDialog*>(w); d != nullptr && d->isVisible()) drill = d;
  }
  ASSERT_NE(drill, nullptr) << (prompts_.empty() ? std::string() : prompts_[0].text.toStdString());
  EXPECT_EQ(std::to_string(drill->Result().DataRows()), std::string(list.GetItemText(1, 4)));
  drill->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // A label cell says so, and opens nothing.
  EXPECT_EQ(tab->DrillCell(kStatsAcceptance, 1, 0), nullptr);
  ASSERT_EQ(prompts_.size(), 1u);
  prompts_.clear();

  // Lost after the patients' four statements: the lists after them are empty.
  db_->lose_at = db_->executed + 4;
  tab->SendCommand(PracStatDialog::kCmGenerate);
  ExpectOneLossBox();
  EXPECT_EQ(tab->LastOutcome().message, PartialListMessage(kReason));
  EXPECT_EQ(Rows(tab->Lists().List(kStatsPatients)), patients);
  EXPECT_EQ(tab->Lists().List(kStatsAcceptance).GetCount(), 0);
  EXPECT_EQ(tab->Lists().List(kStatsSummary).GetCount(), 0);
}

TEST_F(PartialDialogsTest, GoalsLeaveNoRowAndSayItOnce) {
  {
    WDIniObj ini(app_.GetINI());
    ini.write_secini("PRAC_GOALS", "Year", "2026");
    ini.write_secini("PRAC_GOALS", "CompYear", "2025");
  }
  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  tab.CmGenerate();
  ASSERT_TRUE(prompts_.empty()) << prompts_[0].text.toStdString();
  ASSERT_GT(tab.ReportList()->GetCount(), 1);
  // A double-click on a producer's January opens its production rows and its goal record.
  emit tab.ReportView()->CellActivated(0, 1);
  DrillDialog* drill = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<DrillDialog*>(w); d != nullptr && d->isVisible()) drill = d;
  }
  ASSERT_NE(drill, nullptr) << (prompts_.empty() ? std::string() : prompts_[0].text.toStdString());
  EXPECT_TRUE(drill->windowTitle().endsWith("— JAN")) << drill->windowTitle().toStdString();
  ASSERT_EQ(drill->Result().groups.size(), 2u);
  EXPECT_GT(drill->Result().DataRows(), 10);
  drill->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  db_->lose_at = db_->executed + 2;
  tab.CmGenerate();
  ExpectOneLossBox();
  EXPECT_EQ(tab.ReportList()->GetCount(), 0);
}

}  // namespace
