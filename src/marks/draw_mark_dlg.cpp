#include "marks/draw_mark_dlg.h"

#include "resources/dialog_templates.h"

DrawMarkDlg* g_pDrawMarkDlg = nullptr;

DrawMarkDlg::DrawMarkDlg() : Dialog(DialogTemplate(IDD_DRAWMARK)) {}

void DrawMarkDlg::FillLists() {}
