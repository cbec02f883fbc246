// The goals tab and the goal editor of the window when the reports read a hot
// standby ([SUITE] ReportDatabase) and the practice's server takes the writes
// ([SUITE] Database), opened as vantra-suite opens them
// (OpenSuiteDatabases): a goal saved in the editor reaches the primary and,
// once the standby has caught up, the tab generated again shows it. An
// editor whose only database is the standby refuses in one line. Skipped
// without the test servers' two URLs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <cctype>
#include <fstream>
#include <sstream>

#include "goals/ui/goal_codes.h"
#include "goals/ui/goals_dialog.h"
#include "goals/ui/goals_fields.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/qt/qen_dialog.h"
#include "host/strings.h"
#include "suite/production_service.h"
#include "suite/schema.h"
#include "suite/suite_paths.h"
#include "tests/support/standby.h"
#include "tests/support/test_db.h"

namespace {


class GoalsStandbyWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveStandby()) GTEST_SKIP() << kNoStandby;
    // A schema per case: ctest runs the cases as processes of their own, maybe at once.
    schema_ = "vantra_standby_";
    for (const char* c = ::testing::UnitTest::GetInstance()->current_test_info()->name(); *c && schema_.size() < 60; ++c) {
      schema_.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*c))));
    }
    prefix_ = schema_ + ".";
    SetToday(20261201);
    std::string error;
    ASSERT_TRUE(DropPrimarySchema(schema_, &error)) << error;
    {
      std::unique_ptr<GenDB> db = OpenGenDB(PrimaryUrl(), prefix_, DbAccess::kCreate, &error);
      ASSERT_NE(db, nullptr) << error;
      ASSERT_TRUE(CreateSchema(db.get(), &error)) << error;
      std::ifstream in(std::string(GOALS_GOLDEN_DIR) + "/practice.sql");
      for (std::string line; std::getline(in, line);) {
        if (line.rfind("INSERT INTO ", 0) != 0) continue;
        line.insert(12, prefix_);
        ASSERT_EQ(db->dbExec(line.c_str()), 0) << db->LastError();
      }
    }
    ASSERT_TRUE(WaitForStandby(&error)) << error;
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
    WDIniObj ini(app_.GetINI());
    ini.write_secini("PRAC_GOALS", "Year", "2027");
    ini.write_secini("PRAC_GOALS", "CompYear", "");
  }
  void TearDown() override {
    QenApplication::SetInstance(nullptr);
    SetToday(0);
    std::string error;
    if (HaveStandby()) DropPrimarySchema(schema_, &error);
  }

  // Opens the window's databases from the INI file's [SUITE] keys.
  void OpenFromIni(const std::string& database, const std::string& report_database) {
    WDIniObj ini(app_.GetINI());
    ini.write_secini("SUITE", "Database", database.c_str());
    ini.write_secini("SUITE", "ReportDatabase", report_database.c_str());
    std::string url, report_url, error;
    ASSERT_TRUE(OpenSuiteDatabases(&app_, "", "", prefix_, &url, &report_url, &error)) << error;
    ASSERT_EQ(error, "");
    InstallProductionService(&app_);
  }

  // The primary's goal records of a producer and year.
  long PrimaryGoals(const char* producer, int year) {
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB(PrimaryUrl(), prefix_, DbAccess::kRead, &error);
    EXPECT_NE(db, nullptr) << error;
    std::vector<GoalInfo> records;
    EXPECT_TRUE(LoadGoalRecords(db.get(), year, &records, &error)) << error;
    long n = 0;
    for (const GoalInfo& g : records) n += g.Producer() == producer ? 1 : 0;
    return n;
  }

  // A new goal for D01 in 2027, 15.00 $ a month, typed into the editor.
  static void TypeNewGoal(GoalCodes* editor) {
    editor->CmNew();
    editor->ProducerBox()->setCurrentText("D01");
    editor->YearField()->setText("2027");
    editor->MonthField(1)->setText("15");
    editor->Jan_OutFocus();
  }

  // The rows of the tab's list whose first cell starts with code.
  static int RowsOf(const QenListWindow& list, const std::string& code) {
    int n = 0;
    for (int r = 0; r < list.GetCount(); ++r) n += std::string(list.GetString(r)).rfind(code, 0) == 0 ? 1 : 0;
    return n;
  }

  std::string schema_, prefix_;
  TempDir dir_;
  QenApplication app_;
  std::vector<QString> prompts_;
  ScopedPromptHook hook_{[this](const PromptRequest& r) {
    prompts_.push_back(r.text);
    return QMessageBox::Yes;
  }};
};

TEST_F(GoalsStandbyWindowTest, EditorSavesToThePrimaryAndTheTabShowsTheGoalFromTheStandby) {
  OpenFromIni(PrimaryUrl(), StandbyUrl());
  ASSERT_NE(app_.GetDb(), app_.GetWriteDb());
  EXPECT_TRUE(app_.GetDb()->dbIsStandby());
  EXPECT_FALSE(app_.GetWriteDb()->dbIsStandby());

  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  tab.CmGenerate();  // no goal for 2027 yet
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_EQ(prompts_[0], QString::fromUtf8(ModuleString(97)));
  prompts_.clear();

  // The editor as the tab's "Configuration" opens it (modal): the goal
  // typed and saved, then the editor closed.
  bool saved = false;
  QTimer::singleShot(0, [&] {
    auto* editor = qobject_cast<GoalCodes*>(QApplication::activeModalWidget());
    if (editor == nullptr) return;
    TypeNewGoal(editor);
    saved = editor->CmSave();
    editor->SendCommand(2);
  });
  tab.OpenGoalEditor(0);
  ASSERT_TRUE(saved) << (prompts_.empty() ? QString() : prompts_.back()).toStdString();
  EXPECT_TRUE(prompts_.empty());
  EXPECT_EQ(PrimaryGoals("D01", 2027), 1);

  std::string error;
  ASSERT_TRUE(WaitForStandby(&error)) << error;
  tab.CmGenerate();
  EXPECT_TRUE(prompts_.empty()) << prompts_.front().toStdString();
  EXPECT_EQ(RowsOf(*tab.ReportList(), "D01"), 1);
}

// The practice's own database is the standby (no reports' database): the
// editor opens and lists, a save or a delete says the one line and writes
// nothing.
TEST_F(GoalsStandbyWindowTest, EditorOnTheStandbyRefusesInOneLine) {
  OpenFromIni(StandbyUrl(), "");
  ASSERT_EQ(app_.GetDb(), app_.GetWriteDb());
  GoalCodes editor(nullptr, 2010, 0, -1, nullptr);
  editor.Create();
  EXPECT_EQ(editor.RecordList()->GetCount(), 5);
  TypeNewGoal(&editor);
  EXPECT_FALSE(editor.CmSave());
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_EQ(prompts_[0], QString::fromUtf8(kStandbyRefusal));
  EXPECT_EQ(editor.YearField()->text(), "2027");  // what was typed stays
  prompts_.clear();
  editor.EvSelect(0);
  ASSERT_EQ(editor.Mode(), GoalCodes::kChanging);
  editor.CmDelete();
  ASSERT_EQ(prompts_.size(), 1u);  // no question first
  EXPECT_EQ(prompts_[0], QString::fromUtf8(kStandbyRefusal));
  EXPECT_EQ(editor.RecordList()->GetCount(), 5);
  EXPECT_EQ(PrimaryGoals("D01", 2027), 0);
  EXPECT_EQ(PrimaryGoals("*", 2025), 1);
}

}  // namespace
