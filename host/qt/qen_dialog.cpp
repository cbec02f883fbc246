#include "host/qt/qen_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QMenu>
#include <QShowEvent>
#include <cstdio>
#include <exception>

#include "host/list_layout.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/qt/tab_ctrl.h"
#include "host/strings.h"

namespace {

PromptHook& Hook() {
  static PromptHook hook;
  return hook;
}

// Runs a handler; an exception ends the handler, not the program.
template <class Fn>
void Guarded(const char* what, int id, Fn&& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vantra: %s %d: %s\n", what, id, e.what());
  } catch (...) {
    std::fprintf(stderr, "vantra: %s %d: exception inconnue\n", what, id);
  }
}

}  // namespace

// --- QenDialog ---------------------------------------------------------------

QenDialog::QenDialog(QWidget* parent, int resource_id) : QDialog(parent), resource_id_(resource_id) {
  SetBkgndColor(DefaultBackground());
}

QenDialog::~QenDialog() {
  // The controls outlive this body (Qt deletes children later): cut their
  // signals to the response table now.
  for (const auto& [id, w] : controls_)
    if (w) w->disconnect(this);
}

void QenDialog::SetBkgndColor(const QColor& colour) {
  background_ = colour;
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
  setAutoFillBackground(true);
}

void QenDialog::Create() {
  if (created_) return;
  created_ = true;
  Guarded("SetupWindow", resource_id_, [this] { SetupWindow(); });
}

void QenDialog::SetupWindow() {
  // The pages: dialogs inside this one that are not windows of their own.
  for (QenDialog* child : findChildren<QenDialog*>()) {
    if (!child->isWindow() && child->ParentDialog() == this) child->Create();
  }
}

int QenDialog::Execute() {
  Create();
  const int result = exec();
  return result == QDialog::Rejected ? 2 : result;
}

void QenDialog::showEvent(QShowEvent* event) {
  Create();
  QDialog::showEvent(event);
}

void QenDialog::reject() {
  // Escape in a page must not hide the page.
  if (!isWindow()) return;
  SendCommand(2);
}

void QenDialog::CmOk() { done(1); }

void QenDialog::CmCancel() { QDialog::reject(); }

QenDialog* QenDialog::ParentDialog() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* d = qobject_cast<QenDialog*>(w)) return d;
  return nullptr;
}

// --- controls ------------------------------------------------------------------

void QenDialog::AddControl(int id, QWidget* w) {
  if (!w) return;
  controls_[id] = w;
  if (w->objectName().isEmpty()) w->setObjectName(QStringLiteral("ctl%1").arg(id));
  WireControl(id, w);
}

void QenDialog::WireControl(int id, QWidget* w) {
  if (auto* list = qobject_cast<ListView*>(w)) {
    // The lists of a dialog template take their columns from its resource.
    if (resource_id_ != 0) LoadDialogListRes(list->List(), resource_id_, id);
    connect(list, &ListView::SelectionChanged, this,
            [this, id](int row) { SendNotify(id, Notify::kSelChange, row); });
    connect(list, &ListView::CheckChanged, this,
            [this, id](int row, bool) { SendNotify(id, Notify::kCheckChange, row); });
    connect(list, &ListView::RowDoubleClicked, this,
            [this, id](int row) { SendNotify(id, Notify::kDblClick, row); });
  } else if (auto* tabs = qobject_cast<QenTabCtrl*>(w)) {
    connect(tabs, &QenTabCtrl::SelectionChanged, this,
            [this, id](int page) { SendNotify(id, Notify::kSelChange, page); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, id](int index) { SendNotify(id, Notify::kValueChanged, index); });
  }
}

QWidget* QenDialog::ControlWidget(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second.data();
}

int QenDialog::ControlAt(const QPoint& global_pos) const {
  for (const auto& [id, w] : controls_) {
    if (!w || !w->isVisible()) continue;
    if (w->rect().contains(w->mapFromGlobal(global_pos))) return id;
  }
  return -1;
}

void QenDialog::EnableControl(int id, bool enable) {
  if (QWidget* w = ControlWidget(id)) w->setEnabled(enable);
}

// --- response table ------------------------------------------------------------

void QenDialog::OnCommand(int id, CommandHandler handler) { commands_[id] = std::move(handler); }

void QenDialog::OnNotify(int id, Notify code, NotifyHandler handler) {
  notifies_[{id, code}] = std::move(handler);
}

