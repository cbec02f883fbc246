// PracApptOptionsDialog (dialog 2005 "Couleur & Options en Gras"): the
// colour and bold flag of each row kind (buttons 101-109, boxes 110-118) and
// three usage ranges (colour 130-132, lower bound 133-135, upper 136-138,
// 0 to 150). Changes reach the tab's record only with OK (Execute gives 1).
#pragma once

#include "appt/appt_options.h"
#include "host/qt/qen_dialog.h"

class QPushButton;

class PracApptOptionsDialog : public TTavoDlg {
  Q_OBJECT
 public:
  PracApptOptionsDialog(QWidget* parent, ApptColourOptions* colours);
  ~PracApptOptionsDialog() override;
  // True once a colour was picked, else as the base.
  bool AnyDlgChanges() override;
  const ApptColourOptions& Working() const { return working_; }

 protected:
  void SetupWindow() override;
  void CmOk() override;

 private:
  void PickColour(int id);
  void PaintButton(int id);

  ApptColourOptions* colours_;
  ApptColourOptions working_;
  bool picked_ = false;
};
