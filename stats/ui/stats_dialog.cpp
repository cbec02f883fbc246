#include "stats/ui/stats_dialog.h"

#include <algorithm>
#include <map>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/application.h"
#include "host/dates.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "lists/qt/preset_menu.h"
#include "lists/qt/drill_dialog.h"
#include "stats/stats_drill.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/strings.h"
#include "lists/group_list.h"
#include "lists/list_menu.h"
#include "lists/qt/bmp_menu.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"
#include "stats/stats_group_run.h"
#include "stats/stats_options.h"
#include "suite/calendar.h"
#include "stats/ui/stats_graph_dialog.h"
#include "stats/ui/stats_options_dialog.h"
#include "suite/pick_lists.h"

namespace {

constexpr int kProducerCursor = 25;

QString Module(int id) { return QString::fromUtf8(ModuleString(id)); }

QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// The dates the lists cover and the practice, for printouts and exports.
template <typename Output>
void SetHeading(Output* out, const StatsSelection& sel) {
  out->SetHeading(QString::fromStdString(PeriodText(sel.from, sel.to)), QString::fromStdString(CurrentPracticeName()));
}

}  // namespace

// A group's lists and the group they were generated for (its pool for the
// drills).
struct PracStatDialog::GroupShown {
  StatsGroupLists lists;
  ClinicGroupChoice choice;
};

PracStatDialog::PracStatDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module)
    : TGenDlg(parent, resource_id, launcher_info),
      module_(module),
      ini_(QenApplication::Instance() ? QenApplication::Instance()->GetINI() : std::string()) {
  SetBkgndColor(QColor(219, 226, 236));
  BuildControls();
  OnCommand(kCmGenerate, &PracStatDialog::CmGenerate);
  OnCommand(kCmDefaults, &PracStatDialog::CmDefaults);
  OnCommand(kCmOptions, &PracStatDialog::CmOptions);
  OnCommand(kCmGenerateAll, &PracStatDialog::CmGenerateOne);
  OnCommand(kCmPrintList, &PracStatDialog::CmPrintList);
  OnCommand(kCmPrintAll, &PracStatDialog::CmPrintAll);
  OnCommand(kCmExportList, &PracStatDialog::CmExport);
  OnCommand(kCmChartData, &PracStatDialog::CmChart);
  drill_item_ = new DrillMenuItem(this);
}

PracStatDialog::~PracStatDialog() = default;

void PracStatDialog::BuildControls() {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);

  auto* left = new QVBoxLayout;
  auto* search = new QGroupBox(QStringLiteral("Options de Recherche"), this);
  auto* grid = new QGridLayout(search);
  grid->addWidget(new QLabel(QStringLiteral("Du :"), search), 0, 0);
  grid->addWidget(new TDateField(this, kFromDate, &sel_.from), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("À :"), search), 1, 0);
  grid->addWidget(new TDateField(this, kToDate, &sel_.to), 1, 1);
  producers_ = new ListView(kProducerListId, search);
  LoadDialogListRes(producers_->List(), 2007, kProducerListId);
  AddControl(kProducerListId, producers_);
  grid->addWidget(producers_, 2, 0, 1, 2);
  grid->setRowStretch(2, 1);
  left->addWidget(search, 1);
  auto* buttons = new QHBoxLayout;
  const std::pair<int, const char*> button_texts[] = {
      {kCmGenerate, "&Générer"}, {kCmOptions, "&Options"}, {kCmDefaults, "Defaults"}};
  for (const auto& [id, text] : button_texts) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    AddControl(id, b);
    buttons->addWidget(b);
    if (id == kCmGenerate) b->setDefault(true);
  }
  left->addLayout(buttons);
  presets_ = new PresetMenu(this, {"stats", [this](Preset* p) { return CollectPreset(p); },
                                   [this](const Preset& p, long from, long to) { ApplyPreset(p, from, to); }});
  left->addWidget(presets_->Button());
  auto* left_panel = new QWidget(this);
  left_panel->setLayout(left);
  left_panel->setFixedWidth(250);
  outer->addWidget(left_panel);

  // The four result lists, two by two.
  auto* lists = new QGridLayout;
  struct Place {
    int list_number;
    const char* title;
    int row, column;
  };
  const Place places[] = {{kStatsPatients, "Patients", 0, 0},
                          {kStatsProductivity, "Productivité", 0, 1},
                          {kStatsAcceptance, "Acceptation des cas", 1, 0},
                          {kStatsSummary, "Sommaire", 1, 1}};
  for (const Place& p : places) {
    auto* box = new QGroupBox(QString::fromUtf8(p.title), this);
    auto* layout = new QVBoxLayout(box);
    auto* view = new ListView(&lists_.List(p.list_number), box);
    AddControl(StatsListControl(p.list_number), view);
    if (p.list_number == kStatsAcceptance) view->SetHeaderVisible(false);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    const int n = p.list_number;
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view, n](const QPoint& pos) { ContextMenu(n, view->viewport()->mapToGlobal(pos)); });
    connect(view, &ListView::CellActivated, this, [this, n](int row, int column) { DrillCell(n, row, column); });
    layout->addWidget(view);
    views_[p.list_number] = view;
    lists->addWidget(box, p.row, p.column);
    InstallColouring(p.list_number);
  }
  lists->setColumnStretch(0, 1);
  lists->setColumnStretch(1, 1);
  outer->addLayout(lists, 1);
}

