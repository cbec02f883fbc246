// PracApptListDlg (dialog 2004 "Codes Selectioné"): picks appointment codes
// (ProdInfo 'C', MCBCD) or types ('T', APTCODE) into the tab's settings.
// "&Effacer" unchecks every item; "&OK" stores the checked items in list
// order (100 at most) and closes with 1.
#pragma once

#include "appt/appt_types.h"
#include "host/qt/qen_dialog.h"

class ListView;

class PracApptListDlg : public TTavoDlg {
  Q_OBJECT
 public:
  PracApptListDlg(QWidget* parent, PracApptSettings* settings);
  ~PracApptListDlg() override;
  ListView* List() const { return list_; }

 protected:
  void SetupWindow() override;
  void CmOk() override;

 private:
  PracApptSettings* settings_;
  ListView* list_ = nullptr;
};
