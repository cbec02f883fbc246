#include "lists/qt/printer_select.h"

#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

namespace {

TPrinterSelectDlg::ChooseHook& Hook() {
  static TPrinterSelectDlg::ChooseHook hook;
  return hook;
}

}  // namespace

TPrinterSelectDlg::TPrinterSelectDlg(QWidget* parent, long launcher_info)
    : parent_(parent), launcher_info_(launcher_info) {}

TPrinterSelectDlg::~TPrinterSelectDlg() = default;

TPrinterSelectDlg::ChooseHook TPrinterSelectDlg::SetChooseHook(ChooseHook hook) {
  ChooseHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

int TPrinterSelectDlg::Execute() {
  printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer_->setFullPage(false);
  // The suite is Canadian: Letter unless the chosen printer says otherwise.
  printer_->setPageSize(QPageSize(QPageSize::Letter));
  chosen_ = false;
  if (Hook()) {
    chosen_ = Hook()(printer_.get());
  } else {
    QPrintDialog dialog(printer_.get(), parent_.data());
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    chosen_ = dialog.exec() == QDialog::Accepted;
  }
  if (!chosen_) printer_.reset();
  return chosen_ ? 1 : 2;
}

QPrinter* TPrinterSelectDlg::GetSelectedPrinterDC() const { return chosen_ ? printer_.get() : nullptr; }

void TPrinterSelectDlg::DeleteSelectedPrinterDC() {
  printer_.reset();
  chosen_ = false;
}
