#include "audit/ui/audit_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "audit/audit_drill.h"
#include "audit/audit_generator.h"
#include "audit/audit_group.h"
#include "audit/audit_options.h"
#include "audit/audit_style.h"
#include "audit/ui/audit_list_tools.h"
#include "lists/qt/preset_menu.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "lists/group_list.h"
#include "lists/qt/drill_dialog.h"
#include "lists/qt/vantra_tab_ctrl.h"
#include "host/qt/list_view.h"
#include "host/strings.h"
#include "suite/pick_lists.h"

namespace {

constexpr int kUserCursor = 37;

QString Module(int id) { return QString::fromUtf8(ModuleString(id)); }

ListView* MakeList(QenDialog* dialog, QWidget* parent, int id, int layout_resource, bool bare) {
  auto* view = new ListView(id, parent);
  if (bare) {
    LoadRes(view->List(), layout_resource);
  } else {
    LoadDialogListRes(view->List(), layout_resource, id);
  }
  dialog->AddControl(id, view);
  return view;
}

}  // namespace

// Columns as wide as their text (ListView::FitColumnsToContents),
// the last one taking what is left.
void FitResultColumns(ListView* view) {
  if (view->List()->GetCount() == 0) return;
  view->FitColumnsToContents();
  view->horizontalHeader()->setStretchLastSection(true);
}

PracListDialog::PracListDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module)
    : TGenDlg(parent, resource_id, launcher_info),
      module_(module),
      options_(std::make_unique<AuditOptions>()),
      ini_(QenApplication::Instance() ? QenApplication::Instance()->GetINI() : std::string()) {
  std::snprintf(source_values_, sizeof source_values_, "%c%c%c", 'A', 'H', 'B');
  BuildControls();
  OnCommand(kCmGenerate, &PracListDialog::CmGenerate);
  OnCommand(kCmClear, &PracListDialog::CmClear);
  OnCommand(kCmDefaults, &PracListDialog::CmDefaults);
  OnCommand(kCmReset, &PracListDialog::CmReset);
  OnNotify(kSortList, Notify::kSelChange, &PracListDialog::EvSortSelChange);
}

PracListDialog::~PracListDialog() = default;