void PracStatDialog::InstallColouring(int list_number) {
  ListView* view = views_[list_number];
  // A group's row is drawn as the row of the part's list it shows; a
  // clinic's heading is bold.
  view->SetRowStyleHook([this, list_number](int row) {
    RowStyle s;
    const QenListWindow* list = nullptr;
    int at = row;
    if (!SourceRow(list_number, row, &list, &at)) {
      s.bold = true;
      return s;
    }
    s.bold = !StatsDetailRow(*list, list_number, at) && !list->GetString(at).empty();
    return s;
  });
  view->SetCellStyleHook([this, list_number](int row, int column, RowStyle& s) {
    const QenListWindow* list = nullptr;
    int at = row;
    if (!SourceRow(list_number, row, &list, &at)) return;
    if (list_number == kStatsAcceptance && list->GetItemRecord(at) == nullptr) return;
    const ColorRef c = StatsCellColor(colours_, list_number, column, StatsDetailRow(*list, list_number, at),
                                      list->GetItemText(at, column));
    if (c != kNoColor) s.background = ToQColor(c);
  });
}

const StatsGroupList* PracStatDialog::GroupList(int list_number) const {
  if (list_number < 1 || list_number > 4 || group_[list_number] == nullptr) return nullptr;
  return group_[list_number]->lists.Composed(list_number);
}

const StatsGroupLists* PracStatDialog::GroupLists(int list_number) const {
  if (list_number < 1 || list_number > 4 || group_[list_number] == nullptr) return nullptr;
  return &group_[list_number]->lists;
}

bool PracStatDialog::SourceRow(int list_number, int row, const QenListWindow** list, int* source_row) const {
  const StatsGroupList* group = GroupList(list_number);
  if (group == nullptr) {
    *list = &lists_.List(list_number);
    *source_row = row;
    return true;
  }
  if (row < 0 || static_cast<size_t>(row) >= group->origins.size()) return false;
  const GroupRowOrigin& o = group->origins[static_cast<size_t>(row)];
  if (o.row < 0) return false;
  *list = group->parts[static_cast<size_t>(o.part)].list;
  *source_row = o.row;
  return true;
}

CellStyleFn PracStatDialog::ListStyle(int list_number) const {
  if (const StatsGroupList* group = GroupList(list_number)) return group->style;
  return StatsRowStyle(&lists_.List(list_number), list_number);
}

const TDList* PracStatDialog::ListColours(int list_number) const {
  if (const StatsGroupList* group = GroupList(list_number)) return &group->colours;
  return &lists_.Colours(list_number);
}

const QenListWindow* PracStatDialog::ChartList(int list_number) const {
  const GroupShown* group = list_number >= 1 && list_number <= 4 ? group_[list_number].get() : nullptr;
  if (group != nullptr && group->lists.total && group->lists.Composed(list_number) != nullptr) {
    return &group->lists.totals.List(list_number);
  }
  return &lists_.List(list_number);
}

void PracStatDialog::SetupWindow() {
  TGenDlg::SetupWindow();
  // The base gave the lists their layouts; the productivity columns take
  // their titles and widths here.
  SetUpStatsListColumns(&lists_.List(kStatsProductivity), kStatsProductivity);
  ReadStatsSelection(StatsIniReaderOf(ini_), ldate_today(), &sel_);
  UpdateDialog(1);
  FillProducerList();
  producers_->List()->AdjustColumns();
}

