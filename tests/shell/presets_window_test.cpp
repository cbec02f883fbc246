// The tabs' "Préréglages" menu over the demo practice: a tab's options saved
// under a name, changed, then loaded back; an existing name asks before it
// is replaced; a preset is deleted after asking; each tab lists only its
// analysis's presets. Runs offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "appt/ui/appt_dialog.h"
#include "audit/ui/audit_dialog.h"
#include "goals/ui/goals_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "lists/qt/preset_menu.h"
#include "shell/main_dialog.h"
#include "stats/stats_types.h"
#include "stats/ui/stats_dialog.h"
#include "suite/presets.h"
#include "tests/shell/demo_window_fixture.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261208;

std::string KeyOf(const Preset& p, const std::string& key) {
  for (const auto& [k, v] : p.keys) {
    if (k == key) return v;
  }
  return "(absente)";
}

std::vector<std::string> MenuTexts(QMenu* menu) {
  std::vector<std::string> out;
  for (QAction* a : menu->actions()) {
    if (!a->isSeparator()) out.push_back(a->text().toStdString());
  }
  return out;
}

class PresetsWindowTest : public DemoWindowTest {
 protected:
  PresetsWindowTest() : DemoWindowTest(kToday) {}
};

TEST_F(PresetsWindowTest, SavedOptionsComeBackWithTheirPeriod) {
  QenVantraMainDialog window(nullptr, 2000, nullptr);
  window.Create();
  struct Case {
    const char* analysis;
    PresetMenu* menu;
    const char* key;            // the INI key the option is saved under
    std::function<void()> set;  // a distinctive value into the tab's controls
    std::function<void()> reset;
    std::function<std::string()> shown;  // the option as the tab now holds it
    std::function<long()> from;          // the tab's first date (goals: its year's 1 January)
  };
  PracListDialog* audit = window.AuditPage();
  PracApptDialog* appt = window.ApptPage();
  PracStatDialog* stats = window.StatPage();
  PracGoalsDialog* goals = window.GoalsPage();
  auto* stats_producers = stats->Control<ListView>(kProducerListId);
  ASSERT_NE(stats_producers, nullptr);
  ASSERT_GT(stats_producers->List()->GetCount(), 2);
  const Case cases[] = {
      {"audit", audit->Presets(), "AuditTypes",
       [&] {
         audit->Options().source = 'H';
         audit->UpdateDialog(1);
       },
       [&] {
         audit->Options().source = 'A';
         audit->UpdateDialog(1);
       },
       [&] { return std::string(1, audit->Options().source); }, [&] { return audit->Options().from_date; }},
      {"productivity", appt->Presets(), "ReportBy",
       [&] {
         appt->Settings().ReportBy = 'W';
         appt->UpdateDialog(1);
       },
       [&] {
         appt->Settings().ReportBy = 'M';
         appt->UpdateDialog(1);
       },
       [&] { return std::string(1, appt->Settings().ReportBy); }, [&] { return appt->Settings().DateFrom; }},
      {"stats", stats->Presets(), "Producers",
       [&] {  // the second producer alone
         QenListWindow* list = stats_producers->List();
         for (int r = 0; r < list->GetCount(); ++r) list->Check(r, r == 2);
       },
       [&] {
         QenListWindow* list = stats_producers->List();
         for (int r = 0; r < list->GetCount(); ++r) list->Check(r, r == 0);
       },
       [&] {
         std::string checked;
         const QenListWindow* list = stats_producers->List();
         for (int r = 0; r < list->GetCount(); ++r) checked += list->IsChecked(r) ? 'x' : '.';
         return checked;
       },
       [&] { return stats->Selection().from; }},
      {"goals", goals->Presets(), "ReportBy",
       [&] {
         goals->Options().report_by = 'Q';
         goals->UpdateDialog(1);
       },
       [&] {
         goals->Options().report_by = 'M';
         goals->UpdateDialog(1);
       },
       [&] { return std::string(1, goals->Options().report_by); },
       [&] { return static_cast<long>(goals->Options().Year()) * 10000 + 101; }},
  };
  const std::string name = "Le mois de l'équipe";  // a quote, accents
  for (const Case& c : cases) {
    SCOPED_TRACE(c.analysis);
    ASSERT_NE(c.menu, nullptr);
    prompts_.clear();
    c.set();
    const std::string wanted = c.shown();
    ASSERT_TRUE(c.menu->SaveAs(name, PeriodRule::kLastMonth, "xlsx"))
        << (prompts_.empty() ? std::string() : prompts_[0].text.toStdString());
    std::vector<Preset> saved;
    std::string error;
    ASSERT_TRUE(FindPresets(ApplicationDb(), c.analysis, name, &saved, &error)) << error;
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].period, PeriodRule::kLastMonth);
    EXPECT_EQ(saved[0].format, "xlsx");
    EXPECT_NE(KeyOf(saved[0], c.key), "(absente)") << "every key of the tab's section is kept";
    EXPECT_GT(saved[0].keys.size(), 3u);

    c.reset();
    ASSERT_NE(c.shown(), wanted);
    ASSERT_TRUE(c.menu->Load(name));
    EXPECT_EQ(c.shown(), wanted);
    EXPECT_EQ(c.from(), c.analysis == std::string("goals") ? 20260101 : 20261101) << "last month, on 2026-12-08";

    // The menu lists it beside the analysis's other presets, then the commands.
    const std::vector<std::string> texts = MenuTexts(c.menu->Menu());
    EXPECT_NE(std::find(texts.begin(), texts.end(), name), texts.end());
    EXPECT_EQ(texts.back(), "&Supprimer…");
    EXPECT_EQ(prompts_.size(), 0u);
  }
  // To look at the tabs with their button and at the save dialog:
  // VANTRA_PRESETS_PNG=/tmp/presets (one PNG per tab, then the dialog).
  if (const char* shot = std::getenv("VANTRA_PRESETS_PNG")) {
    window.resize(1300, 760);
    for (int page = 0; page < 4; ++page) {
      window.TabCtrl()->SetSel(page);
      window.grab().save(QString::fromUtf8(shot) + "-" + QString::number(page) + ".png");
    }
    PresetSaveDialog ask(&window, QStringLiteral("Enregistrer les options sous"));
    ask.NameField()->setText(QString::fromStdString(name));
    ask.PeriodField()->setCurrentIndex(2);
    ask.grab().save(QString::fromUtf8(shot) + "-save.png");
  }
  // One preset of that name per analysis, each tab's own.
  for (const Case& c : cases) {
    std::vector<Preset> own;
    std::string error;
    ASSERT_TRUE(ListPresets(ApplicationDb(), c.analysis, &own, &error)) << error;
    EXPECT_EQ(std::count_if(own.begin(), own.end(), [&](const Preset& p) { return p.name == name; }), 1)
        << c.analysis;
  }
}