void PracListDialog::BuildControls() {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(6, 6, 6, 6);

  // Left: the search options.
  auto* left = new QVBoxLayout;
  auto* search = new QGroupBox(QStringLiteral("Options de Recherche"), this);
  auto* grid = new QGridLayout(search);
  grid->addWidget(new QLabel(QStringLiteral("De :"), search), 0, 0);
  grid->addWidget(new TDateField(this, kFromDate, &options_->from_date), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("À :"), search), 0, 2);
  grid->addWidget(new TDateField(this, kToDate, &options_->to_date), 0, 3);
  user_list_ = MakeList(this, search, kUserList, 2001, false);
  module_list_ = MakeList(this, search, kModuleList, 2001, false);
  grid->addWidget(user_list_, 1, 0, 1, 2);
  grid->addWidget(module_list_, 1, 2, 1, 2);
  grid->setRowStretch(1, 1);
  left->addWidget(search, 3);

  auto* types = new QGroupBox(QStringLiteral("Types d'Audit"), this);
  auto* types_row = new QHBoxLayout(types);
  types_row->addWidget(new TMultButton(this, kSourceCurrent, &options_->source, source_values_[0],
                                       QStringLiteral("Courant")));
  types_row->addWidget(new TMultButton(this, kSourceArchived, &options_->source, source_values_[1],
                                       QStringLiteral("Archivé")));
  types_row->addWidget(new TMultButton(this, kSourceBoth, &options_->source, source_values_[2],
                                       QStringLiteral("Les deux")));
  left->addWidget(types);
  left->addWidget(new TRegButton(this, kTrackEntryExit, &options_->track_entry_exit,
                                 QStringLiteral("Module de trace Entrées/Sorties?")));

  auto* order = new QGroupBox(QStringLiteral("Sommaire && Ordre Par"), this);
  auto* order_box = new QVBoxLayout(order);
  sort_list_ = MakeList(this, order, kSortList, 2001, false);
  sort_list_->setMinimumHeight(110);
  order_box->addWidget(sort_list_);
  auto* reset = new QPushButton(QStringLiteral("R&eset"), order);
  AddControl(kCmReset, reset);
  order_box->addWidget(reset, 0, Qt::AlignRight);
  left->addWidget(order, 1);

  auto* buttons = new QHBoxLayout;
  auto* generate = new QPushButton(QStringLiteral("&Générer"), this);
  auto* clear = new QPushButton(QStringLiteral("&Effacé"), this);
  auto* defaults = new QPushButton(QStringLiteral("Défauts"), this);
  AddControl(kCmGenerate, generate);
  AddControl(kCmClear, clear);
  AddControl(kCmDefaults, defaults);
  generate->setDefault(true);
  buttons->addWidget(generate);
  buttons->addWidget(clear);
  buttons->addWidget(defaults);
  left->addLayout(buttons);
  presets_ = new PresetMenu(this, {"audit", [this](Preset* p) { return CollectPreset(p); },
                                   [this](const Preset& p, long from, long to) { ApplyPreset(p, from, to); }});
  left->addWidget(presets_->Button());

  auto* left_panel = new QWidget(this);
  left_panel->setLayout(left);
  left_panel->setFixedWidth(340);
  outer->addWidget(left_panel);

  // Right: the inner tab control with the two result lists.
  inner_tab_ = new QenVantraTabCtrl(kInnerTab, this, QColor(219, 226, 236));
  AddControl(kInnerTab, inner_tab_);
  detailed_ = MakeList(this, inner_tab_, kDetailedList, 300, true);
  summary_ = MakeList(this, inner_tab_, kSummaryList, 301, true);
  inner_tab_->AddPage(10, detailed_, 0, QColor(151, 43, 174), 0);
  inner_tab_->AddPage(11, summary_, 1, QColor(163, 80, 140), 0);
  outer->addWidget(inner_tab_, 1);

  // The option lists spread their columns over their width, in proportion to
  // the layouts' widths; the result lists fit their columns to what they hold
  // after each generation.
  for (ListView* view : {user_list_, module_list_, sort_list_}) {
    view->List()->AdjustColumns();
  }
  // Total rows and the "Tous" rows in the emphasis font; the right-click
  // menu 1002 over the inner tab control (chart, filter, print, export).
  for (ListView* view : {detailed_, summary_, user_list_, module_list_}) InstallAuditRowEmphasis(view);
  connect(detailed_, &ListView::CellActivated, this, [this](int row, int column) { DrillCell(false, row, column); });
  connect(summary_, &ListView::CellActivated, this, [this](int row, int column) { DrillCell(true, row, column); });
  tools_ = new AuditListTools(
      this, inner_tab_,
      [this] {
        const int kind = inner_tab_->GetSel() == 1 ? 1 : 0;
        // A group's summary charts the group's total (the clinics' rows
        // above it would count twice); a group's detailed list charts the
        // clinics' rows, which its total only counts.
        const AuditGroupLists* group = group_[kind].get();
        const QenListWindow* chart = group != nullptr && kind == 1 ? group->total.get() : nullptr;
        return AuditShownList{ShownList(), ShownView(), kind, chart};
      },
      options_.get(), 1002, LauncherInfo());
  tools_->SetCellDrill([this](int kind, int row, int column) { DrillCell(kind == 1, row, column); });
}

void PracListDialog::SetupWindow() {
  TGenDlg::SetupWindow();
  ReadOptions();
  FillUserList();
  FillModuleList();
  FillSortList();
  UpdateDialog(1);
}

void PracListDialog::ReadOptions() {
  ReadAuditTabOptions(IniReaderOf(ini_), ldate_today(), options_.get());
}

