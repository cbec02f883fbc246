// PracGoalsDialog: the "Objectifs Mensuels" page (monthly goals).
#pragma once

#include "host/qt/qen_dialog.h"

class QenDllHandler;

class PracGoalsDialog : public TGenDlg {
  Q_OBJECT
 public:
  // (tab control as parent, dialog resource, launcher information, module).
  PracGoalsDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module);
  ~PracGoalsDialog() override;

 private:
  QenDllHandler* module_;
};
