#include "appt/ui/appt_dialog.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "appt/appt_group.h"
#include "appt/appt_lines.h"
#include "appt/appt_drill.h"
#include "appt/appt_style.h"
#include "lists/qt/drill_dialog.h"
#include "appt/appt_generator.h"
#include "appt/ui/appt_graph_dialog.h"
#include "appt/ui/prac_appt_list_dlg.h"
#include "appt/ui/prac_appt_options_dialog.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/ini.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/strings.h"
#include "lists/group_list.h"
#include "lists/list_menu.h"
#include "lists/qt/bmp_menu.h"
#include "lists/qt/preset_menu.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"
#include "suite/calendar.h"
#include "suite/pick_lists.h"

namespace {

QString Module(int id) { return QString::fromUtf8(ModuleString(id)); }

std::string IniPath() {
  QenApplication* app = QenApplication::Instance();
  return app != nullptr ? app->GetINI() : std::string();
}

QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

PracApptDialog::PracApptDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module)
    : TGenDlg(parent, resource_id, launcher_info), module_(module) {
  settings_ = PracApptSettings();  // LoadOptions fills it at set-up
  SetBkgndColor(QColor(219, 226, 236));
  BuildControls();
  OnCommand(kChair, [this] { EvListBy(false); });
  OnCommand(kProducer, [this] { EvListBy(true); });
  OnCommand(kGenerate, &PracApptDialog::CmGenerate);
  OnCommand(kClear, &PracApptDialog::CmClear);
  OnCommand(kSave, &PracApptDialog::CmSave);
  OnCommand(kPick, &PracApptDialog::CmPick);
  OnCommand(kCmPrint, &PracApptDialog::CmPrint);
  OnCommand(kCmExport, &PracApptDialog::CmExport);
  OnCommand(kCmChart, &PracApptDialog::CmChart);
  OnCommand(kOptions, &PracApptDialog::CmOptions);
  OnCommand(kSummary, [this] { EvProdInfo('S'); });
  OnCommand(kCodes, [this] { EvProdInfo('C'); });
  OnCommand(kTypes, [this] { EvProdInfo('T'); });
  OnCommand(kTrackProd, [this] { ApplyTrackRule(); });
}

PracApptDialog::~PracApptDialog() = default;

