// The module's tab control, shared by the main dialog and the pages that
// hold tabs of their own (the audit tab's detailed and summary lists).
#pragma once

#include <functional>

#include "host/qt/tab_ctrl.h"

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
