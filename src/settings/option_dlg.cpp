#include "settings/option_dlg.h"

#include "resources/dialog_templates.h"

OptionDlg::OptionDlg() : Dialog(DialogTemplate(IDD_OPTION)) {}

void OptionDlg::OnInitDialog() {}