void PracApptDialog::BuildControls() {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);
  auto* left = new QVBoxLayout;

  auto* dates = new QGridLayout;
  dates->addWidget(new QLabel(QStringLiteral("Du :"), this), 0, 0);
  dates->addWidget(new TDateField(this, kFrom, &settings_.DateFrom), 0, 1);
  dates->addWidget(new QLabel(QStringLiteral("Au :"), this), 1, 0);
  dates->addWidget(new TDateField(this, kTo, &settings_.DateTo), 1, 1);
  left->addLayout(dates);

  auto* by_list = new QGroupBox(QStringLiteral("Par Liste"), this);
  auto* by_list_box = new QVBoxLayout(by_list);
  auto* modes = new QHBoxLayout;
  modes->addWidget(new TMultButton(this, kProducer, &settings_.ListBy, 'P', QStringLiteral("Producteur")));
  modes->addWidget(new TMultButton(this, kChair, &settings_.ListBy, 'C', QStringLiteral("Salle")));
  by_list_box->addLayout(modes);
  selection_ = new ListView(kSelection, by_list);
  LoadDialogListRes(selection_->List(), 2003, kSelection);
  AddControl(kSelection, selection_);
  selection_->setMinimumHeight(140);
  by_list_box->addWidget(selection_, 1);
  left->addWidget(by_list, 1);

  auto* by_report = new QGroupBox(QStringLiteral("Par Rapport"), this);
  auto* report_box = new QGridLayout(by_report);
  report_box->addWidget(new TMultButton(this, kDaily, &settings_.ReportBy, 'D', QStringLiteral("Quotidien")), 0, 0);
  report_box->addWidget(new TMultButton(this, kWeekly, &settings_.ReportBy, 'W', QStringLiteral("Hebdomadaire")), 0,
                        1);
  report_box->addWidget(new TMultButton(this, kMonthly, &settings_.ReportBy, 'M', QStringLiteral("Mensuel")), 1, 0);
  report_box->addWidget(new TMultButton(this, kYearly, &settings_.ReportBy, 'Y', QStringLiteral("Annuel")), 1, 1);
  left->addWidget(by_report);

  auto* prod = new QGroupBox(QStringLiteral("Productivité"), this);
  auto* prod_box = new QGridLayout(prod);
  prod_box->addWidget(new TRegButton(this, kTrackProd, &settings_.TrackProd,
                                     QStringLiteral("Vérifier la productivité")), 0, 0, 1, 3);
  prod_box->addWidget(new TMultButton(this, kSummary, &settings_.ProdInfo, 'S', QStringLiteral("Sommaire")), 1, 0);
  prod_box->addWidget(new TMultButton(this, kCodes, &settings_.ProdInfo, 'C', QStringLiteral("Codes R.-V.")), 1, 1);
  prod_box->addWidget(new TMultButton(this, kTypes, &settings_.ProdInfo, 'T', QStringLiteral("Type R.-V.")), 1, 2);
  auto* pick = new QPushButton(QStringLiteral("Selectionner"), prod);
  AddControl(kPick, pick);
  prod_box->addWidget(pick, 2, 0, 1, 3);
  prod_box->addWidget(new TMultButton(this, kHours, &settings_.ProdUnits, 'H', QStringLiteral("Heures")), 3, 0);
  prod_box->addWidget(new TMultButton(this, kUnits, &settings_.ProdUnits, 'U', QStringLiteral("Unités")), 3, 1);
  prod_box->addWidget(new TMultButton(this, kBoth, &settings_.ProdUnits, 'B', QStringLiteral("Les Deux")), 3, 2);
  prod_box->addWidget(new TRegButton(this, kReportDollar, &settings_.ReportDollar,
                                     QStringLiteral("Totaux Estimation")), 4, 0, 1, 2);
  prod_box->addWidget(new TRegButton(this, kNetFees, &settings_.NetFees, QStringLiteral("Rapport Frais")), 4, 2);
  prod_box->addWidget(new TRegButton(this, kNoShows, &settings_.NoShows, QStringLiteral("Absence")), 5, 0);
  prod_box->addWidget(new TRegButton(this, kUnscheduled, &settings_.Unscheduled, QStringLiteral("Non Planifié")), 5,
                      1);
  prod_box->addWidget(new TRegButton(this, kCancelled, &settings_.Cancelled, QStringLiteral("Annuler")), 5, 2);
  prod_box->addWidget(new TRegButton(this, kTotalsOnly, &settings_.TotalsOnly, QStringLiteral("Sommaire Annulé")),
                      6, 0, 1, 3);
  left->addWidget(prod);

  auto* buttons = new QHBoxLayout;
  const struct {
    int id;
    const char* text;
  } kButtons[] = {{kGenerate, "&Générer"}, {kClear, "&Effacer"}, {kSave, "&Savegarder"}, {kOptions, "&Options"}};
  for (const auto& b : kButtons) {
    auto* button = new QPushButton(QString::fromUtf8(b.text), this);
    AddControl(b.id, button);
    buttons->addWidget(button);
  }
  left->addLayout(buttons);
  presets_ = new PresetMenu(this, {"productivity", [this](Preset* p) { return CollectPreset(p); },
                                   [this](const Preset& p, long from, long to) { ApplyPreset(p, from, to); }});
  left->addWidget(presets_->Button());
  outer->addLayout(left, 0);

  result_ = new ListView(kResult, this);
  LoadDialogListRes(result_->List(), 2003, kResult);
  AddControl(kResult, result_);
  outer->addWidget(result_, 1);
  result_->setContextMenuPolicy(Qt::CustomContextMenu);
  drill_item_ = new DrillMenuItem(this);
  connect(result_, &ListView::CellActivated, this, [this](int row, int column) { DrillCell(row, column); });
  connect(result_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { ShowMenu(result_->viewport()->mapToGlobal(pos)); });
  InstallColours();
}

