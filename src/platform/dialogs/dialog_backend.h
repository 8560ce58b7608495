// What a front end provides to the dialog toolkit: modal loops, modeless
// windows, message boxes and the file-open dialog. The scripted backend
// answers from a script; the desktop host shows real windows.
#pragma once

#include <optional>

#include "platform/dialogs/color_dialog.h"
#include "platform/dialogs/dialog.h"

namespace wb::ui {

struct FileDialogRequest {
  WString title;
  WString filter;      // "CSV (*.csv)|*.csv|All (*.*)|*.*|"
  WString initialDir;  // ends with the path separator
  // What the name box shows at first: a pattern ("/p/*.csv"), a file or a
  // folder; empty for none.
  WString initialFile;
  WString defaultExtension;  // ".csv"; added to a name typed without one
  bool fileMustExist = true;
  bool readOnlyChecked = false;  // the read-only box starts checked
};

class DialogBackend {
 public:
  virtual ~DialogBackend() = default;
  // Called once the dialog is initialised; returns when it has ended.
  virtual void RunModal(Dialog& dialog) = 0;
  // A modeless window appears or goes; false refuses the creation.
  virtual bool CreateModeless(Dialog& /*dialog*/) { return true; }
  virtual void DestroyModeless(Dialog& /*dialog*/) {}
  virtual int MessageBox(const WString& text, const WString& caption, unsigned type) = 0;
  virtual std::optional<WString> FileOpen(const FileDialogRequest& request) = 0;
  // The host's colour dialog: the chosen colour index, nullopt when cancelled.
  virtual std::optional<int> ColorDialog(const ColorDialogRequest& /*request*/) {
    return std::nullopt;
  }
  // Lets a front end handle one pending user event while a long command runs.
  virtual void PumpOneMessage() {}
  // The dialog's window as shown (outer rectangle, screen pixels).
  virtual WindowRect WindowRectOf(const Dialog& dialog);
};

// The backend in use; a scripted backend with no script until a host sets one.
DialogBackend& Backend();
// Returns the previous backend; null restores the default.
DialogBackend* SetBackend(DialogBackend* backend);

void PumpOneMessage();

// The module's resources pushed on the host's resource-handle stack for the
// lifetime of the object; popped again on every path out.
class ResourceOverride {
 public:
  ResourceOverride();
  ~ResourceOverride();
  ResourceOverride(const ResourceOverride&) = delete;
  ResourceOverride& operator=(const ResourceOverride&) = delete;
  static int Depth();
};

}  // namespace wb::ui
