#include "host/qt/render.h"

#include <QImage>
#include <QLayout>
#include <QPixmap>
#include <QWidget>

bool RenderToPng(QWidget* widget, const QString& path) {
  if (!widget) return false;
  widget->ensurePolished();
  if (!widget->testAttribute(Qt::WA_Resized)) widget->resize(widget->sizeHint().expandedTo(QSize(1, 1)));
  // A hidden window lays its children out when shown: show it where no one
  // sees it, grab, and hide it again.
  const bool show_hidden = widget->isWindow() && !widget->isVisible();
  if (show_hidden) {
    widget->setAttribute(Qt::WA_DontShowOnScreen, true);
    widget->show();
  } else if (QLayout* layout = widget->layout()) {
    layout->activate();
  }
  const QPixmap pixmap = widget->grab();
  if (show_hidden) {
    widget->hide();
    widget->setAttribute(Qt::WA_DontShowOnScreen, false);
  }
  return pixmap.toImage().save(path, "PNG");
}
