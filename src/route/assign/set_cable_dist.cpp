// The host command around the assignment engine: input from the main
// dialog, output back into its list, and the completion message.
#include "platform/dialogs/dialog_backend.h"
#include "platform/dialogs/message_box.h"
#include "resources/string_table.h"
#include "route/assign/cable_assignment.h"
#include "ui/main_dlg.h"

void QZ_SetCableDist() {
  // Typed at the command line before the main dialog was ever opened there
  // is no list at all: say so, as the dialog's button would. With the dialog
  // but no project the list is empty, and the run clears the keys as any
  // run does (one undo step takes it back).
  if (!g_pMainDlg) {
    AfxMessageBox(LoadModuleString(135));
    return;
  }
  // The rows are routed on a copy: the messages dispatched on the way may
  // let the user load another list into the dialog meanwhile. Lengths go
  // back only into the list they were computed for.
  CableList rows = g_pMainDlg->m_cableList;
  const CString facility = g_pMainDlg->m_lastFacility;
  AssignCables(rows, facility, {[] { wb::ui::PumpOneMessage(); }});

  if (!g_pMainDlg) return;
  MainDlg& dialog = *g_pMainDlg;
  CableList& target = dialog.m_cableList;
  if (target.sourcePath == rows.sourcePath && target.rows.size() == rows.rows.size()) {
    for (size_t k = 0; k < rows.rows.size(); ++k) {
      if (target.rows[k].number != rows.rows[k].number) continue;
      target.rows[k].hasLength = rows.rows[k].hasLength;
      target.rows[k].length = rows.rows[k].length;
    }
  }
  dialog.RefreshList();
  AfxMessageBox(LoadModuleString(134), MB_OK | MB_ICONINFORMATION);
}
