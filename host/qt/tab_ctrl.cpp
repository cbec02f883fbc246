#include "host/qt/tab_ctrl.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <algorithm>

#include "host/strings.h"

// The tab strip: each tab filled with its colour (the selected one in full,
// the others lightened towards white), a frame, and the title in black or
// white, whichever contrasts more.
class QenTabBar : public QTabBar {
 public:
  explicit QenTabBar(QWidget* parent) : QTabBar(parent) { setDrawBase(true); }

  void SetColour(int index, const QColor& colour) {
    if (index < 0) return;
    if (static_cast<int>(colours_.size()) <= index) colours_.resize(index + 1);
    colours_[index] = colour;
    update();
  }
  QColor Colour(int index) const {
    return index >= 0 && index < static_cast<int>(colours_.size()) ? colours_[index] : QColor();
  }

 protected:
  void tabInserted(int index) override {
    colours_.insert(colours_.begin() + std::min<size_t>(index, colours_.size()), QColor());
  }
  void tabRemoved(int index) override {
    if (index >= 0 && index < static_cast<int>(colours_.size())) colours_.erase(colours_.begin() + index);
  }

  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
      QStyleOptionTab option;
      initStyleOption(&option, i);
      const QColor colour = Colour(i);
      if (!colour.isValid()) {
        painter.drawControl(QStyle::CE_TabBarTab, option);
        continue;
      }
      const bool selected = i == currentIndex();
      QRect r = option.rect.adjusted(1, selected ? 0 : 2, -1, 0);
      QColor fill = selected ? colour : Lighten(colour);
      painter.setPen(colour.darker(150));
      painter.setBrush(fill);
      painter.drawRoundedRect(r.adjusted(0, 0, -1, 2), 3, 3);
      painter.setPen(TextColour(fill));
      QFont f = font();
      f.setBold(selected);
      painter.setFont(f);
      painter.drawText(r, Qt::AlignCenter | Qt::TextShowMnemonic, option.text);
    }
  }

 private:
  static QColor Lighten(const QColor& c) {
    return QColor((c.red() + 2 * 255) / 3, (c.green() + 2 * 255) / 3, (c.blue() + 2 * 255) / 3);
  }
  static QColor TextColour(const QColor& fill) {
    // Relative luminance, Rec. 601 weights.
    const int luma = (fill.red() * 299 + fill.green() * 587 + fill.blue() * 114) / 1000;
    return luma < 140 ? Qt::white : Qt::black;
  }

  std::vector<QColor> colours_;
};

QenTabCtrl::QenTabCtrl(int id, QWidget* parent, const QColor& background)
    : QTabWidget(parent), id_(id), bar_(new QenTabBar(this)) {
  setTabBar(bar_);
  setDocumentMode(false);
  SetBkgndColor(background);
  connect(this, &QTabWidget::currentChanged, this, &QenTabCtrl::SelectionChanged);
}

QenTabCtrl::~QenTabCtrl() = default;

int QenTabCtrl::AddPage(int title_string_id, QWidget* page, int index, const QColor& tab_colour,
                        int flags) {
  return AddPage(QString::fromUtf8(ModuleString(title_string_id)), page, index, tab_colour, flags);
}

int QenTabCtrl::AddPage(const QString& title, QWidget* page, int index, const QColor& tab_colour,
                        int /*flags*/) {
  if (!page) return -1;
  if (index < 0 || index > count()) index = count();
  // A dialog page becomes a plain child of the control.
  page->setParent(this, Qt::Widget);
  // The page keeps its tab's text as its window text: printouts and
  // exports of a page are titled with it.
  if (page->windowTitle().isEmpty()) page->setWindowTitle(title);
  const int at = insertTab(index, page, title);
  bar_->SetColour(at, tab_colour);
  return at;
}

QColor QenTabCtrl::TabColour(int index) const { return bar_->Colour(index); }

void QenTabCtrl::SetBkgndColor(const QColor& colour) {
  background_ = colour;
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
  setAutoFillBackground(true);
}
