// PracGoalsOptionsDialog: "Objectif Options" (dialog 2011), the display
// options of the goals tab, edited on a copy of the tab's record and given
// back only on OK.
//
// Controls: 116 "Ne pas afficher le montant des objectifs", 117 "Arrondir le
// pourcentage", 118 "Ajouter une colonne totale"; goals display 119 "Cents",
// 120 "Dollar", 121 "Mille"; fees display 123 "Cents", 124 "Dollar", 122
// "Mille"; 101-103 colour buttons and 104-106 "Gras" of "Ligne d'année",
// "Ligne Comparer", "Ligne totale"; 107-109 colour buttons of "Objectif %
// Rge 1" to "Rge 3" with their lower (110-112) and upper (113-115) bounds.
#pragma once

#include "goals/goals_options.h"
#include "host/qt/qen_dialog.h"

class QenColorButton;

class PracGoalsOptionsDialog : public TGenDlg {
  Q_OBJECT
 public:
  PracGoalsOptionsDialog(QWidget* parent, const GoalsDisplay& display, long launcher_info = 0);
  ~PracGoalsOptionsDialog() override;

  const GoalsDisplay& Display() const { return display_; }
  QenColorButton* ColourButton(int id) const;

 protected:
  void SetupWindow() override;

 private:
  GoalsDisplay display_;
  QenColorButton* colour_buttons_[6] = {};
};
