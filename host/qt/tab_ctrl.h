// QenTabCtrl: the suite's tab control with coloured tabs and pages.
//
// Pages are widgets (usually QenDialog pages) shown one at a time; each tab
// is painted in its own colour, the selected one full and the others
// lightened, with a dark or light text whichever reads better. The control
// has a numeric id (101 in the main dialog, 114 in the audit tab) and a
// background colour.
//
//   auto* tabs = new QenTabCtrl(101, this);
//   tabs->AddPage(59, page, 0, QColor(151, 43, 174), 0);   // "Journal d'audit"
//   connect(tabs, &QenTabCtrl::SelectionChanged, ...);
#pragma once

#include <QColor>
#include <QTabWidget>
#include <vector>

class QenTabBar;

class QenTabCtrl : public QTabWidget {
  Q_OBJECT
 public:
  explicit QenTabCtrl(int id, QWidget* parent = nullptr,
                      const QColor& background = QColor(219, 226, 236));
  ~QenTabCtrl() override;

  int Id() const { return id_; }

  // Adds page (reparented into the control, made a plain child widget) at
  // index (clamped to the page count; -1 = at the end), titled with module
  // string title_string_id, with its tab colour (invalid = the style's).
  // flags is kept for the suite's signature and has no effect. Returns the
  // index used.
  int AddPage(int title_string_id, QWidget* page, int index, const QColor& tab_colour, int flags = 0);
  // Same with a text title (for pages whose title is not a module string).
  int AddPage(const QString& title, QWidget* page, int index, const QColor& tab_colour, int flags = 0);

  int GetSel() const { return currentIndex(); }
  void SetSel(int index) { setCurrentIndex(index); }
  int GetCount() const { return count(); }
  QWidget* Page(int index) const { return widget(index); }
  QColor TabColour(int index) const;
  void SetBkgndColor(const QColor& colour);
  QColor BkgndColor() const { return background_; }

 signals:
  // The current page changed (TCN_SELCHANGE).
  void SelectionChanged(int index);

 private:
  int id_;
  QColor background_;
  QenTabBar* bar_;
};
