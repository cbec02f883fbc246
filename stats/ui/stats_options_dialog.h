// StatsOptionsDialog (dialog 2008, "Couleur Des Totaux"): the colour ranges
// of the statistics lists and the monthly fees goal.
//
// The fields are bound to the StatsColorOptions record the tab hands in;
// the record changes only when the dialog closes with OK (the fields move
// their values on OK; a colour chosen with a colour button is kept in the
// dialog's copy until then).
#pragma once

#include <array>

#include "host/qt/qen_dialog.h"
#include "stats/stats_style.h"

class QenColorButton;

class StatsOptionsDialog : public TGenDlg {
  Q_OBJECT
 public:
  // options: the tab's record (not owned; written on OK only).
  StatsOptionsDialog(QWidget* parent, StatsColorOptions* options, long launcher_info);
  ~StatsOptionsDialog() override;

  bool AnyDlgChanges() override;
  // The colour button of a control id (101..172), or null.
  QenColorButton* ColourButton(int id) const;

 protected:
  void SetupWindow() override;
  void CmOk() override;

 private:
  void BuildControls();

  StatsColorOptions* target_;
  StatsColorOptions work_;  // what the fields are bound to
  bool colour_changed_ = false;
  std::array<char, 4> color_by_values_ = {'D', 'T', 'B', 0};
};
