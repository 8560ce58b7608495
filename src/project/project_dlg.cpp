#include "project/project_dlg.h"

#include "resources/dialog_templates.h"

// The folder lists and the mode actions come with the project workflow.
ProjectDlg::ProjectDlg() : Dialog(DialogTemplate(IDD_PROJECT)) {}

void ProjectDlg::OnInitDialog() {}
