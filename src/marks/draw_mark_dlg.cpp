#include "marks/draw_mark_dlg.h"

#include "drawing/tagged_entities.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/command_queue.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

DrawMarkDlg* g_pDrawMarkDlg = nullptr;

namespace {
constexpr unsigned kListStyles = 0x21;  // grid lines, full-row select
}

DrawMarkDlg::DrawMarkDlg()
    : Dialog(DialogTemplate(IDD_DRAWMARK)),
      m_fromList(Item(IDC_FROMLIST)),
      m_toList(Item(IDC_TOLIST)) {}

void DrawMarkDlg::OnInitDialog() {
  m_fromList.SetExtendedStyle(kListStyles);
  m_toList.SetExtendedStyle(kListStyles);
  const bool one = g_cableSetting.oneMarkDialog;
  const int fromTitles[3] = {one ? 158 : 130, 160, one ? 159 : 131};
  const int toTitles[3] = {132, 160, 133};
  const int widths[3] = {65, 50, 100};
  for (int i = 0; i < 3; ++i) {
    m_fromList.InsertColumn(i, LoadModuleString(fromTitles[i]), widths[i]);
    m_toList.InsertColumn(i, LoadModuleString(toTitles[i]), widths[i]);
  }
  Touch(IDC_FROMLIST);
  Touch(IDC_TOLIST);
  if (!one) return;
  // One list: the From column alone, in a window half as wide (and the
  // frame) at the same place, Cancel moved under it on its own row.
  const wb::ui::WindowRect window = GetWindowRect();
  SetWindowSize(window.width / 2 + 10, window.height);
  SetDlgItemText(IDOK, LoadModuleString(157));
  ShowItem(IDC_TOSET, false);
  ShowItem(IDC_TOLIST, false);
  wb::ui::DialogRect cancel = Item(IDCANCEL).rect();
  cancel.x = Item(IDOK).rect().x;
  MoveItem(IDCANCEL, cancel);
}

void DrawMarkDlg::FillMarkLists() {
  m_fromList.DeleteAllItems();
  m_toList.DeleteAllItems();
  for (int pass = 1; pass <= 2; ++pass) {
    wb::ui::Control& target = pass == 1 || g_cableSetting.oneMarkDialog ? m_fromList : m_toList;
    for (const CableRow& row : m_cableList.rows) {
      const CString& mark = pass == 1 ? row.fromMark : row.toMark;
      const CString& name = pass == 1 ? row.fromName : row.toName;
      const CString& subNumber = pass == 1 ? row.fromSubNo : row.toSubNo;
      bool listed = false;
      for (int i = 0; i < target.GetItemCount() && !listed; ++i)
        listed = target.GetItemText(i, 0) == mark && target.GetItemText(i, 1) == subNumber &&
                 target.GetItemText(i, 2) == name;
      if (listed) continue;
      const int item = target.InsertItem(target.GetItemCount(), mark);
      target.SetItemText(item, 1, subNumber);
      target.SetItemText(item, 2, name);
    }
  }
  Touch(IDC_FROMLIST);
  Touch(IDC_TOLIST);
}

void DrawMarkDlg::GetSelectedMark(int side, CString& mark, CString& name,
                                  CString& subNumber) const {
  mark.clear();
  name.clear();
  subNumber.clear();
  const wb::ui::Control* list = nullptr;
  if (side == 1 || g_cableSetting.oneMarkDialog)
    list = &m_fromList;
  else if (side == 2)
    list = &m_toList;
  if (!list) return;
  const int item = list->GetSelectedItem();
  if (item < 0) return;
  mark = list->GetItemText(item, 0);
  subNumber = list->GetItemText(item, 1);
  name = list->GetItemText(item, 2);
}

void DrawMarkDlg::OnSetMark(int side) {
  CString mark, name, subNumber;
  GetSelectedMark(side, mark, name, subNumber);
  if (mark.empty()) {
    AfxMessageBox(LoadModuleString(123), MB_OK);
    return;
  }
  const CString facility = g_pMainDlg ? g_pMainDlg->m_lastFacility : CString();
  const AcDbObjectIdArray tagged = GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u"");
  if (tagged.empty()) {
    AfxMessageBox(LoadModuleString(126), MB_OK);
    return;
  }
  for (AcDbObjectId id : tagged) {
    if (CAttributeData::GetValueAttID(id, cablekey::kMark) == mark &&
        CAttributeData::GetValueAttID(id, cablekey::kName) == name &&
        CAttributeData::GetValueAttID(id, cablekey::kSubNumber) == subNumber &&
        CAttributeData::GetValueAttID(id, cablekey::kFacility) == facility) {
      AfxMessageBox(LoadModuleString(127), MB_OK);
      return;
    }
  }
  ApiComn_sendCommand(u"QZ_DRAWMARK", 1, 0, 1);
}

void DrawMarkDlg::OnOK() {
  m_markSide = 1;
  OnSetMark(1);
}

void DrawMarkDlg::OnCommand(int id) {
  if (id != IDC_TOSET) return;
  m_markSide = 2;
  OnSetMark(2);
}

void DrawMarkDlg::OnCancel() {
  if (g_pMainDlg) g_pMainDlg->ShowWindow(true);
  Dialog::OnCancel();
}