bool QenDialog::SendCommand(int id) {
  auto it = commands_.find(id);
  if (it != commands_.end()) {
    // Copy: the handler may replace itself in the table.
    CommandHandler handler = it->second;
    Guarded("commande", id, handler);
    return true;
  }
  if (id == 1) {
    Guarded("commande", id, [this] { CmOk(); });
    return true;
  }
  if (id == 2) {
    Guarded("commande", id, [this] { CmCancel(); });
    return true;
  }
  return false;
}

bool QenDialog::SendNotify(int id, Notify code, int arg) {
  auto it = notifies_.find({id, code});
  if (it == notifies_.end()) return false;
  NotifyHandler handler = it->second;
  Guarded("notification", id, [&] { handler(arg); });
  return true;
}

QAction* QenDialog::AddMenuCommand(QMenu* menu, int command_id, const QString& text) {
  QAction* action = menu->addAction(text);
  action->setData(command_id);
  connect(action, &QAction::triggered, this, [this, command_id] { SendCommand(command_id); });
  return action;
}

// --- messages ------------------------------------------------------------------

QMessageBox::StandardButton QenDialog::Prompt(const PromptRequest& request) {
  if (Hook()) return Hook()(request);
  QMessageBox box(request.icon, request.caption, request.text, request.buttons, request.parent);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  return clicked ? box.standardButton(clicked) : QMessageBox::NoButton;
}

PromptHook QenDialog::SetPromptHook(PromptHook hook) {
  PromptHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

void QenDialog::ShowMessage(const QString& text, QMessageBox::Icon icon) {
  PromptRequest request;
  request.parent = this;
  request.caption = window()->windowTitle();
  if (request.caption.isEmpty()) request.caption = QCoreApplication::applicationName();
  request.text = text;
  request.icon = icon;
  Prompt(request);
}

void QenDialog::ShowOutcome(const RunOutcome& outcome) {
  if (outcome.message.empty()) return;
  ShowMessage(QString::fromStdString(outcome.message), QMessageBox::Warning);
}

void QenDialog::ShowModuleMessage(int string_id) {
  ShowMessage(QString::fromUtf8(ModuleString(string_id)), QMessageBox::Warning);
}

bool QenDialog::AskYesNo(const QString& text) {
  PromptRequest request;
  request.parent = this;
  request.caption = window()->windowTitle();
  if (request.caption.isEmpty()) request.caption = QCoreApplication::applicationName();
  request.text = text;
  request.icon = QMessageBox::Question;
  request.buttons = QMessageBox::Yes | QMessageBox::No;
  return Prompt(request) == QMessageBox::Yes;
}

// --- TTavoDlg ------------------------------------------------------------------

TTavoDlg::TTavoDlg(QWidget* parent, int resource_id) : QenDialog(parent, resource_id) {}

TTavoDlg::~TTavoDlg() {
  // The field widgets are deleted after this body (they are Qt children):
  // they must not call back into a dialog that is half gone.
  for (TField* field : fields_) field->dialog_ = nullptr;
}

void TTavoDlg::RegisterField(TField* field) {
  fields_.push_back(field);
  AddControl(field->Id(), field->Widget());
}

void TTavoDlg::UnregisterField(TField* field) { std::erase(fields_, field); }

QButtonGroup* TTavoDlg::RadioGroup(const void* field) {
  QButtonGroup*& group = radio_groups_[field];
  if (!group) {
    group = new QButtonGroup(this);
    group->setExclusive(true);
  }
  return group;
}

bool TTavoDlg::UpdateDialog(int direction) {
  if (direction != 0) {
    for (TField* field : fields_) field->SetData();
    changed_ = false;
    return true;
  }
  for (TField* field : fields_) {
    QString message;
    if (!field->Validate(&message)) {
      ShowMessage(message, QMessageBox::Warning);
      field->Widget()->setFocus();
      return false;
    }
  }
  for (TField* field : fields_) field->GetData();
  return true;
}

bool TTavoDlg::AnyDlgChanges() {
  if (changed_) return true;
  for (TField* field : fields_)
    if (field->Changed()) return true;
  return false;
}

QString TTavoDlg::SaveDefaultsQuestion() {
  return QStringLiteral("Voulez-vous sauvegarder ces options comme défauts?");
}

bool TTavoDlg::OkToSaveDefaults() { return AskYesNo(SaveDefaultsQuestion()); }

void TTavoDlg::CmOk() {
  if (UpdateDialog(0)) done(1);
}

// --- TGenDlg -------------------------------------------------------------------

TGenDlg::TGenDlg(QWidget* parent, int resource_id, long launcher_info)
    : TTavoDlg(parent, resource_id), launcher_info_(launcher_info) {}

TGenDlg::~TGenDlg() = default;