TEST_F(PresetsWindowTest, AnExistingNameIsReplacedOnlyWhenTheUserAgrees) {
  QenVantraMainDialog window(nullptr, 2000, nullptr);
  window.Create();
  PracApptDialog* appt = window.ApptPage();
  PresetMenu* menu = appt->Presets();
  appt->Settings().ReportBy = 'W';
  appt->UpdateDialog(1);
  ASSERT_TRUE(menu->SaveAs("Hebdo", PeriodRule::kLast7Days, "pdf"));
  appt->Settings().ReportBy = 'D';
  appt->UpdateDialog(1);

  answer_ = QMessageBox::No;
  EXPECT_FALSE(menu->SaveAs("Hebdo", PeriodRule::kLast7Days, "pdf"));
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_NE(prompts_[0].text.toStdString().find("existe déjà"), std::string::npos) << prompts_[0].text.toStdString();
  std::vector<Preset> kept;
  std::string error;
  ASSERT_TRUE(FindPresets(ApplicationDb(), "productivity", "Hebdo", &kept, &error));
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(KeyOf(kept[0], "ReportBy"), "W") << "refused: the old preset stays";

  answer_ = QMessageBox::Yes;
  prompts_.clear();
  EXPECT_TRUE(menu->SaveAs("Hebdo", PeriodRule::kLast7Days, "pdf"));
  EXPECT_EQ(prompts_.size(), 1u);
  ASSERT_TRUE(FindPresets(ApplicationDb(), "productivity", "Hebdo", &kept, &error));
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(KeyOf(kept[0], "ReportBy"), "D");

  // A name the presets refuse says why and saves nothing.
  prompts_.clear();
  EXPECT_FALSE(menu->SaveAs("mois/novembre", PeriodRule::kLastMonth, "xlsx"));
  EXPECT_EQ(prompts_.size(), 1u);

  // Deleting asks first; "Non" keeps it.
  answer_ = QMessageBox::No;
  EXPECT_FALSE(menu->Delete("Hebdo"));
  ASSERT_TRUE(FindPresets(ApplicationDb(), "productivity", "Hebdo", &kept, &error));
  EXPECT_EQ(kept.size(), 1u);
  answer_ = QMessageBox::Yes;
  EXPECT_TRUE(menu->Delete("Hebdo"));
  ASSERT_TRUE(FindPresets(ApplicationDb(), "productivity", "Hebdo", &kept, &error));
  EXPECT_TRUE(kept.empty());
  // A preset deleted elsewhere since the menu was filled says so.
  prompts_.clear();
  EXPECT_FALSE(menu->Load("Hebdo"));
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_NE(prompts_[0].text.toStdString().find("n'existe plus"), std::string::npos);
}

}  // namespace
