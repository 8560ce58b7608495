// Any definition file: the main dialog's list shows each of its seven
// columns once, and the order saved with "列の順番を保存" comes back.
#include <cstdint>

#include "module_fuzz_setup.h"
#include "platform/dialogs/scripted_backend.h"
#include "resources/resource_ids.h"
#include "ui/main_dlg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wbfuzz::Define(std::string(reinterpret_cast<const char*>(data), size));
  wb::ui::ScriptedBackend user;  // takes the message box
  wb::ui::DialogBackend* previous = wb::ui::SetBackend(&user);
  MainDlg dialog;
  dialog.m_cableList.plant = u"P";
  dialog.m_cableList.facility = u"F";
  dialog.SetupList();
  dialog.SetupList();  // deletes the columns under the order just set
  const std::vector<int> order = dialog.m_list.GetColumnOrderArray();
  std::vector<bool> seen(7);
  for (int column : order) {
    if (order.size() != 7 || column < 0 || column >= 7 || seen[column]) std::abort();
    seen[column] = true;
  }
  dialog.Click(IDC_SAVEORDER);
  dialog.SetupList();
  if (dialog.m_list.GetColumnOrderArray() != order) std::abort();
  wb::ui::SetBackend(previous);
  return 0;
}
