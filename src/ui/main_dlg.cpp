#include "ui/main_dlg.h"

#include "annotation/draw_note.h"
#include "marks/draw_mark_dlg.h"
#include "platform/dialogs/dialog_backend.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/document.h"
#include "platform/qzcomn/window/qzcomn_window.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "project/cable_list_export.h"
#include "project/project_dlg.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "settings/cable_setting.h"
#include "settings/option_dlg.h"

MainDlg* g_pMainDlg = nullptr;

namespace {

constexpr unsigned kListStyles = 0x31;  // grid lines, header drag and drop, full-row select
constexpr int kLengthColumn = 6;

void Queue(const char16_t* command) { ApiComn_sendCommand(command, 1, 0, 1); }

void ShowMessage(int stringId, unsigned type = MB_OK) {
  AfxMessageBox(LoadModuleString(stringId), type);
}

// The definition file's ranks are taken as written, partial sections and
// all, but a header can only show each column once: a rank outside 1..7,
// or one already shown further left, gives its place to the first column
// not shown yet.
std::vector<int> HeaderOrder(const std::array<int, 7>& ranks) {
  std::vector<int> order(ranks.size(), -1);
  std::array<bool, 7> shown{};
  for (size_t i = 0; i < ranks.size(); ++i) {
    const int column = ranks[i] - 1;  // ranks are never below 0
    if (column < 0 || column >= 7 || shown[column]) continue;
    order[i] = column;
    shown[column] = true;
  }
  int next = 0;
  for (int& column : order) {
    if (column >= 0) continue;
    while (shown[next]) ++next;
    column = next;
    shown[next] = true;
  }
  return order;
}

}  // namespace

MainDlg::MainDlg() : Dialog(DialogTemplate(IDD_MAIN)), m_list(Item(IDC_CABLELIST)) {}

void MainDlg::OnInitDialog() { SetupList(); }

void MainDlg::SetupList() {
  m_list.DeleteAllItems();
  for (int n = static_cast<int>(m_list.columns().size()); n > 0; --n) m_list.DeleteColumn(0);
  m_list.SetExtendedStyle(kListStyles);

  struct Column {
    int titleId;  // 0: the literal title
    int width;
  };
  static constexpr Column kColumns[] = {{121, 70}, {122, 165}, {130, 65}, {161, 50},
                                        {132, 65}, {162, 50},  {0, 45}};
  int index = 0;
  for (const auto& column : kColumns) {
    const CString title = column.titleId ? LoadModuleString(column.titleId) : CString(u"m");
    m_list.InsertColumn(index++, title, column.width);
  }

  ShowItem(IDC_OPTION, g_cableSetting.showOptionButton);
  ShowItem(IDC_DELETEATT, g_cableSetting.showDeleteAttButton);
  ShowItem(IDC_INITLENGTH, g_cableSetting.showInitLengthButton);

  std::array<int, 7> ranks{1, 2, 3, 4, 5, 6, 7};
  ReadListColumnOrder(m_cableList, ranks);
  m_list.SetColumnOrderArray(HeaderOrder(ranks));
  Touch(IDC_CABLELIST);
}

void MainDlg::RefreshList() {
  m_list.DeleteAllItems();
  const auto& rows = m_cableList.rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    const CableRow& row = rows[i];
    const int item = m_list.InsertItem(static_cast<int>(i), row.number);
    m_list.SetItemText(item, 1, row.size);
    m_list.SetItemText(item, 2, row.fromMark);
    m_list.SetItemText(item, 3, row.fromSubNo);
    m_list.SetItemText(item, 4, row.toMark);
    m_list.SetItemText(item, 5, row.toSubNo);
    if (row.hasLength) m_list.SetItemText(item, kLengthColumn, wb::Format(u"%.1lf", row.length));
  }
  Touch(IDC_CABLELIST);
}

std::optional<wb::ui::ColorRef> MainDlg::ListTextColor(int listId, int /*item*/, int subItem) {
  if (listId != IDC_CABLELIST || m_list.GetItemCount() == 0) return std::nullopt;
  return subItem == kLengthColumn ? wb::ui::Rgb(255, 0, 0) : wb::ui::Rgb(0, 0, 0);
}

void MainDlg::ShowConfirmButtons(bool confirming) {
  ShowItem(IDC_CONFIRM, !confirming);
  ShowItem(IDC_BACK, confirming);
}

