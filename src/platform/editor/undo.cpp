#include "platform/editor/undo.h"

#include "platform/editor/document.h"

namespace wb::editor {

// A drawing opened while a command runs simply ignores the unmatched end.
void BeginCommand(const WString& name) {
  if (db::Database* database = ActiveDatabase()) database->BeginUndoStep(Utf16ToUtf8(name));
}

void EndCommand() {
  if (db::Database* database = ActiveDatabase()) database->EndUndoStep();
}

}  // namespace wb::editor
