// PracApptDialog: the "Productivité" page (schedule productivity).
#pragma once

#include "host/qt/qen_dialog.h"

class QenDllHandler;

class PracApptDialog : public TGenDlg {
  Q_OBJECT
 public:
  // (tab control as parent, dialog resource, launcher information, module).
  PracApptDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module);
  ~PracApptDialog() override;

 private:
  QenDllHandler* module_;
};
