#include "host/qt/ml_tooltip.h"

#include <QCursor>
#include <QEvent>
#include <QToolTip>
#include <QWidget>

QenMLTooltip::QenMLTooltip(QWidget* owner) : QObject(owner), owner_(owner) {
  delay_.setSingleShot(true);
  delay_.setInterval(500);
  connect(&delay_, &QTimer::timeout, this, &QenMLTooltip::Show);
}

QenMLTooltip::~QenMLTooltip() = default;

void QenMLTooltip::AddTool(QWidget* tool, const QString& text) {
  if (!tool) return;
  tools_[tool] = text;
  connect(tool, &QObject::destroyed, this, [this, tool] { tools_.erase(tool); });
}

void QenMLTooltip::RemoveTool(QWidget* tool) { tools_.erase(tool); }

QWidget* QenMLTooltip::ToolFor(QWidget* target) const {
  for (QWidget* w = target; w; w = w->parentWidget()) {
    if (tools_.count(w)) return w;
    if (w == owner_) break;
  }
  return nullptr;
}

void QenMLTooltip::RelayEvent(QWidget* target, QEvent* event) {
  ++relayed_;
  if (!active_) return;
  switch (event->type()) {
    case QEvent::MouseMove: {
      QWidget* tool = ToolFor(target);
      if (tool != hover_) {
        hover_ = tool;
        if (!shown_.isEmpty()) {
          QToolTip::hideText();
          shown_.clear();
        }
        if (tool) delay_.start(); else delay_.stop();
      }
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      delay_.stop();
      if (!shown_.isEmpty()) QToolTip::hideText();
      shown_.clear();
      break;
    default:
      break;
  }
}

void QenMLTooltip::Show() {
  if (!hover_ || !active_) return;
  auto it = tools_.find(hover_.data());
  if (it == tools_.end()) return;
  shown_ = it->second;
  QToolTip::showText(QCursor::pos(), shown_, hover_);
}