void PracStatDialog::FillProducerList() {
  QenListWindow* list = producers_->List();
  list->ClearList();
  const int all = list->AddString(ModuleString(13), 0);
  list->Check(all, sel_.all_producers == 'Y');
  GenDB* db = ApplicationDb();
  if (db == nullptr) return;
  // Code -> "Last, First", in code order; for a group the first clinic's
  // names of each code.
  std::map<std::string, std::string> producers;
  const auto read = [db, &producers](const std::string&) {
    const std::string sql = ActiveProducersSql(db->dbPrefix());
    db->dbExecute(sql.c_str(), kProducerCursor);
    for (int r = db->dbFetch(0, kProducerCursor); r == 0; r = db->dbFetch(1, kProducerCursor)) {
      char code[4] = {}, last[21] = {}, first[21] = {};
      db->dbGetString(1, code, sizeof code, kProducerCursor);
      db->dbGetString(2, last, sizeof last, kProducerCursor);
      db->dbGetString(3, first, sizeof first, kProducerCursor);
      BlankRowBreaks(last);
      BlankRowBreaks(first);
      producers.emplace(code, std::string(last) + ", " + first);
    }
    db->dbClose(kProducerCursor);
    return db->LastError().empty();
  };
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    // Every clinic's producers, so that one clinic's own can be named for
    // the group.
    const RunOutcome outcome = ReadClinicByClinic(db, group->prefixes, "la liste des producteurs", read);
    if (!outcome.Finished()) ShowOutcome(outcome);
  } else {
    read(db->dbPrefix());
  }
  for (const auto& [code, name] : producers) {
    const int row = list->AddString(code + "\t" + name, 0);
    list->Check(row, sel_.all_producers != 'Y' && sel_.ProducerIndex(code) >= 0);
  }
}

void PracStatDialog::ReadProducerList() {
  QenListWindow* list = producers_->List();
  sel_.all_producers = list->GetCount() > 0 && list->IsChecked(0) ? 'Y' : 'N';
  // With "Tous" every listed producer is selected.
  sel_.producers.clear();
  for (int row = 1; row < list->GetCount() && sel_.producers.size() < kStatsMaxProducers; ++row) {
    if (sel_.all_producers != 'Y' && !list->IsChecked(row)) continue;
    std::string code(list->GetItemText(row, 0).substr(0, 3));
    while (!code.empty() && code.back() == ' ') code.pop_back();
    sel_.producers.push_back(code);
  }
}

bool PracStatDialog::PrepareGeneration() {
  if (!UpdateDialog(0)) return false;
  ReadStatsColorOptions(StatsIniReaderOf(ini_), &colours_);
  sel_.fees_goal = colours_.fees_goal;
  ReadProducerList();
  return StatsSelectionUsable(sel_);
}

StatsContext PracStatDialog::Context() const {
  StatsContext c;
  QenApplication* app = QenApplication::Instance();
  c.db = app ? app->GetDb() : nullptr;
  c.channel = app ? app->Channel() : nullptr;
  c.owner = const_cast<PracStatDialog*>(this);
  c.productivity = productivity_;
  c.prod_units = ReadProdUnits([this](const char* key, const char* def) {
    return ini_.read_secini("PRAC_APPT", key, def);
  });
  c.colors = colours_;
  return c;
}

DrillDialog* PracStatDialog::DrillCell(int list_number, int row, int column) {
  if (list_number < 1 || list_number > 4) return nullptr;
  if (const std::shared_ptr<GroupShown> group = group_[list_number]) {
    // A clinic's row drills on that clinic, over a connection of its own
    // that lives as long as the drill window; a heading or a row of the
    // group's total is refused in one line (DrillStatsGroupCell).
    const ClinicPoolOptions pool = group->choice.Pool(nullptr, std::string());
    // A patient its rows name is that clinic's: the history is read there.
    std::unique_ptr<GenDB> db;
    DrillResult result = DrillStatsGroupCell(pool, Context(), group->lists, list_number, {row, column}, &db);
    return ShowDrillOn(this, std::move(result), std::move(db), {}, LauncherInfo(), DrillOpeners{{}, history_});
  }
  return ShowDrill(this,
                   DrillStatsCell(Context(), generated_sel_[list_number], list_number, lists_.List(list_number),
                                  {row, column}, generated_partial_[list_number]),
                   {}, LauncherInfo(), DrillOpeners{{}, history_});
}

