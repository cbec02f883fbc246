// PracListFilterDialog: "Liste de filtres" (dialog 2012), the modeless
// filter of the audit tab's detailed list (300).
//
// The user picks a column (combo 101, item data = list column), a condition
// (combo 102, item data = its string id 8732 "Égal à", 8733 "Différent de",
// 8740 "Contient") and types a value (edit 103, at most 255 bytes);
// "Éxécuter" (104) deletes the rows that fail and rebuilds the totals
// (ApplyListFilter), so filters can be applied one after another.
// "Supprimer le sous-total" (106, hidden when the options have no subtotal
// flag) rebuilds only the grand total. "&Rétablir" (105) sends command 102
// ("&Générer") to the audit tab, which regenerates the full list; it is
// enabled after each filter that deleted rows and disabled after a restore.
// "&Fermer" (2) closes the window.
#pragma once

#include "host/qt/qen_dialog.h"

class QComboBox;
class QLineEdit;
class QCheckBox;
class QenListWindow;
struct AuditOptions;

class PracListFilterDialog : public QenDialog {
  Q_OBJECT
 public:
  enum : int {
    kResourceId = 2012,
    kColumn = 101,
    kCondition = 102,
    kValue = 103,
    kCmExecute = 104,
    kCmRestore = 105,
    kNoSubtotal = 106,
  };

  // parent: the audit tab (the target of "&Rétablir"). list: its detailed
  // list. options: its option record (subtotal flags, read at construction
  // and again before each rebuild). module: the module's handle (unused
  // beyond the suite's signature). list and options must outlive the dialog.
  PracListFilterDialog(QWidget* parent, QenListWindow* list, const AuditOptions* options, void* module = nullptr);
  ~PracListFilterDialog() override;

  void CmExecute();
  void CmRestore();

  QComboBox* ColumnBox() const { return column_; }
  QComboBox* ConditionBox() const { return condition_; }
  QLineEdit* ValueEdit() const { return value_; }
  QCheckBox* NoSubtotalBox() const { return no_subtotal_; }
  // Rows deleted by the last "Éxécuter".
  int LastDeleted() const { return last_deleted_; }

 protected:
  void SetupWindow() override;

 private:
  QenListWindow* list_;
  const AuditOptions* options_;
  short flags_[4] = {0, 0, 0, 0};  // copied at construction: user, date, module, action
  QComboBox* column_ = nullptr;
  QComboBox* condition_ = nullptr;
  QLineEdit* value_ = nullptr;
  QCheckBox* no_subtotal_ = nullptr;
  int last_deleted_ = 0;
};
