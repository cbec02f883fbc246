// The suite's dialog bases in Qt: QenDialog, TTavoDlg and TGenDlg.
//
// QenDialog is a QDialog (a window, or a page inside a tab control) with a
// background colour, controls found by their
// numeric id, and a response table:
//
//   PracApptDialog::PracApptDialog(...) : TGenDlg(parent, 2003, launcher_info) {
//     auto* generate = new QPushButton("&Générer");
//     AddControl(101, generate);              // a click sends command 101
//     OnCommand(101, &PracApptDialog::CmGenerate);
//     OnNotify(107, Notify::kSelChange, &PracApptDialog::EvSortSelChange);
//   }
//   ...
//   Control<ListView>(5111)->List()->AddString("...", 1);
//   SendCommand(102);   // a dialog may send itself (or its parent) a command
//
// Registered buttons (push buttons, check boxes, radio buttons) send their
// id as a command when clicked; ListView controls send kSelChange,
// kCheckChange and kDblClick notifications; QenTabCtrl sends kSelChange.
// A ListView registered on a dialog with a layout resource receives the
// columns of that resource's list record for its id, as the suite's dialog
// base does for the lists of a dialog template.
//
// Set-up: SetupWindow() runs once, before the dialog is first shown (or
// when Create() is called, or from the set-up of the dialog that contains
// it, for pages). Overrides call the base first, like the suite's dialogs.
//
// Messages and questions go through Prompt(), which a program or a test can
// answer without a human (SetPromptHook). Nothing here throws: a handler
// that throws is caught, reported on stderr and counts as handled.
#pragma once

#include <QColor>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "host/run_outcome.h"

class QMenu;
class QAction;
class QButtonGroup;
class TField;

// Notification codes of the controls (the suite's LVN_/TCN_/EN_ codes).
enum class Notify {
  kSelChange,     // list view: selected row changed (arg = row or -1);
                  // tab control: current page changed (arg = page)
  kCheckChange,   // list view: the user ticked/cleared row `arg`
  kDblClick,      // list view: row `arg` double-clicked
  kFocusLost,     // field lost the focus (arg unused)
  kValueChanged,  // field or combo box value changed (arg unused)
};

// One message box or question of the dialog bases.
struct PromptRequest {
  QWidget* parent = nullptr;
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::Information;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};
// Returns the button pressed.
using PromptHook = std::function<QMessageBox::StandardButton(const PromptRequest&)>;

class QenDialog : public QDialog {
  Q_OBJECT
 public:
  // The suite's dialog background RGB(219, 226, 236).
  static QColor DefaultBackground() { return QColor(219, 226, 236); }

  // resource_id: the dialog's resource number (2001, 2003 ...), which also
  // names its list-layout resource; 0 = none.
  explicit QenDialog(QWidget* parent, int resource_id = 0);
  ~QenDialog() override;

  int ResourceId() const { return resource_id_; }
  void SetBkgndColor(const QColor& colour);
  QColor BkgndColor() const { return background_; }

  // --- set-up -------------------------------------------------------------
  // Runs SetupWindow once; later calls do nothing.
  void Create();
  bool IsCreated() const { return created_; }
  // Runs the dialog modally (Create() first). Returns 1 when it closed with
  // OK (command 1), 2 when cancelled.
  int Execute();

  // --- controls -----------------------------------------------------------
  // Registers control w under id (w is not reparented; the caller lays it
  // out). A second control with the same id replaces the first in look-ups.
  void AddControl(int id, QWidget* w);
  QWidget* ControlWidget(int id) const;
  template <class T>
  T* Control(int id) const { return dynamic_cast<T*>(ControlWidget(id)); }
  // The id of the registered control that contains global_pos (the control
  // itself or one of its children), -1 when none.
  int ControlAt(const QPoint& global_pos) const;
  void EnableControl(int id, bool enable);

  // --- response table -----------------------------------------------------
  using CommandHandler = std::function<void()>;
  using NotifyHandler = std::function<void(int arg)>;
  void OnCommand(int id, CommandHandler handler);
  template <class D>
  void OnCommand(int id, void (D::*fn)()) {
    D* self = static_cast<D*>(this);
    OnCommand(id, [self, fn] { (self->*fn)(); });
  }
  void OnNotify(int id, Notify code, NotifyHandler handler);
  template <class D>
  void OnNotify(int id, Notify code, void (D::*fn)(int)) {
    D* self = static_cast<D*>(this);
    OnNotify(id, code, [self, fn](int arg) { (self->*fn)(arg); });
  }
  // Runs the handler of command id. Without one, 1 runs CmOk and 2 CmCancel
  // and any other id is ignored. Returns true when a handler ran. To send a
  // command to the parent: ParentDialog()->SendCommand(id).
  bool SendCommand(int id);
  // The nearest QenDialog among the ancestors, or null.
  QenDialog* ParentDialog() const;
  // Runs the notification handler; false when none.
  bool SendNotify(int id, Notify code, int arg = 0);
  // A menu item that sends command id to this dialog.
  QAction* AddMenuCommand(QMenu* menu, int command_id, const QString& text);