void PracApptDialog::SetupWindow() {
  TGenDlg::SetupWindow();
  pick_caption_ = QStringLiteral("Selectionner");
  LoadOptions();
  UpdateDialog(1);
  FillSelectionList();
  SetUpResultColumns();
  UpdatePickCaption(settings_.ProdInfo);
  ApplyTrackRule();
  if (settings_.ProdInfo == 'S') EnableControl(kPick, false);
  if (settings_.ListBy == 'C') EnableControl(kNetFees, false);
}

void PracApptDialog::LoadOptions() {
  const WDIniObj ini(IniPath());
  auto read = [&ini](const char* key, const char* def) { return ini.read_secini(kApptIniSection, key, def); };
  ReadApptOptions(read, ldate_today(), &settings_);
  ReadApptColours(read, &colours_);
}

bool PracApptDialog::CollectPreset(Preset* out) {
  if (!UpdateDialog(0)) return false;
  ReadSelectionList();
  const auto write = [out](const char* key, const std::string& value) { AddPresetKey(out, key, value); };
  WriteApptOptions(settings_, write);
  WriteApptColours(colours_, write);
  out->from = settings_.DateFrom;
  out->to = settings_.DateTo;
  return true;
}

void PracApptDialog::ApplyPreset(const Preset& preset, long from, long to) {
  const WDIniObj ini(IniPath());
  const PresetKeyReader read = PresetReader(preset, [&ini](const char* key, const char* def) {
    return ini.read_secini(kApptIniSection, key, def);
  });
  ReadApptOptions(read, ldate_today(), &settings_);
  ReadApptColours(read, &colours_);
  if (from != 0) {
    settings_.DateFrom = from;
    settings_.DateTo = to;
  }
  UpdateDialog(1);
  FillSelectionList();
  SetUpResultColumns();
  UpdatePickCaption(settings_.ProdInfo);
  ApplyTrackRule();
  const bool track = Control<QAbstractButton>(kTrackProd)->isChecked();
  if (settings_.ProdInfo == 'S' && track) EnableControl(kPick, false);
  if (settings_.ListBy == 'C' && track) EnableControl(kNetFees, false);
}

bool PracApptDialog::ProducerMode() const {
  auto* producer = Control<QAbstractButton>(kProducer);
  return producer != nullptr && producer->isChecked();
}

void PracApptDialog::FillSelectionList() {
  QenListWindow* list = selection_->List();
  list->ClearList();
  const bool producers = ProducerMode();
  list->AddString(ModuleString(13), 0);
  list->Check(0, (producers ? settings_.AllProducers : settings_.AllChairs) == 'Y');
  std::vector<ApptChoice> choices;
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    // Every clinic's producers or chairs, so that one clinic's own can be
    // named for the group.
    const RunOutcome read = LoadGroupApptChoices(ApplicationDb(), group->prefixes, producers, &choices);
    if (!read.Finished()) ShowOutcome(read);
  } else {
    LoadApptChoices(ApplicationDb(), producers, &choices);
  }
  const bool all = (producers ? settings_.AllProducers : settings_.AllChairs) == 'Y';
  for (const ApptChoice& choice : choices) {
    const int row = list->AddString(choice.text.c_str(), 0);
    bool checked = false;
    for (int i = 0; !all && i < kApptMaxSelected; ++i) {
      const char* entry = producers ? settings_.Producers[i] : settings_.Chairs[i];
      if (entry[0] == '\0') break;
      if (choice.key == entry) checked = true;
    }
    list->Check(row, checked);
  }
  selection_->FitColumnsToContents();
}

