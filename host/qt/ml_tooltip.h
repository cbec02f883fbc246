// QenMLTooltip: the suite's multi-line tooltip window over a dialog.
//
// Tools are widgets with a text (lines separated by '\n'). The owning dialog
// relays the mouse events of its descendants with RelayEvent; when the mouse
// rests over a tool the text is shown next to it, and it is hidden when the
// mouse leaves or a button is pressed. Inactive tooltips show nothing.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <map>

class QEvent;
class QWidget;

class QenMLTooltip : public QObject {
  Q_OBJECT
 public:
  explicit QenMLTooltip(QWidget* owner);
  ~QenMLTooltip() override;

  void AddTool(QWidget* tool, const QString& text);
  void RemoveTool(QWidget* tool);
  // TTM_ACTIVATE: on/off.
  void Activate(bool on) { active_ = on; }
  bool IsActive() const { return active_; }
  // One relayed mouse event whose target is `target`.
  void RelayEvent(QWidget* target, QEvent* event);
  // Number of events relayed since creation (for tests and diagnostics).
  long RelayedCount() const { return relayed_; }
  // Text shown now ("" when hidden).
  QString ShownText() const { return shown_; }

 private:
  QWidget* ToolFor(QWidget* target) const;
  void Show();

  QPointer<QWidget> owner_;
  std::map<QWidget*, QString> tools_;
  bool active_ = false;
  long relayed_ = 0;
  QPointer<QWidget> hover_;
  QString shown_;
  QTimer delay_;
};