  // --- messages -----------------------------------------------------------
  // Message 3050: shows module string string_id and keeps the dialog open.
  void ShowModuleMessage(int string_id);
  // Shows text (information icon); the caption is the dialog's title.
  void ShowMessage(const QString& text, QMessageBox::Icon icon = QMessageBox::Information);
  // How a run ended, told the one way every tab tells it: a warning box
  // with the outcome's line when it has one (failed, server lost, refused);
  // a finished or cancelled run says nothing.
  void ShowOutcome(const RunOutcome& outcome);
  // Yes/No question; true for Yes.
  bool AskYesNo(const QString& text);
  // Every box of the dialog bases goes through here.
  static QMessageBox::StandardButton Prompt(const PromptRequest& request);
  // Replaces the message boxes (null restores them); returns the old hook.
  static PromptHook SetPromptHook(PromptHook hook);

 protected:
  // Override to set up the dialog; call the base first. The base creates
  // the QenDialog pages found among the descendants.
  virtual void SetupWindow();
  virtual void CmOk();
  virtual void CmCancel();

  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void WireControl(int id, QWidget* w);

  int resource_id_;
  QColor background_;
  bool created_ = false;
  std::map<int, QPointer<QWidget>> controls_;  // null once a control is deleted
  std::map<int, CommandHandler> commands_;
  std::map<std::pair<int, Notify>, NotifyHandler> notifies_;
};

// RAII: answer every prompt with a hook for the life of the object (tests).
class ScopedPromptHook {
 public:
  explicit ScopedPromptHook(PromptHook hook) : old_(QenDialog::SetPromptHook(std::move(hook))) {}
  ~ScopedPromptHook() { QenDialog::SetPromptHook(std::move(old_)); }
  ScopedPromptHook(const ScopedPromptHook&) = delete;
  ScopedPromptHook& operator=(const ScopedPromptHook&) = delete;

 private:
  PromptHook old_;
};

// TTavoDlg: the record dialog. Field objects (fields.h) bind controls to the
// members of a plain transfer record; UpdateDialog moves the values.
class TTavoDlg : public QenDialog {
  Q_OBJECT
 public:
  explicit TTavoDlg(QWidget* parent, int resource_id = 0);
  ~TTavoDlg() override;

  // direction 1: record -> controls (always true). direction 0: controls ->
  // record after checking every field; when a field is invalid its message
  // is shown, it takes the focus, the record is left unchanged and the
  // answer is false.
  bool UpdateDialog(int direction);
  // True when a control differs from what UpdateDialog(1) last showed, or
  // SetDlgChanged(true) was called since.
  virtual bool AnyDlgChanges();
  void SetDlgChanged(bool changed) { changed_ = changed; }
  // The suite's confirmation before saving options as defaults (Yes/No).
  bool OkToSaveDefaults();
  static QString SaveDefaultsQuestion();

  // Fields register themselves on construction; the dialog does not own
  // them (they are widgets, owned by their Qt parent).
  void RegisterField(TField* field);
  void UnregisterField(TField* field);
  const std::vector<TField*>& Fields() const { return fields_; }
  // The exclusive button group of the radio buttons bound to `field` (made
  // on first use, owned by the dialog): buttons exclude each other by the
  // member they share, whatever widget they are laid out in.
  QButtonGroup* RadioGroup(const void* field);

 protected:
  // OK: UpdateDialog(0), then close with 1 when it succeeded.
  void CmOk() override;

 private:
  std::vector<TField*> fields_;
  std::map<const void*, QButtonGroup*> radio_groups_;
  bool changed_ = false;
};

// TGenDlg: the suite's general dialog base, with the launcher information
// it was opened with.
class TGenDlg : public TTavoDlg {
  Q_OBJECT
 public:
  TGenDlg(QWidget* parent, int resource_id, long launcher_info);
  ~TGenDlg() override;

  long LauncherInfo() const { return launcher_info_; }

 private:
  long launcher_info_;
};
