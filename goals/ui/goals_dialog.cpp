#include "goals/ui/goals_dialog.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "goals/goals_style.h"
#include "goals/goals_drill.h"
#include "goals/goals_generator.h"
#include "goals/goals_group.h"
#include "lists/group_list.h"
#include "lists/qt/preset_menu.h"
#include "lists/qt/drill_dialog.h"
#include "goals/ui/goal_codes.h"
#include "goals/ui/goals_fields.h"
#include "goals/ui/goals_graph_dialog.h"
#include "goals/ui/prac_goals_options_dialog.h"
#include "host/application.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/strings.h"
#include "lists/list_menu.h"
#include "lists/qt/bmp_menu.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"
#include "suite/calendar.h"

namespace {

constexpr const char* kMonthBoxTexts[12] = {"JANV", "FÉVR", "MARS", "AVR", "MAI", "JUIN",
                                            "JUIL", "AOÛT", "SEPT", "OCT", "NOV", "DEC"};

GoalsIniReader ReaderOf(const WDIniObj& ini) {
  return [&ini](const char* key, const char* def) { return ini.read_secini(kGoalsIniSection, key, def); };
}
GoalsIniWriter WriterOf(WDIniObj& ini) {
  return [&ini](const char* key, const std::string& value) {
    return ini.write_secini(kGoalsIniSection, key, value.c_str());
  };
}

QColor ToQColor(ColorRef c) {
  if (c == kNoColor) return QColor();
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

}  // namespace

PracGoalsDialog::PracGoalsDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module)
    : TGenDlg(parent, resource_id, launcher_info),
      module_(module),
      ini_(QenApplication::Instance() ? QenApplication::Instance()->GetINI() : std::string()) {
  BuildControls();
  OnCommand(kCmGenerate, &PracGoalsDialog::CmGenerate);
  OnCommand(kCmDefaults, &PracGoalsDialog::CmDefaults);
  OnCommand(kCmConfiguration, &PracGoalsDialog::CmConfiguration);
  OnCommand(kCmOptions, &PracGoalsDialog::CmOptions);
  OnCommand(kSelectAll, &PracGoalsDialog::CmSelectAll);
  OnCommand(kMonthly, &PracGoalsDialog::CmMode);
  OnCommand(kQuarterly, &PracGoalsDialog::CmMode);
  OnCommand(kCmPrintList, &PracGoalsDialog::CmPrint);
  OnCommand(kCmExportList, &PracGoalsDialog::CmExport);
  OnCommand(kCmChartData, &PracGoalsDialog::CmChart);
}

PracGoalsDialog::~PracGoalsDialog() = default;

QenListWindow* PracGoalsDialog::ReportList() const { return report_->List(); }
QenListWindow* PracGoalsDialog::ProducerList() const { return producers_->List(); }