void PracApptDialog::SetUpResultColumns() {
  const QenListWindow* list = selection_->List();
  bool all = list->GetCount() > 0 && list->IsChecked(0);
  if (!all) {
    all = list->GetCount() > 1;
    for (int r = 1; r < list->GetCount(); ++r) all = all && list->IsChecked(r);
  }
  PracApptSettings columns = settings_;
  columns.ListBy = ProducerMode() ? 'P' : 'C';
  columns.SelectedCount = 0;
  for (int r = 1; r < list->GetCount() && columns.SelectedCount < kApptMaxSelected; ++r) {
    if (!all && !list->IsChecked(r)) continue;
    std::string key(list->GetItemText(r, 0));
    while (!key.empty() && key.back() == ' ') key.pop_back();
    if (columns.ListBy == 'P') {
      CopyField(columns.Producers[columns.SelectedCount], key.c_str());
    } else {
      CopyField(columns.Chairs[columns.SelectedCount], key.c_str());
    }
    ++columns.SelectedCount;
  }
  SetUpApptColumns(result_->List(), &columns);
  settings_.TotalsColumn = columns.TotalsColumn;
  result_->List()->SetColumnWidth(0, 10);
}

void PracApptDialog::UpdatePickCaption(char prod_info) {
  int count = 0;
  for (int i = 0; i < kApptMaxSelected; ++i) {
    const char* entry = prod_info == 'C' ? settings_.ApptCodes[i] : settings_.ApptTypes[i];
    if (entry[0] == '\0') break;
    ++count;
  }
  QString caption = pick_caption_;
  if ((prod_info == 'C' || prod_info == 'T') && count > 0) caption = QStringLiteral("%1 (%2)").arg(pick_caption_).arg(count);
  if (auto* b = Control<QAbstractButton>(kPick)) b->setText(caption);
}

void PracApptDialog::ApplyTrackRule() {
  auto* track = Control<QAbstractButton>(kTrackProd);
  const bool on = track != nullptr && track->isChecked();
  for (int id : {kPick, kSummary, kCodes, kTypes, kHours, kUnits, kBoth, kReportDollar, kNetFees}) {
    EnableControl(id, on);
  }
}

void PracApptDialog::ReadSelectionList() {
  const QenListWindow* list = selection_->List();
  const bool producers = ProducerMode();
  for (int i = 0; i < kApptMaxSelected; ++i) (producers ? settings_.Producers[i] : settings_.Chairs[i])[0] = '\0';
  const char all = list->GetCount() > 0 && list->IsChecked(0) ? 'Y' : 'N';
  (producers ? settings_.AllProducers : settings_.AllChairs) = all;
  long taken = 0;
  for (int r = 1; r < list->GetCount() && taken < kApptMaxSelected; ++r) {
    if (!list->IsChecked(r)) continue;
    std::string key(list->GetItemText(r, 0).substr(0, 31));
    while (!key.empty() && key.back() == ' ') key.pop_back();
    if (producers) {
      CopyField(settings_.Producers[taken], key.c_str());
    } else {
      CopyField(settings_.Chairs[taken], key.c_str());
    }
    ++taken;
  }
  settings_.SelectedCount = taken;
}

void PracApptDialog::CmGenerate() {
  if (!UpdateDialog(0)) return;
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    GenerateGroup(*group);
    return;
  }
  DropGroup();
  result_->List()->ClearList();
  colour_list_.DeleteElems();
  SetUpResultColumns();
  {
    // The rows of the list are the known keys; its first row is "all".
    const QenListWindow* list = selection_->List();
    std::vector<std::string> known, named;
    for (int r = 1; r < list->GetCount(); ++r) {
      std::string key(list->GetItemText(r, 0));
      while (!key.empty() && key.back() == ' ') key.pop_back();
      known.push_back(key);
      if (list->IsChecked(r)) named.push_back(key);
    }
    const bool all = list->GetCount() > 0 && list->IsChecked(0);
    last_outcome_ = SelectApptKeys(ApplicationDb(), known, all, named, &settings_);
  }
  if (!last_outcome_.Finished()) {
    ShowOutcome(last_outcome_);
    return;
  }
  if (settings_.SelectedCount <= 0 || settings_.DateTo < settings_.DateFrom) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  {
    PracApptGenerator gen(ApplicationDb(), this, LauncherInfo(), &settings_);
    gen.KeepDrillMap(&drill_map_);
    gen.Generate(result_->List());
    drill_partial_ = !gen.Outcome().Finished();
    // The days done before a lost server or a failed statement stay
    // listed; the message says the list is not whole.
    last_outcome_ = gen.Outcome();
  }
  QApplication::restoreOverrideCursor();
  CollectColours();
  result_->FitColumnsToContents();
  ShowOutcome(last_outcome_);
}

