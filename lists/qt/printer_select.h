// TPrinterSelectDlg: the suite's printer choice.
//
// Execute runs Qt's print dialog (QPrintDialog) over a high-resolution
// QPrinter: the printers installed through CUPS, and "Print to File (PDF)"
// (always offered), with copies, page range and orientation. The chosen
// printer is the "device context" that CPrintListView paints on.
//
//   TPrinterSelectDlg choice(this, LauncherInfo());
//   if (choice.Execute() == 1) {
//     CPrintListView print(this, info, list, choice.GetSelectedPrinterDC(), title);
//     print.Print();
//     choice.DeleteSelectedPrinterDC();
//   }
//
// A hook replaces the dialog (tests, and programs that print without a
// human): it receives the printer and returns true for OK, after setting
// for instance QPrinter::setOutputFileName.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

class TPrinterSelectDlg {
 public:
  // parent: the window the dialog is modal to (may be null).
  TPrinterSelectDlg(QWidget* parent, long launcher_info);
  ~TPrinterSelectDlg();
  TPrinterSelectDlg(const TPrinterSelectDlg&) = delete;
  TPrinterSelectDlg& operator=(const TPrinterSelectDlg&) = delete;

  // 1 when a printer was chosen (OK), 2 when the user cancelled.
  int Execute();
  // The chosen printer, or null before an OK or after DeleteSelectedPrinterDC.
  QPrinter* GetSelectedPrinterDC() const;
  // Releases the chosen printer (a print job ends when its painter ends).
  void DeleteSelectedPrinterDC();

  long LauncherInfo() const { return launcher_info_; }

  using ChooseHook = std::function<bool(QPrinter* printer)>;
  // Replaces the dialog for every later Execute (null restores it); returns
  // the previous hook.
  static ChooseHook SetChooseHook(ChooseHook hook);

 private:
  QPointer<QWidget> parent_;
  long launcher_info_;
  std::unique_ptr<QPrinter> printer_;
  bool chosen_ = false;
};

// RAII: the hook for the life of the object (tests).
class ScopedPrinterChoice {
 public:
  explicit ScopedPrinterChoice(TPrinterSelectDlg::ChooseHook hook)
      : old_(TPrinterSelectDlg::SetChooseHook(std::move(hook))) {}
  ~ScopedPrinterChoice() { TPrinterSelectDlg::SetChooseHook(std::move(old_)); }
  ScopedPrinterChoice(const ScopedPrinterChoice&) = delete;
  ScopedPrinterChoice& operator=(const ScopedPrinterChoice&) = delete;

 private:
  TPrinterSelectDlg::ChooseHook old_;
};