void PracGoalsDialog::BuildControls() {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);
  auto* left = new QVBoxLayout;

  auto* years = new QGridLayout;
  years->addWidget(new QLabel(QStringLiteral("Année :"), this), 0, 0);
  year_box_ = new GoalsCBox(this, kYear, options_.year, sizeof options_.year, false);
  years->addWidget(year_box_, 0, 1);
  years->addWidget(new QLabel(QStringLiteral("Comparer :"), this), 1, 0);
  comp_box_ = new GoalsCBox(this, kCompYear, options_.comp_year, sizeof options_.comp_year, true);
  years->addWidget(comp_box_, 1, 1);
  left->addLayout(years);
  left->addWidget(new TRegButton(this, kTotalsOnly, &options_.totals_only, QStringLiteral("Totaux du Cabinet Slmt")));

  auto* periods = new QGroupBox(QStringLiteral("Périodes"), this);
  auto* grid = new QGridLayout(periods);
  grid->addWidget(new TMultButton(this, kMonthly, &options_.report_by, 'M', QStringLiteral("Mensuel")), 0, 0, 1, 2);
  grid->addWidget(new TMultButton(this, kQuarterly, &options_.report_by, 'Q', QStringLiteral("Trimestriel")), 0, 2, 1, 2);
  for (int m = 0; m < 12; ++m) {
    auto* box = new TRegButton(this, kFirstMonth + m, &options_.month[m], QString::fromUtf8(kMonthBoxTexts[m]));
    month_boxes_[m] = box;
    grid->addWidget(box, 1 + m / 3, m % 3);
  }
  for (int q = 0; q < 4; ++q) {
    auto* box = new TRegButton(this, kFirstQuarter + q, &options_.q[q], QStringLiteral("Q%1:").arg(q + 1));
    quarter_boxes_[q] = box;
    grid->addWidget(box, 1 + q, 3);
  }
  select_all_ = new QCheckBox(QStringLiteral("Sélect./Effacer"), periods);
  AddControl(kSelectAll, select_all_);
  grid->addWidget(select_all_, 5, 0, 1, 3);
  left->addWidget(periods);

  producers_ = new ListView(kProducerList, this);
  producers_->List()->SetStyles(0x98, 0x25);
  producers_->List()->SetColumns({{HostString(10062), 4, ColumnAlign::kLeft}, {HostString(10083), 14, ColumnAlign::kLeft}});
  producers_->List()->AdjustColumns();
  AddControl(kProducerList, producers_);
  left->addWidget(producers_, 1);

  auto* buttons = new QGridLayout;
  const std::pair<int, const char*> texts[] = {
      {kCmGenerate, "&Générer"}, {kCmDefaults, "&Défauts"}, {kCmConfiguration, "Configuration"}, {kCmOptions, "&Options"}};
  int i = 0;
  for (const auto& [id, text] : texts) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    AddControl(id, b);
    buttons->addWidget(b, i / 2, i % 2);
    ++i;
  }
  left->addLayout(buttons);
  presets_ = new PresetMenu(this, {"goals", [this](Preset* p) { return CollectPreset(p); },
                                   [this](const Preset& p, long from, long to) { ApplyPreset(p, from, to); }});
  left->addWidget(presets_->Button());
  auto* left_panel = new QWidget(this);
  left_panel->setLayout(left);
  left_panel->setFixedWidth(300);
  outer->addWidget(left_panel);

  report_ = new ListView(kReportList, this);
  connect(report_, &ListView::CellActivated, this, [this](int row, int column) { DrillCell(row, column); });
  AddControl(kReportList, report_);
  outer->addWidget(report_, 1);
  DropGroup();
  report_->SetRowStyleHook([this](int row) {
    RowStyle s;
    const CellStyle c = list_style_(row, 0);
    s.bold = c.bold;
    s.text = ToQColor(c.text);
    return s;
  });
  report_->SetCellStyleHook([this](int row, int column, RowStyle& s) {
    if (column == 0) return;
    const CellStyle c = list_style_(row, column);
    s.background = ToQColor(c.background == kWhite ? kNoColor : c.background);
  });
  report_->setContextMenuPolicy(Qt::CustomContextMenu);
  drill_item_ = new DrillMenuItem(this);
  connect(report_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    const QPoint global = report_->viewport()->mapToGlobal(pos);
    std::unique_ptr<QMenu> menu = MakeMenu(&global);
    if (!menu->actions().isEmpty()) menu->exec(global);
  });
}

void PracGoalsDialog::SetupWindow() {
  TGenDlg::SetupWindow();
  ReadGoalsOptions(ReaderOf(ini_), &options_);
  ReadGoalsDisplay(ReaderOf(ini_), &display_);
  year_box_->LoadYears(ApplicationDb());
  comp_box_->LoadYears(ApplicationDb());
  UpdateDialog(1);
  LayColumns();
  FillProducerList();
  ApplyMode(options_.Monthly());
  bool all = true;
  if (options_.Monthly()) {
    for (char m : options_.month) all = all && m == 'Y';
  } else {
    for (char q : options_.q) all = all && q == 'Y';
  }
  select_all_->setChecked(all);
}

void PracGoalsDialog::LayColumns() {
  SetGoalsColumns(ReportList(), options_, display_.show_tot_col == 'Y');
}