void PracStatDialog::AfterFill(int list_number) {
  if (list_number >= 1 && list_number <= 4) generated_sel_[list_number] = sel_;
  ListView* view = views_[list_number];
  if (view->List()->GetCount() > 0) {
    view->FitColumnsToContents();
    view->horizontalHeader()->setStretchLastSection(true);
  }
  view->Model()->RestyleAll();
}

void PracStatDialog::CmGenerate() {
  if (!PrepareGeneration()) return;
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    GenerateGroup(*group, std::vector<int>(std::begin(kStatsPrintOrder), std::end(kStatsPrintOrder)));
    return;
  }
  for (int n : kStatsPrintOrder) DropGroup(n);
  const StatsContext context = Context();
  RunOutcome run;
  for (int n : kStatsPrintOrder) {
    if (run.ServerLost()) {
      // A lost server ends the run: the lists after it stay empty.
      lists_.List(n).ClearList();
      lists_.Colours(n).DeleteElems();
      AfterFill(n);
      continue;
    }
    const RunOutcome step = FillStatsList(n, sel_, context, &lists_);
    generated_partial_[n] = !step.Finished();
    // The productivity list stays empty until the program connects the
    // productivity computation; that is not an error of this run.
    if (n != kStatsProductivity || context.productivity != nullptr || step.ServerLost()) run.Merge(step);
    AfterFill(n);
  }
  // A lost server or a failed statement: the lists are not whole.
  last_outcome_ = run;
  ShowOutcome(run);
}

void PracStatDialog::CmGenerateOne() {
  const int n = recorded_;
  if (n == 0 || !PrepareGeneration()) return;
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    GenerateGroup(*group, {n});
    return;
  }
  DropGroup(n);
  last_outcome_ = FillStatsList(n, sel_, Context(), &lists_);
  generated_partial_[n] = !last_outcome_.Finished();
  AfterFill(n);
  ShowOutcome(last_outcome_);
}

void PracStatDialog::GenerateGroup(const ClinicGroupChoice& group, const std::vector<int>& numbers) {
  // The productivity list stays empty until the program connects the
  // productivity computation, as for one practice.
  std::vector<int> run;
  for (int n : numbers) {
    if (n != kStatsProductivity || productivity_ != nullptr) {
      run.push_back(n);
      continue;
    }
    DropGroup(n);
    lists_.List(n).ClearList();
    lists_.Colours(n).DeleteElems();
    AfterFill(n);
  }
  if (run.empty()) return;
  auto shown = std::make_shared<GroupShown>();
  shown->choice = group;
  const ClinicPoolOptions pool =
      group.Pool(static_cast<QWidget*>(this), "Statistiques du groupe — cabinets terminés : %v de %m");
  last_outcome_ = GenerateStatsGroup(pool, group.prefixes, sel_, Context(), run, &shown->lists);
  for (int n : run) {
    group_[n] = shown;
    lists_.Colours(n).DeleteElems();
    StatsGroupList* composed = shown->lists.Composed(n);
    generated_partial_[n] = !last_outcome_.Finished();
    if (composed == nullptr) {
      // A clinic failed, or a named producer works in none: nothing of
      // the group is shown.
      lists_.List(n).ClearList();
    } else {
      {
        ListBatch batch(&lists_.List(n));
        ComposeGroupList(composed->parts, &lists_.List(n), &composed->origins);
      }
      views_[n]->SetFullWidthRows(GroupHeadingRows(composed->origins));
    }
    AfterFill(n);
  }
  ShowOutcome(last_outcome_);
}

void PracStatDialog::DropGroup(int list_number) { group_[list_number].reset(); }

bool PracStatDialog::CollectPreset(Preset* out) {
  if (!UpdateDialog(0)) return false;
  ReadProducerList();
  ReadStatsColorOptions(StatsIniReaderOf(ini_), &colours_);
  const auto write = [out](const char* key, const std::string& value) {
    AddPresetKey(out, key, value);
    return true;
  };
  WriteStatsDefaults(sel_, write);
  WriteStatsColorOptions(colours_, write);
  out->from = sel_.from;
  out->to = sel_.to;
  return true;
}

