// The stand-in suite's main window: an MDI frame with the menus that send the
// practice-analysis module its commands, as the suite's launcher does.
#pragma once

#include <QMainWindow>
#include <memory>

#include "host/qt/dll_handler.h"

class ClinicChoice;
class QMdiArea;

class SuiteWindow : public QMainWindow {
  Q_OBJECT
 public:
  // handler: the module's handler (from GetDllHandler), not owned; may be
  // null when the module could not be loaded (the menus then say so).
  SuiteWindow(QenDllHandler* handler, const QString& database_text);
  ~SuiteWindow() override;

  QMdiArea* MdiArea() const { return mdi_; }
  // The clinic choice in the status bar, beside the database (hidden for a
  // database without clinics). Disabled while a module window is open.
  ClinicChoice* Clinics() const { return clinics_; }
  // Sends a command to the module (2534 opens the practice analysis).
  bool SendModuleCommand(int command);
  // Asks for a record id, module id and account id, then sends 2544.
  void AskAuditHistory();
  // Sends 2544 with this data (record id 0 = the module does nothing).
  void SendAuditHistory(long record_id, long module_id, long account_id);

 private:
  QenDllHandler* handler_;
  // Enables the clinic choice when no module window is open.
  void UpdateClinicChoice();

  QMdiArea* mdi_;
  ClinicChoice* clinics_;
  HandlerData data_;
};
