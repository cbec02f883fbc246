// QenVantraMainDialog: the practice-analysis window, a tab control with the
// four analysis pages:
//
//   index  page             dialog  title (module string)       tab colour
//   0      PracListDialog   2001    "Journal d'audit" (59)      (151, 43, 174)
//   1      PracApptDialog   2003    "Productivité" (71)         (231, 211, 231)
//   2      PracStatDialog   2007    "Analyse du cabinet" (82)   (198, 166, 198)
//   3      PracGoalsDialog  2009    "Objectifs Mensuels" (93)   (231, 211, 231)
//
// The pages are built at once in the constructor and live as long as the
// window. A multi-line tooltip sits over the dialog: every mouse event whose
// target is the dialog or one of its descendants is relayed to it.
#pragma once

#include <memory>

#include <QPointer>

#include "host/qt/qen_dialog.h"
#include "lists/qt/vantra_tab_ctrl.h"

class QenDllHandler;
class QenMLTooltip;
class VantraMDI;
class PracListDialog;
class PracApptDialog;
class PracStatDialog;
class PracGoalsDialog;
class StatsProductivitySource;

class QenVantraMainDialog : public QenDialog {
  Q_OBJECT
 public:
  static constexpr int kTabCtrlId = 101;

  // (parent window, dialog resource 2000, handler as module).
  QenVantraMainDialog(QWidget* parent, int resource_id, QenDllHandler* module);
  ~QenVantraMainDialog() override;

  void SetMdi(VantraMDI* mdi) { mdi_ = mdi; }
  VantraMDI* Mdi() const { return mdi_; }
  QenVantraTabCtrl* TabCtrl() const { return tabs_; }
  QenMLTooltip* Tooltip() const;
  int CurrentPage() const { return tabs_->GetSel(); }

  PracListDialog* AuditPage() const { return audit_; }
  PracApptDialog* ApptPage() const { return appt_; }
  PracStatDialog* StatPage() const { return stats_; }
  PracGoalsDialog* GoalsPage() const { return goals_; }

 protected:
  void SetupWindow() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing the MDI frame closes the window: the dialog never refuses.
  void closeEvent(QCloseEvent* event) override;

 private:
  QenDllHandler* module_;
  VantraMDI* mdi_ = nullptr;
  QenVantraTabCtrl* tabs_;
  QPointer<QenMLTooltip> tooltip_;
  PracListDialog* audit_;
  PracApptDialog* appt_;
  PracStatDialog* stats_;
  PracGoalsDialog* goals_;
  // The productivity computation handed to the statistics tab (null when
  // the build has no productivity core).
  std::unique_ptr<StatsProductivitySource> productivity_;
};
