// TvoMDIChild: the suite's MDI child window, a frame around one client
// widget inside the main window's MDI area.
//
// Built around a client (the module's main dialog). Create() adds it to its
// MDI area and shows it; without an MDI area (no suite main window) the
// child is shown as a top-level window instead.
#pragma once

#include <QMdiSubWindow>

class QMdiArea;

class TvoMDIChild : public QMdiSubWindow {
  Q_OBJECT
 public:
  // State of the active child of an MDI area, as GetActiveChildState gives it.
  enum State { kNone = 0, kNormal = 1, kMinimized = 2, kMaximized = 3 };

  // (id, MDI client, title, client widget, shrink-to-client, module,
  //  menu position, help context). The last two are kept for the suite's
  //  menu merging and help; they change nothing here.
  TvoMDIChild(int id, QMdiArea* client, const QString& title, QWidget* client_widget,
              bool shrink_to_client, void* module, int menu_position = 0, int help_context = 0);
  ~TvoMDIChild() override;

  int Id() const { return id_; }
  QMdiArea* Client() const { return client_; }

  // Adds the child to its MDI area (or shows it alone) and shows it.
  void Create();
  // Brings the child forward and gives it the focus.
  void RestoreMDIFocus();
  // State of the active child of `client`: kMaximized, kMinimized, kNormal,
  // or kNone when the area has no active child (or client is null).
  static int GetActiveChildState(QMdiArea* client);

 private:
  int id_;
  QMdiArea* client_;
  QWidget* window_ = nullptr;  // the shown window: this, or the top-level holder
};
