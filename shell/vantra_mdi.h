// VantraMDI: the MDI child window that holds the practice-analysis window
// inside the suite's main frame.
#pragma once

#include "host/qt/mdi_child.h"

class QenVantraApp;
class QenVantraMainDialog;

class VantraMDI : public TvoMDIChild {
  Q_OBJECT
 public:
  // (id 2534, MDI client, title, main dialog, shrink-to-client, handler).
  // Links itself into the dialog and takes the module's icon 5061.
  VantraMDI(int id, QMdiArea* client, const QString& title, QenVantraMainDialog* dialog,
            bool shrink_to_client, QenVantraApp* handler);
  // Clears the handler's pointer so the next command builds a new window.
  ~VantraMDI() override;

  QenVantraMainDialog* MainDialog() const { return dialog_; }
  // The handler is going away before the window.
  void DetachHandler() { handler_ = nullptr; }

 private:
  QenVantraMainDialog* dialog_;
  QenVantraApp* handler_;
};

// Icon resource 5061 of the module: the practice-analysis icon.
class QIcon;
QIcon ModuleIcon();