bool PracListDialog::CollectPreset(Preset* out) {
  if (!UpdateDialog(0)) return false;
  CollectSubtotals();
  CollectUsers();
  CollectModules();
  WriteAuditDefaults(*options_, [out](const char* key, const std::string& value) {
    AddPresetKey(out, key, value);
    return true;
  });
  if (inner_tab_->GetSel() == 1) out->flags.emplace_back("summary", "");
  out->from = options_->from_date;
  out->to = options_->to_date;
  return true;
}

void PracListDialog::ApplyPreset(const Preset& preset, long from, long to) {
  ReadAuditTabOptions(PresetReader(preset, IniReaderOf(ini_)), ldate_today(), options_.get());
  if (from != 0) {
    options_->from_date = from;
    options_->to_date = to;
  }
  FillUserList();
  FillModuleList();
  FillSortList();
  UpdateDialog(1);
  bool summary = false;
  for (const auto& [flag, value] : preset.flags) summary = summary || flag == "summary";
  inner_tab_->SetSel(summary ? 1 : 0);
}

QenListWindow* PracListDialog::SortList() const { return sort_list_->List(); }
QenListWindow* PracListDialog::UserList() const { return user_list_->List(); }
QenListWindow* PracListDialog::ModuleList() const { return module_list_->List(); }

QenListWindow* PracListDialog::ShownList() const { return ShownView()->List(); }
ListView* PracListDialog::ShownView() const { return inner_tab_->GetSel() == 1 ? summary_ : detailed_; }

void PracListDialog::FillUserList() {
  QenListWindow* list = UserList();
  list->ClearList();
  int row = list->AddString(ModuleString(13), 0);
  list->Check(row, options_->all_users == 'Y');
  QenApplication* app = QenApplication::Instance();
  GenDB* db = app ? app->GetDb() : nullptr;
  if (!db) return;
  const std::string sql = UsersSql(db->dbPrefix());
  if (db->dbExecute(sql.c_str(), kUserCursor) == 0) {
    for (int r = db->dbFetch(0, kUserCursor); r == 0; r = db->dbFetch(1, kUserCursor)) {
      long id = 0;
      char logon[kAuditUserCap] = {};
      db->dbGetLong(1, &id, kUserCursor);
      db->dbGetString(2, logon, sizeof logon, kUserCursor);
      int added = list->AddString(logon, id);
      bool listed = false;
      for (int u = 0; u < kAuditMaxUsers && options_->users[u][0]; ++u) {
        listed = listed || std::strcmp(options_->users[u], logon) == 0;
      }
      list->Check(added, options_->all_users != 'Y' && listed);
    }
  }
  db->dbClose(kUserCursor);
}

void PracListDialog::FillModuleList() {
  QenListWindow* list = ModuleList();
  list->ClearList();
  int row = list->AddString(ModuleString(13), 0);
  list->Check(row, options_->all_modules == 'Y');
  QenApplication* app = QenApplication::Instance();
  bool charts = app && app->HasChartComponent();
  for (int i = 0; AuditModuleTable[i].string_id != 0; ++i) {
    const AuditModuleRow& m = AuditModuleTable[i];
    if (m.chart == 1 && !charts) continue;
    int added = list->AddString(HostString(m.string_id), m.code);
    bool listed = false;
    for (int k = 0; k < kAuditMaxModules && options_->modules[k] != 0; ++k) {
      listed = listed || options_->modules[k] == m.code;
    }
    list->Check(added, options_->all_modules != 'Y' && listed);
  }
}

void PracListDialog::FillSortList() {
  QenListWindow* list = SortList();
  list->ClearList();
  for (int i = 0; AuditSortKeyTable[i].key != 0; ++i) {
    const AuditSortKeyRow& k = AuditSortKeyTable[i];
    char position[8] = "";
    for (int p = 0; p < options_->sort_key_count && p < 4; ++p) {
      if (options_->sort_keys[p] == k.key) std::snprintf(position, sizeof position, "%d", p + 1);
    }
    char text[128];
    std::snprintf(text, sizeof text, " \t%s \t%s", position, HostString(k.string_id));
    int row = list->AddString(text, k.key);
    list->Check(row, i < 4 && options_->subtotal[i] == 1);
  }
  sort_list_->FitColumnsToContents();
}