void PracApptDialog::GenerateGroup(const ClinicGroupChoice& group) {
  // The list's ticks name the producers or chairs; each clinic is asked
  // for its own (GenerateApptGroup), so a producer of one clinic only is
  // listed too.
  ReadSelectionList();
  settings_.ListBy = ProducerMode() ? 'P' : 'C';
  if (settings_.DateTo < settings_.DateFrom) return;
  result_->List()->ClearList();
  colour_list_.DeleteElems();
  const ClinicPoolOptions pool = group.Pool(static_cast<QWidget*>(this), "Productivité du groupe — cabinets terminés : %v de %m");
  auto lists = std::make_unique<ApptGroupLists>();
  last_outcome_ = GenerateApptGroup(ApplicationDb(), pool, group.prefixes, settings_, false, lists.get(), true);
  group_ = std::move(lists);
  group_choice_ = std::make_unique<ClinicGroupChoice>(group);
  {
    ListBatch batch(result_->List());
    ComposeGroupList(group_->parts, result_->List(), &group_->origins);
  }
  result_->SetFullWidthRows(GroupHeadingRows(group_->origins));
  std::vector<CellStyleFn> styles;
  for (const GroupPart& part : group_->parts) {
    const QenListWindow* list = part.list;
    styles.push_back([list, colours = &colours_](int row, int column) {
      return ApptCellStyle(*list, *colours, row, column);
    });
  }
  result_style_ = GroupCellStyle(&group_->origins, std::move(styles));
  CollectColours();
  result_->FitColumnsToContents();
  result_->viewport()->update();
  ShowOutcome(last_outcome_);
}

void PracApptDialog::DropGroup() {
  group_.reset();
  const QenListWindow* list = result_->List();
  result_style_ = [list, colours = &colours_](int row, int column) { return ApptCellStyle(*list, *colours, row, column); };
}

void PracApptDialog::CollectColours() {
  colour_list_.DeleteElems();
  if (group_ == nullptr) {
    CollectApptColours(*result_->List(), colours_, &colour_list_);
    return;
  }
  CollectGroupColours(group_->parts, group_->origins,
                      [this](const QenListWindow& list, TDList* out) { CollectApptColours(list, colours_, out); },
                      &colour_list_);
}

DrillDialog* PracApptDialog::DrillCell(int row, int column) {
  if (group_ != nullptr) {
    // A clinic's line drills on that clinic, over a connection of its own
    // that lives as long as the drill window; a heading or a line of the
    // group's total is refused in one line (DrillApptGroupCell).
    const ClinicPoolOptions pool = group_choice_->Pool(nullptr, std::string());
    std::unique_ptr<GenDB> db;
    DrillResult result = DrillApptGroupCell(pool, *group_, {row, column}, &db);
    return ShowDrillOn(this, std::move(result), std::move(db), {}, LauncherInfo(), DrillOpeners{{}, history_});
  }
  return ShowDrill(this, DrillApptCell(*result_->List(), drill_map_, {row, column}, drill_partial_, ApplicationDb()), {},
                   LauncherInfo(), DrillOpeners{{}, history_});
}

void PracApptDialog::CmClear() {
  DropGroup();
  result_->List()->ClearList();
  colour_list_.DeleteElems();
  FillSelectionList();
  SetUpResultColumns();
}

void PracApptDialog::CmSave() {
  if (!OkToSaveDefaults() || !UpdateDialog(0)) return;
  WDIniObj ini(IniPath());
  ReadSelectionList();
  WriteApptOptions(settings_, [&ini](const char* key, const std::string& value) {
    ini.write_secini(kApptIniSection, key, value.c_str());
  });
  if (result_->List()->GetCount() == 0) SetUpResultColumns();
}

