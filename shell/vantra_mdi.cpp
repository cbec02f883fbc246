#include "shell/vantra_mdi.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "shell/main_dialog.h"
#include "shell/vantra_app.h"

VantraMDI::VantraMDI(int id, QMdiArea* client, const QString& title, QenVantraMainDialog* dialog,
                     bool shrink_to_client, QenVantraApp* handler)
    : TvoMDIChild(id, client, title, dialog, shrink_to_client, handler, 112, 0),
      dialog_(dialog),
      handler_(handler) {
  if (dialog_) dialog_->SetMdi(this);
  setWindowIcon(ModuleIcon());
}

VantraMDI::~VantraMDI() {
  if (handler_) handler_->ForgetMdi(this);
}

QIcon ModuleIcon() {
  // A small bar chart in the audit tab's purple on the suite's background.
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(219, 226, 236));
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    const QColor bars[] = {QColor(151, 43, 174), QColor(198, 166, 198), QColor(163, 80, 140)};
    const double heights[] = {0.45, 0.75, 0.6};
    double w = size / 5.0;
    for (int i = 0; i < 3; ++i) {
      double h = heights[i] * size * 0.8;
      p.setBrush(bars[i]);
      p.drawRect(QRectF(w * (0.6 + 1.3 * i), size * 0.9 - h, w, h));
    }
    icon.addPixmap(pixmap);
  }
  return icon;
}