void PracGoalsDialog::FillProducerList() {
  QenListWindow* list = ProducerList();
  list->ClearList();
  const int all = list->AddString(ModuleString(13), 0);
  list->Check(all, options_.all_producers == 'Y');
  std::vector<GoalsProducer> active;
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    // Every clinic's producers, so that one clinic's own can be named for
    // the group.
    const RunOutcome read = LoadGroupActiveProducers(ApplicationDb(), group->prefixes, &active);
    if (!read.Finished()) ShowOutcome(read);
  } else {
    std::string error;
    LoadActiveProducers(ApplicationDb(), &active, &error);
  }
  int ordinal = 0;
  for (const GoalsProducer& p : active) {
    const int row = list->AddString(p.code + "\t" + p.last_name + ", " + p.first_name, ++ordinal);
    const bool saved =
        std::find(options_.producers.begin(), options_.producers.end(), p.code) != options_.producers.end();
    list->Check(row, options_.all_producers != 'Y' && saved);
  }
}

void PracGoalsDialog::ReadSelection() {
  QenListWindow* list = ProducerList();
  const bool all = list->GetCount() > 0 && list->IsChecked(0);
  options_.all_producers = all ? 'Y' : 'N';
  options_.producers.clear();
  for (int row = 1; row < list->GetCount(); ++row) {
    if (!all && !list->IsChecked(row)) continue;
    if (static_cast<int>(options_.producers.size()) >= kGoalsMaxProducers) break;
    options_.producers.push_back(std::string(list->GetItemText(row, 0)).substr(0, 4));
  }
}

void PracGoalsDialog::ApplyMode(bool monthly) {
  for (int m = 0; m < 12; ++m) EnableControl(kFirstMonth + m, monthly);
  for (int q = 0; q < 4; ++q) EnableControl(kFirstQuarter + q, !monthly);
}

void PracGoalsDialog::CmMode() {
  const bool monthly = Control<QRadioButton>(kMonthly)->isChecked();
  ApplyMode(monthly);
  if (ReportList()->GetCount() == 0 && UpdateDialog(0)) LayColumns();
}

void PracGoalsDialog::CmSelectAll() {
  const bool checked = select_all_->isChecked();
  const bool monthly = Control<QRadioButton>(kMonthly)->isChecked();
  if (monthly) {
    for (QCheckBox* b : month_boxes_) b->setChecked(checked);
  } else {
    for (QCheckBox* b : quarter_boxes_) b->setChecked(checked);
  }
}

void PracGoalsDialog::CmGenerate() {
  if (!UpdateDialog(0)) return;
  ReadSelection();
  ReadGoalsDisplay(ReaderOf(ini_), &display_);
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    GenerateGroup(*group);
    return;
  }
  std::vector<int> failed;
  last_outcome_ = CheckGoalsRun(ApplicationDb(), options_, options_.producers.size(), &failed);
  if (last_outcome_.ServerLost()) {
    ReportList()->ClearList();
    colours_.DeleteElems();
    ShowOutcome(last_outcome_);
    return;
  }
  if (last_outcome_.Refused()) {
    // Each rule the options break, in its own box.
    for (int id : failed) ShowModuleMessage(id);
    return;
  }
  QenListWindow* list = ReportList();
  list->ClearList();
  colours_.DeleteElems();
  DropGroup();
  LayColumns();
  generated_ = options_;
  generated_producers_ = options_.producers;
  const GoalsResult result = GenerateGoalsReport(ApplicationDb(), options_, display_, options_.producers,
                                                 ChannelProduction(QenApplication::Instance(), this), list,
                                                 &drill_map_);
  CollectColours();
  ShowColumns();
  last_outcome_ = result.outcome;
  ShowOutcome(last_outcome_);
}