void PracListDialog::EvSortSelChange(int row) {
  QenListWindow* list = SortList();
  if (row < 0 || row >= list->GetCount()) return;
  short key = static_cast<short>(list->GetItemData(row));
  for (int p = 0; p < options_->sort_key_count && p < 4; ++p) {
    if (options_->sort_keys[p] == key) return;
  }
  if (options_->sort_key_count >= 4) return;
  std::string name(list->GetItemText(row, 2));
  char text[128];
  std::snprintf(text, sizeof text, " \t%hd \t %s", static_cast<short>(options_->sort_key_count + 1),
                name.c_str());
  list->SetString(row, text);
  list->SetItemData(row, key);
  options_->sort_keys[options_->sort_key_count++] = key;
}

void PracListDialog::CmReset() {
  for (int i = 0; i < 4; ++i) {
    options_->sort_keys[i] = 0;
    options_->subtotal[i] = 0;
  }
  options_->sort_key_count = 0;
  FillSortList();
}

void PracListDialog::CollectUsers() {
  QenListWindow* list = UserList();
  options_->all_users = list->GetCount() > 0 && list->IsChecked(0) ? 'Y' : 'N';
  std::memset(options_->users, 0, sizeof options_->users);
  for (int row = 1; row < list->GetCount(); ++row) {
    if (!list->IsChecked(row)) continue;
    std::string name(list->GetItemText(row, 0));
    if (!options_->AddUser(name.c_str()) && options_->UserCount() >= kAuditMaxUsers) break;
  }
}

void PracListDialog::CollectModules() {
  QenListWindow* list = ModuleList();
  options_->all_modules = list->GetCount() > 0 && list->IsChecked(0) ? 'Y' : 'N';
  std::memset(options_->modules, 0, sizeof options_->modules);
  for (int row = 1; row < list->GetCount(); ++row) {
    long code = list->GetItemData(row);
    if (!list->IsChecked(row) || code == 0) continue;
    if (!options_->AddModule(code) && options_->ModuleCount() >= kAuditMaxModules) break;
  }
}

void PracListDialog::CollectSubtotals() {
  QenListWindow* list = SortList();
  for (int i = 0; i < 4; ++i) options_->subtotal[i] = i < list->GetCount() && list->IsChecked(i) ? 1 : 0;
}

void PracListDialog::CmGenerate() {
  if (!UpdateDialog(0)) return;
  CollectUsers();
  CollectModules();
  CollectSubtotals();
  bool summary = inner_tab_->GetSel() == 1;
  if (const ClinicGroupChoice* group = ApplicationGroup()) {
    GenerateGroup(*group, summary);
    return;
  }
  QenListWindow* target = summary ? summary_->List() : detailed_->List();
  target->ClearList();
  if (group_[summary ? 1 : 0] != nullptr) {
    group_[summary ? 1 : 0].reset();
    InstallAuditRowEmphasis(summary ? summary_ : detailed_);
  }
  std::unique_ptr<PracBaseGenerator> generator;
  if (summary) {
    generator = std::make_unique<PracSummaryGenerator>(ApplicationDb(), static_cast<QWidget*>(this), options_.get());
  } else {
    generator = std::make_unique<PracDetailedGenerator>(ApplicationDb(), static_cast<QWidget*>(this), options_.get());
  }
  DrillState& drill = drill_[summary ? 1 : 0];
  drill.map.list_id = target->Id();
  generator->KeepDrillMap(&drill.map);
  {
    // The view hears of the rows in a few steps while the meter keeps the
    // event loop running, and of the last ones when the batch ends.
    ListBatch batch(target);
    generator->Generate(target);
  }
  FitResultColumns(summary ? summary_ : detailed_);
  // Any statement that failed is reported once: a refused statement or a
  // lost server may have cost rows, a missing look-up table leaves names
  // empty; either way the list is not whole.
  last_outcome_ = generator->Outcome();
  drill.options = std::make_unique<AuditOptions>(*options_);
  drill.partial = !last_outcome_.Finished();
  ShowOutcome(last_outcome_);
}