void PracStatDialog::ApplyPreset(const Preset& preset, long from, long to) {
  const PresetKeyReader read = PresetReader(preset, StatsIniReaderOf(ini_));
  ReadStatsSelection(read, ldate_today(), &sel_);
  ReadStatsColorOptions(read, &colours_);
  if (from != 0) {
    sel_.from = from;
    sel_.to = to;
  }
  UpdateDialog(1);
  FillProducerList();
}

void PracStatDialog::CmDefaults() {
  if (!OkToSaveDefaults() || !UpdateDialog(0)) return;
  ReadProducerList();
  if (!WriteStatsDefaults(sel_, StatsIniWriterOf(ini_))) {
    ShowMessage(QStringLiteral("Les défauts n'ont pas pu être enregistrés : %1")
                    .arg(QString::fromStdString(ini_.LastError())),
                QMessageBox::Warning);
  }
}

void PracStatDialog::CmOptions() {
  ReadStatsColorOptions(StatsIniReaderOf(ini_), &colours_);
  StatsOptionsDialog dialog(this, &colours_, LauncherInfo());
  if (dialog.Execute() != 1) return;
  WriteStatsColorOptions(colours_, StatsIniWriterOf(ini_));
  std::vector<const GroupShown*> recoloured;  // the lists of one run share their group
  for (int n = 1; n <= 4; ++n) {
    if (group_[n] != nullptr) {
      if (std::find(recoloured.begin(), recoloured.end(), group_[n].get()) == recoloured.end()) {
        CollectStatsGroupColours(colours_, &group_[n]->lists);
        recoloured.push_back(group_[n].get());
      }
    } else {
      CollectStatsColors(lists_.List(n), n, colours_, &lists_.Colours(n));
    }
    views_[n]->Model()->RestyleAll();
  }
}

void PracStatDialog::ContextMenu(int list_number, const QPoint& global_pos, bool show) {
  if (list_number < 1 || list_number > 4) return;
  recorded_ = list_number;
  if (!show) return;
  ListMenuState state;
  state.menu_id = 1001;
  state.spreadsheet_folder = !TGetStatInfo::GetSpreadSheetDirectory().empty();
  state.row_count = lists_.List(list_number).GetCount();
  state.on_cell = drill_item_->Aim(views_[list_number], global_pos, [this, list_number](int row, int column) {
    DrillCell(list_number, row, column);
  });
  MakeListMenu(this, ListMenuEntries(state))->exec(global_pos);
}

void PracStatDialog::CmPrintList() {
  const int n = recorded_;
  recorded_ = 0;
  if (n == 0) return;
  TPrinterSelectDlg choice(this, LauncherInfo());
  if (choice.Execute() != 1) return;
  CPrintListView print(this, LauncherInfo(), views_[n], choice.GetSelectedPrinterDC(), Module(StatsListTitle(n)), 1,
                       false, true);
  print.SetStyle(ListStyle(n));
  print.SetColorList(ListColours(n));
  SetHeading(&print, sel_);
  print.Print();
  choice.DeleteSelectedPrinterDC();
}

void PracStatDialog::CmPrintAll() {
  recorded_ = 0;
  TPrinterSelectDlg choice(this, LauncherInfo());
  if (choice.Execute() != 1) return;
  CPrintMultipleListViews print(this, LauncherInfo(), choice.GetSelectedPrinterDC(), Module(kStatsReportTitle));
  for (int n : kStatsPrintOrder) {
    print.AddList(&lists_.List(n), Module(StatsListTitle(n)), ListStyle(n), ListColours(n));
  }
  print.SetScales(0.75, 0.75);
  SetHeading(&print, sel_);
  print.Print();
  choice.DeleteSelectedPrinterDC();
}

void PracStatDialog::CmExport() {
  const int n = recorded_;
  recorded_ = 0;
  if (n == 0) return;
  // PrintReport shows the wait cursor while it writes.
  CPrintListView exporter(this, LauncherInfo(), views_[n], nullptr, ReportTitleOf(this, Module(82)), 1, false, true);
  exporter.SetStyle(ListStyle(n));
  exporter.SetColorList(ListColours(n));
  SetHeading(&exporter, sel_);
  exporter.PrintReport(CPrintListView::kSpreadsheet);
}

void PracStatDialog::CmChart() {
  const int n = recorded_;
  recorded_ = 0;
  if (n == 0) return;
  PracStatsGraphDialog chart(this, GraphBaseDialog::kTemplate, ChartList(n), sel_.from, sel_.to, n, LauncherInfo());
  chart.Execute();
}
