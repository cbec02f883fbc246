// The goals tab (2009), the goal editor (2010), the display options (2011)
// and the chart, offscreen, over the golden practice (golden/practice.sql).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "goals/goals_style.h"
#include "goals/ui/goal_codes.h"
#include "goals/ui/goals_fields.h"
#include "goals/ui/goals_dialog.h"
#include "goals/ui/goals_graph_dialog.h"
#include "goals/ui/prac_goals_options_dialog.h"
#include "host/application.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/strings.h"
#include "lists/qt/drill_dialog.h"
#include "lists/qt/printer_select.h"
#include "suite/production_service.h"
#include "suite/schema.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/test_db.h"

namespace {

const std::string kGolden = GOALS_GOLDEN_DIR;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class GoalsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    auto db = OpenGenDB("sqlite:" + dir_.File("practice.sqlite"), "", true, &error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_TRUE(CreateSchema(db.get(), &error)) << error;
    std::stringstream sql(ReadFile(kGolden + "/practice.sql"));
    std::string line;
    while (std::getline(sql, line)) {
      if (line.rfind("INSERT", 0) != 0) continue;
      ASSERT_EQ(db->dbExec(line.c_str()), 0) << db->LastError();
    }
    app_.SetDb(std::move(db));
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
    InstallProductionService(&app_);
    WDIniObj ini(app_.GetINI());
    const std::pair<const char*, const char*> keys[] = {
        {"Year", "2026"}, {"CompYear", "2025"}, {"Month", "YYYNNNNNNNNN"},
        {"GoalColor0", "255"}, {"GoalFrom0", "0"}, {"GoalTo0", "49"},
        {"GoalColor2", "65280"}, {"GoalFrom2", "100"}, {"GoalTo2", "500"}, {"Bold2", "Y"}};
    for (const auto& [k, v] : keys) ini.write_secini("PRAC_GOALS", k, v);
    ini.write_secini("SUITE", "SpreadSheetDir", dir_.File("xlsx").c_str());
  }
  void TearDown() override { QenApplication::SetInstance(nullptr); }

  // "kind\trow" lines, the form of the golden files.
  static std::string Rows(const QenListWindow& list) {
    std::string out;
    for (int r = 0; r < list.GetCount(); ++r) {
      const long kind = list.GetItemData(r);
      out += (kind ? std::to_string(kind) : std::string()) + "\t" + std::string(list.GetString(r)) + "\n";
    }
    return out;
  }

  TempDir dir_;
  QenApplication app_;
  std::vector<QString> prompts_;
  ScopedPromptHook hook_{[this](const PromptRequest& r) {
    prompts_.push_back(r.text);
    return QMessageBox::Yes;
  }};
};

TEST_F(GoalsDialogTest, GenerateGivesTheCommandLinesRowsAndColours) {
  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  EXPECT_EQ(tab.ProducerList()->GetCount(), 4);  // "Tous", D01, D02, H01 (D03 inactive)
  EXPECT_TRUE(tab.ProducerList()->IsChecked(0));
  tab.CmGenerate();
  EXPECT_TRUE(prompts_.empty());
  EXPECT_EQ(Rows(*tab.ReportList()), ReadFile(kGolden + "/comparison_year/expected.tsv"));
  EXPECT_EQ(tab.ReportList()->Columns()[1].title, "JAN");
  EXPECT_EQ(tab.ReportList()->Columns()[4].width_chars, 0);
  // D01(2026) in January: 123% falls in range 2 (green); D01(2025) 38% in range 0 (red).
  const RowStyle high = tab.ReportView()->Model()->StyleOf(1, 1);
  const RowStyle low = tab.ReportView()->Model()->StyleOf(0, 1);
  EXPECT_EQ(high.background, QColor(0, 255, 0));
  EXPECT_EQ(low.background, QColor(255, 0, 0));
  const int totals = tab.ReportList()->GetCount() - 1;
  EXPECT_TRUE(tab.ReportView()->Model()->StyleOf(totals, 0).bold);
  // The recorded cells are what printing reads.
  const ListReport report(tab.ReportList(), "Objectif", nullptr, &tab.Colours());
  EXPECT_EQ(report.StyleOf(1, 1).background, Rgb(0, 255, 0));
}

