// The statistics tab generating for a dental group, offscreen, over a
// SQLite group of three clinics (c1.db, c2.db, c3.db beside an empty
// group.db, each the small demo practice of 2026-12-01; c2's hygienist H03
// has no November appointment, c3 has a producer D09 of its own with three
// November treatments). The group's lists are compared with what `vantra
// stats --clinics` writes for the same options.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPrinter>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/appt_productivity_source.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/meter.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"
#include "lists/group_list.h"
#include "lists/qt/drill_dialog.h"
#include "lists/qt/printer_select.h"
#include "stats/stats_group_run.h"
#include "stats/stats_types.h"
#include "stats/ui/stats_dialog.h"
#include "suite/production_service.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/clinic_group.h"
#include "tests/support/test_db.h"

namespace {

constexpr long kToday = 20261201;
constexpr ColorRef kRed = Rgb(255, 0, 0);

SqliteClinicGroup* g_group = nullptr;

// The first row at or after from whose first cell, trimmed, is label.
int LabelRow(const QenListWindow& list, const std::string& label, int from) {
  for (int r = from; r >= 0 && r < list.GetCount(); ++r) {
    if (TrimmedCell(list.GetItemText(r, 0)) == label) return r;
  }
  return -1;
}

int HeadingRow(const QenListWindow& list, const std::string& clinic) {
  for (int r = 0; r < list.GetCount(); ++r) {
    if (list.GetString(r).rfind("Cabinet " + clinic + " ", 0) == 0) return r;
  }
  return -1;
}

class StatsGroupWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_group = new SqliteClinicGroup;
    std::string error;
    ASSERT_TRUE(g_group->Make(kToday, [](GenDB* db, const std::string& clinic, std::string* why) {
      if (clinic == "c2") {
        return RunStatements(
            db, {"DELETE FROM PATAPT WHERE PAPT_PRODUCER = 'H03' AND PAPT_DATE BETWEEN 20261101 AND 20261130"}, why);
      }
      if (clinic != "c3") return true;
      return RunStatements(
          db,
          {"INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, "
           "PROD_INACTIVE, PROD_LICENSE, PROD_LOC) VALUES (90, 'D09', 'Nadia', 'Ouellet', 'D', 'N', 19090, 'A')",
           "INSERT INTO CLMTRT VALUES (900001, 23590, 1039, 20261103, 123589, '23111', "
           "'Restauration', 36, 'MO', 'C', 'D09', 21000, 0, 21000, 0, 0)",
           "INSERT INTO CLMTRT VALUES (900002, 23590, 1039, 20261117, 123589, '52101', "
           "'Prothèse partielle', 28, '', 'C', 'D09', 140000, 45000, 185000, 0, 0)",
           "INSERT INTO CLMTRT VALUES (900003, 23590, 1039, 20261124, 123589, '01202', 'Examen', 0, '', "
           "'C', 'D09', 4500, 0, 4500, 0, 0)"},
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
    source_ = std::make_unique<ApptProductivitySource>(app_.GetDb(), nullptr, 0);
    // Every detail row's fees in red, so the group's colours can be followed.
    WDIniObj ini(app_.GetINI());
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"FeesColor0", "255"},
                                     {"FeesFrom0", "1"},
                                     {"FeesTo0", "2000000000"},
                                     {"FeesColorBy", "D"}}) {
      ASSERT_TRUE(ini.write_secini("PRAC_STATS", key, value)) << ini.LastError();
    }
    app_.SetGroupChoice(g_group->Choice());
  }
  void TearDown() override { CloseGroupApplication(); }

  static std::string GroupUrl() { return g_group->Url(); }

  // `vantra stats ARGS --from --to --db group.db --ini ... --format tsv`.
  std::vector<std::string> Command(std::vector<std::string> args) {
    args.insert(args.begin(), "stats");
    args.insert(args.end(), {"--from", "20261101", "--to", "20261130"});
    return g_group->Command(args, app_.GetINI());
  }

  std::unique_ptr<PracStatDialog> Tab() {
    auto tab = std::make_unique<PracStatDialog>(nullptr, 2007, 0, nullptr);
    tab->SetProductivitySource(source_.get());
    tab->Create();
    tab->Control<TDateField>(PracStatDialog::kFromDate)->SetDate(20261101);
    tab->Control<TDateField>(PracStatDialog::kToDate)->SetDate(20261130);
    return tab;
  }

  TempDir dir_;
  QenApplication app_;
  std::unique_ptr<ApptProductivitySource> source_;
  std::vector<PromptRequest> prompts_;
  ScopedPromptHook hook_{[this](const PromptRequest& r) {
    prompts_.push_back(r);
    return QMessageBox::Ok;
  }};
};

