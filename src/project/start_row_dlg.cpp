#include "project/start_row_dlg.h"

#include "platform/dialogs/message_box.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

StartRowDlg::StartRowDlg() : Dialog(DialogTemplate(IDD_STARTROW)) {}

void StartRowDlg::OnInitDialog() {
  SetDlgItemText(IDC_STARTROW, wb::Format(u"%d", m_proposedRow));
}

void StartRowDlg::OnOK() {
  const int row = _wtoi(GetDlgItemText(IDC_STARTROW));
  if (row < 1) {
    AfxMessageBox(LoadModuleString(163), MB_OK);
    return;
  }
  m_startRow = row;
  EndDialog(IDOK);
}
