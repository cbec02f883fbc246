#include "host/qt/mdi_child.h"

#include <QMdiArea>

TvoMDIChild::TvoMDIChild(int id, QMdiArea* client, const QString& title, QWidget* client_widget,
                         bool shrink_to_client, void* /*module*/, int /*menu_position*/,
                         int /*help_context*/)
    : QMdiSubWindow(nullptr), id_(id), client_(client) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title.isEmpty() && client_widget ? client_widget->windowTitle() : title);
  if (client_widget) {
    setWidget(client_widget);
    // The frame takes the client's size: the size it was given, else its hint.
    QSize inner = client_widget->testAttribute(Qt::WA_Resized) ? client_widget->size()
                                                               : client_widget->sizeHint();
    if (shrink_to_client) resize(inner.expandedTo(QSize(320, 200)) + QSize(8, 32));
  }
}

TvoMDIChild::~TvoMDIChild() = default;

void TvoMDIChild::Create() {
  if (client_) {
    client_->addSubWindow(this);
    show();
    client_->setActiveSubWindow(this);
  } else {
    // No suite frame: the child stands alone as a top-level window.
    setWindowFlags(Qt::Window);
    show();
  }
}

void TvoMDIChild::RestoreMDIFocus() {
  if (isMinimized()) showNormal();
  if (client_) client_->setActiveSubWindow(this);
  raise();
  activateWindow();
  if (widget()) widget()->setFocus();
}

int TvoMDIChild::GetActiveChildState(QMdiArea* client) {
  if (!client) return kNone;
  QMdiSubWindow* active = client->activeSubWindow();
  if (!active) active = client->currentSubWindow();
  if (!active) return kNone;
  if (active->isMaximized()) return kMaximized;
  if (active->isMinimized()) return kMinimized;
  return kNormal;
}