// "Générer" for the group: each list is every clinic's under its bold
// heading, then the group's total, row for row what the command line
// writes; rows keep their own list's look, colours land on the rows they
// came from, and the chart draws the total alone.
TEST_F(StatsGroupWindowTest, GenerateShowsEachClinicThenTheTotalAsTheCommandLine) {
  auto tab = Tab();
  tab->SendCommand(PracStatDialog::kCmGenerate);
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  if (const char* shot = std::getenv("VANTRA_STATS_GROUP_PNG")) {
    tab->resize(2200, 900);
    tab->grab().save(shot);
  }
  struct Case {
    const char* name;
    int number;
    const char* list;
  };
  const Case cases[] = {{"patients", kStatsPatients, "patients"},
                        {"productivity", kStatsProductivity, "productivity"},
                        {"acceptance", kStatsAcceptance, "acceptance"},
                        {"summary", kStatsSummary, "summary"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> expected = Command({"--clinics", "c1,c2,c3", "--list", c.list});
    ASSERT_NE(nullptr, tab->GroupLists(c.number));
    const QenListWindow& list = *tab->View(c.number)->List();
    EXPECT_EQ(expected, ListRows(list));
    const int total = RowOf(list, "Total du groupe (3 cabinets)");
    ASSERT_GT(total, 0);
    ListModel* model = tab->View(c.number)->Model();
    for (const char* clinic : {"c1", "c2", "c3"}) {
      const int heading = HeadingRow(list, clinic);
      ASSERT_GE(heading, 0) << clinic;
      EXPECT_TRUE(model->StyleOf(heading, 0).bold) << clinic;
      EXPECT_TRUE(tab->ListStyle(c.number)(heading, 0).bold) << clinic;
    }
    EXPECT_TRUE(model->StyleOf(total, 0).bold);
    // Each clinic's rows keep the look its own list gives them: c1's part
    // styled row for row as the clinic's list in the group's records.
    const StatsGroupLists& group = *tab->GroupLists(c.number);
    const QenListWindow& own = group.clinics[0]->lists.List(c.number);
    const CellStyleFn own_style = StatsRowStyle(&own, c.number);
    for (int r = 0; r < own.GetCount(); ++r) {
      EXPECT_EQ(own_style(r, 0).bold, model->StyleOf(r + 1, 0).bold) << own.GetString(r);
      EXPECT_EQ(own_style(r, 0).bold, tab->ListStyle(c.number)(r + 1, 0).bold) << own.GetString(r);
    }
    // The chart draws the group's total: the rows after its heading.
    const std::vector<std::string> all = ListRows(list);
    EXPECT_EQ(std::vector<std::string>(all.begin() + total + 1, all.end()), ListRows(*tab->ChartList(c.number)));
  }

  // The summary's fees in red on every detail row: each part's coloured
  // cells moved to its rows, on screen and for printing.
  const QenListWindow& summary = *tab->View(kStatsSummary)->List();
  const TDList& colours = *tab->ListColours(kStatsSummary);
  ASSERT_GT(colours.Count(), 0u);
  const StatsGroupLists& group = *tab->GroupLists(kStatsSummary);
  size_t parts = group.totals.Colours(kStatsSummary).Count();
  for (const auto& clinic : group.clinics) parts += clinic->lists.Colours(kStatsSummary).Count();
  EXPECT_EQ(parts, colours.Count());
  for (const ColorListElem* cell : colours.As<ColorListElem>()) {
    EXPECT_EQ(kRed, cell->colour);
    EXPECT_EQ(QColor(255, 0, 0), tab->View(kStatsSummary)->Model()->StyleOf(cell->row, cell->column).background)
        << summary.GetString(cell->row);
  }
  const int d09 = LabelRow(summary, "D09", HeadingRow(summary, "c3"));
  ASSERT_GT(d09, 0);
  EXPECT_EQ(QColor(255, 0, 0), tab->View(kStatsSummary)->Model()->StyleOf(d09, 4).background);
}

// "Imprimer Tous" prints the four group lists, each with every clinic's
// heading and the group's total.
TEST_F(StatsGroupWindowTest, PrintAllPrintsTheGroupLists) {
  auto tab = Tab();
  tab->SendCommand(PracStatDialog::kCmGenerate);
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  const std::string pdf = dir_.File("groupe.pdf");
  {
    ScopedPrinterChoice choice([&](QPrinter* p) {
      p->setOutputFormat(QPrinter::PdfFormat);
      p->setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
    tab->CmPrintAll();
  }
  ASSERT_TRUE(std::filesystem::exists(pdf));
  std::string text;
  for (int page = 1; page <= PdfPages(pdf); ++page) text += PdfPageText(pdf, page);
  auto count = [&text](const std::string& needle) {
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(4, count("Total du groupe (3 cabinets)")) << text;
  EXPECT_EQ(4, count("Cabinet c3")) << text;
}

// "Détails…" on a group list: a clinic's row opens that clinic's rows (its
// own connection, its producers), a heading or a row of the group's total
// is refused in one line.
TEST_F(StatsGroupWindowTest, DetailsOnAClinicRowOpenThatClinicsRows) {
  auto tab = Tab();
  std::vector<std::string> history_prefixes;
  tab->SetHistoryOpener([&](QWidget*, GenDB* db, long, const std::string&) -> DrillDialog* {
    history_prefixes.push_back(db != nullptr ? db->dbPrefix() : "(application)");
    return nullptr;
  });
  tab->SendCommand(PracStatDialog::kCmGenerate);
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  const QenListWindow& summary = *tab->View(kStatsSummary)->List();
  const QenListWindow& productivity = *tab->View(kStatsProductivity)->List();
  const int total = RowOf(summary, "Total du groupe (3 cabinets)");
  ASSERT_GT(total, 0);
  struct Case {
    const char* name;
    int number;
    int row;
    int cell;
    int rows;  // data rows expected; -1: refused
    const char* clinic = "";  // the heading the drill's title starts with
  };
  const Case cases[] = {
      // D09 works in c3 only: her three November treatments.
      {"c3's D09 treatments", kStatsSummary, LabelRow(summary, "D09", HeadingRow(summary, "c3")), 1, 3, "Cabinet c3"},
      // H03 has no November appointment in c2; c1's row lists 80.
      {"c2's H03 booked", kStatsProductivity, LabelRow(productivity, "H03", HeadingRow(productivity, "c2")), 1, 0,
       "Cabinet c2"},
      {"c1's H03 booked", kStatsProductivity, LabelRow(productivity, "H03", HeadingRow(productivity, "c1")), 1, 80,
       "Cabinet c1"},
      {"a clinic's heading", kStatsSummary, HeadingRow(summary, "c2"), 1, -1},
      {"the total's D09", kStatsSummary, LabelRow(summary, "D09", total), 1, -1},
      {"the total's heading", kStatsSummary, total, 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(c.row, 0);
    prompts_.clear();
    DrillDialog* drill = tab->DrillCell(c.number, c.row, c.cell);
    if (c.rows < 0) {
      EXPECT_EQ(nullptr, drill);
      ASSERT_EQ(1u, prompts_.size());
      EXPECT_EQ(0, prompts_[0].text.count('\n')) << prompts_[0].text.toStdString();
      continue;
    }
    ASSERT_NE(nullptr, drill) << (prompts_.empty() ? std::string() : prompts_[0].text.toStdString());
    EXPECT_TRUE(drill->Result().outcome.Finished()) << drill->Result().outcome.message;
    EXPECT_EQ(c.rows, drill->Result().DataRows());
    // Several clinics' drills open side by side: each title names its clinic.
    EXPECT_EQ(0u, drill->windowTitle().toStdString().find(c.clinic)) << drill->windowTitle().toStdString();
    if (c.number == kStatsSummary) {
      for (int r = 0; r < drill->Result().list->GetCount(); ++r) {
        const std::string row(drill->Result().list->GetString(r));
        if (drill->Result().list->GetItemData(r) > 0) {
          EXPECT_NE(std::string::npos, row.find("\tD09\t")) << row;
        }
      }
      if (const char* shot = std::getenv("VANTRA_STATS_GROUP_DRILL_PNG")) drill->grab().save(shot);
      // The treatment's patient is c3's: her history is read on the
      // drill's connection, at c3's prefix, not the window's.
      history_prefixes.clear();
      EXPECT_EQ(nullptr, drill->Activate(0, 0));
      EXPECT_EQ((std::vector<std::string>{"c3."}), history_prefixes);
    }
    delete drill;
  }
}

// The producer list of a group lists every clinic's active producers, so
// c3's own D09 can be named: the lists then hold her rows of c3 alone, as
// `vantra stats --clinics` writes them, c1's and c2's parts empty.
TEST_F(StatsGroupWindowTest, OneClinicsOwnProducerCanBeNamedForTheGroup) {
  std::vector<std::string> expected;
  for (const char* name : {"c1", "c2", "c3"}) {
    std::string error;
    auto clinic = OpenGenDB("sqlite:" + g_group->ClinicFile(name), "", DbAccess::kRead, &error);
    ASSERT_NE(clinic, nullptr) << error;
    for (const std::string& code : ActiveProducerCodes(clinic.get())) {
      if (std::find(expected.begin(), expected.end(), code) == expected.end()) expected.push_back(code);
    }
  }
  std::sort(expected.begin(), expected.end());
  auto tab = Tab();
  EXPECT_STREQ("", app_.GetDb()->dbPrefix()) << "the window's connection is put back";
  QenListWindow* producers = tab->ProducerView()->List();
  std::vector<std::string> listed;
  int d09 = -1;
  for (int r = 1; r < producers->GetCount(); ++r) {
    listed.push_back(TrimmedCell(producers->GetItemText(r, 0)));
    if (listed.back() == "D09") d09 = r;
  }
  EXPECT_EQ(expected, listed);
  ASSERT_GT(d09, 0);
  EXPECT_EQ("Ouellet, Nadia", TrimmedCell(producers->GetItemText(d09, 1)));
  producers->Check(0, false);
  producers->Check(d09, true);
  tab->SendCommand(PracStatDialog::kCmGenerate);
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  const QenListWindow& summary = *tab->View(kStatsSummary)->List();
  EXPECT_EQ(Command({"--clinics", "c1,c2,c3", "--list", "summary", "AllProducers=N", "Producers=D09"}),
            ListRows(summary));
  EXPECT_EQ(HeadingRow(summary, "c1") + 1, HeadingRow(summary, "c2")) << "c1 has no D09";
  EXPECT_GT(LabelRow(summary, "D09", HeadingRow(summary, "c3")), 0);
}

// A list's own "Générer" runs that list for the group; the group's meter
// cancelled shows the clinics done and no total; back on one clinic the
// tab lists that clinic alone, as `vantra stats --prefix` does.
TEST_F(StatsGroupWindowTest, OneListCancelAndBackToOneClinic) {
  auto tab = Tab();
  tab->ContextMenu(kStatsPatients, QPoint(), false);
  tab->CmGenerateOne();
  ASSERT_TRUE(tab->LastOutcome().Finished()) << tab->LastOutcome().message;
  EXPECT_NE(nullptr, tab->GroupLists(kStatsPatients));
  EXPECT_EQ(nullptr, tab->GroupLists(kStatsSummary));
  EXPECT_EQ(Command({"--clinics", "c1,c2,c3", "--list", "patients"}), ListRows(*tab->View(kStatsPatients)->List()));

  ClinicGroupChoice one = app_.GroupChoice();
  one.jobs = 1;  // the cancel lands before the second clinic is done
  app_.SetGroupChoice(one);
  SetMeterFactory([](HWindow) { return std::make_unique<CancellingMeter>(); });
  tab->SendCommand(PracStatDialog::kCmGenerate);
  SetMeterFactory(nullptr);
  EXPECT_TRUE(tab->LastOutcome().Cancelled()) << tab->LastOutcome().message;
  for (int n : kStatsPrintOrder) {
    const QenListWindow& list = *tab->View(n)->List();
    EXPECT_EQ(-1, RowOf(list, "Total du groupe (3 cabinets)")) << n;
    ASSERT_GT(list.GetCount(), 0) << n;
    EXPECT_EQ(0u, list.GetString(0).rfind("Cabinet c1", 0)) << list.GetString(0);
  }

  // One clinic chosen: the connection at its prefix, the tab opened on it
  // (its producers are that clinic's).
  app_.SetGroupChoice(ClinicGroupChoice());
  std::string error;
  ASSERT_TRUE(app_.GetDb()->dbSetPrefix("c3.", &error)) << error;
  tab->SendCommand(PracStatDialog::kCmGenerate);
  for (int n : kStatsPrintOrder) EXPECT_EQ(nullptr, tab->GroupLists(n)) << n;
  auto clinic = Tab();
  clinic->SendCommand(PracStatDialog::kCmGenerate);
  EXPECT_TRUE(clinic->LastOutcome().Finished()) << clinic->LastOutcome().message;
  for (int n : kStatsPrintOrder) {
    EXPECT_EQ(nullptr, clinic->GroupLists(n)) << n;
    EXPECT_EQ(-1, HeadingRow(*clinic->View(n)->List(), "c3")) << n;
  }
  EXPECT_EQ(Command({"--prefix", "c3.", "--list", "summary"}), ListRows(*clinic->View(kStatsSummary)->List()));
  EXPECT_FALSE(clinic->View(kStatsSummary)->Model()->StyleOf(0, 0).bold);
}

}  // namespace