void PracListDialog::GenerateGroup(const ClinicGroupChoice& group, bool summary) {
  const int kind = summary ? 1 : 0;
  ListView* view = summary ? summary_ : detailed_;
  QenListWindow* target = view->List();
  target->ClearList();
  drill_[kind].options.reset();
  const ClinicPoolOptions pool = group.Pool(static_cast<QWidget*>(this), "Journal d'audit du groupe — cabinets terminés : %v de %m");
  auto lists = std::make_unique<AuditGroupLists>();
  last_outcome_ = GenerateAuditGroup(pool, group.prefixes, *options_, summary, lists.get(), true);
  group_[kind] = std::move(lists);
  group_choice_[kind] = std::make_unique<ClinicGroupChoice>(group);
  drill_[kind].options = std::make_unique<AuditOptions>(*options_);
  AuditGroupLists* shown = group_[kind].get();
  {
    ListBatch batch(target);
    ComposeGroupList(shown->parts, target, &shown->origins);
  }
  view->SetFullWidthRows(GroupHeadingRows(shown->origins));
  // Headings bold; every other row as its clinic's (or the total's) list
  // has it.
  std::vector<CellStyleFn> styles;
  for (const GroupPart& part : shown->parts) styles.push_back(AuditRowEmphasis(part.list));
  view->SetRowStyleHook([style = GroupCellStyle(&shown->origins, std::move(styles))](int row) {
    RowStyle s;
    s.bold = style(row, 0).bold;
    return s;
  });
  FitResultColumns(view);
  ShowOutcome(last_outcome_);
}

DrillDialog* PracListDialog::DrillCell(bool summary, int row, int column) {
  if (const AuditGroupLists* group = group_[summary ? 1 : 0].get()) {
    // A clinic's line drills on that clinic, over a connection of its own
    // that lives as long as the drill window; a heading or a line of the
    // group's total is refused in one line (DrillAuditGroupCell).
    const ClinicGroupChoice& choice = *group_choice_[summary ? 1 : 0];
    const ClinicPoolOptions pool = choice.Pool(nullptr, std::string());
    std::unique_ptr<GenDB> db;
    DrillResult result = DrillAuditGroupCell(pool, *drill_[summary ? 1 : 0].options, *group, {row, column}, &db);
    return ShowDrillOn(this, std::move(result), std::move(db), InstallAuditRowEmphasis, LauncherInfo());
  }
  const DrillState& drill = drill_[summary ? 1 : 0];
  const QenListWindow* list = (summary ? summary_ : detailed_)->List();
  if (!drill.options) return nullptr;  // never generated: nothing to open
  return ShowDrill(this,
                   DrillAuditCell(ApplicationDb(), this, *drill.options, *list, drill.map, {row, column}, drill.partial),
                   InstallAuditRowEmphasis, LauncherInfo());
}

void PracListDialog::CmClear() {
  QenListWindow* list = ShownList();
  if (list->GetCount() == 0) {
    list->ClearList();
    return;
  }
  PromptRequest ask;
  ask.parent = this;
  ask.caption = windowTitle();
  ask.text = Module(12);
  ask.icon = QMessageBox::Question;
  ask.buttons = QMessageBox::Yes | QMessageBox::No;
  if (Prompt(ask) != QMessageBox::No) list->ClearList();
}

void PracListDialog::CmDefaults() {
  if (!OkToSaveDefaults() || !UpdateDialog(0)) return;
  CollectSubtotals();
  CollectUsers();
  CollectModules();
  if (!WriteAuditDefaults(*options_, IniWriterOf(ini_))) {
    ShowMessage(QStringLiteral("Les défauts n'ont pas pu être enregistrés : %1")
                    .arg(QString::fromStdString(ini_.LastError())),
                QMessageBox::Warning);
  }
}
