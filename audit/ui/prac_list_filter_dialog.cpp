#include "audit/ui/prac_list_filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "audit/audit_types.h"
#include "audit/list_filter.h"
#include "host/strings.h"

PracListFilterDialog::PracListFilterDialog(QWidget* parent, QenListWindow* list, const AuditOptions* options,
                                           void* /*module*/)
    : QenDialog(parent, kResourceId), list_(list), options_(options) {
  if (options_) {
    for (int k = 0; k < 4; ++k) flags_[k] = options_->subtotal[k];
  }
  setWindowTitle(QStringLiteral("Liste de filtres"));
  setModal(false);
  auto* top = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  column_ = new QComboBox(this);
  condition_ = new QComboBox(this);
  value_ = new QLineEdit(this);
  value_->setMaxLength(kFilterValueCap - 1);
  no_subtotal_ = new QCheckBox(QStringLiteral("Supprimer le sous-total"), this);
  form->addRow(QStringLiteral("Colonne"), column_);
  form->addRow(QStringLiteral("Condition"), condition_);
  form->addRow(QStringLiteral("Valeur"), value_);
  form->addRow(no_subtotal_);
  top->addLayout(form);
  auto* buttons = new QHBoxLayout;
  auto* execute = new QPushButton(QStringLiteral("Éxécuter"), this);
  auto* restore = new QPushButton(QStringLiteral("&Rétablir"), this);
  auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
  execute->setDefault(true);
  buttons->addWidget(execute);
  buttons->addWidget(restore);
  buttons->addStretch();
  buttons->addWidget(close);
  top->addLayout(buttons);
  AddControl(kColumn, column_);
  AddControl(kCondition, condition_);
  AddControl(kValue, value_);
  AddControl(kNoSubtotal, no_subtotal_);
  AddControl(kCmExecute, execute);
  AddControl(kCmRestore, restore);
  AddControl(2, close);
  OnCommand(kCmExecute, &PracListFilterDialog::CmExecute);
  OnCommand(kCmRestore, &PracListFilterDialog::CmRestore);
}

PracListFilterDialog::~PracListFilterDialog() = default;

void PracListFilterDialog::SetupWindow() {
  QenDialog::SetupWindow();
  EnableControl(kCmRestore, false);
  if (!(flags_[0] || flags_[1] || flags_[2] || flags_[3])) no_subtotal_->hide();
  column_->clear();
  for (const FilterColumnChoice& c : kFilterColumns) {
    column_->addItem(QString::fromUtf8(LoadTableString(StringTable::kKelvoUtils, c.title_string_id)), c.column);
  }
  condition_->clear();
  for (int id : kFilterConditionIds) {
    condition_->addItem(QString::fromUtf8(LoadTableString(StringTable::kKelvoUtils2, id)), id);
  }
}

void PracListFilterDialog::CmExecute() {
  last_deleted_ = 0;
  if (!list_ || condition_->currentIndex() < 0 || column_->currentIndex() < 0) return;
  const int condition = condition_->currentData().toInt();
  const int column = column_->currentData().toInt();
  const std::string value = value_->text().toStdString();
  SubtotalFlags flags;
  if (options_) flags = SubtotalFlagsOf(options_->subtotal);
  last_deleted_ = ApplyListFilter(list_, column, condition, value, flags, no_subtotal_->isChecked());
  if (last_deleted_ > 0) EnableControl(kCmRestore, true);
}

void PracListFilterDialog::CmRestore() {
  QenDialog* tab = ParentDialog();
  if (!tab) return;
  tab->SendCommand(102);
  EnableControl(kCmRestore, false);
}
