// PracStatDialog: the "Analyse du cabinet" page (practice statistics).
#pragma once

#include "host/qt/qen_dialog.h"

class QenDllHandler;

class PracStatDialog : public TGenDlg {
  Q_OBJECT
 public:
  // (tab control as parent, dialog resource, launcher information, module).
  PracStatDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module);
  ~PracStatDialog() override;

 private:
  QenDllHandler* module_;
};
