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

#include <QPointer>

#include "shell/host/qt/qen_dialog.h"
#include "shell/host/qt/tab_ctrl.h"

class QenDllHandler;
class QenMLTooltip;
class VantraMDI;
class PracListDialog;
class PracApptDialog;
class PracStatDialog;
class PracGoalsDialog;

// The list-view notifications a page's lists send through the tab control
// (the values of the suite's notification codes).
enum TabNotification : int {
  kNmDblClk = -3,
  kNmCustomDraw = -12,
  kLvnItemChanged = -101,
  kLvnColumnClick = -108,
};

// QenVantraTabCtrl: the tab control of the main dialog and of the audit
// tab. Of the notifications it receives, LVN_ITEMCHANGED, NM_CUSTOMDRAW and
// NM_DBLCLK go on unchanged to its parent dialog and the parent's answer is
// returned; every other notification yields 0.
class QenVantraTabCtrl : public QenTabCtrl {
  Q_OBJECT
 public:
  explicit QenVantraTabCtrl(int id, QWidget* parent = nullptr,
                            const QColor& background = QColor(219, 226, 236));
  // A notification `code` from control `control_id` among the pages, with
  // its argument (row, page ...). Returns the parent's answer or 0.
  long ForwardNotification(int control_id, int code, int arg);

  // The parent's handler of forwarded notifications (the dialog that holds
  // the tab control sets it); it receives (control id, code, arg).
  void SetNotifyTarget(std::function<long(int, int, int)> target) { target_ = std::move(target); }

 private:
  std::function<long(int, int, int)> target_;
};

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
};
