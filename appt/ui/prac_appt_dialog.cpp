#include "appt/ui/prac_appt_dialog.h"

PracApptDialog::PracApptDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module)
    : TGenDlg(parent, resource_id, launcher_info), module_(module) {}

PracApptDialog::~PracApptDialog() = default;
