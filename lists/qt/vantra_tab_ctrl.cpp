#include "lists/qt/vantra_tab_ctrl.h"

QenVantraTabCtrl::QenVantraTabCtrl(int id, QWidget* parent, const QColor& background)
    : QenTabCtrl(id, parent, background) {}

long QenVantraTabCtrl::ForwardNotification(int control_id, int code, int arg) {
  switch (code) {
    case kLvnItemChanged:
    case kNmCustomDraw:
    case kNmDblClk:
      return target_ ? target_(control_id, code, arg) : 0;
    default:
      return 0;
  }
}