void MainDlg::OnCommand(int id) {
  switch (id) {
    case IDC_LOAD: OnLoadProject(); break;
    case IDC_NEW: OnProjectMode(ProjectDlg::kCreate); break;
    case IDC_DELETE: OnProjectMode(ProjectDlg::kDelete); break;
    case IDC_DRAWMARK: OnDrawMark(); break;
    case IDC_DELETEMARK: Queue(u"QZ_DELETEMARK"); break;
    case IDC_DELETEATT: Queue(u"QZ_DELETECABLEATT"); break;
    case IDC_OPTION: {
      wb::ui::ResourceOverride resources;
      OptionDlg dialog;
      dialog.DoModal();
      break;
    }
    case IDC_INITLENGTH: OnInitLength(); break;
    case IDC_SAVEORDER: OnSaveColumnOrder(); break;
    case IDC_SETCABLE: OnSetCable(); break;
    case IDC_FILEOUT: OnFileOut(); break;
    case IDC_DRAWINFO: OnDrawInfo(); break;
    case IDC_CONFIRM: OnConfirm(); break;
    case IDC_BACK: Queue(u"QZ_BACKCABLE"); break;
    default: break;  // the check boxes keep their state for the annotation
  }
}

void MainDlg::OnLoadProject() {
  wb::ui::ResourceOverride resources;
  ProjectDlg dialog;
  dialog.m_mode = ProjectDlg::kLoad;
  dialog.m_selectedPlant = m_lastPlant;
  dialog.m_selectedFacility = m_lastFacility;
  if (dialog.DoModal() != IDOK) return;
  m_cableList = dialog.m_cableList;
  m_lastPlant = dialog.m_selectedPlant;
  m_lastFacility = dialog.m_selectedFacility;
  SetWindowText(m_lastFacility + u" - " + LoadModuleString(120));
  SetupList();
  RefreshList();
}

void MainDlg::OnProjectMode(int mode) {
  wb::ui::ResourceOverride resources;
  ProjectDlg dialog;
  dialog.m_mode = mode;
  dialog.m_selectedPlant = m_lastPlant;
  dialog.m_selectedFacility = m_lastFacility;
  dialog.DoModal();
}

void MainDlg::OnDrawMark() {
  if (!ProjectLoaded()) {
    ShowMessage(135);
    return;
  }
  delete g_pDrawMarkDlg;
  g_pDrawMarkDlg = nullptr;
  {
    wb::ui::ResourceOverride resources;
    g_pDrawMarkDlg = new DrawMarkDlg();
    if (!g_pDrawMarkDlg->Create()) return;
  }
  QzComn_SetCurrentWindow2(g_pDrawMarkDlg, true, 273, 2, 0);
  g_pDrawMarkDlg->ShowWindow(true);
  const wb::editor::ScreenRect view = wb::editor::ActiveViewRect();
  g_pDrawMarkDlg->MoveTo(view.left, view.top);
  g_pDrawMarkDlg->m_cableList.Clear();
  g_pDrawMarkDlg->m_cableList = m_cableList;
  g_pDrawMarkDlg->FillLists();
  ShowWindow(false);
}

void MainDlg::OnSetCable() {
  if (!ProjectLoaded()) {
    ShowMessage(135);
    return;
  }
  if (AfxMessageBox(LoadModuleString(129), MB_YESNO) != IDYES) return;
  Queue(u"QZ_SETCABLEDIST");
}

void MainDlg::OnFileOut() {
  std::string detail;
  const int message = ExportCableList(g_cableSetting, m_lastPlant, m_lastFacility, m_cableList, &detail);
  if (message == 141) {
    ShowMessage(message, MB_OK | MB_ICONINFORMATION);
    return;
  }
  // The box's title names the file and the system's reason.
  MessageBoxW(LoadModuleString(message), wb::Utf8ToUtf16(detail), MB_OK);
}

void MainDlg::OnDrawInfo() {
  delete g_pDrawNote;
  g_pDrawNote = nullptr;
  {
    wb::ui::ResourceOverride resources;
    g_pDrawNote = new CDrawNote();
    g_pDrawNote->Create();
  }
  g_pDrawNote->scale = QzComn_GetGlobalScale();
  Queue(u"QZ_DrawCableInfo");
}

void MainDlg::OnConfirm() {
  const int item = m_list.GetSelectedItem();
  if (item < 0) {
    ShowMessage(142);
    return;
  }
  if (item >= static_cast<int>(m_cableList.rows.size())) {
    ShowMessage(143);
    return;
  }
  m_selectedRow = item;
  Queue(u"QZ_CONFIRTCABLE");
}

void MainDlg::OnInitLength() {
  for (auto& row : m_cableList.rows) {
    row.hasLength = false;
    row.length = 0.0;
  }
  RefreshList();
}

void MainDlg::OnSaveColumnOrder() {
  const std::vector<int> header = m_list.GetColumnOrderArray();
  std::array<int, 7> order{1, 2, 3, 4, 5, 6, 7};
  for (size_t i = 0; i < order.size() && i < header.size(); ++i) order[i] = header[i] + 1;
  WriteListColumnOrder(m_cableList, order);
  ShowMessage(164);
}

void QZ_WireBinder() {
  LoadSettings(g_cableSetting);
  if (g_pMainDlg) {
    g_pMainDlg->ShowWindow(true);
    return;
  }
  wb::ui::ResourceOverride resources;
  g_pMainDlg = new MainDlg();
  if (g_pMainDlg->Create()) g_pMainDlg->ShowWindow(true);
}