void PracGoalsDialog::GenerateGroup(const ClinicGroupChoice& group) {
  QenListWindow* list = ReportList();
  list->ClearList();
  colours_.DeleteElems();
  DropGroup();
  LayColumns();
  auto lists = std::make_unique<GoalsGroupLists>();
  const ClinicPoolOptions pool = group.Pool(static_cast<QWidget*>(this), "Objectifs du groupe — cabinets terminés : %v de %m");
  last_outcome_ = GenerateGoalsGroup(pool, group.prefixes, options_, display_, lists.get(), true);
  if (last_outcome_.Refused() && !lists->failed.empty()) {
    // The group's checks failed (every clinic's goals counted): each rule
    // in its own box, as for one practice.
    for (int id : lists->failed) ShowModuleMessage(id);
    return;
  }
  if (lists->composed != nullptr) {
    generated_ = options_;
    generated_producers_ = lists->selected;
    group_ = std::move(lists);
    group_choice_ = std::make_unique<ClinicGroupChoice>(group);
    {
      ListBatch batch(list);
      ComposeGroupList(group_->parts, list, &group_->origins);
    }
    report_->SetFullWidthRows(GroupHeadingRows(group_->origins));
    std::vector<CellStyleFn> styles;
    for (const GroupPart& part : group_->parts) styles.push_back(GoalListStyle(part.list, &display_));
    list_style_ = GroupCellStyle(&group_->origins, std::move(styles));
    CollectColours();
    ShowColumns();
    report_->viewport()->update();
  }
  ShowOutcome(last_outcome_);
}

void PracGoalsDialog::DropGroup() {
  group_.reset();
  group_choice_.reset();
  list_style_ = GoalListStyle(ReportList(), &display_);
}

void PracGoalsDialog::CollectColours() {
  colours_.DeleteElems();
  if (group_ == nullptr) {
    CollectGoalColours(*ReportList(), display_, &colours_);
    return;
  }
  CollectGroupColours(group_->parts, group_->origins,
                      [this](const QenListWindow& list, TDList* out) { CollectGoalColours(list, display_, out); },
                      &colours_);
}

void PracGoalsDialog::ShowColumns() {
  const QenListWindow* list = ReportList();
  report_->FitColumnsToContents();
  for (int c = 0; c < static_cast<int>(list->Columns().size()); ++c) {
    report_->setColumnHidden(c, list->Columns()[c].width_chars == 0);
  }
}

DrillDialog* PracGoalsDialog::DrillCell(int row, int column) {
  if (group_ != nullptr) {
    // A clinic's line drills on that clinic over a connection of its own
    // that lives as long as the drill window; its goal records are that
    // clinic's, which the goal editor (on the window's database) does not
    // open, and a patient's history is read there too. A heading or a line
    // of the group's total is refused in one line (DrillGoalsGroupCell).
    std::unique_ptr<GenDB> db;
    DrillResult result = DrillGoalsGroupCell(group_choice_->Pool(nullptr, std::string()), *group_, {row, column}, &db);
    return ShowDrillOn(this, std::move(result), std::move(db), {}, LauncherInfo(), DrillOpeners{{}, history_});
  }
  return ShowDrill(this, DrillGoalsCell(ApplicationDb(), *ReportList(), drill_map_, {row, column}), {}, LauncherInfo(),
                   DrillOpeners{[this](long id) { OpenGoalEditor(id); }, history_});
}

bool PracGoalsDialog::CollectPreset(Preset* out) {
  if (!UpdateDialog(0)) return false;
  ReadSelection();
  const auto write = [out](const char* key, const std::string& value) {
    AddPresetKey(out, key, value);
    return true;
  };
  WriteGoalsOptions(options_, write);
  WriteGoalsDisplay(display_, write);
  const long year = std::atol(options_.year);
  out->from = year > 0 ? year * 10000 + 101 : 0;
  out->to = year > 0 ? year * 10000 + 1231 : 0;
  return true;
}

void PracGoalsDialog::ApplyPreset(const Preset& preset, long from, long to) {
  // The period as the command line reads it: its year, the chosen months
  // and quarters it touches, the comparison year moved alike.
  Preset shown = preset;
  const PresetKeyReader chosen = PresetReader(preset, ReaderOf(ini_));
  for (const auto& [key, value] : GoalsPeriodKeys(preset, from, to, chosen)) AddPresetKey(&shown, key.c_str(), value);
  const PresetKeyReader read = PresetReader(shown, ReaderOf(ini_));
  ReadGoalsOptions(read, &options_);
  ReadGoalsDisplay(read, &display_);
  UpdateDialog(1);
  LayColumns();
  FillProducerList();
  ApplyMode(options_.Monthly());
}

void PracGoalsDialog::CmDefaults() {
  if (!OkToSaveDefaults() || !UpdateDialog(0)) return;
  ReadSelection();
  if (!WriteGoalsOptions(options_, WriterOf(ini_))) {
    ShowMessage(QStringLiteral("Les défauts n'ont pas pu être enregistrés : %1")
                    .arg(QString::fromStdString(ini_.LastError())),
                QMessageBox::Warning);
  }
}

