// The module's entry point and its eight host commands.
#pragma once

#include <array>

#include "platform/editor/command_queue.h"
#include "platform/text/ustring.h"

struct ModuleCommand {
  const char16_t* group;
  const char16_t* name;  // global and local name
  int flags;
  void (*handler)();
};

// In registration order.
const std::array<ModuleCommand, 8>& ModuleCommands();

// Host messages the entry point answers.
enum AppMsgCode {
  kNullMsg = 0,
  kInitAppMsg = 1,
  kUnloadAppMsg = 2,
  kLoadDwgMsg = 3,
  kUnloadDwgMsg = 4,
};

class CQZWireBinderApp {
 public:
  bool unlocked() const { return unlocked_; }
  bool mdiAware() const { return mdiAware_; }
  int On_kInitAppMsg(void* packet);
  int On_kUnloadAppMsg(void* packet);

 private:
  bool unlocked_ = false;
  bool mdiAware_ = false;
};

CQZWireBinderApp& TheApp();

// 0 is success, as the host expects. Unloading also destroys the module's
// modeless dialogs.
extern "C" int acrxEntryPoint(int message, void* packet);

// The host API release the module is built against (our platform layer's).
inline constexpr int kApiVersion = 20;
extern "C" int acrxGetApiVersion();

// Does nothing: "戻す" queues it only to end the route confirmation prompt.
void QZ_BackCable();
