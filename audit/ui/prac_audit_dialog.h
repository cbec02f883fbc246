// PracAuditDialog: "Historique des Audits" (dialog 2006), the audit history
// of one record, opened by the handler's command 2544 from another module
// of the suite. It generates at once when it opens.
//
// Controls: 102/103 from/to dates (no bounds at first), 5111 the list,
// 101 "&Générer", 2 "&Annuler". The options come from section
// "PRAC_DETAILED" (sort keys, subtotals, source, entry/exit tracking); the
// modules from the module that opened the history. It never writes the INI.
//
// Resizing: the buttons keep their distance to the right edge, the list its
// left and top edges and its margins to the right and bottom edges; the
// dialog cannot shrink below 80% of its first width or half its first
// height.
#pragma once

#include <QRect>
#include <memory>

#include "audit/audit_types.h"
#include "host/ini.h"
#include "host/qt/qen_dialog.h"

class AuditListTools;
class ListView;
class QenListWindow;

class PracAuditDialog : public TGenDlg {
  Q_OBJECT
 public:
  enum : int { kCmGenerate = 101, kFromDate = 102, kToDate = 103, kList = 5111 };

  // (parent window, launcher information, record id, id of the module that
  //  opened the history, account id or 0).
  PracAuditDialog(QWidget* parent, long launcher_info, long record_id, long module_id, long account_id);
  ~PracAuditDialog() override;

  long RecordId() const { return record_id_; }
  long ModuleId() const { return module_id_; }
  long AccountId() const { return account_id_; }
  AuditOptions& Options() { return *options_; }
  ListView* View() const { return view_; }
  QenListWindow* List() const;
  // How the last generation ended (host/run_outcome.h).
  const RunOutcome& LastOutcome() const { return last_outcome_; }
  AuditListTools* Tools() const { return tools_; }

  void CmGenerate();

 protected:
  void SetupWindow() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceControls();

  std::unique_ptr<AuditOptions> options_;
  long record_id_;
  long module_id_;
  long account_id_;
  WDIniObj ini_;
  ListView* view_ = nullptr;
  QWidget* generate_ = nullptr;
  QWidget* cancel_ = nullptr;
  // The first client size and the first places of the buttons and the
  // list, kept for resizing.
  QSize initial_client_;
  QRect initial_generate_;
  QRect initial_cancel_;
  QRect initial_list_;
  RunOutcome last_outcome_;
  AuditListTools* tools_ = nullptr;  // child of the dialog
};
