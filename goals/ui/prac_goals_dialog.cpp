#include "goals/ui/prac_goals_dialog.h"

PracGoalsDialog::PracGoalsDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module)
    : TGenDlg(parent, resource_id, launcher_info), module_(module) {}

PracGoalsDialog::~PracGoalsDialog() = default;