void PracApptDialog::CmPick() {
  auto checked = [this](int id) {
    auto* b = Control<QAbstractButton>(id);
    return b != nullptr && b->isChecked();
  };
  settings_.ProdInfo = checked(kCodes) ? 'C' : checked(kTypes) ? 'T' : 'S';
  if (settings_.ProdInfo == 'S') return;
  PracApptListDlg dialog(this, &settings_);
  if (dialog.Execute() == 1) UpdatePickCaption(settings_.ProdInfo);
}

void PracApptDialog::CmOptions() {
  PracApptOptionsDialog dialog(this, &colours_);
  if (dialog.Execute() != 1) return;
  WDIniObj ini(IniPath());
  WriteApptColours(colours_, [&ini](const char* key, const std::string& value) {
    ini.write_secini(kApptIniSection, key, value.c_str());
  });
  CollectColours();
  result_->viewport()->update();
}

void PracApptDialog::EvListBy(bool producers) {
  FillSelectionList();
  if (result_->List()->GetCount() == 0) SetUpResultColumns();
  EnableControl(kNetFees, producers);
}

void PracApptDialog::EvProdInfo(char prod_info) {
  UpdatePickCaption(prod_info);
  EnableControl(kPick, prod_info != 'S');
}

// The colour options drive the result list: text colours and bold per row
// kind, the usage ranges' backgrounds (appt_style.h).
void PracApptDialog::InstallColours() {
  DropGroup();
  result_->SetCellStyleHook([this](int row, int column, RowStyle& style) {
    const CellStyle s = result_style_(row, column);
    style.bold = s.bold;
    if (s.text != kNoColor) style.text = ToQColor(s.text);
    if (s.background != kNoColor) style.background = ToQColor(s.background);
  });
}

void PracApptDialog::ShowMenu(const QPoint& pos) {
  // Menu 1000, with its pictures as on the other tabs.
  ListMenuState state;
  state.menu_id = 1000;
  state.spreadsheet_folder = !TGetStatInfo::GetSpreadSheetDirectory().empty();
  state.row_count = result_->List()->GetCount();
  state.on_cell = drill_item_->Aim(result_, pos, [this](int row, int column) { DrillCell(row, column); });
  MakeListMenu(this, ListMenuEntries(state))->exec(pos);
}

void PracApptDialog::CmPrint() {
  TPrinterSelectDlg choice(this, LauncherInfo());
  if (choice.Execute() != 1) return;
  CPrintMultipleListViews print(this, LauncherInfo(), choice.GetSelectedPrinterDC(), ReportTitleOf(this, Module(71)));
  print.SetHeading(QString::fromStdString(PeriodText(settings_.DateFrom, settings_.DateTo)),
                   QString::fromStdString(CurrentPracticeName()));
  print.AddList(result_->List(), Module(71), result_style_, &colour_list_);
  print.Print();
  choice.DeleteSelectedPrinterDC();
}

void PracApptDialog::CmChart() {
  // A group's chart is its total's: the clinics' reports above it would
  // draw every period once per clinic and once more for the group.
  const bool total = group_ != nullptr && group_->total != nullptr;
  PracApptGraphDialog chart(this, total ? group_->total.get() : result_->List(),
                            total ? &group_->settings : &settings_, LauncherInfo());
  chart.Execute();
}

void PracApptDialog::CmExport() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const QenListWindow* list = result_->List();
  CPrintListView exporter(this, LauncherInfo(), list, nullptr, ReportTitleOf(this, Module(71)), 1, false, true);
  exporter.SetHeading(QString::fromStdString(PeriodText(settings_.DateFrom, settings_.DateTo)),
                      QString::fromStdString(CurrentPracticeName()));
  exporter.SetStyle(result_style_);
  exporter.PrintReport(CPrintListView::kSpreadsheet);
  QApplication::restoreOverrideCursor();
}