void PracGoalsDialog::CmConfiguration() {
  // Goals are each clinic's own records: with every clinic chosen there is
  // no one clinic whose goals the editor would change.
  if (ApplicationGroup() != nullptr) {
    ShowMessage(QStringLiteral("Les objectifs sont ceux de chaque cabinet : choisissez un cabinet pour les modifier."));
    return;
  }
  OpenGoalEditor(0);
}

void PracGoalsDialog::OpenGoalEditor(long record_id) {
  GoalCodes editor(this, 2010, LauncherInfo(), -1, module_);
  editor.OpenOnRecord(record_id);
  editor.Execute();
  if (!editor.AnyChange()) return;
  const QString year = year_box_->currentText(), comp = comp_box_->currentText();
  // The years as the editor left them: from the database it wrote to, which
  // a reports' standby may not have caught up with yet.
  year_box_->LoadYears(ApplicationWriteDb());
  comp_box_->LoadYears(ApplicationWriteDb());
  year_box_->setCurrentText(year);
  comp_box_->setCurrentText(comp);
}

void PracGoalsDialog::Restyle() {
  CollectColours();
  report_->Model()->RestyleAll();
}

void PracGoalsDialog::CmOptions() {
  ReadGoalsDisplay(ReaderOf(ini_), &display_);
  PracGoalsOptionsDialog dialog(this, display_, LauncherInfo());
  if (dialog.Execute() != 1) return;
  display_ = dialog.Display();
  if (!WriteGoalsDisplay(display_, WriterOf(ini_))) {
    ShowMessage(QStringLiteral("Les options n'ont pas pu être enregistrées : %1")
                    .arg(QString::fromStdString(ini_.LastError())),
                QMessageBox::Warning);
  }
  Restyle();
}

std::unique_ptr<QMenu> PracGoalsDialog::MakeMenu(const QPoint* global_pos) {
  ListMenuState state;
  state.menu_id = 1000;
  state.spreadsheet_folder = !TGetStatInfo::GetSpreadSheetDirectory().empty();
  state.row_count = ReportList()->GetCount();
  if (global_pos) {
    state.on_cell = drill_item_->Aim(report_, *global_pos, [this](int row, int column) { DrillCell(row, column); });
  }
  return MakeListMenu(this, ListMenuEntries(state));
}

std::string PracGoalsDialog::ExportTitle() const { return ModuleString(92); }

void PracGoalsDialog::CmPrint() {
  TPrinterSelectDlg choice(this, LauncherInfo());
  if (choice.Execute() != 1) return;
  const QString title = QString::fromStdString(ExportTitle());
  CPrintMultipleListViews print(this, LauncherInfo(), choice.GetSelectedPrinterDC(), title);
  print.AddList(ReportList(), title, list_style_, &colours_);
  print.SetHeading(QString::fromStdString(generated_.PeriodText()), QString::fromStdString(CurrentPracticeName()));
  print.Print();
  choice.DeleteSelectedPrinterDC();
}

void PracGoalsDialog::CmExport() {
  CPrintListView exporter(this, LauncherInfo(), ReportList(), nullptr, QString::fromStdString(ExportTitle()), 1,
                          false, true);
  exporter.SetStyle(list_style_);
  exporter.SetColorList(&colours_);
  exporter.SetHeading(QString::fromStdString(generated_.PeriodText()), QString::fromStdString(CurrentPracticeName()));
  exporter.PrintReport(CPrintListView::kSpreadsheet);
  last_export_ = exporter.ExportedPath();
}

void PracGoalsDialog::CmChart() {
  if (ReportList()->GetCount() == 0) return;
  std::vector<std::string> producers = generated_producers_;
  // A group's chart is its total's: the clinics' reports above it would
  // draw each producer once per clinic and once more for the group.
  const QenListWindow* charted = group_ != nullptr && group_->total != nullptr ? group_->total.get() : ReportList();
  PracGoalsGraphDialog chart(this, charted, &generated_, &display_, producers, LauncherInfo());
  chart.Execute();
}
