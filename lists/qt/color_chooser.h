// The colour chooser of the option dialogs, and the colour button that
// opens it.
//
// ChooseColour opens Qt's colour dialog on the current colour. Its sixteen
// custom colours are kept for the whole process (Qt holds them once per
// application), so a colour defined in one chooser is offered in the next,
// as the suite's chooser does while the module is loaded.
//
//   ColorRef c = options_.Colour[i];
//   if (ChooseColour(this, &c)) { options_.Colour[i] = c; SetDlgChanged(true); }
//
// QenColorButton shows its colour as a swatch; a click opens the chooser
// and, on OK, stores the colour and emits ColourChosen.
#pragma once

#include <QPushButton>
#include <functional>

#include "lists/list_style.h"

// True (and *colour replaced) when the user chose a colour with OK.
bool ChooseColour(QWidget* parent, ColorRef* colour);

// Replaces the dialog (tests): the hook gets the current colour and returns
// true with the chosen one. Null restores the dialog. Returns the old hook.
using ColourChoiceHook = std::function<bool(ColorRef* colour)>;
ColourChoiceHook SetColourChoiceHook(ColourChoiceHook hook);

// The custom colours of the chooser (16), as the chooser holds them.
ColorRef CustomColour(int index);
void SetCustomColour(int index, ColorRef colour);

class QenColorButton : public QPushButton {
  Q_OBJECT
 public:
  explicit QenColorButton(QWidget* parent = nullptr, ColorRef colour = kWhite);

  ColorRef Colour() const { return colour_; }
  // Shows colour (no signal).
  void SetColour(ColorRef colour);

 signals:
  void ColourChosen(ColorRef colour);

 private:
  void Choose();
  void Repaint();

  ColorRef colour_;
};
