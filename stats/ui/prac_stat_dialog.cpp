#include "stats/ui/prac_stat_dialog.h"

PracStatDialog::PracStatDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module)
    : TGenDlg(parent, resource_id, launcher_info), module_(module) {}

PracStatDialog::~PracStatDialog() = default;