// A goal row of a drill window opens the goal editor on its record; a
// production row of the same window opens nothing.
TEST_F(GoalsDialogTest, DrilledGoalRowOpensTheEditorOnItsRecord) {
  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  tab.CmGenerate();
  ASSERT_TRUE(prompts_.empty()) << prompts_[0].toStdString();
  DrillDialog* drill = tab.DrillCell(1, 1);  // D01(2026), January
  ASSERT_NE(drill, nullptr);
  const DrillResult& result = drill->Result();
  ASSERT_EQ(result.groups.size(), 2u);
  ASSERT_TRUE(result.record_of);
  const DrillGroup& goals = result.groups[1];
  int goal_row = -1;
  for (int r = goals.first; r < goals.end && goal_row < 0; ++r) {
    if (result.record_of(*result.list, r) > 0) goal_row = r;
  }
  ASSERT_GE(goal_row, 0);
  const long record = result.record_of(*result.list, goal_row);
  for (int r = result.groups[0].first; r < result.groups[0].end; ++r) {
    EXPECT_EQ(result.record_of(*result.list, r), 0) << "production row " << r;
  }
  // The editor is modal: look at it once it is up, then close it.
  long shown_id = -1;
  int shown_mode = 0;
  QTimer::singleShot(0, [&] {
    auto* editor = qobject_cast<GoalCodes*>(QApplication::activeModalWidget());
    if (editor == nullptr) return;
    shown_id = editor->Buffer().id;
    shown_mode = editor->Mode();
    editor->SendCommand(2);  // Cancel
  });
  emit drill->View()->CellActivated(goal_row, 0);
  EXPECT_EQ(shown_id, record);
  EXPECT_EQ(shown_mode, GoalCodes::kChanging);

  // Opened for a record no longer there: an empty record.
  GoalCodes editor(nullptr, 2010, 0, -1, nullptr);
  editor.OpenOnRecord(987654);
  editor.Create();
  EXPECT_EQ(editor.Mode(), GoalCodes::kAdding);
  drill->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(GoalsDialogTest, ValidationMessagesInOrderAndNothingGenerated) {
  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  tab.Control<GoalsCBox>(PracGoalsDialog::kCompYear)->setCurrentText("2026");
  tab.ProducerList()->Check(0, false);
  for (int m = 0; m < 12; ++m) tab.Control<QCheckBox>(PracGoalsDialog::kFirstMonth + m)->setChecked(false);
  tab.CmGenerate();
  ASSERT_EQ(prompts_.size(), 3u);
  EXPECT_EQ(prompts_[0], QString::fromUtf8(ModuleString(94)));
  EXPECT_EQ(prompts_[1], QString::fromUtf8(ModuleString(95)));
  EXPECT_EQ(prompts_[2], QString::fromUtf8(ModuleString(96)));
  EXPECT_EQ(tab.ReportList()->GetCount(), 0);
  prompts_.clear();
  tab.Control<GoalsCBox>(PracGoalsDialog::kYear)->setCurrentText("1999");
  tab.Control<GoalsCBox>(PracGoalsDialog::kCompYear)->setCurrentText("");
  tab.ProducerList()->Check(0, true);
  tab.Control<QCheckBox>(PracGoalsDialog::kFirstMonth)->setChecked(true);
  tab.CmGenerate();
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_EQ(prompts_[0], QString::fromUtf8(ModuleString(97)));
}

TEST_F(GoalsDialogTest, ModeSwitchSelectAllAndDefaults) {
  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  tab.Control<QRadioButton>(PracGoalsDialog::kQuarterly)->setChecked(true);
  tab.SendCommand(PracGoalsDialog::kQuarterly);
  EXPECT_FALSE(tab.ControlWidget(PracGoalsDialog::kFirstMonth)->isEnabled());
  EXPECT_TRUE(tab.ControlWidget(PracGoalsDialog::kFirstQuarter)->isEnabled());
  EXPECT_EQ(tab.ReportList()->Columns()[1].title, "");  // no quarter ticked yet
  tab.Control<QCheckBox>(PracGoalsDialog::kSelectAll)->setChecked(true);
  tab.SendCommand(PracGoalsDialog::kSelectAll);
  for (int q = 0; q < 4; ++q) EXPECT_TRUE(tab.Control<QCheckBox>(PracGoalsDialog::kFirstQuarter + q)->isChecked());
  EXPECT_TRUE(tab.Control<QCheckBox>(PracGoalsDialog::kFirstMonth + 2)->isChecked());  // months untouched
  EXPECT_FALSE(tab.Control<QCheckBox>(PracGoalsDialog::kFirstMonth + 5)->isChecked());
  tab.ProducerList()->Check(0, false);
  tab.ProducerList()->Check(2, true);  // D02
  tab.CmDefaults();
  WDIniObj ini(app_.GetINI());
  EXPECT_EQ(ini.read_secini("PRAC_GOALS", "ReportBy", ""), "Q");
  EXPECT_EQ(ini.read_secini("PRAC_GOALS", "Q", ""), "YYYY");
  EXPECT_EQ(ini.read_secini("PRAC_GOALS", "AllProducers", ""), "N");
  EXPECT_EQ(ini.read_secini("PRAC_GOALS", "Producers", ""), "D02");
  tab.CmGenerate();
  EXPECT_EQ(tab.ReportList()->GetString(0), "D02(2025) \t100.00/900 (11%) \t0.00/900 (0%) \t0.00/900 (0%) \t0.00/900 (0%)");
}

TEST_F(GoalsDialogTest, PrintKeepsTitleRowsAndColours) {
  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  std::unique_ptr<QMenu> empty = tab.MakeMenu();
  ASSERT_FALSE(empty->actions().isEmpty());
  EXPECT_FALSE(empty->actions()[0]->isEnabled());  // chart greyed on an empty list
  for (QAction* a : empty->actions()) {
    if (a->isSeparator()) continue;
    EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString() << ": the bitmap menu's picture";
  }
  tab.CmGenerate();
  const std::string pdf = dir_.File("objectif.pdf");
  {
    ScopedPrinterChoice choice([&](QPrinter* p) {
      p->setOutputFormat(QPrinter::PdfFormat);
      p->setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
    tab.SendCommand(4000);
  }
  const std::string text = PdfText(pdf);
  EXPECT_NE(text.find("Objectif"), std::string::npos) << text;
  EXPECT_NE(text.find("D01(2026)"), std::string::npos) << text;
  EXPECT_NE(text.find("1234.56/1000 (123%)"), std::string::npos) << text;
  const QImage page = RenderPdfPage(pdf, 1, 60);
  ASSERT_FALSE(page.isNull());
  EXPECT_GT(CountPixels(page, QColor(0, 255, 0), 20), 50);
  EXPECT_GT(CountPixels(page, QColor(255, 0, 0), 20), 50);
  if (const char* keep = std::getenv("GOALS_KEEP_PDF")) std::filesystem::copy_file(pdf, keep, std::filesystem::copy_options::overwrite_existing);
  tab.SendCommand(4001);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("xlsx")));
}

TEST_F(GoalsDialogTest, EditorJanuaryFillSaveDuplicateAndValidation) {
  GoalCodes editor(nullptr, 2010, 0, -1, nullptr);
  editor.Create();
  EXPECT_EQ(editor.RecordList()->GetCount(), 5);
  EXPECT_EQ(editor.RecordList()->GetString(0), "*\t2025");
  EXPECT_TRUE(editor.ProducerBox()->Codes().contains("D*"));
  editor.CmNew();
  editor.MonthField(1)->setText("1000");
  editor.Jan_OutFocus();
  for (int m = 2; m <= 12; ++m) EXPECT_EQ(editor.MonthField(m)->text(), "1000") << m;
  editor.CmNew();
  editor.MonthField(5)->setText("7");
  editor.MonthField(1)->setText("1000");
  editor.Jan_OutFocus();
  EXPECT_EQ(editor.MonthField(2)->text(), "");

  // A new H01 2026 record.
  editor.CmNew();
  editor.ProducerBox()->setCurrentText("H01");
  editor.YearField()->setText("2026");
  editor.MonthField(1)->setText("250");
  editor.Jan_OutFocus();
  ASSERT_TRUE(editor.CmSave()) << (prompts_.empty() ? QString() : prompts_.back()).toStdString();
  EXPECT_TRUE(editor.Added());
  EXPECT_EQ(editor.RecordList()->GetCount(), 6);
  // Saving it again as a new record is a duplicate; the values stay.
  editor.CmCopy();
  EXPECT_EQ(editor.Mode(), GoalCodes::kAdding);
  prompts_.clear();
  EXPECT_FALSE(editor.CmSave());
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_EQ(prompts_[0], QString::fromUtf8(LoadTableString(StringTable::kKelvoUtils, 850)));
  EXPECT_EQ(editor.YearField()->text(), "2026");
  EXPECT_EQ(editor.MonthField(12)->text(), TAmount::FormatCents(25000));
  // Year 1969 and an empty month: both messages, nothing saved, nothing lost.
  prompts_.clear();
  editor.YearField()->setText("1969");
  editor.MonthField(3)->setText("");
  EXPECT_FALSE(editor.CmSave());
  ASSERT_EQ(prompts_.size(), 2u);
  EXPECT_EQ(prompts_[0], QString::fromUtf8(ModuleString(97)));
  EXPECT_EQ(prompts_[1], QString::fromUtf8(ModuleString(98)));
  EXPECT_EQ(editor.YearField()->text(), "1969");
  EXPECT_EQ(editor.RecordList()->GetCount(), 6);
  if (const char* shot = std::getenv("GOALS_EDITOR_PNG")) {
    editor.resize(760, 360);
    editor.grab().save(shot);
  }
  // Changing a record without changing its pair is not a duplicate of itself.
  editor.EvSelect(editor.RecordList()->GetCount() - 1);
  ASSERT_EQ(editor.Mode(), GoalCodes::kChanging);
  editor.MonthField(3)->setText("1.50");
  prompts_.clear();
  EXPECT_TRUE(editor.CmSave());
  EXPECT_TRUE(prompts_.empty());
  EXPECT_TRUE(editor.Changed());
}

// The record shown was deleted, then changed, from another workstation:
// the save says so and writes nothing.
TEST_F(GoalsDialogTest, EditorSaveOfARecordGoneOrChangedElsewhere) {
  GoalCodes editor(nullptr, 2010, 0, -1, nullptr);
  editor.Create();
  const int last = editor.RecordList()->GetCount() - 1;
  editor.EvSelect(last);
  ASSERT_EQ(editor.Mode(), GoalCodes::kChanging);
  const long id = editor.Buffer().id;
  std::string error;
  auto other = OpenGenDB("sqlite:" + dir_.File("practice.sqlite"), "", false, &error);
  ASSERT_NE(other, nullptr) << error;
  ASSERT_EQ(other->dbExec(("UPDATE GOALS SET GOAL_FEB = 3 WHERE GOALS_ID = " + std::to_string(id)).c_str()), 0);
  editor.MonthField(1)->setText("9");
  prompts_.clear();
  EXPECT_FALSE(editor.CmSave());
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_TRUE(prompts_[0].contains(QStringLiteral("modifié d'un autre poste"))) << prompts_[0].toStdString();
  EXPECT_FALSE(editor.Changed());
  ASSERT_EQ(other->dbExec(("DELETE FROM GOALS WHERE GOALS_ID = " + std::to_string(id)).c_str()), 0);
  prompts_.clear();
  EXPECT_FALSE(editor.CmSave());
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_TRUE(prompts_[0].contains(QStringLiteral("n'existe plus"))) << prompts_[0].toStdString();
  EXPECT_EQ(editor.RecordList()->GetCount(), last);
  EXPECT_FALSE(editor.Changed());
}

TEST_F(GoalsDialogTest, OptionsDialogEditsACopy) {
  GoalsDisplay d;
  PracGoalsOptionsDialog dialog(nullptr, d);
  dialog.Create();
  dialog.Control<QCheckBox>(116)->setChecked(true);
  dialog.Control<QRadioButton>(121)->setChecked(true);
  dialog.Control<QRadioButton>(122)->setChecked(true);
  dialog.Control<QCheckBox>(106)->setChecked(true);
  dialog.Control<QSpinBox>(113)->setValue(80);
  ASSERT_TRUE(dialog.UpdateDialog(0)) << (prompts_.empty() ? QString() : prompts_.back()).toStdString();
  EXPECT_EQ(dialog.Display().no_goals, 'Y');
  EXPECT_EQ(dialog.Display().goals_display, 'K');
  EXPECT_EQ(dialog.Display().fees_display, 'K');
  EXPECT_EQ(dialog.Display().bold[2], 'Y');
  EXPECT_EQ(dialog.Display().to[0], 80);
  EXPECT_EQ(d.no_goals, 'N');
  if (const char* shot = std::getenv("GOALS_OPTIONS_PNG")) dialog.grab().save(shot);
}

TEST_F(GoalsDialogTest, ChartOffersTheReportsChoicesAndDraws) {
  PracGoalsDialog tab(nullptr, 2009, 0, nullptr);
  tab.Create();
  tab.CmGenerate();
  GoalsOptions used = tab.Options();
  GoalsDisplay display = tab.Display();
  PracGoalsGraphDialog chart(nullptr, tab.ReportList(), &used, &display, {"D01", "D02", "H01"}, 0);
  chart.Create();
  EXPECT_EQ(chart.MainBox()->count(), 3);
  EXPECT_EQ(chart.AxisBox()->count(), 4);  // producers, months, and the two by-year axes
  EXPECT_NE(chart.ControlWidget(GraphBaseDialog::kShowDates), nullptr);
  EXPECT_GT(chart.Series().Count(), 0u);
  ASSERT_TRUE(chart.AxisBox()->SelectCode("10153"));
  chart.Redraw();
  EXPECT_EQ(chart.Control<QLabel>(GraphBaseDialog::kMainGroupingLabel)->text(), QString::fromUtf8(ModuleString(100)));
  EXPECT_EQ(chart.Series().Count(), 3u);  // one per month
}

}  // namespace
