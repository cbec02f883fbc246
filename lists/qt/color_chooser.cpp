#include "lists/qt/color_chooser.h"

#include <QColorDialog>
#include <QIcon>
#include <QPixmap>

namespace {

ColourChoiceHook& Hook() {
  static ColourChoiceHook hook;
  return hook;
}

QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
ColorRef FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

}  // namespace

ColourChoiceHook SetColourChoiceHook(ColourChoiceHook hook) {
  ColourChoiceHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

bool ChooseColour(QWidget* parent, ColorRef* colour) {
  if (!colour) return false;
  if (Hook()) return Hook()(colour);
  const ColorRef initial = *colour == kNoColor ? kWhite : *colour;
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent, QStringLiteral("Couleur"));
  if (!chosen.isValid()) return false;
  *colour = FromQColor(chosen);
  return true;
}

ColorRef CustomColour(int index) { return FromQColor(QColorDialog::customColor(index)); }

void SetCustomColour(int index, ColorRef colour) { QColorDialog::setCustomColor(index, ToQColor(colour)); }

QenColorButton::QenColorButton(QWidget* parent, ColorRef colour) : QPushButton(parent), colour_(colour) {
  setMinimumWidth(48);
  connect(this, &QPushButton::clicked, this, &QenColorButton::Choose);
  Repaint();
}

void QenColorButton::SetColour(ColorRef colour) {
  colour_ = colour;
  Repaint();
}

void QenColorButton::Choose() {
  ColorRef c = colour_;
  if (!ChooseColour(this, &c)) return;
  SetColour(c);
  emit ColourChosen(c);
}

void QenColorButton::Repaint() {
  QPixmap swatch(32, 14);
  swatch.fill(colour_ == kNoColor ? QColor(Qt::white) : ToQColor(colour_));
  setIcon(QIcon(swatch));
  setIconSize(swatch.size());
}
