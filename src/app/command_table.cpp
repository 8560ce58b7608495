#include "app/command_table.h"

#include "annotation/annotation_command.h"
#include "annotation/draw_note.h"
#include "marks/draw_mark_dlg.h"
#include "marks/mark_commands.h"
#include "platform/editor/command_queue.h"
#include "route/assign/cable_assignment.h"
#include "route/confirm/route_confirmation.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

namespace {
constexpr int kHidden = ACRX_CMD_TRANSPARENT | ACRX_CMD_NOHISTORY;
}

const std::array<ModuleCommand, 8>& ModuleCommands() {
  static const std::array<ModuleCommand, 8> table{{
      {u"QZWireBinder", u"QZ_WireBinder", ACRX_CMD_TRANSPARENT, &QZ_WireBinder},
      {u"QZDrawMark", u"QZ_DrawMark", kHidden, &QZ_DrawMark},
      {u"QZDeleteMark", u"QZ_DeleteMark", kHidden, &QZ_DeleteMark},
      {u"QZSetCableDist", u"QZ_SetCableDist", kHidden, &QZ_SetCableDist},
      {u"QZDrawCableInfo", u"QZ_DrawCableInfo", kHidden, &QZ_DrawCableInfo},
      {u"QZConfirtCable", u"QZ_ConfirtCable", kHidden, &QZ_ConfirtCable},
      {u"QZBackCable", u"QZ_BackCable", kHidden, &QZ_BackCable},
      {u"QZDeleteCableAtt", u"QZ_DeleteCableAtt", kHidden, &QZ_DeleteCableAtt},
  }};
  return table;
}

CQZWireBinderApp& TheApp() {
  static CQZWireBinderApp app;
  return app;
}

int CQZWireBinderApp::On_kInitAppMsg(void*) {
  unlocked_ = true;
  mdiAware_ = true;
  auto& stack = wb::editor::CommandStack::Instance();
  for (const auto& command : ModuleCommands())
    stack.Add({command.group, command.name, command.name, command.flags, command.handler});
  return 0;
}

int CQZWireBinderApp::On_kUnloadAppMsg(void*) {
  auto& stack = wb::editor::CommandStack::Instance();
  for (const auto& command : ModuleCommands()) stack.Remove(command.group, command.name);
  // No window may outlive the code that answers it: the modeless dialogs
  // go with the module.
  delete g_pDrawNote;
  g_pDrawNote = nullptr;
  delete g_pDrawMarkDlg;
  g_pDrawMarkDlg = nullptr;
  delete g_pMainDlg;
  g_pMainDlg = nullptr;
  // The module's statics end with it: a reloaded module starts from the
  // construction defaults until the next QZ_WireBinder loads the settings.
  g_cableSetting = CableSetting();
  return 0;
}

extern "C" int acrxEntryPoint(int message, void* packet) {
  switch (message) {
    case kInitAppMsg: return TheApp().On_kInitAppMsg(packet);
    case kUnloadAppMsg: return TheApp().On_kUnloadAppMsg(packet);
    default: return 0;  // the module defines no AutoLISP functions
  }
}

void QZ_BackCable() {}

// The host compares this with its own API version before it loads a module.
extern "C" int acrxGetApiVersion() { return kApiVersion; }
