#include "goals/ui/goal_codes.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "goals/goal_editor.h"
#include "goals/ui/goals_fields.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/strings.h"

namespace {

QString MonthLabel(int m) { return QString::fromUtf8(CDate::month_name(m)); }

}  // namespace

GoalCodes::GoalCodes(QWidget* parent, int resource_id, long launcher_info, int /*id*/, void* /*module*/)
    : TGenDlg(parent, resource_id, launcher_info) {
  setWindowTitle(QStringLiteral("Configuration des objectifs"));
  auto* outer = new QHBoxLayout(this);
  list_ = new ListView(kRecordList, this);
  LoadDialogListRes(list_->List(), 2010, kRecordList);
  AddControl(kRecordList, list_);
  list_->setMinimumWidth(260);
  outer->addWidget(list_, 1);

  auto* right = new QVBoxLayout;
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Producteur :"), this), 0, 0);
  producer_ = new TProdSearchCBox(this, kProducer, transfer_.producer, sizeof transfer_.producer);
  grid->addWidget(producer_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Année :"), this), 0, 2);
  year_ = new TRegEdit(this, kYear, transfer_.year, sizeof transfer_.year);
  grid->addWidget(year_, 0, 3);
  for (int m = 0; m < 12; ++m) {
    months_[m] = new TAmount(this, kJanuary + m, &transfer_.goals[m]);
    grid->addWidget(new QLabel(MonthLabel(m + 1) + QStringLiteral(" :"), this), 1 + m % 6, (m / 6) * 2);
    grid->addWidget(months_[m], 1 + m % 6, (m / 6) * 2 + 1);
  }
  right->addLayout(grid);
  mode_label_ = new QLabel(this);
  right->addWidget(mode_label_);

  auto* bar = new QWidget(this);
  auto* bar_layout = new QHBoxLayout(bar);
  bar_layout->setContentsMargins(0, 0, 0, 0);
  AddControl(kButtonBar, bar);
  const std::pair<int, const char*> buttons[] = {
      {kCmNew, "&Nouveau"}, {kCmSave, "&Enregistrer"}, {kCmDelete, "E&ffacer"}, {kCmCopy, "&Copier"}};
  for (const auto& [command, text] : buttons) {
    auto* b = new QPushButton(QString::fromUtf8(text), bar);
    AddControl(command, b);
    bar_layout->addWidget(b);
  }
  right->addWidget(bar);
  auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
  AddControl(2, close);
  right->addWidget(close, 0, Qt::AlignRight);
  right->addStretch(1);
  outer->addLayout(right);

  OnCommand(kCmNew, &GoalCodes::CmNew);
  OnCommand(kCmSave, [this] { CmSave(); });
  OnCommand(kCmDelete, &GoalCodes::CmDelete);
  OnCommand(kCmCopy, &GoalCodes::CmCopy);
  OnNotify(kJanuary, Notify::kFocusLost, [this](int) { Jan_OutFocus(); });
  OnNotify(kRecordList, Notify::kSelChange, &GoalCodes::EvSelect);
}

GoalCodes::~GoalCodes() = default;

QenListWindow* GoalCodes::RecordList() const { return list_->List(); }
TAmount* GoalCodes::MonthField(int month) const { return month >= 1 && month <= 12 ? months_[month - 1] : nullptr; }

void GoalCodes::SetupWindow() {
  TGenDlg::SetupWindow();
  producer_->LoadProducers(ApplicationWriteDb());
  LoadList(open_on_);
  const int at = RecordList()->GetSelIndex();
  if (open_on_ != 0 && at >= 0 && RecordList()->GetItemData(at) == open_on_) {
    EvSelect(at);
  } else {
    CmNew();
  }
}

void GoalCodes::ToTransfer(const GoalInfo& g) {
  std::memcpy(transfer_.producer, g.producer, sizeof transfer_.producer);
  if (g.year != 0) {
    const std::string year = std::to_string(g.year).substr(0, sizeof transfer_.year - 1);
    std::memcpy(transfer_.year, year.c_str(), year.size() + 1);
  } else {
    transfer_.year[0] = '\0';
  }
  for (int m = 0; m < 12; ++m) transfer_.goals[m] = g.goals[m];
}

void GoalCodes::FromTransfer(GoalInfo* g) const {
  std::memcpy(g->producer, transfer_.producer, sizeof g->producer);
  g->year = static_cast<int32_t>(std::atoi(transfer_.year));
  for (int m = 0; m < 12; ++m) g->goals[m] = static_cast<int32_t>(transfer_.goals[m]);
}

void GoalCodes::LoadList(long select_id) {
  QenListWindow* list = RecordList();
  list->ClearList();
  std::vector<GoalInfo> records;
  std::string error;
  if (ApplicationWriteDb() != nullptr) LoadGoalRecords(ApplicationWriteDb(), 0, &records, &error);
  int select = -1;
  for (const GoalInfo& g : records) {
    char row[64];
    std::snprintf(row, sizeof row, "%s\t%d", g.producer, static_cast<int>(g.year));
    const int at = list->AddString(row, g.id);
    if (g.id == select_id) select = at;
  }
  if (select >= 0) list->SetSelIndex(select);
}

void GoalCodes::EvSelect(int row) {
  QenListWindow* list = RecordList();
  if (row < 0 || row >= list->GetCount()) return;
  GoalInfo g;
  std::string error;
  if (ApplicationWriteDb() == nullptr || !ReadGoalRecord(ApplicationWriteDb(), list->GetItemData(row), &g, &error)) return;
  buffer_ = g;
  selected_id_ = g.id;
  mode_ = kChanging;
  ToTransfer(buffer_);
  UpdateDialog(1);
  mode_label_->setText(QStringLiteral("Modification"));
}

void GoalCodes::CmNew() {
  buffer_ = GoalInfo();
  selected_id_ = 0;
  mode_ = kAdding;
  ToTransfer(buffer_);
  for (long& g : transfer_.goals) g = 0;
  UpdateDialog(1);
  // An empty record shows empty amounts, so the January fill can apply.
  for (TAmount* f : months_) f->clear();
  mode_label_->setText(QStringLiteral("Ajout"));
}

void GoalCodes::CmCopy() {
  if (selected_id_ == 0) return;
  buffer_ = CopyGoalRecord(buffer_);
  mode_ = kAdding;
  selected_id_ = 0;
  ToTransfer(buffer_);
  UpdateDialog(1);
  mode_label_->setText(QStringLiteral("Ajout (copie)"));
}

void GoalCodes::Jan_OutFocus() {
  std::string texts[12];
  for (int m = 0; m < 12; ++m) texts[m] = months_[m]->text().trimmed().toStdString();
  if (!JanuaryFill(mode_, texts)) return;
  for (int m = 1; m < 12; ++m) months_[m]->setText(QString::fromStdString(texts[m]));
}

bool GoalCodes::ValidateDlgFields() {
  GoalInfo g;
  FromTransfer(&g);
  const std::vector<int> failed = ValidateGoalRecord(g, static_cast<int>(ldate_today() / 10000));
  for (int id : failed) ShowModuleMessage(id);
  return failed.empty();
}

void GoalCodes::ShowDuplicate() {
  PromptRequest box;
  box.parent = this;
  box.caption = QString();
  box.text = QString::fromUtf8(LoadTableString(StringTable::kKelvoUtils, 850));
  box.icon = QMessageBox::Warning;
  Prompt(box);
}

bool GoalCodes::DuplicateExist(int mode) {
  GoalInfo g;
  FromTransfer(&g);
  if (!::DuplicateExist(ApplicationWriteDb(), g, mode, selected_id_)) return false;
  ShowDuplicate();
  return true;
}

bool GoalCodes::RefusedOnStandby() {
  GenDB* db = ApplicationWriteDb();
  if (db == nullptr || !db->dbIsStandby()) return false;
  ShowMessage(QString::fromUtf8(kStandbyRefusal), QMessageBox::Warning);
  return true;
}

bool GoalCodes::CmSave() {
  if (RefusedOnStandby()) return false;
  // The base's own checks (the amounts), then ours; nothing is cleared on a refusal.
  if (!UpdateDialog(0) || !ValidateDlgFields() || DuplicateExist(mode_)) return false;
  GoalInfo g;
  FromTransfer(&g);
  g.id = static_cast<int32_t>(mode_ == kChanging ? selected_id_ : 0);
  if (ApplicationWriteDb() == nullptr) return false;
  std::string error;
  // A change writes only the record shown: the row of its id as it was read.
  const GoalWrite result = mode_ == kAdding ? InsertGoalRecord(ApplicationWriteDb(), &g, ldate_today(), &error)
                                            : UpdateGoalRecord(ApplicationWriteDb(), g, ldate_today(), &error, &buffer_);
  switch (result) {
    case GoalWrite::kDone:
      (mode_ == kAdding ? added_ : changed_) = true;
      LoadList(g.id);
      buffer_ = g;
      selected_id_ = g.id;
      mode_ = kChanging;
      mode_label_->setText(QStringLiteral("Modification"));
      return true;
    case GoalWrite::kDuplicate:
      ShowDuplicate();
      return false;
    case GoalWrite::kMissing:
      ShowGone();
      return false;
    case GoalWrite::kChanged:
      // The user's values stay in the fields; a second save replaces the
      // other workstation's goals knowingly.
      ShowChanged();
      return false;
    default:
      ShowMessage(QStringLiteral("L'objectif n'a pas été enregistré : %1").arg(QString::fromStdString(error)),
                  QMessageBox::Warning);
      return false;
  }
}

void GoalCodes::CmDelete() {
  if (selected_id_ == 0 || ApplicationWriteDb() == nullptr || RefusedOnStandby()) return;
  if (!AskYesNo(QStringLiteral("Effacer l'objectif %1 %2 ?")
                    .arg(QString::fromUtf8(buffer_.producer))
                    .arg(buffer_.year))) {
    return;
  }
  std::string error;
  const GoalWrite result = DeleteGoalRecord(ApplicationWriteDb(), selected_id_, &error, &buffer_);
  switch (result) {
    case GoalWrite::kDone:
      deleted_ = true;
      LoadList(0);
      CmNew();
      return;
    case GoalWrite::kMissing:
      ShowGone();
      CmNew();
      return;
    case GoalWrite::kChanged:
      ShowChanged();
      return;
    default:
      ShowMessage(QStringLiteral("L'objectif n'a pas été effacé : %1").arg(QString::fromStdString(error)),
                  QMessageBox::Warning);
      return;
  }
}

void GoalCodes::ShowGone() {
  ShowMessage(QStringLiteral("Cet objectif n'existe plus (effacé d'un autre poste) : rien n'a été enregistré."),
              QMessageBox::Warning);
  // The list shows what is there now; the fields keep what was typed.
  LoadList(0);
  selected_id_ = 0;
  mode_ = kAdding;
  mode_label_->setText(QStringLiteral("Ajout"));
}

void GoalCodes::ShowChanged() {
  ShowMessage(QStringLiteral("Cet objectif a été modifié d'un autre poste depuis son affichage : rien n'a été "
                             "enregistré. Enregistrez de nouveau pour le remplacer par vos valeurs."),
              QMessageBox::Warning);
  GoalInfo now;
  std::string error;
  if (ReadGoalRecord(ApplicationWriteDb(), selected_id_, &now, &error)) buffer_ = now;
}
