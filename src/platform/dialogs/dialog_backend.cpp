#include "platform/dialogs/dialog_backend.h"

#include "platform/dialogs/message_box.h"
#include "platform/dialogs/scripted_backend.h"

namespace wb::ui {
namespace {

ScriptedBackend& DefaultBackend() {
  static ScriptedBackend backend;
  return backend;
}

DialogBackend* g_backend = nullptr;
int g_resourceDepth = 0;

}  // namespace

DialogBackend& Backend() { return g_backend ? *g_backend : DefaultBackend(); }

DialogBackend* SetBackend(DialogBackend* backend) {
  DialogBackend* previous = g_backend;
  g_backend = backend;
  return previous;
}

void PumpOneMessage() { Backend().PumpOneMessage(); }

ResourceOverride::ResourceOverride() { ++g_resourceDepth; }
ResourceOverride::~ResourceOverride() { --g_resourceDepth; }
int ResourceOverride::Depth() { return g_resourceDepth; }

}  // namespace wb::ui

int AfxMessageBox(const CString& text, unsigned type) {
  return wb::ui::Backend().MessageBox(text, CString(), type);
}

int MessageBoxW(const CString& text, const CString& caption, unsigned type) {
  return wb::ui::Backend().MessageBox(text, caption, type);
}
