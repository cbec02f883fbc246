// A drilled row that names a patient opens the audit history of the
// patient's file, the history the suite's command 2544 shows: in the
// practice-analysis window over the demo practice, from the productivity,
// the statistics and the goals tabs. Runs offscreen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "appt/ui/appt_dialog.h"
#include "audit/ui/prac_audit_dialog.h"
#include "goals/ui/goals_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "lists/drill.h"
#include "lists/qt/drill_dialog.h"
#include "shell/main_dialog.h"
#include "stats/stats_types.h"
#include "stats/ui/stats_dialog.h"
#include "tests/shell/demo_window_fixture.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261201;

std::vector<std::string> Rows(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetCount(); ++i) out.emplace_back(list.GetString(i));
  return out;
}

int ColumnTitled(const QenListWindow& list, const std::string& title) {
  for (size_t c = 0; c < list.Columns().size(); ++c) {
    if (TrimmedCell(list.Columns()[c].title) == title) return static_cast<int>(c);
  }
  return -1;
}

class DrillHistoryTest : public DemoWindowTest {
 protected:
  DrillHistoryTest() : DemoWindowTest(kToday) {}
};

TEST_F(DrillHistoryTest, PatientRowsOpenTheHistoryOfTheirFile) {
  QenVantraMainDialog window(nullptr, 2000, nullptr);
  window.Create();
  struct Case {
    const char* name;
    // Generates the tab's list and drills a cell whose rows name patients.
    std::function<DrillDialog*()> drill;
  };
  const Case cases[] = {
      {"productivity, booked appointments",
       [&] {
         PracApptDialog* tab = window.ApptPage();
         tab->Settings().DateFrom = 20261101;
         tab->Control<QAbstractButton>(PracApptDialog::kGenerate)->click();
         return tab->DrillCell(0, 2);
       }},
      {"statistics, active patients",
       [&] {
         PracStatDialog* tab = window.StatPage();
         tab->SendCommand(PracStatDialog::kCmGenerate);
         return tab->DrillCell(kStatsPatients, 1, 4);
       }},
      {"goals, a month's production",
       [&] {
         PracGoalsDialog* tab = window.GoalsPage();
         tab->CmGenerate();
         return tab->DrillCell(0, 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts_.clear();
    DrillDialog* drill = c.drill();
    ASSERT_NE(drill, nullptr) << (prompts_.empty() ? std::string() : prompts_[0].text.toStdString());
    const DrillResult& result = drill->Result();
    const int patient_column = ColumnTitled(*result.list, "Patient");
    int named = 0, with_history = 0;
    for (int row = 0; row < result.list->GetCount() && with_history < 2; ++row) {
      const long data = result.list->GetItemData(row);
      const DrillResult::PatientRef patient = result.PatientOf(row);
      if (data == 0 || data == -1) {
        EXPECT_EQ(patient.id, 0) << "a heading or total names no patient";
        continue;
      }
      if (patient.id == 0) continue;
      ++named;
      // The row names the patient it shows.
      const std::string cell = TrimmedCell(result.list->GetItemText(row, patient_column));
      if (patient_column >= 0 && cell.find('(') != std::string::npos) {
        EXPECT_EQ(patient.text, cell);
      }
      EXPECT_NE(patient.text.find(std::to_string(patient.id)), std::string::npos) << patient.text;

      DrillDialog* history = drill->Activate(row, 0);
      ASSERT_NE(history, nullptr) << (prompts_.empty() ? std::string() : prompts_[0].text.toStdString());
      EXPECT_EQ(history->windowTitle().toStdString(), "Historique des Audits — " + patient.text);
      EXPECT_EQ(history->Result().list->Id(), 5111);
      // The same rows as the history window the suite opens from the patient's file.
      PracAuditDialog suite_history(nullptr, 0, patient.id, 20105, 0);
      suite_history.Create();
      EXPECT_EQ(Rows(*history->Result().list), Rows(*suite_history.List()));
      if (history->Result().DataRows() > 0) {
        // To look at the window: VANTRA_HISTORY_PNG=/tmp/history (one PNG per tab).
        if (const char* shot = std::getenv("VANTRA_HISTORY_PNG"); shot != nullptr && with_history == 0) {
          drill->grab().save(QString::fromUtf8(shot) + "-" + QString::number(&c - cases) + "-drill.png");
          history->grab().save(QString::fromUtf8(shot) + "-" + QString::number(&c - cases) + ".png");
        }
        ++with_history;
      }
      history->close();
    }
    EXPECT_GT(named, 0) << "the drill's rows name their patients";
    EXPECT_GT(with_history, 0) << "no drilled patient had a history: the case proves nothing";
    drill->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace
